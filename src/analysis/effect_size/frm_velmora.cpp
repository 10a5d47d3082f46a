#include "analysis/effect_size/frm_velmora.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "analysis/effect_size/effect_size_analysis.h"
#include "runtime/clock.h"
#include "runtime/frame_pacer.h"
#include "runtime/message_box.h"
#include "runtime/qt_busy_pointer.h"
#include "runtime/qt_busy_run.h"
#include "runtime/qt_form_keyboard.h"
#include "runtime/qt_form_style.h"
#include "runtime/qt_twips.h"
#include "runtime/random_stream.h"

namespace velmora {

namespace {

struct TrialOption {
    const char* name;
    std::int32_t trials;
    TwipsRect rect;
};
constexpr TrialOption kTrialOptions[8] = {
    {"opt600", 600, {120, 360, 975, 252}},    {"opt800", 800, {1200, 360, 735, 252}},
    {"opt1000", 1000, {120, 720, 855, 252}},  {"opt1200", 1200, {1200, 720, 855, 252}},
    {"opt1400", 1400, {120, 1080, 855, 252}}, {"opt1600", 1600, {1200, 1080, 855, 252}},
    {"opt1800", 1800, {120, 1440, 855, 252}}, {"opt2000", 2000, {1200, 1440, 855, 252}},
};

}  // namespace

frmVelmora::frmVelmora(const DataSet& data, MessageBoxService& messageBox,
                       AppendToPane appendToPane, const WallClock& wallClock,
                       const MonotonicClock& clock, QWidget* parent)
    : QDialog(parent),
      m_data(data),
      m_messageBox(messageBox),
      m_appendToPane(std::move(appendToPane)),
      m_wallClock(wallClock),
      m_clock(clock),
      m_engine([](const DataSet& d, const AnalysisOptions& o, RandomStream& r,
                  const EffectSizeHooks& h, std::uint64_t seed) {
          return RunEffectSizeAnalysis(d, o, r, h, Arithmetic::Auto, seed);
      }) {
    setObjectName(QStringLiteral("frmVelmora"));
    setWindowTitle(QStringLiteral("Velmora"));
    setCloseBoxOnly(this);
    setFont(formControlFont());
    setFixedSize(twipsToPixels(6795, logicalDpiX()), twipsToPixels(5520, logicalDpiY()));
    buildControls();
    applyFormStyle(this);
    applyFormKeyboard(this);
    Form_Load();
}

void frmVelmora::buildControls() {
    // Design rectangles in twips; those of controls in a frame are relative to it.
    m_fraSelectDV =
        makeControl<QGroupBox>(this, "fraSelectDV", {120, 120, 1932, 4452}, "Pick Variable 1");
    m_lstV1 = makeControl<QListWidget>(m_fraSelectDV, "lstV1", {240, 360, 1452, 3660});
    m_fraSelectGroups =
        makeControl<QGroupBox>(this, "fraSelectGroups", {2280, 120, 1932, 4452}, "Pick Variable 2");
    m_lstV2 = makeControl<QListWidget>(m_fraSelectGroups, "lstV2", {240, 360, 1452, 3660});
    m_cmdOK = makeControl<QPushButton>(this, "cmdOK", {1920, 4800, 1215, 495}, "OK");
    m_cmdCancel = makeControl<QPushButton>(this, "cmdCancel", {3720, 4800, 1215, 495}, "Cancel");

    m_fraTrials =
        makeControl<QGroupBox>(this, "fraTrials", {4440, 120, 2295, 2172}, "Pick Number of Trials");
    for (int i = 0; i < 8; ++i) {
        const TrialOption& o = kTrialOptions[i];
        m_optTrials[i] = makeControl<QRadioButton>(m_fraTrials, o.name, o.rect,
                                                   std::to_string(o.trials).c_str());
    }
    m_lblTrial =
        makeControl<QLabel>(m_fraTrials, "lblTrial", {120, 1800, 972, 252}, "Trial Number:");
    m_txtTrial = makeControl<QLineEdit>(m_fraTrials, "txtTrial", {1200, 1800, 735, 288});
    m_txtTrial->setReadOnly(true);
    // A box the user reads but cannot type in wears the button face.
    QPalette face = m_txtTrial->palette();
    face.setColor(QPalette::Base, face.color(QPalette::Button));
    m_txtTrial->setPalette(face);

    m_fraConfidence = makeControl<QGroupBox>(this, "fraConfidence", {4440, 2400, 2295, 1092},
                                             "Pick Confidence Level");
    m_opt90CI =
        makeControl<QRadioButton>(m_fraConfidence, "opt90CI", {120, 240, 972, 252}, "90% CI");
    m_opt95CI =
        makeControl<QRadioButton>(m_fraConfidence, "opt95CI", {120, 480, 1092, 252}, "95% CI");
    m_opt99CI =
        makeControl<QRadioButton>(m_fraConfidence, "opt99CI", {120, 720, 972, 252}, "99% CI");

    m_fraPickNonpooled = makeControl<QGroupBox>(this, "fraPickNonpooled", {4440, 3600, 2292, 972},
                                                "Pick Nonpooled SD");
    m_optVar1 = makeControl<QRadioButton>(m_fraPickNonpooled, "optVar1", {120, 240, 2052, 252},
                                          "Use SD of Variable 1");
    m_optVar2 = makeControl<QRadioButton>(m_fraPickNonpooled, "optVar2", {120, 600, 2052, 192},
                                          "Use SD of Variable 2");

    for (QGroupBox* f :
         {m_fraSelectDV, m_fraSelectGroups, m_fraTrials, m_fraConfidence, m_fraPickNonpooled})
        applyFrameCaptionFont(f);

    QWidget* order[] = {m_lstV1,        m_lstV2,        m_cmdOK,        m_cmdCancel,
                        m_optTrials[0], m_optTrials[1], m_optTrials[2], m_optTrials[3],
                        m_optTrials[4], m_optTrials[5], m_optTrials[6], m_optTrials[7],
                        m_opt90CI,      m_opt95CI,      m_opt99CI,      m_txtTrial,
                        m_optVar1,      m_optVar2};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);

