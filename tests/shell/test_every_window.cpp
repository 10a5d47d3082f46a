#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "analysis/descriptives/frm_descriptives.h"
#include "analysis/effect_size/frm_paired_effects.h"
#include "analysis/effect_size/frm_velmora.h"
#include "data/data_set.h"
#include "data/frm_navigate.h"
#include "output/frm_open_output.h"
#include "output/frm_save_output.h"
#include "runtime/output_file_system.h"
#include "runtime/qt_message_box.h"
#include "shell/frm_main.h"
#include "shell/frm_splash.h"
#include "shell/qt_output_pane.h"
#include "support/fake_clipboard.h"
#include "support/fake_clock.h"
#include "support/fake_message_box.h"

// What holds for every window: each caption, label and button text fits its
// control at the screen's logical resolution (the build runs this at 96 and at
// 144 dpi), and the keyboard habits of the desktop.

namespace {

using namespace velmora;

QString where(QWidget* window, QWidget* control) {
    return window->objectName() + QLatin1Char('/') + control->objectName();
}

QString misfit(QWidget* window, QWidget* control, int need, int room) {
    return QStringLiteral("%1: text needs %2 px, has %3")
        .arg(where(window, control))
        .arg(need)
        .arg(room);
}

// The texts of `window` that do not fit their controls.
QStringList misfits(QWidget* window) {
    QStringList found;
    const auto check = [&](QWidget* control, int need, int room) {
        if (need > room) found << misfit(window, control, need, room);
    };
    for (QWidget* control : window->findChildren<QWidget*>()) {
        if (!control->isVisibleTo(window)) continue;
        const QFontMetrics metrics = control->fontMetrics();
        QStyle* style = control->style();
        // With the control's own option, so that the style scales the
        // indicators for the resolution of the control's font.
        QStyleOptionButton styleOption;
        styleOption.initFrom(control);
        if (auto* option = qobject_cast<QRadioButton*>(control)) {
            const int indicator =
                style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, &styleOption, control) +
                style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, &styleOption, control);
            check(control, indicator + metrics.horizontalAdvance(option->text()), control->width());
        } else if (auto* list = qobject_cast<QListWidget*>(control)) {
            // The tick boxes are the list items' own: those with a tick state.
            const int indicator =
                style->pixelMetric(QStyle::PM_IndicatorWidth, &styleOption, control) +
                style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, &styleOption, control);
            for (int row = 0; row < list->count(); ++row) {
                const QListWidgetItem* item = list->item(row);
                if (!item->data(Qt::CheckStateRole).isValid()) continue;
                check(control, indicator + metrics.horizontalAdvance(item->text()),
                      list->viewport()->width());
            }
        } else if (auto* button = qobject_cast<QPushButton*>(control)) {
            styleOption.text = button->text();
            const QRect room =
                style->subElementRect(QStyle::SE_PushButtonContents, &styleOption, button);
            check(control, metrics.horizontalAdvance(button->text()), room.width());
        } else if (auto* label = qobject_cast<QLabel*>(control);
                   label && !label->text().isEmpty()) {
            const QRect room = label->contentsRect();
            check(control, metrics.horizontalAdvance(label->text()), room.width());
        } else if (auto* frame = qobject_cast<QGroupBox*>(control);
                   frame && !frame->title().isEmpty()) {
            QStyleOptionGroupBox frameOption;
            frameOption.initFrom(frame);
            frameOption.text = frame->title();
            frameOption.textAlignment = frame->alignment();
            frameOption.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
            const QRect title = style->subControlRect(QStyle::CC_GroupBox, &frameOption,
                                                      QStyle::SC_GroupBoxLabel, frame);
            check(control, title.left() + metrics.horizontalAdvance(frame->title()),
                  frame->width());
            // Nothing inside may reach into the caption or the border under it.
            const int inside = style
                                   ->subControlRect(QStyle::CC_GroupBox, &frameOption,
                                                    QStyle::SC_GroupBoxContents, frame)
                                   .top();
            for (QWidget* child : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                if (child->isVisibleTo(frame) && child->y() < inside) {
                    found << QStringLiteral("%1: top at %2 px, the inside of %3 at %4")
                                 .arg(where(window, child))
                                 .arg(child->y())
                                 .arg(frame->objectName())
                                 .arg(inside);
                }
            }
        }
    }
    return found;
}

