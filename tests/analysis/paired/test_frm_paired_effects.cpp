#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "analysis/bootstrap/test_data.h"
#include "analysis/effect_size/frm_paired_effects.h"
#include "data/delimited_import.h"
#include "support/caption_of.h"
#include "support/fake_clock.h"
#include "support/fake_message_box.h"

using velmora::frmPairedEffects;

namespace {

// Eight pairs with spread in both variables, and a third column.
velmora::DataSet eightPairs() {
    return velmora::testing::makeDataSet(
        {{3, 5, 4, 8, 6, 2, 7, 9}, {4, 6, 6, 7, 9, 3, 8, 12}, {1, 1, 2, 2, 3, 3, 4, 5}});
}

// The text with each LF made the CR LF the reports end their lines with.
std::string withCrLf(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

struct Fixture {
    explicit Fixture(velmora::DataSet d = eightPairs(),
                     std::uint64_t now = 1'700'000'000'123'456'789ULL)
        : data(std::move(d)), wall{now} {
        dialog = std::make_unique<frmPairedEffects>(
            data, box, [this](const std::string& block) { pane += block; }, wall, clock);
        dialog->show();
    }
    void press(const char* name) {
        auto* b = dialog->findChild<QAbstractButton*>(QString::fromLatin1(name));
        QVERIFY2(b != nullptr, name);
        b->click();
    }
    velmora::DataSet data;
    velmora::testing::FakeMessageBox box;
    velmora::testing::FakeWallClock wall;
    velmora::testing::FakeMonotonicClock clock;
    std::string pane = "earlier\r\n";
    std::unique_ptr<frmPairedEffects> dialog;
};

}  // namespace

class PairedEffectsDialogTests : public QObject {
    Q_OBJECT
private slots:
    void ItIsTheVelmoraDialogUnderItsOwnNameAndSdCaption();
    void StopsShowTheVelmoraMessagesAndAppendNothing();
    void CompletedRunAppendsThePairedBlockOfItsChoicesAndSeedAndHides();
};

void PairedEffectsDialogTests::ItIsTheVelmoraDialogUnderItsOwnNameAndSdCaption() {
    Fixture f;
    QCOMPARE(f.dialog->objectName(), QStringLiteral("frmPairedEffects"));
    QCOMPARE(f.dialog->windowTitle(), QStringLiteral("Paired Effect Sizes"));
    const char* const controls[][2] = {
        {"fraSelectDV", "Pick Variable 1"},
        {"fraSelectGroups", "Pick Variable 2"},
        {"fraTrials", "Pick Number of Trials"},
        {"lblTrial", "Trial Number:"},
        {"fraPickNonpooled", "Pick SD of d_b"},
        {"optVar2", "Use SD of Variable 2"},
        {"cmdOK", "OK"},
        {"cmdCancel", "Cancel"},
    };
    for (const auto& [name, caption] : controls) {
        auto* widget = f.dialog->findChild<QWidget*>(QString::fromLatin1(name));
        QVERIFY2(widget != nullptr, name);
        QCOMPARE(captionOf(widget), QString::fromLatin1(caption));
    }
    QCOMPARE(f.dialog->lstV1()->count(), 3);
    QCOMPARE(f.dialog->lstV2()->item(2)->text(), QStringLiteral("Var 3"));
}

void PairedEffectsDialogTests::StopsShowTheVelmoraMessagesAndAppendNothing() {
    Fixture f;
    f.press("cmdOK");
    f.dialog->lstV1()->item(1)->setCheckState(Qt::Checked);
    f.dialog->lstV2()->item(1)->setCheckState(Qt::Checked);
    f.press("cmdOK");
    QCOMPARE(f.box.shown.size(), std::size_t(2));
    QCOMPARE(f.box.shown[0].text, std::string("Variable 1 must be selected."));
    QCOMPARE(f.box.shown[1].text, std::string("Variable 1 and Variable 2 are identical."));
    QCOMPARE(f.box.shown[1].title, std::string("Analysis Error"));
    QCOMPARE(f.pane, std::string("earlier\r\n"));
    QVERIFY(f.dialog->isVisible());
}

void PairedEffectsDialogTests::CompletedRunAppendsThePairedBlockOfItsChoicesAndSeedAndHides() {
    velmora::DataSet example;
    QCOMPARE(velmora::importDelimitedFile(VELMORA_EXAMPLES_DIR "/pre_post_scores.txt", ' ', example)
                 .status,
             velmora::ImportStatus::Completed);
    // splitmix64 of this time is 20261208, the seed of the README's example
    // (found by undoing splitmix64's steps in a script of its own, apart from
    // the program's code).
    Fixture f(std::move(example), 18430880649251754067ULL);
    f.dialog->lstV1()->item(0)->setCheckState(Qt::Checked);
    f.dialog->lstV2()->item(1)->setCheckState(Qt::Checked);
    for (const char* name : {"opt600", "opt95CI", "optVar1"}) f.press(name);
    f.press("cmdOK");
    QVERIFY(f.box.shown.empty());
    QVERIFY(!f.dialog->isVisible());
    QCOMPARE(f.dialog->txtTrial()->text(), QStringLiteral("600"));

    // The README's example block ("The paired d family"), written out once:
    // velmora-batch --var1 1 --var2 2 --seed 20261208 --paired on the example
    // file printed the same lines, and after them the five empty lines that
    // end the block.
    const std::string expected = withCrLf(R"(PAIRED EFFECT SIZES
------------------------------------------------------------------------------------------------------------
Var1 = Var 1; Var2 = Var 2; D = Var2 - Var1
Complete pairs n = 37; r = 0.847
g = J(m) x d with m = n - 1 = 36; J(m) = 0.978996
95% CI from 600 bootstrap trials; seed = 20261208
------------------------------------------------------------------------------------------------------------
Estimator                  d         g Pct lower Pct upper BCa lower BCa upper Anl lower Anl upper     Valid
------------------------------------------------------------------------------------------------------------
d_z                   -0.764    -0.748    -1.116    -0.486    -1.082    -0.462    -1.127    -0.393       600
robust d_z            -0.678    -0.664    -1.089    -0.391    -1.076    -0.386       n/a       n/a       600
d_rm                  -0.422    -0.413     -0.64    -0.256    -0.636     -0.25       n/a       n/a       600
d_av                  -0.487    -0.477    -0.724    -0.304    -0.717    -0.286       n/a       n/a       600
d_b (SD Var 1)          -0.6    -0.588     -0.94    -0.371    -0.923    -0.359    -0.825    -0.376       600
robust d_av           -0.484    -0.474     -0.79    -0.217     -0.85    -0.263       n/a       n/a       600
------------------------------------------------------------------------------------------------------------
Paired t test on D: M_D = -5.468; SD = 7.159; 95% CI = (-7.854, -3.081)
t = -4.646; df = 36; p < .001
------------------------------------------------------------------------------------------------------------
The limits are those of d; g's are J(m) times them. Pct and BCa: bootstrap.
Anl: analytic, noncentral t for d_z and normal for d_b. n/a: none defined.
n/c: not computable.
)") + "\r\n\r\n\r\n\r\n\r\n";
    QCOMPARE(f.pane, "earlier\r\n" + expected);

    // Other choices reach the block's heading and the d_b row.
    f.dialog->show();
    for (const char* name : {"opt800", "opt90CI", "optVar2"}) f.press(name);
    f.press("cmdOK");
    const std::string second = f.pane.substr(("earlier\r\n" + expected).size());
    QVERIFY(second.find("\r\n90% CI from 800 bootstrap trials; seed = 20261208\r\n") !=
            std::string::npos);
    QVERIFY(second.find("\r\nd_b (SD Var 2) ") != std::string::npos);
}

QTEST_MAIN(PairedEffectsDialogTests)
#include "test_frm_paired_effects.moc"
