#pragma once
// config.ini: the seven keys of section "COM" and LOOSE, read once when the main
// window opens and written once when it is destroyed.

#include <functional>
#include <string>
#include <string_view>

#include "host/HostObject.h"
#include "settings/AnnotationSettings.h"
#include "settings/ProfileFile.h"

namespace sonotag::settings {

inline constexpr char16_t kSettingsSection[] = u"COM";

namespace key {
inline constexpr char16_t kHostProgId[] = u"IDVER";
inline constexpr char16_t kCharacterStyle[] = u"CHARSTYLE";
inline constexpr char16_t kSeparator[] = u"FGF";
inline constexpr char16_t kLeftSymbol[] = u"SYML";
inline constexpr char16_t kRightSymbol[] = u"SYMR";
inline constexpr char16_t kIpaVersion[] = u"YBVER";
inline constexpr char16_t kUseUnicode[] = u"UNICODE";
// Written after the seven keys above: the loose look-up, on unless 0.
inline constexpr char16_t kLoose[] = u"LOOSE";
}  // namespace key

// config.ini in the program's folder.
std::u16string ConfigFilePath(const std::u16string& programFolder);

// The main window's state that the settings code fills and changes.
struct SettingsState {
    AnnotationSettings settings;
    // The host's application object; empty until an attachment succeeds.
    host::ObjectRef hostConnection;
    // The style that settings.characterStyleName resolved to, or none.
    host::ObjectRef characterStyle;
};

enum class VersionChoice { Confirmed, Exit };

// The start-up version choice (ChooseHostVersion with fromMenu false): shows
// the choice with hostProgId preselected, may replace hostProgId and attach
// the connection. Exit means the program ends at once without saving.
using ChooseHostVersionAtStartUp =
    std::function<VersionChoice(std::u16string& hostProgId, host::ObjectRef& hostConnection)>;

enum class LoadOutcome { Loaded, ExitChosen };

// Reads the keys, each missing one giving its default.
AnnotationSettings ReadSettings(const ProfileFile& file);

// Fills state.settings from the file, runs the version choice, then, unless
// the user chose Exit, resolves the saved character style (failures are
// silent: the program then starts without a style).
LoadOutcome LoadSettings(const std::u16string& configPath, SettingsState& state,
                         const ChooseHostVersionAtStartUp& chooseHostVersion);

// The same without a version choice, for a caller that attached the host
// itself: reads the file and resolves the style in state.hostConnection.
void LoadSettingsWithoutVersionChoice(const std::u16string& configPath, SettingsState& state);

// Writes the seven keys in their order, then LOOSE. The results of the writes are not
// looked at: a file that cannot be written is not reported.
void SaveSettings(const std::u16string& configPath, const AnnotationSettings& settings);

// The stored forms of the separator: "S" for one space, "T" for one tab.
std::u16string StoredSeparator(const std::u16string& separator);
std::u16string SeparatorFromStored(const std::u16string& stored);

// A text value as written: enclosed in double quotation marks when the
// reader would otherwise lose part of it (blanks at either end, or a pair
// of enclosing quotation marks of its own), unchanged otherwise.
std::u16string ProtectedValue(std::u16string_view value);

}  // namespace sonotag::settings
