#include <QLabel>
#include <QTest>

#include "shell/frm_splash.h"
#include "shell/shell_tests.h"

using velmora::frmSplash;

class SplashTest : public QObject {
    Q_OBJECT
private slots:
    void splashHasItsDesignSizeAndLabels();
    void splashHasNoTitleBarButtons();
    void characterKeyClosesSplash_data();
    void characterKeyClosesSplash();
    void keyWithoutCharacterKeepsSplash();
    void clickOnFrameClosesSplash();
    void clickOnLabelOrMarginKeepsSplash_data();
    void clickOnLabelOrMarginKeepsSplash();

private:
    static bool at96Dpi(const QWidget& widget) {
        return widget.logicalDpiX() == 96 && widget.logicalDpiY() == 96;
    }
};

void SplashTest::splashHasItsDesignSizeAndLabels() {
    frmSplash splash;
    QCOMPARE(splash.objectName(), QStringLiteral("frmSplash"));
    QCOMPARE(splash.lblProductName()->text(), QStringLiteral("Velmora:"));
    QCOMPARE(splash.lblName2()->text(), QStringLiteral("Correlated Groups"));
    QCOMPARE(splash.lblCopyright()->text(), QStringLiteral("Copyright (c) 2026 The Velmora developers"));
    QCOMPARE(splash.lblCompany()->text(), QStringLiteral("Written by the Velmora team"));
    QCOMPARE(splash.lblProductName()->parentWidget(), splash.Frame1());
    QCOMPARE(splash.Frame1()->title(), QString());

    const QFont product = splash.lblProductName()->font();
    QCOMPARE(product.family(), QStringLiteral("Arial"));
    QCOMPARE(product.pointSizeF(), 36.0);
    QVERIFY(product.bold());
    QCOMPARE(splash.lblName2()->font().pointSizeF(), 16.5);
    QVERIFY(!splash.lblName2()->font().bold());
    QCOMPARE(splash.lblCopyright()->font().pointSizeF(), 8.25);
    QCOMPARE(splash.lblCompany()->font().family(), QStringLiteral("Arial"));

    const QColor highlight = splash.palette().color(QPalette::Active, QPalette::Highlight);
    QCOMPARE(splash.lblProductName()->palette().color(QPalette::WindowText), highlight);
    QCOMPARE(splash.lblName2()->palette().color(QPalette::WindowText), highlight);
    QVERIFY(splash.lblCopyright()->palette().color(QPalette::WindowText) != highlight);

    if (!at96Dpi(splash)) {
        QSKIP("pixel rectangles are written out for 96 dpi");
    }
    // 7380 x 4230 twips at 15 twips per pixel.
    QCOMPARE(splash.size(), QSize(492, 282));
    QCOMPARE(splash.minimumSize(), splash.maximumSize());
    QCOMPARE(splash.Frame1()->geometry(), QRect(10, 4, 472, 270));
    QCOMPARE(splash.lblProductName()->geometry(), QRect(16, 48, 422, 56));
    QCOMPARE(splash.lblName2()->geometry(), QRect(16, 104, 433, 33));
    QCOMPARE(splash.lblCopyright()->geometry(), QRect(8, 216, 417, 17));
    QCOMPARE(splash.lblCompany()->geometry(), QRect(8, 232, 417, 17));
}

void SplashTest::splashHasNoTitleBarButtons() {
    frmSplash splash;
    const Qt::WindowFlags flags = splash.windowFlags();
    QVERIFY(!(flags & Qt::WindowTitleHint));
    QVERIFY(!(flags & Qt::WindowSystemMenuHint));
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(flags & Qt::WindowCloseButtonHint));
    QCOMPARE(splash.windowTitle(), QString());
}

void SplashTest::characterKeyClosesSplash_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::newRow("Escape") << int(Qt::Key_Escape) << QStringLiteral("\x1b");
    QTest::newRow("Enter") << int(Qt::Key_Return) << QStringLiteral("\r");
    QTest::newRow("Backspace") << int(Qt::Key_Backspace) << QStringLiteral("\b");
    QTest::newRow("letter") << int(Qt::Key_A) << QStringLiteral("a");
    QTest::newRow("digit") << int(Qt::Key_7) << QStringLiteral("7");
}

void SplashTest::characterKeyClosesSplash() {
    QFETCH(int, key);
    QFETCH(QString, text);
    frmSplash splash;
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(&splash, &press);
    QVERIFY(!splash.isVisible());
}

void SplashTest::keyWithoutCharacterKeepsSplash() {
    frmSplash splash;
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
    for (const int key : {int(Qt::Key_Shift), int(Qt::Key_F5), int(Qt::Key_Left)}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString());
        QApplication::sendEvent(&splash, &press);
    }
    QVERIFY(splash.isVisible());
}

void SplashTest::clickOnFrameClosesSplash() {
    frmSplash splash;
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
    // Left of every label, inside the frame.
    QTest::mouseClick(splash.Frame1(), Qt::LeftButton, {}, QPoint(4, 30));
    QVERIFY(!splash.isVisible());
}

void SplashTest::clickOnLabelOrMarginKeepsSplash_data() {
    QTest::addColumn<QString>("target");
    QTest::newRow("product name") << QStringLiteral("lblProductName");
    QTest::newRow("second name line") << QStringLiteral("lblName2");
    QTest::newRow("copyright") << QStringLiteral("lblCopyright");
    QTest::newRow("authors") << QStringLiteral("lblCompany");
    QTest::newRow("margin") << QString();
}

void SplashTest::clickOnLabelOrMarginKeepsSplash() {
    QFETCH(QString, target);
    frmSplash splash;
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
    if (target.isEmpty()) {
        // The window's own area left of the frame.
        QTest::mouseClick(&splash, Qt::LeftButton, {}, QPoint(2, 100));
    } else {
        auto* label = splash.findChild<QLabel*>(target);
        QVERIFY(label != nullptr);
        QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(3, 3));
    }
    QVERIFY(splash.isVisible());
}

int runSplashTests(int argc, char** argv) {
    SplashTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_frm_splash.moc"
