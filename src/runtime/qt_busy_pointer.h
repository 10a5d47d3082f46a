#pragma once

#include <QPointer>
#include <QWidget>

namespace velmora {

// The hourglass over one window for the life of a command: set on
// construction, set back to the default pointer when the command leaves by
// any way (a stop, a fault, an exception or its normal end).
class BusyPointer {
public:
    explicit BusyPointer(QWidget* window) : m_window(window) {
        m_window->setCursor(Qt::WaitCursor);
    }
    ~BusyPointer() {
        if (m_window) m_window->unsetCursor();
    }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

private:
    QPointer<QWidget> m_window;
};

}  // namespace velmora
