// The settings dialog's data without a host attached (with one: SettingsWithHostTest).

#include "app/SettingsDialogData.h"

#include <gtest/gtest.h>

#include "standin/StandInHost.h"

namespace sonotag::settings {
namespace {

TEST(SettingsDialog, ControlsShowTheRecordAndOkTakesThemBack) {
    standin::StandInHost earlierHost;
    const struct {
        std::int32_t ipaVersion;
        std::u16string shown, chosen;  // the version entry shown, and left when OK is pressed
        std::int32_t stored;
        std::u16string styleText;
        bool styleKept;  // without a host, a style name keeps the style resolved earlier
    } cases[] = {
        {0, kNewerNotationEntry, kNewerNotationEntry, 0, u":Phonetics", true},
        {1, kOlderNotationEntry, kNewerNotationEntry, 0, u"typed", true},
        {2, kOlderNotationEntry, kOlderNotationEntry, 1, u"", false},
        {-1, kOlderNotationEntry, u"", 1, u":", false},
        {0, kNewerNotationEntry, u"新版国际音标", 1, u":[无]", false},
    };
    for (const auto& c : cases) {
        const AnnotationSettings s{u"CS9", u":Phonetics", u"\t", u" /", u"/ ", c.ipaVersion, c.ipaVersion != 0, false};
        SettingsDialogControls controls = InitialDialogControls(s, nullptr);
        EXPECT_EQ(controls.version, c.shown);
        EXPECT_EQ(controls.styleText, u":Phonetics");
        controls.version = c.chosen;
        controls.styleText = c.styleText;
        host::ObjectRef style = earlierHost.application();
        AnnotationSettings accepted{u"CS9", u"", u"", u"", u"", 7, true, false};
        AcceptDialogControls(controls, accepted, nullptr, style);
        EXPECT_EQ(accepted, (AnnotationSettings{u"CS9", c.styleText, u"\t", u" /", u"/ ", c.stored, c.ipaVersion != 0, false}));
        EXPECT_EQ(style == earlierHost.application(), c.styleKept);
    }
    EXPECT_EQ(FindStyleEntry({u":a", u":A"}, u":A"), 1u) << "its own spelling first";
}

}  // namespace
}  // namespace sonotag::settings
