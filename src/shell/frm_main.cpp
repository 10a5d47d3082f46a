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
#include <memory>

#include "analysis/bootstrap/frm_velmora.h"
#include "analysis/descriptives/frm_descriptives.h"
#include "data/data_set.h"
#include "data/frm_navigate.h"
#include "data/import_command.h"
#include "output/frm_open_output.h"
#include "output/frm_save_output.h"
#include "runtime/clipboard.h"
#include "runtime/clock.h"
#include "runtime/file_system_lists.h"
#include "runtime/message_box.h"
#include "runtime/qt_form_keyboard.h"
#include "runtime/qt_form_style.h"
#include "runtime/qt_twips.h"
#include "runtime/twips.h"
#include "shell/edit_commands.h"
#include "shell/frm_splash.h"
#include "shell/main_layout.h"
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
    m_pane = OutputPane(m_txtOutput);

    m_dialogs.registerDialog(
        QString::fromLatin1(DLG_NAVIGATE), [this] { return new frmNavigate(m_data, nullptr); },
        DialogLifetime::DiscardAfterEachOpening);
    const auto append = [this](const std::string& block) { appendToPane(block); };
    m_dialogs.registerDialog(QString::fromLatin1(DLG_DESCRIPTIVES), [this, append] {
        return new frmDescriptives(m_data, m_messageBox, append);
    });
    m_dialogs.registerDialog(QString::fromLatin1(DLG_VELMORA), [this, append] {
        return new frmVelmora(m_data, m_messageBox, append, *m_wallClock, m_clock);
    });
    m_dialogs.registerDialog(QString::fromLatin1(DLG_SAVE_OUTPUT), [this] {
        return new frmSaveOutput(m_pane, m_messageBox, m_outputFiles);
    });
    m_dialogs.registerDialog(QString::fromLatin1(DLG_OPEN_OUTPUT),
                             [this] { return new frmOpenOutput(m_pane, m_messageBox); });
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, &frmMain::commitData);

    // Design client area; the layout rule sizes the panels from here on.
    resize(twipsToPixels(11880, logicalDpiX()),
           twipsToPixels(8610, logicalDpiY()) + menuBar()->sizeHint().height());
    m_dirDirectory->setFocus();
}

frmMain::~frmMain() = default;

