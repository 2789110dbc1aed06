// Style paths resolved and listed in the stand-in host's document of nested
// style groups; the failing host calls are swept in tests/support/FaultSweeps.h.

#include "host/CharacterStyle.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/settings/StandInDocument.h"

namespace sonotag::host {
namespace {

using CharacterStyles = test::NestedStyles;

TEST_F(CharacterStyles, ResolveThePathOrKeepTheEarlierStyle) {
    using enum StyleResolution;
    const struct {
        std::u16string path;
        StyleResolution form;
        std::u16string expected;  // the style's name, "<earlier>" or "<none>"
    } cases[] = {
        {u":Phonetics", Load, u"Phonetics"},       {u":G1:G2:Deep", Load, u"Deep"},
        {u":音标:国际音标", Load, u"国际音标"},     {u"old:Phonetics", Load, u"Phonetics"},  // before the first colon: ignored
        {u":[无]", Load, u"[无]"},                 {u"Phonetics", Load, u"<earlier>"},
        {u"", Load, u"<earlier>"},                 {u":", Load, u"<earlier>"},
        {u":G9:Deep", Load, u"<earlier>"},         {u":G1:Deep", Load, u"<earlier>"},
        {u":G1:G2", Load, u"<earlier>"},           {u":G1:", Load, u"<earlier>"},
        {u":phonetics", Load, u"<earlier>"},       {u":Phon", Load, u"<earlier>"},
        {u"", Dialog, u"<none>"},                  {u":", Dialog, u"<none>"},
        {u":[无]", Dialog, u"<none>"},             {u":G1:[无]", Dialog, u"<earlier>"},
        {u":G1:G2:Deeper", Dialog, u"Deeper"},     {u":Missing", Dialog, u"<earlier>"},
    };
    for (const auto& c : cases) {
        ObjectRef style;
        ResolveCharacterStyle(application(), u":Group:Phonetics2", style, Load);
        const ObjectRef earlier = style;
        ResolveCharacterStyle(application(), c.path, style, c.form);
        EXPECT_EQ(style == earlier ? u"<earlier>" : NameOf(style), c.expected);
    }
    EXPECT_EQ(host.liveObjects(), 0);
}

TEST_F(CharacterStyles, ListNestedGroupsDepthFirstAndNothingWithoutADocument) {
    const StyleList list = ListDocumentStyles(application());
    EXPECT_TRUE(list.complete);
    EXPECT_EQ(list.entries, test::NestedStylePaths());
    EXPECT_FALSE(ListDocumentStyles(nullptr).complete);
    ObjectRef style;
    ResolveCharacterStyle(application(), u":A", style, StyleResolution::Load);
    const ObjectRef earlier = style;
    host.closeDocument();
    EXPECT_TRUE(ListDocumentStyles(application()).entries.empty());
    EXPECT_FALSE(ListDocumentStyles(application()).complete);
    for (const auto form : {StyleResolution::Load, StyleResolution::Dialog}) {
        ResolveCharacterStyle(application(), u":Phonetics", style, form);
        ResolveCharacterStyle(nullptr, u":Phonetics", style, form);
        EXPECT_EQ(style, earlier);
    }
}

}  // namespace
}  // namespace sonotag::host
