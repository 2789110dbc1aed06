#include "host/AutomationError.h"

#include <ostream>

#include <gtest/gtest.h>

#include "tests/support/CaseName.h"

namespace sonotag::host {
namespace {

struct MessageCase {
    const char* name;
    HResult result;
    std::optional<std::u16string> systemText;
    std::u16string expected;
};

void PrintTo(const MessageCase& c, std::ostream* out) { *out << c.name; }

class MessageText : public ::testing::TestWithParam<MessageCase> {};

TEST_P(MessageText, FollowsTheRules) {
    EXPECT_EQ(MakeMessageText(GetParam().result, GetParam().systemText), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Fallbacks, MessageText,
    ::testing::Values(
        MessageCase{"ExceptionCode5", MakeHResult(0x80040205), std::nullopt, u"IDispatch error #5"},
        MessageCase{"ExceptionCodeZeroIsUnknown", MakeHResult(0x80040200), std::nullopt, u"Unknown error 0x80040200"},
        MessageCase{"LastExceptionCode", MakeHResult(0x8004FFFF), std::nullopt, u"IDispatch error #65023"},
        MessageCase{"Unspecified", MakeHResult(0x80004005), std::nullopt, u"Unknown error 0x80004005"},
        MessageCase{"NoLeadingZeros", MakeHResult(0x0000ABCD), std::nullopt, u"Unknown error 0xABCD"},
        MessageCase{"EmptySystemTextFallsBack", MakeHResult(0x80004003), u"", u"Unknown error 0x80004003"}),
    test::CaseName());

INSTANTIATE_TEST_SUITE_P(
    SystemTexts, MessageText,
    ::testing::Values(
        MessageCase{"CrLfRemoved", kInvalidPointer, u"Invalid pointer\r\n", u"Invalid pointer"},
        MessageCase{"LfRemoved", kInvalidPointer, u"Invalid pointer\n", u"Invalid pointer"},
        MessageCase{"OnlyOneLineEndRemoved", kInvalidPointer, u"Text\r\n\r\n", u"Text\r\n"},
        MessageCase{"LoneCrStays", kInvalidPointer, u"Text\r", u"Text\r"},
        MessageCase{"SingleLfKept", kInvalidPointer, u"\n", u"\n"},
        MessageCase{"NothingElseTrimmed", kInvalidPointer, u" Text ", u" Text "}),
    test::CaseName());

TEST(AutomationError, ExceptionCodeDecidesTheResult) {
    EXPECT_EQ(AutomationError::FromException({5, MakeHResult(0x80004005), {}, {}}).result(), MakeHResult(0x80040205));
    EXPECT_EQ(AutomationError::FromException({0xFDFF, 0, {}, {}}).result(), MakeHResult(0x8004FFFF));
    EXPECT_EQ(AutomationError::FromException({0xFE00, 0, {}, {}}).result(), MakeHResult(0x8004FFFF));
    EXPECT_EQ(AutomationError::FromException({0, kBadIndex, {}, {}}).result(), kBadIndex);
}

TEST(AutomationError, ReportShowsSourceMessageAndDescription) {
    const AutomationError error =
        AutomationError::FromException({0, MakeHResult(0x80004005), u"InDesign", u"No document is open."});
    EXPECT_EQ(FormatErrorReport(error),
              u"发生错误:InDesign,原因:" + error.message() + u",描述:No document is open.!");
}

TEST(AutomationError, AbsentTextsPrintAsNull) {
    const AutomationError plain(kInvalidPointer);
    EXPECT_FALSE(plain.hasErrorInfo());
    EXPECT_EQ(FormatErrorReport(plain), u"发生错误:(null),原因:" + plain.message() + u",描述:(null)!");
    const AutomationError noSource = AutomationError::FromException({0, kBadIndex, std::nullopt, u"d"});
    EXPECT_EQ(FormatErrorReport(noSource), u"发生错误:(null),原因:" + noSource.message() + u",描述:d!");
}

TEST(AutomationError, CopiesShareErrorInformation) {
    const AutomationError original = AutomationError::FromException({0, kBadIndex, u"s", u"d"});
    const AutomationError copy = original;
    EXPECT_EQ(copy.exception(), original.exception());
    EXPECT_EQ(copy.result(), original.result());
    EXPECT_EQ(copy.message(), original.message());
    EXPECT_NE(&copy.message(), &original.message());
}

TEST(AutomationError, MessageIsMadeOnceAndKept) {
    const AutomationError error(kBadIndex);
    const std::u16string* first = &error.message();
    EXPECT_EQ(first, &error.message());
    EXPECT_FALSE(first->empty());
}

}  // namespace
}  // namespace sonotag::host
