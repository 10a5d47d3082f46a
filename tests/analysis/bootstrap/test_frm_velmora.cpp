#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <memory>

#include "analysis/bootstrap/test_data.h"
#include "analysis/effect_size/effect_size_analysis.h"
#include "analysis/effect_size/frm_velmora.h"
#include "runtime/random_stream.h"
#include "support/caption_of.h"
#include "support/fake_clock.h"
#include "support/fake_message_box.h"

using velmora::AnalysisOptions;
using velmora::DataSet;
using velmora::frmVelmora;
using velmora::UNCHOSEN_VARIABLE;

namespace {

// Columns separated by "|", values by blanks, "." for the missing code.
DataSet columns(const QString& text) {
    std::vector<std::vector<float>> result;
    for (const QString& column : text.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
        result.emplace_back();
        for (const QString& value : column.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            result.back().push_back(value == QLatin1String(".") ? velmora::MISSING_VALUE
                                                                : value.toFloat());
    }
    return velmora::testing::makeDataSet(result);
}

// Eight pairs with spread in both variables.
const QString kPairs = QStringLiteral("3 5 4 8 6 2 7 9|4 6 6 7 9 3 8 12");

struct Fixture {
    explicit Fixture(const QString& data = kPairs, double secondsPerReading = 0.001)
        : data(columns(data)), clock(0.0, secondsPerReading) {
        dialog = std::make_unique<frmVelmora>(
            this->data, box, [this](const std::string& block) { pane += block; }, wall, clock);
        box.onShow = [this] { cursorDuringBox = dialog->cursor().shape(); };
        dialog->show();
    }
    void check(QListWidget* list, int item, Qt::CheckState state = Qt::Checked) {
        list->item(item)->setCheckState(state);
    }
    void press(const char* name) {
        auto* b = dialog->findChild<QAbstractButton*>(QString::fromLatin1(name));
        QVERIFY2(b != nullptr, name);
        b->click();
    }
    QStringList checked(QListWidget* list) const {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i)
            if (list->item(i)->checkState() == Qt::Checked) texts << list->item(i)->text();
        return texts;
    }

    DataSet data;
    velmora::testing::FakeMessageBox box;
    velmora::testing::FakeWallClock wall{1'700'000'000'123'456'789ULL};
    velmora::testing::FakeMonotonicClock clock;
    std::string pane = "earlier\r\n";
    Qt::CursorShape cursorDuringBox = Qt::BlankCursor;
    std::unique_ptr<frmVelmora> dialog;
};

}  // namespace

class VelmoraDialogTests : public QObject {
    Q_OBJECT
private slots:
    void ControlsCarryTheirNamesCaptionsAndFrames();
    void LoadListsEveryVariableUncheckedWithTheDefaultOptions();
    void CheckingASecondItemUnchecksTheFirst();
    void StopsShowTheirMessageAndKeepEverything_data();
    void StopsShowTheirMessageAndKeepEverything();
    void CompletedRunAppendsTheReportOfTheChosenOptionsAndHides_data();
    void CompletedRunAppendsTheReportOfTheChosenOptionsAndHides();
    void TrialBoxIsRepaintedDuringTheRunAndEndsOnT_data();
    void TrialBoxIsRepaintedDuringTheRunAndEndsOnT();
};

