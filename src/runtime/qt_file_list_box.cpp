#include "runtime/qt_file_list_box.h"

#include <QDir>
#include <QFileInfo>
#include <QScrollBar>

#include "runtime/qt_directory_listing.h"
#include "runtime/qt_shown_directory_watch.h"

namespace velmora {

FileListBox::FileListBox(QWidget* parent)
    : QListWidget(parent), m_watch(new ShownDirectoryWatch(this)) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(m_watch, &ShownDirectoryWatch::changed, this, &FileListBox::reread);
    // Selection, not the current row: focus alone moves the current row
    // without selecting, and that is no choice of a file.
    connect(this, &QListWidget::itemSelectionChanged, this, [this] {
        if (!m_filling && !selectedItems().isEmpty()) emit clicked();
    });
    if (!setPath(QDir::currentPath())) setPath(QStringLiteral("/"));
}

bool FileListBox::setPath(const QString& path) {
    const QString base = m_path.isEmpty() ? QDir::currentPath() : m_path;
    const QString target = normalPath(path, base);
    if (!QFileInfo(target).isDir() || !canReadDirectory(target)) return false;
    m_path = target;
    m_watch->watch(m_path);
    fill();
    return true;
}

void FileListBox::reread() {
    if (!canReadDirectory(m_path)) return;  // gone: the listing stays as it was
    const QString chosen = fileName();
    const int scrolled = verticalScrollBar()->value();
    fill();
    const QList<QListWidgetItem*> found =
        chosen.isEmpty() ? QList<QListWidgetItem*>() : findItems(chosen, Qt::MatchExactly);
    if (!found.isEmpty()) {
        m_filling = true;  // the same choice as before: no click
        setCurrentItem(found.first());
        m_filling = false;
    }
    verticalScrollBar()->setValue(scrolled);
}

void FileListBox::setPattern(const QString& pattern) {
    m_pattern = pattern;
    fill();
}

QString FileListBox::fileName() const {
    const QList<QListWidgetItem*> chosen = selectedItems();
    return chosen.isEmpty() ? QString() : chosen.first()->text();
}

void FileListBox::fill() {
    m_filling = true;
    clear();
    // Names on this file system differ by case, so the patterns do too.
    QStringList patterns;
    for (const QString& part : m_pattern.split(u';', Qt::SkipEmptyParts))
        patterns.append(part.trimmed());
    addItems(sortedNames(m_path, QDir::Files | QDir::CaseSensitive, patterns));
    m_filling = false;
}

}  // namespace velmora
