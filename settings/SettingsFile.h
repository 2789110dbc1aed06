#pragma once
// config.ini: section "COM" with the seven keys the window has always kept
// (IDVER, CHARSTYLE, FGF, SYML, SYMR, YBVER, UNICODE) and those added since
// (LOOSE), read once when the main window opens and written once when it
// ends.

#include <string>
#include <string_view>

#include "settings/AnnotationSettings.h"
#include "settings/ProfileFile.h"

namespace sonotag::settings {

inline constexpr char16_t kSettingsSection[] = u"COM";

// config.ini in the program's folder.
std::u16string ConfigFilePath(const std::u16string& programFolder);

// Reads the keys, each missing one giving its default.
AnnotationSettings ReadSettings(const ProfileFile& file);
AnnotationSettings ReadSettings(const std::u16string& configPath);

// Writes the seven keys in their order, then LOOSE. The results of the writes are not
// looked at: a file that cannot be written is not reported.
void SaveSettings(const std::u16string& configPath, const AnnotationSettings& settings);

// A switch as stored: off for "0", "off", "no", "false" or "disabled" (any
// case, blanks around it ignored); on for "1", "on", "yes", "true",
// "enabled" and anything else, a missing or empty value included.
bool SwitchFromStored(std::u16string_view stored);

// The stored forms of the separator: "S" for one space, "T" for one tab.
std::u16string StoredSeparator(const std::u16string& separator);
std::u16string SeparatorFromStored(const std::u16string& stored);

// A text value as written: enclosed in double quotation marks when the
// reader would otherwise lose part of it (blanks at either end, or a pair
// of enclosing quotation marks of its own), unchanged otherwise.
std::u16string ProtectedValue(std::u16string_view value);

}  // namespace sonotag::settings
