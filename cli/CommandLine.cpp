#include "cli/CommandLine.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <map>
#include <set>

namespace sonotag::cli {

using notation::Notation;
using notation::NotationNamed;
namespace {

// The options of one command: those that take a value and plain flags.
struct OptionSet {
    std::set<std::string> withValue;
    std::set<std::string> flags;
    std::set<std::string> repeated = {};  // options with a value that may come more than once
};

struct SplitArguments {
    std::map<std::string, std::string> values;
    std::map<std::string, std::vector<std::string>> lists;
    std::set<std::string> flags;
    std::vector<std::string> operands;
    std::vector<std::pair<std::string, std::string>> given;  // every option and its value (none for a flag), in order
};

// Splits "--name value", "--name=value" and "--flag" from the operands; "--"
// ends the options, and a lone "-" is an operand.
std::variant<SplitArguments, UsageError> Split(const std::vector<std::string>& arguments, const OptionSet& options) {
    SplitArguments split;
    bool optionsEnded = false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument.rfind("--", 0) != 0) {
            split.operands.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        if (options.flags.count(name) != 0 && equals == std::string::npos) {
            split.flags.insert(name);
            split.given.emplace_back(name, "");
        } else if (options.withValue.count(name) != 0 || options.repeated.count(name) != 0) {
            if (equals == std::string::npos && i + 1 >= arguments.size()) {
                return UsageError{"option " + name + " needs a value"};
            }
            const std::string value = equals != std::string::npos ? argument.substr(equals + 1) : arguments[++i];
            split.values[name] = value;
            split.lists[name].push_back(value);
            split.given.emplace_back(name, value);
        } else {
            return UsageError{"unknown option: " + argument};
        }
    }
    return split;
}

// A whole decimal number from `least` to `most`.
std::optional<std::int64_t> ParseNumber(const std::string& text, std::int64_t least, std::int64_t most) {
    std::int64_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size() || number < least || number > most)
        return std::nullopt;
    return number;
}

template <class Target>
void TakeValue(SplitArguments& split, const std::string& option, Target& target) {
    const auto found = split.values.find(option);
    if (found != split.values.end()) target = found->second;
}

// The word lists a command loads: --dictionary, --encoding, --skip, --homographs.
template <class Command>
void TakeWordLists(SplitArguments& split, Command& command) {
    TakeValue(split, "--dictionary", command.dictionary);
    TakeValue(split, "--encoding", command.encoding);
    TakeValue(split, "--skip", command.skipList);
    TakeValue(split, "--homographs", command.homographs);
}

// A numeric option's value from `least` to `most`, if given; `what` names
// the range for the refusal.
template <class Target>
std::optional<UsageError> TakeNumber(SplitArguments& split, const std::string& option, std::int64_t least,
                                     std::int64_t most, const std::string& what, Target& target) {
    const auto found = split.values.find(option);
    if (found == split.values.end()) return std::nullopt;
    const std::optional<std::int64_t> number = ParseNumber(found->second, least, most);
    if (!number) return UsageError{option + " takes " + what + ", not " + found->second};
    target = static_cast<Target>(*number);
    return std::nullopt;
}

Command ParseLookup(const std::vector<std::string>& arguments) {
    auto parsed = Split(arguments, {{"--dictionary", "--encoding", "--notation"}, {}});
    if (auto* error = std::get_if<UsageError>(&parsed)) return *error;
    SplitArguments& split = std::get<SplitArguments>(parsed);

    LookupCommand command;
    TakeValue(split, "--dictionary", command.dictionary);
    TakeValue(split, "--encoding", command.encoding);
    if (split.values.count("--notation")) {
        const std::optional<Notation> notation = NotationNamed(split.values["--notation"]);
        if (!notation) return UsageError{"unknown notation: " + split.values["--notation"]};
        command.notation = *notation;
    }
    command.words = std::move(split.operands);
    if (command.words.empty()) return UsageError{"lookup needs at least one word"};
    return command;
}

