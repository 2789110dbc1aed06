#pragma once
// What the settings dialog shows and takes, without its window: the
// contents of every control when it opens, and what OK makes of them. The
// dialog keeps no data of its own; Cancel simply calls nothing here.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "host/HostObject.h"
#include "settings/AnnotationSettings.h"

namespace sonotag::app {

// The two entries of the version combo box (1006).
inline constexpr char16_t kNewerNotationEntry[] = u"新版国际音标(IPA14)";
inline constexpr char16_t kOlderNotationEntry[] = u"旧版国际音标(IPA13)";

struct SettingsDialogControls {
    // Combo box 1006: the chosen entry's text, empty when none is chosen.
    std::u16string version;
    // Edit controls 1011, 1007 and 1008, exactly as they hold their text.
    std::u16string separator;
    std::u16string leftSymbol;
    std::u16string rightSymbol;
    // Check box 1012.
    bool useUnicode = false;
    // Combo box 1009: its entries in the order they were listed (the control
    // sorts them), the entry chosen among them, and its edit field's text.
    std::vector<std::u16string> styleEntries;
    std::optional<std::size_t> chosenStyle;
    std::u16string styleText;
};

// The controls' contents when the dialog opens. The style list comes from
// the active document of `application` (empty or cut short, silently, when
// the host fails). The saved style path chooses the entry equal to it,
// letters compared without case (its exact spelling first); when there is
// none, the field shows the saved path itself, so that OK keeps it.
SettingsDialogControls InitialDialogControls(const settings::AnnotationSettings& settings,
                                             const host::ObjectRef& application);

// OK: the style field's text becomes characterStyleName and is resolved in
// its dialog form (a failure leaves `characterStyle` as it was); then the
// notation, the three texts and the Unicode choice are taken.
void AcceptDialogControls(const SettingsDialogControls& controls, settings::AnnotationSettings& settings,
                          const host::ObjectRef& application, host::ObjectRef& characterStyle);

// The entry a saved style path chooses, if any.
std::optional<std::size_t> FindStyleEntry(const std::vector<std::u16string>& entries, const std::u16string& path);

}  // namespace sonotag::app
