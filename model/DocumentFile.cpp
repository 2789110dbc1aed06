#include "model/DocumentFile.h"

#include <cstdint>
#include <limits>
#include <set>
#include <vector>

#include <nlohmann/json.hpp>

#include "base/Utf.h"

namespace sonotag::model {
namespace {

using Json = nlohmann::json;
using OrderedJson = nlohmann::ordered_json;

[[noreturn]] void Fail(const std::string& where, const std::string& problem) {
    throw DocumentError(where.empty() ? problem : where + ": " + problem);
}

std::string Quoted(std::u16string_view text) {
    std::string quoted(1, '"');  // appended, not "..." + string: GCC 12 warns falsely on that at -O2
    quoted += Utf16ToUtf8(text);
    quoted += '"';
    return quoted;
}

std::string TypeName(const Json& value) {
    if (value.is_number_integer()) return "an integer";
    if (value.is_number()) return "a number with a fraction or exponent";
    switch (value.type()) {
        case Json::value_t::null: return "null";
        case Json::value_t::boolean: return "true or false";
        case Json::value_t::string: return "text";
        case Json::value_t::array: return "an array";
        case Json::value_t::object: return "an object";
        default: return "something else";
    }
}

void ExpectObject(const Json& value, const std::string& where, std::initializer_list<const char*> members) {
    if (!value.is_object()) Fail(where, "must be an object, not " + TypeName(value));
    for (const auto& [key, ignored] : value.items()) {
        bool known = false;
        for (const char* member : members) known = known || key == member;
        if (!known) Fail(where, "has an unknown member \"" + key + "\"");
    }
}

const Json& ExpectArray(const Json& value, const std::string& where) {
    if (!value.is_array()) Fail(where, "must be an array, not " + TypeName(value));
    return value;
}

std::u16string ExpectText(const Json& value, const std::string& where) {
    if (!value.is_string()) Fail(where, "must be text, not " + TypeName(value));
    return Utf8ToUtf16(value.get_ref<const std::string&>());
}

std::int64_t ExpectInteger(const Json& value, const std::string& where) {
    if (!value.is_number_integer()) Fail(where, "must be an integer, not " + TypeName(value));
    if (value.is_number_unsigned() && value.get<std::uint64_t>() > std::numeric_limits<std::int32_t>::max()) {
        Fail(where, "is too large");
    }
    return value.get<std::int64_t>();
}

std::string Item(const std::string& where, std::size_t index) { return where + "[" + std::to_string(index) + "]"; }

// Rejects an object that names a member twice; the parser itself keeps the last.
class DuplicateKeyCheck {
public:
    bool operator()(int depth, Json::parse_event_t event, Json& parsed) {
        switch (event) {
            case Json::parse_event_t::object_start: keys_.resize(static_cast<std::size_t>(depth) + 1); break;
            case Json::parse_event_t::key: {
                auto& seen = keys_.at(static_cast<std::size_t>(depth) - 1);
                if (!seen.insert(parsed.get<std::string>()).second && duplicate_.empty()) {
                    duplicate_ = parsed.get<std::string>();
                }
                break;
            }
            case Json::parse_event_t::object_end: keys_.at(static_cast<std::size_t>(depth)).clear(); break;
            default: break;
        }
        return true;
    }
    const std::string& duplicate() const { return duplicate_; }

private:
    std::vector<std::set<std::string>> keys_;
    std::string duplicate_;
};

Json ParseJson(std::string_view utf8) {
    DuplicateKeyCheck check;
    Json root;
    try {
        root = Json::parse(utf8.begin(), utf8.end(), std::ref(check));
    } catch (const Json::exception& error) {  // a syntax error, or a number too large for any type
        std::string detail = error.what();
        const auto prefixEnd = detail.find("] ");
        if (prefixEnd != std::string::npos) detail.erase(0, prefixEnd + 2);
        Fail("", "not valid JSON (" + detail + ")");
    }
    if (!check.duplicate().empty()) Fail("", "the member \"" + check.duplicate() + "\" is given twice in one object");
    return root;
}

void LoadStyles(const Json& list, Document& document) {
    const std::string where = "characterStyles";
    ExpectArray(list, where);
    StyleTree& styles = document.styles();
    // The document starts with "[无]", always the first top-level style; the
    // list may name it once, anywhere.
    const std::u16string noStyle = std::u16string(u":") + kNoStyleName;
    bool noStyleListed = false;
    for (std::size_t k = 0; k < list.size(); ++k) {
        const std::u16string path = ExpectText(list[k], Item(where, k));
        if (path == noStyle && !noStyleListed) {
            noStyleListed = true;
            continue;
        }
        try {
            styles.add(path);
        } catch (const std::invalid_argument& error) { Fail(Item(where, k), error.what()); }
    }
}

void ApplyRun(const Json& run, const std::string& where, std::vector<CharFormat>& formats,
              std::vector<std::int32_t>& setBy, std::size_t runIndex, Document& document) {
    ExpectObject(run, where, {"start", "length", "font", "characterStyle"});
    if (!run.contains("start")) Fail(where, "has no \"start\"");
    if (!run.contains("length")) Fail(where, "has no \"length\"");
    const std::int64_t start = ExpectInteger(run["start"], where + ".start");
    const std::int64_t length = ExpectInteger(run["length"], where + ".length");
    const auto textLength = static_cast<std::int64_t>(formats.size());
    if (start < 0 || start >= textLength) {
        Fail(where + ".start",
             std::to_string(start) + " lies outside the text (length " + std::to_string(textLength) + ")");
    }
    if (length < 1) Fail(where + ".length", "must be at least 1");
    if (start + length > textLength) {
        Fail(where + ".length", "the run ends at " + std::to_string(start + length) + ", after the text's end at " +
                                    std::to_string(textLength));
    }
    CharFormat format;
    if (run.contains("font")) {
        const std::u16string font = ExpectText(run["font"], where + ".font");
        if (font.empty()) Fail(where + ".font", "must not be empty");
        format.font = document.internFont(font);
    }
    if (run.contains("characterStyle")) {
        const std::u16string path = ExpectText(run["characterStyle"], where + ".characterStyle");
        const auto style = document.styles().find(path);
        if (!style) Fail(where + ".characterStyle", Quoted(path) + " is not in characterStyles");
        format.style = *style;
    }
    if (format.font == 0 && format.style == 0) Fail(where, "sets neither \"font\" nor \"characterStyle\"");
    for (auto position = start; position < start + length; ++position) {
        auto& owner = setBy[static_cast<std::size_t>(position)];
        if (owner >= 0) {
            Fail(where, "overlaps run " + std::to_string(owner) + " at position " + std::to_string(position));
        }
        owner = static_cast<std::int32_t>(runIndex);
        formats[static_cast<std::size_t>(position)] = format;
    }
}

void LoadStory(const Json& entry, const std::string& where, Document& document) {
    ExpectObject(entry, where, {"text", "runs"});
    if (!entry.contains("text")) Fail(where, "has no \"text\"");
    std::u16string text = ExpectText(entry["text"], where + ".text");
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) Fail(where, "is too long");
    std::vector<CharFormat> formats(text.size());
    if (entry.contains("runs")) {
        const Json& runs = ExpectArray(entry["runs"], where + ".runs");
        std::vector<std::int32_t> setBy(text.size(), -1);
        for (std::size_t k = 0; k < runs.size(); ++k) {
            ApplyRun(runs[k], Item(where + ".runs", k), formats, setBy, k, document);
        }
    }
    document.addStory(std::move(text), std::move(formats));
}

std::int32_t StoryIndex(const Json& value, const std::string& where, const Document& document) {
    const std::int64_t index = ExpectInteger(value, where);
    if (index < 0 || index >= document.storyCount()) {
        Fail(where, "story " + std::to_string(index) + " does not exist (the document has " +
                        std::to_string(document.storyCount()) + (document.storyCount() == 1 ? " story)" : " stories)"));
    }
    return static_cast<std::int32_t>(index);
}

void LoadSelection(const Json& selection, Document& document) {
    const std::string where = "selection";
    if (selection.is_null()) return;
    ExpectObject(selection, where, {"story", "stories"});
    std::vector<std::int32_t> stories;
    if (selection.contains("story") == selection.contains("stories")) {
        Fail(where, "must have either \"story\" or \"stories\"");
    }
    if (selection.contains("story")) {
        stories.push_back(StoryIndex(selection["story"], where + ".story", document));
    } else {
        const Json& list = ExpectArray(selection["stories"], where + ".stories");
        for (std::size_t k = 0; k < list.size(); ++k) {
            stories.push_back(StoryIndex(list[k], Item(where + ".stories", k), document));
        }
    }
    try {
        document.select(std::move(stories));
    } catch (const std::invalid_argument& error) { Fail(where, error.what()); }
}

void LoadUndoHistory(const Json& list, Document& document) {
    const std::string where = "undoHistory";
    ExpectArray(list, where);
    for (std::size_t k = 0; k < list.size(); ++k) document.addRecordedStep(ExpectText(list[k], Item(where, k)));
}

OrderedJson DumpRuns(const Story& story, const Document& document) {
    OrderedJson runs = OrderedJson::array();
    const auto& formats = story.formats();
    std::size_t position = 0;
    while (position < formats.size()) {
        // The look only: where a character came from is no part of the file.
        const CharFormat format{formats[position].font, formats[position].style};
        std::size_t end = position + 1;
        while (end < formats.size() && formats[end].font == format.font && formats[end].style == format.style) ++end;
        if (format != CharFormat{}) {
            OrderedJson run;
            run["start"] = position;
            run["length"] = end - position;
            if (format.font != 0) run["font"] = Utf16ToUtf8(document.fontName(format.font));
            if (format.style != 0) run["characterStyle"] = Utf16ToUtf8(document.styles().pathOf(format.style));
            runs.push_back(std::move(run));
        }
        position = end;
    }
    return runs;
}

}  // namespace