void frmMain::buildControls() {
    const auto place = [](QWidget* widget, int left, int top, int width, int height) {
        placeControl(widget, {left, top, width, height});
    };
    const auto name = [](QObject* object, const char* objectName) {
        object->setObjectName(QString::fromLatin1(objectName));
    };
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("clientArea"));
    client->setFont(formControlFont());
    setCentralWidget(client);

    m_fraSelectData = new QGroupBox(QStringLiteral("Select Data"), client);
    name(m_fraSelectData, "fraSelectData");
    place(m_fraSelectData, 120, 0, 10695, 2295);

    m_fraTypeOfDelimiter = new QGroupBox(QStringLiteral("Type of Delimiter"), m_fraSelectData);
    name(m_fraTypeOfDelimiter, "fraTypeOfDelimiter");
    m_fraTypeOfDelimiter->setToolTip(QStringLiteral("Specify the delimiter used"));
    place(m_fraTypeOfDelimiter, 240, 360, 1815, 1695);

    m_optSpace = new QRadioButton(QStringLiteral("Space Delimited"), m_fraTypeOfDelimiter);
    name(m_optSpace, "optSpace");
    place(m_optSpace, 120, 240, 1455, 255);
    m_optSpace->setChecked(true);
    m_optComma = new QRadioButton(QStringLiteral("Comma Delimited"), m_fraTypeOfDelimiter);
    name(m_optComma, "optComma");
    place(m_optComma, 120, 720, 1575, 255);
    m_optTab = new QRadioButton(QStringLiteral("Tab Delimited"), m_fraTypeOfDelimiter);
    name(m_optTab, "optTab");
    place(m_optTab, 120, 1200, 1335, 255);

    m_drvDrive = new DriveListBox(m_fraSelectData);
    name(m_drvDrive, "drvDrive");
    m_drvDrive->setToolTip(QStringLiteral("Specify drive of file"));
    place(m_drvDrive, 2280, 480, 2415, 315);

    m_dirDirectory = new DirListBox(m_fraSelectData);
    name(m_dirDirectory, "dirDirectory");
    m_dirDirectory->setToolTip(QStringLiteral("Specify directory of file"));
    place(m_dirDirectory, 2280, 840, 2415, 1215);

    m_cmbFileType = new QComboBox(m_fraSelectData);
    name(m_cmbFileType, "cmbFileType");
    m_cmbFileType->setEditable(true);
    // Typed text is never added as an item: only the two items change the pattern.
    m_cmbFileType->setInsertPolicy(QComboBox::NoInsert);
    // Nor may typed text pick an item: no completion, and Enter in the text
    // field (which would choose an item of the same text) is swallowed.
    m_cmbFileType->setCompleter(nullptr);
    m_cmbFileType->lineEdit()->installEventFilter(this);
    m_cmbFileType->setEditText(QStringLiteral("File type"));
    m_cmbFileType->setToolTip(QStringLiteral("Specify file extension (*.txt or *.dat)"));
    place(m_cmbFileType, 4920, 480, 2295, 315);

    m_filFile = new FileListBox(m_fraSelectData);
    name(m_filFile, "filFile");
    m_filFile->setToolTip(QStringLiteral("Specify file"));
    place(m_filFile, 4920, 840, 2295, 1065);

    m_lblSelectedFileLabel = new QLabel(QStringLiteral("Selected File:"), m_fraSelectData);
    name(m_lblSelectedFileLabel, "lblSelectedFileLabel");
    place(m_lblSelectedFileLabel, 7440, 360, 1332, 240);

    m_lblSelectedFile = new QLabel(m_fraSelectData);
    name(m_lblSelectedFile, "lblSelectedFile");
    m_lblSelectedFile->setToolTip(QStringLiteral("The file selected for import"));
    makeDisplayLabel(m_lblSelectedFile);
    place(m_lblSelectedFile, 7440, 600, 2055, 255);

    m_lblCurrentFileLabel = new QLabel(QStringLiteral("File Currently in Processor:"), m_fraSelectData);
    name(m_lblCurrentFileLabel, "lblCurrentFileLabel");
    place(m_lblCurrentFileLabel, 7440, 960, 2055, 255);

    m_lblCurrentFile = new QLabel(m_fraSelectData);
    name(m_lblCurrentFile, "lblCurrentFile");
    m_lblCurrentFile->setToolTip(QStringLiteral("File currently contained in KORVA processor"));
    makeDisplayLabel(m_lblCurrentFile);
    place(m_lblCurrentFile, 7440, 1200, 2055, 255);

    m_cmdImportData = new QPushButton(QStringLiteral("Import Selected Data File"), m_fraSelectData);
    name(m_cmdImportData, "cmdImportData");
    m_cmdImportData->setToolTip(QStringLiteral("Click to import selected file"));
    m_cmdImportData->setAutoDefault(false);
    place(m_cmdImportData, 7440, 1560, 2055, 495);

    m_fraOutput = new QGroupBox(QStringLiteral("Output"), client);
    name(m_fraOutput, "fraOutput");
    place(m_fraOutput, 120, 4320, 9375, 3735);

    m_txtOutput = new QPlainTextEdit(m_fraOutput);
    name(m_txtOutput, "txtOutput");
    m_txtOutput->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_txtOutput->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_txtOutput->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab moves on to the next control, as in every other text box of the program.
    m_txtOutput->setTabChangesFocus(true);
    place(m_txtOutput, 480, 720, 7095, 2295);

    applyFrameCaptionFont(m_fraSelectData);
    applyFrameCaptionFont(m_fraOutput);
    m_txtOutput->setFont(paneFont());

    linkFileSelection(m_drvDrive, m_dirDirectory, m_filFile);
    connect(m_cmbFileType, &QComboBox::activated, this, [this](int) { cmbFileType_Click(); });
    connect(m_filFile, &FileListBox::clicked, this, &frmMain::filFile_Click);
    connect(m_cmdImportData, &QPushButton::clicked, this, [this] { cmdImportData_Click(); });
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
}

