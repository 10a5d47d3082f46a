#include <QtTest/qtestspontaneevent.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMoveEvent>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <QXmlStreamReader>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "analysis/bootstrap/test_data.h"
#include "analysis/descriptives/descriptives_analysis.h"
#include "analysis/effect_size/effect_size_analysis.h"
#include "analysis/effect_size/frm_velmora.h"
#include "data/data_set.h"
#include "output/frm_open_output.h"
#include "output/frm_save_output.h"
#include "output/plot/bootstrap_plot.h"
#include "output/plot/frm_plot.h"
#include "runtime/qt_busy_run.h"
#include "runtime/qt_file_system_lists.h"
#include "runtime/qt_twips.h"
#include "runtime/random_stream.h"
#include "shell/frm_main.h"
#include "shell/frm_splash.h"
#include "shell/shell_tests.h"
#include "support/caption_of.h"
#include "support/fake_clipboard.h"
#include "support/fake_clock.h"
#include "support/fake_message_box.h"
#include "support/plot_svg.h"

using velmora::frmMain;
using velmora::testing::FakeClipboard;
using velmora::testing::FakeMessageBox;
using velmora::testing::FakeMonotonicClock;
using velmora::testing::FakeWallClock;

namespace {

// Everything the window needs, owned together; the clock runs in steps of one
// second so that the start-up wait takes three readings.
struct Fixture {
    velmora::DataSet data;
    FakeMessageBox messageBox;
    FakeClipboard clipboard;
    FakeMonotonicClock clock{0.0, 1.0};
    frmMain window{data, messageBox, clipboard, clock};
};

bool at96Dpi(const QWidget& widget) { return widget.logicalDpiX() == 96 && widget.logicalDpiY() == 96; }

bool showExposed(QWidget& window) {
    window.show();
    return QTest::qWaitForWindowExposed(&window);
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void selectFile(velmora::FileListBox* list, const QString& name) {
    const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    list->setCurrentItem(found.first());
}

std::string bytes(const QString& text) { return text.toLatin1().toStdString(); }

// Resizes the window so that its outer size, frame included, is `outer`.
void resizeOuter(QWidget& window, QSize outer) {
    const QSize frame = window.frameGeometry().size() - window.size();
    window.resize(outer - frame);
}

// Selects examples/pre_post_scores.txt (40 cases, 3 variables) and imports it.
void importExample(frmMain& window) {
    QVERIFY(window.dirDirectory()->setPath(QStringLiteral(VELMORA_EXAMPLES_DIR)));
    selectFile(window.filFile(), QStringLiteral("pre_post_scores.txt"));
    window.cmdImportData()->click();
}

// Runs `command` while watching for modal dialogs: the first one it opens is
// handed to `action`, and every one is hidden if still shown, so that a dialog
// nobody expected fails the check instead of waiting for a user. Returns the
// class of the first dialog that opened, empty when none did.
QString runWatchingDialogs(const std::function<void()>& command,
                           const std::function<void(QDialog*)>& action = {}) {
    QString opened;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        if (opened.isEmpty()) {
            opened = QString::fromLatin1(dialog->metaObject()->className());
            if (action) action(dialog);
        }
        if (dialog->isVisible()) dialog->hide();
    });
    watch.start(0);
    command();
    return opened;
}

// Chooses menu item `item` as runWatchingDialogs runs a command.
QString chooseMenuItem(frmMain& window, const char* item,
                       const std::function<void(QDialog*)>& action = {}) {
    return runWatchingDialogs(
        [&] { window.findChild<QAction*>(QString::fromLatin1(item))->trigger(); }, action);
}

// Opens the dialog from its menu item and runs `action` on it while it is
// shown modal; returns once the dialog is hidden or closed.
void openFromMenu(frmMain& window, const char* item, const std::function<void(QDialog*)>& action) {
    QVERIFY(!chooseMenuItem(window, item, action).isEmpty());
}

void press(QDialog* dialog, const char* name) {
    auto* button = dialog->findChild<QAbstractButton*>(QString::fromLatin1(name));
    QVERIFY2(button != nullptr, name);
    button->click();
}

void tick(QDialog* dialog, const char* list, int item) {
    dialog->findChild<QListWidget*>(QString::fromLatin1(list))
        ->item(item)
        ->setCheckState(Qt::Checked);
}

QStringList ticked(QDialog* dialog, const char* list) {
    QStringList texts;
    const auto* widget = dialog->findChild<QListWidget*>(QString::fromLatin1(list));
    for (int i = 0; i < widget->count(); ++i)
        if (widget->item(i)->checkState() == Qt::Checked) texts << widget->item(i)->text();
    return texts;
}

int itemCount(QDialog* dialog, const char* list) {
    return dialog->findChild<QListWidget*>(QString::fromLatin1(list))->count();
}

bool selected(QDialog* dialog, const char* option) {
    return dialog->findChild<QRadioButton*>(QString::fromLatin1(option))->isChecked();
}

// A window manager that frames the window only after it is shown, and tells
// the height of its decoration then.
class FramedLate : public frmMain {
public:
    using frmMain::frmMain;
    int decoration = 0;

    void frame(int height) {
        decoration = height;
        QMoveEvent moved(pos(), pos());
        QApplication::sendEvent(this, &moved);
    }

protected:
    int decorationHeight() const override { return decoration; }
};

void showActive(QWidget& window) {
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void controlsFollowTheControlTable();
    void windowStartsEmpty();
    void framesUseBoldCaptionsAndPaneAFixedPitchFace();
    void menuTreeHasEveryItemWithoutShortcuts();
    void focusStartsOnDirectoryListAndFollowsTabOrder();
    void startupWaitsTwoSecondsAfterSplashClosedAtOnce();
    void startupFillsFileTypesAndSetsPattern();
    void fileTypeChoiceSetsPatternButTypingDoesNot();
    void fileClickStoresPathAndShowsName();
    void newFileTypesListTheirFilesAndKeepTheDelimiter();
    void csvWithNamesImportsAndTheListsShowTheNames();
    void spssFileImportsWithItsNamesAndTextVariable();
    void importReadsSelectedFileWithChosenDelimiter();
    void importRefusalIsReportedAndLeavesPane();
    void importOpensFileWhoseNameIsOutsideLatin1();
    void importDiscardsBothAnalysisDialogs();
    void importFailureSaysWhyAndKeepsTheEarlierDataLabelsAndDialogs_data();
    void importFailureSaysWhyAndKeepsTheEarlierDataLabelsAndDialogs();
    void blankAndShortLinesAreMissingInBothReportsAndTheNavigator();
    void saveOutputRefusesTheLoadedAndTheSelectedDataFile();
    void editCommandsFollowTheFocusedControl();
    void clearOutputEmptiesOnlyThePane();
    void layoutFollowsWindowSize();
    void heightIsRaisedToTheMinimum();
    void firstClampCountsTheDecorationKnownLate();
    void minimizedWindowKeepsItsLayout();
    void navigateOpensNavigatorAnewEachTime();
    void velmoraFromTheMenuAppendsTheCoreReportForTheClockSeed();
    void pairedEffectsFromTheMenuAppendsOnlyItsBlockAndIsKeptUntilAnImport();
    void descriptivesFromTheMenuAppendsTheCoreReport();
    void exitDialogue_data();
    void exitDialogue();
    void hiddenSaveDialogDoesNotKeepTheProgramAlive();
    void openOutputAsksFirstWhenThePaneHoldsUnsavedText_data();
    void openOutputAsksFirstWhenThePaneHoldsUnsavedText();
    void longRunKeepsTheWindowsAliveButTakesNoInput();
    void bootstrapPlotShowsTheBatchPictureOfTheLastRunAndSavesIt();
};

void MainWindowTest::controlsFollowTheControlTable() {
    Fixture f;
    QCOMPARE(f.window.objectName(), QStringLiteral("frmMain"));
    QCOMPARE(f.window.windowTitle(), QStringLiteral("Velmora: Correlated Groups"));
    using Kind = velmora::MainControlKind;
    // The class each kind of row makes, in the order of MainControlKind.
    const char* const classes[] = {"QGroupBox",
                                   "QRadioButton",
                                   "velmora::DriveListBox",
                                   "velmora::DirListBox",
                                   "QComboBox",
                                   "velmora::FileListBox",
                                   "QLabel",
                                   "QLabel",
                                   "QPushButton",
                                   "QPlainTextEdit"};
    for (const velmora::MainControl& c : velmora::mainControlTable()) {
        auto* widget = f.window.findChild<QWidget*>(QString::fromLatin1(c.name));
        QVERIFY2(widget != nullptr, c.name);
        QVERIFY2(widget->inherits(classes[static_cast<int>(c.kind)]), c.name);
        QCOMPARE(widget->parentWidget()->objectName(), QString::fromLatin1(c.container));
        QCOMPARE(captionOf(widget), QString::fromLatin1(c.caption));
        QCOMPARE(widget->toolTip(), QString::fromLatin1(c.toolTip));
        // The layout rule places the two frames and the pane; the rest stay where designed.
        const bool laidOut = c.kind == Kind::Pane || c.container == std::string("clientArea");
        if (!laidOut) {
            QCOMPARE(widget->geometry(),
                     velmora::pixelRect(c.rect, widget->logicalDpiX(), widget->logicalDpiY()));
        }
    }
}

