#pragma once

#include <QMainWindow>
#include <cstdint>
#include <string>
#include <string_view>

#include "output/output_file_system.h"
#include "shell/dialog_host.h"
#include "shell/output_pane.h"

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

// Names under which the main window's dialogs are kept in its DialogHost.
inline constexpr const char* DLG_OPEN_OUTPUT = "frmOpenOutput";
inline constexpr const char* DLG_SAVE_OUTPUT = "frmSaveOutput";
inline constexpr const char* DLG_NAVIGATE = "frmNavigate";
inline constexpr const char* DLG_DESCRIPTIVES = "frmDescriptives";
inline constexpr const char* DLG_VELMORA = "frmVelmora";

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

    QGroupBox* fraSelectData() const { return m_fraSelectData; }
    QGroupBox* fraOutput() const { return m_fraOutput; }
    QGroupBox* fraTypeOfDelimiter() const { return m_fraTypeOfDelimiter; }
    QRadioButton* optSpace() const { return m_optSpace; }
    QRadioButton* optComma() const { return m_optComma; }
    QRadioButton* optTab() const { return m_optTab; }
    DriveListBox* drvDrive() const { return m_drvDrive; }
    DirListBox* dirDirectory() const { return m_dirDirectory; }
    FileListBox* filFile() const { return m_filFile; }
    QComboBox* cmbFileType() const { return m_cmbFileType; }
    QLabel* lblSelectedFile() const { return m_lblSelectedFile; }
    QLabel* lblCurrentFile() const { return m_lblCurrentFile; }
    QPushButton* cmdImportData() const { return m_cmdImportData; }
    QPlainTextEdit* txtOutput() const { return m_txtOutput; }

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
    // and then writing no file abandons the exit, so no output is lost.
    void exitDialogue();
    // A log-off or shutdown asks to end the session.
    void commitData(QSessionManager& manager);

    DataSet& m_data;
    MessageBoxService& m_messageBox;
    ClipboardService& m_clipboard;
    const MonotonicClock& m_clock;
    const WallClock* m_wallClock;

    QGroupBox* m_fraSelectData = nullptr;
    QGroupBox* m_fraTypeOfDelimiter = nullptr;
    QRadioButton* m_optSpace = nullptr;
    QRadioButton* m_optComma = nullptr;
    QRadioButton* m_optTab = nullptr;
    DriveListBox* m_drvDrive = nullptr;
    DirListBox* m_dirDirectory = nullptr;
    QComboBox* m_cmbFileType = nullptr;
    FileListBox* m_filFile = nullptr;
    QLabel* m_lblSelectedFileLabel = nullptr;
    QLabel* m_lblSelectedFile = nullptr;
    QLabel* m_lblCurrentFileLabel = nullptr;
    QLabel* m_lblCurrentFile = nullptr;
    QPushButton* m_cmdImportData = nullptr;
    QGroupBox* m_fraOutput = nullptr;
    QPlainTextEdit* m_txtOutput = nullptr;

    // The decoration height the minimum height was last computed with.
    int m_decoration = 0;

    OutputPane m_pane{nullptr};
    OutputFileSystem m_outputFiles;
    DialogHost m_dialogs;
};

}  // namespace velmora
