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

    // A height below 7000 is raised to 7000: output 7000-2420-1200 = 3380, pane 3380-300.
    QTest::newRow("height 6000 raised to 7000")
        << 12000 << 6000 << 7000 << true << r(100, 100, 11700, 2220) << r(100, 2420, 11700, 3380)
        << r(200, 300, 11300, 3080);
    QTest::newRow("height 6999 raised") << 12000 << 6999 << 7000 << true << r(100, 100, 11700, 2220)
                                        << r(100, 2420, 11700, 3380) << r(200, 300, 11300, 3080);
    QTest::newRow("height exactly 7000 kept")
        << 12000 << 7000 << 7000 << false << r(100, 100, 11700, 2220) << r(100, 2420, 11700, 3380)
        << r(200, 300, 11300, 3080);
    QTest::newRow("width 12000 height 9000")
        << 12000 << 9000 << 9000 << false << r(100, 100, 11700, 2220) << r(100, 2420, 11700, 5380)
        << r(200, 300, 11300, 5080);
    // Narrower than 9300: both panels stay 9000 wide, wider than the window.
    QTest::newRow("width 8000 keeps panels 9000")
        << 8000 << 7500 << 7500 << false << r(100, 100, 9000, 2220) << r(100, 2420, 9000, 3880)
        << r(200, 300, 8600, 3580);
    QTest::newRow("width 9299 just below the bound")
        << 9299 << 8000 << 8000 << false << r(100, 100, 9000, 2220) << r(100, 2420, 9000, 4380)
        << r(200, 300, 8600, 4080);
    QTest::newRow("width 9300 at the bound")
        << 9300 << 8000 << 8000 << false << r(100, 100, 9000, 2220) << r(100, 2420, 9000, 4380)
        << r(200, 300, 8600, 4080);
    QTest::newRow("width 9301 above the bound")
        << 9301 << 8000 << 8000 << false << r(100, 100, 9001, 2220) << r(100, 2420, 9001, 4380)
        << r(200, 300, 8601, 4080);
    QTest::newRow("tiny window") << 0 << 0 << 7000 << true << r(100, 100, 9000, 2220)
                                 << r(100, 2420, 9000, 3380) << r(200, 300, 8600, 3080);
    QTest::newRow("maximized 1920x1080 px at 96 dpi")
        << 28800 << 16200 << 16200 << false << r(100, 100, 28500, 2220) << r(100, 2420, 28500, 12580)
        << r(200, 300, 28100, 12280);
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