void MainWindowTest::windowStartsEmpty() {
    Fixture f;
    QCOMPARE(f.window.m_lngUnloadProgram, 0);
    QCOMPARE(f.window.m_strFileName, std::string());
    QCOMPARE(f.window.outputPane().text(), std::string());
    QVERIFY(f.window.optSpace()->isChecked());
    QVERIFY(!f.window.optComma()->isChecked());
    QVERIFY(!f.window.optTab()->isChecked());
    QVERIFY(f.window.cmbFileType()->isEditable());
    QCOMPARE(f.window.cmbFileType()->count(), 0);
    for (QLabel* label : {f.window.lblSelectedFile(), f.window.lblCurrentFile()}) {
        QCOMPARE(label->text(), QString());
        QVERIFY(label->autoFillBackground());
        QCOMPARE(label->palette().color(QPalette::Window), QColor(Qt::white));
        QCOMPARE(label->frameShape(), QFrame::Box);
    }
    QPlainTextEdit* pane = f.window.txtOutput();
    QCOMPARE(pane->lineWrapMode(), QPlainTextEdit::NoWrap);
    QCOMPARE(pane->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(pane->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
}

void MainWindowTest::framesUseBoldCaptionsAndPaneAFixedPitchFace() {
    Fixture f;
    for (QGroupBox* frame : {f.window.fraSelectData(), f.window.fraOutput()}) {
        QCOMPARE(frame->font().family(), QStringLiteral("Liberation Sans Narrow"));
        QCOMPARE(frame->font().pointSizeF(), 8.25);
        QVERIFY(frame->font().bold());
    }
    // Only the captions are bold, not the controls inside the frames.
    QVERIFY(!f.window.fraTypeOfDelimiter()->font().bold());
    QVERIFY(!f.window.optSpace()->font().bold());
    QVERIFY(!f.window.cmdImportData()->font().bold());
    QVERIFY(!f.window.lblSelectedFile()->font().bold());

    const QFont paneFont = f.window.txtOutput()->font();
    QCOMPARE(paneFont.family(), QStringLiteral("Courier"));
    QCOMPARE(paneFont.pointSizeF(), 9.75);
    QVERIFY(!paneFont.bold());
    QVERIFY2(QFontInfo(paneFont).fixedPitch(), qPrintable(QFontInfo(paneFont).family()));
    const QFontMetrics metrics(paneFont);
    QCOMPARE(metrics.horizontalAdvance(QStringLiteral("iiiii")),
             metrics.horizontalAdvance(QStringLiteral("WWWWW")));
}

void MainWindowTest::menuTreeHasEveryItemWithoutShortcuts() {
    Fixture f;
    struct Expected {
        const char* name;
        const char* title;
        QStringList items;  // "objectName=Text"
    };
    const Expected expected[] = {
        {"mnuFile",
         "File",
         {"mnuOpenOutput=Open Output", "mnuSaveOutput=Save Output", "mnuExit=Exit"}},
        {"mnuEdit",
         "Edit",
         {"mnuCut=Cut", "mnuCopy=Copy", "mnuPaste=Paste", "mnuClearOutput=Clear Output"}},
        {"mnuData", "Data", {"mnuNavigateDataFile=Navigate Data File"}},
        {"mnuAnalyses",
         "Analyses",
         {"mnuDescriptives=Descriptives", "mnuVelmora=Velmora",
          "mnuPairedEffects=Paired Effect Sizes", "mnuBootstrapPlot=Bootstrap Plot"}},
    };
    const QList<QAction*> top = f.window.menuBar()->actions();
    QCOMPARE(top.size(), 4);
    for (int i = 0; i < 4; ++i) {
        QMenu* menu = top[i]->menu();
        QVERIFY(menu != nullptr);
        QCOMPARE(menu->objectName(), QString::fromLatin1(expected[i].name));
        QCOMPARE(menu->title(), QString::fromLatin1(expected[i].title));
        QVERIFY(top[i]->shortcut().isEmpty());
        QStringList items;
        for (QAction* action : menu->actions()) {
            QVERIFY(!action->isSeparator());
            QVERIFY(action->shortcut().isEmpty());
            QVERIFY(!action->isCheckable());
            // Bootstrap Plot is greyed until a run has completed.
            QCOMPARE(action->isEnabled(),
                     action->objectName() != QLatin1String("mnuBootstrapPlot"));
            QVERIFY(action->isVisible());
            QVERIFY(action->menu() == nullptr);
            items << action->objectName() + QLatin1Char('=') + action->text();
        }
        QCOMPARE(items, expected[i].items);
    }
}

void MainWindowTest::focusStartsOnDirectoryListAndFollowsTabOrder() {
    Fixture f;
    f.window.Form_Load();
    showActive(f.window);
    QCOMPARE(QApplication::focusWidget(), f.window.dirDirectory());

    // One full round of Tab from the directory list; the option group is
    // entered on its selected button.
    QStringList visited;
    for (int i = 0; i < 12; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* now = QApplication::focusWidget();
        QVERIFY(now != nullptr);
        const QString name = now->objectName();
        if (visited.isEmpty() || visited.last() != name) visited << name;
        if (name == QStringLiteral("dirDirectory")) break;
    }
    visited.removeAll(QStringLiteral("optComma"));
    visited.removeAll(QStringLiteral("optTab"));
    QCOMPARE(visited, QStringList({"filFile", "drvDrive", "cmdImportData", "txtOutput", "optSpace",
                                   "cmbFileType", "dirDirectory"}));
}

void MainWindowTest::startupWaitsTwoSecondsAfterSplashClosedAtOnce() {
    velmora::DataSet data;
    FakeMessageBox messageBox;
    FakeClipboard clipboard;
    // One second before midnight, readings every quarter second.
    FakeMonotonicClock clock(86399.0, 0.25);
    frmMain window(data, messageBox, clipboard, clock);

    int readsWhenClosed = -1;
    bool mainVisibleDuringWait = true;
    QTimer::singleShot(0, [&] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* splash = qobject_cast<velmora::frmSplash*>(top); splash && splash->isVisible()) {
                mainVisibleDuringWait = window.isVisible();
                QTest::keyClick(splash, Qt::Key_Escape);
                if (!splash->isVisible()) readsWhenClosed = clock.reads;
            }
        }
    });
    window.Form_Load();

    QVERIFY(readsWhenClosed > 0);
    QVERIFY(readsWhenClosed < 9);
    QVERIFY(!mainVisibleDuringWait);
    // The start reading and eight more, up to 86401: the full two seconds.
    QCOMPARE(clock.reads, 9);
    for (QWidget* top : QApplication::topLevelWidgets()) {
        QVERIFY(qobject_cast<velmora::frmSplash*>(top) == nullptr);
    }
    QVERIFY(!window.isVisible());
}

void MainWindowTest::startupFillsFileTypesAndSetsPattern() {
    Fixture f;
    QCOMPARE(f.window.cmbFileType()->currentText(), QStringLiteral("File type"));
    f.window.Form_Load();
    QCOMPARE(f.clock.reads, 3);  // start 0, then 1 and 2
    QCOMPARE(f.window.filFile()->pattern(), QStringLiteral("*.txt"));
    QCOMPARE(f.window.cmbFileType()->count(), 6);
    QCOMPARE(f.window.cmbFileType()->itemText(0), QStringLiteral("Text (*.txt)"));
    QCOMPARE(f.window.cmbFileType()->itemText(1), QStringLiteral("Data (*.dat)"));
    QCOMPARE(f.window.cmbFileType()->itemText(2), QStringLiteral("CSV (*.csv)"));
    QCOMPARE(f.window.cmbFileType()->itemText(3), QStringLiteral("Tab separated (*.tsv)"));
    QCOMPARE(f.window.cmbFileType()->itemText(4), QStringLiteral("All files (*)"));
    QCOMPARE(f.window.cmbFileType()->itemText(5),
             QStringLiteral("SPSS, Stata, SAS (*.sav *.zsav *.por *.dta *.sas7bdat *.xpt)"));
    QCOMPARE(f.window.cmbFileType()->toolTip(),
             QStringLiteral("Specify file extension (*.txt, *.dat, *.csv, *.tsv, all files, or "
                            "SPSS, Stata and SAS files)"));
    QCOMPARE(f.window.cmbFileType()->currentIndex(), 0);
    QCOMPARE(f.window.cmbFileType()->currentText(), QStringLiteral("Text (*.txt)"));
}

void MainWindowTest::fileTypeChoiceSetsPatternButTypingDoesNot() {
    Fixture f;
    f.window.Form_Load();
    QComboBox* combo = f.window.cmbFileType();
    combo->setCurrentIndex(1);
    emit combo->activated(1);
    QCOMPARE(f.window.filFile()->pattern(), QStringLiteral("*.dat"));
    combo->setCurrentIndex(0);
    emit combo->activated(0);
    QCOMPARE(f.window.filFile()->pattern(), QStringLiteral("*.txt"));

    // Typing into the text field changes neither the pattern nor the items,
    // not even the text of the other item, or its first letter, and Enter.
    for (const QString& typed : {QStringLiteral("*.csv"), QStringLiteral("Data (*.dat)"), QStringLiteral("D")}) {
        combo->lineEdit()->clear();
        QTest::keyClicks(combo->lineEdit(), typed);
        QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
        QCOMPARE(f.window.filFile()->pattern(), QStringLiteral("*.txt"));
        QCOMPARE(combo->count(), 6);
        QCOMPARE(combo->currentIndex(), 0);
        QCOMPARE(combo->currentText(), typed);
    }
}

void MainWindowTest::fileClickStoresPathAndShowsName() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFile(dir.filePath(QStringLiteral("a.txt")), "1\r\n");
    writeFile(dir.filePath(QStringLiteral("b.txt")), "2\r\n");
    writeFile(dir.filePath(QStringLiteral("c.dat")), "3\r\n");
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));

    Fixture f;
    f.window.Form_Load();
    QVERIFY(f.window.dirDirectory()->setPath(dir.path()));
    QCOMPARE(f.window.filFile()->path(), dir.path());
    selectFile(f.window.filFile(), QStringLiteral("b.txt"));
    QCOMPARE(f.window.m_strFileName, bytes(dir.path() + QStringLiteral("/b.txt")));
    QCOMPARE(f.window.lblSelectedFile()->text(), QStringLiteral("b.txt"));

    // Another file type or directory leaves the choice as it was.
    f.window.cmbFileType()->setCurrentIndex(1);
    emit f.window.cmbFileType()->activated(1);
    QCOMPARE(f.window.filFile()->count(), 1);
    QVERIFY(f.window.dirDirectory()->setPath(dir.filePath(QStringLiteral("sub"))));
    QCOMPARE(f.window.m_strFileName, bytes(dir.path() + QStringLiteral("/b.txt")));
    QCOMPARE(f.window.lblSelectedFile()->text(), QStringLiteral("b.txt"));
}

