#include "runtime/frame_pacer.h"

namespace velmora {

bool FramePacer::due(std::int32_t t) {
    const double now = m_clock.elapsedSeconds();
    if (m_drawnOnce && t != m_last && now - m_lastDrawn < m_interval) return false;
    m_drawnOnce = true;
    m_lastDrawn = now;
    return true;
}

}  // namespace velmora
