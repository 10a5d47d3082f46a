#include "runtime/file_system_lists.h"

#include <dirent.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSet>
#include <QTimer>
#include <algorithm>

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

// The mount table escapes blanks, tabs, newlines and backslashes as "\ooo".
QString decodeMountField(const QString& field) {
    QString out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == u'\\' && i + 3 < field.size() && field[i + 1].isDigit() &&
            field[i + 2].isDigit() && field[i + 3].isDigit()) {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out += QChar(code);
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

bool isUnder(const QString& path, const QString& top) {
    return path == top || path.startsWith(top + u'/');
}

// A path made absolute against `base` and cleaned; "/" for the root.
QString normalPath(const QString& path, const QString& base) {
    return QDir::cleanPath(QDir(base).absoluteFilePath(path));
}

// Whether the directory can really be listed. Permission bits alone would be
// wrong for a privileged user, so the directory is opened.
bool canReadDirectory(const QString& path) {
    DIR* dir = ::opendir(QFile::encodeName(path).constData());
    if (dir == nullptr) return false;
    ::closedir(dir);
    return true;
}

// Names case-insensitively, as a person scans a list; the exact comparison
// only breaks ties so that the order never depends on the listing.
bool nameLess(const QString& a, const QString& b) {
    const int folded = QString::compare(a, b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : QString::compare(a, b, Qt::CaseSensitive) < 0;
}

QStringList sortedNames(const QString& path, QDir::Filters filters) {
    QStringList names = QDir(path).entryList(filters | QDir::NoDotAndDotDot, QDir::Unsorted);
    std::sort(names.begin(), names.end(), nameLess);
    return names;
}

}  // namespace

QStringList drivesFromMountTable(const QString& mountTable) {
    QStringList others;
    const QStringList lines = mountTable.split(u'\n');
    for (const QString& line : lines) {
        const QStringList fields = line.split(u' ', Qt::SkipEmptyParts);
        if (fields.size() < 3) continue;
        const QString mountPoint = QDir::cleanPath(decodeMountField(fields[1]));
        const QString& type = fields[2];
        if (!mountPoint.startsWith(u'/') || mountPoint == QStringLiteral("/")) continue;
        if (pseudoFileSystems().contains(type)) continue;
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
    QFile table(QStringLiteral("/proc/self/mounts"));
    QString text;
    if (table.open(QIODevice::ReadOnly)) text = QString::fromLocal8Bit(table.readAll());
    QStringList drives;
    for (const QString& mount : drivesFromMountTable(text)) {
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

// ---------------------------------------------------------------- watching

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

// ---------------------------------------------------------------- directories

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

// ---------------------------------------------------------------- files

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

bool FileListBox::matchesPattern(const QString& name, const QString& pattern) {
    const QStringList parts = pattern.split(u';', Qt::SkipEmptyParts);
    if (parts.isEmpty()) return true;
    for (const QString& part : parts) {
        const QRegularExpression glob(
            QRegularExpression::wildcardToRegularExpression(part.trimmed()));
        if (glob.match(name).hasMatch()) return true;
    }
    return false;
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
    for (const QString& name : sortedNames(m_path, QDir::Files)) {
        if (matchesPattern(name, m_pattern)) addItem(name);
    }
    m_filling = false;
}

// ---------------------------------------------------------------- the trio

void linkFileSelection(DriveListBox* drive, DirListBox* directory, FileListBox* files) {
    QObject::connect(drive, &DriveListBox::changed, directory, [drive, directory] {
        if (directory->setPath(drive->drive())) return;
        // Back to the drive of the directory shown. That is a drive change of
        // its own and comes back here; should it fail as well, the next
        // setDrive finds that drive already chosen and emits nothing, so the
        // chain ends after one recovery.
        drive->setDrive(directory->path());
    });
    QObject::connect(directory, &DirListBox::changed, files,
                     [directory, files] { files->setPath(directory->path()); });
}

std::string storedPath(const QString& path) {
    // The pane shows these bytes one to one.
    const QByteArray bytes = QFile::encodeName(path);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace velmora
