// The stand-in fails like a real host and changes nothing; its private controls answer.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "base/Utf.h"
#include "standin/ControlCodes.h"
#include "tests/standin/StandInTesting.h"

namespace sonotag::standin::test {
namespace {

using host::Item;
using host::Value;
using H = StandInHost;

host::ObjectRef Apple(H& host) { return Item(SelectedWords(host), 2); }

TEST(Errors, RaiseTheHostsErrorAndChangeNothing) {
    const std::tuple<host::HResult, std::u16string, std::function<void(H&)>> cases[] = {
        {host::kBadIndex, u"Index 0 is out of range: the words hold 2 items.", [](H& h) { Item(SelectedWords(h), 0); }},
        {host::kBadIndex, u"Index 6 is out of range: the characters hold 5 items.", [](H& h) { Character(Apple(h), 6); }},
        {host::kBadIndex, u"The words hold no items.", [](H& h) { h.select({1}); host::CallForObject(SelectedWords(h), code::kLast); }},
        {host::kMemberNotFound, u"A word has no operation 'zzzz'.", [](H& h) { host::Get(Apple(h), host::FourCharCode("zzzz")); }},
        {host::kMemberNotFound, u"'pcnt' of a word cannot be set.", [](H& h) { host::Put(Apple(h), code::kContents, u"x"); }},
        {host::kTypeMismatch, u"A font is given by its name, as a string.", [](H& h) { host::Put(Character(Apple(h), 1), code::kAppliedFont, 7); }},
        {host::kInvalidArgument, u"The font name is empty.", [](H& h) { host::Put(Character(Apple(h), 1), code::kAppliedFont, u""); }},
        {host::kUnspecifiedFailure, u"No document is open.", [](H& h) { h.closeDocument(); Document(h); }},
    };
    for (const auto& [result, description, call] : cases) {
        H host;
        host.loadDocumentJson(R"({"stories": [{"text": "an apple"}, {"text": ""}], "selection": {"story": 0}})");
        const auto error = ErrorOf([&] { call(host); });
        ASSERT_TRUE(error) << Utf16ToUtf8(description);
        EXPECT_EQ(error->result(), result);
        EXPECT_EQ(error->description(), description);
        EXPECT_EQ(host.hasDocument() ? host.undoStepCount() : 0, 0);
    }
}

TEST(Controls, ReachTheHostUncounted) {
    H host;
    const auto control = [&](host::DispatchId id, std::vector<Value> arguments, host::InvokeKind kind = host::InvokeKind::Method) {
        return host.application()->invoke(id, kind, arguments, host::ValueType::Any);
    };
    control(control::kLoadPlainText, {Value(u"three")});
    EXPECT_EQ(control(control::kStoryText, {Value(0)}).text(), u"three");
    control(control::kDelayCalls, {Value(0)});
    control(control::kFailCall, {Value(1), Value(0x0123), Value(0), Value(u"Stand-in"), Value(u"")});
    const auto error = ErrorOf([&] { SelectedWords(host); });
    ASSERT_TRUE(error);
    EXPECT_EQ(static_cast<std::uint32_t>(error->result()), 0x80040200u + 0x0123u);
    EXPECT_FALSE(error->description()) << "an empty text is left absent";
    EXPECT_EQ(control(control::kCallCount, {}, host::InvokeKind::Get).integer(), 1);
    EXPECT_FALSE(ErrorOf([&] { SelectedWords(host); })) << "once only";
    EXPECT_EQ(ErrorOf([&] { control(control::kDelayCalls, {Value(10001)}); })->result(), host::kInvalidArgument);
    EXPECT_EQ(ErrorOf([&] { control(control::kStoryText, {}); })->description(), u"'SHst' takes 1 argument, not 0.");
}

}  // namespace
}  // namespace sonotag::standin::test
