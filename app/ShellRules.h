#pragma once
// Names and small rules of the Windows shell that need no window to decide.

#include <string>
#include <string_view>

#include "app/MessageSink.h"

namespace sonotag {

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

}  // namespace sonotag
