// The character style tree: groups and styles by index and by name, names as
// default values, and style paths.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "standin/StyleTree.h"
#include "tests/standin/StandInTesting.h"
#include "tests/support/CaseName.h"

namespace sonotag::standin::test {
namespace {

using host::Item;
using host::ObjectRef;
using host::code::kCharacterStyleGroups;
using host::code::kCharacterStyles;

std::u16string NameOf(const ObjectRef& object) {
    return host::Get(object, host::code::kItem, host::ValueType::Text).text();
}

// The walk the settings dialog makes: each container's groups (depth first),
// then its own styles, each collection by index.
void CollectPaths(const ObjectRef& container, const std::u16string& prefix, std::vector<std::u16string>& paths) {
    const ObjectRef groups = host::GetObjectRef(container, kCharacterStyleGroups);
    for (std::int32_t i = 1; i <= host::GetInteger(groups, kCount); ++i) {
        const ObjectRef group = Item(groups, i);
        CollectPaths(group, prefix + u":" + NameOf(group), paths);
    }
    const ObjectRef styles = host::GetObjectRef(container, kCharacterStyles);
    const std::int32_t count = host::GetInteger(styles, kCount);
    for (std::int32_t i = 1; i <= count; ++i) paths.push_back(prefix + u":" + NameOf(Item(styles, i)));
}

class Styles : public ::testing::Test {
protected:
    void SetUp() override { host.loadDocumentFile(FixtureProgramPath("lesson.json")); }
    ObjectRef document() { return host::GetObjectRef(host.application(), host::code::kActiveDocument); }

