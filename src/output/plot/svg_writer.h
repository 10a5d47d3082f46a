#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace velmora {

// `text` made safe as XML character data or an attribute value: & < > " '
// become entities; bytes that are not well-formed UTF-8 and the control
// characters XML 1.0 forbids (all below 0x20 but tab, LF and CR) become U+FFFD,
// so a file name in any encoding still gives a well-formed document.
std::string xmlEscape(std::string_view text);

// How a shape is painted. Empty texts leave the attribute out.
struct SvgStyle {
    std::string_view fill;       // "none" or a colour such as "#7da0d0"
    std::string_view stroke;     // empty: no stroke
    double strokeWidth = 1.0;    // used only with a stroke
    std::string_view dashArray;  // e.g. "6 4"
    std::string_view cssClass;   // the class attribute, for readers of the file
};

enum class TextAnchor { Start, Middle, End };

struct SvgTextStyle {
    double size = 12.0;  // in px of the 1:1 view box
    TextAnchor anchor = TextAnchor::Start;
    bool bold = false;
    std::string_view fill = "#000000";
    std::string_view cssClass;
};

// The style of a text of the class `cssClass`, upright and black unless
// the caller changes it.
inline SvgTextStyle svgTextStyle(std::string_view cssClass, TextAnchor anchor = TextAnchor::Start,
                                 double size = 12.0) {
    SvgTextStyle s;
    s.size = size;
    s.anchor = anchor;
    s.cssClass = cssClass;
    return s;
}

// Writes one SVG 1.1 document element by element. Coordinates are user units
// of a view box as large as the picture (px at 1:1); numbers are written with
// at most 2 decimals. Every text is escaped here, so callers pass plain text.
// Lines end in CR LF.
class SvgWriter {
public:
    // Opens the root element; `fontFamily` is inherited by every text.
    SvgWriter(int width, int height, std::string_view fontFamily);

    // A group with an id (empty: none); groups nest and must be closed.
    void openGroup(std::string_view id);
    void closeGroup();
    // A rectangle; a non-empty `tooltip` becomes its <title> child.
    void rect(double x, double y, double width, double height, const SvgStyle& style,
              std::string_view tooltip = {});
    void line(double x1, double y1, double x2, double y2, const SvgStyle& style);
    void text(double x, double y, std::string_view text, const SvgTextStyle& style);

    // Closes the root element and returns the whole document.
    std::string finish();

private:
    void indent();
    // One empty element (or one with a <title> child, for a non-empty
    // tooltip): its geometry's number attributes, then the style's.
    void shape(std::string_view element,
               std::initializer_list<std::pair<std::string_view, double>> geometry,
               const SvgStyle& style, std::string_view tooltip);
    std::string m_out;
    int m_depth = 1;
};

// Number text of a coordinate: at most 2 decimals, trailing zeros dropped,
// "0" for either zero ("12.5", "-3.25", "400").
std::string svgNumber(double value);

}  // namespace velmora
