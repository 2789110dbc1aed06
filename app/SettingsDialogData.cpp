#include "app/SettingsDialogData.h"

#include "host/CharacterStyle.h"
#include "settings/IniText.h"

namespace sonotag::app {

using settings::AnnotationSettings;
using settings::StoredNotation;

using host::ListDocumentStyles;
using host::ResolveCharacterStyle;
using host::StyleResolution;

std::optional<std::size_t> FindStyleEntry(const std::vector<std::u16string>& entries, const std::u16string& path) {
    std::optional<std::size_t> caseless;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i] == path) return i;
        if (!caseless && settings::EqualIgnoringCase(entries[i], path)) caseless = i;
    }
    return caseless;
}

SettingsDialogControls InitialDialogControls(const AnnotationSettings& settings, const host::ObjectRef& application) {
    SettingsDialogControls controls;
    controls.styleEntries = ListDocumentStyles(application).entries;
    if (!settings.characterStyleName.empty()) {
        controls.chosenStyle = FindStyleEntry(controls.styleEntries, settings.characterStyleName);
        controls.styleText =
            controls.chosenStyle ? controls.styleEntries[*controls.chosenStyle] : settings.characterStyleName;
    }
    controls.version = settings.notation.showsNewerConvention() ? kNewerNotationEntry : kOlderNotationEntry;
    controls.leftSymbol = settings.leftSymbol;
    controls.rightSymbol = settings.rightSymbol;
    controls.separator = settings.separator;
    controls.useUnicode = settings.notation.useUnicode;
    return controls;
}

void AcceptDialogControls(const SettingsDialogControls& controls, AnnotationSettings& settings,
                          const host::ObjectRef& application, host::ObjectRef& characterStyle) {
    settings.characterStyleName = controls.styleText;
    ResolveCharacterStyle(application, controls.styleText, characterStyle, StyleResolution::Dialog);
    settings.notation = StoredNotation::fromDialog(controls.version == kNewerNotationEntry, controls.useUnicode);
    settings.leftSymbol = controls.leftSymbol;
    settings.rightSymbol = controls.rightSymbol;
    settings.separator = controls.separator;
}

}  // namespace sonotag::app
