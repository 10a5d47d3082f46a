#include "shell/frm_main.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMoveEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QSessionManager>
#include <QThread>
#include <algorithm>
#include <filesystem>
#include <iterator>
#include <memory>
#include <vector>

#include "analysis/descriptives/frm_descriptives.h"
#include "analysis/effect_size/effect_size_analysis.h"
#include "analysis/effect_size/frm_paired_effects.h"
#include "analysis/effect_size/frm_velmora.h"
#include "data/data_set.h"
#include "data/frm_navigate.h"
#include "data/import_command.h"
#include "output/frm_open_output.h"
#include "output/frm_save_output.h"
#include "output/plot/bootstrap_plot.h"
#include "output/plot/estimation_plot.h"
#include "output/plot/frm_plot.h"
#include "runtime/clipboard.h"
#include "runtime/clock.h"
#include "runtime/message_box.h"
#include "runtime/qt_busy_run.h"
#include "runtime/qt_file_system_lists.h"
#include "runtime/qt_form_keyboard.h"
#include "runtime/qt_form_style.h"
#include "runtime/qt_twips.h"
#include "runtime/twips.h"
#include "shell/frm_splash.h"
#include "shell/main_layout.h"
#include "shell/qt_edit_commands.h"
#include "shell/startup_wait.h"