Command ParseAnnotate(const std::vector<std::string>& arguments) {
    OptionSet options{{"--dictionary", "--encoding", "--config", "--output", "--skip", "--homographs", "--fail-call"},
                      {"--json", "--stats", "--review"},
                      {"--story"}};
    for (const settings::SettingOption& option : settings::SettingOptions()) {
        (option.takesValue ? options.withValue : options.flags).insert(std::string("--") + option.name);
    }
    auto parsed = Split(arguments, options);
    if (auto* error = std::get_if<UsageError>(&parsed)) return *error;
    SplitArguments& split = std::get<SplitArguments>(parsed);

    AnnotateCommand command;
    TakeWordLists(split, command);
    TakeValue(split, "--config", command.config);
    TakeValue(split, "--output", command.output);
    command.stories = split.lists["--story"];
    for (const auto& [option, value] : split.given) {
        const settings::SettingOption* setting = settings::SettingOptionNamed(std::string_view(option).substr(2));
        if (!setting) continue;
        std::optional<settings::SettingChange> change = setting->change(value);
        if (!change) return UsageError{setting->refusal + value};
        command.settingChanges.push_back(std::move(*change));
    }
    command.json = split.flags.count("--json") != 0;
    command.stats = split.flags.count("--stats") != 0;
    command.review = split.flags.count("--review") != 0;
    const std::int64_t anyCall = std::numeric_limits<std::int64_t>::max();
    if (auto refused = TakeNumber(split, "--fail-call", 1, anyCall, "a call number from 1 on", command.failCall))
        return *refused;
    if (split.operands.size() > 1) return UsageError{"annotate takes one input"};
    if (!split.operands.empty()) command.input = split.operands.front();
    return command;
}

Command ParseServe(const std::vector<std::string>& arguments) {
    auto parsed = Split(
        arguments, {{"--dictionary", "--encoding", "--skip", "--homographs", "--bind", "--port", "--max-size"}, {}});
    if (auto* error = std::get_if<UsageError>(&parsed)) return *error;
    SplitArguments& split = std::get<SplitArguments>(parsed);

    ServeCommand command;
    TakeWordLists(split, command);
    TakeValue(split, "--bind", command.bind);
    if (auto refused = TakeNumber(split, "--port", 0, 65535, "a port from 0 to 65535", command.port)) return *refused;
    if (auto refused = TakeNumber(split, "--max-size", 1, 4096, "megabytes from 1 to 4096", command.maxSizeMb))
        return *refused;
    if (!split.operands.empty()) return UsageError{"serve takes no operand: " + split.operands.front()};
    return command;
}

}  // namespace

Command ParseCommandLine(const std::vector<std::string>& arguments) {
    if (arguments.empty()) return UsageError{"no command given"};
    if (arguments[0] == "lookup") return ParseLookup(arguments);
    if (arguments[0] == "annotate") return ParseAnnotate(arguments);
    if (arguments[0] == "serve") return ParseServe(arguments);
    return UsageError{"unknown command: " + arguments[0]};
}

const char* UsageText() {
    return "usage: sonotag lookup [--dictionary FILE] [--encoding CODEPAGE]\n"
           "                      [--notation kingsoft13|kingsoft14|unicode] WORD...\n"
           "       sonotag annotate [--dictionary FILE] [--encoding CODEPAGE] [--config FILE]\n"
           "                      [--notation kingsoft13|kingsoft14|unicode]\n"
           "                      [--separator TEXT] [--left TEXT] [--right TEXT]\n"
           "                      [--character-style PATH] [--skip FILE] [--exact]\n"
           "                      [--homographs FILE] [--no-homographs] [--review]\n"
           "                      [--json] [--stats] [--fail-call K] [INPUT|-]\n"
           "       sonotag annotate [the options above] [--story ID]... INPUT.idml --output OUTPUT.idml\n"
           "       sonotag serve [--port N] [--bind ADDRESS] [--dictionary FILE] [--encoding CODEPAGE]\n"
           "                     [--skip FILE] [--max-size MB]\n";
}

}  // namespace sonotag::cli
