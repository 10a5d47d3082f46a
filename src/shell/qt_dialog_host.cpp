#include "shell/qt_dialog_host.h"

#include <QCloseEvent>
#include <QDialog>

namespace velmora {

DialogHost::DialogHost(QObject* parent) : QObject(parent) {}

DialogHost::~DialogHost() {
    for (Entry& entry : m_entries) {
        delete entry.dialog.data();
    }
}

void DialogHost::registerDialog(const QString& name, Factory factory, DialogLifetime lifetime) {
    Entry& entry = m_entries[name];
    entry.factory = std::move(factory);
    entry.lifetime = lifetime;
}

int DialogHost::open(const QString& name) {
    auto it = m_entries.find(name);
    if (it == m_entries.end() || !it->factory) {
        return QDialog::Rejected;
    }
    if (it->running) {
        return QDialog::Rejected;  // already on screen; a modal dialog cannot be opened twice
    }
    if (it->dialog.isNull()) {
        QDialog* created = nullptr;
        try {
            created = it->factory();
        } catch (...) {
            // A dialog whose loading fails is not opened; the program goes on.
            // Silent by design, not through the message box: a box is only
            // for a bad choice or bad data, which the user can put right;
            // any other failure ends the command where it stands.
            return QDialog::Rejected;
        }
        if (created == nullptr) {
            return QDialog::Rejected;
        }
        created->setParent(nullptr);
        created->setAttribute(Qt::WA_DeleteOnClose, false);
        created->installEventFilter(this);
        it->dialog = created;
    }
    QPointer<QDialog> dialog = it->dialog;
    it->discardOnReturn = false;
    it->running = true;
    dialog->setWindowModality(Qt::ApplicationModal);
    const int result = dialog->exec();

    // The dialog's own code may have discarded or re-registered entries meanwhile.
    it = m_entries.find(name);
    if (it == m_entries.end()) {
        return result;
    }
    it->running = false;
    if (it->discardOnReturn || it->lifetime == DialogLifetime::DiscardAfterEachOpening) {
        destroy(*it);
    }
    return result;
}

QDialog* DialogHost::existing(const QString& name) const {
    const auto it = m_entries.constFind(name);
    return it == m_entries.constEnd() ? nullptr : it->dialog.data();
}

void DialogHost::discard(const QString& name) {
    auto it = m_entries.find(name);
    if (it == m_entries.end() || it->dialog.isNull()) {
        return;
    }
    if (it->running) {
        // Deleting it inside its own modal loop would pull the widget from under
        // the handler that is running; end the loop and delete it afterwards.
        it->discardOnReturn = true;
        it->dialog->hide();
        return;
    }
    destroy(*it);
}

bool DialogHost::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Close) {
        return QObject::eventFilter(watched, event);
    }
    for (Entry& entry : m_entries) {
        if (entry.dialog.data() != watched) {
            continue;
        }
        // Let the dialog decide first (it may refuse the close); only a close it
        // accepts discards it, a mere hide by its own buttons never comes here.
        static_cast<QObject*>(entry.dialog.data())->event(event);
        if (event->isAccepted()) {
            entry.discardOnReturn = true;
        }
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void DialogHost::destroy(Entry& entry) {
    QDialog* dialog = entry.dialog.data();
    entry.dialog.clear();
    entry.discardOnReturn = false;
    delete dialog;
}

}  // namespace velmora