namespace velmora {

namespace {

QFont paneFont() {
    QFont font(QStringLiteral("Courier"));
    font.setPointSizeF(9.75);
    font.setBold(false);  // regular, whatever the frame around it uses
    // The reports align columns with blanks: whatever face stands in for
    // Courier must be fixed-pitch.
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    return font;
}

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

namespace {

using Id = MainControlId;
using Kind = MainControlKind;

// clang-format off
constexpr std::array<MainControl, MAIN_CONTROL_COUNT> kControls = {{
    {.id = Id::fraSelectData, .name = "fraSelectData", .kind = Kind::Frame,
     .container = "clientArea", .caption = "Select Data", .rect = {120, 0, 10695, 2295}},
    {.id = Id::fraTypeOfDelimiter, .name = "fraTypeOfDelimiter", .kind = Kind::Frame,
     .container = "fraSelectData", .caption = "Type of Delimiter",
     .toolTip = "Specify the delimiter used", .rect = {240, 360, 1815, 1695}},
    {.id = Id::optSpace, .name = "optSpace", .kind = Kind::OptionButton,
     .container = "fraTypeOfDelimiter", .caption = "Space Delimited",
     .rect = {120, 240, 1455, 255}, .tab = 6},
    {.id = Id::optComma, .name = "optComma", .kind = Kind::OptionButton,
     .container = "fraTypeOfDelimiter", .caption = "Comma Delimited",
     .rect = {120, 525, 1575, 255}, .tab = 7},
    {.id = Id::optTab, .name = "optTab", .kind = Kind::OptionButton,
     .container = "fraTypeOfDelimiter", .caption = "Tab Delimited",
     .rect = {120, 810, 1335, 255}, .tab = 8},
    {.id = Id::optSemicolon, .name = "optSemicolon", .kind = Kind::OptionButton,
     .container = "fraTypeOfDelimiter", .caption = "Semicolon",
     .toolTip = "Semicolons between fields, a comma as the decimal mark",
     .rect = {120, 1095, 1575, 255}},
    {.id = Id::optWhitespace, .name = "optWhitespace", .kind = Kind::OptionButton,
     .container = "fraTypeOfDelimiter", .caption = "Whitespace",
     .toolTip = "Any run of blanks and tabs between fields",
     .rect = {120, 1380, 1575, 255}},
    {.id = Id::drvDrive, .name = "drvDrive", .kind = Kind::DriveList, .container = "fraSelectData",
     .toolTip = "Specify drive of file", .rect = {2280, 480, 2415, 315}, .tab = 3},
    {.id = Id::dirDirectory, .name = "dirDirectory", .kind = Kind::DirectoryList,
     .container = "fraSelectData", .toolTip = "Specify directory of file",
     .rect = {2280, 840, 2415, 1215}, .tab = 1},
    {.id = Id::cmbFileType, .name = "cmbFileType", .kind = Kind::FileTypeBox,
     .container = "fraSelectData", .caption = "File type",
     .toolTip = "Specify file extension (*.txt, *.dat, *.csv, *.tsv, all files, or SPSS, Stata and SAS files)",
     .rect = {4920, 480, 2295, 315}, .tab = 9},
    {.id = Id::filFile, .name = "filFile", .kind = Kind::FileList, .container = "fraSelectData",
     .toolTip = "Specify file", .rect = {4920, 840, 2295, 1065}, .tab = 2},
    {.id = Id::lblSelectedFileLabel, .name = "lblSelectedFileLabel", .kind = Kind::Label,
     .container = "fraSelectData", .caption = "Selected File:", .rect = {7440, 360, 1332, 240}},
    {.id = Id::lblSelectedFile, .name = "lblSelectedFile", .kind = Kind::ValueLabel,
     .container = "fraSelectData", .toolTip = "The file selected for import",
     .rect = {7440, 600, 2055, 255}},
    {.id = Id::lblCurrentFileLabel, .name = "lblCurrentFileLabel", .kind = Kind::Label,
     .container = "fraSelectData", .caption = "File Currently in Processor:",
     .rect = {7440, 960, 2055, 255}},
    {.id = Id::lblCurrentFile, .name = "lblCurrentFile", .kind = Kind::ValueLabel,
     .container = "fraSelectData", .toolTip = "File currently contained in KORVA processor",
     .rect = {7440, 1200, 2055, 255}},
    {.id = Id::cmdImportData, .name = "cmdImportData", .kind = Kind::Button,
     .container = "fraSelectData", .caption = "Import Selected Data File",
     .toolTip = "Click to import selected file", .rect = {7440, 1560, 2055, 495}, .tab = 4},
    {.id = Id::fraOutput, .name = "fraOutput", .kind = Kind::Frame, .container = "clientArea",
     .caption = "Output", .rect = {120, 4320, 9375, 3735}},
    {.id = Id::txtOutput, .name = "txtOutput", .kind = Kind::Pane, .container = "fraOutput",
     .rect = {480, 720, 7095, 2295}, .tab = 5},
}};
// clang-format on

QWidget* makeMainControl(const MainControl& c, QWidget* container) {
    switch (c.kind) {
        case Kind::Frame:
            return makeControl<QGroupBox>(container, c.name, c.rect, c.caption);
        case Kind::OptionButton:
            return makeControl<QRadioButton>(container, c.name, c.rect, c.caption);
        case Kind::DriveList:
            return makeControl<DriveListBox>(container, c.name, c.rect);
        case Kind::DirectoryList:
            return makeControl<DirListBox>(container, c.name, c.rect);
        case Kind::FileTypeBox: {
            auto* box = makeControl<QComboBox>(container, c.name, c.rect);
            box->setEditable(true);
            box->setEditText(QString::fromLatin1(c.caption));
            return box;
        }
        case Kind::FileList:
            return makeControl<FileListBox>(container, c.name, c.rect);
        case Kind::Label:
            return makeControl<QLabel>(container, c.name, c.rect, c.caption);
        case Kind::ValueLabel: {
            auto* label = makeControl<QLabel>(container, c.name, c.rect);
            makeDisplayLabel(label);
            return label;
        }
        case Kind::Button:
            return makeControl<QPushButton>(container, c.name, c.rect, c.caption);
        case Kind::Pane:
            return makeControl<QPlainTextEdit>(container, c.name, c.rect);
    }
    return nullptr;
}

}  // namespace

std::span<const MainControl, MAIN_CONTROL_COUNT> mainControlTable() {
    return kControls;
}

template <class Control>
Control* frmMain::control(MainControlId id) const {
    return static_cast<Control*>(m_controls[static_cast<std::size_t>(id)]);
}

// clang-format off
QGroupBox* frmMain::fraSelectData() const { return control<QGroupBox>(Id::fraSelectData); }
QGroupBox* frmMain::fraOutput() const { return control<QGroupBox>(Id::fraOutput); }
QGroupBox* frmMain::fraTypeOfDelimiter() const {
    return control<QGroupBox>(Id::fraTypeOfDelimiter);
}
QRadioButton* frmMain::optSpace() const { return control<QRadioButton>(Id::optSpace); }
QRadioButton* frmMain::optComma() const { return control<QRadioButton>(Id::optComma); }
QRadioButton* frmMain::optTab() const { return control<QRadioButton>(Id::optTab); }
QRadioButton* frmMain::optSemicolon() const { return control<QRadioButton>(Id::optSemicolon); }
QRadioButton* frmMain::optWhitespace() const { return control<QRadioButton>(Id::optWhitespace); }
DriveListBox* frmMain::drvDrive() const { return control<DriveListBox>(Id::drvDrive); }
DirListBox* frmMain::dirDirectory() const { return control<DirListBox>(Id::dirDirectory); }
FileListBox* frmMain::filFile() const { return control<FileListBox>(Id::filFile); }
QComboBox* frmMain::cmbFileType() const { return control<QComboBox>(Id::cmbFileType); }
QLabel* frmMain::lblSelectedFile() const { return control<QLabel>(Id::lblSelectedFile); }
QLabel* frmMain::lblCurrentFile() const { return control<QLabel>(Id::lblCurrentFile); }
QPushButton* frmMain::cmdImportData() const { return control<QPushButton>(Id::cmdImportData); }
QPlainTextEdit* frmMain::txtOutput() const { return control<QPlainTextEdit>(Id::txtOutput); }
// clang-format on

void frmMain::buildControls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("clientArea"));
    client->setFont(formControlFont());
    setCentralWidget(client);

