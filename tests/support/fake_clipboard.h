#pragma once

#include <QString>
#include <optional>

#include "runtime/clipboard.h"

namespace velmora::testing {

// An in-memory clipboard: `content` is empty (nullopt) or holds one text.
class FakeClipboard final : public ClipboardService {
public:
    void clear() override {
        content.reset();
        ++clears;
    }
    void setText(const QString& text) override { content = text; }
    QString text() const override { return content.value_or(QString()); }

    std::optional<QString> content;
    int clears = 0;
};

}  // namespace velmora::testing
