#include <QGroupBox>
#include <QMoveEvent>
#include <QPlainTextEdit>
#include <QResizeEvent>

#include "runtime/qt_twips.h"
#include "runtime/twips.h"
#include "shell/frm_main.h"
#include "shell/main_layout.h"

namespace velmora {

void frmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void frmMain::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    // Framing the window moves it into the frame: the decoration is known now.
    followDecoration();
}

void frmMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // Restoring from the taskbar need not resize the window, yet the rule runs.
    if (event->type() == QEvent::WindowStateChange) {
        Form_Resize();
    } else if (event->type() == QEvent::ActivationChange) {
        followDecoration();
    }
}

int frmMain::decorationHeight() const {
    return frameGeometry().height() - height();
}

void frmMain::followDecoration() {
    if (decorationHeight() == m_decoration || (windowState() & Qt::WindowMinimized) != 0) {
        return;
    }
    // A minimum set before the window was framed counted no decoration, so a
    // window brought to it is taller outside than the minimum by the title bar.
    const bool atMinimum = height() == minimumHeight();
    Form_Resize();
    if (atMinimum && height() != minimumHeight()) {
        resize(width(), minimumHeight());
    }
}

void frmMain::Form_Resize() {
    const double dpiX = logicalDpiX();
    const double dpiY = logicalDpiY();
    const int decoration = decorationHeight();
    const QSize outer(frameGeometry().width(), height() + decoration);
    const std::optional<MainLayout> layout =
        computeMainLayout(pixelsToTwips(outer.width(), dpiX), pixelsToTwips(outer.height(), dpiY),
                          (windowState() & Qt::WindowMinimized) != 0);
    if (!layout) {
        return;
    }
    m_decoration = decoration;
    fraSelectData()->setGeometry(pixelRect(layout->fraSelectData, dpiX, dpiY));
    fraOutput()->setGeometry(pixelRect(layout->fraOutput, dpiX, dpiY));
    txtOutput()->setGeometry(pixelRect(layout->txtOutput, dpiX, dpiY));

    // The height the window may not go below, as a size of the window itself
    // (title bar and borders are outside it, the menu bar inside).
    const int minimumInner = twipsToPixels(MAIN_MIN_WINDOW_HEIGHT, dpiY) - m_decoration;
    if (minimumHeight() != minimumInner) {
        setMinimumHeight(minimumInner);
    }
    if (layout->raiseHeight) {
        resize(width(), twipsToPixels(layout->windowHeight, dpiY) - m_decoration);
    }
}

}  // namespace velmora
