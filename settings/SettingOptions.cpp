#include "settings/SettingOptions.h"

#include "base/Utf.h"

namespace sonotag::settings {
namespace {

// A text setting's option: the value as it is.
template <std::u16string AnnotationSettings::*member>
std::optional<SettingChange> TextSetting(const std::string& value) {
    return [text = Utf8ToUtf16(value)](AnnotationSettings& s) { s.*member = text; };
}

// A switch's option: no value, the setting set to `on`.
template <bool AnnotationSettings::*member, bool on>
std::optional<SettingChange> Switch(const std::string&) {
    return [](AnnotationSettings& s) { s.*member = on; };
}

std::optional<SettingChange> NotationSetting(const std::string& value) {
    const std::optional<notation::Notation> notation = notation::NotationNamed(value);
    if (!notation) return std::nullopt;
    return [stored = StoredNotation::of(*notation)](AnnotationSettings& s) { s.notation = stored; };
}

constexpr SettingOption kSettingOptions[] = {
    {"notation", true, NotationSetting, "unknown notation: "},
    {"separator", true, TextSetting<&AnnotationSettings::separator>, ""},
    {"left", true, TextSetting<&AnnotationSettings::leftSymbol>, ""},
    {"right", true, TextSetting<&AnnotationSettings::rightSymbol>, ""},
    {"character-style", true, TextSetting<&AnnotationSettings::characterStyleName>, ""},
    {"exact", false, Switch<&AnnotationSettings::loose, false>, ""},
    {"no-homographs", false, Switch<&AnnotationSettings::homographs, false>, ""},
};

}  // namespace

std::span<const SettingOption> SettingOptions() { return kSettingOptions; }

const SettingOption* SettingOptionNamed(std::string_view name) {
    for (const SettingOption& option : kSettingOptions) {
        if (option.name == name) return &option;
    }
    return nullptr;
}

std::optional<SettingChange> ChangeOfOption(std::string_view name, const std::string& value) {
    const SettingOption* option = SettingOptionNamed(name);
    return option ? option->change(value) : std::nullopt;
}

}  // namespace sonotag::settings
