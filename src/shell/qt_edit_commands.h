#pragma once

class QWidget;

namespace velmora {

class ClipboardService;

// Edit > Cut, Copy and Paste on the focused control of the active window
// (QApplication::focusWidget()). Only a text box counts, that is a
// QPlainTextEdit (or its viewport); any other control, or none, leaves the
// text alone. Cut and Copy empty the clipboard first in every case, so they
// leave it empty when no text box has the focus or nothing is selected.
// Line breaks reach the clipboard as '\n'; pasted CR LF, CR and LF all end a line.
void editCut(QWidget* focused, ClipboardService& clipboard);
void editCopy(QWidget* focused, ClipboardService& clipboard);
// The clipboard's text (empty when it holds none) replaces the selection or is
// inserted at the caret; the clipboard is not changed.
void editPaste(QWidget* focused, const ClipboardService& clipboard);

}  // namespace velmora
