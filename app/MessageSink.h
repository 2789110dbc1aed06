#pragma once
// The seam through which the session speaks to the user. The Windows shell
// shows each message in a message box captioned with the program's name;
// tests record it.

#include <string>

namespace sonotag::app {

enum class MessageIcon {
    None,         // the framework's plain box (it adds the exclamation icon)
    Stop,         // a failure the user must know about (a word list that cannot be read)
    Information,  // a finished job
};

class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void showMessage(const std::u16string& text, MessageIcon icon) = 0;
};

// What the annotate command does to the window: its button and its message
// boxes.
class AnnotationUi : public MessageSink {
public:
    virtual void enableAnnotateButton(bool enabled) = 0;
};

}  // namespace sonotag::app
