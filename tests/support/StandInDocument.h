#pragma once
// Reading stand-in documents in tests: the text and the formatted runs of a
// dump, and the dump itself for exact comparisons.

#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "base/Utf.h"
#include "standin/StandInHost.h"

namespace sonotag::test {

struct FormattedRun {
    std::size_t start = 0;
    std::size_t length = 0;
    std::string font;            // empty: not set
    std::string characterStyle;  // empty: not set
    bool operator==(const FormattedRun&) const = default;
};

inline std::vector<FormattedRun> FormattedRuns(const standin::StandInHost& host, std::size_t story = 0) {
    const nlohmann::json dump = nlohmann::json::parse(host.dumpDocumentJson());
    std::vector<FormattedRun> runs;
    const nlohmann::json& storyJson = dump.at("stories").at(story);
    if (!storyJson.contains("runs")) return runs;
    for (const nlohmann::json& run : storyJson.at("runs")) {
        runs.push_back({run.at("start").get<std::size_t>(), run.at("length").get<std::size_t>(), run.value("font", std::string()),
                        run.value("characterStyle", std::string())});
    }
    return runs;
}

inline std::string StoryUtf8(const standin::StandInHost& host, std::int32_t story = 0) { return Utf16ToUtf8(host.storyText(story)); }

}  // namespace sonotag::test
