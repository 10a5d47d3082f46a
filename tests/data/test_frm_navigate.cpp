#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include "data/frm_navigate.h"

using velmora::DataMatrix;
using velmora::DataSet;
using velmora::frmNavigate;

namespace {

// Three cases, two variables:   2.5  .
//                               0    -1.25
//                               1/3  1234567.8
DataSet sampleData() {
    DataSet data;
    data.g_lngNumCases = 3;
    data.g_lngNumVariables = 2;
    data.g_sngData = DataMatrix(3);
    data.g_sngData.set(1, 1, 2.5f);
    data.g_sngData.set(1, 2, velmora::MISSING_VALUE);
    data.g_sngData.set(2, 2, -1.25f);
    data.g_sngData.set(3, 1, 1.0f / 3.0f);
    data.g_sngData.set(3, 2, 1234567.8f);
    return data;
}

QString text(const frmNavigate& form, const char* name) {
    const QLabel* label = form.findChild<QLabel*>(QString::fromLatin1(name));
    return label != nullptr ? label->text() : QStringLiteral("<no %1>").arg(QLatin1String(name));
}

void press(frmNavigate& form, const char* name) {
    QPushButton* button = form.findChild<QPushButton*>(QString::fromLatin1(name));
    QVERIFY2(button != nullptr, name);
    button->click();
}

// Every button once; none may move the position away from (1, 1).
void pressAll(frmNavigate& form) {
    for (const char* name : {"cmdUp", "cmdDown", "cmdLeft", "cmdRight"}) {
        press(form, name);
        QCOMPARE(form.row(), 1);
        QCOMPARE(form.column(), 1);
    }
}

}  // namespace

class NavigatorTests : public QObject {
    Q_OBJECT

private slots:
    void LoadShowsCountsAndTheFirstCell();
    void ControlsCarryTheirNamesAndCaptions();
    void ButtonsStepAndStopAtTheEdges_data();
    void ButtonsStepAndStopAtTheEdges();
    void EveryPressRefreshesTheLabels();
    void BoundsAreReadAtEachPress();
    void ClearedCountsShowTheEarlierFirstCellAndNeverMove();
    void NoFirstCellShowsNoValue();
    void OneCaseOneVariableNeverMoves();
};

void NavigatorTests::LoadShowsCountsAndTheFirstCell() {
    const DataSet data = sampleData();
    frmNavigate form(data);
    QCOMPARE(form.windowTitle(), QStringLiteral("Navigate Data File"));
    QCOMPARE(form.objectName(), QStringLiteral("frmNavigate"));
    QCOMPARE(text(form, "lblNumberOfRows"), QStringLiteral("Number of rows: 3"));
    QCOMPARE(text(form, "lblNumberOfColumns"), QStringLiteral("Number of columns: 2"));
    QCOMPARE(text(form, "lblRow"), QStringLiteral("Row: 1"));
    QCOMPARE(text(form, "lblColumn"), QStringLiteral("Column: 1"));
    QCOMPARE(text(form, "lblCell"), QStringLiteral("2.5"));
    QCOMPARE(form.row(), 1);
    QCOMPARE(form.column(), 1);
}

void NavigatorTests::ControlsCarryTheirNamesAndCaptions() {
    const DataSet data = sampleData();
    frmNavigate form(data);
    auto* frame = form.findChild<QGroupBox*>(QStringLiteral("fraNavigate"));
    QVERIFY(frame != nullptr);
    QCOMPARE(frame->title(), QStringLiteral("Navigate"));
    const QList<QPushButton*> buttons = form.findChildren<QPushButton*>();
    QCOMPARE(buttons.size(), 4);  // no button of its own closes the window
    for (const auto& [name, caption] :
         {std::pair{"cmdUp", "Up"}, std::pair{"cmdDown", "Down"}, std::pair{"cmdLeft", "Left"},
          std::pair{"cmdRight", "Right"}}) {
        auto* button = frame->findChild<QPushButton*>(QString::fromLatin1(name));
        QVERIFY2(button != nullptr, name);
        QCOMPARE(button->text(), QString::fromLatin1(caption));
    }
    // The cell sits between the four buttons, inside the frame.
    const QRect cell = frame->findChild<QLabel*>(QStringLiteral("lblCell"))->geometry();
    const auto geometry = [&](const char* name) {
        return frame->findChild<QPushButton*>(QString::fromLatin1(name))->geometry();
    };
    QVERIFY(geometry("cmdUp").bottom() < cell.top());
    QVERIFY(geometry("cmdDown").top() > cell.bottom());
    QVERIFY(geometry("cmdLeft").right() < cell.left());
    QVERIFY(geometry("cmdRight").left() > cell.right());
    QVERIFY(frame->rect().contains(geometry("cmdDown")));
    QVERIFY(form.rect().contains(frame->geometry()));
}

