// The settings dialog's data without a host (with one: SettingsWithHostTest).

#include "app/SettingsDialogData.h"

#include <gtest/gtest.h>

#include "standin/StandInHost.h"

namespace sonotag::settings {
namespace {

// {ipaVersion, the version entry shown, the entry left at OK, stored, the style text at OK, earlier style kept}
TEST(SettingsDialog, ControlsShowTheRecordAndOkTakesThemBack) {
    standin::StandInHost earlier;
    const std::tuple<std::int32_t, std::u16string, std::u16string, std::int32_t, std::u16string, bool> cases[] = {
        {0, kNewerNotationEntry, kNewerNotationEntry, 0, u":Phonetics", true},
        {2, kOlderNotationEntry, kNewerNotationEntry, 0, u"", false},
        {-1, kOlderNotationEntry, u"新版国际音标", 1, u":[无]", false},
    };
    for (const auto& [ipa, shown, chosen, stored, styleText, kept] : cases) {
        SettingsDialogControls controls = InitialDialogControls({u"CS9", u":S", u"\t", u" /", u"/ ", ipa, ipa != 0, false}, nullptr);
        EXPECT_EQ(controls.version, shown);
        EXPECT_EQ(controls.styleText, u":S");
        controls.version = chosen;
        controls.styleText = styleText;
        host::ObjectRef style = earlier.application();
        AnnotationSettings accepted{u"CS9", u"", u"", u"", u"", 7, true, false};
        AcceptDialogControls(controls, accepted, nullptr, style);
        EXPECT_EQ(accepted, (AnnotationSettings{u"CS9", styleText, u"\t", u" /", u"/ ", stored, ipa != 0, false}));
        EXPECT_EQ(style == earlier.application(), kept);
    }
}

}  // namespace
}  // namespace sonotag::settings
