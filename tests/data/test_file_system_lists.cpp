#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "runtime/file_system_lists.h"

using velmora::DirListBox;
using velmora::DriveListBox;
using velmora::FileListBox;

namespace {

void touch(const QString& path) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
}

QStringList texts(const QListWidget& list) {
    QStringList out;
    for (int i = 0; i < list.count(); ++i) out.append(list.item(i)->text());
    return out;
}

QStringList entries(const DirListBox& dir) {
    QStringList out;
    for (int i = 0; i < dir.count(); ++i) out.append(dir.entryPath(i));
    return out;
}

}  // namespace

class FileSystemListsTests : public QObject {
    Q_OBJECT

private slots:
    void init();

    void MountTableGivesRealFileSystemsRootFirstOnce();
    void MountedVolumesStartWithRootAndHoldNoDuplicates();
    void DriveOfAPathIsTheLongestMountPointHoldingIt();

    void DirectoryListShowsChainThenSortedSubdirectories();
    void UnreadableDirectoryLeavesThePathUnchanged();
    void RelativePathsAndTheRootAreNormalised();
    void OpeningAnEntryEmitsChangedAndTheLinkedFileListFollows();

    void FilePatternIsCaseSensitiveAndListsOnlyFiles();
    void FileNameIsTheBareSelectedName();
    void ListsFollowTheDiskKeepingTheChoice();
    void TypingJumpsToADirectoryByItsFirstLetters();

    void UnreadableDriveFallsBackToTheDirectorysDrive();
    void FailedRecoveryStopsAfterOneAttempt();

private:
    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_root;
};

void FileSystemListsTests::init() {
    m_tmp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tmp->isValid());
    m_root = QDir::cleanPath(m_tmp->path());
    QDir dir(m_root);
    for (const char* sub : {"gamma", "alpha", "Beta", ".hidden", "sub.txt", "alpha/deeper"})
        QVERIFY(dir.mkpath(QString::fromLatin1(sub)));
    for (const char* name :
         {"a.txt", "B.txt", "c.TXT", "d.dat", "e.txt.bak", "notes", ".hidden.txt", "alpha/in.txt"})
        touch(m_root + u'/' + QString::fromLatin1(name));
}

void FileSystemListsTests::MountTableGivesRealFileSystemsRootFirstOnce() {
    const QString table = QStringLiteral(
        "proc /proc proc rw 0 0\n"
        "/dev/sdb1 /mnt/data ext4 rw 0 0\n"
        "tmpfs /dev/shm tmpfs rw 0 0\n"
        "tmpfs /tmp tmpfs rw 0 0\n"
        "/dev/sdc1 /media/my\\040stick vfat rw 0 0\n"
        "/dev/vda / ext4 rw 0 0\n"
        "/dev/vdb /work ext4 rw 0 0\n"
        "/dev/sdb1 /mnt/data ext4 rw 0 0\n"
        "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n"
        "fuse /dev/odd fuse rw 0 0\n");
    QCOMPARE(velmora::drivesFromMountTable(table),
             QStringList({"/", "/media/my stick", "/mnt/data", "/work"}));
    // Even an unreadable table leaves the root to stand on.
    QCOMPARE(velmora::drivesFromMountTable(QString()), QStringList({"/"}));
}

void FileSystemListsTests::MountedVolumesStartWithRootAndHoldNoDuplicates() {
    DriveListBox drive;
    const QStringList drives = drive.drives();
    QVERIFY(!drives.isEmpty());
    QCOMPARE(drives.first(), QStringLiteral("/"));
    QCOMPARE(QSet<QString>(drives.begin(), drives.end()).size(), drives.size());
    for (const QString& mount : drives) {
        QVERIFY2(QFileInfo(mount).isDir(), qPrintable(mount));
        QVERIFY2(!mount.startsWith(QStringLiteral("/proc")), qPrintable(mount));
    }
}

