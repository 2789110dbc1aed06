#pragma once
// The command line of the `sonotag` front end, parsed in one place.

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace sonotag::cli {

enum class Notation { Kingsoft13, Kingsoft14, Unicode };

struct LookupCommand {
    std::optional<std::string> dictionary;  // default: dictionary.txt beside the executable
    std::string encoding;                   // ANSI code page of a file without byte-order mark
    Notation notation = Notation::Unicode;
    std::vector<std::string> words;
};

struct UsageError {
    std::string message;
};

using Command = std::variant<LookupCommand, UsageError>;

Command ParseCommandLine(const std::vector<std::string>& arguments);

const char* UsageText();

}  // namespace sonotag::cli
