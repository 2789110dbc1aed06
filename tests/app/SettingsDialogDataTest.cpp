// The settings dialog's data without a host, and its edges with one (main path and failures: FaultSweeps.h).

#include <algorithm>
#include <optional>

#include <gtest/gtest.h>

#include "app/SettingsDialogData.h"
#include "host/CharacterStyle.h"
#include "standin/StandInHost.h"
#include "tests/support/NestedStyles.h"

namespace sonotag {

using namespace sonotag::app;

using settings::AnnotationSettings;
namespace {

// {ipaVersion, the version entry shown, the entry left at OK, stored, the style text at OK, earlier style kept}
TEST(SettingsDialog, ControlsShowTheRecordAndOkTakesThemBack) {
    standin::StandInHost earlier;
    const std::tuple<std::int32_t, std::u16string, std::u16string, std::int32_t, std::u16string, bool> cases[] = {
        {0, kNewerNotationEntry, kNewerNotationEntry, 0, u":Phonetics", true},
        {-1, kOlderNotationEntry, u"新版国际音标", 1, u":[无]", false},
    };
    for (const auto& [ipa, shown, chosen, stored, styleText, kept] : cases) {
        SettingsDialogControls controls = InitialDialogControls({u"CS9", u":S", u"\t", u" /", u"/ ", {ipa, ipa != 0}, false}, nullptr);
        EXPECT_EQ(controls.version, shown);
        EXPECT_EQ(controls.styleText, u":S");
        controls.version = chosen;
        controls.styleText = styleText;
        host::ObjectRef style = earlier.application();
        AnnotationSettings accepted{u"CS9", u"", u"", u"", u"", {7, true}, false};
        AcceptDialogControls(controls, accepted, nullptr, style);
        EXPECT_EQ(accepted, (AnnotationSettings{u"CS9", styleText, u"\t", u" /", u"/ ", {stored, ipa != 0}, false}));
        EXPECT_EQ(style == earlier.application(), kept);
    }
}

using WithHost = test::NestedStyles;

TEST_F(WithHost, DialogChoosesTheWholeSavedPathInAnyLettersAndKeepsAStyleForNoMatch) {
    const std::tuple<std::u16string, std::optional<std::u16string>, std::u16string, std::u16string> cases[] = {
        {u":g1:G2:DEEP", {}, u":G1:G2:Deep", u"Deep"},  // saved, typed, shown, the style after OK
        {u":Phon", {}, u":Phon", u"<earlier>"},
        {u":Phonetics", u":[无]", u":Phonetics", u"<none>"},
    };
    for (const auto& [saved, typed, shown, expected] : cases) {
        AnnotationSettings s{.characterStyleName = saved};
        host::ObjectRef style;
        host::ResolveCharacterStyle(application(), u":A", style, host::StyleResolution::Load);
        const host::ObjectRef earlier = style;
        SettingsDialogControls controls = InitialDialogControls(s, application());
        EXPECT_EQ(controls.styleText, shown);
        EXPECT_EQ(controls.chosenStyle.has_value(), std::ranges::count(test::NestedStylePaths(), shown) == 1);
        if (typed) controls.styleText = *typed;
        AcceptDialogControls(controls, s, application(), style);
        EXPECT_EQ(s.characterStyleName, typed.value_or(shown));
        EXPECT_EQ(style == earlier ? u"<earlier>" : NameOf(style), expected);
    }
}

}  // namespace
}  // namespace sonotag
