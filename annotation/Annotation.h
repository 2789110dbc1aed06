#pragma once
// The annotation run, which writes a transcription after every word of the
// selected text object, and the removal, which takes the last run back
// through the host's undo history. Both speak to the host only through
// host::HostObject and return what happened; telling the user is the
// caller's business.

#include <cstdint>
#include <new>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "host/AutomationError.h"
#include "host/HostObject.h"
#include "settings/AnnotationSettings.h"

namespace sonotag::dictionary {
class HomographTable;
class PhoneticDictionary;
}  // namespace sonotag::dictionary

namespace sonotag::annotation {

using dictionary::PhoneticDictionary;

// The undo mark before any run: a removal then finds a negative difference
// and undoes nothing.
inline constexpr std::int32_t kInitialUndoMark = 10000000;

// What a run or a removal came to.
struct RunOutcome {
    // The mark the next removal starts from.
    std::int32_t undoMark = kInitialUndoMark;
    // The host's failure; empty when the job completed.
    std::optional<host::AutomationError> error;

    bool completed() const { return !error.has_value(); }
};

// Runs `job(mark)` on a mark that starts at `undoMark`; the automation error
// it throws, or running out of memory, becomes the outcome's error, and the
// mark is kept as the job left it.
template <class Job>
RunOutcome OutcomeOf(std::int32_t undoMark, Job job) {
    RunOutcome outcome{undoMark, std::nullopt};
    try {
        job(outcome.undoMark);
    } catch (const host::AutomationError& error) { outcome.error = error; } catch (const std::bad_alloc&) {
        outcome.error = host::AutomationError(host::kOutOfMemory);
    }
    return outcome;
}

// A homograph the words around it did not decide: it keeps the word list's
// transcription.
struct UndecidedHomograph {
    std::int32_t text = 0;  // left to the caller that runs over several texts
    std::int32_t word = 0;  // 1-based, in its text
    std::u16string key;     // the word without its edges
    std::u16string context;
    std::u16string transcription;  // stored, as the word list has it
};

// What a run saw, for a report after it: the words the word list lacks
// (their look-up keys, each once, in text order; only those with a letter
// of A to Z), and the homographs it decided and did not.
struct RunLog {
    std::vector<std::u16string> notFound;
    std::set<std::u16string> seen;  // what notFound holds
    std::int32_t homographsDecided = 0;
    std::vector<UndecidedHomograph> undecided;  // in text order
};

// What a run works on: the host's application object, the user's choices,
// and the character style they resolved to (empty: the notation's font).
struct RunTarget {
    const host::ObjectRef& application;
    const settings::AnnotationSettings& settings;
    const host::ObjectRef& characterStyle;
    // Words left alone, or none.
    const PhoneticDictionary* skipList = nullptr;
    // The readings of homographs, chosen by the words around them when the
    // settings say so; none: the word list's transcription for every word.
    const dictionary::HomographTable* homographs = nullptr;
    // Where the run tells what it saw, or nowhere.
    RunLog* log = nullptr;
};

// The upper bound of the active document's undo history (n − 1 for n
// steps; −1 when the history is not an array). Raises the automation error.
std::int32_t QueryUndoLevel(const host::ObjectRef& application);

// Annotates every word of the one selected text object of the target's
// application, last word first, as its settings say (the character style,
// when resolved, in place of the notation's font). Words are looked up as
// WordLookup.h says: loosely unless the settings say otherwise, and a word
// of the target's skip list is left alone. The outcome's mark is the undo
// level found before the first change, or `undoMark` when the level could
// not be read; a failure (running out of memory included) ends the run and
// comes back as the outcome's error.
RunOutcome AnnotateSelection(const RunTarget& target, const PhoneticDictionary& dictionary, std::int32_t undoMark);

// Undoes as many steps as the history has grown since `undoMark`; the
// outcome's mark is then the level found before undoing. On failure the
// mark stays `undoMark`.
RunOutcome RemoveAnnotations(const host::ObjectRef& application, std::int32_t undoMark);

}  // namespace sonotag::annotation
