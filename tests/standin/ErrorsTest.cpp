// The stand-in fails like a real host and changes nothing; its private controls (the COM sweeps drive them) answer uncounted.

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/Utf.h"
#include "standin/ControlCodes.h"
#include "tests/standin/StandInTesting.h"
#include "tests/support/TestFiles.h"

namespace sonotag::standin::test { namespace {

using host::Item, host::Value;
using H = StandInHost;

host::ObjectRef Apple(H& host) { return Item(SelectedWords(host), 2); }
host::ObjectRef Groups(H& host) { return host::GetObjectRef(Document(host), code::kCharacterStyleGroups); }
host::ObjectRef Group(H& host) {
    host.loadDocumentJson(R"({"characterStyles": [":G:A"], "stories": [{"text": "a"}]})");
    return Item(Groups(host), 1);
}
host::ObjectRef Selection(H& host) { return host::GetObjectRef(host.application(), code::kSelection); }
host::ObjectRef Story(H& host) { return host::CallForObject(Selection(host), code::kFirst); }
void GetWithAnArgument(const host::ObjectRef& object, host::DispatchId id) {
    const Value one[] = {Value(1)};
    object->invoke(id, host::InvokeKind::Get, one, host::ValueType::Any);
}

// Gets an object, opens another document, then uses the object.
std::function<void(H&)> AfterAnotherOpens(host::ObjectRef (*get)(H&), std::function<void(const host::ObjectRef&)> use) {
    return [=](H& h) {
        const auto object = get(h);
        h.loadPlainText(u"x");
        use(object);
    };
}

TEST(Errors, RaiseTheHostsErrorAndChangeNothing) {
    using host::GetInteger, host::GetObjectRef, host::ObjectRef;
    const std::tuple<host::HResult, std::u16string, std::function<void(H&)>> cases[] = {
        {host::kBadIndex, u"Index 6 is out of range: the characters hold 5 items.", [](H& h) { Character(Apple(h), 6); }},
        {host::kTypeMismatch, u"A font is given by its name, as a string.", [](H& h) { host::Put(Character(Apple(h), 1), code::kAppliedFont, 7); }},
        {host::kUnspecifiedFailure, u"No document is open.", [](H& h) { h.closeDocument(), Document(h); }},
        {host::kMemberNotFound, u"'sele' of the application cannot be called as a method.", [](H& h) { host::Call(h.application(), code::kSelection); }},
        {host::kMemberNotFound, u"A word has no operation item.", [](H& h) { host::Put(Apple(h), code::kItem, u"x"); }},
        {host::kMemberNotFound, u"'crst' of a character cannot be read.", [](H& h) { host::Get(Character(Apple(h), 1), code::kAppliedCharacterStyle); }},
        {host::kMemberNotFound, u"'Csts' of a character style group cannot be called as a method.",
         [](H& h) { host::Call(Group(h), code::kCharacterStyleGroups); }},
        {host::kMemberNotFound, u"There is no default value of a word.", [](H& h) { host::Get(Apple(h), code::kItem); }},
        {host::kBadParameterCount, u"'unhs' of a document takes 0 arguments, not 1.", [](H& h) { GetWithAnArgument(Document(h), code::kUndoHistory); }},
        {host::kBadParameterCount, u"The item of a character style group takes 0 arguments, not 1.", [](H& h) { GetWithAnArgument(Group(h), code::kItem); }},
        {host::kUnspecifiedFailure, u"The document of the character style groups is no longer open.",
         AfterAnotherOpens(Groups, [](auto& g) { GetInteger(g, code::kCount); })},
        {host::kUnspecifiedFailure, u"The document of a character style group is no longer open.",
         AfterAnotherOpens(Group, [](auto& g) { host::Get(g, code::kItem); })},
        {host::kUnspecifiedFailure, u"The document of a word is no longer open.",
         AfterAnotherOpens(Apple, [](auto& w) { GetObjectRef(w, code::kCharacters); })},
        {host::kUnspecifiedFailure, u"The document of a story is no longer open.", AfterAnotherOpens(Story, [](auto& s) { GetObjectRef(s, code::kWords); })},
        {host::kUnspecifiedFailure, u"The document of the words is no longer open.",
         AfterAnotherOpens(SelectedWords, [](auto& w) { GetInteger(w, code::kCount); })},
        {host::kUnspecifiedFailure, u"The document of the selection is no longer open.",
         AfterAnotherOpens(Selection, [](auto& s) { GetInteger(s, code::kCount); })},
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

// The in-process reads refuse a story the document lacks.
TEST(Errors, TextOfAnAbsentStoryIsRefused) {
    H host;
    host.loadDocumentJson(R"({"stories": [{"text": "an apple"}, {"text": ""}]})");
    EXPECT_EQ(host.storyText(0), u"an apple");
    EXPECT_EQ(host.storyText(1), u"");
    for (const std::int32_t story : {-1, 2}) {
        try {
            host.storyText(story);
            ADD_FAILURE() << story;
        } catch (const std::out_of_range& error) { EXPECT_EQ(std::string(error.what()), "no story " + std::to_string(story)); }
    }
}

TEST(Controls, ReachTheHostUncounted) {
    H host;
    const auto control = [&](host::DispatchId id, std::vector<Value> arguments) {
        return host.application()->invoke(id, host::InvokeKind::Method, arguments, host::ValueType::Any);
    };
    control(control::kLoadPlainText, {Value(u"three")});
    control(control::kDelayCalls, {Value(0)});
    EXPECT_EQ(control(control::kStoryText, {Value(0)}).text(), u"three");
    const sonotag::test::ScratchFolder folder;
    control(control::kLoadDocumentFile, {Value(folder.write("d.json", R"({"stories": [{"text": "four"}]})"))});
    EXPECT_EQ(control(control::kStoryText, {Value(0)}).text(), u"four");
    for (const auto& [id, arguments] :
         {std::pair{control::kDelayCalls, std::vector{Value(10001)}}, std::pair{control::kCallCount, std::vector{Value(0), Value(0)}}}) {
        const auto refused = ErrorOf([&] { control(id, arguments); });
        ASSERT_TRUE(refused) << id;
        EXPECT_EQ(refused->result(), host::kInvalidArgument);
    }
    EXPECT_EQ(host.totalCalls(), 0);
}

}}  // namespace sonotag::standin::test