void VelmoraDialogTests::ControlsCarryTheirNamesCaptionsAndFrames() {
    Fixture f;
    QCOMPARE(f.dialog->windowTitle(), QStringLiteral("Velmora"));
    QVERIFY(!(f.dialog->windowFlags() & Qt::WindowMinMaxButtonsHint));
    QCOMPARE(f.dialog->minimumSize(), f.dialog->maximumSize());
    // name, container, caption
    const char* const controls[][3] = {
        {"fraSelectDV", "frmVelmora", "Pick Variable 1"},
        {"lstV1", "fraSelectDV", ""},
        {"fraSelectGroups", "frmVelmora", "Pick Variable 2"},
        {"lstV2", "fraSelectGroups", ""},
        {"cmdOK", "frmVelmora", "OK"},
        {"cmdCancel", "frmVelmora", "Cancel"},
        {"fraTrials", "frmVelmora", "Pick Number of Trials"},
        {"opt600", "fraTrials", "600"},
        {"opt800", "fraTrials", "800"},
        {"opt1000", "fraTrials", "1000"},
        {"opt1200", "fraTrials", "1200"},
        {"opt1400", "fraTrials", "1400"},
        {"opt1600", "fraTrials", "1600"},
        {"opt1800", "fraTrials", "1800"},
        {"opt2000", "fraTrials", "2000"},
        {"lblTrial", "fraTrials", "Trial Number:"},
        {"txtTrial", "fraTrials", ""},
        {"fraConfidence", "frmVelmora", "Pick Confidence Level"},
        {"opt90CI", "fraConfidence", "90% CI"},
        {"opt95CI", "fraConfidence", "95% CI"},
        {"opt99CI", "fraConfidence", "99% CI"},
        {"fraPickNonpooled", "frmVelmora", "Pick Nonpooled SD"},
        {"optVar1", "fraPickNonpooled", "Use SD of Variable 1"},
        {"optVar2", "fraPickNonpooled", "Use SD of Variable 2"},
    };
    for (const auto& [name, container, caption] : controls) {
        auto* widget = f.dialog->findChild<QWidget*>(QString::fromLatin1(name));
        QVERIFY2(widget != nullptr, name);
        QCOMPARE(widget->parentWidget()->objectName(), QString::fromLatin1(container));
        QCOMPARE(captionOf(widget), QString::fromLatin1(caption));
    }
}

void VelmoraDialogTests::LoadListsEveryVariableUncheckedWithTheDefaultOptions() {
    Fixture f(QStringLiteral("1 2|3 4|5 6"));
    for (QListWidget* list : {f.dialog->lstV1(), f.dialog->lstV2()}) {
        QCOMPARE(list->count(), 3);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(list->item(i)->text(), QStringLiteral("Var %1").arg(i + 1));
            QVERIFY(list->item(i)->flags() & Qt::ItemIsUserCheckable);
        }
        QCOMPARE(f.checked(list), QStringList());
    }
    QCOMPARE(f.dialog->var1(), UNCHOSEN_VARIABLE);
    QCOMPARE(f.dialog->var2(), UNCHOSEN_VARIABLE);
    QStringList selected;
    for (auto* option : f.dialog->findChildren<QRadioButton*>())
        if (option->isChecked()) selected << option->objectName();
    selected.sort();
    QCOMPARE(selected, QStringList({"opt600", "opt95CI", "optVar1"}));
    QVERIFY(f.dialog->txtTrial()->isReadOnly());
    QCOMPARE(f.dialog->txtTrial()->text(), QString());
}

void VelmoraDialogTests::CheckingASecondItemUnchecksTheFirst() {
    Fixture f(QStringLiteral("1 2|3 4|5 6|7 8"));
    f.check(f.dialog->lstV1(), 1);
    f.check(f.dialog->lstV1(), 2);
    QCOMPARE(f.checked(f.dialog->lstV1()), QStringList({"Var 3"}));
    QCOMPARE(f.dialog->var1(), 3);
    f.check(f.dialog->lstV2(), 0);
    QCOMPARE(f.checked(f.dialog->lstV2()), QStringList({"Var 1"}));
    QCOMPARE(f.dialog->var2(), 1);
    QCOMPARE(f.dialog->var1(), 3);  // the lists keep their own choice

    f.check(f.dialog->lstV1(), 2, Qt::Unchecked);
    QCOMPARE(f.checked(f.dialog->lstV1()), QStringList());
    QCOMPARE(f.dialog->var1(), UNCHOSEN_VARIABLE);
    f.press("cmdOK");
    QCOMPARE(f.box.shown.size(), std::size_t(1));
    QCOMPARE(f.box.shown[0].text, std::string("Variable 1 must be selected."));
}

void VelmoraDialogTests::StopsShowTheirMessageAndKeepEverything_data() {
    QTest::addColumn<QString>("data");
    QTest::addColumn<int>("item1");  // -1: nothing checked
    QTest::addColumn<int>("item2");
    QTest::addColumn<QString>("message");  // empty: a silent fault
    QTest::newRow("no data") << "" << -1 << -1 << "Variable 1 must be selected.";
    QTest::newRow("no variable 2") << "1 2|3 4" << 0 << -1 << "Variable 2 must be selected.";
    QTest::newRow("one variable in both lists")
        << "1 2 3" << 0 << 0 << "Variable 1 and Variable 2 are identical.";
    QTest::newRow("variable 1 short before variable 2")
        << "1 . .|. . 2" << 0 << 1
        << "There is an insufficient number of observations for Variable 1.";
    QTest::newRow("variable 2 short")
        << "1 2 3|. . 5" << 0 << 1
        << "There is an insufficient number of observations for Variable 2.";
    QTest::newRow("three values each, no joint case")
        << "1 2 3 . . .|. . . 4 5 6" << 0 << 1
        << "There is an insufficient number of joint observations for Variables 1 and 2.";
    QTest::newRow("both constant")
        << "2 2 2|5 5 5" << 1 << 0 << "Group 1 and Group 2 both have a zero variance.";
    QTest::newRow("overflow") << "3e38 3e38 1|1 2 3" << 0 << 1 << "";
}