QStringList listed(const velmora::FileListBox* list) {
    QStringList names;
    for (int i = 0; i < list->count(); ++i) names << list->item(i)->text();
    names.sort();
    return names;
}

void MainWindowTest::newFileTypesListTheirFilesAndKeepTheDelimiter() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const char* name : {"a.txt", "b.dat", "c.csv", "d.tsv", "E.CSV", "f.csv.bak", "g", "h.sav",
                             "i.dta", "j.xpt", "k.sas7bdat", "l.por", "m.zsav"})
        writeFile(dir.filePath(QString::fromLatin1(name)), "1\r\n");
    Fixture f;
    f.window.Form_Load();
    QVERIFY(f.window.dirDirectory()->setPath(dir.path()));
    f.window.optTab()->setChecked(true);
    const struct {
        int index;
        const char* pattern;
        QStringList files;
    } types[] = {
        {2, "*.csv", {"c.csv"}},
        {3, "*.tsv", {"d.tsv"}},
        {4,
         "*",
         {"E.CSV", "a.txt", "b.dat", "c.csv", "d.tsv", "f.csv.bak", "g", "h.sav", "i.dta", "j.xpt",
          "k.sas7bdat", "l.por", "m.zsav"}},
        {5,
         "*.sav;*.zsav;*.por;*.dta;*.sas7bdat;*.xpt",
         {"h.sav", "i.dta", "j.xpt", "k.sas7bdat", "l.por", "m.zsav"}},
        {0, "*.txt", {"a.txt"}},
    };
    for (const auto& type : types) {
        f.window.cmbFileType()->setCurrentIndex(type.index);
        emit f.window.cmbFileType()->activated(type.index);
        QCOMPARE(f.window.filFile()->pattern(), QString::fromLatin1(type.pattern));
        QCOMPARE(listed(f.window.filFile()), type.files);
        // A .csv file may use any delimiter: the type leaves the option alone.
        QVERIFY(f.window.optTab()->isChecked());
    }
}

// An SPSS file imports by its content through the window as through the batch.
void MainWindowTest::spssFileImportsWithItsNamesAndTextVariable() {
    Fixture f;
    f.window.Form_Load();
    QVERIFY(f.window.dirDirectory()->setPath(QStringLiteral(VELMORA_FIXTURES_DIR "/exports")));
    f.window.cmbFileType()->setCurrentIndex(5);
    emit f.window.cmbFileType()->activated(5);
    selectFile(f.window.filFile(), QStringLiteral("pairs.sav"));
    f.window.cmdImportData()->click();
    QVERIFY(f.messageBox.shown.empty());
    QCOMPARE(f.data.g_lngNumCases, 30);
    QCOMPARE(f.window.lblCurrentFile()->text(), QStringLiteral("pairs.sav"));
    const std::string pane = f.window.outputPane().text();
    QCOMPARE(pane.substr(0, pane.find("\r\n")),
             std::string("Opened the SPSS data file: " VELMORA_FIXTURES_DIR "/exports/pairs.sav"));
    QVERIFY(pane.find("Text variables (not analysed): Var 3 = id\r\n") != std::string::npos);
    QVERIFY(velmora::isMissing(f.data.cell(4, 1)));  // 999, user-defined missing
    QCOMPARE(velmora::variableListItem(f.data, 3), std::string("Var 3 id (text)"));

    // A workbook says what it is in the "Data Editor" box.
    f.window.cmbFileType()->setCurrentIndex(4);
    emit f.window.cmbFileType()->activated(4);
    selectFile(f.window.filFile(), QStringLiteral("pairs.xlsx"));
    f.window.cmdImportData()->click();
    QCOMPARE(f.messageBox.shown.size(), std::size_t{1});
    QCOMPARE(f.messageBox.shown[0].title, std::string("Data Editor"));
    QCOMPARE(f.messageBox.shown[0].text,
             std::string("The data file '" VELMORA_FIXTURES_DIR
                         "/exports/pairs.xlsx' is a spreadsheet workbook, not a text file: save "
                         "the sheet as CSV."));
}

void MainWindowTest::csvWithNamesImportsAndTheListsShowTheNames() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFile(dir.filePath(QStringLiteral("scores.csv")),
              "\"pre\",\"post\"\n1,2\nNA,3\n4,NA\n5,7\n");
    Fixture f;
    f.window.Form_Load();
    QVERIFY(f.window.dirDirectory()->setPath(dir.path()));
    f.window.cmbFileType()->setCurrentIndex(2);
    emit f.window.cmbFileType()->activated(2);
    selectFile(f.window.filFile(), QStringLiteral("scores.csv"));
    f.window.optComma()->setChecked(true);
    f.window.cmdImportData()->click();
    QVERIFY(f.messageBox.shown.empty());
    QCOMPARE(f.window.outputPane().text(),
             "Opened the text file: " + bytes(dir.path()) +
                 "/scores.csv\r\nNumber of Cases: 4\r\nNumber of Variables: 2\r\n"
                 "Variable names: Var 1 = pre, Var 2 = post\r\n\r\n\r\n");
    const QStringList items = {"Var 1 pre", "Var 2 post"};
    const auto listItems = [](QDialog* dialog, const char* list) {
        QStringList texts;
        const auto* widget = dialog->findChild<QListWidget*>(QString::fromLatin1(list));
        for (int i = 0; i < widget->count(); ++i) texts << widget->item(i)->text();
        return texts;
    };
    openFromMenu(f.window, "mnuVelmora", [&](QDialog* dialog) {
        QCOMPARE(listItems(dialog, "lstV1"), items);
        QCOMPARE(listItems(dialog, "lstV2"), items);
        press(dialog, "cmdCancel");
    });
    openFromMenu(f.window, "mnuDescriptives", [&](QDialog* dialog) {
        QCOMPARE(listItems(dialog, "lstItems"), items);
        tick(dialog, "lstItems", 0);
        press(dialog, "cmdOK");
    });
    // The report names the variable by its name: pre's mean of 1, 4 and 5.
    QVERIFY(f.window.outputPane().text().find("\r\npre            3.333") != std::string::npos);
    // So do the Velmora report and the paired block.
    for (const char* menu : {"mnuVelmora", "mnuPairedEffects"})
        openFromMenu(f.window, menu, [](QDialog* dialog) {
            tick(dialog, "lstV1", 0);
            tick(dialog, "lstV2", 1);
            press(dialog, "cmdOK");
        });
    const std::string pane = f.window.outputPane().text();
    QVERIFY(pane.find("\r\nStatistic                  pre           post\r\n") !=
            std::string::npos);
    QVERIFY(pane.find("\r\nVar1 = Var 1 (pre); Var2 = Var 2 (post)\r\n") != std::string::npos);
    QVERIFY(pane.find("\r\nVar1 = Var 1 (pre); Var2 = Var 2 (post); D = Var2 - Var1\r\n") !=
            std::string::npos);
}

void MainWindowTest::importReadsSelectedFileWithChosenDelimiter() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFile(dir.filePath(QStringLiteral("pairs.txt")), "1,2\r\n3,4\r\n5,.\r\n");
    writeFile(dir.filePath(QStringLiteral("tabs.txt")), "1\t2\t3\r\n");
    writeFile(dir.filePath(QStringLiteral("semi.txt")), "1,5;2\r\n");
    writeFile(dir.filePath(QStringLiteral("runs.txt")), "  1 \t  2   3\r\n");

    Fixture f;
    f.window.Form_Load();
    QVERIFY(f.window.dirDirectory()->setPath(dir.path()));
    QTest::keyClicks(f.window.txtOutput(), "abc");

    selectFile(f.window.filFile(), QStringLiteral("pairs.txt"));
    f.window.optComma()->setChecked(true);
    f.window.cmdImportData()->click();
    QCOMPARE(f.data.g_lngNumCases, 3);
    QCOMPARE(f.data.g_lngNumVariables, 2);
    QCOMPARE(f.window.lblCurrentFile()->text(), QStringLiteral("pairs.txt"));
    const std::string first = "abcOpened the text file: " + bytes(dir.path()) +
                              "/pairs.txt\r\nNumber of Cases: 3\r\nNumber of Variables: 2\r\n\r\n\r\n";
    QCOMPARE(f.window.outputPane().text(), first);

    selectFile(f.window.filFile(), QStringLiteral("tabs.txt"));
    f.window.optTab()->setChecked(true);
    f.window.cmdImportData()->click();
    QCOMPARE(f.data.g_lngNumCases, 1);
    QCOMPARE(f.data.g_lngNumVariables, 3);
    QCOMPARE(f.window.lblCurrentFile()->text(), QStringLiteral("tabs.txt"));
    QCOMPARE(f.window.outputPane().text(),
             first + "Opened the text file: " + bytes(dir.path()) +
                 "/tabs.txt\r\nNumber of Cases: 1\r\nNumber of Variables: 3\r\n\r\n\r\n");
    QVERIFY(f.messageBox.shown.empty());

    // The two delimiters of their own: semicolons with decimal commas, and runs of blanks.
    const std::vector<std::pair<QRadioButton*, QString>> more = {
        {f.window.optSemicolon(), QStringLiteral("semi.txt")},
        {f.window.optWhitespace(), QStringLiteral("runs.txt")}};
    for (const auto& [button, file] : more) {
        QCOMPARE(button->parentWidget(), f.window.fraTypeOfDelimiter());
        selectFile(f.window.filFile(), file);
        button->setChecked(true);
        QVERIFY(!f.window.optSpace()->isChecked());
        f.window.cmdImportData()->click();
        QCOMPARE(f.data.g_lngNumCases, 1);
    }
    QCOMPARE(f.data.g_lngNumVariables, 3);
    QCOMPARE(f.data.cell(1, 3), 3.0f);
    f.window.optSemicolon()->setChecked(true);
    selectFile(f.window.filFile(), QStringLiteral("semi.txt"));
    f.window.cmdImportData()->click();
    QCOMPARE(f.data.g_lngNumVariables, 2);
    QCOMPARE(f.data.cell(1, 1), 1.5f);
    QVERIFY(f.messageBox.shown.empty());
}

