#pragma once

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "analysis/effect_size/frm_velmora.h"
#include "runtime/output_file_system.h"
#include "runtime/twips.h"
#include "shell/qt_dialog_host.h"
#include "shell/qt_output_pane.h"

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSessionManager;

namespace velmora {

struct DataSet;
class MessageBoxService;
class ClipboardService;
class MonotonicClock;
class WallClock;
class DriveListBox;
class DirListBox;
class FileListBox;
class frmPlot;

// Names under which the main window's dialogs are kept in its DialogHost.
inline constexpr const char* DLG_OPEN_OUTPUT = "frmOpenOutput";
inline constexpr const char* DLG_SAVE_OUTPUT = "frmSaveOutput";
inline constexpr const char* DLG_NAVIGATE = "frmNavigate";
inline constexpr const char* DLG_DESCRIPTIVES = "frmDescriptives";
inline constexpr const char* DLG_VELMORA = "frmVelmora";
inline constexpr const char* DLG_PAIRED_EFFECTS = "frmPairedEffects";

// The controls of the main window, in the order of its control table.
enum class MainControlId {
    fraSelectData,
    fraTypeOfDelimiter,
    optSpace,
    optComma,
    optTab,
    optSemicolon,
    optWhitespace,
    drvDrive,
    dirDirectory,
    cmbFileType,
    filFile,
    lblSelectedFileLabel,
    lblSelectedFile,
    lblCurrentFileLabel,
    lblCurrentFile,
    cmdImportData,
    fraOutput,
    txtOutput,
};
inline constexpr std::size_t MAIN_CONTROL_COUNT = 18;

// What a row of the control table builds.
enum class MainControlKind {
    Frame,          // QGroupBox
    OptionButton,   // QRadioButton
    DriveList,      // DriveListBox
    DirectoryList,  // DirListBox
    FileTypeBox,    // QComboBox, editable, showing its caption
    FileList,       // FileListBox
    Label,          // QLabel with its caption
    ValueLabel,     // QLabel that shows a value (makeDisplayLabel)
    Button,         // QPushButton
    Pane,           // QPlainTextEdit
};

// One control of the main window: its objectName, kind, container (a control
// above it in the table, or "clientArea"), caption, tooltip, design rectangle
// in twips within the container, and its place in the Tab order (1 first, 0
// when Tab does not stop at it). The layout rule moves and sizes the two
// frames and the pane whenever the window is resized.
struct MainControl {
    MainControlId id;
    const char* name;
    MainControlKind kind;
    const char* container;
    const char* caption = "";
    const char* toolTip = "";
    TwipsRect rect;
    int tab = 0;
};

// The main window's controls, in the order they are made.
std::span<const MainControl, MAIN_CONTROL_COUNT> mainControlTable();

// The main window: the data-selection panel, the output pane, the menu bar and
// the dialogs opened from it. It lives for the whole run. The services and the
// data set are owned by the caller and must outlive the window.
//
// Usage: construct, Form_Load() (splash and two-second wait), show().
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    frmMain(DataSet& data, MessageBoxService& messageBox, ClipboardService& clipboard,
            const MonotonicClock& clock, QWidget* parent = nullptr);
    ~frmMain() override;

    // The data file selected for import, as stored: the file list's path, "/",
    // the bare name, as 8-bit text (a root path gives "//").
    std::string m_strFileName;
    // 0 until the user confirms the exit, then 1.
    std::int32_t m_lngUnloadProgram = 0;
    // The data file the last completed import read, as m_strFileName stored
    // it then; empty before the first. Save Output never writes over it.
    std::string m_loadedFileName;

    // The start-up sequence, run once before the window is first shown.
    void Form_Load();

    // The clock that seeds each bootstrap run (the system clock unless set).
    // Set it before the bootstrap dialog is first opened; `clock` must
    // outlive the window.
    void setWallClock(const WallClock& clock) { m_wallClock = &clock; }

