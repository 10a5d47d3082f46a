#pragma once

#include <QDialog>

class QKeyEvent;
class QShowEvent;

namespace velmora {

class DriveListBox;
class DirListBox;
class FileListBox;

// What the Save Output and Open Output dialogs share: a sizable window without
// minimize and maximize buttons whose controls keep their design places, the
// drive, directory and file lists at the same rectangles, linked as on the main
// window (with its silent drive recovery) and listing "*.txt" files, no key bound
// to a button (Enter presses only the button that has the focus), and a file
// list read afresh at every showing, so that it lists the files as they are now.
//
// A modal run ends with Accepted when the dialog wrote or read a file, and with
// Rejected otherwise (its Cancel, a refused choice, or the close box).
class OutputFileDialog : public QDialog {
    Q_OBJECT
public:
    DriveListBox* drvDrive() const { return m_drvDrive; }
    DirListBox* dirDirectory() const { return m_dirDirectory; }
    FileListBox* filFile() const { return m_filFile; }

protected:
    // `clientWidth` x `clientHeight` twips.
    OutputFileDialog(const char* objectName, const char* title, int clientWidth, int clientHeight,
                     QWidget* parent);

    // Hides the dialog, keeping its state, and tells the caller whether a
    // file was written or read.
    void finish(bool fileDone);

    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

    DriveListBox* m_drvDrive = nullptr;
    DirListBox* m_dirDirectory = nullptr;
    FileListBox* m_filFile = nullptr;
};

}  // namespace velmora
