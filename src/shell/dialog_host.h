#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class QDialog;

namespace velmora {

// How long a dialog lives between openings.
enum class DialogLifetime {
    // Hidden by its own buttons it is kept, with its state, for the next opening;
    // closed (close box, or close() from its own code) it is discarded.
    KeepWhileHidden,
    // Discarded after every opening, so each opening loads it anew.
    DiscardAfterEachOpening,
};

// The one rule by which the main window opens its dialogs: each named dialog
// exists at most once; opening creates it when missing (its factory builds and
// loads it), then shows it modal to the whole application, with no owner
// window, and returns when it is hidden or closed. The host owns every dialog
// it created and deletes them all when it is destroyed.
class DialogHost : public QObject {
    Q_OBJECT
public:
    using Factory = std::function<QDialog*()>;

    explicit DialogHost(QObject* parent = nullptr);
    ~DialogHost() override;

    // A dialog with no factory registered opens nothing.
    void registerDialog(const QString& name, Factory factory,
                        DialogLifetime lifetime = DialogLifetime::KeepWhileHidden);

    // Creates the dialog when it does not exist, then runs it modally. A factory
    // that returns nullptr or throws ends the command silently. Returns the
    // result the dialog ended its run with (QDialog::Accepted or Rejected; a
    // close box gives Rejected), or Rejected when nothing was opened.
    int open(const QString& name);

    // The existing dialog, or nullptr when it does not exist now.
    QDialog* existing(const QString& name) const;

    // Discards the dialog so that the next opening starts afresh. Discarding one
    // that is shown closes it and deletes it once its modal run has returned.
    void discard(const QString& name);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Entry {
        Factory factory;
        DialogLifetime lifetime = DialogLifetime::KeepWhileHidden;
        QPointer<QDialog> dialog;
        bool running = false;
        // Closed through its close box, or discarded from outside, while on screen.
        bool discardOnReturn = false;
    };

    void destroy(Entry& entry);

    QHash<QString, Entry> m_entries;
};

}  // namespace velmora
