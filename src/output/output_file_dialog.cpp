#include "output/output_file_dialog.h"

#include <QKeyEvent>

#include "runtime/file_system_lists.h"
#include "runtime/qt_form_style.h"
#include "runtime/qt_twips.h"

namespace velmora {

OutputFileDialog::OutputFileDialog(const char* objectName, const char* title, int clientWidth,
                                   int clientHeight, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QString::fromLatin1(objectName));
    setWindowTitle(QString::fromLatin1(title));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFont(formControlFont());
    resize(twipsToPixels(clientWidth, logicalDpiX()), twipsToPixels(clientHeight, logicalDpiY()));

    m_drvDrive = new DriveListBox(this);
    m_drvDrive->setObjectName(QStringLiteral("drvDrive"));
    placeControl(m_drvDrive, {240, 240, 2415, 315});
    m_dirDirectory = new DirListBox(this);
    m_dirDirectory->setObjectName(QStringLiteral("dirDirectory"));
    placeControl(m_dirDirectory, {240, 600, 2415, 1665});
    m_filFile = new FileListBox(this);
    m_filFile->setObjectName(QStringLiteral("filFile"));
    placeControl(m_filFile, {2880, 240, 2415, 2040});

    linkFileSelection(m_drvDrive, m_dirDirectory, m_filFile);
    m_filFile->setPattern(QStringLiteral("*.txt"));
}

void OutputFileDialog::finish(bool fileDone) {
    setResult(fileDone ? QDialog::Accepted : QDialog::Rejected);
    hide();
}

void OutputFileDialog::keyPressEvent(QKeyEvent* event) {
    // Neither button answers Enter or Escape from elsewhere (Enter only presses
    // the button that has the focus); the dialog would otherwise press its
    // default button on Enter and close itself on Escape.
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            QWidget::keyPressEvent(event);
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

void OutputFileDialog::showEvent(QShowEvent* event) {
    // Files come and go between openings (a save adds one); a directory that
    // has gone keeps the listing it had.
    m_filFile->setPath(m_filFile->path());
    QDialog::showEvent(event);
}

}  // namespace velmora
