#include "runtime/qt_drive_list_box.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QStorageInfo>
#include <algorithm>

#include "runtime/qt_directory_listing.h"

namespace velmora {

namespace {

// File system types that hold no user files: kernel interfaces and memory
// file systems. A drive list offering them would only lead nowhere useful.
const QSet<QString>& pseudoFileSystems() {
    static const QSet<QString> types = {
        QStringLiteral("proc"),        QStringLiteral("sysfs"),     QStringLiteral("devtmpfs"),
        QStringLiteral("devpts"),      QStringLiteral("tmpfs"),     QStringLiteral("ramfs"),
        QStringLiteral("cgroup"),      QStringLiteral("cgroup2"),   QStringLiteral("mqueue"),
        QStringLiteral("debugfs"),     QStringLiteral("tracefs"),   QStringLiteral("securityfs"),
        QStringLiteral("pstore"),      QStringLiteral("bpf"),       QStringLiteral("configfs"),
        QStringLiteral("fusectl"),     QStringLiteral("hugetlbfs"), QStringLiteral("autofs"),
        QStringLiteral("binfmt_misc"), QStringLiteral("efivarfs"),  QStringLiteral("selinuxfs"),
        QStringLiteral("rpc_pipefs"),  QStringLiteral("nsfs"),      QStringLiteral("rootfs"),
    };
    return types;
}

bool isUnder(const QString& path, const QString& top) {
    return path == top || path.startsWith(top + u'/');
}

}  // namespace

QStringList drivesOf(const QList<MountedVolume>& volumes) {
    QStringList others;
    for (const MountedVolume& volume : volumes) {
        const QString mountPoint = QDir::cleanPath(volume.rootPath);
        if (!mountPoint.startsWith(u'/') || mountPoint == QStringLiteral("/")) continue;
        if (pseudoFileSystems().contains(volume.fileSystemType)) continue;
        if (isUnder(mountPoint, QStringLiteral("/proc")) ||
            isUnder(mountPoint, QStringLiteral("/sys")) ||
            isUnder(mountPoint, QStringLiteral("/dev")))
            continue;
        if (!others.contains(mountPoint)) others.append(mountPoint);
    }
    std::sort(others.begin(), others.end());
    others.prepend(QStringLiteral("/"));
    return others;
}

// ---------------------------------------------------------------- drives

DriveListBox::DriveListBox(QWidget* parent) : QComboBox(parent) {
    setEditable(false);
    connect(this, &QComboBox::currentIndexChanged, this, [this](int) {
        if (!m_filling) emit changed();
    });
    refreshDrives();
}

void DriveListBox::showPopup() {
    // Volumes come and go (a stick plugged in); the list is read when opened.
    refreshDrives();
    QComboBox::showPopup();
}

QString DriveListBox::drive() const {
    return currentData().toString();
}

QStringList DriveListBox::drives() const {
    QStringList out;
    for (int i = 0; i < count(); ++i) out.append(itemData(i).toString());
    return out;
}

void DriveListBox::setDrive(const QString& path) {
    const QString target = normalPath(path, QDir::currentPath());
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < count(); ++i) {
        const QString mount = itemData(i).toString();
        const bool holds =
            mount == QStringLiteral("/") ? target.startsWith(u'/') : isUnder(target, mount);
        if (holds && mount.size() > bestLength) {
            best = i;
            bestLength = mount.size();
        }
    }
    if (best >= 0) setCurrentIndex(best);  // emits changed() only when it moves
}

void DriveListBox::refreshDrives() {
    QList<MountedVolume> volumes;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        volumes.append({volume.rootPath(), QString::fromLatin1(volume.fileSystemType())});
    QStringList drives;
    for (const QString& mount : drivesOf(volumes)) {
        // Single files can be bind-mounted too; only directories are drives.
        if (QFileInfo(mount).isDir()) drives.append(mount);
    }
    setDrives(drives);
}

void DriveListBox::setDrives(const QStringList& drives) {
    const QString previous = drive();
    m_filling = true;
    clear();
    for (const QString& mount : drives) addItem(mount, mount);
    const int kept = previous.isEmpty() ? -1 : findData(previous);
    if (kept >= 0) {
        setCurrentIndex(kept);
    } else {
        setCurrentIndex(count() > 0 ? 0 : -1);
        setDrive(QDir::currentPath());
    }
    m_filling = false;
}

}  // namespace velmora
