// Edits of the stand-in's stories against simple models: words against a full split, undo against saved dumps.

#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/Utf.h"
#include "model/Story.h"
#include "model/Words.h"
#include "tests/standin/StandInTesting.h"

namespace sonotag::model::test { namespace {

using namespace standin;
using namespace standin::test;

TEST(Words, SplitLikeTheHost) {
    const std::pair<std::u16string, std::vector<std::u16string>> cases[] = {
        {u"", {}},
        {u" \t\r\n\u2028\u2029\u2013\u2014", {}},
        {u"  apple, (don't) well-known! ", {u"apple,", u"(don't)", u"well-known!"}},
        {u"a\rb\nc\u2029d\u2028e\r\nf\tg\u2014or\u2013x", {u"a", u"b", u"c", u"d", u"e", u"f", u"g", u"or", u"x"}},
        {u"a\u2012b\u2010c\u00A0d 中文 x\U0001F600y", {u"a\u2012b\u2010c\u00A0d", u"中文", u"x\U0001F600y"}},
    };
    for (const auto& [text, expected] : cases) {
        std::vector<std::u16string> words;
        for (const TextSpan& w : SplitWords(text)) words.push_back(text.substr(std::size_t(w.start), std::size_t(w.length())));
        EXPECT_EQ(words, expected);
    }
}

// The story re-splits only around each edit: its words must equal a full split of its text.
// Where long texts are cut into pieces: at paragraph breaks, and in a long
// paragraph at a sentence's end past the piece length; every cut after a
// separator, the pieces covering the text.
TEST(Words, PieceEndCutsAtParagraphsAndSentenceEnds) {
    const std::u16string words(kPieceLength, u'w');  // one long word
    const std::u16string filler = u"a " + std::u16string(kPieceLength, u'x');
    const std::pair<std::u16string, std::vector<std::size_t>> cases[] = {
        {u"", {}},
        {u"one\rtwo", {4, 7}},
        {u"one\u2029two\r", {4, 8}},
        {u"one\r\ntwo\nthree", {14}},  // a CRLF or LF line end is a wrapped line, not a cut
        {filler + u" the.\u201D next", {kPieceLength + 9, kPieceLength + 13}},
        {filler + u" the next. and", {kPieceLength + 13, kPieceLength + 16}},
        {words + u" short. a", {kPieceLength + 8, kPieceLength + 9}},
        // no sentence end: any separator once past four piece lengths
        {filler + filler + filler + filler + u" b c", {4 * (kPieceLength + 2) + 1, 4 * (kPieceLength + 2) + 4}},
    };
    for (const auto& [text, expected] : cases) {
        std::vector<std::size_t> ends;
        for (std::size_t start = 0; start < text.size(); start = ends.back()) {
            ends.push_back(PieceEnd(text, start));
            ASSERT_GT(ends.back(), start);
        }
        EXPECT_EQ(ends, expected) << Utf16ToUtf8(text.substr(0, 20));
    }
}

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

TEST(StoryRanges, MoveOnInsertionByTheirKind) {
    using Kind = LiveRange::Kind;
    const std::tuple<Kind, TextSpan, std::int32_t, TextSpan> cases[] = {
        // the range, where 2 characters go, the range after
        {Kind::Text, {3, 6}, 1, {5, 8}},      {Kind::Text, {3, 6}, 3, {3, 8}},  // text at either end joins
        {Kind::Text, {3, 6}, 6, {3, 8}},      {Kind::Text, {3, 6}, 7, {3, 6}},           {Kind::Character, {3, 4}, 3, {5, 6}},
        {Kind::Character, {3, 4}, 4, {3, 4}}, {Kind::InsertionPoint, {3, 3}, 3, {5, 5}}, {Kind::InsertionPoint, {3, 3}, 4, {3, 3}},
    };
    for (const auto& [kind, before, at, after] : cases) {
        Story story(u"0123456789", std::vector<CharFormat>(10));
        LiveRange range(story, kind, before);
        story.insert(at, u"ab");
        EXPECT_EQ(range.span(), after) << at;
    }
}

using host::Item, host::ObjectRef, host::Value;

TEST(Undo, TakesManyMixedStepsBackExactly) {
    StandInHost host;
    const auto UndoLevel = [](StandInHost& h) { return host::Get(standin::test::Document(h), code::kUndoHistory, host::ValueType::Array).array().upperBound; };
    host.loadDocumentFile(FixtureProgramPath("lesson.json"));
    const ObjectRef styles = host::GetObjectRef(standin::test::Document(host), code::kCharacterStyles);
    const Value styleValues[] = {Value(Item(styles, u"Phonetics")), Value(Item(styles, u"[无]"))};
    const Value texts[] = {Value(u" \\ˈæpl\\"), Value(u"s"), Value(u"\t[pɪə]"), Value(u"—"), Value(u" ")};
    const Value fonts[] = {Value(u"Lucida Sans Unicode"), Value(u"KPP Edition 2008教师节"), Value(u"Arial")};
    std::mt19937 random(4242);
    const auto pick = [&](std::int32_t count) { return 1 + static_cast<std::int32_t>(random() % static_cast<unsigned>(count)); };
    std::vector<std::string> checkpoints;
    constexpr int kSteps = 1500;
    for (int step = 0; step < kSteps; ++step) {
        if (step % 300 == 0) checkpoints.push_back(host.dumpDocumentJson());
        const ObjectRef words = SelectedWords(host);
        const ObjectRef word = Item(words, pick(host::GetInteger(words, code::kCount)));
        const std::int32_t length = host::GetInteger(host::GetObjectRef(word, code::kCharacters), code::kCount);
        switch (random() % 3) {
            case 0: host::Put(Item(host::GetObjectRef(word, code::kInsertionPoints), pick(length + 1)), code::kContents, texts[random() % 5]); break;
            case 1: host::Put(Character(word, pick(length)), code::kAppliedFont, fonts[random() % 3]); break;
            default: host::Put(Character(word, pick(length)), code::kAppliedCharacterStyle, styleValues[random() % 2]);
        }
        ASSERT_EQ(UndoLevel(host), step) << "one step per modifying call";
    }
    for (int step = kSteps; step-- > 0;) {
        host::Call(standin::test::Document(host), code::kUndo);
        if (step % 300 == 0) { ASSERT_EQ(host.dumpDocumentJson(), checkpoints[static_cast<std::size_t>(step / 300)]); }
    }
    EXPECT_EQ(UndoLevel(host), -1);
    EXPECT_TRUE(ErrorOf([&] { host::Call(standin::test::Document(host), code::kUndo); })) << "nothing left to undo";
}

}}  // namespace sonotag::model::test
