#include <QtTest>

// placeholder, being written
class FileSystemListsTests : public QObject {
    Q_OBJECT
};

QTEST_MAIN(FileSystemListsTests)
#include "test_file_system_lists.moc"
