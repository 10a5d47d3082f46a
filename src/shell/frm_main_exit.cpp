#include <QCloseEvent>
#include <QSessionManager>

#include "runtime/message_box.h"
#include "shell/frm_main.h"

namespace velmora {

void frmMain::mnuOpenOutput_Click() {
    try {
        // Opening a file replaces the pane's text, and nothing brings it back.
        if (m_pane.hasUnsavedText() && !offerToSaveOutput()) return;
    } catch (...) {
        // Left unreported by design. What can fail here is the message box
        // itself or memory: the dialog host turns a dialog that cannot be made
        // into a refusal, and Save Output reports its own faults. A second box
        // about a box that could not be shown would fail as the first did, so
        // the command just ends, the pane as it was.
        return;
    }
    m_dialogs.open(QString::fromLatin1(DLG_OPEN_OUTPUT));
}

void frmMain::mnuSaveOutput_Click() {
    m_dialogs.open(QString::fromLatin1(DLG_SAVE_OUTPUT));
}

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
        if (!offerToSaveOutput()) return;
        m_lngUnloadProgram = 1;
    } catch (...) {
        // Left unreported by design, as in Open Output: only the message box
        // itself or memory can fail here. The dialogue ends, the exit is not
        // confirmed, and the program keeps running.
    }
}

bool frmMain::offerToSaveOutput() {
    switch (m_messageBox.show("Do you want to save the contents of the output?", "Save Output",
                              MessageIcon::Warning, MessageButtons::YesNoCancel)) {
        case MessageResult::Yes:
            // The user asked for the output to be kept: going on without a
            // written file (Cancel, close box, no name, a refused name, No to
            // replacing a file, a failed write) would lose it, so the command
            // waits for another try.
            return m_dialogs.open(QString::fromLatin1(DLG_SAVE_OUTPUT)) == QDialog::Accepted;
        case MessageResult::No:
            return true;
        default:
            return false;  // Cancel, or the box closed
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

}  // namespace velmora
