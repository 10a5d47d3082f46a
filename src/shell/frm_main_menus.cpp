#include <QApplication>
#include <QMenuBar>
#include <filesystem>
#include <utility>

#include "analysis/effect_size/effect_size_analysis.h"
#include "output/output_file.h"
#include "output/plot/bootstrap_plot.h"
#include "output/plot/estimation_plot.h"
#include "output/plot/frm_plot.h"
#include "shell/frm_main.h"
#include "shell/qt_edit_commands.h"

namespace velmora {

void frmMain::buildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("menuBar"));
    const auto menu = [bar](const char* objectName, const char* title) {
        QMenu* m = bar->addMenu(QString::fromLatin1(title));
        m->setObjectName(QString::fromLatin1(objectName));
        return m;
    };
    const auto item = [this](QMenu* m, const char* objectName, const char* text,
                             void (frmMain::*handler)()) {
        QAction* action = m->addAction(QString::fromLatin1(text));
        action->setObjectName(QString::fromLatin1(objectName));
        connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
        return action;
    };

    QMenu* file = menu("mnuFile", "File");
    item(file, "mnuOpenOutput", "Open Output", &frmMain::mnuOpenOutput_Click);
    item(file, "mnuSaveOutput", "Save Output", &frmMain::mnuSaveOutput_Click);
    item(file, "mnuExit", "Exit", &frmMain::mnuExit_Click);

    QMenu* edit = menu("mnuEdit", "Edit");
    item(edit, "mnuCut", "Cut", &frmMain::mnuCut_Click);
    item(edit, "mnuCopy", "Copy", &frmMain::mnuCopy_Click);
    item(edit, "mnuPaste", "Paste", &frmMain::mnuPaste_Click);
    item(edit, "mnuClearOutput", "Clear Output", &frmMain::mnuClearOutput_Click);

    QMenu* dataMenu = menu("mnuData", "Data");
    item(dataMenu, "mnuNavigateDataFile", "Navigate Data File",
         &frmMain::mnuNavigateDataFile_Click);

    QMenu* analyses = menu("mnuAnalyses", "Analyses");
    item(analyses, "mnuDescriptives", "Descriptives", &frmMain::mnuDescriptives_Click);
    item(analyses, "mnuVelmora", "Velmora", &frmMain::mnuVelmora_Click);
    item(analyses, "mnuPairedEffects", "Paired Effect Sizes", &frmMain::mnuPairedEffects_Click);
    m_mnuBootstrapPlot =
        item(analyses, "mnuBootstrapPlot", "Bootstrap Plot", &frmMain::mnuBootstrapPlot_Click);
    m_mnuBootstrapPlot->setEnabled(false);  // until a run has completed
}

void frmMain::mnuCut_Click() {
    editCut(QApplication::focusWidget(), m_clipboard);
}

void frmMain::mnuCopy_Click() {
    editCopy(QApplication::focusWidget(), m_clipboard);
}

void frmMain::mnuPaste_Click() {
    editPaste(QApplication::focusWidget(), m_clipboard);
}

void frmMain::mnuClearOutput_Click() {
    m_pane.clear();
}

void frmMain::mnuNavigateDataFile_Click() {
    m_dialogs.open(QString::fromLatin1(DLG_NAVIGATE));
}

void frmMain::mnuDescriptives_Click() {
    m_dialogs.open(QString::fromLatin1(DLG_DESCRIPTIVES));
}

void frmMain::mnuVelmora_Click() {
    m_dialogs.open(QString::fromLatin1(DLG_VELMORA));
}

void frmMain::mnuPairedEffects_Click() {
    m_dialogs.open(QString::fromLatin1(DLG_PAIRED_EFFECTS));
}

void frmMain::keepPlot(const frmVelmora::CompletedRun& completed) {
    // The leaf name, as the batch program's pictures have it.
    std::string dataFileName = std::filesystem::path(m_loadedFileName).filename().string();
    m_mnuBootstrapPlot->setEnabled(true);
    if (completed.run.paired) {
        m_plotSvg = buildEstimationPlotSvg(
            estimationPlotOf(m_data, completed.options, *completed.run.paired,
                             completed.pairedTrials, std::move(dataFileName), completed.seed));
        if (m_plot) m_plot->setPicture(m_plotSvg);
        return;
    }
    BootstrapPlotData plot;
    plot.options = completed.options;
    plot.observed = completed.run.observed;
    plot.summary = completed.run.summary;
    plot.validValues = validTrialValues(completed.trials);
    plot.dataFileName = std::move(dataFileName);
    plot.seed = completed.seed;
    m_plotSvg = buildBootstrapPlotSvg(plot);
    if (m_plot) m_plot->setPicture(m_plotSvg);
}

frmPlot* frmMain::plotWindow() const {
    return m_plot.data();
}

void frmMain::mnuBootstrapPlot_Click() {
    if (m_plotSvg.empty()) return;
    if (!m_plot) {
        // Non-modal and on its own, so it stays beside the pane; closing it discards it.
        m_plot = new frmPlot(m_messageBox, m_outputFiles, [this] {
            return DataFilePaths{m_loadedFileName, m_strFileName};
        });
        m_plot->setAttribute(Qt::WA_DeleteOnClose);
        m_plot->setPicture(m_plotSvg);
    }
    m_plot->show();
    m_plot->raise();
    m_plot->activateWindow();
}

}  // namespace velmora
