#include "output/frm_open_output.h"

#include <QLabel>
#include <QPushButton>

#include "output/output_file.h"
#include "output/qt_output_pane_file.h"
#include "runtime/message_box.h"
#include "runtime/qt_file_system_lists.h"
#include "runtime/qt_form_keyboard.h"
#include "runtime/qt_form_style.h"
#include "runtime/qt_twips.h"
#include "runtime/text_file.h"

namespace velmora {

frmOpenOutput::frmOpenOutput(OutputPaneFile& pane, MessageBoxService& messageBox, QWidget* parent)
    : OutputFileDialog("frmOpenOutput", "Open Output", 5535, 3840, parent),
      m_pane(pane),
      m_messageBox(messageBox) {
    m_cmdCancel = makeControl<QPushButton>(this, "cmdCancel", {3000, 3120, 1215, 495}, "Cancel");
    m_cmdOpen = makeControl<QPushButton>(this, "cmdOpen", {1320, 3120, 1215, 495}, "Open");
    m_lblFileNameLabel =
        makeControl<QLabel>(this, "lblFileNameLabel", {2040, 2400, 735, 255}, "File name:");
    widenToCaption(m_lblFileNameLabel);  // the gap before the name takes the colon
    m_lblSelectedFile = makeControl<QLabel>(this, "lblSelectedFile", {2880, 2400, 2415, 255});
    m_lblSelectedFile->setTextFormat(Qt::PlainText);  // a file name is never markup
    makeDisplayLabel(m_lblSelectedFile);

    QWidget* order[] = {m_cmdCancel, m_cmdOpen, m_filFile, m_dirDirectory, m_drvDrive};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
        QWidget::setTabOrder(order[i], order[i + 1]);
    }
    m_cmdCancel->setFocus();

    connect(m_filFile, &FileListBox::clicked, this, &frmOpenOutput::filFile_Click);
    connect(m_cmdOpen, &QPushButton::clicked, this, &frmOpenOutput::cmdOpen_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &frmOpenOutput::cmdCancel_Click);
    applyFormStyle(this);
    applyFormKeyboard(this);
}

void frmOpenOutput::filFile_Click() {
    m_lblSelectedFile->setText(m_filFile->fileName());
}

void frmOpenOutput::cmdOpen_Click() {
    const QString name = m_lblSelectedFile->text();
    if (name.isEmpty()) {
        m_messageBox.show("A file has not been selected.", "Open Output", MessageIcon::Warning,
                          MessageButtons::Ok);
        finish(false);
        return;
    }
    // Joined as they stand, with the directory shown now; nothing is added to the name.
    const std::string path = storedPath(m_filFile->path() + QLatin1Char('/') + name);
    const Expected<std::string> bytes = readFileBytes(path);
    if (!bytes) {
        m_messageBox.show("The file could not be opened: " + bytes.failure().message, "Open Output",
                          MessageIcon::Warning, MessageButtons::Ok);
        return;  // the pane keeps its text; the dialog stays for another choice
    }
    m_pane.replaceFromFile(paneTextOfFile(*bytes), outputFileEncoding(*bytes));
    finish(true);
}

void frmOpenOutput::cmdCancel_Click() {
    finish(false);
}

}  // namespace velmora
