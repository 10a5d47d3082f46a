#include "shell/qt_edit_commands.h"

#include <QPlainTextEdit>
#include <QTextCursor>

#include "runtime/clipboard.h"
#include "shell/qt_output_pane.h"

namespace velmora {

namespace {

// A click into the pane can leave the focus on its viewport rather than the edit.
QPlainTextEdit* focusedTextBox(QWidget* focused) {
    if (focused == nullptr) {
        return nullptr;
    }
    if (auto* edit = qobject_cast<QPlainTextEdit*>(focused)) {
        return edit;
    }
    auto* parentEdit = qobject_cast<QPlainTextEdit*>(focused->parentWidget());
    return parentEdit != nullptr && parentEdit->viewport() == focused ? parentEdit : nullptr;
}

void copySelection(QPlainTextEdit* edit, ClipboardService& clipboard, bool removeIt) {
    QTextCursor cursor = edit->textCursor();
    const QString selected = widgetTextToClipboard(cursor.selectedText());
    // With nothing selected the clipboard stays as emptied, holding no text at all.
    if (!selected.isEmpty()) {
        clipboard.setText(selected.toStdString());
    }
    if (removeIt && cursor.hasSelection()) {
        cursor.removeSelectedText();
        edit->setTextCursor(cursor);
    }
}

}  // namespace

void editCut(QWidget* focused, ClipboardService& clipboard) {
    clipboard.clear();
    if (QPlainTextEdit* edit = focusedTextBox(focused)) {
        copySelection(edit, clipboard, true);
    }
}

void editCopy(QWidget* focused, ClipboardService& clipboard) {
    clipboard.clear();
    if (QPlainTextEdit* edit = focusedTextBox(focused)) {
        copySelection(edit, clipboard, false);
    }
}

void editPaste(QWidget* focused, const ClipboardService& clipboard) {
    QPlainTextEdit* edit = focusedTextBox(focused);
    if (edit == nullptr) {
        return;
    }
    QString text = QString::fromStdString(clipboard.text());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    QTextCursor cursor = edit->textCursor();
    // insertText removes the selection first, so an empty clipboard deletes it.
    cursor.insertText(text);
    edit->setTextCursor(cursor);
}

}  // namespace velmora
