#pragma once

#include <functional>

#include "output/output_file.h"
#include "output/qt_output_file_dialog.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace velmora {

class MessageBoxService;
class OutputFileSystem;
class OutputPaneFile;

// "Save Output": writes the whole text of the output pane, followed by CR LF,
// to the file named in txtSavedFileName inside the directory the lists show
// (".txt" added unless the name ends in exactly ".txt"). A name that is the
// data file loaded or selected is refused with a warning; an existing file is
// replaced only when the user answers Yes to "NAME already exists. Do you want
// to replace it?" (No is the default), and then only by a completely written
// file: a failed save leaves it as it was and shows why. After a refusal, a No
// or a failure the dialog stays open for another name; nothing was written. An
// empty name is refused with a warning and hides the dialog. A modal run ends
// Accepted only when a file was written.
class frmSaveOutput : public OutputFileDialog {
    Q_OBJECT
public:
    // `pane`, `messageBox` and `files` must outlive the dialog; `dataFiles`
    // tells at each save which data files are in use (none when empty).
    frmSaveOutput(OutputPaneFile& pane, MessageBoxService& messageBox, OutputFileSystem& files,
                  std::function<DataFilePaths()> dataFiles = {}, QWidget* parent = nullptr);

    void cmdSave_Click();
    void cmdCancel_Click();
    void filFile_Click();

    QLineEdit* txtSavedFileName() const { return m_txtSavedFileName; }
    QPushButton* cmdSave() const { return m_cmdSave; }
    QPushButton* cmdCancel() const { return m_cmdCancel; }

private:
    OutputPaneFile& m_pane;
    MessageBoxService& m_messageBox;
    OutputFileSystem& m_files;
    std::function<DataFilePaths()> m_dataFiles;
    QLineEdit* m_txtSavedFileName = nullptr;
    QLabel* m_lblFileName = nullptr;
    QPushButton* m_cmdSave = nullptr;
    QPushButton* m_cmdCancel = nullptr;
};

}  // namespace velmora
