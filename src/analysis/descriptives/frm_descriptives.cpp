#include "analysis/descriptives/frm_descriptives.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include "analysis/descriptives/descriptives_analysis.h"
#include "runtime/message_box.h"
#include "runtime/qt_busy_pointer.h"
#include "runtime/qt_busy_run.h"
#include "runtime/qt_form_keyboard.h"
#include "runtime/qt_form_style.h"
#include "runtime/qt_twips.h"

namespace velmora {

frmDescriptives::frmDescriptives(const DataSet& data, MessageBoxService& messageBox,
                                 AppendToPane appendToPane, QWidget* parent)
    : QDialog(parent),
      m_data(data),
      m_messageBox(messageBox),
      m_appendToPane(std::move(appendToPane)) {
    setObjectName(QStringLiteral("frmDescriptives"));
    setWindowTitle(QStringLiteral("Descriptives"));
    setCloseBoxOnly(this);  // and sizable
    setFont(formControlFont());
    // The controls keep their design places whatever size the user gives it.
    resize(twipsToPixels(3435, logicalDpiX()), twipsToPixels(5235, logicalDpiY()));

    // Design rectangles in twips; those of controls in a frame are relative to it.
    m_fraSelectItems =
        makeControl<QGroupBox>(this, "fraSelectItems", {240, 120, 3015, 4215}, "Select Items");
    m_lstItems = makeControl<QListWidget>(m_fraSelectItems, "lstItems", {360, 360, 1935, 2760});
    m_optRanges = makeControl<QRadioButton>(m_fraSelectItems, "optRanges", {240, 3480, 1815, 255},
                                            "Range of Items");
    m_optIndividual = makeControl<QRadioButton>(m_fraSelectItems, "optIndividual",
                                                {240, 3840, 2055, 255}, "Individiual Items");
    m_cmdOK = makeControl<QPushButton>(this, "cmdOK", {360, 4560, 1215, 495}, "OK");
    m_cmdCancel = makeControl<QPushButton>(this, "cmdCancel", {1920, 4560, 1215, 495}, "Cancel");
    applyFrameCaptionFont(m_fraSelectItems);
    applyFormStyle(this);
    applyFormKeyboard(this);

    QWidget::setTabOrder(m_lstItems, m_optRanges);
    QWidget::setTabOrder(m_optRanges, m_optIndividual);
    QWidget::setTabOrder(m_optIndividual, m_cmdOK);
    QWidget::setTabOrder(m_cmdOK, m_cmdCancel);

    connect(m_lstItems, &QListWidget::itemChanged, this,
            [this](QListWidgetItem* item) { lstItems_ItemCheck(m_lstItems->row(item)); });
    connect(m_cmdOK, &QPushButton::clicked, this, &frmDescriptives::cmdOK_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &frmDescriptives::cmdCancel_Click);

    Form_Load();
}

void frmDescriptives::Form_Load() {
    for (std::int32_t a = 1; a <= m_data.g_lngNumVariables; ++a) {
        // Flags and state are set before the item joins the list, so filling
        // raises no tick event.
        auto* item = new QListWidgetItem(QString::fromStdString(variableListItem(m_data, a)));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        m_lstItems->addItem(item);
    }
    m_optRanges->setChecked(true);
}

bool frmDescriptives::isTicked(int index) const {
    const QListWidgetItem* item = m_lstItems->item(index);
    return item != nullptr && item->checkState() == Qt::Checked;
}

std::vector<bool> frmDescriptives::ticks() const {
    std::vector<bool> result(static_cast<std::size_t>(m_lstItems->count()));
    for (int i = 0; i < m_lstItems->count(); ++i) result[static_cast<std::size_t>(i)] = isTicked(i);
    return result;
}

void frmDescriptives::lstItems_ItemCheck(int t) {
    if (!m_optRanges->isChecked()) return;
    if (t <= 0 || !isTicked(t)) return;
    int f = t - 1;
    while (f >= 0 && !isTicked(f)) --f;
    if (f < 0) return;
    // Every fill tick would raise this handler again and find the same f;
    // the end state is the same without those nested runs, which for a long
    // gap would otherwise go one level deeper per item.
    const QSignalBlocker quiet(m_lstItems);
    for (int i = t - 1; i > f && !isTicked(i); --i) m_lstItems->item(i)->setCheckState(Qt::Checked);
}

void frmDescriptives::cmdOK_Click() {
    bool completed = false;
    try {
        const BusyPointer busy(this);
        // Computed off this thread, so a large data set leaves the windows
        // painted while no input reaches them.
        const std::vector<bool> chosen = ticks();
        DescriptivesRun run;
        runBusy([&] { run = RunDescriptivesAnalysis(m_data, chosen); });
        switch (run.status) {
            case DescriptivesStatus::NoItems:
                m_messageBox.show(run.message, "Analysis Error", MessageIcon::Warning,
                                  MessageButtons::Ok);
                break;
            case DescriptivesStatus::Fault:
                break;  // silent; nothing appended, the dialog stays open
            case DescriptivesStatus::Completed:
                m_appendToPane(run.report);
                completed = true;
                break;
        }
    } catch (...) {
        // An unexpected fault ends the command silently, pointer restored.
        // Silent by design, not through the message box: the boxes tell of
        // a bad choice (no item ticked, above), which the user can put right.
    }
    if (completed) hide();
}

void frmDescriptives::cmdCancel_Click() {
    hide();
}

void frmDescriptives::keyPressEvent(QKeyEvent* event) {
    // No button is bound to Escape: the key does not close the dialog.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace velmora
