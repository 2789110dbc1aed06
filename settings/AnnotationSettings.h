#pragma once
// The user's choices for annotating, kept by the main window for the whole
// run, read from config.ini at start-up and written back at the end.

#include <cstdint>
#include <string>

#include "notation/Notation.h"

namespace sonotag::settings {

// The notation as config.ini keeps it (YBVER and UNICODE), held exactly as
// read so that it is written back as it was; its readings are decided here.
struct StoredNotation {
    // YBVER: 0 the newer convention (IPA14), 1 the older (IPA13); a
    // hand-edited other value renders as the newer one but is shown as the
    // older one by the settings dialog.
    std::int32_t ipaVersion = 0;
    // UNICODE: Unicode IPA characters rather than the font's letters.
    bool useUnicode = true;

    // What the run writes.
    notation::Notation notation() const;
    // The settings dialog's version choice: the newer convention only for 0.
    bool showsNewerConvention() const { return ipaVersion == 0; }
    static StoredNotation fromDialog(bool newerConvention, bool unicode) { return {newerConvention ? 0 : 1, unicode}; }
    // A notation chosen by name (the command line).
    static StoredNotation of(notation::Notation notation);

    bool operator==(const StoredNotation&) const = default;
};

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
    StoredNotation notation = {};
    // A word the exact look-up misses gets a second chance without its edge
    // punctuation, apostrophes and hyphens normalised, in lower case.
    bool loose = true;
    // A homograph's reading chosen by the words around it (homographs.txt).
    bool homographs = true;

    bool operator==(const AnnotationSettings&) const = default;
};

}  // namespace sonotag::settings
