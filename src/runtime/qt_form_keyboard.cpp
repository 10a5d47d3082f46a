#include "runtime/qt_form_keyboard.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>

namespace velmora {

namespace {

// Presses a focused button on Enter and shows the focus frame when its window
// opens. One per window, owned by it.
class FormKeys : public QObject {
public:
    explicit FormKeys(QWidget* window) : QObject(window), m_window(window) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_window && event->type() == QEvent::Show) {
            // The style draws focus frames only in a window whose focus was
            // moved by the keyboard; the user of a form expects to see at
            // once where typing goes.
            m_window->setAttribute(Qt::WA_KeyboardFocusChange);
        } else if (event->type() == QEvent::KeyPress) {
            auto* button = qobject_cast<QPushButton*>(watched);
            const auto* key = static_cast<QKeyEvent*>(event);
            if (button != nullptr && !key->isAutoRepeat() &&
                (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
                (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
                button->click();
                return true;
            }
        }
        return false;
    }

private:
    QWidget* m_window;
};

}  // namespace

void applyFormKeyboard(QWidget* window) {
    auto* keys = new FormKeys(window);
    window->installEventFilter(keys);
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        button->installEventFilter(keys);
    }
    for (QMenuBar* bar : window->findChildren<QMenuBar*>(Qt::FindDirectChildrenOnly)) {
        auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), window);
        QObject::connect(f10, &QShortcut::activated, bar, [bar] {
            const QList<QAction*> menus = bar->actions();
            if (menus.isEmpty()) return;
            bar->setActiveAction(menus.first());
            // On its first item, as when the keyboard opens a menu, so that
            // Enter chooses it.
            if (QMenu* menu = menus.first()->menu(); menu != nullptr && !menu->actions().isEmpty())
                menu->setActiveAction(menu->actions().first());
        });
    }
}

}  // namespace velmora
