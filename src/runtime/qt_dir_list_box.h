#pragma once

#include <QElapsedTimer>
#include <QListWidget>
#include <QString>

class QListWidgetItem;

namespace velmora {

class ShownDirectoryWatch;

class DirListBox : public QListWidget {
    Q_OBJECT
public:
    // Starts at the process's current directory.
    explicit DirListBox(QWidget* parent = nullptr);
    QString path() const { return m_path; }
    // Moves to `path` (relative paths are taken from the current path) and
    // lists, in this order, the chain of directories from "/" down to it and
    // then its subdirectories sorted by name (case-insensitively, ties in
    // code-point order). The entry of `path` itself is the current row. Returns
    // false and changes nothing when the directory cannot be read. Emits
    // changed() when the path differs from the previous one; moving to the same
    // path re-reads the listing without a notice.
    bool setPath(const QString& path);
    // The full path of list entry `row`; empty when there is no such row.
    QString entryPath(int row) const;
    // Row of the current directory's own entry.
    int pathRow() const { return m_pathRow; }
    // Typing the first letters of a name moves to the next entry whose name
    // starts with them (case-insensitively, from the entry the user is on,
    // wrapping at the end); letters typed in quick succession gather into one
    // prefix. The entry is not opened.
    void keyboardSearch(const QString& search) override;
signals:
    // The path changed (the user opened a directory, or setPath moved it).
    void changed();

private:
    void openEntry(QListWidgetItem* item);
    // Lists the shown directory again after a change on the disk.
    void reread();

    QString m_path;
    int m_pathRow = -1;
    ShownDirectoryWatch* m_watch;
    QString m_typed;
    QElapsedTimer m_sinceTyped;
};

}  // namespace velmora
