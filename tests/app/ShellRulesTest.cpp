#include "app/ShellRules.h"

#include <gtest/gtest.h>

namespace sonotag {
namespace {

// A box shows the icon asked for, else the exclamation; its buttons stay.
TEST(MessageBoxType, TheIconAskedForElseTheExclamation) {
    const struct { unsigned requested, shown; } cases[] = {
        {0, kMessageBoxIconExclamation},
        {0x1, 0x1 | kMessageBoxIconExclamation},
        {kMessageBoxIconStop, kMessageBoxIconStop},
        {kMessageBoxIconInformation | 0x4, kMessageBoxIconInformation | 0x4},
    };
    for (const auto& c : cases) EXPECT_EQ(MessageBoxTypeWithIcon(c.requested), c.shown) << c.requested;
    EXPECT_EQ(MessageBoxTypeFor(MessageIcon::Stop), kMessageBoxIconStop);
    EXPECT_EQ(MessageBoxTypeFor(MessageIcon::Information), kMessageBoxIconInformation);
    EXPECT_EQ(MessageBoxTypeFor(MessageIcon::None), kMessageBoxIconExclamation);
}

}  // namespace
}  // namespace sonotag