void MainWindowTest::importOpensFileWhoseNameIsOutsideLatin1() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString name = QString::fromUtf8("\xc3\xa9t\xc3\xa9 \xe2\x82\xac.txt");  // "été €.txt"
    writeFile(dir.filePath(name), "1 2\r\n");

    Fixture f;
    f.window.Form_Load();
    QVERIFY(f.window.dirDirectory()->setPath(dir.path()));
    selectFile(f.window.filFile(), name);
    f.window.cmdImportData()->click();
    QCOMPARE(f.data.g_lngNumCases, 1);
    QCOMPARE(f.data.g_lngNumVariables, 2);
    QCOMPARE(f.window.lblCurrentFile()->text(), name);
    // The pane holds the path's own bytes (UTF-8 on this file system), one to one.
    const std::string expected = "Opened the text file: " + QFile::encodeName(dir.path()).toStdString() +
                                 "/\xc3\xa9t\xc3\xa9 \xe2\x82\xac.txt\r\nNumber of Cases: 1\r\n"
                                 "Number of Variables: 2\r\n\r\n\r\n";
    QCOMPARE(f.window.outputPane().text(), expected);
}

void MainWindowTest::importRefusalIsReportedAndLeavesPane() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFile(dir.filePath(QStringLiteral("pairs.txt")), "1 2\r\n3,4\r\n");

    Fixture f;
    f.window.Form_Load();
    QVERIFY(f.window.dirDirectory()->setPath(dir.path()));
    selectFile(f.window.filFile(), QStringLiteral("pairs.txt"));
    f.window.cmdImportData()->click();  // blanks chosen: "3,4" is no number
    QCOMPARE(f.messageBox.shown.size(), std::size_t(1));
    QCOMPARE(f.messageBox.shown[0].text, std::string("Row 2 of Column 1 has an invalid entry for analysis."));
    QCOMPARE(f.messageBox.shown[0].title, std::string("Data Editor"));
    QCOMPARE(f.window.outputPane().text(), std::string());
    QCOMPARE(f.window.lblCurrentFile()->text(), QString());
}

void MainWindowTest::importDiscardsBothAnalysisDialogs() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFile(dir.filePath(QStringLiteral("one.txt")), "7\r\n");

    Fixture f;
    f.window.Form_Load();
    velmora::DialogHost& host = f.window.dialogs();
    for (const char* name :
         {velmora::DLG_DESCRIPTIVES, velmora::DLG_VELMORA, velmora::DLG_PAIRED_EFFECTS}) {
        host.registerDialog(QString::fromLatin1(name), [] { return new QDialog; });
        QTimer::singleShot(0, [&host, name] { host.existing(QString::fromLatin1(name))->hide(); });
        host.open(QString::fromLatin1(name));
        QVERIFY(host.existing(QString::fromLatin1(name)) != nullptr);
    }
    // Nothing selected yet: the import ends without a result and keeps the dialogs.
    f.window.cmdImportData_Click();
    QVERIFY(host.existing(QString::fromLatin1(velmora::DLG_VELMORA)) != nullptr);

    QVERIFY(f.window.dirDirectory()->setPath(dir.path()));
    selectFile(f.window.filFile(), QStringLiteral("one.txt"));
    f.window.cmdImportData_Click();
    QCOMPARE(f.data.g_lngNumCases, 1);
    QCOMPARE(host.existing(QString::fromLatin1(velmora::DLG_DESCRIPTIVES)), nullptr);
    QCOMPARE(host.existing(QString::fromLatin1(velmora::DLG_VELMORA)), nullptr);
    QCOMPARE(host.existing(QString::fromLatin1(velmora::DLG_PAIRED_EFFECTS)), nullptr);
}

void MainWindowTest::importFailureSaysWhyAndKeepsTheEarlierDataLabelsAndDialogs_data() {
    QTest::addColumn<QString>("file");      // selected after good.txt; empty: none selected
    QTest::addColumn<QByteArray>("bytes");  // its content; empty: deleted once selected
    QTest::addColumn<QString>("message");   // "%1" stands for the directory
    QByteArray wide = "1";
    for (int j = 2; j <= 1001; ++j) wide += " " + QByteArray::number(j);
    QTest::newRow("invalid entry") << "bad.txt" << QByteArray("1 2\r\nx 3\r\n")
                                   << "Row 2 of Column 1 has an invalid entry for analysis.";
    QTest::newRow("number out of range")
        << "huge.txt" << QByteArray("1 1e39\r\n")
        << "Row 1 of Column 2 holds a number beyond the single-precision range.";
    QTest::newRow("too many fields") << "wide.txt" << wide << "Line 1 has more than 1000 fields.";
    QTest::newRow("file deleted after it was selected")
        << "gone.txt" << QByteArray()
        << "Cannot open the data file '%1/gone.txt': No such file or directory";
    QTest::newRow("no file selected") << QString() << QByteArray() << "No data file is selected.";
}

void MainWindowTest::importFailureSaysWhyAndKeepsTheEarlierDataLabelsAndDialogs() {
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFile(dir.filePath(QStringLiteral("good.txt")), "7 8\r\n9 10\r\n");
    if (!file.isEmpty())
        writeFile(dir.filePath(file), bytes.isEmpty() ? QByteArray("1\r\n") : bytes);

    Fixture f;
    f.window.Form_Load();
    QVERIFY(f.window.dirDirectory()->setPath(dir.path()));
    selectFile(f.window.filFile(), QStringLiteral("good.txt"));
    f.window.cmdImportData()->click();
    openFromMenu(f.window, "mnuDescriptives", [](QDialog* dialog) {
        tick(dialog, "lstItems", 1);
        press(dialog, "cmdCancel");
    });
    openFromMenu(f.window, "mnuVelmora", [](QDialog* dialog) { press(dialog, "cmdCancel"); });
    const std::string pane = f.window.outputPane().text();

    if (file.isEmpty()) {
        f.window.m_strFileName.clear();  // as before any click in the file list
    } else {
        selectFile(f.window.filFile(), file);
        if (bytes.isEmpty()) QVERIFY(QFile::remove(dir.filePath(file)));
    }
    f.window.cmdImportData()->click();

    QCOMPARE(f.messageBox.shown.size(), std::size_t(1));
    QCOMPARE(f.messageBox.shown[0].text,
             QString(message).replace(QStringLiteral("%1"), dir.path()).toStdString());
    QCOMPARE(f.messageBox.shown[0].title, std::string("Data Editor"));
    QVERIFY(f.messageBox.shown[0].icon == velmora::MessageIcon::Warning);
    QVERIFY(f.messageBox.shown[0].buttons == velmora::MessageButtons::Ok);
    QCOMPARE(f.data.g_lngNumCases, 2);
    QCOMPARE(f.data.g_lngNumVariables, 2);
    QCOMPARE(f.data.cell(1, 1), 7.0f);
    QCOMPARE(f.data.cell(2, 2), 10.0f);
    QCOMPARE(f.window.lblCurrentFile()->text(), QStringLiteral("good.txt"));
    QCOMPARE(f.window.outputPane().text(), pane);
    // Both dialogs are the ones built for good.txt, with their choices.
    openFromMenu(f.window, "mnuDescriptives", [](QDialog* dialog) {
        QCOMPARE(itemCount(dialog, "lstItems"), 2);
        QCOMPARE(ticked(dialog, "lstItems"), QStringList({"Var 2"}));
        press(dialog, "cmdCancel");
    });
    QVERIFY(f.window.dialogs().existing(QString::fromLatin1(velmora::DLG_VELMORA)) != nullptr);
    openFromMenu(f.window, "mnuVelmora", [](QDialog* dialog) {
        QCOMPARE(itemCount(dialog, "lstV1"), 2);
        press(dialog, "cmdCancel");
    });
}

// Line 2 of the example file cut short to one missing field, and a blank line
// after the last: 42 cases whose reports are those of the 40.
void MainWindowTest::blankAndShortLinesAreMissingInBothReportsAndTheNavigator() {
    QFile example(QStringLiteral(VELMORA_EXAMPLES_DIR "/pre_post_scores.txt"));
    QVERIFY(example.open(QIODevice::ReadOnly));
    const QByteArray original = example.readAll();
    const qsizetype firstEnd = original.indexOf("\r\n") + 2;
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFile(dir.filePath(QStringLiteral("plain.txt")), original);
    writeFile(dir.filePath(QStringLiteral("padded.txt")),
              original.left(firstEnd) + ".\r\n" + original.mid(firstEnd) + "\r\n");

    Fixture f;
    f.window.Form_Load();
    QVERIFY(f.window.dirDirectory()->setPath(dir.path()));
    const auto reports = [&](const QString& name) {
        selectFile(f.window.filFile(), name);
        f.window.cmdImportData()->click();
        velmora::DefaultRandomStream random(20261208);
        return velmora::RunDescriptivesAnalysis(f.data, {true, true, true}).report +
               velmora::RunEffectSizeAnalysis(f.data, velmora::testing::optionsFor(600, 0.95f, 1),
                                              random)
                   .report;
    };
    const std::string plain = reports(QStringLiteral("plain.txt"));
    QCOMPARE(f.data.g_lngNumCases, 40);
    QCOMPARE(reports(QStringLiteral("padded.txt")), plain);
    QCOMPARE(f.data.g_lngNumCases, 42);
    QCOMPARE(f.data.g_lngNumVariables, 3);
    QVERIFY(plain.find("Var 1         52.882     9.022      30.5      67.9        39\r\n") !=
            std::string::npos);
    QVERIFY(plain.find("Pooled Cohen's D = -0.402\r\n") != std::string::npos);

    openFromMenu(f.window, "mnuNavigateDataFile", [](QDialog* dialog) {
        const auto cell = [dialog] {
            return dialog->findChild<QLabel*>(QStringLiteral("lblCell"))->text();
        };
        press(dialog, "cmdDown");
        press(dialog, "cmdRight");
        QCOMPARE(cell(), QStringLiteral("."));  // row 2, beyond its one field
        for (int row = 3; row <= 42; ++row) press(dialog, "cmdDown");
        QCOMPARE(cell(), QStringLiteral("."));  // the blank last line
        press(dialog, "cmdLeft");
        QCOMPARE(cell(), QStringLiteral("."));
        dialog->close();
    });
    QVERIFY(f.messageBox.shown.empty());
}

