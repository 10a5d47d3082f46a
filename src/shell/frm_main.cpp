#include "shell/frm_main.h"

#include <QApplication>
#include <QMenuBar>
#include <QThread>
#include <memory>

#include "analysis/descriptives/frm_descriptives.h"
#include "analysis/effect_size/effect_size_analysis.h"
#include "analysis/effect_size/frm_paired_effects.h"
#include "analysis/effect_size/frm_velmora.h"
#include "data/data_set.h"
#include "data/frm_navigate.h"
#include "output/frm_open_output.h"
#include "output/frm_save_output.h"
#include "output/plot/frm_plot.h"
#include "runtime/clock.h"
#include "runtime/qt_file_system_lists.h"
#include "runtime/qt_form_keyboard.h"
#include "runtime/qt_form_style.h"
#include "runtime/qt_twips.h"
#include "runtime/twips.h"
#include "shell/frm_splash.h"
#include "shell/startup_wait.h"

namespace velmora {

namespace {

const WallClock& systemWallClock() {
    static const SystemWallClock clock;
    return clock;
}

}  // namespace

frmMain::frmMain(DataSet& data, MessageBoxService& messageBox, ClipboardService& clipboard,
                 const MonotonicClock& clock, QWidget* parent)
    : QMainWindow(parent),
      m_data(data),
      m_messageBox(messageBox),
      m_clipboard(clipboard),
      m_clock(clock),
      m_wallClock(&systemWallClock()) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Velmora: Correlated Groups"));
    buildControls();
    buildMenus();
    applyFormStyle(this);
    applyFormKeyboard(this);
    setTabOrderChain();
    m_pane = OutputPane(txtOutput());

    m_dialogs.registerDialog(
        QString::fromLatin1(DLG_NAVIGATE), [this] { return new frmNavigate(m_data, nullptr); },
        DialogLifetime::DiscardAfterEachOpening);
    const auto append = [this](const std::string& block) { appendToPane(block); };
    m_dialogs.registerDialog(QString::fromLatin1(DLG_DESCRIPTIVES), [this, append] {
        return new frmDescriptives(m_data, m_messageBox, append);
    });
    m_dialogs.registerDialog(QString::fromLatin1(DLG_VELMORA), [this, append] {
        auto* dialog = new frmVelmora(m_data, m_messageBox, append, *m_wallClock, m_clock);
        dialog->setRunCompleted([this](const frmVelmora::CompletedRun& run) { keepPlot(run); });
        return dialog;
    });
    m_dialogs.registerDialog(QString::fromLatin1(DLG_PAIRED_EFFECTS), [this, append] {
        auto* dialog = new frmPairedEffects(m_data, m_messageBox, append, *m_wallClock, m_clock);
        dialog->setRunCompleted([this](const frmVelmora::CompletedRun& run) { keepPlot(run); });
        return dialog;
    });
    m_dialogs.registerDialog(QString::fromLatin1(DLG_SAVE_OUTPUT), [this] {
        return new frmSaveOutput(m_pane, m_messageBox, m_outputFiles, [this] {
            return DataFilePaths{m_loadedFileName, m_strFileName};
        });
    });
    m_dialogs.registerDialog(QString::fromLatin1(DLG_OPEN_OUTPUT),
                             [this] { return new frmOpenOutput(m_pane, m_messageBox); });
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, &frmMain::commitData);

    // Design client area; the layout rule sizes the panels from here on.
    resize(twipsToPixels(11880, logicalDpiX()),
           twipsToPixels(8610, logicalDpiY()) + menuBar()->sizeHint().height());
    dirDirectory()->setFocus();
}

frmMain::~frmMain() = default;

void frmMain::Form_Load() {
    filFile()->setPattern(QStringLiteral("*.txt"));

    auto splash = std::make_unique<frmSplash>();
    splash->show();
    waitHandlingEvents(m_clock, SPLASH_WAIT_SECONDS, [] {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        // Only the splash is on screen; a short pause keeps the wait from
        // spinning a core at full speed for two seconds.
        QThread::msleep(5);
    });
    splash->close();  // closing it again when the user already did is harmless
    splash.reset();

    fillFileTypes();
}

}  // namespace velmora