    StandInHost host;
};

TEST_F(Styles, WalkByIndexFindsEveryPath) {
    std::vector<std::u16string> paths;
    CollectPaths(document(), u"", paths);
    const std::vector<std::u16string> expected{u":Group:Inner:Deep", u":Group:Phonetics2", u":[无]", u":Phonetics"};
    EXPECT_EQ(paths, expected);
}

TEST_F(Styles, LookupByNameThroughNestedGroups) {
    const ObjectRef group = Item(host::GetObjectRef(document(), kCharacterStyleGroups), u"Group");
    EXPECT_EQ(NameOf(group), u"Group");
    const ObjectRef inner = Item(host::GetObjectRef(group, kCharacterStyleGroups), u"Inner");
    const ObjectRef deep = Item(host::GetObjectRef(inner, kCharacterStyles), u"Deep");
    EXPECT_EQ(NameOf(deep), u"Deep");
    // An object stands for its name where text is asked for.
    EXPECT_EQ(host::ChangeType(host::Value(deep), host::ValueType::Text).text(), u"Deep");
    EXPECT_EQ(NameOf(Item(host::GetObjectRef(document(), kCharacterStyles), 2)), u"Phonetics");
    EXPECT_EQ(host::GetInteger(host::GetObjectRef(inner, kCharacterStyleGroups), kCount), 0);
}

TEST_F(Styles, UnknownNamesAndIndexesFail) {
    const ObjectRef styles = host::GetObjectRef(document(), kCharacterStyles);
    const ObjectRef groups = host::GetObjectRef(document(), kCharacterStyleGroups);
    const struct {
        const char* what;
        std::function<void()> call;
        host::HResult result;
        std::u16string description;
    } cases[] = {
        {"unknown style", [&] { Item(styles, u"Deep"); }, host::kBadIndex,
         u"The character styles hold no item named \"Deep\"."},
        {"names are case-sensitive", [&] { Item(styles, u"phonetics"); }, host::kBadIndex,
         u"The character styles hold no item named \"phonetics\"."},
        {"unknown group", [&] { Item(groups, u"Inner"); }, host::kBadIndex,
         u"The character style groups hold no item named \"Inner\"."},
        {"index 0", [&] { Item(styles, 0); }, host::kBadIndex,
         u"Index 0 is out of range: the character styles hold 2 items."},
        {"index past the end", [&] { Item(groups, 2); }, host::kBadIndex,
         u"Index 2 is out of range: the character style groups hold 1 item."},
    };
    for (const auto& c : cases) {
        const auto error = ErrorOf(c.call);
        ASSERT_TRUE(error) << c.what;
        EXPECT_EQ(error->result(), c.result) << c.what;
        EXPECT_EQ(error->description(), c.description) << c.what;
    }
}

TEST_F(Styles, AppliedStyleShowsInTheDumpByPath) {
    const ObjectRef group = Item(host::GetObjectRef(document(), kCharacterStyleGroups), 1);
    const ObjectRef deep =
        Item(host::GetObjectRef(Item(host::GetObjectRef(group, kCharacterStyleGroups), 1), kCharacterStyles), 1);
    host::Put(Character(Item(SelectedWords(host), 2), 1), kAppliedCharacterStyle, host::Value(deep));
    EXPECT_NE(host.dumpDocumentJson().find(R"("start": 4,
          "length": 1,
          "characterStyle": ":Group:Inner:Deep")"),
              std::string::npos)
        << host.dumpDocumentJson();
}

TEST_F(Styles, AStyleOfAnotherDocumentIsRefused) {
    StandInHost other;
    other.loadDocumentFile(FixtureProgramPath("lesson.json"));
    const ObjectRef foreign =
        Item(host::GetObjectRef(host::GetObjectRef(other.application(), host::code::kActiveDocument), kCharacterStyles), 1);
    const std::string before = host.dumpDocumentJson();
    const auto error = ErrorOf(
        [&] { host::Put(Character(Item(SelectedWords(host), 1), 1), kAppliedCharacterStyle, host::Value(foreign)); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->result(), host::kInvalidArgument);
    EXPECT_EQ(host.dumpDocumentJson(), before);
}

TEST(StyleTree, KeepsNoStyleFirstAndListsPathsInOrder) {
    StyleTree tree;
    for (const auto* path : {u":A", u":G:B", u":G:H:", u":G:C", u":K:L:M"}) tree.add(path);
    tree.addNoStyleIfMissing();
    const std::vector<std::u16string> expected{u":[无]", u":A", u":G:B", u":G:C", u":G:H:", u":K:L:M"};
    EXPECT_EQ(tree.paths(), expected);
    ASSERT_TRUE(tree.find(u":G:C"));
    EXPECT_EQ(tree.pathOf(*tree.find(u":G:C")), u":G:C");
    EXPECT_FALSE(tree.find(u":G:H"));  // a group, not a style
    EXPECT_FALSE(tree.find(u"G:B"));   // no leading colon
    EXPECT_FALSE(tree.find(u":K:M"));
}

struct BadPathCase {
    const char* name;
    std::u16string path;
    std::string problem;
};

class BadPaths : public ::testing::TestWithParam<BadPathCase> {};

TEST_P(BadPaths, AreRefusedWithTheReason) {
    StyleTree tree;
    tree.add(u":G:Taken");
    try {
        tree.add(GetParam().path);
        FAIL() << "accepted";
    } catch (const std::invalid_argument& error) {
        EXPECT_NE(std::string(error.what()).find(GetParam().problem), std::string::npos) << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(StyleTree, BadPaths,
                         ::testing::Values(BadPathCase{"Empty", u"", "does not begin with \":\""},
                                           BadPathCase{"NoColon", u"Phonetics", "does not begin with \":\""},
                                           BadPathCase{"EmptyStyle", u":", "has an empty style name"},
                                           BadPathCase{"EmptyGroup", u"::X", "has an empty group name"},
                                           BadPathCase{"EmptyInnerGroup", u":G::X", "has an empty group name"},
                                           BadPathCase{"Twice", u":G:Taken", "is listed twice"},
                                           BadPathCase{"GroupTwice", u":G:", "names a group that is already there"}),
                         sonotag::test::CaseName());

}  // namespace
}  // namespace sonotag::standin::test
