#include "analysis/bootstrap/frm_velmora.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "analysis/bootstrap/effect_size_analysis.h"
#include "runtime/clock.h"
#include "runtime/frame_pacer.h"
#include "runtime/message_box.h"
#include "runtime/qt_busy_pointer.h"
#include "runtime/qt_form_keyboard.h"
#include "runtime/qt_form_style.h"
#include "runtime/qt_twips.h"
#include "runtime/random_stream.h"

namespace velmora {

namespace {

// Design geometry in twips; controls inside a frame are placed relative to it.
constexpr int kFormWidth = 6795;
constexpr int kFormHeight = 5520;
constexpr TwipsRect kVariableFrame1{120, 120, 1932, 4452};
constexpr TwipsRect kVariableFrame2{2280, 120, 1932, 4452};
constexpr TwipsRect kVariableList{240, 360, 1452, 3660};
constexpr TwipsRect kOK{1920, 4800, 1215, 495};
constexpr TwipsRect kCancel{3720, 4800, 1215, 495};
constexpr TwipsRect kTrialsFrame{4440, 120, 2295, 2172};
constexpr TwipsRect kLblTrial{120, 1800, 972, 252};
constexpr TwipsRect kTxtTrial{1200, 1800, 735, 288};
constexpr TwipsRect kConfidenceFrame{4440, 2400, 2295, 1092};
constexpr TwipsRect kNonpooledFrame{4440, 3600, 2292, 972};

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

QGroupBox* frame(QWidget* owner, const char* name, const char* caption, const TwipsRect& r) {
    auto* control = new QGroupBox(QString::fromLatin1(caption), owner);
    control->setObjectName(QString::fromLatin1(name));
    placeControl(control, r);
    return control;
}

QRadioButton* option(QWidget* owner, const char* name, const char* caption, const TwipsRect& r) {
    auto* control = new QRadioButton(QString::fromLatin1(caption), owner);
    control->setObjectName(QString::fromLatin1(name));
    placeControl(control, r);
    return control;
}

QPushButton* button(QWidget* owner, const char* name, const char* caption, const TwipsRect& r) {
    auto* control = new QPushButton(QString::fromLatin1(caption), owner);
    control->setObjectName(QString::fromLatin1(name));
    control->setAutoDefault(false);
    placeControl(control, r);
    return control;
}

QListWidget* checkList(QWidget* owner, const char* name) {
    auto* control = new QListWidget(owner);
    control->setObjectName(QString::fromLatin1(name));
    placeControl(control, kVariableList);
    return control;
}

}  // namespace

frmVelmora::frmVelmora(const DataSet& data, MessageBoxService& messageBox,
                       AppendToPane appendToPane, const WallClock& wallClock,
                       const MonotonicClock& clock, QWidget* parent)
    : QDialog(parent),
      m_data(data),
      m_messageBox(messageBox),
      m_appendToPane(std::move(appendToPane)),
      m_wallClock(wallClock),
      m_clock(clock) {
    setObjectName(QStringLiteral("frmVelmora"));
    setWindowTitle(QStringLiteral("Velmora"));
    // A close box, but no minimize, maximize or help button.
    // Customized, so that window managers leave the other buttons off too.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFont(formControlFont());
    setFixedSize(twipsToPixels(kFormWidth, logicalDpiX()),
                 twipsToPixels(kFormHeight, logicalDpiY()));
    buildControls();
    applyFormStyle(this);
    applyFormKeyboard(this);
    Form_Load();
}

void frmVelmora::buildControls() {
    m_fraSelectDV = frame(this, "fraSelectDV", "Pick Variable 1", kVariableFrame1);
    m_lstV1 = checkList(m_fraSelectDV, "lstV1");
    m_fraSelectGroups = frame(this, "fraSelectGroups", "Pick Variable 2", kVariableFrame2);
    m_lstV2 = checkList(m_fraSelectGroups, "lstV2");
    m_cmdOK = button(this, "cmdOK", "OK", kOK);
    m_cmdCancel = button(this, "cmdCancel", "Cancel", kCancel);

    m_fraTrials = frame(this, "fraTrials", "Pick Number of Trials", kTrialsFrame);
    for (int i = 0; i < 8; ++i) {
        const TrialOption& o = kTrialOptions[i];
        m_optTrials[i] = option(m_fraTrials, o.name, std::to_string(o.trials).c_str(), o.rect);
    }
    m_lblTrial = new QLabel(QStringLiteral("Trial Number:"), m_fraTrials);
    m_lblTrial->setObjectName(QStringLiteral("lblTrial"));
    placeControl(m_lblTrial, kLblTrial);
    m_txtTrial = new QLineEdit(m_fraTrials);
    m_txtTrial->setObjectName(QStringLiteral("txtTrial"));
    m_txtTrial->setReadOnly(true);
    // A box the user reads but cannot type in wears the button face.
    QPalette face = m_txtTrial->palette();
    face.setColor(QPalette::Base, face.color(QPalette::Button));
    m_txtTrial->setPalette(face);
    placeControl(m_txtTrial, kTxtTrial);

    m_fraConfidence = frame(this, "fraConfidence", "Pick Confidence Level", kConfidenceFrame);
    m_opt90CI = option(m_fraConfidence, "opt90CI", "90% CI", {120, 240, 972, 252});
    m_opt95CI = option(m_fraConfidence, "opt95CI", "95% CI", {120, 480, 1092, 252});
    m_opt99CI = option(m_fraConfidence, "opt99CI", "99% CI", {120, 720, 972, 252});

    m_fraPickNonpooled = frame(this, "fraPickNonpooled", "Pick Nonpooled SD", kNonpooledFrame);
    m_optVar1 =
        option(m_fraPickNonpooled, "optVar1", "Use SD of Variable 1", {120, 240, 2052, 252});
    m_optVar2 =
        option(m_fraPickNonpooled, "optVar2", "Use SD of Variable 2", {120, 600, 2052, 192});

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
        const QString text = QStringLiteral("Var ") + QString::number(i);
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
        // already back and nothing was appended.
    }
    if (completed) hide();
}

bool frmVelmora::runAnalysis() {
    AnalysisOptions options;
    options.lngTrials = selectedTrials();
    options.sngConfidenceLevel = selectedLevel();
    DefaultRandomStream random(seedFromClock(m_wallClock));
    const BusyPointer busy(this);

    options.lngVar1 = m_lngVar1;
    options.lngVar2 = m_lngVar2;
    options.lngNonpooledSdVar = m_optVar1->isChecked() ? 1 : 2;

    FramePacer pacer(m_clock, options.lngTrials);
    BootstrapHooks hooks;
    // The engine may spread trials over threads; it still reports progress
    // here, on this thread, in increasing order.
    hooks.threads = 0;
    hooks.progress = [this, &pacer](std::int32_t t) {
        m_trialReported = t;
        if (pacer.due(t)) showTrial(t, true);
    };
    const AnalysisRun run = RunEffectSizeAnalysis(m_data, options, random, hooks);
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
    m_appendToPane(run.report);
    return true;
}

void frmVelmora::showTrial(std::int32_t t, bool repaintNow) {
    m_txtTrial->setText(QString::number(t));
    m_trialShown = t;
    // Painted at once, without handing control back to the event loop, so
    // no other input is taken while the run goes on.
    if (repaintNow) m_txtTrial->repaint();
}

void frmVelmora::cmdCancel_Click() {
    hide();
}

}  // namespace velmora
