#pragma once
// Names and small rules of the Windows shell that need no window to decide,
// and the gate that lets its host operations run one at a time.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "app/MessageSink.h"

namespace sonotag::app {

// The program's name as its message boxes show it: the executable's file
// name without its extension ("C:\Tools\Sonotag.exe" gives "Sonotag").
std::u16string ApplicationName(std::u16string_view executablePath);

// The help page beside the executable: folder + "\help.html".
std::u16string HelpPagePath(const std::u16string& programFolder);

// Message box type bits (the values of the platform's MB_ constants).
inline constexpr unsigned kMessageBoxIconMask = 0xF0;
inline constexpr unsigned kMessageBoxIconStop = 0x10;
inline constexpr unsigned kMessageBoxIconExclamation = 0x30;
inline constexpr unsigned kMessageBoxIconInformation = 0x40;

// The type a message box is shown with: a request without an icon gets the
// exclamation icon, as the program's every plain message box has.
unsigned MessageBoxTypeWithIcon(unsigned requestedType);

// The type of the box that shows a message of the portable core.
unsigned MessageBoxTypeFor(MessageIcon icon);

// System menu commands carry flags in their low four bits: every id from
// 16 to 31 is the About item.
bool IsAboutCommand(unsigned systemCommand);

// What a host operation is to a session end (log-off, shutdown): a run or
// a removal changes the user's document and the end waits for it; a dialog
// (the settings, the version choice) is simply left, as by its Cancel.
enum class HostOperationKind { ChangesDocument, Dialog };

// A host operation (a run, a removal, the settings dialog, the version
// choice) waits on cross-process calls, and meanwhile the window's messages
// are delivered. So no other operation starts during one, and an ending
// command ("完成", Esc, close) is held until it has ended: the session must
// not go while its work is still on the stack.
class HostOperationGate {
public:
    // `endWindow` carries out an ending command's result; it must not throw.
    explicit HostOperationGate(std::function<void(std::intptr_t result)> endWindow);

    // Runs `operation` unless one is running (then nothing runs: false).
    // However it ends, an exception passing on included, the gate is open
    // again and an ending command held meanwhile is carried out.
    bool run(const std::function<void()>& operation, HostOperationKind kind);
    // An ending command: carried out at once when no operation runs, else
    // held until it has ended; the first one held wins.
    void endWhenIdle(std::intptr_t result);

    bool busy() const { return running_.has_value(); }
    // Whether a session end may go ahead now: not while the document is
    // being changed, unless the system forces the end.
    bool maySessionEnd(bool forced) const;

private:
    void release() noexcept;

    std::function<void(std::intptr_t)> endWindow_;
    std::optional<HostOperationKind> running_;
    std::optional<std::intptr_t> heldEnding_;
};

}  // namespace sonotag::app
