#pragma once
// The host's operations, named by their four-character dispatch codes: the
// four letters read as a big-endian 32-bit number ('wrds' is 0x77726473).

#include <cstdint>
#include <cstdio>
#include <string>

namespace sonotag::host {

using DispatchId = std::int32_t;

constexpr DispatchId FourCharCode(const char (&code)[5]) {
    return static_cast<DispatchId>(static_cast<std::uint32_t>(static_cast<unsigned char>(code[0])) << 24 |
                                   static_cast<std::uint32_t>(static_cast<unsigned char>(code[1])) << 16 |
                                   static_cast<std::uint32_t>(static_cast<unsigned char>(code[2])) << 8 |
                                   static_cast<std::uint32_t>(static_cast<unsigned char>(code[3])));
}

namespace code {

// Item access of a collection and the default value (name) of an object.
inline constexpr DispatchId kItem = 0;  // DISPID_VALUE

inline constexpr DispatchId kSelection = FourCharCode("sele");              // application
inline constexpr DispatchId kActiveDocument = FourCharCode("pacd");         // application
inline constexpr DispatchId kUndoHistory = FourCharCode("unhs");            // document
inline constexpr DispatchId kUndo = FourCharCode("undo");                   // document, method
inline constexpr DispatchId kCount = FourCharCode("cnte");                  // selection, collections
inline constexpr DispatchId kFirst = FourCharCode("firs");                  // selection, method
inline constexpr DispatchId kWords = FourCharCode("wrds");                  // text object
inline constexpr DispatchId kInsertionPoints = FourCharCode("inps");        // word
inline constexpr DispatchId kLast = FourCharCode("last");                   // insertion points, method
inline constexpr DispatchId kCharacters = FourCharCode("chrs");             // word
inline constexpr DispatchId kContents = FourCharCode("pcnt");               // word (get), insertion point (put)
inline constexpr DispatchId kAppliedFont = FourCharCode("font");            // character, put
inline constexpr DispatchId kAppliedCharacterStyle = FourCharCode("crst");  // character, put
inline constexpr DispatchId kCharacterStyleGroups = FourCharCode("Csts");   // document, style group
inline constexpr DispatchId kCharacterStyles = FourCharCode("csts");        // document, style group

}  // namespace code

// The four letters of a code, "item" for item access, or the code in hex
// ("0x0000002A") when it is not four printable letters: for figures, logs
// and the stand-in's error descriptions.
inline std::string DispatchCodeName(DispatchId id) {
    if (id == code::kItem) return "item";
    const auto bits = static_cast<std::uint32_t>(id);
    std::string letters;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto c = static_cast<char>((bits >> shift) & 0xFF);
        if (c < 0x20 || c > 0x7E) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(bits));
            return hex;
        }
        letters.push_back(c);
    }
    return letters;
}

}  // namespace sonotag::host