void MainWindowTest::saveOutputRefusesTheLoadedAndTheSelectedDataFile() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFile(dir.filePath(QStringLiteral("loaded.txt")), "1 2\r\n");
    writeFile(dir.filePath(QStringLiteral("chosen.txt")), "3 4\r\n");
    Fixture f;
    f.window.Form_Load();
    QVERIFY(f.window.dirDirectory()->setPath(dir.path()));
    selectFile(f.window.filFile(), QStringLiteral("loaded.txt"));
    f.window.cmdImportData()->click();
    selectFile(f.window.filFile(), QStringLiteral("chosen.txt"));  // selected, not imported
    openFromMenu(f.window, "mnuSaveOutput", [&](QDialog* dialog) {
        auto* save = qobject_cast<velmora::frmSaveOutput*>(dialog);
        QVERIFY(save != nullptr);
        QVERIFY(save->dirDirectory()->setPath(dir.path()));
        for (const char* name : {"loaded", "chosen"}) {
            save->txtSavedFileName()->setText(QString::fromLatin1(name));
            save->cmdSave()->click();
        }
        QVERIFY(save->isVisible());
        save->cmdCancel()->click();
    });
    const auto& boxes = f.messageBox.shown;
    QCOMPARE(boxes.size(), std::size_t(2));
    QCOMPARE(boxes[0].text, std::string("loaded.txt is the data file currently loaded. Save the "
                                        "output under another name."));
    QCOMPARE(boxes[1].text, std::string("chosen.txt is the data file selected for import. Save "
                                        "the output under another name."));
    QFile loaded(dir.filePath(QStringLiteral("loaded.txt")));
    QVERIFY(loaded.open(QIODevice::ReadOnly));
    QCOMPARE(loaded.readAll(), QByteArray("1 2\r\n"));
    QFile chosen(dir.filePath(QStringLiteral("chosen.txt")));
    QVERIFY(chosen.open(QIODevice::ReadOnly));
    QCOMPARE(chosen.readAll(), QByteArray("3 4\r\n"));
}

void MainWindowTest::editCommandsFollowTheFocusedControl() {
    Fixture f;
    f.window.Form_Load();
    showActive(f.window);
    f.window.appendToPane("abcd\r\n");
    QTextCursor cursor = f.window.txtOutput()->textCursor();
    cursor.setPosition(1);
    cursor.setPosition(3, QTextCursor::KeepAnchor);
    f.window.txtOutput()->setTextCursor(cursor);

    // On the directory list: the clipboard is emptied, the pane keeps its text.
    f.clipboard.content = "earlier";
    f.window.dirDirectory()->setFocus();
    QCOMPARE(QApplication::focusWidget(), f.window.dirDirectory());
    QCOMPARE(chooseMenuItem(f.window, "mnuCut"), QString());
    QVERIFY(!f.clipboard.content.has_value());
    QCOMPARE(f.window.outputPane().text(), std::string("abcd\r\n"));

    // On the editable combo box, which holds a text field but is no text box.
    f.clipboard.content = "earlier";
    f.window.cmbFileType()->setFocus();
    f.window.mnuCopy_Click();
    QVERIFY(!f.clipboard.content.has_value());
    f.clipboard.content = "XY";
    f.window.mnuPaste_Click();
    QCOMPARE(f.window.outputPane().text(), std::string("abcd\r\n"));
    QCOMPARE(f.window.cmbFileType()->currentText(), QStringLiteral("Text (*.txt)"));

    // On the pane itself.
    f.window.txtOutput()->setFocus();
    QCOMPARE(chooseMenuItem(f.window, "mnuCopy"), QString());
    QCOMPARE(f.clipboard.content, std::optional<std::string>("bc"));
    f.window.mnuCut_Click();
    QCOMPARE(f.window.outputPane().text(), std::string("ad\r\n"));
    f.clipboard.content.reset();
    cursor = f.window.txtOutput()->textCursor();
    cursor.setPosition(0);
    cursor.setPosition(2, QTextCursor::KeepAnchor);
    f.window.txtOutput()->setTextCursor(cursor);
    QCOMPARE(chooseMenuItem(f.window, "mnuPaste"), QString());
    QCOMPARE(f.window.outputPane().text(), std::string("\r\n"));
}

void MainWindowTest::clearOutputEmptiesOnlyThePane() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFile(dir.filePath(QStringLiteral("one.txt")), "7\r\n");
    Fixture f;
    f.window.Form_Load();
    QVERIFY(f.window.dirDirectory()->setPath(dir.path()));
    selectFile(f.window.filFile(), QStringLiteral("one.txt"));
    f.window.cmdImportData_Click();
    QVERIFY(!f.window.outputPane().text().empty());

    QCOMPARE(chooseMenuItem(f.window, "mnuClearOutput"), QString());
    QCOMPARE(f.window.outputPane().text(), std::string());
    QCOMPARE(f.window.lblCurrentFile()->text(), QStringLiteral("one.txt"));
    QCOMPARE(f.window.lblSelectedFile()->text(), QStringLiteral("one.txt"));
    QCOMPARE(f.data.g_lngNumCases, 1);
    QVERIFY(!f.window.m_strFileName.empty());
    // Again on the empty pane: nothing is asked.
    f.window.mnuClearOutput_Click();
    QCOMPARE(f.window.outputPane().text(), std::string());
    QVERIFY(f.messageBox.shown.empty());
}

void MainWindowTest::layoutFollowsWindowSize() {
    Fixture f;
    if (!at96Dpi(f.window)) QSKIP("pixel rectangles are written out for 96 dpi");
    QVERIFY(showExposed(f.window));
    // 800 x 600 px = 12000 x 9000 twips: panels 11700 wide, output 5380 high,
    // pane 11300 x 5080 at 200, 300.
    resizeOuter(f.window, QSize(800, 600));
    QTRY_COMPARE(f.window.frameGeometry().size(), QSize(800, 600));
    QCOMPARE(f.window.fraSelectData()->geometry(), QRect(7, 7, 780, 148));
    QCOMPARE(f.window.fraOutput()->geometry(), QRect(7, 161, 780, 359));
    QCOMPARE(f.window.txtOutput()->geometry(), QRect(13, 20, 753, 339));

    // 540 px = 8100 twips: both panels stay 9000 (600 px), the pane 8600.
    resizeOuter(f.window, QSize(540, 600));
    QTRY_COMPARE(f.window.frameGeometry().width(), 540);
    QCOMPARE(f.window.fraSelectData()->geometry(), QRect(7, 7, 600, 148));
    QCOMPARE(f.window.fraOutput()->geometry(), QRect(7, 161, 600, 359));
    QCOMPARE(f.window.txtOutput()->geometry(), QRect(13, 20, 573, 339));
}

void MainWindowTest::heightIsRaisedToTheMinimum() {
    Fixture f;
    if (!at96Dpi(f.window)) QSKIP("pixel rectangles are written out for 96 dpi");
    QVERIFY(showExposed(f.window));
    // 400 px = 6000 twips. 7000 twips are 466.7 px, so the window becomes 467 px outside
    // (7005 twips): output 7005-2420-1200 = 3385 twips = 226 px, pane 3085 = 206 px.
    resizeOuter(f.window, QSize(800, 400));
    QTRY_COMPARE(f.window.frameGeometry().height(), 467);
    QCOMPARE(f.window.fraOutput()->geometry(), QRect(7, 161, 780, 226));
    QCOMPARE(f.window.txtOutput()->geometry(), QRect(13, 20, 753, 206));
}

void MainWindowTest::firstClampCountsTheDecorationKnownLate() {
    velmora::DataSet data;
    FakeMessageBox messageBox;
    FakeClipboard clipboard;
    FakeMonotonicClock clock;
    for (const bool clampedBeforeFraming : {false, true}) {
        FramedLate window(data, messageBox, clipboard, clock);
        if (!at96Dpi(window)) {
            QSKIP("pixel heights are written out for 96 dpi");
        }
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // 7000 twips are 467 px; unframed, the window itself may take them all.
        QCOMPARE(window.minimumHeight(), 467);
        if (clampedBeforeFraming) window.resize(800, 300);
        window.frame(25);
        QCOMPARE(window.minimumHeight(), 442);
        window.resize(800, 300);
        // Outside, with the title bar and borders: 467 px, 7000 twips.
        QCOMPARE(window.height() + 25, 467);
        QCOMPARE(window.fraOutput()->height(), 226);
    }
}

void MainWindowTest::minimizedWindowKeepsItsLayout() {
    Fixture f;
    if (!at96Dpi(f.window)) QSKIP("pixel rectangles are written out for 96 dpi");
    QVERIFY(showExposed(f.window));
    resizeOuter(f.window, QSize(800, 600));
    QTRY_COMPARE(f.window.frameGeometry().size(), QSize(800, 600));
    f.window.setWindowState(Qt::WindowMinimized);
    resizeOuter(f.window, QSize(1000, 700));
    QTRY_COMPARE(f.window.frameGeometry().width(), 1000);
    QCOMPARE(f.window.fraSelectData()->geometry(), QRect(7, 7, 780, 148));
    QCOMPARE(f.window.fraOutput()->geometry(), QRect(7, 161, 780, 359));

    // Restoring runs the rule for 15000 x 10500 twips: panels 14700, output 6880.
    f.window.setWindowState(Qt::WindowNoState);
    QTRY_COMPARE(f.window.fraSelectData()->width(), 980);
    QCOMPARE(f.window.fraOutput()->geometry(), QRect(7, 161, 980, 459));
    QCOMPARE(f.window.txtOutput()->geometry(), QRect(13, 20, 953, 439));
}

