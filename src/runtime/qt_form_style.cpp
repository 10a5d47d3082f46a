#include "runtime/qt_form_style.h"

#include <qdrawutil.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOptionGroupBox>
#include <QStyleOptionMenuItem>

namespace velmora {

namespace {

// The application's style with the forms' frames, focus frames on lists and
// panes, and the menu bar's keyboard habits (see applyFormStyle).
class FormStyle : public QProxyStyle {
public:
    FormStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

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

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        const State focused = State_HasFocus | State_KeyboardFocusChange;
        if (element == PE_Frame && (option->state & focused) == focused &&
            qobject_cast<const QAbstractScrollArea*>(widget) != nullptr) {
            // Filled edges rather than a drawn outline: at a fractional scale a
            // line on the edge falls half outside and vanishes.
            const QRect r = option->rect;
            const QColor colour = option->palette.color(QPalette::Highlight);
            painter->fillRect(QRect(r.left(), r.top(), r.width(), 1), colour);
            painter->fillRect(QRect(r.left(), r.bottom(), r.width(), 1), colour);
            painter->fillRect(QRect(r.left(), r.top(), 1, r.height()), colour);
            painter->fillRect(QRect(r.right(), r.top(), 1, r.height()), colour);
        }
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        // The bar has the focus only while the keyboard is in it.
        if (element == CE_MenuBarItem && (option->state & State_Selected) && widget != nullptr &&
            widget->hasFocus()) {
            if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option)) {
                QStyleOptionMenuItem shown = *item;
                shown.state |= State_Sunken;  // drawn as the open menu's item is
                QProxyStyle::drawControl(element, &shown, painter, widget);
                return;
            }
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_MenuBar_AltKeyNavigation) return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
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

QStyle* formStyle() {
    // One for the run, deleted with the application.
    static QPointer<FormStyle> style;
    if (style.isNull()) {
        style = new FormStyle;
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

void applyFormStyle(QWidget* window) {
    // A widget's style does not pass to its children: each gets it.
    window->setStyle(formStyle());
    for (QWidget* control : window->findChildren<QWidget*>()) control->setStyle(formStyle());
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