std::unique_ptr<Document> ParseDocumentJson(std::string_view utf8) {
    const Json root = ParseJson(utf8);
    ExpectObject(root, "the document", {"characterStyles", "stories", "selection", "undoHistory"});
    auto document = std::make_unique<Document>();
    if (root.contains("characterStyles")) LoadStyles(root["characterStyles"], *document);
    if (root.contains("stories")) {
        const Json& stories = ExpectArray(root["stories"], "stories");
        for (std::size_t k = 0; k < stories.size(); ++k) LoadStory(stories[k], Item("stories", k), *document);
    }
    if (root.contains("selection")) LoadSelection(root["selection"], *document);
    if (root.contains("undoHistory")) LoadUndoHistory(root["undoHistory"], *document);
    return document;
}

std::unique_ptr<Document> MakePlainTextDocument(std::u16string_view text) {
    auto document = std::make_unique<Document>();
    document->addStory(std::u16string(text), std::vector<CharFormat>(text.size()));
    document->select({0});
    return document;
}

std::string DumpDocumentJson(const Document& document) {
    OrderedJson root;
    OrderedJson styles = OrderedJson::array();
    for (const auto& path : document.styles().paths()) styles.push_back(Utf16ToUtf8(path));
    root["characterStyles"] = std::move(styles);
    OrderedJson stories = OrderedJson::array();
    for (std::int32_t k = 0; k < document.storyCount(); ++k) {
        const Story& story = document.story(k);
        OrderedJson entry;
        entry["text"] = Utf16ToUtf8(story.text());
        OrderedJson runs = DumpRuns(story, document);
        if (!runs.empty()) entry["runs"] = std::move(runs);
        stories.push_back(std::move(entry));
    }
    root["stories"] = std::move(stories);
    const auto& selection = document.selection();
    if (selection.empty()) {
        root["selection"] = nullptr;
    } else if (selection.size() == 1) {
        root["selection"] = {{"story", selection.front()}};
    } else {
        root["selection"] = {{"stories", selection}};
    }
    OrderedJson history = OrderedJson::array();
    for (const auto& name : document.undoStepNames()) history.push_back(Utf16ToUtf8(name));
    root["undoHistory"] = std::move(history);
    return root.dump(2) + "\n";
}

}  // namespace sonotag::model
