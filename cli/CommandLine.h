#pragma once
// The command line of the `sonotag` front end, parsed in one place.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "notation/Notation.h"
#include "settings/AnnotationSettings.h"

namespace sonotag::cli {

struct LookupCommand {
    std::optional<std::string> dictionary;  // default: dictionary.txt beside the executable
    std::string encoding;                   // ANSI code page of a file without byte-order mark
    notation::Notation notation = notation::Notation::Unicode;
    std::vector<std::string> words;
};

// What an option of the annotation settings (those config.ini holds and the
// window offers) does to them.
using SettingChange = std::function<void(settings::AnnotationSettings&)>;

// The options that change a setting: their names, whether they take a value,
// and the change a value makes (nothing for a value they refuse). Adding a
// setting to the command line is one row of this table.
struct SettingOption {
    const char* name;  // "--separator"
    bool takesValue;
    std::optional<SettingChange> (*change)(const std::string& value);
    const char* refusal;  // the usage error for a refused value
};
std::span<const SettingOption> SettingOptions();
// The change `option` with `value` makes; nothing for an unknown option or a refused value.
std::optional<SettingChange> ChangeOfOption(std::string_view option, const std::string& value);

// Annotates a document in-process, as Sonotag.exe annotates InDesign's
// selection. Options given win over --config.
struct AnnotateCommand {
    std::optional<std::string> dictionary;
    std::string encoding;
    std::optional<std::string> config;          // a config.ini to take the settings from
    std::vector<SettingChange> settingChanges;  // the setting options, in their order
    std::optional<std::string> skipList;        // words to leave untouched, read like the word list
    std::optional<std::string> homographs;      // the homograph table; default: homographs.txt beside the word list
    bool json = false;                          // print the document dump
    bool stats = false;                         // host calls per word on stderr
    bool review = false;                        // the homographs left undecided, on stderr
    // This call of the run (1 = the first) fails as a call to an InDesign
    // that has quit fails; 0: the stand-in answers every call.
    std::int64_t failCall = 0;
    std::string input = "-";  // a .json document, a UTF-8 text, or - for stdin
    // An IDML package as input is annotated into a package of its own:
    std::optional<std::string> output;  // where the annotated package goes
    std::vector<std::string> stories;   // the Self ids of the stories to annotate; empty: all
};

struct UsageError {
    std::string message;
};

using Command = std::variant<LookupCommand, AnnotateCommand, UsageError>;

Command ParseCommandLine(const std::vector<std::string>& arguments);

const char* UsageText();

}  // namespace sonotag::cli
