#pragma once

#include <QString>

namespace velmora {

// The system clipboard, behind an interface so tests use their own.
class ClipboardService {
public:
    virtual ~ClipboardService() = default;
    virtual void clear() = 0;
    virtual void setText(const QString& text) = 0;
    // The clipboard's text, empty when it holds none.
    virtual QString text() const = 0;
};

}  // namespace velmora