void MainWindowTest::navigateOpensNavigatorAnewEachTime() {
    Fixture f;
    f.data.g_lngNumCases = 1;
    f.data.g_lngNumVariables = 1;
    f.data.g_sngData = velmora::DataMatrix(1);
    f.data.g_sngData.set(1, 1, 2.5f);
    f.window.Form_Load();

    for (int opening = 0; opening < 2; ++opening) {
        const QString seen = chooseMenuItem(f.window, "mnuNavigateDataFile", [](QDialog* modal) {
            QCOMPARE(modal->windowModality(), Qt::ApplicationModal);
            modal->close();
        });
        QCOMPARE(seen, QStringLiteral("velmora::frmNavigate"));
        QCOMPARE(f.window.dialogs().existing(QString::fromLatin1(velmora::DLG_NAVIGATE)), nullptr);
    }
}

void MainWindowTest::pairedEffectsFromTheMenuAppendsOnlyItsBlockAndIsKeptUntilAnImport() {
    Fixture f;
    FakeWallClock wall(1'765'000'000'000'000'000ULL);
    f.window.setWallClock(wall);
    f.window.Form_Load();
    importExample(f.window);
    const std::string imported = f.window.outputPane().text();
    openFromMenu(f.window, "mnuPairedEffects", [](QDialog* dialog) {
        QCOMPARE(dialog->objectName(), QStringLiteral("frmPairedEffects"));
        tick(dialog, "lstV1", 0);
        tick(dialog, "lstV2", 1);
        press(dialog, "cmdOK");
    });
    const std::string block = f.window.outputPane().text().substr(imported.size());
    QCOMPARE(f.window.outputPane().text().substr(0, imported.size()), imported);
    QVERIFY(block.rfind("PAIRED EFFECT SIZES\r\n", 0) == 0);
    QVERIFY(block.find("95% CI from 600 bootstrap trials; seed = " +
                       std::to_string(velmora::seedFromClock(wall)) + "\r\n") != std::string::npos);
    QVERIFY(block.find("GROUP-LEVEL STATISTICS") == std::string::npos);

    openFromMenu(f.window, "mnuPairedEffects", [](QDialog* dialog) {
        QCOMPARE(ticked(dialog, "lstV1"), QStringList({"Var 1"}));
        press(dialog, "cmdCancel");
    });
    const QString name = QString::fromLatin1(velmora::DLG_PAIRED_EFFECTS);
    QVERIFY(f.window.dialogs().existing(name) != nullptr);
    f.window.cmdImportData()->click();
    QCOMPARE(f.window.dialogs().existing(name), nullptr);
    QVERIFY(f.messageBox.shown.empty());
}

void MainWindowTest::velmoraFromTheMenuAppendsTheCoreReportForTheClockSeed() {
    Fixture f;
    FakeWallClock wall(1'765'000'000'000'000'000ULL);
    f.window.setWallClock(wall);
    f.window.Form_Load();
    importExample(f.window);
    QCOMPARE(f.data.g_lngNumVariables, 3);
    const std::string imported = f.window.outputPane().text();
    const auto coreReport = [&](std::uint64_t clockNow) {
        const FakeWallClock at(clockNow);
        const std::uint64_t seed = velmora::seedFromClock(at);
        velmora::DefaultRandomStream random(seed);
        return velmora::RunEffectSizeAnalysis(f.data, velmora::testing::optionsFor(1000, 0.9f, 2),
                                              random, {}, velmora::Arithmetic::Auto, seed)
            .report;
    };

    openFromMenu(f.window, "mnuVelmora", [](QDialog* dialog) {
        QCOMPARE(dialog->objectName(), QStringLiteral("frmVelmora"));
        tick(dialog, "lstV1", 0);
        tick(dialog, "lstV2", 1);
        for (const char* name : {"opt1000", "opt90CI", "optVar2", "cmdOK"}) press(dialog, name);
    });
    const std::string first = coreReport(wall.now);
    QVERIFY(first.rfind("GROUP-LEVEL STATISTICS\r\n", 0) == 0);
    QCOMPARE(f.window.outputPane().text(), imported + first);

    // Reopened: the same choices; OK seeds afresh from the clock.
    wall.now = 42;
    openFromMenu(f.window, "mnuVelmora", [](QDialog* dialog) {
        QCOMPARE(ticked(dialog, "lstV1"), QStringList({"Var 1"}));
        QCOMPARE(ticked(dialog, "lstV2"), QStringList({"Var 2"}));
        QVERIFY(selected(dialog, "opt1000") && selected(dialog, "opt90CI") &&
                selected(dialog, "optVar2"));
        QCOMPARE(dialog->findChild<QLineEdit*>(QStringLiteral("txtTrial"))->text(),
                 QStringLiteral("1000"));
        press(dialog, "cmdOK");
    });
    QCOMPARE(f.window.outputPane().text(), imported + first + coreReport(42));
    const std::string two = f.window.outputPane().text();

    // The close box discards it; Cancel keeps the pane.
    openFromMenu(f.window, "mnuVelmora", [](QDialog* dialog) { dialog->close(); });
    openFromMenu(f.window, "mnuVelmora", [](QDialog* dialog) {
        QCOMPARE(ticked(dialog, "lstV1"), QStringList());
        QVERIFY(selected(dialog, "opt600") && selected(dialog, "opt95CI") &&
                selected(dialog, "optVar1"));
        QCOMPARE(dialog->findChild<QLineEdit*>(QStringLiteral("txtTrial"))->text(), QString());
        tick(dialog, "lstV1", 2);
        press(dialog, "cmdCancel");
    });
    QCOMPARE(f.window.outputPane().text(), two);
    QVERIFY(f.window.dialogs().existing(QString::fromLatin1(velmora::DLG_VELMORA)) != nullptr);
    // A new import starts it afresh.
    f.window.cmdImportData()->click();
    QCOMPARE(f.window.dialogs().existing(QString::fromLatin1(velmora::DLG_VELMORA)), nullptr);
    QVERIFY(f.messageBox.shown.empty());
}

void MainWindowTest::descriptivesFromTheMenuAppendsTheCoreReport() {
    Fixture f;
    f.window.Form_Load();
    importExample(f.window);
    const std::string imported = f.window.outputPane().text();

    // Var 1 then Var 3 in "Range of Items" mode ticks Var 2 as well.
    openFromMenu(f.window, "mnuDescriptives", [](QDialog* dialog) {
        QCOMPARE(dialog->objectName(), QStringLiteral("frmDescriptives"));
        tick(dialog, "lstItems", 0);
        tick(dialog, "lstItems", 2);
        press(dialog, "cmdOK");
    });
    const std::string rule(60, '-');
    const std::string report = "DESCRIPTIVES\r\n" + rule + "\r\n" +
                               "Name            Mean        SD       Min       Max         N\r\n" +
                               rule + "\r\n" +
                               "Var 1         52.882     9.022      30.5      67.9        39\r\n" +
                               "Var 2         48.337    13.261      18.9        69        38\r\n" +
                               "Var 3         43.103    15.593        19        66        39\r\n" +
                               rule + "\r\n\r\n\r\n\r\n";
    QCOMPARE(velmora::RunDescriptivesAnalysis(f.data, {true, true, true}).report, report);
    QCOMPARE(f.window.outputPane().text(), imported + report);

    openFromMenu(f.window, "mnuDescriptives", [](QDialog* dialog) {
        QCOMPARE(ticked(dialog, "lstItems"), QStringList({"Var 1", "Var 2", "Var 3"}));
        press(dialog, "optIndividual");
        press(dialog, "cmdCancel");
    });
    openFromMenu(f.window, "mnuDescriptives", [](QDialog* dialog) {
        QVERIFY(selected(dialog, "optIndividual"));
        dialog->close();
    });
    openFromMenu(f.window, "mnuDescriptives", [](QDialog* dialog) {
        QCOMPARE(ticked(dialog, "lstItems"), QStringList());
        QVERIFY(selected(dialog, "optRanges"));
        press(dialog, "cmdCancel");
    });
    QCOMPARE(f.window.outputPane().text(), imported + report);
    f.window.cmdImportData()->click();
    QCOMPARE(f.window.dialogs().existing(QString::fromLatin1(velmora::DLG_DESCRIPTIVES)), nullptr);
    QVERIFY(f.messageBox.shown.empty());
}

void MainWindowTest::exitDialogue_data() {
    using velmora::MessageResult;
    QTest::addColumn<bool>("closeBox");       // the close box rather than File > Exit
    QTest::addColumn<QList<int>>("answers");  // to the exit and the save question
    QTest::addColumn<QString>("inSave");      // what the user does in Save Output
    QTest::addColumn<bool>("exits");
    QTest::addColumn<QStringList>("shown");  // texts of the boxes after the two questions
    const int yes = int(MessageResult::Yes), no = int(MessageResult::No);
    const int cancel = int(MessageResult::Cancel), closed = int(MessageResult::Closed);
    for (const bool closeBox : {false, true}) {
        const char* via = closeBox ? "close box" : "exit";
        const auto row = [&](const char* name) -> QTestData& {
            return QTest::addRow("%s: %s", via, name) << closeBox;
        };
        row("no") << QList<int>{no} << "" << false << QStringList();
        row("cancel") << QList<int>{cancel} << "" << false << QStringList();
        row("closed") << QList<int>{closed} << "" << false << QStringList();
        row("yes, no") << QList<int>{yes, no} << "" << true << QStringList();
        row("yes, cancel") << QList<int>{yes, cancel} << "" << false << QStringList();
        row("yes, closed") << QList<int>{yes, closed} << "" << false << QStringList();
        row("yes, yes, written") << QList<int>{yes, yes} << "write" << true << QStringList();
        row("yes, yes, cancel") << QList<int>{yes, yes} << "cancel" << false << QStringList();
        row("yes, yes, close box") << QList<int>{yes, yes} << "close" << false << QStringList();
        row("yes, yes, empty name") << QList<int>{yes, yes} << "empty" << false
                                    << QStringList{"A file name has not been provided."};
        row("yes, yes, failed write")
            << QList<int>{yes, yes} << "fail" << false
            << QStringList{"The output could not be saved: No such file or directory"};
        // out.txt exists: the replace question, answered with its default, No.
        row("yes, yes, not replaced")
            << QList<int>{yes, yes} << "existing" << false
            << QStringList{"out.txt already exists. Do you want to replace it?"};
    }
}