void FileSystemListsTests::DriveOfAPathIsTheLongestMountPointHoldingIt() {
    DriveListBox drive;
    drive.setDrives({"/", m_root, m_root + "/al"});
    QSignalSpy spy(&drive, &DriveListBox::changed);
    drive.setDrive(m_root + "/alpha/deeper");  // "/al" is no whole component of it
    QCOMPARE(drive.drive(), m_root);
    QCOMPARE(spy.count(), 1);
    drive.setDrive(m_root + "/gamma");  // same drive: no change
    QCOMPARE(spy.count(), 1);
    drive.setDrive(QStringLiteral("/"));
    QCOMPARE(drive.drive(), QStringLiteral("/"));
    QCOMPARE(spy.count(), 2);
    drive.setDrives({"/", m_root});  // a refill keeps the drive and is silent
    QCOMPARE(drive.drive(), QStringLiteral("/"));
    QCOMPARE(spy.count(), 2);
}

void FileSystemListsTests::DirectoryListShowsChainThenSortedSubdirectories() {
    DirListBox dir;
    QVERIFY(dir.setPath(m_root));
    QStringList expected{"/"};
    for (const QString& part : m_root.split(u'/', Qt::SkipEmptyParts))
        expected.append((expected.size() == 1 ? QString() : expected.last()) + u'/' + part);
    const int chain = static_cast<int>(expected.size());
    expected << m_root + "/alpha" << m_root + "/Beta" << m_root + "/gamma" << m_root + "/sub.txt";
    QStringList paths;
    for (int i = 0; i < dir.count(); ++i) paths.append(dir.entryPath(i));
    QCOMPARE(paths, expected);
    QCOMPARE(dir.pathRow(), chain - 1);
    QCOMPARE(dir.currentRow(), chain - 1);
    QCOMPARE(dir.item(0)->text(), QStringLiteral("/"));
    QCOMPARE(dir.item(chain)->text().trimmed(), QStringLiteral("alpha"));
    QVERIFY(dir.entryPath(dir.count()).isEmpty());
}

void FileSystemListsTests::UnreadableDirectoryLeavesThePathUnchanged() {
    DirListBox dir;
    FileListBox files;
    QVERIFY(dir.setPath(m_root));
    QVERIFY(files.setPath(m_root));
    const QStringList dirsBefore = texts(dir);
    const QStringList filesBefore = texts(files);
    QSignalSpy spy(&dir, &DirListBox::changed);
    for (const QString& bad : {m_root + "/missing", m_root + "/a.txt"}) {
        QVERIFY(!dir.setPath(bad));
        QVERIFY(!files.setPath(bad));
    }
    QCOMPARE(dir.path(), m_root);
    QCOMPARE(files.path(), m_root);
    QCOMPARE(texts(dir), dirsBefore);
    QCOMPARE(texts(files), filesBefore);
    QCOMPARE(spy.count(), 0);
    // The same path again re-reads the listing without a notice.
    QVERIFY(QDir(m_root).mkdir(QStringLiteral("delta")));
    QVERIFY(dir.setPath(m_root));
    QCOMPARE(spy.count(), 0);
    QCOMPARE(dir.entryPath(dir.count() - 3), m_root + "/delta");
}

void FileSystemListsTests::RelativePathsAndTheRootAreNormalised() {
    DirListBox dir;
    QVERIFY(dir.setPath(m_root));
    QVERIFY(dir.setPath(QStringLiteral("alpha/./deeper")));
    QCOMPARE(dir.path(), m_root + "/alpha/deeper");
    QVERIFY(dir.setPath(QStringLiteral("../..")));
    QCOMPARE(dir.path(), m_root);
    QVERIFY(dir.setPath(QStringLiteral("/")));
    QCOMPARE(dir.path(), QStringLiteral("/"));
    // Children of the root are "/name", never "//name".
    QStringList children;
    for (int i = 1; i < dir.count(); ++i) children.append(dir.entryPath(i));
    QVERIFY(children.contains(QStringLiteral("/tmp")));
    for (const QString& child : children) QVERIFY2(!child.startsWith("//"), qPrintable(child));
    FileListBox files;
    QVERIFY(files.setPath(QStringLiteral("/")));
    QCOMPARE(files.path(), QStringLiteral("/"));
}

