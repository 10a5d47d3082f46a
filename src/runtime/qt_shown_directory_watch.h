#pragma once

#include <QObject>
#include <QString>

class QFileSystemWatcher;
class QTimer;

namespace velmora {

// Watches the one directory a list shows and tells, once a burst of changes
// has settled for a moment, that its entries changed.
class ShownDirectoryWatch : public QObject {
    Q_OBJECT
public:
    explicit ShownDirectoryWatch(QObject* parent);
    // Watches `path` instead of the directory watched so far.
    void watch(const QString& path);
signals:
    void changed();

private:
    QFileSystemWatcher* m_watcher;
    QTimer* m_settle;
};

}  // namespace velmora