    connect(m_lstV1, &QListWidget::itemChanged, this,
            [this](QListWidgetItem* item) { lstV1_ItemCheck(m_lstV1->row(item)); });
    connect(m_lstV2, &QListWidget::itemChanged, this,
            [this](QListWidgetItem* item) { lstV2_ItemCheck(m_lstV2->row(item)); });
    connect(m_cmdOK, &QPushButton::clicked, this, &frmVelmora::cmdOK_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &frmVelmora::cmdCancel_Click);
}

void frmVelmora::Form_Load() {
    for (std::int32_t i = 1; i <= m_data.g_lngNumVariables; ++i) {
        // The label and the name, so the user sees which column is which.
        const QString text = QString::fromStdString(variableListItem(m_data, i));
        for (QListWidget* list : {m_lstV1, m_lstV2}) {
            // Flags and state are set before the item joins the list, so
            // filling raises no item-check event.
            auto* item = new QListWidgetItem(text);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);
            list->addItem(item);
        }
    }
    m_lngVar1 = UNCHOSEN_VARIABLE;
    m_lngVar2 = UNCHOSEN_VARIABLE;
    m_optTrials[0]->setChecked(true);
    m_opt95CI->setChecked(true);
    m_optVar1->setChecked(true);
}

void frmVelmora::lstV1_ItemCheck(int item) {
    itemCheck(m_lstV1, m_lngVar1, item);
}

void frmVelmora::lstV2_ItemCheck(int item) {
    itemCheck(m_lstV2, m_lngVar2, item);
}

void frmVelmora::itemCheck(QListWidget* list, std::int32_t& chosen, int item) {
    if (item < 0) return;
    const std::int32_t column = item + 1;
    if (chosen == column) {
        chosen = UNCHOSEN_VARIABLE;  // the user unchecked the chosen item
        return;
    }
    if (chosen != UNCHOSEN_VARIABLE) {
        // Unchecking the earlier item raises this event for it, which clears
        // `chosen`; only then does the new item become the choice.
        if (QListWidgetItem* previous = list->item(chosen - 1))
            previous->setCheckState(Qt::Unchecked);
    }
    chosen = column;
}

