// Style paths resolved and listed in the stand-in host's document of nested
// style groups.

#include "host/CharacterStyle.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/settings/StandInDocument.h"
#include "tests/support/CaseName.h"

namespace sonotag::host {
namespace {

using test::NestedStylePaths;

constexpr char16_t kEarlier[] = u"<earlier>";
constexpr char16_t kNone[] = u"<none>";

host::ExceptionInfo HostFailure() {
    host::ExceptionInfo failure;
    failure.scode = host::kUnspecifiedFailure;
    failure.description = u"injected";
    return failure;
}

struct ResolveCase {
    const char* name;
    std::u16string path;
    StyleResolution form;
    std::u16string expected;  // the resolved style's name, kEarlier or kNone
};

class ResolveStylePath : public test::NestedStyles, public ::testing::WithParamInterface<ResolveCase> {};

TEST_P(ResolveStylePath, SetsTheStyleOrKeepsTheEarlierOne) {
    host::ObjectRef style;
    ResolveCharacterStyle(application(), u":Group:Phonetics2", style, StyleResolution::Load);
    const host::ObjectRef earlier = style;
    ASSERT_EQ(NameOf(earlier), u"Phonetics2");

    ResolveCharacterStyle(application(), GetParam().path, style, GetParam().form);
    if (GetParam().expected == kEarlier) {
        EXPECT_EQ(style, earlier);
    } else {
        EXPECT_EQ(NameOf(style), GetParam().expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    LoadForm, ResolveStylePath,
    ::testing::Values(ResolveCase{"TopLevel", u":Phonetics", StyleResolution::Load, u"Phonetics"},
                      ResolveCase{"InGroup", u":G1:Mid", StyleResolution::Load, u"Mid"},
                      ResolveCase{"NestedGroups", u":G1:G2:Deep", StyleResolution::Load, u"Deep"},
                      ResolveCase{"ChineseNames", u":音标:国际音标", StyleResolution::Load, u"国际音标"},
                      ResolveCase{"TextBeforeFirstColonIgnored", u"old:Phonetics", StyleResolution::Load,
                                  u"Phonetics"},
                      ResolveCase{"NoStyleIsLookedUpAsAStyle", u":[无]", StyleResolution::Load, u"[无]"},
                      ResolveCase{"NoColon", u"Phonetics", StyleResolution::Load, kEarlier},
                      ResolveCase{"Empty", u"", StyleResolution::Load, kEarlier},
                      ResolveCase{"OnlyColon", u":", StyleResolution::Load, kEarlier},
                      ResolveCase{"MissingStyle", u":Missing", StyleResolution::Load, kEarlier},
                      ResolveCase{"MissingGroup", u":G9:Deep", StyleResolution::Load, kEarlier},
                      ResolveCase{"StyleOfAnotherGroup", u":G1:Deep", StyleResolution::Load, kEarlier},
                      ResolveCase{"GroupIsNoStyle", u":G1:G2", StyleResolution::Load, kEarlier},
                      ResolveCase{"TrailingColon", u":G1:", StyleResolution::Load, kEarlier},
                      ResolveCase{"HostComparesWithCase", u":phonetics", StyleResolution::Load, kEarlier},
                      ResolveCase{"BeginningIsNotEnough", u":Phon", StyleResolution::Load, kEarlier}),
    test::CaseName());

INSTANTIATE_TEST_SUITE_P(
    DialogForm, ResolveStylePath,
    ::testing::Values(ResolveCase{"Empty", u"", StyleResolution::Dialog, kNone},
                      ResolveCase{"OnlyColon", u":", StyleResolution::Dialog, kNone},
                      ResolveCase{"NoStyle", u":[无]", StyleResolution::Dialog, kNone},
                      ResolveCase{"NoStyleInsideGroupIsLookedUp", u":G1:[无]", StyleResolution::Dialog, kEarlier},
                      ResolveCase{"TopLevel", u":Phonetics", StyleResolution::Dialog, u"Phonetics"},
                      ResolveCase{"NestedGroups", u":G1:G2:Deeper", StyleResolution::Dialog, u"Deeper"},
                      ResolveCase{"NoColon", u"Phonetics", StyleResolution::Dialog, kEarlier},
                      ResolveCase{"Missing", u":Missing", StyleResolution::Dialog, kEarlier}),
    test::CaseName());

using StyleResolutionFailures = test::NestedStyles;

TEST_F(StyleResolutionFailures, EveryFailingCallKeepsTheEarlierStyle) {
    host::ObjectRef style;
    ResolveCharacterStyle(application(), u":A", style, StyleResolution::Load);
    const host::ObjectRef earlier = style;
    host.resetCallCounts();
    ResolveCharacterStyle(application(), u":G1:G2:Deep", style, StyleResolution::Dialog);
    const std::int64_t calls = host.totalCalls();
    ASSERT_GE(calls, 7);  // document, groups, G1, groups, G2, styles, Deep
    for (std::int64_t k = 1; k <= calls; ++k) {
        style = earlier;
        host.failCall(k, HostFailure());
        ResolveCharacterStyle(application(), u":G1:G2:Deep", style, StyleResolution::Dialog);
        EXPECT_EQ(style, earlier) << "failing call " << k;
        host.failCall(0, {});
    }
}

TEST_F(StyleResolutionFailures, NoDocumentOrNoApplicationKeepsTheStyle) {
    host::ObjectRef style;
    ResolveCharacterStyle(application(), u":A", style, StyleResolution::Load);
    const host::ObjectRef earlier = style;
    host.closeDocument();
    for (const auto form : {StyleResolution::Load, StyleResolution::Dialog}) {
        ResolveCharacterStyle(application(), u":Phonetics", style, form);
        EXPECT_EQ(style, earlier);
        ResolveCharacterStyle(nullptr, u":Phonetics", style, form);
        EXPECT_EQ(style, earlier);
    }
}

TEST_F(StyleResolutionFailures, HoldsOnlyTheStyleAfterwards) {
    host::ObjectRef style;
    ResolveCharacterStyle(application(), u":G1:G2:Deep", style, StyleResolution::Load);
    EXPECT_EQ(host.liveObjects(), 1);
    ResolveCharacterStyle(application(), u":G1:Missing", style, StyleResolution::Load);
    EXPECT_EQ(host.liveObjects(), 1);
    style.reset();
    EXPECT_EQ(host.liveObjects(), 0);
}

// ---- The style list.

using DocumentStyleList = test::NestedStyles;

TEST_F(DocumentStyleList, ListsNestedGroupsDepthFirstBeforeOwnStyles) {
    const StyleList list = ListDocumentStyles(application());
    EXPECT_TRUE(list.complete);
    EXPECT_EQ(list.entries, NestedStylePaths());
    EXPECT_EQ(host.liveObjects(), 0);
}

TEST_F(DocumentStyleList, GroupListsWithItsOwnPathAsPrefix) {
    const host::ObjectRef document = host::GetObjectRef(application(), host::code::kActiveDocument);
    const host::ObjectRef g1 = host::Item(host::GetObjectRef(document, host::code::kCharacterStyleGroups), u"G1");
    std::vector<std::u16string> entries{u":kept"};
    FillStyleList(g1, u":G1", entries);
    const std::vector<std::u16string> expected{u":kept", u":G1:G2:Deep", u":G1:G2:Deeper", u":G1:G3:Other",
                                               u":G1:Mid"};
    EXPECT_EQ(entries, expected);
}

TEST_F(DocumentStyleList, SmallDocumentListsGroupStyleAfterNone) {
    host.loadDocumentJson(R"({"characterStyles": [":A", ":G:B"], "stories": [{"text": "x"}]})");
    const std::vector<std::u16string> expected{u":G:B", u":[无]", u":A"};
    EXPECT_EQ(ListDocumentStyles(application()).entries, expected);
}

TEST_F(DocumentStyleList, EveryFailingCallEndsTheListWithWhatWasListed) {
    host.resetCallCounts();
    ASSERT_TRUE(ListDocumentStyles(application()).complete);
    const std::int64_t calls = host.totalCalls();
    std::size_t longest = 0;
    for (std::int64_t k = 1; k <= calls; ++k) {
        host.failCall(k, HostFailure());
        const StyleList list = ListDocumentStyles(application());
        host.failCall(0, {});
        EXPECT_FALSE(list.complete) << "failing call " << k;
        ASSERT_LT(list.entries.size(), NestedStylePaths().size()) << "failing call " << k;
        EXPECT_TRUE(std::equal(list.entries.begin(), list.entries.end(), NestedStylePaths().begin()))
            << "failing call " << k;
        EXPECT_EQ(host.liveObjects(), 0) << "failing call " << k;
        longest = std::max(longest, list.entries.size());
    }
    // The last call reads the last style's name: everything before it stays.
    EXPECT_EQ(longest, NestedStylePaths().size() - 1);
}

TEST_F(DocumentStyleList, NoDocumentOrNoApplicationListsNothing) {
    EXPECT_TRUE(ListDocumentStyles(nullptr).entries.empty());
    EXPECT_FALSE(ListDocumentStyles(nullptr).complete);
    host.closeDocument();
    EXPECT_TRUE(ListDocumentStyles(application()).entries.empty());
    EXPECT_FALSE(ListDocumentStyles(application()).complete);
}

}  // namespace
}  // namespace sonotag::host
