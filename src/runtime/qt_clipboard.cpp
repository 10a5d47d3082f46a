#include "runtime/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace velmora {

void QtClipboardService::clear() {
    if (QClipboard* clipboard = QGuiApplication::clipboard()) {
        clipboard->clear();
    }
}

void QtClipboardService::setText(const QString& text) {
    if (QClipboard* clipboard = QGuiApplication::clipboard()) {
        clipboard->setText(text);
    }
}

QString QtClipboardService::text() const {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard != nullptr ? clipboard->text() : QString();
}

}  // namespace velmora
