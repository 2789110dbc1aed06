#pragma once
// The thin dialog class every window of the program derives from: a dialog
// on a resource template whose messages reach one handler method each.
//
// A derived class lists its handlers in two tables, commands by control or
// menu id and other messages by message number, and routes them with
// DispatchCommand and DispatchMessage:
//
//   bool onCommand(UINT id, UINT code) override { return DispatchCommand(*this, kCommands, id, code); }
//
// OK (id 1, also Enter) and Cancel (id 2, also Esc and the close box) reach
// OnOK and OnCancel, whose defaults end the dialog.

#include <windows.h>

#include <span>

namespace sonotag::app {

class Dialog;

template <class Window>
struct CommandHandler {
    UINT id;
    UINT notification;  // BN_CLICKED (0) also stands for menu commands
    void (Window::*handler)();
};

template <class Window>
struct MessageHandler {
    UINT message;
    // Returns the dialog procedure's result: FALSE lets the default
    // processing run as well.
    INT_PTR (Window::*handler)(WPARAM, LPARAM);
};

template <class Window>
bool DispatchCommand(Window& window, std::span<const CommandHandler<Window>> table, UINT id, UINT notification) {
    for (const auto& entry : table) {
        if (entry.id == id && entry.notification == notification) {
            (window.*entry.handler)();
            return true;
        }
    }
    return false;
}

template <class Window>
bool DispatchMessage(Window& window, std::span<const MessageHandler<Window>> table, UINT message, WPARAM wParam,
                     LPARAM lParam, INT_PTR& result) {
    for (const auto& entry : table) {
        if (entry.message == message) {
            result = (window.*entry.handler)(wParam, lParam);
            return true;
        }
    }
    return false;
}

class Dialog {
public:
    explicit Dialog(UINT templateId);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog modally: `owner` (may be null) is disabled until the
    // dialog ends. Keyboard navigation works in every dialog of the thread
    // meanwhile, modeless ones included. Returns the end code, or -1 when
    // the window could not be made.
    INT_PTR runModal(HWND owner);

    // Makes the dialog as a modeless window of `parent`, hidden unless its
    // template says visible. False when the window could not be made.
    bool create(HWND parent);

    HWND handle() const { return window_; }
    HWND item(int id) const { return GetDlgItem(window_, id); }

protected:
    // WM_INITDIALOG. True lets the platform focus the first tab stop.
    virtual bool onInitDialog() { return true; }
    virtual void onOK() { endDialog(IDOK); }
    virtual void onCancel() { endDialog(IDCANCEL); }
    // Any other WM_COMMAND; false when the window has no handler for it.
    virtual bool onCommand(UINT /*id*/, UINT /*notification*/) { return false; }
    // Any other message; false when the window has no handler for it.
    virtual bool onMessage(UINT /*message*/, WPARAM, LPARAM, INT_PTR& /*result*/) { return false; }

    // Ends a modal run with `result`; hides a modeless dialog.
    void endDialog(INT_PTR result);
    // A handler's answer to a message whose result the dialog manager takes
    // from DWLP_MSGRESULT (all but WM_INITDIALOG, WM_QUERYDRAGICON, the
    // WM_CTLCOLOR ones and a few more, which return theirs directly):
    // stores `result` there and returns the TRUE the handler gives back.
    INT_PTR setMessageResult(LRESULT result);
    bool isModal() const { return modal_; }

private:
    static INT_PTR CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void runMessageLoop();

    UINT templateId_;
    HWND window_ = nullptr;
    bool modal_ = false;
    bool ended_ = false;
    INT_PTR result_ = IDCANCEL;
};

// Gives a message to the keyboard handling of the dialog it belongs to (Tab,
// Esc, Enter, mnemonics). True when the dialog took it.
bool TranslateDialogMessage(MSG& message);

}  // namespace sonotag::app
