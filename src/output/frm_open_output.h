#pragma once

#include "output/qt_output_file_dialog.h"

class QLabel;
class QPushButton;

namespace velmora {

class MessageBoxService;
class OutputPaneFile;

// "Open Output": replaces the output pane's text with the lines of the file
// last clicked in the file list (its name in lblSelectedFile, joined with the
// directory the lists show now), each line followed by CR LF. The whole file is
// read before the pane is touched: a file that cannot be read leaves the pane as
// it was, shows why, and keeps the dialog open. No file picked is refused with a
// warning and hides the dialog. A modal run ends Accepted only when a file was read.
class frmOpenOutput : public OutputFileDialog {
    Q_OBJECT
public:
    // `pane` and `messageBox` must outlive the dialog.
    frmOpenOutput(OutputPaneFile& pane, MessageBoxService& messageBox, QWidget* parent = nullptr);

    void cmdOpen_Click();
    void cmdCancel_Click();
    void filFile_Click();

    QLabel* lblSelectedFile() const { return m_lblSelectedFile; }
    QPushButton* cmdOpen() const { return m_cmdOpen; }
    QPushButton* cmdCancel() const { return m_cmdCancel; }

private:
    OutputPaneFile& m_pane;
    MessageBoxService& m_messageBox;
    QPushButton* m_cmdCancel = nullptr;
    QPushButton* m_cmdOpen = nullptr;
    QLabel* m_lblFileNameLabel = nullptr;
    QLabel* m_lblSelectedFile = nullptr;
};

}  // namespace velmora