void FileSystemListsTests::OpeningAnEntryEmitsChangedAndTheLinkedFileListFollows() {
    DriveListBox drive;
    DirListBox dir;
    FileListBox files;
    velmora::linkFileSelection(&drive, &dir, &files);
    QVERIFY(dir.setPath(m_root));
    QCOMPARE(files.path(), m_root);
    QSignalSpy spy(&dir, &DirListBox::changed);

    // Enter on "alpha" opens it.
    dir.setCurrentRow(dir.pathRow() + 1);
    QTest::keyClick(&dir, Qt::Key_Return);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(dir.path(), m_root + "/alpha");
    QCOMPARE(files.path(), m_root + "/alpha");
    QCOMPARE(texts(files), QStringList({"in.txt"}));

    // Enter on the parent in the chain goes back up.
    dir.setCurrentRow(dir.pathRow() - 1);
    QTest::keyClick(&dir, Qt::Key_Enter);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(dir.path(), m_root);
    QCOMPARE(files.path(), m_root);
}

void FileSystemListsTests::FilePatternIsCaseSensitiveAndListsOnlyFiles() {
    FileListBox files;
    QVERIFY(files.setPath(m_root));
    QCOMPARE(texts(files), QStringList({"a.txt", "B.txt", "c.TXT", "d.dat", "e.txt.bak", "notes"}));
    files.setPattern(QStringLiteral("*.txt"));
    QCOMPARE(texts(files), QStringList({"a.txt", "B.txt"}));
    files.setPattern(QStringLiteral("*.dat"));
    QCOMPARE(texts(files), QStringList({"d.dat"}));
    files.setPattern(QStringLiteral("*.txt;*.dat"));
    QCOMPARE(texts(files), QStringList({"a.txt", "B.txt", "d.dat"}));
    // Names equal but for case keep a fixed order.
    touch(m_root + "/A.txt");
    files.setPattern(QStringLiteral("*.txt"));
    QCOMPARE(texts(files), QStringList({"A.txt", "a.txt", "B.txt"}));
}

void FileSystemListsTests::FileNameIsTheBareSelectedName() {
    FileListBox files;
    files.setPattern(QStringLiteral("*.txt"));
    QVERIFY(files.setPath(m_root));
    files.resize(300, 300);
    files.show();
    QVERIFY(QTest::qWaitForWindowExposed(&files));
    QSignalSpy spy(&files, &FileListBox::clicked);
    QVERIFY(files.fileName().isEmpty());

    QTest::mouseClick(files.viewport(), Qt::LeftButton, {},
                      files.visualItemRect(files.item(1)).center());
    QCOMPARE(spy.count(), 1);
    QCOMPARE(files.fileName(), QStringLiteral("B.txt"));

    // Refills clear the choice without a click notice.
    files.setPattern(QStringLiteral("*.dat"));
    QVERIFY(files.fileName().isEmpty());
    QCOMPARE(spy.count(), 1);
    files.setCurrentRow(0);  // a program choice counts as a click
    QCOMPARE(spy.count(), 2);
    QCOMPARE(files.fileName(), QStringLiteral("d.dat"));
    QVERIFY(files.setPath(m_root + "/alpha"));
    QVERIFY(files.fileName().isEmpty());
    QCOMPARE(spy.count(), 2);
}

void FileSystemListsTests::ListsFollowTheDiskKeepingTheChoice() {
    DirListBox dir;
    FileListBox files;
    files.setPattern(QStringLiteral("*.txt"));
    QVERIFY(dir.setPath(m_root));
    QVERIFY(files.setPath(m_root));
    dir.setCurrentRow(static_cast<int>(entries(dir).indexOf(m_root + "/gamma")));
    files.setCurrentRow(1);
    QCOMPARE(files.fileName(), QStringLiteral("B.txt"));
    QSignalSpy clicks(&files, &FileListBox::clicked);
    QSignalSpy moves(&dir, &DirListBox::changed);

    // Created, renamed and made by another program while the lists are shown.
    touch(m_root + "/new.txt");
    QVERIFY(QDir(m_root).rename(QStringLiteral("a.txt"), QStringLiteral("z.txt")));
    QVERIFY(QDir(m_root).mkdir(QStringLiteral("delta")));
    QTRY_COMPARE(texts(files), QStringList({"B.txt", "new.txt", "z.txt"}));
    QCOMPARE(files.fileName(), QStringLiteral("B.txt"));
    QTRY_VERIFY(entries(dir).contains(m_root + "/delta"));
    QCOMPARE(dir.entryPath(dir.currentRow()), m_root + "/gamma");

    QVERIFY(QFile::remove(m_root + "/B.txt"));
    QTRY_COMPARE(texts(files), QStringList({"new.txt", "z.txt"}));
    QVERIFY(files.fileName().isEmpty());
    QCOMPARE(clicks.count(), 0);
    QCOMPARE(moves.count(), 0);
    QCOMPARE(dir.path(), m_root);
}

