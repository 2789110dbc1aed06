#pragma once
// The options that change an annotation setting, for the front ends that
// take them (the command line as --NAME, the web page's API as query
// parameters): each option's name, whether it takes a value, and the change
// a value makes. A new setting a front end offers is one row of this table.

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "settings/AnnotationSettings.h"

namespace sonotag::settings {

// What an option does to the settings (read from config.ini or the defaults).
using SettingChange = std::function<void(AnnotationSettings&)>;

struct SettingOption {
    const char* name;  // "separator"
    bool takesValue;
    // The change a value (UTF-8) makes; nothing for a value the option refuses.
    std::optional<SettingChange> (*change)(const std::string& value);
    const char* refusal;  // the message for a refused value, the value follows it
};
std::span<const SettingOption> SettingOptions();
const SettingOption* SettingOptionNamed(std::string_view name);

// The change the option `name` with `value` makes; nothing for an unknown
// option or a refused value.
std::optional<SettingChange> ChangeOfOption(std::string_view name, const std::string& value);

}  // namespace sonotag::settings
