#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>
#include <memory>
#include <string>

#include "analysis/bootstrap/test_data.h"
#include "analysis/effect_size/effect_size_analysis.h"
#include "analysis/effect_size/frm_paired_effects.h"
#include "analysis/paired/paired_effects_report.h"
#include "runtime/random_stream.h"
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

struct Fixture {
    Fixture() {
        dialog = std::make_unique<frmPairedEffects>(
            data, box, [this](const std::string& block) { pane += block; }, wall, clock);
        dialog->show();
    }
    void press(const char* name) {
        auto* b = dialog->findChild<QAbstractButton*>(QString::fromLatin1(name));
        QVERIFY2(b != nullptr, name);
        b->click();
    }
    velmora::DataSet data = eightPairs();
    velmora::testing::FakeMessageBox box;
    velmora::testing::FakeWallClock wall{1'700'000'000'123'456'789ULL};
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
    Fixture f;
    f.dialog->lstV1()->item(0)->setCheckState(Qt::Checked);
    f.dialog->lstV2()->item(1)->setCheckState(Qt::Checked);
    for (const char* name : {"opt800", "opt90CI", "optVar2"}) f.press(name);
    f.press("cmdOK");
    QVERIFY(f.box.shown.empty());
    QVERIFY(!f.dialog->isVisible());
    QCOMPARE(f.dialog->txtTrial()->text(), QStringLiteral("800"));

    // The block alone, of the run the same clock seeds, after what the pane held.
    const std::uint64_t seed = velmora::seedFromClock(f.wall);
    velmora::DefaultRandomStream random(seed);
    velmora::EffectSizeHooks hooks;
    hooks.paired = true;
    const velmora::AnalysisOptions options = velmora::testing::optionsFor(800, 0.9f, 2);
    const velmora::AnalysisRun run = velmora::RunEffectSizeAnalysis(f.data, options, random, hooks);
    QVERIFY(run.paired.has_value());
    const std::string block =
        velmora::BuildPairedEffectsReport(options, seed, run.paired->observed, run.paired->summary);
    QCOMPARE(f.pane, "earlier\r\n" + block);
    QVERIFY(block.rfind("PAIRED EFFECT SIZES\r\n", 0) == 0);
    QVERIFY(block.find("90% CI from 800 bootstrap trials; seed = " + std::to_string(seed) +
                       "\r\n") != std::string::npos);
    QVERIFY(block.find("\r\nd_b (SD Var 2) ") != std::string::npos);
}

QTEST_MAIN(PairedEffectsDialogTests)
#include "test_frm_paired_effects.moc"