    // A request to close the window (the close box, a log-off or shutdown):
    // runs the exit dialogue unless the exit is confirmed already. True when
    // the window may close, that is when m_lngUnloadProgram is 1.
    bool Form_QueryUnload();

    // The output pane's contract; every writer of results calls this.
    void appendToPane(std::string_view block) { m_pane.append(block); }
    OutputPane& outputPane() { return m_pane; }
    DialogHost& dialogs() { return m_dialogs; }

    // Event handlers, public so that the commands can be driven directly.
    void cmbFileType_Click();
    void filFile_Click();
    void cmdImportData_Click();
    void mnuOpenOutput_Click();
    void mnuSaveOutput_Click();
    void mnuExit_Click();
    void mnuCut_Click();
    void mnuCopy_Click();
    void mnuPaste_Click();
    void mnuClearOutput_Click();
    void mnuNavigateDataFile_Click();
    void mnuDescriptives_Click();
    void mnuVelmora_Click();
    void mnuPairedEffects_Click();
    void mnuBootstrapPlot_Click();

    // The controls, as their table makes them.
    QGroupBox* fraSelectData() const;
    QGroupBox* fraOutput() const;
    QGroupBox* fraTypeOfDelimiter() const;
    QRadioButton* optSpace() const;
    QRadioButton* optComma() const;
    QRadioButton* optTab() const;
    QRadioButton* optSemicolon() const;
    QRadioButton* optWhitespace() const;
    DriveListBox* drvDrive() const;
    DirListBox* dirDirectory() const;
    FileListBox* filFile() const;
    QComboBox* cmbFileType() const;
    QLabel* lblSelectedFile() const;
    QLabel* lblCurrentFile() const;
    QPushButton* cmdImportData() const;
    QPlainTextEdit* txtOutput() const;
    // The plot window, once Bootstrap Plot opened it.
    frmPlot* plotWindow() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    // The height the window manager's decoration (title bar, borders) adds to
    // the window, in pixels; 0 until the window manager has framed it.
    virtual int decorationHeight() const;

private:
    // The control of row `id` of the table, as the kind of control it is.
    template <class Control>
    Control* control(MainControlId id) const;
    void buildControls();
    void buildMenus();
    void setTabOrderChain();
    // The layout rule for the current outer size; nothing while minimized.
    void Form_Resize();
    // Once the decoration is known, or when it changes, the minimum height
    // is set anew, and a window held at the old minimum is brought to the new.
    void followDecoration();
    // The file-type list's items, the last start-up step before showing.
    void fillFileTypes();
    char selectedDelimiter() const;
    // Asks whether to exit and whether to save the output first; sets
    // m_lngUnloadProgram to 1 when the exit goes ahead. Answering Yes to saving
    // and then writing no file (Cancel, a refused name, No to replacing a
    // file, a failed write) abandons the exit, so no output is lost.
    void exitDialogue();
    // The save question before the pane's text is given up: Yes opens Save
    // Output, No goes on, Cancel stops. True when the caller may go on, that
    // is after No or after Yes and a written file.
    bool offerToSaveOutput();
    // A log-off or shutdown asks to end the session.
    void commitData(QSessionManager& manager);
    // A completed run's picture becomes the one Bootstrap Plot shows.
    void keepPlot(const frmVelmora::CompletedRun& completed);

    DataSet& m_data;
    MessageBoxService& m_messageBox;
    ClipboardService& m_clipboard;
    const MonotonicClock& m_clock;
    const WallClock* m_wallClock;

    std::array<QWidget*, MAIN_CONTROL_COUNT> m_controls{};

    // The decoration height the minimum height was last computed with.
    int m_decoration = 0;

    OutputPane m_pane{nullptr};
    OutputFileSystem m_outputFiles;
    DialogHost m_dialogs;

    // The picture of the last completed run (SVG), empty before the first.
    std::string m_plotSvg;
    QAction* m_mnuBootstrapPlot = nullptr;
    QPointer<frmPlot> m_plot;
};

}  // namespace velmora
