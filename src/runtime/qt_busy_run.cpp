#include "runtime/qt_busy_run.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QThread>
#include <exception>
#include <thread>

namespace velmora {

namespace {

bool g_active = false;

// Drops the events by which a user acts on a window. A close request counts
// when it comes from outside the program (the close box, a window manager's
// Alt+F4): those are delivered as spontaneous events.
class InputBlocker final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (isUserAction(*event)) {
            event->ignore();  // a close request left unaccepted keeps the window
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    static bool isUserAction(const QEvent& event) {
        if (event.isInputEvent()) return true;  // keys, mouse, wheel, touch, tablet, hover
        switch (event.type()) {
            case QEvent::Close:
                return event.spontaneous();
            case QEvent::InputMethod:
            case QEvent::Shortcut:
            case QEvent::DragEnter:
            case QEvent::DragMove:
            case QEvent::DragLeave:
            case QEvent::Drop:
                return true;
            default:
                return false;
        }
    }
};

}  // namespace

bool busyRunActive() {
    return g_active;
}

void runBusy(const std::function<void()>& work) {
    QCoreApplication* app = QCoreApplication::instance();
    if (g_active || qobject_cast<QGuiApplication*>(app) == nullptr ||
        QThread::currentThread() != app->thread()) {
        work();
        return;
    }
    InputBlocker blocker;
    app->installEventFilter(&blocker);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    g_active = true;

    QEventLoop loop;
    bool finished = false;
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            // Not swallowed: carried to the UI thread and thrown again there,
            // where the command that ran the work decides what it means.
            failure = std::current_exception();
        }
        // Posted after everything the work posted, so that all of it is shown
        // before the command goes on.
        postToUiThread(&loop, [&] {
            finished = true;
            loop.quit();
        });
    });
    // Only the work's end quits the loop; an application told to quit returns
    // from it at once, and then the command simply waits for the work.
    if (!finished) loop.exec();
    worker.join();

    g_active = false;
    QApplication::restoreOverrideCursor();
    app->removeEventFilter(&blocker);
    if (failure) std::rethrow_exception(failure);
}

}  // namespace velmora
