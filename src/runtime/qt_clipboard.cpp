#include "runtime/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace velmora {

void QtClipboardService::clear() {
    if (QClipboard* clipboard = QGuiApplication::clipboard()) {
        clipboard->clear();
    }
}

void QtClipboardService::setText(const std::string& text) {
    if (QClipboard* clipboard = QGuiApplication::clipboard()) {
        clipboard->setText(QString::fromStdString(text));
    }
}

std::string QtClipboardService::text() const {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard != nullptr ? clipboard->text().toStdString() : std::string();
}

}  // namespace velmora
