// The stand-in's words, and the ranges that follow their text through edits.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "standin/Story.h"
#include "standin/Words.h"

namespace sonotag::standin {
namespace {

TEST(Words, SplitLikeTheHost) {
    const std::pair<std::u16string, std::vector<std::u16string>> cases[] = {
        {u"", {}}, {u" \t\r\n\u2028\u2029\u2013\u2014", {}}, {u"  an   apple ", {u"an", u"apple"}},
        {u"apple, (don't) well-known!", {u"apple,", u"(don't)", u"well-known!"}},
        {u"a\rb\nc\u2029d\u2028e\r\nf\tg", {u"a", u"b", u"c", u"d", u"e", u"f", u"g"}},
        {u"tea\u2014or\u2013coffee", {u"tea", u"or", u"coffee"}},  // only em and en dashes separate
        {u"a\u2012b\u2010c\u00A0d 中文 x\U0001F600y", {u"a\u2012b\u2010c\u00A0d", u"中文", u"x\U0001F600y"}},
    };
    for (const auto& [text, expected] : cases) {
        std::vector<std::u16string> words;
        for (const TextSpan& w : SplitWords(text)) words.push_back(text.substr(std::size_t(w.start), std::size_t(w.length())));
        EXPECT_EQ(words, expected);
    }
}

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

TEST(StoryRanges, MoveOnInsertionByTheirKind) {
    const std::tuple<Kind, TextSpan, std::int32_t, TextSpan> cases[] = {  // the range, where 2 characters go, the range after
        {Kind::Text, {3, 6}, 1, {5, 8}},           {Kind::Text, {3, 6}, 3, {3, 8}},  // text at either end joins
        {Kind::Text, {3, 6}, 6, {3, 8}},           {Kind::Text, {3, 6}, 7, {3, 6}},
        {Kind::Character, {3, 4}, 3, {5, 6}},      {Kind::Character, {3, 4}, 4, {3, 4}},
        {Kind::InsertionPoint, {3, 3}, 3, {5, 5}}, {Kind::InsertionPoint, {3, 3}, 4, {3, 3}},
    };
    for (const auto& [kind, before, at, after] : cases) {
        Story story(u"0123456789", std::vector<CharFormat>(10));
        LiveRange range(story, kind, before);
        story.insert(at, u"ab");
        EXPECT_EQ(range.span(), after) << at;
    }
}

}  // namespace
}  // namespace sonotag::standin