void VelmoraDialogTests::StopsShowTheirMessageAndKeepEverything() {
    QFETCH(QString, data);
    QFETCH(int, item1);
    QFETCH(int, item2);
    QFETCH(QString, message);
    Fixture f(data);
    if (item1 >= 0) f.check(f.dialog->lstV1(), item1);
    if (item2 >= 0) f.check(f.dialog->lstV2(), item2);
    f.press("opt1400");
    f.press("cmdOK");

    if (message.isEmpty()) {
        QCOMPARE(f.box.shown.size(), std::size_t(0));
    } else {
        QCOMPARE(f.box.shown.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(f.box.shown[0].text), message);
        QCOMPARE(f.box.shown[0].title, std::string("Analysis Error"));
        QCOMPARE(f.box.shown[0].icon, velmora::MessageIcon::Warning);
        QCOMPARE(f.box.shown[0].buttons, velmora::MessageButtons::Ok);
        QCOMPARE(f.cursorDuringBox, Qt::WaitCursor);
    }
    QCOMPARE(f.pane, std::string("earlier\r\n"));
    QVERIFY(f.dialog->isVisible());
    QCOMPARE(f.dialog->cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(f.dialog->var1(), item1 >= 0 ? item1 + 1 : UNCHOSEN_VARIABLE);
    QCOMPARE(f.dialog->var2(), item2 >= 0 ? item2 + 1 : UNCHOSEN_VARIABLE);
    QVERIFY(f.dialog->findChild<QRadioButton*>(QStringLiteral("opt1400"))->isChecked());
    QCOMPARE(f.dialog->txtTrial()->text(), QString());  // no trial was started
}

void VelmoraDialogTests::CompletedRunAppendsTheReportOfTheChosenOptionsAndHides_data() {
    QTest::addColumn<QString>("trialOption");
    QTest::addColumn<int>("trials");
    QTest::addColumn<QString>("levelOption");
    QTest::addColumn<QString>("levelText");
    QTest::addColumn<QString>("sdOption");
    QTest::addColumn<int>("sdVar");
    QTest::newRow("defaults") << "" << 600 << ""
                              << "95"
                              << "" << 1;
    QTest::newRow("800 90 sd2") << "opt800" << 800 << "opt90CI"
                                << "90"
                                << "optVar2" << 2;
    QTest::newRow("1000 99 sd1") << "opt1000" << 1000 << "opt99CI"
                                 << "99"
                                 << "optVar1" << 1;
    QTest::newRow("1200 95 sd2") << "opt1200" << 1200 << "opt95CI"
                                 << "95"
                                 << "optVar2" << 2;
    QTest::newRow("1400 90 sd1") << "opt1400" << 1400 << "opt90CI"
                                 << "90"
                                 << "optVar1" << 1;
    QTest::newRow("1600 99 sd2") << "opt1600" << 1600 << "opt99CI"
                                 << "99"
                                 << "optVar2" << 2;
    QTest::newRow("1800 95 sd1") << "opt1800" << 1800 << "opt95CI"
                                 << "95"
                                 << "optVar1" << 1;
    QTest::newRow("2000 99 sd1") << "opt2000" << 2000 << "opt99CI"
                                 << "99"
                                 << "optVar1" << 1;
}

void VelmoraDialogTests::CompletedRunAppendsTheReportOfTheChosenOptionsAndHides() {
    QFETCH(QString, trialOption);
    QFETCH(int, trials);
    QFETCH(QString, levelOption);
    QFETCH(QString, levelText);
    QFETCH(QString, sdOption);
    QFETCH(int, sdVar);
    Fixture f;
    f.check(f.dialog->lstV1(), 1);
    f.check(f.dialog->lstV2(), 0);
    for (const QString& name : {trialOption, levelOption, sdOption})
        if (!name.isEmpty()) f.press(name.toLatin1().constData());
    f.press("cmdOK");

    QCOMPARE(f.box.shown.size(), std::size_t(0));
    QVERIFY(f.dialog->isHidden());
    QCOMPARE(f.dialog->cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(f.dialog->txtTrial()->text(), QString::number(trials));
    // The seed the report prints, with the same choices, gives the core's
    // report (which velmora-batch --seed prints) byte for byte.
    const std::string seedLabel = "\r\nSeed = ";
    const std::size_t seedAt = f.pane.find(seedLabel);
    QVERIFY(seedAt != std::string::npos);
    const std::size_t seedEnd = f.pane.find("\r\n", seedAt + 2);
    const std::uint64_t seed =
        std::stoull(f.pane.substr(seedAt + seedLabel.size(), seedEnd - seedAt - seedLabel.size()));
    QCOMPARE(seed, velmora::seedFromClock(f.wall));
    AnalysisOptions options;
    options.lngVar1 = 2;
    options.lngVar2 = 1;
    options.lngTrials = trials;
    options.sngConfidenceLevel = levelText.toFloat() / 100.0f;
    options.lngNonpooledSdVar = sdVar;
    velmora::DefaultRandomStream random(seed);
    const velmora::AnalysisRun run = velmora::RunEffectSizeAnalysis(
        f.data, options, random, {}, velmora::Arithmetic::Auto, seed);
    QCOMPARE(run.status, velmora::AnalysisStatus::Completed);
    QCOMPARE(f.pane, "earlier\r\n" + run.report);
    // The options as the report prints them.
    const QString pane = QString::fromStdString(f.pane);
    QVERIFY(pane.contains(QStringLiteral("\r\nVar1 = Var 2; Var2 = Var 1\r\n")));
    QVERIFY(pane.contains("EFFECT SIZE ESTIMATES AND " + levelText + "% CI\r\n"));
    QVERIFY(pane.contains(QStringLiteral("Nonpooled variance obtained from Varaible %1\r\n")
                              .arg(sdVar == 1 ? 2 : 1)));
    QVERIFY(
        pane.contains(QStringLiteral("Number of attempted bootstrap trials = %1\r\n").arg(trials)));
}

void VelmoraDialogTests::TrialBoxIsRepaintedDuringTheRunAndEndsOnT_data() {
    QTest::addColumn<double>("secondsPerReading");
    QTest::addColumn<int>("paints");
    QTest::newRow("a frame between readings: every trial") << 0.02 << 600;
    QTest::newRow("clock standing still: first and last") << 0.0 << 2;
}

void VelmoraDialogTests::TrialBoxIsRepaintedDuringTheRunAndEndsOnT() {
    QFETCH(double, secondsPerReading);
    QFETCH(int, paints);
    Fixture f(kPairs, secondsPerReading);
    QVERIFY(QTest::qWaitForWindowExposed(f.dialog.get()));
    QCoreApplication::processEvents();
    f.check(f.dialog->lstV1(), 0);
    f.check(f.dialog->lstV2(), 1);

    // What the box showed each time it was painted during the run.
    struct PaintLog : QObject {
        QWidget* dialog = nullptr;
        QStringList texts;
        bool busy = true;
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() == QEvent::Paint) {
                texts << static_cast<QLineEdit*>(watched)->text();
                busy = busy && dialog->cursor().shape() == Qt::WaitCursor;
            }
            return false;
        }
    } log;
    log.dialog = f.dialog.get();
    f.dialog->txtTrial()->installEventFilter(&log);
    f.press("cmdOK");
    f.dialog->txtTrial()->removeEventFilter(&log);

    QCOMPARE(log.texts.size(), paints);
    QCOMPARE(log.texts.first(), QStringLiteral("1"));
    QCOMPARE(log.texts.last(), QStringLiteral("600"));
    for (int i = 1; i < log.texts.size(); ++i)
        QVERIFY(log.texts[i].toInt() > log.texts[i - 1].toInt());
    QVERIFY(log.busy);
    QCOMPARE(f.dialog->txtTrial()->text(), QStringLiteral("600"));
}

QTEST_MAIN(VelmoraDialogTests)
#include "test_frm_velmora.moc"
