#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "runtime/text_encoding.h"

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
// The same conversions for the text of a file, whose bytes stand for characters
// in `encoding`. Writing keeps every character: the text goes out in Latin-1 only
// when that is asked for and every character fits in it, otherwise in UTF-8. A
// byte order mark at the start is kept as a character, so it is written back.
QString fileTextToWidget(std::string_view fileText, TextEncoding encoding);
std::string widgetTextToFile(const QString& rawText, TextEncoding encoding);
// A selection of the widget as clipboard text: line and paragraph breaks become
// '\n' and the control pictures the characters CR and LF they stand for.
QString widgetTextToClipboard(QString selectedText);

// The output pane's text as Save Output writes it and Open Output reads it:
// all the dialogs need of the pane, whose widget and append live with the main
// window.
//
// The pane remembers the encoding of the file its text was last opened
// from, as a text editor does, so that saving writes that file's bytes back.
class OutputPaneFile {
public:
    explicit OutputPaneFile(QPlainTextEdit* edit) : m_edit(edit) {}

    // Text := `fileText` (lines ending in CR LF) read in `encoding`, in one
    // assignment.
    void replaceFromFile(std::string_view fileText, TextEncoding encoding);
    // The whole text as a file holds it: in the remembered encoding while every
    // character fits in it, otherwise in UTF-8.
    std::string fileText() const;
    TextEncoding encoding() const { return m_encoding; }
    // Whether the pane holds text that changed (appended, typed, pasted) since
    // it was last opened from a file or saved to one: replacing it would lose
    // results nobody has kept.
    bool hasUnsavedText() const;
    // The text as it stands is now kept in a file.
    void markSaved();

    QPlainTextEdit* widget() const { return m_edit; }

protected:
    // Text no longer from a file: the next save writes UTF-8.
    void forgetEncoding() { m_encoding = TextEncoding::Utf8; }

private:
    QPlainTextEdit* m_edit;
    TextEncoding m_encoding = TextEncoding::Utf8;
};

}  // namespace velmora
