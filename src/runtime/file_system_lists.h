#pragma once

#include <QComboBox>
#include <QListWidget>
#include <QString>

namespace velmora {

// The drive, directory and file list controls of the forms runtime, over the
// local file system. Paths use "/"; a root directory's path ends in "/".
// Drives are the mounted volumes, the root first.

class DriveListBox : public QComboBox {
    Q_OBJECT
public:
    explicit DriveListBox(QWidget* parent = nullptr);
    // The current drive: the mount point of a volume, e.g. "/" or "/media/usb".
    QString drive() const;
    // Selects the drive holding `path` (its mount point); emits changed() when it differs.
    void setDrive(const QString& path);
    void refreshDrives();
signals:
    // The user or the program chose another drive.
    void changed();
};

class DirListBox : public QListWidget {
    Q_OBJECT
public:
    explicit DirListBox(QWidget* parent = nullptr);
    QString path() const;
    // Moves to `path` and lists its ancestors and subdirectories; false (and no
    // change) when the directory cannot be read. Emits changed() on a move.
    bool setPath(const QString& path);
signals:
    // The path changed (the user opened a directory, or setPath moved it).
    void changed();
};

class FileListBox : public QListWidget {
    Q_OBJECT
public:
    explicit FileListBox(QWidget* parent = nullptr);
    QString path() const;
    bool setPath(const QString& path);
    QString pattern() const;
    void setPattern(const QString& pattern);  // "*.txt", "*.dat"
    // The bare name of the selected file, empty when none.
    QString fileName() const;
signals:
    // The user selected a file.
    void clicked();
};

// Links the trio as the forms do: a drive change moves the directory list to
// that drive, falling back silently to the drive of the directory shown when
// the drive cannot be read; a directory change moves the file list. Used by
// the main window and both output dialogs.
void linkFileSelection(DriveListBox* drive, DirListBox* directory, FileListBox* files);

}  // namespace velmora
