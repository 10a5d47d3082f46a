#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "analysis/bootstrap/analysis_records.h"
#include "analysis/paired/paired_estimates.h"
#include "data/data_set.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace velmora {

struct AnalysisRun;
struct EffectSizeHooks;
class MessageBoxService;
class RandomStream;
class MonotonicClock;
class WallClock;

// "Velmora": picks the two correlated variables, the number of trials, the
// confidence level and the SD source, and runs the effect-size bootstrap on
// OK. Loading (the constructor) lists "Var 1" .. "Var " + g_lngNumVariables in
// both lists, each followed by its name when the data file named it ("Var 1
// pre"), none checked, with 600 trials, 95% and the SD of Variable 1.
// Cancel and a completed OK hide it with its choices; the caller discards it
// on the close box. Everything it reads and calls must outlive it.
class frmVelmora : public QDialog {
    Q_OBJECT
public:
    // The output pane's append contract.
    using AppendToPane = std::function<void(const std::string& block)>;

    // What OK runs once the stream is seeded: RunEffectSizeAnalysis unless
    // set. It runs off the user-interface thread, reporting progress there.
    // The seed is the stream's, for the report's seed line.
    using Engine = std::function<AnalysisRun(const DataSet&, const AnalysisOptions&, RandomStream&,
                                             const EffectSizeHooks&, std::uint64_t seed)>;

    // What a completed run leaves for its picture.
    struct CompletedRun {
        const AnalysisRun& run;
        const AnalysisOptions& options;
        std::uint64_t seed;
        // Every trial's estimates, in trial order.
        const std::vector<EffectSizes>& trials;
        // With the paired d family: every trial's family, in trial order.
        const std::vector<PairedEstimates>& pairedTrials;
    };
    using RunCompleted = std::function<void(const CompletedRun&)>;

    // `wallClock` seeds each run; `clock` paces the trial counter's repaints.
    frmVelmora(const DataSet& data, MessageBoxService& messageBox, AppendToPane appendToPane,
               const WallClock& wallClock, const MonotonicClock& clock, QWidget* parent = nullptr);

    // The checked column of each list, 1-based, or UNCHOSEN_VARIABLE.
    std::int32_t var1() const { return m_lngVar1; }
    std::int32_t var2() const { return m_lngVar2; }

    // Item `item` (0-based) of the list was checked or unchecked.
    void lstV1_ItemCheck(int item);
    void lstV2_ItemCheck(int item);
    // The run: options, seed, hourglass, the checks, the bootstrap, the
    // report appended, then hidden. A stop shows its "Analysis Error" box
    // and leaves the dialog open as it was; a fault ends silently.
    void cmdOK_Click();
    void cmdCancel_Click();

    QListWidget* lstV1() const { return m_lstV1; }
    QListWidget* lstV2() const { return m_lstV2; }
    QLineEdit* txtTrial() const { return m_txtTrial; }

    void setEngine(Engine engine) { m_engine = std::move(engine); }
    // Called after each completed run's block was appended.
    void setRunCompleted(RunCompleted completed) { m_runCompleted = std::move(completed); }

protected:
    // What a completed run appends to the pane: the Velmora report here.
    // `seed` is the run's.
    virtual std::string blockOf(const AnalysisRun& run, const AnalysisOptions& options,
                                std::uint64_t seed) const;
    // Whether the run also computes the paired d family (AnalysisRun::paired).
    virtual bool runsPaired() const { return false; }
    QGroupBox* fraPickNonpooled() const { return m_fraPickNonpooled; }
    const DataSet& data() const { return m_data; }

private:
    void buildControls();
    void Form_Load();
    // The one-checked-item rule shared by both lists.
    void itemCheck(QListWidget* list, std::int32_t& chosen, int item);
    std::int32_t selectedTrials() const;
    float selectedLevel() const;
    // Runs the command up to the report; true when it was appended.
    bool runAnalysis();
    // Puts t into txtTrial, painted at once when `repaintNow`.
    void showTrial(std::int32_t t, bool repaintNow);

    const DataSet& m_data;
    MessageBoxService& m_messageBox;
    AppendToPane m_appendToPane;
    const WallClock& m_wallClock;
    const MonotonicClock& m_clock;
    Engine m_engine;
    RunCompleted m_runCompleted;

    std::int32_t m_lngVar1 = UNCHOSEN_VARIABLE;
    std::int32_t m_lngVar2 = UNCHOSEN_VARIABLE;
    // The trial last reported by the run, and the one txtTrial shows.
    std::int32_t m_trialReported = 0;
    std::int32_t m_trialShown = 0;

    QGroupBox* m_fraSelectDV = nullptr;
    QListWidget* m_lstV1 = nullptr;
    QGroupBox* m_fraSelectGroups = nullptr;
    QListWidget* m_lstV2 = nullptr;
    QPushButton* m_cmdOK = nullptr;
    QPushButton* m_cmdCancel = nullptr;
    QGroupBox* m_fraTrials = nullptr;
    QRadioButton* m_optTrials[8] = {};  // opt600 .. opt2000
    QLabel* m_lblTrial = nullptr;
    QLineEdit* m_txtTrial = nullptr;
    QGroupBox* m_fraConfidence = nullptr;
    QRadioButton* m_opt90CI = nullptr;
    QRadioButton* m_opt95CI = nullptr;
    QRadioButton* m_opt99CI = nullptr;
    QGroupBox* m_fraPickNonpooled = nullptr;
    QRadioButton* m_optVar1 = nullptr;
    QRadioButton* m_optVar2 = nullptr;
};

}  // namespace velmora
