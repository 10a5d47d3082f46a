#include "runtime/qt_dir_list_box.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include "runtime/qt_directory_listing.h"
#include "runtime/qt_shown_directory_watch.h"

namespace velmora {

DirListBox::DirListBox(QWidget* parent)
    : QListWidget(parent), m_watch(new ShownDirectoryWatch(this)) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemActivated, this, &DirListBox::openEntry);
    connect(m_watch, &ShownDirectoryWatch::changed, this, &DirListBox::reread);
    if (!setPath(QDir::currentPath())) setPath(QStringLiteral("/"));
}

void DirListBox::reread() {
    const QString current = entryPath(currentRow());
    if (!setPath(m_path)) return;  // gone or unreadable: the listing stays as it was
    for (int row = 0; row < count(); ++row) {
        if (entryPath(row) == current) {
            setCurrentRow(row);
            break;
        }
    }
}

void DirListBox::keyboardSearch(const QString& search) {
    if (search.isEmpty()) return;
    const bool goingOn =
        m_sinceTyped.isValid() && m_sinceTyped.elapsed() < QApplication::keyboardInputInterval();
    m_typed = goingOn ? m_typed + search : search;
    m_sinceTyped.start();
    // A fresh letter looks past the entry the user is on, so that typing it
    // again steps through the names that start with it; a longer prefix may
    // still match the entry itself.
    const int rows = count();
    const int from = currentRow() < 0 ? 0 : currentRow() + (m_typed.size() == 1 ? 1 : 0);
    for (int k = 0; k < rows; ++k) {
        const int row = (from + k) % rows;
        const QString path = entryPath(row);
        const QString name = path == QStringLiteral("/") ? path : QFileInfo(path).fileName();
        if (name.startsWith(m_typed, Qt::CaseInsensitive)) {
            setCurrentRow(row);
            return;
        }
    }
}

QString DirListBox::entryPath(int row) const {
    const QListWidgetItem* entry = item(row);
    return entry != nullptr ? entry->data(Qt::UserRole).toString() : QString();
}

void DirListBox::openEntry(QListWidgetItem* entry) {
    if (entry == nullptr) return;
    setPath(entry->data(Qt::UserRole).toString());  // an unreadable one stays closed
}

bool DirListBox::setPath(const QString& path) {
    const QString base = m_path.isEmpty() ? QDir::currentPath() : m_path;
    const QString target = normalPath(path, base);
    if (!QFileInfo(target).isDir() || !canReadDirectory(target)) return false;

    clear();
    // The chain from the root down, each level indented one step further.
    QStringList chain;
    for (QString step = target;; step = QFileInfo(step).path()) {
        chain.prepend(step);
        if (step == QStringLiteral("/")) break;
    }
    int depth = 0;
    for (const QString& step : chain) {
        const QString name = step == QStringLiteral("/") ? step : QFileInfo(step).fileName();
        auto* entry = new QListWidgetItem(QString(depth * 2, u' ') + name, this);
        entry->setData(Qt::UserRole, step);
        ++depth;
    }
    m_pathRow = static_cast<int>(chain.size()) - 1;
    const QString prefix = target == QStringLiteral("/") ? target : target + u'/';
    for (const QString& name : sortedNames(target, QDir::Dirs)) {
        auto* entry = new QListWidgetItem(QString(depth * 2, u' ') + name, this);
        entry->setData(Qt::UserRole, prefix + name);
    }
    setCurrentRow(m_pathRow);

    const bool moved = target != m_path;
    m_path = target;
    m_watch->watch(m_path);
    if (moved) emit changed();
    return true;
}

}  // namespace velmora
