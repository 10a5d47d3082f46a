#include "runtime/qt_message_box.h"

#include <QMessageBox>

namespace velmora {

MessageResult QtMessageBoxService::show(const std::string& text, const std::string& title, MessageIcon,
                                        MessageButtons buttons) {
    QMessageBox box(QMessageBox::Warning, QString::fromLatin1(title), QString::fromLatin1(text));
    box.setWindowModality(Qt::ApplicationModal);
    if (buttons == MessageButtons::Ok) {
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
        box.exec();
        return MessageResult::Ok;
    }
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
        case QMessageBox::Yes: return MessageResult::Yes;
        case QMessageBox::No: return MessageResult::No;
        case QMessageBox::Cancel: return MessageResult::Cancel;
        default: return MessageResult::Closed;
    }
}

}  // namespace velmora