// The windows, each with what it needs alive as long as it is. The data set
// has the most variables there can be, so that the lists show their widest
// items and the navigator its longest count.
struct Windows {
    Windows() { data.g_lngNumVariables = MAX_VARIABLES; }

    DataSet data;
    testing::FakeMessageBox messageBox;
    testing::FakeClipboard clipboard;
    testing::FakeMonotonicClock clock;
    testing::FakeWallClock wallClock;
    QPlainTextEdit paneEdit;
    OutputPane pane{&paneEdit};
    OutputFileSystem files;

    std::unique_ptr<QWidget> make(const QString& name) {
        const auto append = [](const std::string&) {};
        if (name == QLatin1String("frmMain"))
            return std::make_unique<frmMain>(data, messageBox, clipboard, clock);
        if (name == QLatin1String("frmSplash")) return std::make_unique<frmSplash>();
        if (name == QLatin1String("frmNavigate")) return std::make_unique<frmNavigate>(data);
        if (name == QLatin1String("frmVelmora"))
            return std::make_unique<frmVelmora>(data, messageBox, append, wallClock, clock);
        if (name == QLatin1String("frmPairedEffects"))
            return std::make_unique<frmPairedEffects>(data, messageBox, append, wallClock, clock);
        if (name == QLatin1String("frmDescriptives"))
            return std::make_unique<frmDescriptives>(data, messageBox, append);
        if (name == QLatin1String("frmSaveOutput"))
            return std::make_unique<frmSaveOutput>(pane, messageBox, files);
        if (name == QLatin1String("frmOpenOutput"))
            return std::make_unique<frmOpenOutput>(pane, messageBox);
        return nullptr;
    }
};

}  // namespace

class EveryWindowTest : public QObject {
    Q_OBJECT
private slots:
    void everyTextFitsItsControl_data();
    void everyTextFitsItsControl();
    void enterPressesTheFocusedButtonWhoseFrameShowsAtOnce_data();
    void enterPressesTheFocusedButtonWhoseFrameShowsAtOnce();
    void altAndF10OpenTheMenuBar();
    void messageBoxShowsItsUtf8TextAsWritten();
    void yesNoBoxAnswersNoToEnter();
};

void EveryWindowTest::everyTextFitsItsControl_data() {
    QTest::addColumn<QString>("window");
    for (const char* name :
         {"frmMain", "frmSplash", "frmNavigate", "frmVelmora", "frmPairedEffects",
          "frmDescriptives", "frmSaveOutput", "frmOpenOutput"}) {
        QTest::newRow(name) << QString::fromLatin1(name);
    }
}

void EveryWindowTest::everyTextFitsItsControl() {
    QFETCH(QString, window);
    Windows windows;
    const std::unique_ptr<QWidget> shown = windows.make(window);
    QVERIFY(shown != nullptr);
    // The build names the resolution it runs this at; a run at another one
    // would check nothing it was meant to.
    const QByteArray dpi = qgetenv("VELMORA_TEST_DPI");
    if (!dpi.isEmpty()) {
        QCOMPARE(shown->logicalDpiX(), dpi.toInt());
        QCOMPARE(shown->logicalDpiY(), dpi.toInt());
    }
    shown->show();
    QVERIFY(QTest::qWaitForWindowExposed(shown.get()));
    const QStringList found = misfits(shown.get());
    QVERIFY2(found.isEmpty(), qPrintable(found.join(QLatin1Char('\n'))));
}

void EveryWindowTest::enterPressesTheFocusedButtonWhoseFrameShowsAtOnce_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("key");
    // Buttons whose press leaves their window open.
    QTest::newRow("frmMain Return") << "frmMain"
                                    << "cmdImportData" << int(Qt::Key_Return);
    QTest::newRow("frmMain keypad Enter") << "frmMain"
                                          << "cmdImportData" << int(Qt::Key_Enter);
    QTest::newRow("frmNavigate") << "frmNavigate"
                                 << "cmdDown" << int(Qt::Key_Return);
    QTest::newRow("frmVelmora") << "frmVelmora"
                                << "cmdOK" << int(Qt::Key_Return);
    QTest::newRow("frmDescriptives") << "frmDescriptives"
                                     << "cmdOK" << int(Qt::Key_Return);
    QTest::newRow("frmSaveOutput") << "frmSaveOutput"
                                   << "cmdCancel" << int(Qt::Key_Return);
    QTest::newRow("frmOpenOutput") << "frmOpenOutput"
                                   << "cmdOpen" << int(Qt::Key_Return);
}

