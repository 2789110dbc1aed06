#include "app/ShellRules.h"

#include <gtest/gtest.h>

#include <string>

namespace sonotag {
namespace {

struct NameCase {
    std::u16string path;
    std::u16string name;
};

TEST(ApplicationName, IsTheFileNameWithoutItsExtension) {
    const NameCase cases[] = {
        {u"C:\\Tools\\Sonotag.exe", u"Sonotag"},
        {u"C:\\Tools\\my.tool.exe", u"my.tool"},   // only the last extension goes
        {u"C:\\dir.with.dots\\Sonotag", u"Sonotag"},  // a dot in a folder is no extension
        {u"Sonotag.exe", u"Sonotag"},
        {u"/opt/sonotag/Sonotag.exe", u"Sonotag"},
        {u"C:\\Tools\\.hidden", u".hidden"},
        {u"", u""},
    };
    for (const auto& c : cases) EXPECT_EQ(ApplicationName(c.path), c.name);
}

TEST(MessageBoxType, PlainRequestsGetTheExclamationIcon) {
    EXPECT_EQ(MessageBoxTypeWithIcon(0), kMessageBoxIconExclamation);
    EXPECT_EQ(MessageBoxTypeWithIcon(0x1), 0x1u | kMessageBoxIconExclamation);  // OK/Cancel keeps its buttons
    EXPECT_EQ(MessageBoxTypeWithIcon(kMessageBoxIconStop), kMessageBoxIconStop);
    EXPECT_EQ(MessageBoxTypeWithIcon(kMessageBoxIconInformation | 0x4), kMessageBoxIconInformation | 0x4u);
}

}  // namespace
}  // namespace sonotag
