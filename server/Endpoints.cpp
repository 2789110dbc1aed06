#include "server/Endpoints.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "base/DocumentError.h"
#include "base/Utf.h"
#include "documents/AnnotateDocument.h"
#include "formats/DocumentFormats.h"
#include "model/Document.h"
#include "model/Story.h"
#include "notation/Notation.h"
#include "settings/AnnotationSettings.h"
#include "settings/SettingOptions.h"

namespace sonotag::server {
namespace {

using formats::DocumentKind;
using Json = nlohmann::json;

// A request refused before its document is read: its status and one line.
struct Refusal {
    int status;
    std::string message;
};

constexpr DocumentKind kUploadKinds[] = {DocumentKind::Text, DocumentKind::Idml, DocumentKind::Docx};
constexpr char kDefaultName[] = "the document";
constexpr std::size_t kNameLimit = 200;

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    return lower;
}

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Text is UTF-8: a charset parameter, when given, must say so.
bool CharsetIsUtf8(std::string_view parameters) {
    while (!parameters.empty()) {
        const std::size_t semicolon = parameters.find(';');
        const std::string_view parameter = Trim(parameters.substr(0, semicolon));
        parameters = semicolon == std::string_view::npos ? std::string_view() : parameters.substr(semicolon + 1);
        if (parameter.starts_with("charset=") && parameter != "charset=utf-8" && parameter != "charset=\"utf-8\"")
            return false;
    }
    return true;
}

// The kind the request's Content-Type names (text, IDML, DOCX, by the
// formats' media types, parameters aside); 415 for any other.
DocumentKind KindOfMediaType(std::string_view contentType) {
    const std::string type = Lower(contentType);
    const std::size_t semicolon = std::min(type.find(';'), type.size());
    const std::string_view bare = Trim(std::string_view(type).substr(0, semicolon));
    for (const DocumentKind kind : kUploadKinds) {
        const std::string_view media = formats::InfoOf(kind).mediaType;
        if (bare == media.substr(0, media.find(';')) &&
            (kind != DocumentKind::Text || CharsetIsUtf8(std::string_view(type).substr(semicolon)))) {
            return kind;
        }
    }
    std::string accepted;
    for (const DocumentKind kind : kUploadKinds)
        accepted += std::string(accepted.empty() ? "" : ", ") + formats::InfoOf(kind).mediaType;
    throw Refusal{
        415, "the API takes " + accepted + ", not " + (bare.empty() ? "a body without a type" : std::string(bare))};
}

// The name a message gives the document: the uploaded file's name without
// any folder and control characters, never used as a path.
std::string DocumentName(std::string_view given) {
    const std::size_t slash = given.find_last_of("/\\");
    if (slash != std::string_view::npos) given.remove_prefix(slash + 1);
    std::string name;
    for (const char c : given.substr(0, kNameLimit)) {
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) name += c;
    }
    return name.empty() ? kDefaultName : name;
}

struct Options {
    std::vector<settings::SettingChange> changes;
    std::string name = kDefaultName;
};

// The setting option (settings/SettingOptions.h) a query parameter with its
// value stands for; the switches take 0 or 1.
struct Parameter {
    const char* key;
    const char* option;
    const char* switchedOnBy;  // a switch's value that turns the option on; null: the option takes the value
};
constexpr Parameter kParameters[] = {
    {"notation", "notation", nullptr},     {"left", "left", nullptr},
    {"right", "right", nullptr},           {"separator", "separator", nullptr},
    {"style", "character-style", nullptr}, {"exact", "exact", "1"},
    {"homographs", "no-homographs", "0"},
};

// The query's parameters: those of the command line's options for a run
// (notation, left, right, separator, style; exact and homographs as 0 or 1)
// and the document's name.
Options ReadParameters(Operation operation, const std::multimap<std::string, std::string>& query) {
    Options options;
    for (const auto& [key, value] : query) {
        if (query.count(key) > 1) throw Refusal{400, "the parameter " + key + " is given more than once"};
        if (key == "name") {
            options.name = DocumentName(value);
            continue;
        }
        const auto parameter = std::find_if(std::begin(kParameters), std::end(kParameters),
                                            [&](const Parameter& p) { return p.key == key; });
        if (operation == Operation::Styles || parameter == std::end(kParameters))
            throw Refusal{400, "unknown parameter: " + key};
        if (parameter->switchedOnBy) {
            if (value != "0" && value != "1") throw Refusal{400, key + " takes 0 or 1, not " + value};
            if (value == parameter->switchedOnBy)
                options.changes.push_back(*settings::ChangeOfOption(parameter->option, ""));
            continue;
        }
        std::optional<settings::SettingChange> change = settings::ChangeOfOption(parameter->option, value);
        if (!change) throw Refusal{400, settings::SettingOptionNamed(parameter->option)->refusal + value};
        options.changes.push_back(std::move(*change));
    }
    return options;
}

Json Utf8List(const std::vector<std::u16string>& texts) {
    Json list = Json::array();
    for (const std::u16string& text : texts) list.push_back(Utf16ToUtf8(text));
    return list;
}

Reply JsonReply(const Json& json) {
    return {200, "application/json", json.dump(-1, ' ', false, Json::error_handler_t::replace), {}};
}

