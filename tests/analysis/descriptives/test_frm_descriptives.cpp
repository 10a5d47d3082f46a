#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <memory>

#include "analysis/bootstrap/test_data.h"
#include "analysis/descriptives/frm_descriptives.h"
#include "support/caption_of.h"
#include "support/fake_message_box.h"

using velmora::DataSet;
using velmora::frmDescriptives;
using velmora::testing::M;

namespace {

struct Fixture {
    explicit Fixture(DataSet d) : data(std::move(d)) {
        dialog = std::make_unique<frmDescriptives>(
            data, box, [this](const std::string& block) { pane += block; });
        box.onShow = [this] { cursorDuringBox = dialog->cursor().shape(); };
        dialog->show();
    }
    QListWidget* list() const { return dialog->lstItems(); }
    void press(const char* name) {
        auto* b = dialog->findChild<QAbstractButton*>(QString::fromLatin1(name));
        QVERIFY2(b != nullptr, name);
        b->click();
    }
    // Variables (1-based) whose items are ticked, e.g. "2 3 6".
    QString ticked() const {
        QStringList numbers;
        for (int i = 0; i < list()->count(); ++i)
            if (list()->item(i)->checkState() == Qt::Checked) numbers << QString::number(i + 1);
        return numbers.join(QLatin1Char(' '));
    }
    void expectStoppedWith(const std::string& message) {
        QCOMPARE(box.shown.size(), std::size_t(1));
        QCOMPARE(box.shown[0].text, message);
        QCOMPARE(box.shown[0].title, std::string("Analysis Error"));
        QCOMPARE(box.shown[0].icon, velmora::MessageIcon::Warning);
        QCOMPARE(box.shown[0].buttons, velmora::MessageButtons::Ok);
        QCOMPARE(cursorDuringBox, Qt::WaitCursor);
        QCOMPARE(pane, std::string("earlier\r\n"));
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->cursor().shape(), Qt::ArrowCursor);
    }

    DataSet data;
    velmora::testing::FakeMessageBox box;
    std::string pane = "earlier\r\n";
    Qt::CursorShape cursorDuringBox = Qt::BlankCursor;
    std::unique_ptr<frmDescriptives> dialog;
};

DataSet tenVariables() {
    return velmora::testing::makeDataSet(std::vector<std::vector<float>>(10, {1.0f}));
}

}  // namespace

class DescriptivesDialogTests : public QObject {
    Q_OBJECT
private slots:
    void ControlsCarryTheirNamesCaptionsAndFrames();
    void RangeFillingWorksTowardTheTopOnly_data();
    void RangeFillingWorksTowardTheTopOnly();
    void NoDataGivesTheNoItemsMessage();
    void CountsZeroedAfterLoadingFindNoItems();
    void CompletedRunAppendsTheReportAndHides();
    void OverflowEndsSilentlyWithThePointerRestored();
    void EnterAndEscapeAreBoundToNoButton();
};

void DescriptivesDialogTests::ControlsCarryTheirNamesCaptionsAndFrames() {
    Fixture f(velmora::testing::makeDataSet({{1.0f}, {2.0f}, {3.0f}}));
    QCOMPARE(f.dialog->windowTitle(), QStringLiteral("Descriptives"));
    QVERIFY(!(f.dialog->windowFlags() & Qt::WindowMinMaxButtonsHint));
    QCOMPARE(f.list()->count(), 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(f.list()->item(i)->text(), QStringLiteral("Var %1").arg(i + 1));
        QVERIFY(f.list()->item(i)->flags() & Qt::ItemIsUserCheckable);
    }
    QCOMPARE(f.ticked(), QString());
    // name, container, caption
    const char* const controls[][3] = {
        {"fraSelectItems", "frmDescriptives", "Select Items"},
        {"lstItems", "fraSelectItems", ""},
        {"optRanges", "fraSelectItems", "Range of Items"},
        {"optIndividual", "fraSelectItems", "Individiual Items"},
        {"cmdOK", "frmDescriptives", "OK"},
        {"cmdCancel", "frmDescriptives", "Cancel"},
    };
    for (const auto& [name, container, caption] : controls) {
        auto* widget = f.dialog->findChild<QWidget*>(QString::fromLatin1(name));
        QVERIFY2(widget != nullptr, name);
        QCOMPARE(widget->parentWidget()->objectName(), QString::fromLatin1(container));
        QCOMPARE(captionOf(widget), QString::fromLatin1(caption));
    }
    QVERIFY(f.dialog->findChild<QRadioButton*>(QStringLiteral("optRanges"))->isChecked());
    // Sizable; the controls keep their places.
    QWidget* cancel = f.dialog->findChild<QWidget*>(QStringLiteral("cmdCancel"));
    const QRect before = cancel->geometry();
    const QSize grown = f.dialog->size() + QSize(150, 150);
    f.dialog->resize(grown);
    QCOMPARE(f.dialog->size(), grown);
    QCOMPARE(cancel->geometry(), before);
}

