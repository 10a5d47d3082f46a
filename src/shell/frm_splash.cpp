#include "shell/frm_splash.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>

#include "runtime/qt_twips.h"

namespace velmora {

namespace {

QLabel* makeLabel(QWidget* parent, const char* name, const TwipsRect& rect, const QFont& font,
                  bool highlight) {
    auto* label = makeControl<QLabel>(parent, name, rect);
    label->setFont(font);
    if (highlight) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, palette.color(QPalette::Active, QPalette::Highlight));
        label->setPalette(palette);
    }
    // A press on a label must not travel on to the frame beneath, which would close the window.
    label->setAttribute(Qt::WA_NoMousePropagation);
    return label;
}

QFont arial(double points, bool bold) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

}  // namespace

void SplashFrame::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        event->accept();
        emit clicked();
        return;
    }
    QGroupBox::mousePressEvent(event);
}

frmSplash::frmSplash(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QString());
    setFixedSize(twipsToPixels(7380, logicalDpiX()), twipsToPixels(4230, logicalDpiY()));

    m_Frame1 = makeControl<SplashFrame>(this, "Frame1", {150, 60, 7080, 4050});
    connect(m_Frame1, &SplashFrame::clicked, this, &frmSplash::Frame1_Click);

    m_lblProductName =
        makeLabel(m_Frame1, "lblProductName", {240, 720, 6330, 840}, arial(36, true), true);
    m_lblName2 = makeLabel(m_Frame1, "lblName2", {240, 1560, 6495, 495}, arial(16.5, false), true);
    m_lblCopyright =
        makeLabel(m_Frame1, "lblCopyright", {120, 3240, 6255, 255}, arial(8.25, false), false);
    m_lblCompany =
        makeLabel(m_Frame1, "lblCompany", {120, 3480, 6255, 255}, arial(8.25, false), false);

    Form_Load();

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        move(available.center() - QPoint(width() / 2, height() / 2));
    }
}

void frmSplash::Form_Load() {
    m_lblProductName->setText(QStringLiteral("Velmora:"));
    m_lblName2->setText(QStringLiteral("Correlated Groups"));
    m_lblCopyright->setText(QStringLiteral("Copyright (c) 2026 The Velmora developers"));
    m_lblCompany->setText(QStringLiteral("Written by the Velmora team"));
}

void frmSplash::Frame1_Click() { close(); }

void frmSplash::keyPressEvent(QKeyEvent* event) {
    // Only keys that produce a character count (Enter, Escape and Backspace do);
    // Shift, the arrows or a function key alone do not.
    if (!event->text().isEmpty()) {
        event->accept();
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace velmora
