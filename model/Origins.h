#pragma once
// Where each character of a story came from, so a document read from a file
// can write back what a run inserted. A loader numbers the characters it
// reads (their origin, 1-based); text inserted later takes the format, and
// so the origin, of the character before it. After the run, every stretch of
// characters with one origin is that original character followed by the
// text inserted after it.

#include <cstdint>
#include <string>
#include <vector>

#include "model/Story.h"

namespace sonotag::model {

// Numbers the story's characters 1, 2, ... in the order they stand.
void NumberOrigins(Story& story);

// Text inserted after one original character.
struct Insertion {
    std::size_t after = 0;            // the original character's 0-based place in the numbered text
    std::u16string text;              // what follows it now
    std::vector<CharFormat> formats;  // one per unit of `text`
};

// The insertions of a numbered story, first to last. Throws
// std::logic_error when the story's original characters are no longer in
// their order (only insertions after a character are understood).
std::vector<Insertion> InsertionsOf(const Story& story);

// How many original characters have text inserted after them.
std::int32_t InsertionCount(const Story& story);

}  // namespace sonotag::model
