// Style paths resolved in nested style groups; main paths and failing calls: tests/support/FaultSweeps.h.

#include <gtest/gtest.h>

#include "host/CharacterStyle.h"
#include "tests/support/NestedStyles.h"

namespace sonotag::host { namespace {

using CharacterStyles = test::NestedStyles;

TEST_F(CharacterStyles, ResolveThePathOrKeepTheEarlierStyle) {
    using enum StyleResolution;
    const std::tuple<std::u16string, StyleResolution, std::u16string> cases[] = {
        // "<earlier>": kept
        {u":音标:国际音标", Load, u"国际音标"},
        {u"old:Phonetics", Load, u"Phonetics"},
        {u":[无]", Load, u"[无]"},
        {u"Phonetics", Load, u"<earlier>"},
        {u":", Load, u"<earlier>"},
        {u":G9:Deep", Load, u"<earlier>"},
        {u":G1:Deep", Load, u"<earlier>"},
        {u":G1:G2", Load, u"<earlier>"},
        {u":phonetics", Load, u"<earlier>"},
        {u"", Dialog, u"<none>"},
        {u":", Dialog, u"<none>"},
        {u":[无]", Dialog, u"<none>"},
        {u":Group:a\\:b", Load, u"a:b"},
        {u":Group:a:b", Load, u"<earlier>"},  // a colon in a name
        {u":G1:[无]", Dialog, u"<earlier>"},
        {u":G1:G2:Deeper", Dialog, u"Deeper"},
        {u":Missing", Dialog, u"<earlier>"},
    };
    for (const auto& [path, form, expected] : cases) {
        ObjectRef style;
        ResolveCharacterStyle(application(), u":Group:Phonetics2", style, Load);
        const ObjectRef earlier = style;
        ResolveCharacterStyle(application(), path, style, form);
        EXPECT_EQ(style == earlier ? u"<earlier>" : NameOf(style), expected);
    }
    EXPECT_EQ(host.liveObjects(), 0);
    host.closeDocument();
    EXPECT_FALSE(ListDocumentStyles(application()).complete);
    ObjectRef kept = application();
    ResolveCharacterStyle(application(), u":Phonetics", kept, Dialog);
    EXPECT_EQ(kept, application());
}

}}  // namespace sonotag::host
