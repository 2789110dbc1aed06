// Words, characters and insertion points are live: objects taken from the
// host follow their text through later edits, as the annotation run needs.

#include <gtest/gtest.h>

#include "tests/standin/StandInTesting.h"

namespace sonotag::standin::test {
namespace {

using host::Item;
using host::ObjectRef;

class LiveRanges : public ::testing::Test {
protected:
    void SetUp() override { host.loadPlainText(u"an apple, a pie"); }
    ObjectRef word(std::int32_t index) { return Item(SelectedWords(host), index); }

    StandInHost host;
};

TEST_F(LiveRanges, TextPutAtTheLastInsertionPointBecomesPartOfTheWord) {
    const ObjectRef apple = word(2);
    ASSERT_EQ(TextOf(apple), u"apple,");
    const std::int32_t before = CountOf(apple, kInsertionPoints);
    EXPECT_EQ(before, 7);  // length + 1

    const std::u16string annotation = u" \\ˈæpl\\";
    AppendToWord(apple, annotation);

    EXPECT_EQ(host.storyText(0), u"an apple, \\ˈæpl\\ a pie");
    EXPECT_EQ(TextOf(apple), u"apple, \\ˈæpl\\");
    EXPECT_EQ(CountOf(apple, kInsertionPoints), before + static_cast<std::int32_t>(annotation.size()));
    EXPECT_EQ(CountOf(apple, kCharacters), 13);
    EXPECT_EQ(TextOf(Character(apple, 7)), u" ");
    EXPECT_EQ(TextOf(Character(apple, 13)), u"\\");
}

TEST_F(LiveRanges, OtherWordsKeepTheirText) {
    const ObjectRef an = word(1);
    const ObjectRef apple = word(2);
    const ObjectRef a = word(3);
    const ObjectRef pie = word(4);
    AppendToWord(pie, u" [paɪ]");
    AppendToWord(apple, u"!");
    AppendToWord(an, u"?");
    EXPECT_EQ(host.storyText(0), u"an? apple,! a pie [paɪ]");
    EXPECT_EQ(TextOf(an), u"an?");
    EXPECT_EQ(TextOf(apple), u"apple,!");
    EXPECT_EQ(TextOf(a), u"a");
    EXPECT_EQ(TextOf(pie), u"pie [paɪ]");
    // The collection itself is split afresh: the annotation is a word of its own there.
    EXPECT_EQ(host::GetInteger(SelectedWords(host), kCount), 5);
    EXPECT_EQ(TextOf(word(5)), u"[paɪ]");
}

TEST_F(LiveRanges, CollectionsOfAWordFollowIt) {
    const ObjectRef apple = word(2);
    const ObjectRef characters = host::GetObjectRef(apple, kCharacters);
    const ObjectRef points = host::GetObjectRef(apple, kInsertionPoints);
    AppendToWord(apple, u"xyz");
    EXPECT_EQ(host::GetInteger(characters, kCount), 9);
    EXPECT_EQ(host::GetInteger(points, kCount), 10);
    EXPECT_EQ(TextOf(Item(characters, 9)), u"z");
}

TEST_F(LiveRanges, TextPutAtTheFirstInsertionPointJoinsTheWordToo) {
    const ObjectRef an = word(1);
    const ObjectRef apple = word(2);
    host::Put(Item(host::GetObjectRef(apple, kInsertionPoints), 1), kContents, host::Value(u"big-"));
    EXPECT_EQ(TextOf(apple), u"big-apple,");
    EXPECT_EQ(TextOf(an), u"an");
}

TEST_F(LiveRanges, AnInsertionPointMovesPastTextPutAtIt) {
    const ObjectRef point = host::CallForObject(host::GetObjectRef(word(4), kInsertionPoints), kLast);
    host::Put(point, kContents, host::Value(u"s"));
    host::Put(point, kContents, host::Value(u"!"));
    EXPECT_EQ(host.storyText(0), u"an apple, a pies!");
}

TEST_F(LiveRanges, ACharacterKeepsItsCharacter) {
    const ObjectRef apple = word(2);
    const ObjectRef p = Character(apple, 2);
    AppendToWord(word(1), u"other ");  // before it
    AppendToWord(apple, u"tree");      // after it
    EXPECT_EQ(TextOf(p), u"p");
    host::Put(p, kAppliedFont, host::Value(u"Arial"));
    EXPECT_NE(host.dumpDocumentJson().find(R"("start": 10,)"), std::string::npos) << host.dumpDocumentJson();
}

TEST_F(LiveRanges, UndoTakesInsertedTextOutOfTheWordAndDeletesItsCharacters) {
    const ObjectRef apple = word(2);
    AppendToWord(apple, u" [x]");
    const ObjectRef bracket = Character(apple, 8);
    ASSERT_EQ(TextOf(bracket), u"[");
    host::Call(host::GetObjectRef(host.application(), host::code::kActiveDocument), host::code::kUndo);
    EXPECT_EQ(TextOf(apple), u"apple,");
    EXPECT_EQ(CountOf(apple, kInsertionPoints), 7);
    const auto error = ErrorOf([&] { TextOf(bracket); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->description(), u"The text of a character was deleted.");
}

TEST_F(LiveRanges, ReleasedObjectsAreDropped) {
    {
        const ObjectRef apple = word(2);
        AppendToWord(apple, u"s");
        EXPECT_GT(host.liveObjects(), 0);
    }
    EXPECT_EQ(host.liveObjects(), 0);
}

}  // namespace
}  // namespace sonotag::standin::test
