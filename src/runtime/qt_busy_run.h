#pragma once

#include <QObject>
#include <functional>

namespace velmora {

// A long command that keeps the program alive but takes no input. `work` runs
// on a thread of its own while this, the user-interface thread, runs an event
// loop, so every window keeps painting and answering the window manager (its
// liveness ping included) and posted events and timers are delivered. Until
// `work` ends the pointer is the hourglass over every window, and input to any
// window (mouse, keys, wheel, touch, drag and drop) and every close request of
// the user or the window manager are dropped, not queued: nothing reaches a
// control during the run, and nothing is left over for after it.
//
// `work` touches no widget; what it has to show it hands to this thread with
// postToUiThread. An exception it throws is thrown again here once the loop
// has ended. Called while another runs (or off the user-interface thread, or
// without an application), `work` simply runs at once.
void runBusy(const std::function<void()>& work);

// Whether a runBusy is under way.
bool busyRunActive();

// Calls `call` on `context`'s thread, after everything posted to it before;
// nothing when `context` is gone by then.
template <class Call>
void postToUiThread(QObject* context, Call&& call) {
    QMetaObject::invokeMethod(context, std::forward<Call>(call), Qt::QueuedConnection);
}

}  // namespace velmora
