#pragma once

#include <vector>

#include "annotation/Annotation.h"
#include "tests/support/RecordingSink.h"

namespace sonotag::test {

using namespace sonotag::app;

// Records the run's messages and every change of its button.
class RecordingUi : public AnnotationUi {
public:
    void showMessage(const std::u16string& text, MessageIcon icon) override {
        messages.push_back({text, icon});
        buttonEnabledDuringMessages.push_back(buttonEnabled);
    }
    void enableAnnotateButton(bool enabled) override {
        buttonEnabled = enabled;
        buttonChanges.push_back(enabled);
    }

    std::vector<RecordingSink::Message> messages;
    std::vector<bool> buttonEnabledDuringMessages;
    std::vector<bool> buttonChanges;
    bool buttonEnabled = true;
};

}  // namespace sonotag::test
