#include <gtest/gtest.h>

#include "base/Utf.h"
#include "host/AutomationError.h"
#include "host/HostObject.h"

namespace sonotag::host { namespace {

TEST(AutomationError, MessageTextFollowsTheRules) {
    const std::tuple<HResult, std::optional<std::u16string>, std::u16string> cases[] = {
        {MakeHResult(0x80040205), std::nullopt, u"IDispatch error #5"},
        {MakeHResult(0x8004FFFF), std::nullopt, u"IDispatch error #65023"},
        {MakeHResult(0x0000ABCD), std::nullopt, u"Unknown error 0xABCD"},
        {kInvalidPointer, u"Text\r\n\r\n", u"Text\r\n"},  // one line end removed
        {kInvalidPointer, u"Text\n", u"Text"},
        {kInvalidPointer, u"\n", u"\n"},
        {kInvalidPointer, u"Text\r", u"Text\r"},
        {MakeHResult(0x80040200), std::nullopt, u"Unknown error 0x80040200"},
        {MakeHResult(0x80050000), std::nullopt, u"Unknown error 0x80050000"},
    };
    for (const auto& [result, systemText, expected] : cases) EXPECT_EQ(MakeMessageText(result, systemText), expected);
    for (const auto& [text, kept] : {std::pair{u"Bad %1 here", false}, {u"%9", false}, {u"100% sure", true}, {u"%0 and %a", true}, {u"ends in %", true}}) {
        EXPECT_EQ(WithoutInserts(std::u16string(text)).has_value(), kept) << Utf16ToUtf8(text);
    }
    // An exception code counts from 0x80040200; from 0xFE00 on, past 0x8004FFFF, that one result stands for all.
    for (const auto& [wCode, result] : {std::pair{0x5u, 0x80040205u}, {0xFDFFu, 0x8004FFFFu}, {0xFE00u, 0x8004FFFFu}, {0u, 0x80020009u}}) {
        EXPECT_EQ(AutomationError::fromException({static_cast<std::uint16_t>(wCode), MakeHResult(0x80020009), std::nullopt, std::nullopt}).result(),
                  MakeHResult(result));
    }
}

// An error assigned over another gives its own message, not the one read before.
TEST(AutomationError, AssignedErrorGivesItsOwnMessage) {
    AutomationError error(MakeHResult(0x80040205));
    EXPECT_EQ(error.message(), u"IDispatch error #5");
    const AutomationError other(MakeHResult(0x0000ABCD));
    error = other;
    EXPECT_EQ(error.message(), u"Unknown error 0xABCD");
    EXPECT_EQ(error.result(), other.result());
}

// The report the user reads: source, message and description, "(null)" for what is absent.
TEST(AutomationError, ReportShowsSourceMessageAndDescription) {
    const AutomationError error = AutomationError::fromException({0, kBadIndex, u"InDesign", u"No document."});
    EXPECT_EQ(FormatErrorReport(error), u"发生错误:InDesign,原因:" + error.message() + u",描述:No document.!");
    const AutomationError plain(kInvalidPointer);
    EXPECT_FALSE(plain.hasErrorInfo());
    EXPECT_EQ(FormatErrorReport(plain), u"发生错误:(null),原因:" + plain.message() + u",描述:(null)!");
}

// Automation's conversions; an empty text: a type mismatch.
TEST(ChangeType, ConvertsLikeAutomation) {
    const std::tuple<Value, ValueType, std::u16string> cases[] = {
        {Value(-42), ValueType::Text, u"-42"},           {Value(u" 12 "), ValueType::Integer, u"12"}, {Value(), ValueType::Integer, u"0"},
        {Value(u"12a"), ValueType::Integer, u""},        {Value(u""), ValueType::Integer, u""},       {Value(u"99999999999"), ValueType::Integer, u""},
        {Value(ArrayBound{3}), ValueType::Integer, u""}, {Value(5), ValueType::Object, u""},          {Value(ObjectRef()), ValueType::Text, u""},
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

}}  // namespace sonotag::host
