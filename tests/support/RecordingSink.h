#pragma once

#include <string>
#include <vector>

#include "app/MessageSink.h"

namespace sonotag::test {

using namespace sonotag::app;

// Keeps every message the core shows, in order.
class RecordingSink : public MessageSink {
public:
    struct Message {
        std::u16string text;
        MessageIcon icon;
    };

    void showMessage(const std::u16string& text, MessageIcon icon) override { messages.push_back({text, icon}); }

    std::vector<Message> messages;
};

}  // namespace sonotag::test