void NavigatorTests::ButtonsStepAndStopAtTheEdges_data() {
    QTest::addColumn<QStringList>("presses");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("cell");

    QTest::newRow("up at row 1 stays") << QStringList{"cmdUp"} << 1 << 1 << "2.5";
    QTest::newRow("left at column 1 stays") << QStringList{"cmdLeft"} << 1 << 1 << "2.5";
    QTest::newRow("missing cell is a point") << QStringList{"cmdRight"} << 1 << 2 << ".";
    QTest::newRow("right stops at the last variable")
        << QStringList{"cmdRight", "cmdRight", "cmdRight"} << 1 << 2 << ".";
    QTest::newRow("a cell holding 0") << QStringList{"cmdDown"} << 2 << 1 << "0";
    QTest::newRow("negative value") << QStringList{"cmdDown", "cmdRight"} << 2 << 2 << "-1.25";
    QTest::newRow("seven digits, not rounded to three decimals")
        << QStringList{"cmdDown", "cmdDown"} << 3 << 1 << "0.3333333";
    QTest::newRow("down stops at the last case")
        << QStringList{"cmdDown", "cmdDown", "cmdDown", "cmdRight"} << 3 << 2 << "1234568";
    QTest::newRow("back up and left to the start")
        << QStringList{"cmdDown", "cmdRight", "cmdUp", "cmdLeft"} << 1 << 1 << "2.5";
}

void NavigatorTests::ButtonsStepAndStopAtTheEdges() {
    QFETCH(QStringList, presses);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, cell);
    const DataSet data = sampleData();
    frmNavigate form(data);
    for (const QString& name : presses) press(form, name.toLatin1().constData());
    QCOMPARE(form.row(), row);
    QCOMPARE(form.column(), column);
    QCOMPARE(text(form, "lblRow"), QStringLiteral("Row: %1").arg(row));
    QCOMPARE(text(form, "lblColumn"), QStringLiteral("Column: %1").arg(column));
    QCOMPARE(text(form, "lblCell"), cell);
}

void NavigatorTests::EveryPressRefreshesTheLabels() {
    const DataSet data = sampleData();
    frmNavigate form(data);
    form.findChild<QLabel*>(QStringLiteral("lblRow"))->setText(QStringLiteral("stale"));
    form.findChild<QLabel*>(QStringLiteral("lblCell"))->setText(QStringLiteral("stale"));
    press(form, "cmdUp");  // no move, yet shown again
    QCOMPARE(text(form, "lblRow"), QStringLiteral("Row: 1"));
    QCOMPARE(text(form, "lblCell"), QStringLiteral("2.5"));
}

void NavigatorTests::BoundsAreReadAtEachPress() {
    DataSet data = sampleData();
    data.g_lngNumCases = 1;
    frmNavigate form(data);
    press(form, "cmdDown");
    QCOMPARE(form.row(), 1);
    data.g_lngNumCases = 3;
    press(form, "cmdDown");
    QCOMPARE(form.row(), 2);
    QCOMPARE(text(form, "lblCell"), QStringLiteral("0"));
}

void NavigatorTests::ClearedCountsShowTheEarlierFirstCellAndNeverMove() {
    DataSet data = sampleData();
    data.g_lngNumCases = 0;
    data.g_lngNumVariables = 0;
    frmNavigate form(data);
    QCOMPARE(text(form, "lblNumberOfRows"), QStringLiteral("Number of rows: 0"));
    QCOMPARE(text(form, "lblNumberOfColumns"), QStringLiteral("Number of columns: 0"));
    QCOMPARE(text(form, "lblCell"), QStringLiteral("2.5"));
    pressAll(form);
    QCOMPARE(text(form, "lblRow"), QStringLiteral("Row: 1"));
    QCOMPARE(text(form, "lblColumn"), QStringLiteral("Column: 1"));
    QCOMPARE(text(form, "lblCell"), QStringLiteral("2.5"));
}

void NavigatorTests::NoFirstCellShowsNoValue() {
    // Before any import the matrix is not allocated; after an empty file it
    // holds case index 0 only.
    DataSet none;
    DataSet emptyFile;
    emptyFile.g_sngData = DataMatrix(0);
    for (const DataSet* data : {&none, &emptyFile}) {
        frmNavigate form(*data);
        QCOMPARE(text(form, "lblNumberOfRows"), QStringLiteral("Number of rows: 0"));
        QCOMPARE(text(form, "lblNumberOfColumns"), QStringLiteral("Number of columns: 0"));
        QCOMPARE(text(form, "lblRow"), QStringLiteral("Row: 1"));
        QCOMPARE(text(form, "lblCell"), QString());
        pressAll(form);
        QCOMPARE(text(form, "lblCell"), QString());
    }
}

void NavigatorTests::OneCaseOneVariableNeverMoves() {
    DataSet data;
    data.g_lngNumCases = 1;
    data.g_lngNumVariables = 1;
    data.g_sngData = DataMatrix(1);
    data.g_sngData.set(1, 1, 3.0f);
    frmNavigate form(data);
    QCOMPARE(text(form, "lblCell"), QStringLiteral("3"));
    pressAll(form);
    QCOMPARE(text(form, "lblCell"), QStringLiteral("3"));
}

QTEST_MAIN(NavigatorTests)
#include "test_frm_navigate.moc"
