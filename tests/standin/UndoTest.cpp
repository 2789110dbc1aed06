// Every modifying call is one undo step and undo takes it back exactly: a
// seeded random sequence of insertions, fonts and styles, then all undone.

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

std::int32_t UndoLevel(StandInHost& host) {
    return host::Get(Document(host), code::kUndoHistory, host::ValueType::Array).array().upperBound;
}

TEST(Undo, TakesManyMixedStepsBackExactly) {
    StandInHost host;
    host.loadDocumentFile(FixtureProgramPath("lesson.json"));
    const ObjectRef styles = host::GetObjectRef(Document(host), code::kCharacterStyles);
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
        host::Call(Document(host), code::kUndo);
        if (step % 300 == 0) {
            ASSERT_EQ(host.dumpDocumentJson(), checkpoints[static_cast<std::size_t>(step / 300)]);
        }
    }
    EXPECT_EQ(UndoLevel(host), -1);
    EXPECT_TRUE(ErrorOf([&] { host::Call(Document(host), code::kUndo); })) << "nothing left to undo";
}

}  // namespace
}  // namespace sonotag::standin::test
