#include <QTest>

#include "shell/main_layout.h"
#include "shell/shell_tests.h"

using velmora::computeMainLayout;
using velmora::MainLayout;
using velmora::TwipsRect;

Q_DECLARE_METATYPE(TwipsRect)

namespace {

// Rectangles as left, top, width, height in twips.
TwipsRect r(int left, int top, int width, int height) { return TwipsRect{left, top, width, height}; }

}  // namespace

class MainLayoutTest : public QObject {
    Q_OBJECT
private slots:
    void layoutFollowsWindowSize_data();
    void layoutFollowsWindowSize();
    void minimizedWindowGetsNoLayout();
};

void MainLayoutTest::layoutFollowsWindowSize_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("windowHeight");
    QTest::addColumn<bool>("raise");
    QTest::addColumn<TwipsRect>("select");
    QTest::addColumn<TwipsRect>("output");
    QTest::addColumn<TwipsRect>("pane");

    // A height below 7000 is raised to 7000: output 7000-2900-1200 = 2900, pane 2900-300.
    QTest::newRow("height 6000 raised to 7000")
        << 12000 << 6000 << 7000 << true << r(100, 100, 11700, 2700) << r(100, 2900, 11700, 2900)
        << r(200, 300, 11300, 2600);
    QTest::newRow("height 6999 raised") << 12000 << 6999 << 7000 << true << r(100, 100, 11700, 2700)
                                        << r(100, 2900, 11700, 2900) << r(200, 300, 11300, 2600);
    QTest::newRow("height exactly 7000 kept")
        << 12000 << 7000 << 7000 << false << r(100, 100, 11700, 2700) << r(100, 2900, 11700, 2900)
        << r(200, 300, 11300, 2600);
    QTest::newRow("width 12000 height 9000")
        << 12000 << 9000 << 9000 << false << r(100, 100, 11700, 2700) << r(100, 2900, 11700, 4900)
        << r(200, 300, 11300, 4600);
    // Narrower than 9300: both panels stay 9000 wide, wider than the window.
    QTest::newRow("width 8000 keeps panels 9000")
        << 8000 << 7500 << 7500 << false << r(100, 100, 9000, 2700) << r(100, 2900, 9000, 3400)
        << r(200, 300, 8600, 3100);
    QTest::newRow("width 9299 just below the bound")
        << 9299 << 8000 << 8000 << false << r(100, 100, 9000, 2700) << r(100, 2900, 9000, 3900)
        << r(200, 300, 8600, 3600);
    QTest::newRow("width 9300 at the bound")
        << 9300 << 8000 << 8000 << false << r(100, 100, 9000, 2700) << r(100, 2900, 9000, 3900)
        << r(200, 300, 8600, 3600);
    QTest::newRow("width 9301 above the bound")
        << 9301 << 8000 << 8000 << false << r(100, 100, 9001, 2700) << r(100, 2900, 9001, 3900)
        << r(200, 300, 8601, 3600);
    QTest::newRow("tiny window") << 0 << 0 << 7000 << true << r(100, 100, 9000, 2700)
                                 << r(100, 2900, 9000, 2900) << r(200, 300, 8600, 2600);
    QTest::newRow("maximized 1920x1080 px at 96 dpi")
        << 28800 << 16200 << 16200 << false << r(100, 100, 28500, 2700)
        << r(100, 2900, 28500, 12100) << r(200, 300, 28100, 11800);
}

void MainLayoutTest::layoutFollowsWindowSize() {
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, windowHeight);
    QFETCH(bool, raise);
    QFETCH(TwipsRect, select);
    QFETCH(TwipsRect, output);
    QFETCH(TwipsRect, pane);

    const std::optional<MainLayout> layout = computeMainLayout(width, height, false);
    QVERIFY(layout.has_value());
    QCOMPARE(layout->windowHeight, windowHeight);
    QCOMPARE(layout->raiseHeight, raise);
    QVERIFY(layout->fraSelectData == select);
    QVERIFY(layout->fraOutput == output);
    QVERIFY(layout->txtOutput == pane);
}

void MainLayoutTest::minimizedWindowGetsNoLayout() {
    QVERIFY(!computeMainLayout(12000, 9000, true).has_value());
    // Minimized windows are left alone even when their height is below the minimum.
    QVERIFY(!computeMainLayout(2000, 400, true).has_value());
}

int runMainLayoutTests(int argc, char** argv) {
    MainLayoutTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_main_layout.moc"
