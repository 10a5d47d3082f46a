#include "output/frm_save_output.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "output/qt_output_pane_file.h"
#include "runtime/message_box.h"
#include "runtime/qt_file_system_lists.h"
#include "runtime/qt_form_keyboard.h"
#include "runtime/qt_form_style.h"
#include "runtime/qt_twips.h"

namespace velmora {

frmSaveOutput::frmSaveOutput(OutputPaneFile& pane, MessageBoxService& messageBox,
                             OutputFileSystem& files, std::function<DataFilePaths()> dataFiles,
                             QWidget* parent)
    : OutputFileDialog("frmSaveOutput", "Save Output", 5595, 3825, parent),
      m_pane(pane),
      m_messageBox(messageBox),
      m_files(files),
      m_dataFiles(std::move(dataFiles)) {
    m_txtSavedFileName = makeControl<QLineEdit>(this, "txtSavedFileName", {2880, 2400, 2415, 285});
    m_lblFileName = makeControl<QLabel>(this, "lblFileName", {2040, 2400, 735, 255}, "File name:");
    widenToCaption(m_lblFileName);  // the gap before the name box takes the colon
    m_cmdSave = makeControl<QPushButton>(this, "cmdSave", {1320, 3120, 1215, 495}, "Save");
    m_cmdCancel = makeControl<QPushButton>(this, "cmdCancel", {3000, 3120, 1215, 495}, "Cancel");

    QWidget* order[] = {m_drvDrive,         m_dirDirectory, m_filFile,
                        m_txtSavedFileName, m_cmdSave,      m_cmdCancel};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
        QWidget::setTabOrder(order[i], order[i + 1]);
    }
    m_drvDrive->setFocus();

    connect(m_filFile, &FileListBox::clicked, this, &frmSaveOutput::filFile_Click);
    connect(m_cmdSave, &QPushButton::clicked, this, &frmSaveOutput::cmdSave_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &frmSaveOutput::cmdCancel_Click);
    applyFormStyle(this);
    applyFormKeyboard(this);
}

void frmSaveOutput::filFile_Click() {
    m_txtSavedFileName->setText(m_filFile->fileName());
}

void frmSaveOutput::cmdSave_Click() {
    const QString typed = m_txtSavedFileName->text();  // untrimmed: blanks are part of a name
    if (typed.isEmpty()) {
        m_messageBox.show("A file name has not been provided.", "Save Output", MessageIcon::Warning,
                          MessageButtons::Ok);
        finish(false);
        return;
    }
    // Joined as they stand: in the root the directory's "/" and the separator give "//".
    const std::string name = outputFileName(storedPath(typed));
    const std::string path = storedPath(m_filFile->path() + QLatin1Char('/')) + name;
    const SaveTarget target =
        classifySaveTarget(path, m_dataFiles ? m_dataFiles() : DataFilePaths{});
    if (target == SaveTarget::LoadedDataFile || target == SaveTarget::SelectedDataFile) {
        m_messageBox.show(dataFileRefusal(name, target), "Save Output", MessageIcon::Warning,
                          MessageButtons::Ok);
        return;  // open still, for another name
    }
    if (target == SaveTarget::Existing &&
        m_messageBox.show(replaceQuestion(name), "Save Output", MessageIcon::Warning,
                          MessageButtons::YesNo) != MessageResult::Yes) {
        return;
    }
    if (const Status saved = saveOutputFile(m_files, path, m_pane.fileText()); !saved) {
        m_messageBox.show("The output could not be saved: " + saved.failure().message,
                          "Save Output", MessageIcon::Warning, MessageButtons::Ok);
        return;  // open still, for another name or directory
    }
    m_pane.markSaved();
    finish(true);
}

void frmSaveOutput::cmdCancel_Click() {
    finish(false);
}

}  // namespace velmora
