#pragma once

#include <QComboBox>
#include <QList>
#include <QString>
#include <QStringList>

namespace velmora {

// A mounted volume as the system lists it.
struct MountedVolume {
    QString rootPath;        // where it is mounted
    QString fileSystemType;  // "ext4", "tmpfs", ...
};

// The drives among `volumes`: the mount points of real file systems, "/"
// first (always present), then the others in code-point order, each once.
// Pseudo and memory file systems (proc, sysfs, cgroup, devpts, tmpfs, ...)
// and anything mounted under /proc, /sys or /dev are not drives.
QStringList drivesOf(const QList<MountedVolume>& volumes);

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
    // Lists the volumes mounted now (drivesOf QStorageInfo::mountedVolumes(),
    // keeping only mount points that are directories).
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

}  // namespace velmora
