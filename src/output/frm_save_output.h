#pragma once

#include "output/output_file_dialog.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace velmora {

class MessageBoxService;
class OutputFileSystem;
class OutputPane;

// "Save Output": writes the whole text of the output pane, followed by CR LF,
// to the file named in txtSavedFileName inside the directory the lists show
// (".txt" added unless the name ends in exactly ".txt"). An existing file is
// replaced without a question, but only by a completely written file: a failed
// save leaves it as it was, shows why, and keeps the dialog open. An empty name
// is refused with a warning and hides the dialog. A modal run ends Accepted only
// when a file was written.
class frmSaveOutput : public OutputFileDialog {
    Q_OBJECT
public:
    // `pane`, `messageBox` and `files` must outlive the dialog.
    frmSaveOutput(OutputPane& pane, MessageBoxService& messageBox, OutputFileSystem& files,
                  QWidget* parent = nullptr);

    void cmdSave_Click();
    void cmdCancel_Click();
    void filFile_Click();

    QLineEdit* txtSavedFileName() const { return m_txtSavedFileName; }
    QPushButton* cmdSave() const { return m_cmdSave; }
    QPushButton* cmdCancel() const { return m_cmdCancel; }

private:
    OutputPane& m_pane;
    MessageBoxService& m_messageBox;
    OutputFileSystem& m_files;
    QLineEdit* m_txtSavedFileName = nullptr;
    QLabel* m_lblFileName = nullptr;
    QPushButton* m_cmdSave = nullptr;
    QPushButton* m_cmdCancel = nullptr;
};

}  // namespace velmora
