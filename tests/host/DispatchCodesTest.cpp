// The host's operation codes against their values written out by hand, so a
// mistyped letter in DispatchCodes.h fails here even though both sides share it.
#include <gtest/gtest.h>

#include "host/DispatchCodes.h"

namespace sonotag::host { namespace {

// The value is the four ASCII letters as big-endian bytes, worked out by hand.
TEST(DispatchCodes, AreTheirFourLettersAsBigEndianNumbers) {
    const struct {
        const char* letters;
        DispatchId code;
        std::uint32_t value;
    } rows[] = {{"sele", code::kSelection, 0x73656c65},
                {"pacd", code::kActiveDocument, 0x70616364},
                {"unhs", code::kUndoHistory, 0x756e6873},
                {"undo", code::kUndo, 0x756e646f},
                {"cnte", code::kCount, 0x636e7465},
                {"firs", code::kFirst, 0x66697273},
                {"wrds", code::kWords, 0x77726473},
                {"inps", code::kInsertionPoints, 0x696e7073},
                {"last", code::kLast, 0x6c617374},
                {"chrs", code::kCharacters, 0x63687273},
                {"pcnt", code::kContents, 0x70636e74},
                {"font", code::kAppliedFont, 0x666f6e74},
                {"crst", code::kAppliedCharacterStyle, 0x63727374},
                {"Csts", code::kCharacterStyleGroups, 0x43737473},
                {"csts", code::kCharacterStyles, 0x63737473},
                {"item", code::kItem, 0}};
    for (const auto& row : rows) {
        EXPECT_EQ(static_cast<std::uint32_t>(row.code), row.value) << row.letters;
        EXPECT_EQ(DispatchCodeName(row.code), row.letters);
    }
    EXPECT_EQ(DispatchCodeName(0x2A), "0x0000002A");
}

}}  // namespace sonotag::host
