#include <algorithm>
#include <new>
#include <optional>

#include "annotation/Annotation.h"
#include "annotation/WordLookup.h"
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

// Where the words' transcriptions come from, and the misses of the
// selected object (last word first) until they go to the run's log.
struct RunLookup {
    const PhoneticDictionary& dictionary;
    LookupRules rules;
    std::vector<std::u16string> misses;
};

bool HasLatinLetter(std::u16string_view key) {
    return std::any_of(key.begin(), key.end(),
                       [](char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); });
}

void KeepMisses(RunLookup& lookup, RunLog* log) {
    if (!log) return;
    for (auto miss = lookup.misses.rbegin(); miss != lookup.misses.rend(); ++miss) {
        if (log->seen.insert(*miss).second) log->notFound.push_back(*miss);
    }
    lookup.misses.clear();
}

// One word: look it up, insert its annotation after it (or before the
// punctuation that follows it), format the window.
void AnnotateWord(const ObjectRef& words, std::int32_t index, RunLookup& lookup, const RunFormat& format) {
    const ObjectRef word = Required(Item(words, index));
    const Value text = Get(word, code::kContents);
    if (text.type() != ValueType::Text) return;  // no text, nothing to look up
    WordLookup found = LookUpWord(text.text(), lookup.dictionary, lookup.rules);
    if (!found.match) {
        if (!found.skipped && HasLatinLetter(found.key)) lookup.misses.push_back(std::move(found.key));
        return;
    }
    const WordMatch* match = &*found.match;

    const AnnotationSettings& settings = format.settings;
    const Notation notation = settings.notation.notation();
    const std::u16string transcription = RenderTranscription(match->transcription, notation);
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
    const ObjectRef words = Required(GetObjectRef(selected, code::kWords));
    const std::int32_t count = GetInteger(words, code::kCount);
    // Last word first: text inserted after word i never moves words 1 … i − 1.
    for (std::int32_t index = count; index >= 1; --index) AnnotateWord(words, index, lookup, format);
    KeepMisses(lookup, log);
}

}  // namespace

RunOutcome AnnotateSelection(const RunTarget& target, const PhoneticDictionary& dictionary, std::int32_t undoMark) {
    return OutcomeOf(undoMark, [&](std::int32_t& mark) {
        mark = QueryUndoLevel(target.application);
        const ObjectRef selection = SelectionObject(target.application);
        const RunFormat format{target.settings, target.characterStyle};
        RunLookup lookup{dictionary, {target.settings.loose, target.skipList}, {}};
        if (GetInteger(selection, code::kCount) == 1) AnnotateSelectedObject(selection, lookup, format, target.log);
    });
}

}  // namespace sonotag::annotation