void frmMain::setTabOrderChain() {
    // The option group sits between the pane and the combo box; within the
    // group the arrow keys move between the three buttons.
    QWidget* order[] = {m_dirDirectory, m_filFile, m_drvDrive, m_cmdImportData, m_txtOutput,
                        m_optSpace,     m_optComma, m_optTab,  m_cmbFileType};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
        QWidget::setTabOrder(order[i], order[i + 1]);
    }
}

void frmMain::Form_Load() {
    m_filFile->setPattern(QStringLiteral("*.txt"));

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

void frmMain::fillFileTypes() {
    m_cmbFileType->addItem(QStringLiteral("Text (*.txt)"));
    m_cmbFileType->addItem(QStringLiteral("Data (*.dat)"));
    m_cmbFileType->setCurrentIndex(0);
    // Selecting an item from code raises the combo's Click as a choice by the user would.
    cmbFileType_Click();
}

void frmMain::cmbFileType_Click() {
    switch (m_cmbFileType->currentIndex()) {
        case 0: m_filFile->setPattern(QStringLiteral("*.txt")); break;
        case 1: m_filFile->setPattern(QStringLiteral("*.dat")); break;
        default: break;  // no item selected: the pattern stays
    }
}

void frmMain::filFile_Click() {
    const QString bare = m_filFile->fileName();
    if (bare.isEmpty()) {
        return;  // no file selected: keep the earlier choice rather than store a bare directory
    }
    // Joined as they stand: a root path already ends in "/", giving "//".
    m_strFileName = storedPath(m_filFile->path() + QLatin1Char('/') + bare);
    m_lblSelectedFile->setText(bare);
}

char frmMain::selectedDelimiter() const {
    if (m_optSpace->isChecked()) {
        return ' ';
    }
    if (m_optComma->isChecked()) {
        return ',';
    }
    if (m_optTab->isChecked()) {
        return '\t';
    }
    return ' ';
}

void frmMain::cmdImportData_Click() {
    ImportCommandContext context;
    context.fileName = m_strFileName;
    context.delimiter = selectedDelimiter();
    context.selectedBareName = storedPath(m_filFile->fileName());
    context.data = &m_data;
    context.messageBox = &m_messageBox;
    context.appendToPane = [this](const std::string& block) { appendToPane(block); };
    context.setCurrentFile = [this](const std::string& caption) {
        m_lblCurrentFile->setText(
            QFile::decodeName(QByteArray(caption.data(), static_cast<qsizetype>(caption.size()))));
    };
    context.discardAnalysisDialogs = [this] {
        m_dialogs.discard(QString::fromLatin1(DLG_DESCRIPTIVES));
        m_dialogs.discard(QString::fromLatin1(DLG_VELMORA));
    };
    runImportCommand(context);
}

void frmMain::mnuOpenOutput_Click() { m_dialogs.open(QString::fromLatin1(DLG_OPEN_OUTPUT)); }

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
        switch (m_messageBox.show("Do you want to save the contents of the output?", "Save Output",
                                  MessageIcon::Warning, MessageButtons::YesNoCancel)) {
            case MessageResult::Yes:
                // The user asked for the output to be kept: leaving without a
                // written file (Cancel, close box, no name, a failed write)
                // would lose it, so the exit waits for another try.
                if (m_dialogs.open(QString::fromLatin1(DLG_SAVE_OUTPUT)) != QDialog::Accepted) {
                    return;
                }
                break;
            case MessageResult::No:
                break;
            default:
                return;  // Cancel, or the box closed: the exit is abandoned
        }
        m_lngUnloadProgram = 1;
    } catch (...) {
        // A failure ends the dialogue silently; the program keeps running.
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

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_cmbFileType->lineEdit() && event->type() == QEvent::KeyPress) {
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
    m_fraSelectData->setGeometry(pixelRect(layout->fraSelectData, dpiX, dpiY));
    m_fraOutput->setGeometry(pixelRect(layout->fraOutput, dpiX, dpiY));
    m_txtOutput->setGeometry(pixelRect(layout->txtOutput, dpiX, dpiY));

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