    for (const MainControl& c : kControls) {
        QWidget* container = client->objectName() == QLatin1String(c.container)
                                 ? client
                                 : client->findChild<QWidget*>(QString::fromLatin1(c.container));
        QWidget* made = makeMainControl(c, container);
        if (*c.toolTip != '\0') made->setToolTip(QString::fromLatin1(c.toolTip));
        m_controls[static_cast<std::size_t>(c.id)] = made;
    }

    optSpace()->setChecked(true);
    QComboBox* fileType = cmbFileType();
    // Typed text is never added as an item: only the two items change the pattern.
    fileType->setInsertPolicy(QComboBox::NoInsert);
    // Nor may typed text pick an item: no completion, and Enter in the text
    // field (which would choose an item of the same text) is swallowed.
    fileType->setCompleter(nullptr);
    fileType->lineEdit()->installEventFilter(this);
    QPlainTextEdit* pane = txtOutput();
    pane->setLineWrapMode(QPlainTextEdit::NoWrap);
    pane->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    pane->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab moves on to the next control, as in every other text box of the program.
    pane->setTabChangesFocus(true);

    applyFrameCaptionFont(fraSelectData());
    applyFrameCaptionFont(fraOutput());
    pane->setFont(paneFont());

    linkFileSelection(drvDrive(), dirDirectory(), filFile());
    connect(fileType, &QComboBox::activated, this, [this](int) { cmbFileType_Click(); });
    connect(filFile(), &FileListBox::clicked, this, &frmMain::filFile_Click);
    connect(cmdImportData(), &QPushButton::clicked, this, [this] { cmdImportData_Click(); });
}

void frmMain::buildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("menuBar"));
    const auto menu = [bar](const char* objectName, const char* title) {
        QMenu* m = bar->addMenu(QString::fromLatin1(title));
        m->setObjectName(QString::fromLatin1(objectName));
        return m;
    };
    const auto item = [this](QMenu* m, const char* objectName, const char* text, void (frmMain::*handler)()) {
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
    item(dataMenu, "mnuNavigateDataFile", "Navigate Data File", &frmMain::mnuNavigateDataFile_Click);

    QMenu* analyses = menu("mnuAnalyses", "Analyses");
    item(analyses, "mnuDescriptives", "Descriptives", &frmMain::mnuDescriptives_Click);
    item(analyses, "mnuVelmora", "Velmora", &frmMain::mnuVelmora_Click);
    item(analyses, "mnuPairedEffects", "Paired Effect Sizes", &frmMain::mnuPairedEffects_Click);
    m_mnuBootstrapPlot =
        item(analyses, "mnuBootstrapPlot", "Bootstrap Plot", &frmMain::mnuBootstrapPlot_Click);
    m_mnuBootstrapPlot->setEnabled(false);  // until a run has completed
}

void frmMain::setTabOrderChain() {
    // The option group sits between the pane and the combo box; within the
    // group the arrow keys move between the three buttons.
    std::vector<const MainControl*> stops;
    for (const MainControl& c : kControls)
        if (c.tab > 0) stops.push_back(&c);
    std::sort(stops.begin(), stops.end(),
              [](const MainControl* a, const MainControl* b) { return a->tab < b->tab; });
    for (std::size_t i = 0; i + 1 < stops.size(); ++i)
        QWidget::setTabOrder(m_controls[static_cast<std::size_t>(stops[i]->id)],
                             m_controls[static_cast<std::size_t>(stops[i + 1]->id)]);
}

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

