#include "host/HostObject.h"

#include <gtest/gtest.h>

#include "host/AutomationError.h"

namespace sonotag::host {
namespace {

// Automation's conversions; an empty text: a type mismatch.
TEST(ChangeType, ConvertsLikeAutomation) {
    const std::tuple<Value, ValueType, std::u16string> cases[] = {
        {Value(-42), ValueType::Text, u"-42"}, {Value(u" 12 "), ValueType::Integer, u"12"}, {Value(), ValueType::Integer, u"0"},
        {Value(u"12a"), ValueType::Integer, u""}, {Value(u""), ValueType::Integer, u""}, {Value(u"99999999999"), ValueType::Integer, u""},
        {Value(ArrayBound{3}), ValueType::Integer, u""}, {Value(5), ValueType::Object, u""}, {Value(ObjectRef()), ValueType::Text, u""},
    };
    for (const auto& [from, to, expected] : cases) {
        try {
            EXPECT_EQ(ChangeType(ChangeType(from, to), ValueType::Text).text(), expected);
        } catch (const AutomationError& error) {
            EXPECT_EQ(expected, u"");
            EXPECT_EQ(error.result(), kTypeMismatch);
        }
    }
    EXPECT_THROW(Get(ObjectRef(), code::kWords), AutomationError);  // an empty reference never reaches a host
}

}  // namespace
}  // namespace sonotag::host
