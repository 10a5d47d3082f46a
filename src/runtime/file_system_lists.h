#pragma once

#include <QComboBox>
#include <QElapsedTimer>
#include <QListWidget>
#include <QString>
#include <QStringList>
#include <string>

class QFileSystemWatcher;
class QTimer;

namespace velmora {

// The drive, directory and file list controls of the forms runtime, over the
// local file system. Paths use "/"; the root directory's path is "/" and every
// other path has no trailing "/", so `path + "/" + name` gives "//name" in the
// root, which the file system reads as "/name". Paths are made absolute and
// cleaned ("." and ".." removed) but symbolic links are kept as given.
// Hidden entries (names starting with ".") are not listed.
//
// The directory and file lists follow the disk: while a directory is shown,
// entries created, renamed or deleted in it (by this program or any other)
// appear in the list or leave it within a moment, with the entry the user was
// on kept where it still exists.
//
// The controls know nothing of the windows that use them; linkFileSelection
// wires a trio together.

// The drives of a mount table in the format of /proc/self/mounts (octal
// escapes such as "\040" decoded): the mount points of real file systems,
// "/" first (always present), then the others in code-point order, each once.
// Pseudo and memory file systems (proc, sysfs, cgroup, devpts, tmpfs, ...)
// and anything mounted under /proc, /sys or /dev are not drives.
QStringList drivesFromMountTable(const QString& mountTable);

class DriveListBox : public QComboBox {
    Q_OBJECT
public:
    // Lists the mounted volumes and selects the drive of the process's
    // current directory.
    explicit DriveListBox(QWidget* parent = nullptr);
    // The current drive: the mount point of a volume, e.g. "/" or "/media/usb";
    // empty only when no drive is listed.
    QString drive() const;
    // Selects the listed drive holding `path`: the one whose mount point is the
    // longest leading run of whole path components. Emits changed() when that
    // is another drive than the current one; nothing happens when none holds it.
    void setDrive(const QString& path);
    // Lists the volumes mounted now (drivesFromMountTable over
    // /proc/self/mounts, keeping only mount points that are directories).
    void refreshDrives();
    // Lists exactly `drives` (mount points, in this order). Keeps the current
    // drive when it is among them, otherwise selects the drive holding the
    // process's current directory. A refill never emits changed().
    void setDrives(const QStringList& drives);
    QStringList drives() const;
signals:
    // The user or the program chose another drive.
    void changed();

protected:
    // Re-reads the mounted volumes before the list drops down.
    void showPopup() override;

private:
    bool m_filling = false;
};

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

class FileListBox : public QListWidget {
    Q_OBJECT
public:
    // Starts at the process's current directory with the pattern "*".
    explicit FileListBox(QWidget* parent = nullptr);
    QString path() const { return m_path; }
    // Moves to `path` (relative paths are taken from the current path) and
    // lists its files that match the pattern, sorted as the directory list
    // sorts. The selection is cleared. Returns false and changes nothing when
    // the directory cannot be read. Never emits clicked().
    bool setPath(const QString& path);
    QString pattern() const { return m_pattern; }
    // "*.txt", "*.dat"; several patterns may be joined by ";". Matching is
    // case-sensitive, as names are on this file system: "*.txt" does not list
    // "A.TXT". An empty pattern lists every file. Re-reads the listing and
    // clears the selection.
    void setPattern(const QString& pattern);
    // The bare name of the selected file, empty when none.
    QString fileName() const;
    // Whether `name` matches `pattern` by the rules of setPattern.
    static bool matchesPattern(const QString& name, const QString& pattern);
signals:
    // A file was selected: by the mouse, the keyboard or the program
    // (setCurrentRow). Refills of the list never emit it.
    void clicked();

private:
    void fill();
    // Lists the shown directory again after a change on the disk, keeping the
    // selected file selected (without a click notice) while it exists.
    void reread();

    QString m_path;
    QString m_pattern = QStringLiteral("*");
    bool m_filling = false;
    ShownDirectoryWatch* m_watch;
};

// Links the trio as the forms do: a drive change moves the directory list to
// that drive; when the drive cannot be read, the drive list is set back,
// silently, to the drive of the directory shown, and that change is handled
// like any other (the directory list moves to that drive's root). Should the
// directory list fail there too, the chain stops: the drive list shows the
// directory's drive and the directory and file lists stay as they were. A
// directory change moves the file list. Used by the main window and both
// output dialogs.
void linkFileSelection(DriveListBox* drive, DirListBox* directory, FileListBox* files);

// The 8-bit form of a path from the lists, as the program stores and opens it
// (the main window's m_strFileName, the output dialogs' files): the file
// system's encoding of the name, so that a name outside Latin-1 opens as listed.
std::string storedPath(const QString& path);

}  // namespace velmora
