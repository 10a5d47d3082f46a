#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "runtime/message_box.h"

namespace velmora::testing {

// Records every box shown and answers from a script; when the script is empty,
// with the default button (Ok, Yes, or No for YesNo).
class FakeMessageBox final : public MessageBoxService {
public:
    struct Shown {
        std::string text;
        std::string title;
        MessageIcon icon;
        MessageButtons buttons;
    };

    void script(MessageResult answer) { m_answers.push_back(answer); }

    MessageResult show(const std::string& text, const std::string& title, MessageIcon icon,
                       MessageButtons buttons) override {
        shown.push_back({text, title, icon, buttons});
        if (onShow) onShow();
        if (!m_answers.empty()) {
            const MessageResult r = m_answers.front();
            m_answers.pop_front();
            return r;
        }
        switch (buttons) {
            case MessageButtons::Ok:
                return MessageResult::Ok;
            case MessageButtons::YesNo:
                return MessageResult::No;
            case MessageButtons::YesNoCancel:
                break;
        }
        return MessageResult::Yes;
    }

    std::vector<Shown> shown;
    // Runs while the box is "open", e.g. to look at the window behind it.
    std::function<void()> onShow;

private:
    std::deque<MessageResult> m_answers;
};

}  // namespace velmora::testing
