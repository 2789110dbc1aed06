#include <algorithm>
#include <map>
#include <new>
#include <optional>

#include "annotation/Annotation.h"
#include "annotation/Homographs.h"
#include "annotation/WordLookup.h"
#include "dictionary/HomographTable.h"
#include "dictionary/PhoneticDictionary.h"
#include "host/AutomationError.h"
#include "notation/Notation.h"

namespace sonotag::annotation {

using namespace sonotag::dictionary;
using namespace sonotag::notation;

using namespace host;
using settings::AnnotationSettings;

namespace {

// What one run needs: the settings and the resolved style, read afresh at
// every run.
struct RunFormat {
    const AnnotationSettings& settings;
    const ObjectRef& characterStyle;
};

// The selection value as an object: an object as it is, anything else
// through automation's conversion. An empty result is an invalid pointer.
ObjectRef SelectionObject(const ObjectRef& application) {
    const Value selection = Get(Required(application), code::kSelection);
    if (selection.type() == ValueType::Object) return Required(selection.object());
    ObjectRef converted;
    try {
        converted = ChangeType(selection, ValueType::Object).object();
    } catch (const AutomationError& error) {
        if (error.result() != kNoInterface) throw;
    }
    return Required(converted);
}

// Gives the characters at the 1-based positions [first, last] of the word
// the notation's font or the chosen character style.
void FormatCharacters(const ObjectRef& word, std::int32_t first, std::int32_t last, const RunFormat& format) {
    if (first > last) return;
    const ObjectRef characters = GetObjectRef(word, code::kCharacters);
    const Value look =
        format.characterStyle ? Value(format.characterStyle) : Value(FontOf(format.settings.notation.notation()));
    const DispatchId property = format.characterStyle ? code::kAppliedCharacterStyle : code::kAppliedFont;
    for (std::int32_t j = first; j <= last; ++j) Put(Item(characters, j), property, look);
}

// The words of the selected object, each read once (its object and its text)
// whatever order the run asks for them in: the run goes backwards and, for a
// homograph, reads the words before it ahead of their turn.
class SelectedWords {
public:
    explicit SelectedWords(ObjectRef words) : words_(std::move(words)), count_(GetInteger(words_, code::kCount)) {}
    std::int32_t count() const { return count_; }

    struct Word {
        ObjectRef object;
        Value text;
    };
    const Word& at(std::int32_t index) {
        auto found = read_.find(index);
        if (found == read_.end()) {
            ObjectRef object = Required(Item(words_, index));
            Value text = Get(object, code::kContents);
            found = read_.emplace(index, Word{std::move(object), std::move(text)}).first;
        }
        return found->second;
    }
    // A word's text as it was read, or nothing when it has not been read.
    const std::u16string* textRead(std::int32_t index) const {
        const auto found = read_.find(index);
        return found != read_.end() && found->second.text.type() == ValueType::Text ? &found->second.text.text()
                                                                                    : nullptr;
    }
    // Words after `index` + kContextWords are no one's context any more.
    void forgetAfter(std::int32_t index) { read_.erase(read_.upper_bound(index + kContextWords), read_.end()); }

