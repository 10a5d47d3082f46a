#include <QApplication>

#include "shell/shell_tests.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    int failures = 0;
    failures += runMainLayoutTests(argc, argv);
    failures += runStartupWaitTests(argc, argv);
    failures += runOutputPaneTests(argc, argv);
    failures += runDialogHostTests(argc, argv);
    failures += runSplashTests(argc, argv);
    failures += runMainWindowTests(argc, argv);
    return failures == 0 ? 0 : 1;
}
