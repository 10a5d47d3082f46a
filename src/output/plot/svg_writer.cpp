#include "output/plot/svg_writer.h"

#include <cstdint>
#include <cstdio>
#include <utility>

#include "runtime/contract.h"
#include "runtime/report_text.h"

namespace velmora {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

// Length of the well-formed UTF-8 sequence at `at` whose code point XML
// allows, or 0 when the bytes there are not one.
std::size_t validSequenceLength(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 0;
    std::uint32_t cp = 0;
    std::uint32_t smallest = 0;
    if (lead < 0x80) {
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, cp = lead & 0x1Fu, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, cp = lead & 0x0Fu, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, cp = lead & 0x07u, smallest = 0x10000;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (next & 0x3Fu);
    }
    // Overlong forms, surrogates and code points beyond Unicode are not
    // UTF-8; U+FFFE and U+FFFF are not XML characters.
    if (cp < smallest || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF || cp == 0xFFFE ||
        cp == 0xFFFF)
        return 0;
    return length;
}

const char* anchorName(TextAnchor anchor) {
    switch (anchor) {
        case TextAnchor::Start:
            return "start";
        case TextAnchor::Middle:
            return "middle";
        case TextAnchor::End:
            return "end";
    }
    return "start";
}

void attribute(std::string& out, std::string_view name, std::string_view value) {
    out += ' ';
    out += name;
    out += "=\"";
    out += xmlEscape(value);
    out += '"';
}

void numberAttribute(std::string& out, std::string_view name, double value) {
    attribute(out, name, svgNumber(value));
}

void styleAttributes(std::string& out, const SvgStyle& style) {
    if (!style.cssClass.empty()) attribute(out, "class", style.cssClass);
    if (!style.fill.empty()) attribute(out, "fill", style.fill);
    if (!style.stroke.empty()) {
        attribute(out, "stroke", style.stroke);
        numberAttribute(out, "stroke-width", style.strokeWidth);
        if (!style.dashArray.empty()) attribute(out, "stroke-dasharray", style.dashArray);
    }
}

}  // namespace

std::string xmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            default:
                if (byte < 0x20 && c != '\t' && c != '\n' && c != '\r') {
                    out += kReplacement;
                } else if (const std::size_t length = validSequenceLength(text, i); length == 0) {
                    out += kReplacement;
                } else {
                    out.append(text.substr(i, length));
                    i += length;
                    continue;
                }
        }
        ++i;
    }
    return out;
}

std::string svgNumber(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.2f", value);
    std::string text = buffer;
    if (const std::size_t point = text.find('.'); point != std::string::npos) {
        while (text.back() == '0') text.pop_back();
        if (text.back() == '.') text.pop_back();
    }
    if (text == "-0") text = "0";
    return text;
}

SvgWriter::SvgWriter(int width, int height, std::string_view fontFamily) {
    m_out = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>";
    m_out += CRLF;
    m_out += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\"";
    numberAttribute(m_out, "width", width);
    numberAttribute(m_out, "height", height);
    attribute(m_out, "viewBox", "0 0 " + svgNumber(width) + " " + svgNumber(height));
    attribute(m_out, "font-family", fontFamily);
    m_out += '>';
    m_out += CRLF;
}

void SvgWriter::indent() {
    m_out.append(static_cast<std::size_t>(m_depth) * 2, ' ');
}

void SvgWriter::openGroup(std::string_view id) {
    indent();
    m_out += "<g";
    if (!id.empty()) attribute(m_out, "id", id);
    m_out += '>';
    m_out += CRLF;
    ++m_depth;
}

void SvgWriter::closeGroup() {
    VELMORA_EXPECTS(m_depth > 1);  // a group is open
    --m_depth;
    indent();
    m_out += "</g>";
    m_out += CRLF;
}

void SvgWriter::rect(double x, double y, double width, double height, const SvgStyle& style,
                     std::string_view tooltip) {
    shape("rect", {{"x", x}, {"y", y}, {"width", width}, {"height", height}}, style, tooltip);
}

void SvgWriter::line(double x1, double y1, double x2, double y2, const SvgStyle& style) {
    shape("line", {{"x1", x1}, {"y1", y1}, {"x2", x2}, {"y2", y2}}, style, {});
}

void SvgWriter::shape(std::string_view element,
                      std::initializer_list<std::pair<std::string_view, double>> geometry,
                      const SvgStyle& style, std::string_view tooltip) {
    indent();
    m_out += '<';
    m_out += element;
    for (const auto& [name, value] : geometry) numberAttribute(m_out, name, value);
    styleAttributes(m_out, style);
    if (tooltip.empty()) {
        m_out += "/>";
    } else {
        m_out += "><title>" + xmlEscape(tooltip) + "</title></";
        m_out += element;
        m_out += '>';
    }
    m_out += CRLF;
}

void SvgWriter::text(double x, double y, std::string_view content, const SvgTextStyle& style) {
    indent();
    m_out += "<text";
    if (!style.cssClass.empty()) attribute(m_out, "class", style.cssClass);
    numberAttribute(m_out, "x", x);
    numberAttribute(m_out, "y", y);
    numberAttribute(m_out, "font-size", style.size);
    if (style.bold) attribute(m_out, "font-weight", "bold");
    if (style.anchor != TextAnchor::Start)
        attribute(m_out, "text-anchor", anchorName(style.anchor));
    attribute(m_out, "fill", style.fill);
    m_out += '>' + xmlEscape(content) + "</text>";
    m_out += CRLF;
}

std::string SvgWriter::finish() {
    VELMORA_EXPECTS(m_depth == 1);  // every group closed
    m_out += "</svg>";
    m_out += CRLF;
    return std::move(m_out);
}

}  // namespace velmora
