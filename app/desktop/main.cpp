#include <QApplication>

#include "data/data_set.h"
#include "runtime/clock.h"
#include "runtime/qt_clipboard.h"
#include "runtime/qt_message_box.h"
#include "shell/frm_main.h"

int main(int argc, char* argv[]) {
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
