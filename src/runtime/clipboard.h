#pragma once

#include <string>

namespace velmora {

// The system clipboard's text (UTF-8), behind an interface so tests use their own.
class ClipboardService {
public:
    virtual ~ClipboardService() = default;
    virtual void clear() = 0;
    virtual void setText(const std::string& text) = 0;
    // The clipboard's text, empty when it holds none.
    virtual std::string text() const = 0;
};

}  // namespace velmora