namespace {

// The file types in list order: the item's text and the pattern it sets. A
// type chooses which files are listed only; the delimiter stays as chosen,
// since a .csv file may use any of them (the statistics packages' files are
// told by their content, whatever the delimiter).
struct FileType {
    const char* item;
    const char* pattern;
};
constexpr FileType kFileTypes[] = {
    {"Text (*.txt)", "*.txt"},
    {"Data (*.dat)", "*.dat"},
    {"CSV (*.csv)", "*.csv"},
    {"Tab separated (*.tsv)", "*.tsv"},
    {"All files (*)", "*"},
    {"SPSS, Stata, SAS (*.sav *.zsav *.por *.dta *.sas7bdat *.xpt)",
     "*.sav;*.zsav;*.por;*.dta;*.sas7bdat;*.xpt"},
};

}  // namespace

void frmMain::fillFileTypes() {
    for (const FileType& type : kFileTypes) cmbFileType()->addItem(QString::fromLatin1(type.item));
    cmbFileType()->setCurrentIndex(0);
    // Selecting an item from code raises the combo's Click as a choice by the user would.
    cmbFileType_Click();
}

void frmMain::cmbFileType_Click() {
    const int index = cmbFileType()->currentIndex();
    // No item selected (-1): the pattern stays.
    if (index >= 0 && index < static_cast<int>(std::size(kFileTypes)))
        filFile()->setPattern(QString::fromLatin1(kFileTypes[index].pattern));
}

void frmMain::filFile_Click() {
    const QString bare = filFile()->fileName();
    if (bare.isEmpty()) {
        return;  // no file selected: keep the earlier choice rather than store a bare directory
    }
    // Joined as they stand: a root path already ends in "/", giving "//".
    m_strFileName = storedPath(filFile()->path() + QLatin1Char('/') + bare);
    lblSelectedFile()->setText(bare);
}

char frmMain::selectedDelimiter() const {
    if (optSpace()->isChecked()) {
        return ' ';
    }
    if (optComma()->isChecked()) {
        return ',';
    }
    if (optTab()->isChecked()) {
        return '\t';
    }
    if (optSemicolon()->isChecked()) {
        return kSemicolonDelimiter;
    }
    if (optWhitespace()->isChecked()) {
        return kWhitespaceDelimiter;
    }
    return ' ';
}

void frmMain::cmdImportData_Click() {
    ImportCommandContext context;
    context.fileName = m_strFileName;
    context.delimiter = selectedDelimiter();
    context.selectedBareName = storedPath(filFile()->fileName());
    context.data = &m_data;
    context.messageBox = &m_messageBox;
    context.appendToPane = [this](const std::string& block) { appendToPane(block); };
    context.setCurrentFile = [this](const std::string& caption) {
        lblCurrentFile()->setText(
            QFile::decodeName(QByteArray(caption.data(), static_cast<qsizetype>(caption.size()))));
    };
    context.discardAnalysisDialogs = [this] {
        m_dialogs.discard(QString::fromLatin1(DLG_DESCRIPTIVES));
        m_dialogs.discard(QString::fromLatin1(DLG_VELMORA));
        m_dialogs.discard(QString::fromLatin1(DLG_PAIRED_EFFECTS));
    };
    context.runLongStep = [](const std::function<void()>& step) { runBusy(step); };
    if (runImportCommand(context).status == ImportStatus::Completed) {
        m_loadedFileName = m_strFileName;
    }
}

void frmMain::mnuOpenOutput_Click() {
    try {
        // Opening a file replaces the pane's text, and nothing brings it back.
        if (m_pane.hasUnsavedText() && !offerToSaveOutput()) return;
    } catch (...) {
        return;  // a failure ends the command silently, the pane as it was
    }
    m_dialogs.open(QString::fromLatin1(DLG_OPEN_OUTPUT));
}

void frmMain::mnuSaveOutput_Click() { m_dialogs.open(QString::fromLatin1(DLG_SAVE_OUTPUT)); }

void frmMain::mnuExit_Click() {
    exitDialogue();
    if (m_lngUnloadProgram == 1) {
        close();  // confirmed: the close request lets the window go without asking again
    }
}

void frmMain::exitDialogue() {
    try {
        if (m_messageBox.show("Do you want to exit Velmora: Correlated Groups?",
                              "Velmora: Correlated Groups", MessageIcon::Warning,
                              MessageButtons::YesNoCancel) != MessageResult::Yes) {
            return;
        }
        if (!offerToSaveOutput()) return;
        m_lngUnloadProgram = 1;
    } catch (...) {
        // A failure ends the dialogue silently; the program keeps running.
    }
}