void DescriptivesDialogTests::RangeFillingWorksTowardTheTopOnly_data() {
    // Steps: "+v" ticks variable v, "-v" clears it, "i" / "r" choose
    // "Individiual Items" / "Range of Items".
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("ticked");
    QTest::newRow("2, 6, then 9") << "+2 +6 +9"
                                  << "2 3 4 5 6 7 8 9";
    QTest::newRow("6 then 2") << "+6 +2"
                              << "2 6";
    QTest::newRow("first item below a tick") << "+3 +1"
                                             << "1 3";
    QTest::newRow("first item alone") << "+1"
                                      << "1";
    QTest::newRow("clearing inside a block, ranges") << "+2 +6 -4"
                                                     << "2 3 5 6";
    QTest::newRow("clearing inside a block, individual") << "+2 +6 i -4"
                                                         << "2 3 5 6";
    QTest::newRow("individual ticks never spread") << "i +2 +6"
                                                   << "2 6";
    QTest::newRow("mode switch fills nothing") << "i +2 +6 r"
                                               << "2 6";
    QTest::newRow("next tick fills to the nearest tick above") << "i +2 +6 r +9"
                                                               << "2 6 7 8 9";
    QTest::newRow("fill stops at a tick in the gap") << "i +2 +5 r +8"
                                                     << "2 5 6 7 8";
}

void DescriptivesDialogTests::RangeFillingWorksTowardTheTopOnly() {
    QFETCH(QString, steps);
    QFETCH(QString, ticked);
    Fixture f(tenVariables());
    for (const QString& step : steps.split(QLatin1Char(' '))) {
        if (step == QLatin1String("i")) {
            f.press("optIndividual");
        } else if (step == QLatin1String("r")) {
            f.press("optRanges");
        } else {
            const int item = step.mid(1).toInt() - 1;
            f.list()->item(item)->setCheckState(step.startsWith(QLatin1Char('+')) ? Qt::Checked
                                                                                  : Qt::Unchecked);
        }
    }
    QCOMPARE(f.ticked(), ticked);
}

void DescriptivesDialogTests::NoDataGivesTheNoItemsMessage() {
    Fixture f(DataSet{});
    QCOMPARE(f.list()->count(), 0);
    f.press("cmdOK");
    f.expectStoppedWith("At least one item must be selected.");
}

void DescriptivesDialogTests::CountsZeroedAfterLoadingFindNoItems() {
    Fixture f(tenVariables());
    f.list()->item(0)->setCheckState(Qt::Checked);
    f.list()->item(9)->setCheckState(Qt::Checked);
    // The data set's counts bound the scan, not the items the dialog was loaded with.
    f.data.g_lngNumCases = 0;
    f.data.g_lngNumVariables = 0;
    f.press("cmdOK");
    f.expectStoppedWith("At least one item must be selected.");
    QCOMPARE(f.list()->count(), 10);
}

void DescriptivesDialogTests::CompletedRunAppendsTheReportAndHides() {
    // Var 3 holds 1, 2, 4 (the documented row); Var 1 has a single value.
    Fixture f(velmora::testing::makeDataSet({{M, 7.25f, M}, {5, 5, 5}, {1, 2, 4}}));
    f.press("optIndividual");
    f.list()->item(2)->setCheckState(Qt::Checked);
    f.list()->item(0)->setCheckState(Qt::Checked);
    f.press("cmdOK");
    const std::string rule(60, '-');
    QCOMPARE(f.pane, "earlier\r\nDESCRIPTIVES\r\n" + rule + "\r\n" +
                         "Name            Mean        SD       Min       Max         N\r\n" + rule +
                         "\r\n" +
                         "Var 1           7.25         .      7.25      7.25         1\r\n" +
                         "Var 3          2.333     1.528         1         4         3\r\n" + rule +
                         "\r\n\r\n\r\n\r\n");
    QVERIFY(f.box.shown.empty());
    QVERIFY(f.dialog->isHidden());
    QCOMPARE(f.dialog->cursor().shape(), Qt::ArrowCursor);
}

void DescriptivesDialogTests::OverflowEndsSilentlyWithThePointerRestored() {
    Fixture f(velmora::testing::makeDataSet({{1, 2}, {3e38f, 3e38f}}));
    f.list()->item(1)->setCheckState(Qt::Checked);
    f.press("cmdOK");
    QVERIFY(f.box.shown.empty());
    QCOMPARE(f.pane, std::string("earlier\r\n"));
    QVERIFY(f.dialog->isVisible());
    QCOMPARE(f.dialog->cursor().shape(), Qt::ArrowCursor);
}

void DescriptivesDialogTests::EnterAndEscapeAreBoundToNoButton() {
    Fixture f(tenVariables());
    f.list()->item(0)->setCheckState(Qt::Checked);
    QTest::keyClick(f.dialog.get(), Qt::Key_Escape);
    QTest::keyClick(f.dialog.get(), Qt::Key_Return);
    QVERIFY(f.dialog->isVisible());
    QCOMPARE(f.pane, std::string("earlier\r\n"));
}

QTEST_MAIN(DescriptivesDialogTests)
#include "test_frm_descriptives.moc"
