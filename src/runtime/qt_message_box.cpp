#include "runtime/qt_message_box.h"

#include <QMessageBox>

namespace velmora {

MessageResult QtMessageBoxService::show(const std::string& text, const std::string& title, MessageIcon,
                                        MessageButtons buttons) {
    // UTF-8, like every text the core hands the interface: a message may carry a
    // file name or the system's error text in the user's language.
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(title), QString::fromUtf8(text));
    box.setWindowModality(Qt::ApplicationModal);
    if (buttons == MessageButtons::Ok) {
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
        box.exec();
        return MessageResult::Ok;
    }
    if (buttons == MessageButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
    }
    switch (box.exec()) {
        case QMessageBox::Yes: return MessageResult::Yes;
        case QMessageBox::No: return MessageResult::No;
        case QMessageBox::Cancel: return MessageResult::Cancel;
        default: return MessageResult::Closed;
    }
}

}  // namespace velmora
