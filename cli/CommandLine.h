#pragma once
// The command line of the `sonotag` front end, parsed in one place.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "notation/Notation.h"

namespace sonotag::cli {

struct LookupCommand {
    std::optional<std::string> dictionary;  // default: dictionary.txt beside the executable
    std::string encoding;                   // ANSI code page of a file without byte-order mark
    notation::Notation notation = notation::Notation::Unicode;
    std::vector<std::string> words;
};

// Annotates a text or stand-in document in-process, as Sonotag.exe
// annotates InDesign's selection. Options given win over --config.
struct AnnotateCommand {
    std::optional<std::string> dictionary;
    std::string encoding;
    std::optional<std::string> config;  // a config.ini to take the settings from
    std::optional<notation::Notation> notation;
    std::optional<std::string> separator;
    std::optional<std::string> leftSymbol;
    std::optional<std::string> rightSymbol;
    std::optional<std::string> characterStyle;  // a style path in the document
    std::optional<std::string> skipList;        // words to leave untouched, read like the word list
    bool exact = false;                         // the exact look-up only, whatever --config says
    bool json = false;                          // print the document dump
    bool stats = false;                         // host calls per word on stderr
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
