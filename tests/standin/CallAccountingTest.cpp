// Call counting per dispatch code, the planned failure of the k-th call, the
// live object count, and the private control codes that reach them.

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "base/Utf.h"
#include "standin/ControlCodes.h"
#include "tests/standin/StandInTesting.h"

namespace sonotag::standin::test {
namespace {

using host::InvokeKind;
using host::Item;
using host::ObjectRef;
using host::Value;
namespace code = host::code;

Value Control(StandInHost& host, host::DispatchId id, std::vector<Value> arguments = {},
              InvokeKind kind = InvokeKind::Method) {
    return host.application()->invoke(id, kind, arguments, host::ValueType::Any);
}

TEST(CallCounts, CountEveryCallPerCode) {
    StandInHost host;
    host.loadPlainText(u"an apple");
    const ObjectRef words = SelectedWords(host);                            // sele, firs, wrds
    const ObjectRef apple = Item(words, 2);                                 // item
    AppendToWord(apple, u"s");                                              // inps, last, pcnt
    EXPECT_EQ(CountOf(apple, kCharacters), 6);                              // chrs, cnte
    EXPECT_EQ(TextOf(Item(host::GetObjectRef(apple, kCharacters), 6)), u"s");  // chrs, item, pcnt
    const std::map<host::DispatchId, std::int64_t> expected{
        {code::kItem, 2}, {code::kSelection, 1}, {code::kFirst, 1},           {code::kWords, 1},     {code::kCount, 1},
        {code::kLast, 1}, {code::kContents, 2},  {code::kInsertionPoints, 1}, {code::kCharacters, 2}};
    EXPECT_EQ(host.callCounts(), expected);
    EXPECT_EQ(host.totalCalls(), 12);
    EXPECT_EQ(host.callCount(code::kContents), 2);
    EXPECT_EQ(host.callCount(code::kUndo), 0);

    // The private codes are not counted.
    EXPECT_EQ(Control(host, control::kCallCount, {Value(code::kContents)}).integer(), 2);
    EXPECT_EQ(Control(host, control::kCallCount, {}, InvokeKind::Get).integer(), 12);
    Control(host, control::kResetCallCounts);
    EXPECT_TRUE(host.callCounts().empty());
}

TEST(CallCounts, FailedCallsCount) {
    StandInHost host;
    EXPECT_TRUE(ErrorOf([&] { host::GetObjectRef(host.application(), code::kActiveDocument); }));
    EXPECT_EQ(host.callCount(code::kActiveDocument), 1);
}

TEST(PlannedFailure, TheKthCallFailsBeforeItDoesAnything) {
    StandInHost host;
    host.loadPlainText(u"an apple");
    const ObjectRef apple = Item(SelectedWords(host), 2);
    const ObjectRef last = host::CallForObject(host::GetObjectRef(apple, kInsertionPoints), kLast);
    const std::string before = host.dumpDocumentJson();

    host.failCall(4, {0x0123, 0, u"InDesign", u"Cannot insert here."});
    EXPECT_EQ(TextOf(apple), u"apple");                                            // 1
    EXPECT_EQ(CountOf(apple, kCharacters), 5);                                     // 2, 3
    const auto error = ErrorOf([&] { host::Put(last, kContents, Value(u"s")); });  // 4
    ASSERT_TRUE(error);
    EXPECT_EQ(static_cast<std::uint32_t>(error->result()), 0x80040200u + 0x0123u);
    EXPECT_EQ(error->source(), u"InDesign");
    EXPECT_EQ(error->description(), u"Cannot insert here.");
    EXPECT_EQ(host.dumpDocumentJson(), before);
    EXPECT_EQ(host.undoStepCount(), 0);

    // Once only.
    host::Put(last, kContents, Value(u"s"));
    EXPECT_EQ(host.storyText(0), u"an apples");
}

TEST(PlannedFailure, CanCarryAnScodeOnlyAndBeCancelled) {
    StandInHost host;
    host.loadPlainText(u"x");
    host.failCall(1, {0, host::kServerUnavailable, std::nullopt, std::nullopt});
    const auto error = ErrorOf([&] { SelectedWords(host); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->result(), host::kServerUnavailable);
    EXPECT_FALSE(error->source());
    EXPECT_FALSE(error->description());

    host.failCall(2, {0, host::kUnspecifiedFailure, std::nullopt, std::nullopt});
    host.failCall(0, {});
    EXPECT_FALSE(ErrorOf([&] { SelectedWords(host); }));
}

TEST(PlannedFailure, PrivateCodesNeitherCountTowardsItNorFail) {
    StandInHost host;
    host.loadPlainText(u"x");
    Control(host, control::kFailCall, {Value(1), Value(0), Value(host::kCallFailed), Value(u"Stand-in"), Value(u"")});
    EXPECT_EQ(Control(host, control::kLiveObjects, {}, InvokeKind::Get).integer(), 0);
    EXPECT_EQ(Control(host, control::kStoryText, {Value(0)}).text(), u"x");
    const auto error = ErrorOf([&] { host::GetObjectRef(host.application(), code::kSelection); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->result(), host::kCallFailed);
    EXPECT_EQ(error->source(), u"Stand-in");
    EXPECT_FALSE(error->description()) << "an empty text is left absent";
}

TEST(LiveObjects, CountObjectsHandedOutUntilReleased) {
    StandInHost host;
    host.loadPlainText(u"an apple");
    EXPECT_EQ(host.liveObjects(), 0);
    ObjectRef words = SelectedWords(host);
    EXPECT_EQ(host.liveObjects(), 1) << "the selection and the story were released on the way";
    ObjectRef characters = host::GetObjectRef(Item(words, 1), kCharacters);
    EXPECT_EQ(host.liveObjects(), 3) << "the characters keep their word";
    words.reset();
    EXPECT_EQ(host.liveObjects(), 2);
    characters.reset();
    EXPECT_EQ(host.liveObjects(), 0);
}

TEST(Controls, LoadSelectDumpAndCloseThroughPrivateCodes) {
    StandInHost host;
    Control(host, control::kLoadDocumentJson, {Value(u"{\"stories\": [{\"text\": \"one\"}, {\"text\": \"two\"}]}")});
    EXPECT_EQ(host::GetInteger(host::GetObjectRef(host.application(), code::kSelection), kCount), 0);
    Control(host, control::kSelect, {Value(1)});
    EXPECT_EQ(TextOf(SelectedObject(host)), u"two");
    Control(host, control::kSelect, {Value(0), Value(1)});
    EXPECT_EQ(host::GetInteger(host::GetObjectRef(host.application(), code::kSelection), kCount), 2);
    Control(host, control::kSelect);
    EXPECT_EQ(host::GetInteger(host::GetObjectRef(host.application(), code::kSelection), kCount), 0);

    EXPECT_EQ(Control(host, control::kDumpDocumentJson, {}, InvokeKind::Get).text(),
              Utf8ToUtf16(host.dumpDocumentJson()));
    Control(host, control::kLoadPlainText, {Value(u"three")});
    EXPECT_EQ(host.storyText(0), u"three");
    EXPECT_EQ(Control(host, control::kUndoStepCount).integer(), 0);
    Control(host, control::kCloseDocument);
    EXPECT_FALSE(host.hasDocument());
    EXPECT_EQ(host.totalCalls(), 9) << "only the ordinary calls count";
}

TEST(Controls, ReportBadInputAsAutomationErrors) {
    StandInHost host;
    host.loadPlainText(u"kept");
    const struct {
        host::DispatchId id;
        std::vector<Value> arguments;
        std::u16string description;
    } cases[] = {
        {control::kLoadDocumentJson, {Value(u"[1]")}, u"the document: must be an object, not an array"},
        {control::kLoadDocumentJson, {}, u"'SHlj' takes 1 argument, not 0."},
        {control::kSelect, {Value(3)}, u"story 3 does not exist (the document has 1 story)"},
        {control::kFailCall, {Value(1), Value(0x10000), Value(0)}, u"wCode must lie between 0 and 65535."},
        {control::kStoryText, {Value(1)}, u"There is no story 1."},
        {control::kDelayCalls, {Value(-1)}, u"The delay must lie between 0 and 10000 ms."},
    };
    for (const auto& c : cases) {
        const auto error = ErrorOf([&] { Control(host, c.id, c.arguments); });
        ASSERT_TRUE(error);
        EXPECT_EQ(error->result(), host::kInvalidArgument);
        EXPECT_EQ(error->source(), std::u16string(kErrorSource));
        EXPECT_EQ(error->description(), c.description);
    }
    EXPECT_EQ(host.storyText(0), u"kept");
    const auto error = ErrorOf([&] { Control(host, control::kCloseDocument, {}, InvokeKind::Put); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->description(), u"'SHcd' cannot be set.");
}

}  // namespace
}  // namespace sonotag::standin::test
