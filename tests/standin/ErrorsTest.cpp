// The stand-in fails like a real host: every failure is the automation error
// with the stand-in's source, an English description and a result.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/standin/StandInTesting.h"
#include "tests/support/CaseName.h"

namespace sonotag::standin::test {
namespace {

using host::InvokeKind;
using host::Item;
using host::ObjectRef;
using host::Value;
namespace code = host::code;

struct FailureCase {
    const char* name;
    std::function<void(StandInHost&)> prepare;
    std::function<void(StandInHost&)> call;
    host::HResult result;
    std::u16string description;
};

class Failures : public ::testing::TestWithParam<FailureCase> {};

TEST_P(Failures, RaiseTheHostsError) {
    StandInHost host;
    host.loadDocumentJson(R"({"stories": [{"text": "an apple"}, {"text": ""}], "selection": {"story": 0}})");
    if (GetParam().prepare) GetParam().prepare(host);
    const std::string before = host.hasDocument() ? host.dumpDocumentJson() : "";
    const auto error = ErrorOf([&] { GetParam().call(host); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->result(), GetParam().result);
    EXPECT_EQ(error->source(), std::u16string(kErrorSource));
    EXPECT_EQ(error->description(), GetParam().description);
    ASSERT_NE(error->exception(), nullptr);
    EXPECT_EQ(error->exception()->wCode, 0);
    if (host.hasDocument()) {
        EXPECT_EQ(host.dumpDocumentJson(), before) << "a failing call changes nothing";
    }
}

ObjectRef Words(StandInHost& host) { return SelectedWords(host); }
ObjectRef Apple(StandInHost& host) { return Item(Words(host), 2); }
ObjectRef Document(StandInHost& host) { return host::GetObjectRef(host.application(), code::kActiveDocument); }
Value Invoke(const ObjectRef& object, host::DispatchId id, InvokeKind kind, std::vector<Value> arguments = {}) {
    return object->invoke(id, kind, arguments, host::ValueType::Any);
}

INSTANTIATE_TEST_SUITE_P(
    Errors, Failures,
    ::testing::Values(
        FailureCase{"NoDocument", [](StandInHost& host) { host.closeDocument(); },
                    [](StandInHost& host) { Document(host); },
                    host::kUnspecifiedFailure, u"No document is open."},
        FailureCase{"EmptySelectionFirst", [](StandInHost& host) { host.select({}); },
                    [](StandInHost& host) { SelectedObject(host); },
                    host::kBadIndex, u"Nothing is selected."},
        FailureCase{"NoDocumentSelectionFirst", [](StandInHost& host) { host.closeDocument(); },
                    [](StandInHost& host) { SelectedObject(host); },
                    host::kBadIndex, u"Nothing is selected."},
        FailureCase{"WordIndexZero", nullptr, [](StandInHost& host) { Item(Words(host), 0); }, host::kBadIndex,
                    u"Index 0 is out of range: the words hold 2 items."},
        FailureCase{"WordIndexPastTheEnd", nullptr, [](StandInHost& host) { Item(Words(host), 3); }, host::kBadIndex,
                    u"Index 3 is out of range: the words hold 2 items."},
        FailureCase{"CharacterIndexPastTheEnd", nullptr, [](StandInHost& host) { Character(Apple(host), 6); },
                    host::kBadIndex, u"Index 6 is out of range: the characters hold 5 items."},
        FailureCase{"WordByName", nullptr, [](StandInHost& host) { Item(Words(host), u"apple"); }, host::kTypeMismatch,
                    u"Items of the words are chosen by index, not by name."},
        FailureCase{"LastOfEmptyStory", [](StandInHost& host) { host.select({1}); },
                    [](StandInHost& host) { host::CallForObject(Words(host), code::kLast); },
                    host::kBadIndex, u"The words hold no items."},
        FailureCase{"UnknownCode", nullptr, [](StandInHost& host) { host::Get(Apple(host), host::FourCharCode("zzzz")); },
                    host::kMemberNotFound, u"A word has no operation 'zzzz'."},
        FailureCase{"WordsOfAWord", nullptr, [](StandInHost& host) { host::Get(Apple(host), code::kWords); },
                    host::kMemberNotFound, u"A word has no operation 'wrds'."},
        FailureCase{"ContentsPutOnAWord", nullptr, [](StandInHost& host) { host::Put(Apple(host), code::kContents, u"x"); },
                    host::kMemberNotFound, u"'pcnt' of a word cannot be set."},
        FailureCase{"UndoRead", nullptr, [](StandInHost& host) { host::Get(Document(host), code::kUndo); },
                    host::kMemberNotFound, u"'undo' of a document cannot be read."},
        FailureCase{"CountCalled", nullptr, [](StandInHost& host) { host::Call(Words(host), code::kCount); },
                    host::kMemberNotFound, u"'cnte' of the words cannot be called as a method."},
        FailureCase{"CountWithArgument", nullptr,
                    [](StandInHost& host) { Invoke(Words(host), code::kCount, InvokeKind::Get, {Value(1)}); },
                    host::kBadParameterCount, u"'cnte' of the words takes 0 arguments, not 1."},
        FailureCase{"ItemWithoutArgumentOnWords", nullptr,
                    [](StandInHost& host) { Invoke(Words(host), code::kItem, InvokeKind::Get); },
                    host::kMemberNotFound, u"There is no default value of the words."},
        FailureCase{"FontOnAnInsertionPoint", nullptr,
                    [](StandInHost& host) {
                        host::Put(host::CallForObject(host::GetObjectRef(Apple(host), kInsertionPoints), kLast),
                                  kAppliedFont, u"Arial");
                    },
                    host::kMemberNotFound, u"An insertion point has no operation 'font'."},
        FailureCase{"FontAsNumber", nullptr, [](StandInHost& host) { host::Put(Character(Apple(host), 1), kAppliedFont, 7); },
                    host::kTypeMismatch, u"A font is given by its name, as a string."},
        FailureCase{"EmptyFont", nullptr, [](StandInHost& host) { host::Put(Character(Apple(host), 1), kAppliedFont, u""); },
                    host::kInvalidArgument, u"The font name is empty."},
        FailureCase{"StyleAsText", nullptr,
                    [](StandInHost& host) { host::Put(Character(Apple(host), 1), kAppliedCharacterStyle, u"[无]"); },
                    host::kTypeMismatch, u"A character style is given as a character style object."},
        FailureCase{"StyleAsWord", nullptr,
                    [](StandInHost& host) {
                        host::Put(Character(Apple(host), 1), kAppliedCharacterStyle, Value(Apple(host)));
                    },
                    host::kTypeMismatch, u"A character style is given as a character style object."},
        FailureCase{"InsertNumber", nullptr,
                    [](StandInHost& host) {
                        host::Put(host::CallForObject(host::GetObjectRef(Apple(host), kInsertionPoints), kLast),
                                  kContents, 5);
                    },
                    host::kTypeMismatch, u"The text to insert must be a string."},
        FailureCase{"PrivateCodeWithBadArgument", nullptr,
                    [](StandInHost& host) {
                        Invoke(host.application(), host::FourCharCode("SHse"), InvokeKind::Method, {Value(u"x")});
                    },
                    host::kInvalidArgument, u"A story index must be an integer."}),
    sonotag::test::CaseName());

TEST(Errors, ObjectsOfAReplacedDocumentFail) {
    StandInHost host;
    host.loadPlainText(u"an apple");
    const ObjectRef apple = Item(SelectedWords(host), 2);
    const ObjectRef document = host::GetObjectRef(host.application(), code::kActiveDocument);
    host.loadPlainText(u"other");

    const auto wordError = ErrorOf([&] { TextOf(apple); });
    ASSERT_TRUE(wordError);
    EXPECT_EQ(wordError->result(), host::kUnspecifiedFailure);
    EXPECT_EQ(wordError->description(), u"The document of a word is no longer open.");
    const auto documentError = ErrorOf([&] { host::Call(document, code::kUndo); });
    ASSERT_TRUE(documentError);
    EXPECT_EQ(documentError->description(), u"The document is no longer open.");
    EXPECT_EQ(UndoLevel(host), -1) << "the new document answers";
}

TEST(Errors, NoSelectionWithoutADocumentCountsZero) {
    StandInHost host;
    const ObjectRef selection = host::GetObjectRef(host.application(), code::kSelection);
    EXPECT_EQ(host::GetInteger(selection, kCount), 0);
}

TEST(Errors, SeveralSelectedObjectsCountAsSuch) {
    StandInHost host;
    host.loadDocumentFile(FixtureProgramPath("lesson.json"));
    host.select({1, 0});
    const ObjectRef selection = host::GetObjectRef(host.application(), code::kSelection);
    EXPECT_EQ(host::GetInteger(selection, kCount), 2);
    EXPECT_EQ(TextOf(host::CallForObject(selection, code::kFirst)), u"A second frame.");
    EXPECT_THROW(host.select({0, 0}), std::invalid_argument);
    EXPECT_THROW(host.select({2}), std::invalid_argument);
}

TEST(Errors, ResultsOfAnotherTypeAreConverted) {
    StandInHost host;
    host.loadPlainText(u"42 x");
    const ObjectRef number = Item(SelectedWords(host), 1);
    EXPECT_EQ(host::Get(number, code::kContents, host::ValueType::Integer).integer(), 42);
    const auto words = SelectedWords(host);
    EXPECT_EQ(host::Get(words, code::kCount, host::ValueType::Text).text(), u"2");
    const auto error = ErrorOf([&] { host::Get(Item(words, 2), code::kContents, host::ValueType::Integer); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->result(), host::kTypeMismatch);
    const ObjectRef document = host::GetObjectRef(host.application(), code::kActiveDocument);
    EXPECT_EQ(host::Get(document, code::kUndoHistory).array().upperBound, -1);
}

}  // namespace
}  // namespace sonotag::standin::test
