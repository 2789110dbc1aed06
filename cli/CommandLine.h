#pragma once
// The command line of the `sonotag` front end, parsed in one place.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "notation/Notation.h"
#include "settings/AnnotationSettings.h"
#include "settings/SettingOptions.h"

namespace sonotag::cli {

struct LookupCommand {
    std::optional<std::string> dictionary;  // default: dictionary.txt beside the executable
    std::string encoding;                   // ANSI code page of a file without byte-order mark
    notation::Notation notation = notation::Notation::Unicode;
    std::vector<std::string> words;
};

// Annotates a document in-process, as Sonotag.exe annotates InDesign's
// selection. Options given win over --config.
struct AnnotateCommand {
    std::optional<std::string> dictionary;
    std::string encoding;
    std::optional<std::string> config;  // a config.ini to take the settings from
    std::vector<settings::SettingChange>
        settingChanges;                     // the setting options (settings/SettingOptions.h), in their order
    std::optional<std::string> skipList;    // words to leave untouched, read like the word list
    std::optional<std::string> homographs;  // the homograph table; default: homographs.txt beside the word list
    bool json = false;                      // print the document dump
    bool stats = false;                     // host calls per word on stderr
    bool review = false;                    // the homographs left undecided, on stderr
    // This call of the run (1 = the first) fails as a call to an InDesign
    // that has quit fails; 0: the stand-in answers every call.
    std::int64_t failCall = 0;
    std::string input = "-";  // a .json document, a UTF-8 text, or - for stdin
    // An IDML package as input is annotated into a package of its own:
    std::optional<std::string> output;  // where the annotated package goes
    std::vector<std::string> stories;   // the Self ids of the stories to annotate; empty: all
};

// Serves the web page and its API (server/WebServer.h; native build only)
// until SIGINT or SIGTERM. The lists load once and serve every request.
struct ServeCommand {
    std::optional<std::string> dictionary;
    std::string encoding;
    std::optional<std::string> skipList;
    std::optional<std::string> homographs;  // default: homographs.txt beside the word list
    std::string bind = "127.0.0.1";         // another address lets the network in
    int port = 8765;                        // 0: any free port, told on standard output
    std::int64_t maxSizeMb = 64;            // the largest document taken, in MB
};

struct UsageError {
    std::string message;
};

using Command = std::variant<LookupCommand, AnnotateCommand, ServeCommand, UsageError>;

Command ParseCommandLine(const std::vector<std::string>& arguments);

const char* UsageText();

}  // namespace sonotag::cli
