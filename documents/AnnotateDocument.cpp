#include "documents/AnnotateDocument.h"

#include "annotation/Annotation.h"
#include "base/Utf.h"
#include "documents/AnnotatableDocument.h"
#include "host/CharacterStyle.h"
#include "model/Document.h"
#include "model/Origins.h"
#include "standin/StandInHost.h"

namespace sonotag::documents {
namespace {

using namespace sonotag::annotation;

// A name without a colon is that of an ungrouped style (":Name"), as Word's styles all are.
host::ObjectRef ResolveStyle(const host::ObjectRef& application, const std::u16string& path) {
    host::ObjectRef style;
    if (path.empty()) return style;
    const bool named = path.find(u':') == std::u16string::npos;
    host::ResolveCharacterStyle(application, named ? u":" + path : path, style, host::StyleResolution::Load);
    if (!style) throw DocumentError("no character style " + Utf16ToUtf8(path) + " in the document");
    return style;
}

// The words of the selections the run annotates: those of exactly one story.
std::int32_t WordCount(const model::Document& document, const std::vector<std::vector<std::int32_t>>& selections) {
    std::size_t words = 0;
    for (const std::vector<std::int32_t>& selection : selections) {
        if (selection.size() == 1) words += document.story(selection.front()).words().size();
    }
    return static_cast<std::int32_t>(words);
}

// Where each run's words stand for a reader: the text (1-based) the run
// belongs to, a long text's pieces counted as one, and the words of that
// text before the run's, counted before the run inserts any.
struct RunStart {
    std::int32_t text = 0, wordsBefore = 0;
};
std::vector<RunStart> RunStarts(const AnnotatableDocument& document,
                                const std::vector<std::vector<std::int32_t>>& selections) {
    std::vector<RunStart> starts;
    RunStart place;
    for (const std::vector<std::int32_t>& selection : selections) {
        const bool onePiece = selection.size() == 1;
        if (!onePiece || document.startsText(selection.front())) place = {place.text + 1, 0};
        starts.push_back(place);
        if (onePiece)
            place.wordsBefore += static_cast<std::int32_t>(document.model()->story(selection.front()).words().size());
    }
    return starts;
}

}  // namespace

std::int64_t RunReport::totalCalls() const {
    std::int64_t total = 0;
    for (const auto& [id, count] : calls) total += count;
    return total;
}

RunReport AnnotateDocument(AnnotatableDocument& document, const RunRequest& request) {
    model::Document& model = *document.model();
    const std::vector<std::vector<std::int32_t>> selections = document.selections();
    standin::StandInHost host;
    host.openDocument(document.model());
    const host::ObjectRef application = host.application();
    const host::ObjectRef style = ResolveStyle(application, request.settings.characterStyleName);

    RunReport report;
    report.words = WordCount(model, selections);
    const std::vector<RunStart> starts = RunStarts(document, selections);
    host.resetCallCounts();
    if (request.failCall != 0)
        host.failCall(request.failCall, {0, host::kServerUnavailable, std::nullopt, std::nullopt});
    if (request.deadline != std::chrono::steady_clock::time_point::max())
        host.failFrom(request.deadline, {0, host::kServerUnavailable, std::u16string(standin::kErrorSource),
                                         u"the run took longer than its time limit"});
    annotation::RunLog log;
    const RunTarget target{application, request.settings, style, request.skipList, request.homographs, &log};
    RunOutcome outcome;
    for (std::size_t text = 0; text < selections.size(); ++text) {
        model.select(selections[text]);
        const std::size_t undecidedBefore = log.undecided.size();
        outcome = AnnotateSelection(target, request.dictionary, outcome.undoMark);
        for (std::size_t k = undecidedBefore; k < log.undecided.size(); ++k) {
            log.undecided[k].text = starts[text].text;
            log.undecided[k].word += starts[text].wordsBefore;
        }
        if (!document.keepsUndoHistory()) model.forgetHistory();
        if (!outcome.completed()) break;
    }
    report.calls = host.callCounts();
    report.notFound = std::move(log.notFound);
    report.homographsDecided = log.homographsDecided;
    report.undecided = std::move(log.undecided);
    report.error = outcome.error;
    for (std::int32_t k = 0; k < model.storyCount(); ++k) report.annotations += model::InsertionCount(model.story(k));
    return report;
}

std::vector<std::u16string> CharacterStylePaths(const AnnotatableDocument& document) {
    standin::StandInHost host;
    host.openDocument(document.model());
    return host::ListDocumentStyles(host.application()).entries;
}

}  // namespace sonotag::documents
