#pragma once

#include <string>

namespace velmora {

// With YesNoCancel, Yes is the default; with YesNo, No is (a question whose
// Yes destroys something).
enum class MessageButtons { Ok, YesNoCancel, YesNo };
enum class MessageIcon { Warning };
// Closed: the box was closed without a choice.
enum class MessageResult { Ok, Yes, No, Cancel, Closed };

// Modal message boxes. The desktop program shows real ones; tests script the
// answer and check what was shown.
class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;
    // text and title are UTF-8.
    virtual MessageResult show(const std::string& text, const std::string& title, MessageIcon icon,
                               MessageButtons buttons) = 0;
};

}  // namespace velmora