std::int32_t frmVelmora::selectedTrials() const {
    for (int i = 0; i < 8; ++i)
        if (m_optTrials[i]->isChecked()) return kTrialOptions[i].trials;
    return kTrialOptions[0].trials;  // one option of the group is always selected
}

float frmVelmora::selectedLevel() const {
    if (m_opt90CI->isChecked()) return 0.9f;
    if (m_opt95CI->isChecked()) return 0.95f;
    return 0.99f;
}

void frmVelmora::cmdOK_Click() {
    bool completed = false;
    try {
        completed = runAnalysis();
    } catch (...) {
        // An unexpected fault ends the command silently; the pointer is
        // already back and nothing was appended. Silent by design, not
        // through the message box: the boxes tell of a bad choice or bad
        // data (runAnalysis shows those), which the user can put right.
    }
    if (completed) hide();
}

bool frmVelmora::runAnalysis() {
    AnalysisOptions options;
    options.lngTrials = selectedTrials();
    options.sngConfidenceLevel = selectedLevel();
    const std::uint64_t seed = seedFromClock(m_wallClock);
    DefaultRandomStream random(seed);
    const BusyPointer busy(this);

    options.lngVar1 = m_lngVar1;
    options.lngVar2 = m_lngVar2;
    options.lngNonpooledSdVar = m_optVar1->isChecked() ? 1 : 2;

    FramePacer pacer(m_clock, options.lngTrials);
    EffectSizeHooks hooks;
    // The engine may spread trials over threads; it still reports progress
    // here, on this thread, in increasing order.
    hooks.threads = 0;
    hooks.paired = runsPaired();
    // The trials run off this thread, which keeps the windows painted (and
    // the trial box with them) while no input reaches any of them.
    hooks.progress = [this, &pacer](std::int32_t t) {
        m_trialReported = t;
        if (pacer.due(t)) postToUiThread(this, [this, t] { showTrial(t, true); });
    };
    std::vector<EffectSizes> trials;
    std::vector<PairedEstimates> pairedTrials;
    if (m_runCompleted) {
        trials.assign(static_cast<std::size_t>(options.lngTrials), EffectSizes{});
        hooks.trial = [&trials](std::int32_t t, const EffectSizes& e) {
            if (t >= 1 && static_cast<std::size_t>(t) <= trials.size())
                trials[static_cast<std::size_t>(t) - 1] = e;
        };
        if (hooks.paired) {
            pairedTrials.resize(static_cast<std::size_t>(options.lngTrials));
            hooks.pairedTrial = [&pairedTrials](std::int32_t t, const PairedEstimates& e) {
                if (t >= 1 && static_cast<std::size_t>(t) <= pairedTrials.size())
                    pairedTrials[static_cast<std::size_t>(t) - 1] = e;
            };
        }
    }
    AnalysisRun run;
    runBusy([&] { run = m_engine(m_data, options, random, hooks, seed); });
    // A run that ended between two repaints still leaves the trial it reached.
    if (m_trialReported != m_trialShown) showTrial(m_trialReported, false);

    switch (run.status) {
        case AnalysisStatus::Stopped:
            m_messageBox.show(run.message, "Analysis Error", MessageIcon::Warning,
                              MessageButtons::Ok);
            return false;
        case AnalysisStatus::Fault:
            return false;
        case AnalysisStatus::Completed:
            break;
    }
    m_appendToPane(blockOf(run, options, seed));
    if (m_runCompleted) m_runCompleted(CompletedRun{run, options, seed, trials, pairedTrials});
    return true;
}

std::string frmVelmora::blockOf(const AnalysisRun& run, const AnalysisOptions&,
                                std::uint64_t) const {
    return run.report;
}

void frmVelmora::showTrial(std::int32_t t, bool repaintNow) {
    m_txtTrial->setText(QString::number(t));
    m_trialShown = t;
    // Painted at once, not at the next update of the whole dialog.
    if (repaintNow) m_txtTrial->repaint();
}

void frmVelmora::cmdCancel_Click() {
    hide();
}

}  // namespace velmora
