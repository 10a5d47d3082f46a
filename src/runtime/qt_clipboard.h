#pragma once

#include "runtime/clipboard.h"

namespace velmora {

// The system clipboard through QGuiApplication::clipboard(); needs a running
// QGuiApplication.
class QtClipboardService final : public ClipboardService {
public:
    void clear() override;
    void setText(const std::string& text) override;
    std::string text() const override;
};

}  // namespace velmora
