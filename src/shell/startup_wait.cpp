#include "shell/startup_wait.h"

namespace velmora {

double waitHandlingEvents(const MonotonicClock& clock, double seconds,
                          const std::function<void()>& processEvents) {
    // A monotonic source, not the time of day: a start just before midnight
    // must still end after the full wait rather than never.
    const double start = clock.elapsedSeconds();
    double elapsed = 0.0;
    do {
        elapsed = clock.elapsedSeconds() - start;
        processEvents();
    } while (elapsed < seconds);
    return elapsed;
}

}  // namespace velmora
