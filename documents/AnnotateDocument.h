#pragma once
// The one run over a document outside InDesign: every selection of the
// document in turn made the stand-in host's selection, and annotated by the
// run the window makes in InDesign.

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "annotation/Annotation.h"
#include "host/AutomationError.h"
#include "host/DispatchCodes.h"
#include "settings/AnnotationSettings.h"

namespace sonotag::dictionary {
class HomographTable;
class PhoneticDictionary;
}  // namespace sonotag::dictionary

namespace sonotag::documents {

class AnnotatableDocument;

struct RunRequest {
    const settings::AnnotationSettings& settings;  // its style path, when not empty, names the style to use
    const dictionary::PhoneticDictionary& dictionary;
    const dictionary::PhoneticDictionary* skipList = nullptr;
    const dictionary::HomographTable* homographs = nullptr;
    // This host call of the run (1 = the first) fails as a call to an
    // InDesign that has quit fails; 0: none does.
    std::int64_t failCall = 0;
    // Every host call from this time on fails, which ends the run with an
    // error (a time limit); max(): none does.
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
};

struct RunReport {
    std::int32_t words = 0;                // of the texts the run went over
    std::int32_t annotations = 0;          // words with a transcription inserted after them
    std::vector<std::u16string> notFound;  // the words the word list lacks, each once, in text order
    std::int32_t homographsDecided = 0;
    std::vector<annotation::UndecidedHomograph> undecided;  // text numbers from 1, in the order of the selections
    std::map<host::DispatchId, std::int64_t> calls;         // the run's host calls by dispatch code
    std::optional<host::AutomationError> error;             // the host's failure, which ended the run

    std::int64_t totalCalls() const;
};

// Resolves the settings' character style among the document's styles (a
// path, or the name of an ungrouped style), then runs over every selection
// until one fails. Throws DocumentError naming a style the document does
// not have.
RunReport AnnotateDocument(AnnotatableDocument& document, const RunRequest& request);

// The character style paths the document offers, as the window lists them.
std::vector<std::u16string> CharacterStylePaths(const AnnotatableDocument& document);

}  // namespace sonotag::documents
