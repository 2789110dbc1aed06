#pragma once
// A text read out of a package's XML, each UTF-16 unit with the markup it
// comes from, so that what a run inserts after a character can be written
// back where that character stands.

#include <cstdint>
#include <string>
#include <vector>

#include <pugixml.hpp>

namespace sonotag::package {

// The character an element that is no text (an anchored object, a symbol,
// a drawing, a processing instruction) stands for: no letter and no word
// separator, so it ends the word before it.
inline constexpr char16_t kObjectCharacter = u'\uFFFC';

// The markup one character comes from: a text node (the character ends
// `end` bytes into it), or the element it stands for.
struct Source {
    pugi::xml_node node;
    std::uint32_t end = 0;
};

struct SourcedText {
    std::u16string text;
    std::vector<Source> sources;  // one per UTF-16 unit of `text`
};

}  // namespace sonotag::package
