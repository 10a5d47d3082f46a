#include <QApplication>

#include "data/data_set.h"
#include "runtime/clock.h"
#include "runtime/qt_clipboard.h"
#include "runtime/qt_message_box.h"
#include "runtime/temporary_files.h"
#include "shell/frm_main.h"

int main(int argc, char* argv[]) {
    // A save cut short by a signal (the SIGTERM of a session's end) leaves no
    // temporary file beside the file it was replacing.
    velmora::removeTemporaryFilesOnSignals();
    // argc/argv go to Qt only (platform options); the program reads no arguments itself.
    QApplication application(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral(VELMORA_APP_ID));

    velmora::QtMessageBoxService messageBox;
    velmora::QtClipboardService clipboard;
    velmora::SystemMonotonicClock clock;
    velmora::DataSet data;

    velmora::frmMain mainWindow(data, messageBox, clipboard, clock);
    mainWindow.Form_Load();
    mainWindow.show();
    return QApplication::exec();
}
