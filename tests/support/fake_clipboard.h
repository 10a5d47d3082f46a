#pragma once

#include <optional>
#include <string>

#include "runtime/clipboard.h"

namespace velmora::testing {

// An in-memory clipboard: `content` is empty (nullopt) or holds one text.
class FakeClipboard final : public ClipboardService {
public:
    void clear() override {
        content.reset();
        ++clears;
    }
    void setText(const std::string& text) override { content = text; }
    std::string text() const override { return content.value_or(std::string()); }

    std::optional<std::string> content;
    int clears = 0;
};

}  // namespace velmora::testing
