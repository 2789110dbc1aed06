// The saved style at start-up, and the settings dialog's edges with a host
// (its main path and failures: tests/support/FaultSweeps.h).

#include <algorithm>
#include <optional>

#include <gtest/gtest.h>

#include "app/Session.h"
#include "app/SettingsDialogData.h"
#include "host/CharacterStyle.h"
#include "tests/settings/StandInDocument.h"
#include "tests/support/TestFiles.h"

namespace sonotag::settings {
namespace {

using WithHost = test::NestedStyles;

TEST_F(WithHost, StartUpResolvesTheSavedStyleOnlyWithADocumentAndNoExit) {
    const std::tuple<std::string, bool, VersionChoice, std::u16string> cases[] = {  // config, document, choice, style
        {"CHARSTYLE=:\xD2\xF4\xB1\xEA:\xB9\xFA\xBC\xCA\xD2\xF4\xB1\xEA\r\n", true, VersionChoice::Confirmed, u"国际音标"},
        {"CHARSTYLE=:Phonetics\r\n", true, VersionChoice::Exit, u"<none>"},  // the ANSI code page, above
        {"CHARSTYLE=:Phonetics\r\n", false, VersionChoice::Confirmed, u"<none>"},
    };
    for (const auto& [config, document, choice, style] : cases) {
        test::ScratchFolder folder;
        folder.write("config.ini", "[COM]\r\n" + config);
        if (!document) host.closeDocument();
        host.resetCallCounts();
        Session session(test::ToProgramPath(folder.path()));
        session.LoadSettings([&](std::u16string&, host::ObjectRef& connection) {
            connection = application();
            return choice;
        });
        EXPECT_EQ(NameOf(session.state().characterStyle), style);
        EXPECT_EQ(host.totalCalls() == 0, choice == VersionChoice::Exit);
    }
}

TEST_F(WithHost, DialogChoosesTheWholeSavedPathInAnyLettersAndKeepsAStyleForNoMatch) {
    const std::tuple<std::u16string, std::optional<std::u16string>, std::u16string, std::u16string> cases[] = {
        {u":g1:G2:DEEP", {}, u":G1:G2:Deep", u"Deep"},  // saved, typed, shown, the style after OK
        {u":Phon", {}, u":Phon", u"<earlier>"},
        {u":Phonetics", u":[无]", u":Phonetics", u"<none>"},
        {u":Phonetics", u":Typed", u":Phonetics", u"<earlier>"},
    };
    for (const auto& [saved, typed, shown, expected] : cases) {
        AnnotationSettings s;
        s.characterStyleName = saved;
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
}  // namespace sonotag::settings