void FileSystemListsTests::TypingJumpsToADirectoryByItsFirstLetters() {
    QVERIFY(QDir(m_root).mkdir(QStringLiteral("gate")));
    DirListBox dir;
    QVERIFY(dir.setPath(m_root));
    QSignalSpy moves(&dir, &DirListBox::changed);
    const auto at = [&dir] { return QFileInfo(dir.entryPath(dir.currentRow())).fileName(); };

    QTest::keyClicks(&dir, QStringLiteral("GA"));  // gamma, then "ga" still gamma
    QCOMPARE(at(), QStringLiteral("gamma"));
    QTest::keyClicks(&dir, QStringLiteral("t"));  // "gat"
    QCOMPARE(at(), QStringLiteral("gate"));
    QTest::qWait(QApplication::keyboardInputInterval() + 100);
    QTest::keyClicks(&dir, QStringLiteral("b"));  // a new search
    QCOMPARE(at(), QStringLiteral("Beta"));
    QTest::qWait(QApplication::keyboardInputInterval() + 100);
    QTest::keyClicks(&dir, QStringLiteral("g"));
    QCOMPARE(at(), QStringLiteral("gamma"));
    QTest::qWait(QApplication::keyboardInputInterval() + 100);
    QTest::keyClicks(&dir, QStringLiteral("g"));  // the same letter again: the next name with it
    QCOMPARE(at(), QStringLiteral("gate"));
    QCOMPARE(moves.count(), 0);  // found, not opened
    QCOMPARE(dir.path(), m_root);
}

void FileSystemListsTests::UnreadableDriveFallsBackToTheDirectorysDrive() {
    DriveListBox drive;
    DirListBox dir;
    FileListBox files;
    drive.setDrives({"/", m_root + "/alpha", m_root + "/gone"});
    velmora::linkFileSelection(&drive, &dir, &files);
    drive.setCurrentIndex(1);
    QCOMPARE(dir.path(), m_root + "/alpha");
    QCOMPARE(files.path(), m_root + "/alpha");
    QVERIFY(dir.setPath(m_root));  // the drive list does not follow the directory

    QSignalSpy spy(&drive, &DriveListBox::changed);
    drive.setCurrentIndex(2);
    // The choice and the recovery, which is handled as a drive change: the
    // directory of m_root lies on drive "/", so all three go there.
    QCOMPARE(spy.count(), 2);
    QCOMPARE(drive.drive(), QStringLiteral("/"));
    QCOMPARE(dir.path(), QStringLiteral("/"));
    QCOMPARE(files.path(), QStringLiteral("/"));
}

void FileSystemListsTests::FailedRecoveryStopsAfterOneAttempt() {
    DriveListBox drive;
    DirListBox dir;
    FileListBox files;
    const QString shown = m_root + "/gamma";
    drive.setDrives({"/", shown, m_root + "/gone"});
    velmora::linkFileSelection(&drive, &dir, &files);
    drive.setCurrentIndex(1);
    QCOMPARE(dir.path(), shown);
    QVERIFY(QDir(shown).removeRecursively());  // the directory shown vanishes

    QSignalSpy spy(&drive, &DriveListBox::changed);
    drive.setCurrentIndex(2);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(drive.drive(), shown);
    QCOMPARE(dir.path(), shown);
    QCOMPARE(files.path(), shown);
}

QTEST_MAIN(FileSystemListsTests)
#include "test_file_system_lists.moc"
