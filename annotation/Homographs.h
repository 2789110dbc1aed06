#pragma once
// Words spelt alike and said otherwise (dictionary/HomographTable.h): which
// reading the words around one call for. The cues and what each calls for
// are one table (Homographs.cpp): a determiner before a word calls for a
// noun, "to" or a modal for a verb, "have" for a past participle, a capital
// letter inside a sentence for the capitalised word's reading, the words a
// sense goes with for that sense. The readings the cues call for are
// weighed; a lead decides, and a tie or no cue at all leaves the word
// undecided.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dictionary/HomographTable.h"

namespace sonotag::annotation {

// The words around a homograph within its sentence, as the look-up keys
// them (edges off, lower case): the nearest first on each side.
struct HomographContext {
    std::vector<std::u16string> before;  // at most three
    std::vector<std::u16string> after;   // at most three
    bool capitalised = false;            // its first letter is a capital and the word is not all capitals
};

// The reading the context calls for, or nothing when it cannot tell.
const dictionary::Reading* ChooseReading(const std::vector<dictionary::Reading>& readings,
                                         const HomographContext& context);

// The context as the review shows it: the words before, the homograph in
// brackets, the words after.
std::u16string ShownContext(const HomographContext& context, std::u16string_view word);

}  // namespace sonotag::annotation
