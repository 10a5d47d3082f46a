#pragma once

#include <QString>
#include <string>
#include <string_view>

class QPlainTextEdit;

namespace velmora {

// The one conversion between the pane's text as the program reads and writes it
// (8-bit bytes, lines separated by CR LF) and the widget's paragraphs.
//
// Writing: bytes map to characters one to one (Latin-1); CR LF is a paragraph
// break. A CR or LF standing alone is not a line end in the pane's text, so it is
// shown as the control picture U+240D or U+240A and read back as the byte itself.
//
// Reading: paragraphs are joined by CR LF (a soft line break typed with Shift+Enter
// counts as one too); the control pictures give back CR and LF; a character beyond
// Latin-1 that the user typed reads as '?'.
QString paneTextToWidget(std::string_view paneText);
// `rawText` is the document's raw text (paragraph separators U+2029).
std::string widgetTextToPane(const QString& rawText);
// A selection of the widget as clipboard text: line and paragraph breaks become
// '\n' and the control pictures the characters CR and LF they stand for.
QString widgetTextToClipboard(QString selectedText);

// The output pane txtOutput and its append contract. Every writer goes through
// append(); it replaces the whole text in one assignment with the old text
// immediately followed by the block, inserting nothing between them and setting
// no caret, selection or scroll position of its own (replacing the text leaves
// the caret at the start).
class OutputPane {
public:
    explicit OutputPane(QPlainTextEdit* edit) : m_edit(edit) {}

    // `block`: whole lines, each ending in CR LF.
    void append(std::string_view block);
    // The whole text, lines separated by CR LF.
    std::string text() const;
    // Text := empty.
    void clear();

    QPlainTextEdit* widget() const { return m_edit; }

private:
    QPlainTextEdit* m_edit;
};

}  // namespace velmora