bool frmMain::offerToSaveOutput() {
    switch (m_messageBox.show("Do you want to save the contents of the output?", "Save Output",
                              MessageIcon::Warning, MessageButtons::YesNoCancel)) {
        case MessageResult::Yes:
            // The user asked for the output to be kept: going on without a
            // written file (Cancel, close box, no name, a refused name, No to
            // replacing a file, a failed write) would lose it, so the command
            // waits for another try.
            return m_dialogs.open(QString::fromLatin1(DLG_SAVE_OUTPUT)) == QDialog::Accepted;
        case MessageResult::No:
            return true;
        default:
            return false;  // Cancel, or the box closed
    }
}

bool frmMain::Form_QueryUnload() {
    if (m_lngUnloadProgram != 1) {
        exitDialogue();  // only confirms: the close already under way is the one that proceeds
    }
    return m_lngUnloadProgram == 1;
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (Form_QueryUnload()) {
        event->accept();
    } else {
        event->ignore();
    }
}

void frmMain::commitData(QSessionManager& manager) {
    // Without the session manager's leave to interact nothing can be asked; the
    // session then ends as it must.
    if (m_lngUnloadProgram == 1 || !manager.allowsInteraction()) {
        return;
    }
    const bool mayEnd = Form_QueryUnload();
    manager.release();
    if (!mayEnd) {
        manager.cancel();
    }
}

void frmMain::mnuCut_Click() { editCut(QApplication::focusWidget(), m_clipboard); }

void frmMain::mnuCopy_Click() { editCopy(QApplication::focusWidget(), m_clipboard); }

void frmMain::mnuPaste_Click() { editPaste(QApplication::focusWidget(), m_clipboard); }

void frmMain::mnuClearOutput_Click() { m_pane.clear(); }

void frmMain::mnuNavigateDataFile_Click() { m_dialogs.open(QString::fromLatin1(DLG_NAVIGATE)); }

void frmMain::mnuDescriptives_Click() { m_dialogs.open(QString::fromLatin1(DLG_DESCRIPTIVES)); }

void frmMain::mnuVelmora_Click() { m_dialogs.open(QString::fromLatin1(DLG_VELMORA)); }

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

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == cmbFileType()->lineEdit() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void frmMain::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    // Framing the window moves it into the frame: the decoration is known now.
    followDecoration();
}

void frmMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // Restoring from the taskbar need not resize the window, yet the rule runs.
    if (event->type() == QEvent::WindowStateChange) {
        Form_Resize();
    } else if (event->type() == QEvent::ActivationChange) {
        followDecoration();
    }
}

int frmMain::decorationHeight() const {
    return frameGeometry().height() - height();
}

void frmMain::followDecoration() {
    if (decorationHeight() == m_decoration || (windowState() & Qt::WindowMinimized) != 0) {
        return;
    }
    // A minimum set before the window was framed counted no decoration, so a
    // window brought to it is taller outside than the minimum by the title bar.
    const bool atMinimum = height() == minimumHeight();
    Form_Resize();
    if (atMinimum && height() != minimumHeight()) {
        resize(width(), minimumHeight());
    }
}

void frmMain::Form_Resize() {
    const double dpiX = logicalDpiX();
    const double dpiY = logicalDpiY();
    const int decoration = decorationHeight();
    const QSize outer(frameGeometry().width(), height() + decoration);
    const std::optional<MainLayout> layout =
        computeMainLayout(pixelsToTwips(outer.width(), dpiX), pixelsToTwips(outer.height(), dpiY),
                          (windowState() & Qt::WindowMinimized) != 0);
    if (!layout) {
        return;
    }
    m_decoration = decoration;
    fraSelectData()->setGeometry(pixelRect(layout->fraSelectData, dpiX, dpiY));
    fraOutput()->setGeometry(pixelRect(layout->fraOutput, dpiX, dpiY));
    txtOutput()->setGeometry(pixelRect(layout->txtOutput, dpiX, dpiY));

    // The height the window may not go below, as a size of the window itself
    // (title bar and borders are outside it, the menu bar inside).
    const int minimumInner = twipsToPixels(MAIN_MIN_WINDOW_HEIGHT, dpiY) - m_decoration;
    if (minimumHeight() != minimumInner) {
        setMinimumHeight(minimumInner);
    }
    if (layout->raiseHeight) {
        resize(width(), twipsToPixels(layout->windowHeight, dpiY) - m_decoration);
    }
}

}  // namespace velmora
