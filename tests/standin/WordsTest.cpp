// The stand-in's words, and the ranges that follow their text through edits.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "standin/Story.h"
#include "standin/Words.h"
#include "tests/support/CaseName.h"

namespace sonotag::standin {
namespace {

struct SplitCase {
    const char* name;
    std::u16string text;
    std::vector<std::u16string> words;
};

class Splitting : public ::testing::TestWithParam<SplitCase> {};

TEST_P(Splitting, FindsTheHostsWords) {
    const std::u16string& text = GetParam().text;
    std::vector<std::u16string> words;
    for (const TextSpan& word : SplitWords(text)) {
        words.emplace_back(text.substr(static_cast<std::size_t>(word.start), static_cast<std::size_t>(word.length())));
    }
    EXPECT_EQ(words, GetParam().words);
}

INSTANTIATE_TEST_SUITE_P(
    Words, Splitting,
    ::testing::Values(
        SplitCase{"Empty", u"", {}}, SplitCase{"OnlySeparators", u" \t\r\n\u2028\u2029\u2013\u2014", {}},
        SplitCase{"BlanksAroundAndBetween", u"  an   apple ", {u"an", u"apple"}},
        SplitCase{"PunctuationApostropheHyphenStay", u"apple, (don't) well-known!", {u"apple,", u"(don't)", u"well-known!"}},
        SplitCase{"Breaks", u"a\rb\nc\u2029d\u2028e\r\nf\tg", {u"a", u"b", u"c", u"d", u"e", u"f", u"g"}},
        SplitCase{"EmAndEnDashSeparate", u"tea\u2014or\u2013coffee", {u"tea", u"or", u"coffee"}},
        SplitCase{"OtherDashesAndNoBreakSpaceStay", u"a\u2012b\u2010c\u00A0d", {u"a\u2012b\u2010c\u00A0d"}},
        SplitCase{"ChineseAndSurrogates", u"中文 x\U0001F600y", {u"中文", u"x\U0001F600y"}}),
    sonotag::test::CaseName());

// The story re-splits only around each edit; after any edits its words must
// equal a full split of its text.
TEST(StoryWords, StayEqualToAFullSplitThroughRandomEdits) {
    std::mt19937 random(20240611);
    const std::u16string alphabet = u"ab ,'-\t\r\u2014x";
    Story story(u"", {});
    for (int step = 0; step < 3000; ++step) {
        const auto length = story.length();
        if (length > 0 && random() % 3 == 0) {
            const auto at = static_cast<std::int32_t>(random() % static_cast<unsigned>(length));
            story.erase(at, static_cast<std::int32_t>(1 + random() % static_cast<unsigned>(std::min(length - at, 6))));
        } else {
            std::u16string piece;
            for (auto k = random() % 5; k-- > 0;) piece.push_back(alphabet[random() % alphabet.size()]);
            story.insert(static_cast<std::int32_t>(random() % static_cast<unsigned>(length + 1)), piece);
        }
        ASSERT_EQ(story.words(), SplitWords(story.text())) << "after step " << step;
    }
}

using Kind = LiveRange::Kind;

struct MoveCase {
    const char* name;
    Kind kind;
    TextSpan before;
    std::int32_t insertAt;  // 2 characters are inserted
    TextSpan after;
};

class RangeMoves : public ::testing::TestWithParam<MoveCase> {};

TEST_P(RangeMoves, OnInsertion) {
    Story story(u"0123456789", std::vector<CharFormat>(10));
    LiveRange range(story, GetParam().kind, GetParam().before);
    story.insert(GetParam().insertAt, u"ab");
    EXPECT_EQ(range.span(), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(Ranges, RangeMoves,
                         ::testing::Values(MoveCase{"TextBefore", Kind::Text, {3, 6}, 1, {5, 8}},
                                           MoveCase{"TextAtStartJoins", Kind::Text, {3, 6}, 3, {3, 8}},
                                           MoveCase{"TextAtEndJoins", Kind::Text, {3, 6}, 6, {3, 8}},
                                           MoveCase{"TextAfter", Kind::Text, {3, 6}, 7, {3, 6}},
                                           MoveCase{"CharacterAtItsPlaceMoves", Kind::Character, {3, 4}, 3, {5, 6}},
                                           MoveCase{"CharacterAfterItStays", Kind::Character, {3, 4}, 4, {3, 4}},
                                           MoveCase{"PointMovesPastText", Kind::InsertionPoint, {3, 3}, 3, {5, 5}},
                                           MoveCase{"PointBeforeStays", Kind::InsertionPoint, {3, 3}, 4, {3, 3}}),
                         sonotag::test::CaseName());

TEST(StoryRanges, ErasureShrinksMovesAndDeletes) {
    Story story(u"0123456789", std::vector<CharFormat>(10));
    LiveRange word(story, Kind::Text, {2, 8});
    LiveRange later(story, Kind::Text, {8, 10});
    LiveRange inside(story, Kind::Character, {4, 5});
    LiveRange point(story, Kind::InsertionPoint, {5, 5});
    story.erase(3, 3);
    EXPECT_EQ(word.span(), (TextSpan{2, 5}));
    EXPECT_EQ(later.span(), (TextSpan{5, 7}));
    EXPECT_TRUE(inside.deleted());
    EXPECT_EQ(point.span(), (TextSpan{3, 3}));
    EXPECT_FALSE(point.deleted());
    story.erase(2, 3);
    EXPECT_TRUE(word.deleted());
    EXPECT_FALSE(later.deleted());
}

}  // namespace
}  // namespace sonotag::standin
