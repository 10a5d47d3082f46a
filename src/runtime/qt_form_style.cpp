#include "runtime/qt_form_style.h"

#include <QGroupBox>
#include <QLabel>
#include <QPalette>

namespace velmora {

QFont formControlFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    // Where the face itself is missing, an Arial-like one keeps the captions
    // inside their design rectangles better than the wider default sans.
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Arial"), QStringLiteral("Nimbus Sans")});
    font.setPointSizeF(8.25);
    // Set explicitly, or the weight would still come from a bold frame above.
    font.setBold(false);
    return font;
}

QFont formFrameCaptionFont() {
    QFont font = formControlFont();
    font.setBold(true);
    return font;
}

void applyFrameCaptionFont(QGroupBox* frame) {
    frame->setFont(formFrameCaptionFont());
    for (QObject* child : frame->children()) {
        if (auto* widget = qobject_cast<QWidget*>(child)) {
            widget->setFont(formControlFont());
        }
    }
}

void makeDisplayLabel(QLabel* label) {
    label->setFrameStyle(QFrame::Box | QFrame::Plain);
    label->setLineWidth(1);
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, Qt::white);
    label->setPalette(palette);
}

void widenToCaption(QWidget* control) {
    const int needed = control->sizeHint().width();
    if (needed > control->width()) control->resize(needed, control->height());
}

}  // namespace velmora
