#include "host/HostObject.h"

#include <functional>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "host/AutomationError.h"

namespace sonotag::host {
namespace {

// Answers every call with a fixed value and remembers what it was asked.
class Recorder : public HostObject {
public:
    explicit Recorder(Value answer) : answer_(std::move(answer)) {}

    Value invoke(DispatchId id, InvokeKind kind, std::span<const Value> arguments, ValueType resultType) override {
        calls.push_back({id, kind, std::vector<Value>(arguments.begin(), arguments.end())});
        return ChangeType(answer_, resultType);
    }

    struct Call {
        DispatchId id;
        InvokeKind kind;
        std::vector<Value> arguments;
    };
    std::vector<Call> calls;

private:
    Value answer_;
};

HResult ResultOf(const std::function<void()>& work) {
    try {
        work();
    } catch (const AutomationError& error) {
        return error.result();
    }
    return kOk;
}

TEST(DispatchCodes, AreTheLettersReadBigEndian) {
    EXPECT_EQ(code::kWords, 0x77726473);
    EXPECT_EQ(code::kActiveDocument, 0x70616364);
    EXPECT_EQ(code::kCharacterStyleGroups, 0x43737473);
    EXPECT_NE(code::kCharacterStyleGroups, code::kCharacterStyles);
}

TEST(HostCalls, EmptyReferenceFailsWithoutReachingTheHost) {
    const ObjectRef empty;
    EXPECT_EQ(ResultOf([&] { Get(empty, code::kWords); }), kInvalidPointer);
    EXPECT_EQ(ResultOf([&] { Put(empty, code::kContents, Value(u"x")); }), kInvalidPointer);
    EXPECT_EQ(ResultOf([&] { Call(empty, code::kUndo); }), kInvalidPointer);
    EXPECT_EQ(ResultOf([&] { Item(empty, 1); }), kInvalidPointer);
}

TEST(HostCalls, PassKindCodeAndArguments) {
    auto host = std::make_shared<Recorder>(Value());
    const ObjectRef object = host;
    Put(object, code::kContents, Value(u"text"));
    Call(object, code::kUndo);
    Item(object, 3);
    Item(object, u"Style");
    ASSERT_EQ(host->calls.size(), 4u);
    EXPECT_EQ(host->calls[0].kind, InvokeKind::Put);
    EXPECT_EQ(host->calls[0].id, code::kContents);
    EXPECT_EQ(host->calls[0].arguments.at(0).text(), u"text");
    EXPECT_EQ(host->calls[1].kind, InvokeKind::Method);
    EXPECT_EQ(host->calls[2].id, code::kItem);
    EXPECT_EQ(host->calls[2].arguments.at(0).integer(), 3);
    EXPECT_EQ(host->calls[3].arguments.at(0).text(), u"Style");
}

struct ConversionCase {
    Value from;
    ValueType to;
    std::optional<Value> expected;  // nothing: a type mismatch
};

TEST(ChangeType, ConvertsLikeAutomation) {
    const ConversionCase cases[] = {
        {Value(42), ValueType::Text, Value(u"42")},
        {Value(-7), ValueType::Text, Value(u"-7")},
        {Value(u" 12 "), ValueType::Integer, Value(12)},
        {Value(u"12a"), ValueType::Integer, std::nullopt},
        {Value(u""), ValueType::Integer, std::nullopt},
        {Value(u"99999999999"), ValueType::Integer, std::nullopt},
        {Value(), ValueType::Integer, Value(0)},
        {Value(), ValueType::Text, Value(u"")},
        {Value(ArrayBound{3}), ValueType::Integer, std::nullopt},
        {Value(5), ValueType::Object, std::nullopt},
        {Value(), ValueType::Object, Value(ObjectRef())},
        {Value(5), ValueType::Any, Value(5)},
    };
    for (const ConversionCase& c : cases) {
        if (!c.expected) {
            EXPECT_THROW(ChangeType(c.from, c.to), AutomationError);
            continue;
        }
        const Value converted = ChangeType(c.from, c.to);
        ASSERT_EQ(converted.type(), c.expected->type());
        if (converted.type() == ValueType::Integer) {
            EXPECT_EQ(converted.integer(), c.expected->integer());
        } else if (converted.type() == ValueType::Text) {
            EXPECT_EQ(converted.text(), c.expected->text());
        }
    }
}

TEST(ChangeType, ObjectStandsForItsDefaultValue) {
    const ObjectRef style = std::make_shared<Recorder>(Value(u"Phonetics"));
    EXPECT_EQ(ChangeType(Value(style), ValueType::Text).text(), u"Phonetics");
    EXPECT_EQ(ResultOf([] { ChangeType(Value(ObjectRef()), ValueType::Text); }), kTypeMismatch);
}

TEST(Value, WrongAccessIsATypeMismatch) {
    EXPECT_EQ(ResultOf([] { (void)Value(u"x").integer(); }), kTypeMismatch);
    EXPECT_EQ(ResultOf([] { (void)Value().object(); }), kTypeMismatch);
    EXPECT_EQ(Value(ArrayBound{4}).array().upperBound, 4);
}

}  // namespace
}  // namespace sonotag::host
