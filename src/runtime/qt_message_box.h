#pragma once

#include "runtime/message_box.h"

class QWidget;

namespace velmora {

// Real modal message boxes, modal to the whole application.
class QtMessageBoxService final : public MessageBoxService {
public:
    MessageResult show(const std::string& text, const std::string& title, MessageIcon icon,
                       MessageButtons buttons) override;
};

}  // namespace velmora