void MainWindowTest::exitDialogue() {
    QFETCH(bool, closeBox);
    QFETCH(QList<int>, answers);
    QFETCH(QString, inSave);
    QFETCH(bool, exits);
    QFETCH(QStringList, shown);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    Fixture f;
    f.window.Form_Load();
    QVERIFY(showExposed(f.window));
    f.window.appendToPane("kept\r\n");
    for (const int answer : answers) f.messageBox.script(velmora::MessageResult(answer));
    const bool existing = inSave == QStringLiteral("existing");
    if (existing) {
        QFile earlier(dir.filePath(QStringLiteral("out.txt")));
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier\r\n");
    }

    const auto inSaveOutput = [&](QDialog* dialog) {
        auto* save = qobject_cast<velmora::frmSaveOutput*>(dialog);
        QVERIFY(save != nullptr);
        QVERIFY(save->dirDirectory()->setPath(dir.path()));
        if (inSave == QStringLiteral("close")) {
            save->close();
            return;
        }
        if (inSave == QStringLiteral("cancel")) {
            save->cmdCancel()->click();
            return;
        }
        save->txtSavedFileName()->setText(
            inSave == QStringLiteral("write") || existing ? QStringLiteral("out")
            : inSave == QStringLiteral("fail")            ? QStringLiteral("missing/out")
                                                          : QString());
        save->cmdSave()->click();
        if (save->isVisible()) save->cmdCancel()->click();  // after the failed write
    };
    bool closed = false;
    const QString opened =
        closeBox ? runWatchingDialogs([&] { closed = f.window.close(); }, inSaveOutput)
                 : chooseMenuItem(f.window, "mnuExit", inSaveOutput);

    QCOMPARE(opened, inSave.isEmpty() ? QString() : QStringLiteral("velmora::frmSaveOutput"));
    if (closeBox) QCOMPARE(closed, exits);
    QCOMPARE(f.window.isVisible(), !exits);
    QCOMPARE(f.window.m_lngUnloadProgram, exits ? 1 : 0);
    QCOMPARE(f.window.outputPane().text(), std::string("kept\r\n"));
    QCOMPARE(QFile::exists(dir.filePath(QStringLiteral("out.txt"))),
             inSave == QStringLiteral("write") || existing);
    if (inSave == QStringLiteral("write") || existing) {
        QFile out(dir.filePath(QStringLiteral("out.txt")));
        QVERIFY(out.open(QIODevice::ReadOnly));
        QCOMPARE(out.readAll(), QByteArray(existing ? "earlier\r\n" : "kept\r\n\r\n"));
    }

    const auto& boxes = f.messageBox.shown;
    QCOMPARE(boxes.size(), std::size_t(answers.size()) + std::size_t(shown.size()));
    QCOMPARE(boxes[0].text, std::string("Do you want to exit Velmora: Correlated Groups?"));
    QCOMPARE(boxes[0].title, std::string("Velmora: Correlated Groups"));
    if (answers.size() > 1) {
        QCOMPARE(boxes[1].text, std::string("Do you want to save the contents of the output?"));
        QCOMPARE(boxes[1].title, std::string("Save Output"));
    }
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        QVERIFY(boxes[i].icon == velmora::MessageIcon::Warning);
        const bool question = i < std::size_t(answers.size());
        const auto buttons = question   ? velmora::MessageButtons::YesNoCancel
                             : existing ? velmora::MessageButtons::YesNo
                                        : velmora::MessageButtons::Ok;
        QVERIFY(boxes[i].buttons == buttons);
        if (!question) {
            QCOMPARE(QString::fromStdString(boxes[i].text), shown[qsizetype(i) - answers.size()]);
            QCOMPARE(boxes[i].title, std::string("Save Output"));
        }
    }
}

void MainWindowTest::hiddenSaveDialogDoesNotKeepTheProgramAlive() {
    Fixture f;
    f.window.Form_Load();
    QVERIFY(showExposed(f.window));
    // Both output dialogs open from the File menu and are kept while hidden.
    for (const char* item : {"mnuSaveOutput", "mnuOpenOutput"}) {
        openFromMenu(f.window, item, [](QDialog* dialog) {
            dialog->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
        });
    }
    QVERIFY(qobject_cast<velmora::frmSaveOutput*>(
        f.window.dialogs().existing(QString::fromLatin1(velmora::DLG_SAVE_OUTPUT))));
    QVERIFY(qobject_cast<velmora::frmOpenOutput*>(
        f.window.dialogs().existing(QString::fromLatin1(velmora::DLG_OPEN_OUTPUT))));

    f.messageBox.script(velmora::MessageResult::Yes);
    f.messageBox.script(velmora::MessageResult::No);
    QCOMPARE(chooseMenuItem(f.window, "mnuExit"), QString());
    // The program ends with its last visible window; the hidden dialogs are none.
    QVERIFY(!f.window.isVisible());
    for (QWidget* top : QApplication::topLevelWidgets()) {
        QVERIFY2(!top->isVisible(), qPrintable(top->objectName()));
    }
}

void MainWindowTest::openOutputAsksFirstWhenThePaneHoldsUnsavedText_data() {
    using velmora::MessageResult;
    QTest::addColumn<QString>("pane");  // how the pane came to hold its text
    QTest::addColumn<int>("answer");    // to the save question, when asked
    QTest::addColumn<bool>("write");    // Save Output writes a file rather than being cancelled
    QTest::addColumn<QStringList>("opened");  // the dialogs that open, in order
    const int yes = int(MessageResult::Yes), no = int(MessageResult::No);
    const int cancel = int(MessageResult::Cancel);
    const QString save = QStringLiteral("velmora::frmSaveOutput");
    const QString open = QStringLiteral("velmora::frmOpenOutput");
    QTest::newRow("appended, cancel") << "appended" << cancel << false << QStringList();
    QTest::newRow("appended, no") << "appended" << no << false << QStringList{open};
    QTest::newRow("appended, yes, written") << "appended" << yes << true << QStringList{save, open};
    QTest::newRow("appended, yes, not written") << "appended" << yes << false << QStringList{save};
    QTest::newRow("opened, then typed: cancel") << "typed" << cancel << false << QStringList();
    QTest::newRow("empty: no question") << "empty" << -1 << false << QStringList{open};
    QTest::newRow("as opened: no question") << "opened" << -1 << false << QStringList{open};
}

void MainWindowTest::openOutputAsksFirstWhenThePaneHoldsUnsavedText() {
    QFETCH(QString, pane);
    QFETCH(int, answer);
    QFETCH(bool, write);
    QFETCH(QStringList, opened);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    Fixture f;
    f.window.Form_Load();
    QVERIFY(showExposed(f.window));
    if (pane == QStringLiteral("appended")) f.window.appendToPane("results\r\n");
    if (pane == QStringLiteral("opened") || pane == QStringLiteral("typed")) {
        f.window.outputPane().replaceFromFile("results\r\n", velmora::TextEncoding::Latin1);
    }
    if (pane == QStringLiteral("typed")) {
        f.window.txtOutput()->setFocus();
        QTest::keyClick(f.window.txtOutput(), Qt::Key_X);
    }
    const std::string before = f.window.outputPane().text();
    if (answer >= 0) f.messageBox.script(velmora::MessageResult(answer));

    // Every dialog that opens is noted; Save Output writes out.txt or is
    // cancelled, Open Output is cancelled.
    QStringList seen;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible()) return;
        seen << QString::fromLatin1(dialog->metaObject()->className());
        auto* saveDialog = qobject_cast<velmora::frmSaveOutput*>(dialog);
        if (saveDialog != nullptr && write) {
            QVERIFY(saveDialog->dirDirectory()->setPath(dir.path()));
            saveDialog->txtSavedFileName()->setText(QStringLiteral("out"));
            saveDialog->cmdSave()->click();
        }
        if (dialog->isVisible()) press(dialog, "cmdCancel");
    });
    watch.start(0);
    f.window.findChild<QAction*>(QStringLiteral("mnuOpenOutput"))->trigger();
    watch.stop();

    QCOMPARE(seen, opened);
    QCOMPARE(f.window.outputPane().text(), before);  // nothing opened: the pane as it was
    const auto& boxes = f.messageBox.shown;
    QCOMPARE(boxes.size(), std::size_t(answer >= 0 ? 1 : 0));
    if (answer >= 0) {
        QCOMPARE(boxes[0].text, std::string("Do you want to save the contents of the output?"));
        QCOMPARE(boxes[0].title, std::string("Save Output"));
        QVERIFY(boxes[0].buttons == velmora::MessageButtons::YesNoCancel);
        QVERIFY(boxes[0].icon == velmora::MessageIcon::Warning);
    }
    QCOMPARE(QFile::exists(dir.filePath(QStringLiteral("out.txt"))), write);
    if (write) {
        // Saved: the next opening goes ahead without asking.
        seen.clear();
        watch.start(0);
        f.window.findChild<QAction*>(QStringLiteral("mnuOpenOutput"))->trigger();
        watch.stop();
        QCOMPARE(seen, QStringList{QStringLiteral("velmora::frmOpenOutput")});
        QCOMPARE(boxes.size(), std::size_t(1));
    }
}