    static constexpr std::int32_t kContextWords = 3;

private:
    ObjectRef words_;
    std::int32_t count_;
    std::map<std::int32_t, Word> read_;
};

// Where the words' transcriptions come from, and what the run saw of the
// selected object (last word first) until it goes to the run's log.
struct RunLookup {
    const PhoneticDictionary& dictionary;
    LookupRules rules;
    const dictionary::HomographTable* homographs;  // none: the word list decides alone
    std::vector<std::u16string> misses;
    std::vector<UndecidedHomograph> undecided;
    std::int32_t decided = 0;
};

bool HasLatinLetter(std::u16string_view key) {
    return std::any_of(key.begin(), key.end(),
                       [](char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); });
}

bool EndsSentence(std::u16string_view text) {
    static constexpr std::u16string_view kEnds = u".!?;:\u3002\uFF01\uFF1F\uFF1B\uFF1A";
    while (!text.empty() && (IsInvisible(text.back()) || text.back() == u'"' || text.back() == u'\u201D' ||
                             text.back() == u'\u2019' || text.back() == u')')) {
        text.remove_suffix(1);
    }
    return !text.empty() && kEnds.find(text.back()) != std::u16string_view::npos;
}

// The words around word `index` within its sentence, reading those before it ahead.
HomographContext ContextOf(SelectedWords& words, std::int32_t index, std::u16string_view text) {
    HomographContext context;
    const std::u16string key = LooseKey(text);
    context.capitalised = !key.empty() && key.front() >= u'A' && key.front() <= u'Z' &&
                          std::any_of(key.begin(), key.end(), [](char16_t c) { return c >= u'a' && c <= u'z'; });
    for (std::int32_t k = index - 1; k >= 1 && index - k <= SelectedWords::kContextWords; --k) {
        const Value& before = words.at(k).text;
        if (before.type() != ValueType::Text || EndsSentence(before.text())) break;
        context.before.push_back(LowerKey(before.text()));
    }
    if (EndsSentence(text)) return context;
    for (std::int32_t k = index + 1; k <= words.count() && k - index <= SelectedWords::kContextWords; ++k) {
        const std::u16string* after = words.textRead(k);
        if (!after) break;
        context.after.push_back(LowerKey(*after));
        if (EndsSentence(*after)) break;
    }
    return context;
}

// The transcription to write: a homograph's reading where the words around
// it decide, the word list's otherwise.
std::u16string_view ChosenTranscription(SelectedWords& words, std::int32_t index, std::u16string_view text,
                                        const WordMatch& match, RunLookup& lookup) {
    if (!lookup.homographs) return match.transcription;
    const std::vector<dictionary::Reading>* readings = lookup.homographs->find(LowerKey(text));
    if (!readings) return match.transcription;
    const HomographContext context = ContextOf(words, index, text);
    if (const dictionary::Reading* reading = ChooseReading(*readings, context)) {
        ++lookup.decided;
        return reading->transcription;
    }
    lookup.undecided.push_back({0, index, LooseKey(text), ShownContext(context, LooseKey(text)), match.transcription});
    return match.transcription;
}

void KeepLog(RunLookup& lookup, RunLog* log) {
    if (!log) return;
    for (auto miss = lookup.misses.rbegin(); miss != lookup.misses.rend(); ++miss) {
        if (log->seen.insert(*miss).second) log->notFound.push_back(*miss);
    }
    log->homographsDecided += lookup.decided;
    log->undecided.insert(log->undecided.end(), lookup.undecided.rbegin(), lookup.undecided.rend());
    lookup.misses.clear();
    lookup.undecided.clear();
    lookup.decided = 0;
}

// One word: look it up, insert its annotation after it (or before the
// punctuation that follows it), format the window.
void AnnotateWord(SelectedWords& words, std::int32_t index, RunLookup& lookup, const RunFormat& format) {
    const SelectedWords::Word& read = words.at(index);
    const ObjectRef word = read.object;
    if (read.text.type() != ValueType::Text) return;  // no text, nothing to look up
    const std::u16string& text = read.text.text();
    WordLookup found = LookUpWord(text, lookup.dictionary, lookup.rules);
    if (!found.match) {
        if (!found.skipped && HasLatinLetter(found.key)) lookup.misses.push_back(std::move(found.key));
        return;
    }
    const WordMatch* match = &*found.match;

    const AnnotationSettings& settings = format.settings;
    const Notation notation = settings.notation.notation();
    const std::u16string transcription =
        RenderTranscription(ChosenTranscription(words, index, text, *match, lookup), notation);
    const AnnotationParts parts{settings.separator, settings.leftSymbol, transcription, settings.rightSymbol};
    const std::u16string annotation = parts.text();

    // B and A: the word's insertion points before and after the insertion.
    // The annotation goes at B, the last one, or as many points before it
    // as the word has punctuation after it. The window is placed from there
    // and must end before that punctuation, so a host that did not extend
    // the word over the new text formats nothing.
    const ObjectRef insertionPoints = GetObjectRef(word, code::kInsertionPoints);
    const std::int32_t before = GetInteger(insertionPoints, code::kCount);
    const auto suffix = static_cast<std::int64_t>(match->suffixLength);
    const std::int64_t at = std::int64_t{before} - suffix;
    if (at < 1) return;  // the host's word is shorter than its text
    const ObjectRef point = suffix == 0 ? CallForObject(insertionPoints, code::kLast)
                                        : Item(insertionPoints, static_cast<std::int32_t>(at));
    Put(point, code::kContents, Value(annotation));
    const std::int32_t after = GetInteger(GetObjectRef(word, code::kInsertionPoints), code::kCount);

    const FormatWindow window = FormatWindowOf(notation, parts);
    const std::int64_t first = at + static_cast<std::int64_t>(window.offset);
    const std::int64_t last =
        std::min<std::int64_t>(first + static_cast<std::int64_t>(window.length) - 1, after - 1 - suffix);
    if (first <= last)
        FormatCharacters(word, static_cast<std::int32_t>(first), static_cast<std::int32_t>(last), format);
}

void AnnotateSelectedObject(const ObjectRef& selection, RunLookup& lookup, const RunFormat& format, RunLog* log) {
    const ObjectRef selected = Required(CallForObject(selection, code::kFirst));
    SelectedWords words(Required(GetObjectRef(selected, code::kWords)));
    // Last word first: text inserted after word i never moves words 1 … i − 1.
    for (std::int32_t index = words.count(); index >= 1; --index) {
        AnnotateWord(words, index, lookup, format);
        words.forgetAfter(index);
    }
    KeepLog(lookup, log);
}

}  // namespace

RunOutcome AnnotateSelection(const RunTarget& target, const PhoneticDictionary& dictionary, std::int32_t undoMark) {
    return OutcomeOf(undoMark, [&](std::int32_t& mark) {
        mark = QueryUndoLevel(target.application);
        const ObjectRef selection = SelectionObject(target.application);
        const RunFormat format{target.settings, target.characterStyle};
        RunLookup lookup{dictionary,
                         {target.settings.loose, target.skipList},
                         target.settings.homographs ? target.homographs : nullptr,
                         {},
                         {},
                         0};
        if (GetInteger(selection, code::kCount) == 1) AnnotateSelectedObject(selection, lookup, format, target.log);
    });
}

}  // namespace sonotag::annotation