// The preview's paragraphs, gathered text by text (a long text's pieces
// one after the other): each a list of runs that alternate between the
// text and what the run formatted (the notation's font or the chosen
// style), the text first. Only the first kPreviewParagraphs are kept; all
// are counted.
class PreviewParagraphs {
public:
    void addPiece(const model::Story& story) {
        const std::u16string& text = story.text();
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == u'\n' && previous_ == u'\r') {  // CR LF: one break
                previous_ = text[i];
                continue;
            }
            previous_ = text[i];
            afterBreak_ = text[i] == u'\r' || text[i] == u'\n' || text[i] == u'\u2029';
            if (afterBreak_) {
                endParagraph();
            } else if (paragraphs_.size() < kPreviewParagraphs) {
                const bool formatted = story.formats()[i].font != 0 || story.formats()[i].style != 0;
                if (formatted != formatted_) startRun(formatted);
                run_ += text[i];
            }
        }
    }
    // A text ends its last paragraph unless a break did.
    void endText() {
        if (!afterBreak_) endParagraph();
        afterBreak_ = false;
        previous_ = 0;
    }

    Json json(notation::Notation notation) const {
        return {
            {"font", Utf16ToUtf8(notation::FontOf(notation))}, {"paragraphs", paragraphs_}, {"paragraphCount", count_}};
    }

private:
    void startRun(bool formatted) {
        runs_.push_back(Utf16ToUtf8(run_));
        run_.clear();
        formatted_ = formatted;
    }
    void endParagraph() {
        if (paragraphs_.size() < kPreviewParagraphs) {
            runs_.push_back(Utf16ToUtf8(run_));
            paragraphs_.push_back(std::move(runs_));
        }
        runs_ = Json::array();
        run_.clear();
        formatted_ = false;
        ++count_;
    }

    Json paragraphs_ = Json::array();
    Json runs_ = Json::array();
    std::u16string run_;
    bool formatted_ = false;
    bool afterBreak_ = false;  // the last character was a paragraph break
    char16_t previous_ = 0;
    std::size_t count_ = 0;
};

// The homographs the run left for the user to decide, each with its
// context and its place (the text, and the word in it).
Json UndecidedOf(const documents::RunReport& report) {
    Json list = Json::array();
    for (const annotation::UndecidedHomograph& entry : report.undecided) {
        list.push_back({{"word", Utf16ToUtf8(entry.key)},
                        {"context", Utf16ToUtf8(entry.context)},
                        {"text", entry.text},
                        {"number", entry.word}});
    }
    return list;
}

Json ReviewJson(const documents::RunReport& report, const documents::AnnotatableDocument& document,
                notation::Notation notation) {
    PreviewParagraphs preview;
    const model::Document& model = *document.model();
    for (std::int32_t k = 0; k < model.storyCount(); ++k) {
        if (k > 0 && document.startsText(k)) preview.endText();
        preview.addPiece(model.story(k));
    }
    preview.endText();
    return {{"words", report.words},
            {"annotated", report.annotations},
            {"notFound", Utf8List(report.notFound)},
            {"undecided", UndecidedOf(report)},
            {"preview", preview.json(notation)}};
}

Reply Run(Operation operation, DocumentKind kind, Upload& upload, const WordLists& lists) {
    const Options options = ReadParameters(operation, upload.query);
    const std::unique_ptr<documents::AnnotatableDocument> document =
        formats::ReadDocument(kind, std::move(upload.body), {options.name, {}});
    if (operation == Operation::Styles)
        return JsonReply({{"styles", Utf8List(documents::CharacterStylePaths(*document))}});

    settings::AnnotationSettings settings;
    for (const settings::SettingChange& change : options.changes) change(settings);
    const documents::RunReport report = documents::AnnotateDocument(
        *document, {settings, lists.dictionary, lists.skipList, lists.homographs, 0, upload.deadline});
    if (report.error) return ErrorReply(503, "annotating the document took longer than this server allows");
    if (operation == Operation::Review) return JsonReply(ReviewJson(report, *document, settings.notation.notation()));
    return {200,
            formats::InfoOf(kind).mediaType,
            document->save(),
            {{"X-Sonotag-Words", std::to_string(report.words)},
             {"X-Sonotag-Annotations", std::to_string(report.annotations)}}};
}

}  // namespace

Reply ErrorReply(int status, std::string_view message) {
    return {
        status, "application/json", Json{{"error", message}}.dump(-1, ' ', false, Json::error_handler_t::replace), {}};
}

Reply Serve(Operation operation, Upload upload, const WordLists& lists) {
    try {
        return Run(operation, KindOfMediaType(upload.contentType), upload, lists);
    } catch (const Refusal& refusal) {
        return ErrorReply(refusal.status, refusal.message);
    } catch (const DocumentError& error) { return ErrorReply(400, error.what()); } catch (const std::bad_alloc&) {
        return ErrorReply(503, "this server has not the memory for the document now");
    } catch (...) {
        // Nothing of the failure's inside reaches the client.
        return ErrorReply(500, "the document could not be annotated");
    }
}

}  // namespace sonotag::server
