#include <QtTest>

// placeholder, being written
class NavigatorTests : public QObject {
    Q_OBJECT
};

QTEST_MAIN(NavigatorTests)
#include "test_frm_navigate.moc"