void MainWindowTest::longRunKeepsTheWindowsAliveButTakesNoInput() {
    using Clock = std::chrono::steady_clock;
    Fixture f;
    FakeWallClock wall(1'765'000'000'000'000'000ULL);
    f.window.setWallClock(wall);
    f.window.Form_Load();
    QVERIFY(showExposed(f.window));
    importExample(f.window);
    const std::string imported = f.window.outputPane().text();

    // What reaches the watched widgets while the engine holds the run.
    std::atomic<bool> running{false};
    struct Watch : QObject {
        const std::atomic<bool>* running = nullptr;
        int paints = 0;
        int inputs = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            if (*running && event->type() == QEvent::Paint) ++paints;
            if (*running && (event->isInputEvent() || event->type() == QEvent::Close)) ++inputs;
            return false;
        }
    } watch;
    watch.running = &running;
    f.window.txtOutput()->viewport()->installEventFilter(&watch);
    f.window.installEventFilter(&watch);

    // A slow engine: it asks this thread for an answer, as the window
    // manager's ping does, and holds the run until the checks are done;
    // then the real trials run. Each wait gives up after 5 s, so a frozen
    // window fails the test instead of hanging it.
    std::atomic<bool> answered{false};
    std::atomic<bool> released{false};
    const auto slowEngine = [&](const velmora::DataSet& data,
                                const velmora::AnalysisOptions& options,
                                velmora::RandomStream& random,
                                const velmora::EffectSizeHooks& hooks, std::uint64_t seed) {
        running = true;
        velmora::postToUiThread(&f.window, [&] { answered = true; });
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        while (!(answered && released) && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        running = false;
        return velmora::RunEffectSizeAnalysis(data, options, random, hooks,
                                              velmora::Arithmetic::Auto, seed);
    };

    // A question that slipped through is answered No, so that it fails the
    // checks below rather than waiting for a user.
    f.messageBox.onShow = [&] {
        if (running) f.messageBox.script(velmora::MessageResult::No);
    };
    int cancelClicks = 0;
    bool probed = false;
    std::size_t boxesDuringRun = 0;
    const auto start = Clock::now();
    QTimer probe;
    QDialog* velmora = nullptr;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (!running) return;
        if (!probed && answered) {
            probed = true;
            // Paint requested; a click on Cancel, keys to the list and the
            // pane, and the window manager's close request.
            f.window.txtOutput()->viewport()->update();
            auto* cancel = velmora->findChild<QPushButton*>(QStringLiteral("cmdCancel"));
            cancel->installEventFilter(&watch);
            QTest::mouseClick(velmora->windowHandle(), Qt::LeftButton, {},
                              cancel->mapTo(velmora, cancel->rect().center()));
            QTest::keyClick(velmora->windowHandle(), Qt::Key_Space);
            QTest::keyClick(f.window.windowHandle(), Qt::Key_X);
            QCloseEvent close;
            QSpontaneKeyEvent::setSpontaneous(&close);
            QCoreApplication::sendEvent(f.window.windowHandle(), &close);
            boxesDuringRun = f.messageBox.shown.size();
            return;
        }
        if (probed && (watch.paints > 0 || Clock::now() - start > std::chrono::seconds(4)))
            released = true;
    });

    openFromMenu(f.window, "mnuVelmora", [&](QDialog* dialog) {
        velmora = dialog;
        qobject_cast<velmora::frmVelmora*>(dialog)->setEngine(slowEngine);
        QObject::connect(dialog->findChild<QPushButton*>(QStringLiteral("cmdCancel")),
                         &QPushButton::clicked, [&] { ++cancelClicks; });
        tick(dialog, "lstV1", 0);
        tick(dialog, "lstV2", 1);
        probe.start(1);
        press(dialog, "cmdOK");
        probe.stop();
    });

    QVERIFY(answered);
    QVERIFY(probed);
    QVERIFY(watch.paints > 0);
    QCOMPARE(watch.inputs, 0);
    QCOMPARE(cancelClicks, 0);
    QCOMPARE(boxesDuringRun, std::size_t(0));  // no exit question
    QVERIFY(f.window.isVisible());
    QVERIFY(!velmora::busyRunActive());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    // The report is the core's for the clock's seed, after the imported lines.
    const std::uint64_t seed = velmora::seedFromClock(wall);
    velmora::DefaultRandomStream random(seed);
    QCOMPARE(f.window.outputPane().text(),
             imported + velmora::RunEffectSizeAnalysis(f.data, velmora::testing::optionsFor(600),
                                                       random, {}, velmora::Arithmetic::Auto, seed)
                            .report);
    QCOMPARE(f.messageBox.shown.size(), std::size_t(0));

    // Afterwards the close box asks as usual.
    f.messageBox.script(velmora::MessageResult::Yes);
    f.messageBox.script(velmora::MessageResult::No);
    QVERIFY(f.window.close());
    QCOMPARE(f.messageBox.shown.size(), std::size_t(2));
}

void MainWindowTest::bootstrapPlotShowsTheBatchPictureOfTheLastRunAndSavesIt() {
    using velmora::testing::barCounts;
    using velmora::testing::textsOfClass;
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    Fixture f;
    FakeWallClock wall(1'765'000'000'000'000'000ULL);
    f.window.setWallClock(wall);
    f.window.Form_Load();
    QVERIFY(showExposed(f.window));
    importExample(f.window);
    auto* item = f.window.findChild<QAction*>(QStringLiteral("mnuBootstrapPlot"));
    QVERIFY(!item->isEnabled());  // no run has completed yet

    openFromMenu(f.window, "mnuVelmora", [](QDialog* dialog) {
        tick(dialog, "lstV1", 0);
        tick(dialog, "lstV2", 1);
        for (const char* name : {"opt1000", "opt90CI", "optVar2", "cmdOK"}) press(dialog, name);
    });
    QVERIFY(item->isEnabled());
    item->trigger();
    velmora::frmPlot* plot = f.window.plotWindow();
    QVERIFY(plot != nullptr);
    QVERIFY(plot->isVisible());
    QCOMPARE(plot->windowTitle(), QStringLiteral("Bootstrap Plot"));
    QVERIFY(!plot->isModal());

    // The batch program's picture of the same data, choices and seed.
    const QString batchSvg = dir.filePath(QStringLiteral("batch.svg"));
    QProcess batch;
    batch.start(QStringLiteral(VELMORA_BATCH),
                {"--var1", "1", "--var2", "2", "--trials", "1000", "--level", "90", "--sd-from",
                 "2", "--seed", QString::number(velmora::seedFromClock(wall)), "--plot", batchSvg,
                 "-o", dir.filePath(QStringLiteral("out.txt")),
                 QStringLiteral(VELMORA_EXAMPLES_DIR "/pre_post_scores.txt")});
    QVERIFY(batch.waitForFinished(60000));
    QCOMPARE(batch.exitCode(), 0);
    QFile file(batchSvg);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const std::string expected = file.readAll().toStdString();
    const std::string shown = plot->picture();
    QVERIFY(!barCounts(expected).empty());
    QCOMPARE(barCounts(shown), barCounts(expected));
    for (const char* cls : {"x-tick", "lower-limit", "upper-limit", "estimate"})
        QCOMPARE(textsOfClass(shown, cls), textsOfClass(expected, cls));

    // Save As: the SVG parses, the PNG decodes; an existing file is replaced
    // only after Yes to the question.
    const std::string svgPath = dir.filePath(QStringLiteral("plot.svg")).toStdString();
    const std::string pngPath = dir.filePath(QStringLiteral("plot.PNG")).toStdString();
    QVERIFY(plot->saveTo(svgPath));
    QVERIFY(plot->saveTo(pngPath));
    QFile saved(QString::fromStdString(svgPath));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&saved);
    while (!xml.atEnd()) xml.readNext();
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QImage png;
    QVERIFY(png.load(QString::fromStdString(pngPath), "PNG"));
    QVERIFY(png.width() >= velmora::PLOT_WIDTH && png.height() >= velmora::PLOT_HEIGHT);
    QCOMPARE(png.width() * velmora::PLOT_HEIGHT, png.height() * velmora::PLOT_WIDTH);
    QCOMPARE(f.messageBox.shown.size(), std::size_t(0));
    QVERIFY(!plot->saveTo(pngPath));  // the question, answered with its default, No
    QCOMPARE(f.messageBox.shown.size(), std::size_t(1));
    QCOMPARE(f.messageBox.shown[0].text,
             std::string("plot.PNG already exists. Do you want to replace it?"));
    f.messageBox.script(velmora::MessageResult::Yes);
    QVERIFY(plot->saveTo(svgPath));

    // Copy puts the picture on the clipboard, drawn (not all white).
    plot->cmdCopy()->click();
    const QImage copied = QGuiApplication::clipboard()->image();
    QVERIFY(copied.width() >= velmora::PLOT_WIDTH);
    bool drawn = false;
    for (int y = 0; y < copied.height() && !drawn; y += 7)
        for (int x = 0; x < copied.width() && !drawn; x += 7)
            drawn = copied.pixelColor(x, y) != QColor(Qt::white);
    QVERIFY(drawn);

    // A Paired Effect Sizes run: the open window shows its estimation plot,
    // as the batch program draws it for the same run.
    wall.now = 42;
    openFromMenu(f.window, "mnuPairedEffects", [](QDialog* dialog) {
        tick(dialog, "lstV1", 0);
        tick(dialog, "lstV2", 1);
        for (const char* name : {"opt800", "cmdOK"}) press(dialog, name);
    });
    const QString pairedSvg = dir.filePath(QStringLiteral("paired.svg"));
    batch.start(QStringLiteral(VELMORA_BATCH),
                {"--var1", "1", "--var2", "2", "--trials", "800", "--paired", "--seed",
                 QString::number(velmora::seedFromClock(wall)), "--paired-plot", pairedSvg, "-o",
                 dir.filePath(QStringLiteral("out.txt")),
                 QStringLiteral(VELMORA_EXAMPLES_DIR "/pre_post_scores.txt")});
    QVERIFY(batch.waitForFinished(60000));
    QCOMPARE(batch.exitCode(), 0);
    QFile pairedFile(pairedSvg);
    QVERIFY(pairedFile.open(QIODevice::ReadOnly));
    const std::string pairedExpected = pairedFile.readAll().toStdString();
    QCOMPARE(f.window.plotWindow(), plot);
    QVERIFY(!barCounts(pairedExpected).empty());
    QCOMPARE(barCounts(plot->picture()), barCounts(pairedExpected));
    for (const char* cls : {"pairs", "dz-tick", "estimate", "percentile-lower", "percentile-upper",
                            "bca-lower", "bca-upper"})
        QCOMPARE(textsOfClass(plot->picture(), cls), textsOfClass(pairedExpected, cls));
    plot->close();
}

int runMainWindowTests(int argc, char** argv) {
    MainWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_frm_main.moc"
