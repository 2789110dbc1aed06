#pragma once
// A word's transcription as the word stands in running text.
//
// The host hands a word over with what clings to it: "bank," "‘Well!’"
// "(when", capitals at a sentence's start or in a heading, typographer's
// apostrophes, hyphen compounds. The exact key is tried first, so a word
// list that holds "bank," keeps its meaning; the loose look-up then gives a
// miss a second chance on the word without its edge punctuation, in a
// normalised spelling and in lower case. Its edges are punctuation,
// object markers, invisible characters and Chinese, Japanese or Korean text
// glued to the English word ("看David", "apple的意思").

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace sonotag::dictionary {
class PhoneticDictionary;
}  // namespace sonotag::dictionary

namespace sonotag::annotation {

using dictionary::PhoneticDictionary;

struct LookupRules {
    // The second chance of the loose look-up; off: the exact key only.
    bool loose = true;
    // Words to leave untouched (their first field counts); none: skip nothing.
    const PhoneticDictionary* skipList = nullptr;
};

// A word's stored transcription and where its annotation goes: before the
// last `suffixLength` characters of the word, the punctuation after it.
struct WordMatch {
    std::u16string transcription;
    std::size_t suffixLength = 0;
};

// The punctuation that a word may carry at either end: the ASCII
// punctuation characters, the inverted marks and guillemets, general
// punctuation, CJK symbols and punctuation and their full-width forms.
bool IsEdgePunctuation(char16_t c);

// Characters that take no room and change no spelling: the soft hyphen,
// the zero-width (non-)joiner, the word joiner and the byte-order mark.
// The loose look-up leaves them out of the key.
bool IsInvisible(char16_t c);

// A letter of Chinese, Japanese or Korean script in the basic plane
// (ideographs, kana, Bopomofo, Hangul and their compatibility forms).
bool IsCjkLetter(char16_t c);

// The character that stands for an anchored object, a footnote or a note
// in a text: like punctuation, it ends the word before it.
inline constexpr char16_t kObjectMarker = u'\uFFFC';

// The word as the loose look-up keys it: without its edges and invisible
// characters, apostrophes and hyphens made plain; its case kept, or lowered
// (A to Z) by LowerKey.
std::u16string LooseKey(std::u16string_view word);
std::u16string LowerKey(std::u16string_view word);

struct WordLookup {
    std::optional<WordMatch> match;  // nothing for a miss or a skipped word
    bool skipped = false;            // the skip list holds it
    // The word as the look-up saw it: without its edges and invisible
    // characters, in the word list's spelling (loosely), or as it stands.
    std::u16string key;
};

// The word's transcription, if any. The word list is only read, so one list
// serves runs on several threads.
WordLookup LookUpWord(std::u16string_view word, const PhoneticDictionary& dictionary, const LookupRules& rules);

}  // namespace sonotag::annotation
