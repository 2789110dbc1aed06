#pragma once
// The user's choices for annotating, kept by the main window for the whole
// run, read from config.ini at start-up and written back at the end.

#include <cstdint>
#include <string>

namespace sonotag::settings {

inline constexpr char16_t kDefaultHostProgId[] = u"InDesign.Application.CS3";

struct AnnotationSettings {
    // Automation ProgID of the host version to attach to.
    std::u16string hostProgId = kDefaultHostProgId;
    // Style path of the character style given to transcriptions; empty: none.
    std::u16string characterStyleName;
    // Put between a word and its annotation.
    std::u16string separator = u" ";
    // Put before and after the transcription.
    std::u16string leftSymbol = u"\\";
    std::u16string rightSymbol = u"\\";
    // 0: the newer notation (IPA14); any other value: the older one (IPA13).
    std::int32_t ipaVersion = 0;
    // Unicode IPA characters rather than the phonetic font's letters.
    bool useUnicode = true;
    // A word the exact look-up misses gets a second chance without its edge
    // punctuation, apostrophes and hyphens normalised, in lower case.
    bool loose = true;

    bool operator==(const AnnotationSettings&) const = default;
};

}  // namespace sonotag::settings
