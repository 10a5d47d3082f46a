#include "runtime/qt_form_style.h"

#include <qdrawutil.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOptionGroupBox>

namespace velmora {

namespace {

// The application's style, but titled frames drawn as the forms runtime drew
// them: an etched border whose top line runs through the middle of the
// caption, broken where the caption stands.
class FormFrameStyle : public QProxyStyle {
public:
    FormFrameStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                         const QWidget* widget) const override {
        if (const auto* frame = titledFrame(control, option)) {
            const QRect caption = captionRect(*frame);
            switch (sub) {
                case SC_GroupBoxLabel:
                    return caption;
                case SC_GroupBoxFrame:
                    return option->rect.adjusted(0, caption.center().y(), 0, 0);
                case SC_GroupBoxContents:
                    return option->rect.adjusted(kBorder, caption.bottom() + 1, -kBorder, -kBorder);
                default:
                    break;
            }
        }
        return QProxyStyle::subControlRect(control, option, sub, widget);
    }

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget) const override {
        const auto* frame = titledFrame(control, option);
        if (frame == nullptr) {
            QProxyStyle::drawComplexControl(control, option, painter, widget);
            return;
        }
        const QRect caption = captionRect(*frame);
        const QRect border = subControlRect(control, option, SC_GroupBoxFrame, widget);
        painter->save();
        // A gap of a little more than a blank on either side of the caption.
        const int gap = frame->fontMetrics.height() / 4;
        painter->setClipRegion(QRegion(option->rect) - caption.adjusted(-gap, 0, gap, 0));
        qDrawShadeRect(painter, border, frame->palette, true, 1, 0);
        painter->restore();
        drawItemText(painter, caption, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextHideMnemonic,
                     frame->palette, (frame->state & State_Enabled) != 0, frame->text,
                     QPalette::WindowText);
    }

private:
    static constexpr int kBorder = 2;  // the etched line and its highlight

    static const QStyleOptionGroupBox* titledFrame(ComplexControl control,
                                                   const QStyleOptionComplex* option) {
        if (control != CC_GroupBox) return nullptr;
        const auto* frame = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
        return frame != nullptr && !frame->text.isEmpty() ? frame : nullptr;
    }

    // The caption at the top left, indented by half a line as the forms did.
    static QRect captionRect(const QStyleOptionGroupBox& frame) {
        const QSize text = frame.fontMetrics.size(Qt::TextSingleLine, frame.text);
        const int indent = frame.fontMetrics.height() / 2;
        return QRect(frame.rect.left() + indent, frame.rect.top(), text.width(), text.height());
    }
};

QStyle* formFrameStyle() {
    // One for the run, deleted with the application.
    static QPointer<FormFrameStyle> style;
    if (style.isNull()) {
        style = new FormFrameStyle;
        style->setParent(QCoreApplication::instance());
    }
    return style;
}

}  // namespace

QFont formControlFont() {
    // The face standing in for "MS Sans Serif" 8.25 pt. The windows were laid
    // out for that face's narrow bitmap letters; with this platform's wider
    // option indicators (and a point size rounded up to whole pixels at some
    // resolutions), Liberation Sans overflows "Space Delimited" and "Comma
    // Delimited" by a few pixels, while its narrow cut fits every caption of
    // every window with room to spare. "MS Sans Serif" itself is not asked
    // for: where it is missing the font configuration substitutes some wide
    // sans, and a layout must not depend on what happens to be installed.
    QFont font(QStringLiteral("Liberation Sans Narrow"));
    font.setFamilies({QStringLiteral("Liberation Sans Narrow"), QStringLiteral("Arial Narrow"),
                      QStringLiteral("Nimbus Sans Narrow")});
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

void applyFormFrames(QWidget* window) {
    for (QGroupBox* frame : window->findChildren<QGroupBox*>()) {
        if (!frame->title().isEmpty()) frame->setStyle(formFrameStyle());
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
