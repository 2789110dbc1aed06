// Every modifying call is one undo step, and 'undo' takes the last step back
// exactly: text and formats come back byte for byte in the dump.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/standin/StandInTesting.h"

namespace sonotag::standin::test {
namespace {

using host::Item;
using host::ObjectRef;
using host::Value;

void Undo(StandInHost& host) {
    host::Call(host::GetObjectRef(host.application(), host::code::kActiveDocument), host::code::kUndo);
}

ObjectRef Style(StandInHost& host, const std::u16string& name) {
    const auto document = host::GetObjectRef(host.application(), host::code::kActiveDocument);
    return Item(host::GetObjectRef(document, host::code::kCharacterStyles), name);
}

// One random modifying call on the selected story: an insertion at one of a
// word's insertion points, or a font or a style on one of its characters.
void RandomStep(StandInHost& host, std::mt19937& random, const std::vector<ObjectRef>& styles) {
    const ObjectRef words = SelectedWords(host);
    const auto wordCount = host::GetInteger(words, kCount);
    const ObjectRef word = Item(words, 1 + static_cast<std::int32_t>(random() % static_cast<unsigned>(wordCount)));
    const auto length = CountOf(word, kCharacters);
    switch (random() % 3) {
        case 0: {
            const auto point = Item(host::GetObjectRef(word, kInsertionPoints),
                                    1 + static_cast<std::int32_t>(random() % static_cast<unsigned>(length + 1)));
            static const std::u16string pieces[] = {u" \\ˈæpl\\", u"s", u"\t[pɪə]", u"—", u" "};
            host::Put(point, kContents, Value(pieces[random() % 5]));
            break;
        }
        case 1: {
            static const std::u16string fonts[] = {u"Lucida Sans Unicode", u"KPP Edition 2008教师节", u"Arial"};
            host::Put(Character(word, 1 + static_cast<std::int32_t>(random() % static_cast<unsigned>(length))),
                      kAppliedFont, Value(fonts[random() % 3]));
            break;
        }
        default:
            host::Put(Character(word, 1 + static_cast<std::int32_t>(random() % static_cast<unsigned>(length))),
                      kAppliedCharacterStyle, Value(styles[random() % styles.size()]));
            break;
    }
}

TEST(Undo, TakesManyMixedStepsBackExactly) {
    StandInHost host;
    host.loadDocumentFile(FixtureProgramPath("lesson.json"));
    const std::vector<ObjectRef> styles{Style(host, u"Phonetics"), Style(host, u"[无]")};
    std::mt19937 random(4242);

    const std::string original = host.dumpDocumentJson();
    const std::int32_t level = UndoLevel(host);
    ASSERT_EQ(level, -1);
    std::vector<std::string> checkpoints;
    constexpr int kSteps = 1500;
    for (int step = 0; step < kSteps; ++step) {
        if (step % 300 == 0) checkpoints.push_back(host.dumpDocumentJson());
        RandomStep(host, random, styles);
        ASSERT_EQ(UndoLevel(host), step) << "one step per modifying call";
    }
    EXPECT_NE(host.dumpDocumentJson(), original);
    for (int step = kSteps; step-- > 0;) {
        Undo(host);
        if (step % 300 == 0) {
            ASSERT_EQ(host.dumpDocumentJson(), checkpoints[static_cast<std::size_t>(step / 300)]);
        }
    }
    EXPECT_EQ(UndoLevel(host), -1);
    EXPECT_EQ(host.dumpDocumentJson(), original);
}

TEST(Undo, RestoresFormatsAppliedTwice) {
    StandInHost host;
    host.loadDocumentFile(FixtureProgramPath("lesson.json"));
    const ObjectRef tom = Item(SelectedWords(host), 1);
    const std::string original = host.dumpDocumentJson();
    host::Put(Character(tom, 1), kAppliedFont, Value(u"Arial"));
    const std::string once = host.dumpDocumentJson();
    host::Put(Character(tom, 1), kAppliedFont, Value(u"Arial"));  // the same font again: still a step
    host::Put(tom, kAppliedCharacterStyle, Value(Style(host, u"Phonetics")));
    EXPECT_EQ(UndoLevel(host), 2);
    Undo(host);
    Undo(host);
    EXPECT_EQ(host.dumpDocumentJson(), once);
    Undo(host);
    EXPECT_EQ(host.dumpDocumentJson(), original);
}

TEST(Undo, InsertedTextTakesTheFormatBeforeIt) {
    StandInHost host;
    host.loadDocumentFile(FixtureProgramPath("lesson.json"));
    AppendToWord(Item(SelectedWords(host), 1), u"my");  // "Tom" is in Times New Roman
    EXPECT_NE(host.dumpDocumentJson().find(R"("start": 0,
          "length": 5,
          "font": "Times New Roman")"),
              std::string::npos)
        << host.dumpDocumentJson();
}

TEST(Undo, HistoryIsAnArrayWithUpperBoundStepsMinusOne) {
    StandInHost host;
    host.loadDocumentJson(R"({"stories": [{"text": "a"}], "selection": {"story": 0},
                              "undoHistory": ["Typing", "Typing"]})");
    EXPECT_EQ(UndoLevel(host), 1);
    AppendToWord(Item(SelectedWords(host), 1), u"b");
    EXPECT_EQ(UndoLevel(host), 2);
    Undo(host);
    EXPECT_EQ(host.storyText(0), u"a");
    // Steps read from a file carry no effect to take back: only the entry goes.
    Undo(host);
    Undo(host);
    EXPECT_EQ(UndoLevel(host), -1);
    EXPECT_EQ(host.storyText(0), u"a");
    const auto error = ErrorOf([&] { Undo(host); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->description(), u"There is nothing to undo.");
    EXPECT_EQ(error->source(), std::u16string(kErrorSource));
}

TEST(Undo, StepNamesAreDumped) {
    StandInHost host;
    host.loadDocumentJson(R"({"stories": [{"text": "a"}], "selection": {"story": 0}, "undoHistory": ["Typing"]})");
    const ObjectRef word = Item(SelectedWords(host), 1);
    AppendToWord(word, u"b");
    host::Put(Character(word, 1), kAppliedFont, Value(u"Arial"));
    host::Put(Character(word, 1), kAppliedCharacterStyle, Value(Style(host, u"[无]")));
    EXPECT_NE(host.dumpDocumentJson().find(R"("undoHistory": [
    "Typing",
    "Insert Text",
    "Apply Font",
    "Apply Character Style"
  ])"),
              std::string::npos)
        << host.dumpDocumentJson();
}

}  // namespace
}  // namespace sonotag::standin::test
