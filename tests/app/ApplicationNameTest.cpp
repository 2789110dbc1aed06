#include "app/ApplicationName.h"

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

TEST(HelpPagePath, IsBesideTheProgram) {
    EXPECT_EQ(HelpPagePath(u"C:\\Program Files\\Sonotag"), u"C:\\Program Files\\Sonotag\\help.html");
}

TEST(MessageBoxType, PlainRequestsGetTheExclamationIcon) {
    EXPECT_EQ(MessageBoxTypeWithIcon(0), kMessageBoxIconExclamation);
    EXPECT_EQ(MessageBoxTypeWithIcon(0x1), 0x1u | kMessageBoxIconExclamation);  // OK/Cancel keeps its buttons
    EXPECT_EQ(MessageBoxTypeWithIcon(kMessageBoxIconStop), kMessageBoxIconStop);
    EXPECT_EQ(MessageBoxTypeWithIcon(kMessageBoxIconInformation | 0x4), kMessageBoxIconInformation | 0x4u);
}

TEST(MessageBoxType, FollowsTheCoreMessageIcon) {
    EXPECT_EQ(MessageBoxTypeFor(MessageIcon::None), kMessageBoxIconExclamation);
    EXPECT_EQ(MessageBoxTypeFor(MessageIcon::Stop), kMessageBoxIconStop);
    EXPECT_EQ(MessageBoxTypeFor(MessageIcon::Information), kMessageBoxIconInformation);
}

TEST(AboutCommand, IsEveryIdWhoseHighBitsAre16) {
    for (unsigned id = 16; id <= 31; ++id) EXPECT_TRUE(IsAboutCommand(id)) << id;
    for (unsigned id : {0u, 15u, 32u, 0xF060u /* SC_CLOSE */, 0xF020u /* SC_MINIMIZE */}) {
        EXPECT_FALSE(IsAboutCommand(id)) << id;
    }
}

}  // namespace
}  // namespace sonotag
