#include "host/AutomationError.h"

#include <gtest/gtest.h>

namespace sonotag::host {
namespace {

TEST(AutomationError, MessageTextFollowsTheRules) {
    const struct {
        HResult result;
        std::optional<std::u16string> systemText;
        std::u16string expected;
    } cases[] = {
        {MakeHResult(0x80040205), std::nullopt, u"IDispatch error #5"},
        {MakeHResult(0x8004FFFF), std::nullopt, u"IDispatch error #65023"},
        {MakeHResult(0x0000ABCD), std::nullopt, u"Unknown error 0xABCD"},
        {MakeHResult(0x80004003), u"", u"Unknown error 0x80004003"},
        {kInvalidPointer, u"Text\r\n\r\n", u"Text\r\n"},  // one line end removed
        {kInvalidPointer, u"Text\n", u"Text"},
        {kInvalidPointer, u"\n", u"\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(MakeMessageText(c.result, c.systemText), c.expected);
    EXPECT_EQ(AutomationError::FromException({5, MakeHResult(0x80004005), {}, {}}).result(), MakeHResult(0x80040205));
    EXPECT_EQ(AutomationError::FromException({0xFE00, 0, {}, {}}).result(), MakeHResult(0x8004FFFF));
    EXPECT_EQ(AutomationError::FromException({0, kBadIndex, {}, {}}).result(), kBadIndex);
}

// The report the user reads: source, message and description, "(null)" for what is absent.
TEST(AutomationError, ReportShowsSourceMessageAndDescription) {
    const AutomationError error = AutomationError::FromException({0, kBadIndex, u"InDesign", u"No document."});
    EXPECT_EQ(FormatErrorReport(error), u"发生错误:InDesign,原因:" + error.message() + u",描述:No document.!");
    const AutomationError plain(kInvalidPointer);
    EXPECT_FALSE(plain.hasErrorInfo());
    EXPECT_EQ(FormatErrorReport(plain), u"发生错误:(null),原因:" + plain.message() + u",描述:(null)!");
}

}  // namespace
}  // namespace sonotag::host
