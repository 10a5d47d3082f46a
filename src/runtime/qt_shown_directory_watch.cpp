#include "runtime/qt_shown_directory_watch.h"

#include <QFileSystemWatcher>
#include <QStringList>
#include <QTimer>

namespace velmora {

ShownDirectoryWatch::ShownDirectoryWatch(QObject* parent)
    : QObject(parent), m_watcher(new QFileSystemWatcher(this)), m_settle(new QTimer(this)) {
    // Unpacking an archive changes a directory thousands of times a second;
    // one re-read after the burst is enough.
    m_settle->setSingleShot(true);
    m_settle->setInterval(50);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, m_settle,
            [this] { m_settle->start(); });
    connect(m_settle, &QTimer::timeout, this, &ShownDirectoryWatch::changed);
}

void ShownDirectoryWatch::watch(const QString& path) {
    const QStringList watched = m_watcher->directories();
    if (watched == QStringList{path}) return;
    if (!watched.isEmpty()) m_watcher->removePaths(watched);
    m_settle->stop();
    // Where the system cannot watch (no inotify, its limit reached) the list
    // is simply read as before: when it is moved or shown again.
    m_watcher->addPath(path);
}

}  // namespace velmora