void EveryWindowTest::enterPressesTheFocusedButtonWhoseFrameShowsAtOnce() {
    QFETCH(QString, window);
    QFETCH(QString, button);
    QFETCH(int, key);
    Windows windows;
    const std::unique_ptr<QWidget> shown = windows.make(window);
    shown->show();
    shown->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(shown.get()));

    // The control that has the focus looks different from how it looks
    // without: its focus frame shows, though no key was pressed yet.
    QWidget* focused = QApplication::focusWidget();
    QVERIFY(focused != nullptr && focused->window() == shown.get());
    const QImage withFocus = focused->grab().toImage();
    focused->clearFocus();
    QVERIFY2(focused->grab().toImage() != withFocus, qPrintable(focused->objectName()));

    auto* target = shown->findChild<QPushButton*>(button);
    QVERIFY(target != nullptr);
    target->setFocus();
    QSignalSpy clicks(target, &QPushButton::clicked);
    QTest::keyClick(target, Qt::Key(key),
                    key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    QCOMPARE(clicks.count(), 1);
    // Only the focused button: Enter elsewhere presses nothing.
    shown->setFocus();
    QTest::keyClick(shown.get(), Qt::Key(key));
    QCOMPARE(clicks.count(), 1);
}

void EveryWindowTest::altAndF10OpenTheMenuBar() {
    Windows windows;
    const std::unique_ptr<QWidget> shown = windows.make(QStringLiteral("frmMain"));
    auto* window = static_cast<frmMain*>(shown.get());
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QMenuBar* bar = window->menuBar();
    QAction* file = bar->actions().first();
    QVERIFY(bar->activeAction() == nullptr);
    const QImage plain = bar->grab(bar->actionGeometry(file)).toImage();

    // Alt alone: the first menu is highlighted, ready for the arrow keys.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Alt);
    QCOMPARE(bar->activeAction(), file);
    QVERIFY(!file->menu()->isVisible());
    QVERIFY(bar->grab(bar->actionGeometry(file)).toImage() != plain);
    QTest::keyClick(bar, Qt::Key_Escape);
    QVERIFY(bar->activeAction() == nullptr);

    // F10: the first menu opens on its first item.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F10);
    QTRY_VERIFY(file->menu()->isVisible());
    QCOMPARE(bar->activeAction(), file);
    QCOMPARE(file->menu()->activeAction(), file->menu()->actions().first());
    QTest::keyClick(file->menu(), Qt::Key_Escape);
    QTRY_VERIFY(!file->menu()->isVisible());
}

// A message can carry a file name or the system's error text in the user's
// language, both UTF-8.
void EveryWindowTest::messageBoxShowsItsUtf8TextAsWritten() {
    QString shownText;
    QString shownTitle;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        shownText = box->text();
        shownTitle = box->windowTitle();
        box->button(QMessageBox::Ok)->click();
    });
    QtMessageBoxService service;
    const MessageResult result = service.show(
        "The output could not be saved: Permission non accord\xc3\xa9"
        "e",
        "Sortie \xe2\x80\x94 r\xc3\xa9sultats", MessageIcon::Warning, MessageButtons::Ok);
    QCOMPARE(result, MessageResult::Ok);
    QCOMPARE(shownText,
             QStringLiteral("The output could not be saved: Permission non accord\u00e9e"));
    QCOMPARE(shownTitle, QStringLiteral("Sortie \u2014 r\u00e9sultats"));
}

// A question whose Yes destroys a file: Enter, as a reflex, must answer No.
void EveryWindowTest::yesNoBoxAnswersNoToEnter() {
    QStringList buttons;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        for (QAbstractButton* button : box->buttons()) buttons << button->text().remove('&');
        QTest::keyClick(box, Qt::Key_Return);
    });
    QtMessageBoxService service;
    const MessageResult result =
        service.show("a.txt already exists. Do you want to replace it?", "Save Output",
                     MessageIcon::Warning, MessageButtons::YesNo);
    QCOMPARE(result, MessageResult::No);
    buttons.sort();
    QCOMPARE(buttons, (QStringList{"No", "Yes"}));
}

// Not QTEST_MAIN: it would make the style measure at 96 dpi whatever the screen.
int main(int argc, char** argv) {
    QApplication application(argc, argv);
    EveryWindowTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_every_window.moc"
