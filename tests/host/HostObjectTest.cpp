#include "host/HostObject.h"

#include <optional>

#include <gtest/gtest.h>

#include "host/AutomationError.h"
#include "standin/StandInHost.h"

namespace sonotag::host {
namespace {

// Automation's conversions; nothing expected: a type mismatch.
TEST(ChangeType, ConvertsLikeAutomation) {
    standin::StandInHost stand;
    stand.loadDocumentJson(R"({"characterStyles": [":Phonetics"]})");
    const Value style(Item(GetObjectRef(GetObjectRef(stand.application(), code::kActiveDocument), code::kCharacterStyles), 2));
    const struct {
        Value from;
        ValueType to;
        std::optional<Value> expected;
    } cases[] = {
        {Value(-42), ValueType::Text, Value(u"-42")},  {Value(u" 12 "), ValueType::Integer, Value(12)},
        {Value(u"12a"), ValueType::Integer, {}},       {Value(u""), ValueType::Integer, {}},
        {Value(u"99999999999"), ValueType::Integer, {}}, {Value(), ValueType::Integer, Value(0)},
        {Value(), ValueType::Text, Value(u"")},        {Value(ArrayBound{3}), ValueType::Integer, {}},
        {Value(5), ValueType::Object, {}},             {Value(5), ValueType::Any, Value(5)},
        {style, ValueType::Text, Value(u"Phonetics")},  // an object stands for its default value
        {Value(ObjectRef()), ValueType::Text, {}},
    };
    for (const auto& c : cases) {
        try {
            const Value converted = ChangeType(c.from, c.to);
            ASSERT_TRUE(c.expected);
            ASSERT_EQ(converted.type(), c.expected->type());
            EXPECT_EQ(converted.type() == ValueType::Text ? converted.text() : u"", c.expected->type() == ValueType::Text ? c.expected->text() : u"");
            EXPECT_EQ(converted.type() == ValueType::Integer ? converted.integer() : 0, c.expected->type() == ValueType::Integer ? c.expected->integer() : 0);
        } catch (const AutomationError& error) {
            EXPECT_FALSE(c.expected);
            EXPECT_EQ(error.result(), kTypeMismatch);
        }
    }
    EXPECT_THROW(Get(ObjectRef(), code::kWords), AutomationError);  // an empty reference never reaches a host
}

}  // namespace
}  // namespace sonotag::host
