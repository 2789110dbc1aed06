// The stand-in fails like a real host, with the automation error and nothing
// changed; and its private controls, which the sweeps rely on, work.

#include <gtest/gtest.h>

#include <functional>
#include <string>
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
using H = StandInHost;

ObjectRef Apple(H& host) { return Item(SelectedWords(host), 2); }
ObjectRef Point(H& host) { return host::CallForObject(host::GetObjectRef(Apple(host), code::kInsertionPoints), code::kLast); }
void Invoke(const ObjectRef& object, host::DispatchId id, InvokeKind kind, std::vector<Value> arguments = {}) {
    object->invoke(id, kind, arguments, host::ValueType::Any);
}

TEST(Errors, RaiseTheHostsErrorAndChangeNothing) {
    const struct {
        host::HResult result;
        std::u16string description;
        std::function<void(H&)> call;
    } cases[] = {
        {host::kBadIndex, u"Nothing is selected.", [](H& h) { h.select({}); SelectedWords(h); }},
        {host::kBadIndex, u"Index 0 is out of range: the words hold 2 items.", [](H& h) { Item(SelectedWords(h), 0); }},
        {host::kBadIndex, u"Index 6 is out of range: the characters hold 5 items.", [](H& h) { Character(Apple(h), 6); }},
        {host::kBadIndex, u"The words hold no items.", [](H& h) { h.select({1}); host::CallForObject(SelectedWords(h), code::kLast); }},
        {host::kTypeMismatch, u"Items of the words are chosen by index, not by name.", [](H& h) { Item(SelectedWords(h), u"a"); }},
        {host::kMemberNotFound, u"A word has no operation 'zzzz'.", [](H& h) { host::Get(Apple(h), host::FourCharCode("zzzz")); }},
        {host::kMemberNotFound, u"'pcnt' of a word cannot be set.", [](H& h) { host::Put(Apple(h), code::kContents, u"x"); }},
        {host::kMemberNotFound, u"'cnte' of the words cannot be called as a method.", [](H& h) { host::Call(SelectedWords(h), code::kCount); }},
        {host::kBadParameterCount, u"'cnte' of the words takes 0 arguments, not 1.",
         [](H& h) { Invoke(SelectedWords(h), code::kCount, InvokeKind::Get, {Value(1)}); }},
        {host::kMemberNotFound, u"An insertion point has no operation 'font'.", [](H& h) { host::Put(Point(h), code::kAppliedFont, u"A"); }},
        {host::kTypeMismatch, u"A font is given by its name, as a string.", [](H& h) { host::Put(Character(Apple(h), 1), code::kAppliedFont, 7); }},
        {host::kInvalidArgument, u"The font name is empty.", [](H& h) { host::Put(Character(Apple(h), 1), code::kAppliedFont, u""); }},
        {host::kTypeMismatch, u"The text to insert must be a string.", [](H& h) { host::Put(Point(h), code::kContents, 5); }},
        {host::kUnspecifiedFailure, u"No document is open.", [](H& h) { h.closeDocument(); Document(h); }},
    };
    for (const auto& c : cases) {
        H host;
        host.loadDocumentJson(R"({"stories": [{"text": "an apple"}, {"text": ""}], "selection": {"story": 0}})");
        const auto error = ErrorOf([&] { c.call(host); });
        ASSERT_TRUE(error) << Utf16ToUtf8(c.description);
        EXPECT_EQ(error->result(), c.result);
        EXPECT_EQ(error->description(), c.description);
        EXPECT_EQ(error->source(), std::u16string(kErrorSource));
        EXPECT_EQ(host.hasDocument() ? host.undoStepCount() : 0, 0);
    }
}

Value Control(H& host, host::DispatchId id, std::vector<Value> arguments = {}, InvokeKind kind = InvokeKind::Method) {
    return host.application()->invoke(id, kind, arguments, host::ValueType::Any);
}

TEST(Controls, ReachTheHostUncountedAndRefuseBadInput) {
    H host;
    Control(host, control::kLoadDocumentJson, {Value(u"{\"stories\": [{\"text\": \"one\"}, {\"text\": \"two\"}]}")});
    Control(host, control::kSelect, {Value(1), Value(0)});
    EXPECT_EQ(host::GetInteger(host::GetObjectRef(host.application(), code::kSelection), code::kCount), 2);
    EXPECT_EQ(Control(host, control::kDumpDocumentJson, {}, InvokeKind::Get).text(), Utf8ToUtf16(host.dumpDocumentJson()));
    Control(host, control::kLoadPlainText, {Value(u"three")});
    EXPECT_EQ(Control(host, control::kStoryText, {Value(0)}).text(), u"three");
    Control(host, control::kDelayCalls, {Value(0)});
    Control(host, control::kFailCall, {Value(1), Value(0x0123), Value(0), Value(u"Stand-in"), Value(u"")});
    const auto error = ErrorOf([&] { SelectedWords(host); });
    ASSERT_TRUE(error);
    EXPECT_EQ(static_cast<std::uint32_t>(error->result()), 0x80040200u + 0x0123u);
    EXPECT_EQ(error->source(), u"Stand-in");
    EXPECT_FALSE(error->description()) << "an empty text is left absent";
    EXPECT_EQ(Control(host, control::kCallCount, {Value(code::kCount)}).integer(), 1);
    EXPECT_EQ(Control(host, control::kCallCount, {}, InvokeKind::Get).integer(), 3);
    Control(host, control::kResetCallCounts);
    EXPECT_EQ(host.totalCalls(), 0);
    EXPECT_FALSE(ErrorOf([&] { SelectedWords(host); })) << "once only";
    EXPECT_EQ(Control(host, control::kLiveObjects, {}, InvokeKind::Get).integer(), 0);
    const struct {
        host::DispatchId id;
        std::vector<Value> arguments;
        std::u16string description;
    } bad[] = {
        {control::kLoadDocumentJson, {}, u"'SHlj' takes 1 argument, not 0."},
        {control::kSelect, {Value(u"x")}, u"A story index must be an integer."},
        {control::kFailCall, {Value(1), Value(0x10000), Value(0)}, u"wCode must lie between 0 and 65535."},
        {control::kStoryText, {Value(1)}, u"There is no story 1."},
        {control::kDelayCalls, {Value(10001)}, u"The delay must lie between 0 and 10000 ms."},
    };
    for (const auto& c : bad) {
        const auto refused = ErrorOf([&] { Control(host, c.id, c.arguments); });
        ASSERT_TRUE(refused);
        EXPECT_EQ(refused->result(), host::kInvalidArgument);
        EXPECT_EQ(refused->description(), c.description);
    }
    Control(host, control::kCloseDocument);
    EXPECT_FALSE(host.hasDocument());
}

}  // namespace
}  // namespace sonotag::standin::test
