#include "shell/qt_output_pane.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

namespace velmora {

void OutputPane::append(std::string_view block) {
    // The pane ends as one assignment of old text + block would leave it: the
    // block's first line continues whatever the old last line was, nothing is
    // trimmed or added, no selection remains, the caret and the view are at
    // the start, and no undo step leads back into the old text. The block is
    // inserted at the end instead of the whole text being assigned anew, so
    // the cost follows the block and not the pane: a pane holding tens of
    // megabytes still takes a report at once.
    QTextDocument* document = widget()->document();
    QTextCursor end(document);
    end.movePosition(QTextCursor::End);
    end.insertText(paneTextToWidget(block));
    document->clearUndoRedoStacks();
    widget()->setTextCursor(QTextCursor(document));
    widget()->horizontalScrollBar()->setValue(0);
    widget()->verticalScrollBar()->setValue(0);
}

std::string OutputPane::text() const {
    return widgetTextToPane(widget()->document()->toRawText());
}

void OutputPane::clear() {
    widget()->setPlainText(QString());
    forgetEncoding();
}

}  // namespace velmora
