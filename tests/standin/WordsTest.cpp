#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "standin/Story.h"
#include "standin/Words.h"
#include "tests/support/CaseName.h"

namespace sonotag::standin {
namespace {

std::vector<std::u16string> WordTexts(std::u16string_view text, const std::vector<TextSpan>& words) {
    std::vector<std::u16string> texts;
    for (const TextSpan& word : words) {
        texts.emplace_back(text.substr(static_cast<std::size_t>(word.start), static_cast<std::size_t>(word.length())));
    }
    return texts;
}

struct SplitCase {
    const char* name;
    std::u16string text;
    std::vector<std::u16string> words;
};

class Splitting : public ::testing::TestWithParam<SplitCase> {};

TEST_P(Splitting, FindsTheHostsWords) {
    const auto& param = GetParam();
    EXPECT_EQ(WordTexts(param.text, SplitWords(param.text)), param.words);
}

INSTANTIATE_TEST_SUITE_P(
    Words, Splitting,
    ::testing::Values(
        SplitCase{"Empty", u"", {}}, SplitCase{"OnlySeparators", u" \t\r\n\u2028\u2029\u2013\u2014", {}},
        SplitCase{"OneWord", u"apple", {u"apple"}},
        SplitCase{"BlanksAroundAndBetween", u"  an   apple ", {u"an", u"apple"}},
        SplitCase{"PunctuationStays", u"apple, pear. (plum)!", {u"apple,", u"pear.", u"(plum)!"}},
        SplitCase{"ApostropheAndHyphenStay", u"don't well-known", {u"don't", u"well-known"}},
        SplitCase{"Tab", u"a\tb", {u"a", u"b"}},
        SplitCase{"ParagraphAndLineBreaks", u"a\rb\nc\u2029d\u2028e\r\nf", {u"a", u"b", u"c", u"d", u"e", u"f"}},
        SplitCase{"EmAndEnDashSeparate", u"tea\u2014or\u2013coffee", {u"tea", u"or", u"coffee"}},
        SplitCase{"OtherDashesStay", u"a\u2012b\u2010c", {u"a\u2012b\u2010c"}},
        SplitCase{"NoBreakSpaceStays", u"a\u00A0b", {u"a\u00A0b"}},
        SplitCase{"Chinese", u"中文 text", {u"中文", u"text"}},
        SplitCase{"SurrogatePairWhole", u"x\U0001F600y z", {u"x\U0001F600y", u"z"}},
        SplitCase{"AnnotationWithBackslashes", u"apple \\ˈæpl\\ pie", {u"apple", u"\\ˈæpl\\", u"pie"}}),
    sonotag::test::CaseName());

// The story keeps its words by re-splitting only around each edit; after any
// sequence of edits they must equal a full split of the text.
TEST(StoryWords, StayEqualToAFullSplitThroughRandomEdits) {
    std::mt19937 random(20240611);
    const std::u16string alphabet = u"ab ,'-\t\r\u2014x";
    Story story(u"", {});
    for (int step = 0; step < 3000; ++step) {
        const auto length = story.length();
        if (length > 0 && random() % 3 == 0) {
            const auto at = static_cast<std::int32_t>(random() % static_cast<unsigned>(length));
            const auto count =
                static_cast<std::int32_t>(1 + random() % static_cast<unsigned>(std::min(length - at, 6)));
            story.erase(at, count);
        } else {
            std::u16string piece;
            for (auto k = random() % 5; k-- > 0;) piece.push_back(alphabet[random() % alphabet.size()]);
            story.insert(static_cast<std::int32_t>(random() % static_cast<unsigned>(length + 1)), piece);
        }
        ASSERT_EQ(story.words(), SplitWords(story.text())) << "after step " << step << ": " << story.text().size();
    }
}

TEST(StoryFormats, InsertedTextTakesTheFormatBeforeIt) {
    Story story(u"ab", {CharFormat{1, 2}, CharFormat{3, 0}});
    story.insert(1, u"xy");
    story.insert(0, u"s");
    story.insert(story.length(), u"e");
    const std::vector<CharFormat> expected{{1, 2}, {1, 2}, {1, 2}, {1, 2}, {3, 0}, {3, 0}};
    EXPECT_EQ(story.text(), u"saxybe");
    EXPECT_EQ(story.formats(), expected);
}

TEST(StoryRanges, ReleasedRangesAreDropped) {
    Story story(u"one two", std::vector<CharFormat>(7));
    {
        LiveRange first(story, LiveRange::Kind::Text, {1, 3});
        LiveRange second(story, LiveRange::Kind::Character, {4, 5});
        {
            LiveRange third(story, LiveRange::Kind::InsertionPoint, {7, 7});
            EXPECT_EQ(story.liveRangeCount(), 3u);
        }
        EXPECT_EQ(story.liveRangeCount(), 2u);
        story.insert(0, u">");  // the remaining ranges still follow the text
        EXPECT_EQ(first.span(), (TextSpan{2, 4}));
        EXPECT_EQ(second.span(), (TextSpan{5, 6}));
    }
    EXPECT_EQ(story.liveRangeCount(), 0u);
}

struct MoveCase {
    const char* name;
    LiveRange::Kind kind;
    TextSpan before;
    std::int32_t insertAt;  // 2 characters are inserted
    TextSpan after;
};

class RangeMoves : public ::testing::TestWithParam<MoveCase> {};

TEST_P(RangeMoves, OnInsertion) {
    const auto& param = GetParam();
    Story story(u"0123456789", std::vector<CharFormat>(10));
    LiveRange range(story, param.kind, param.before);
    story.insert(param.insertAt, u"ab");
    EXPECT_EQ(range.span(), param.after);
    EXPECT_FALSE(range.deleted());
}

using Kind = LiveRange::Kind;
INSTANTIATE_TEST_SUITE_P(
    Ranges, RangeMoves,
    ::testing::Values(MoveCase{"TextBefore", Kind::Text, {3, 6}, 1, {5, 8}},
                      MoveCase{"TextAtStartJoins", Kind::Text, {3, 6}, 3, {3, 8}},
                      MoveCase{"TextInside", Kind::Text, {3, 6}, 4, {3, 8}},
                      MoveCase{"TextAtEndJoins", Kind::Text, {3, 6}, 6, {3, 8}},
                      MoveCase{"TextAfter", Kind::Text, {3, 6}, 7, {3, 6}},
                      MoveCase{"CharacterAtItsPlaceMoves", Kind::Character, {3, 4}, 3, {5, 6}},
                      MoveCase{"CharacterAfterItStays", Kind::Character, {3, 4}, 4, {3, 4}},
                      MoveCase{"InsertionPointMovesPastText", Kind::InsertionPoint, {3, 3}, 3, {5, 5}},
                      MoveCase{"InsertionPointBeforeStays", Kind::InsertionPoint, {3, 3}, 4, {3, 3}}),
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
    EXPECT_FALSE(point.deleted());
    EXPECT_EQ(point.span(), (TextSpan{3, 3}));
    story.erase(2, 3);
    EXPECT_TRUE(word.deleted());
    EXPECT_FALSE(later.deleted());
}

}  // namespace
}  // namespace sonotag::standin
