// The settings with the stand-in host attached: the saved style resolved at
// start-up, and listed, chosen and resolved by the settings dialog.

#include <algorithm>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "app/Session.h"
#include "app/SettingsDialogData.h"
#include "host/CharacterStyle.h"
#include "tests/settings/StandInDocument.h"
#include "tests/support/TestFiles.h"

namespace sonotag::settings {
namespace {

using StartUp = test::NestedStyles;

TEST_F(StartUp, ResolvesTheSavedStyleWhenAHostAndADocumentAreThere) {
    const struct {
        std::string lines;
        bool attach, document;
        VersionChoice choice;
        std::u16string style;
    } cases[] = {
        {"CHARSTYLE=:G1:G2:Deep\r\nSYML=[\r\n", true, true, VersionChoice::Confirmed, u"Deep"},
        {"CHARSTYLE=:\xD2\xF4\xB1\xEA:\xB9\xFA\xBC\xCA\xD2\xF4\xB1\xEA\r\nSYML=[\r\n", true, true,  // the ANSI code page
         VersionChoice::Confirmed, u"国际音标"},
        {"CHARSTYLE=:Phonetics\r\nSYML=[\r\n", false, true, VersionChoice::Confirmed, u"<none>"},
        {"CHARSTYLE=:Phonetics\r\nSYML=[\r\n", true, false, VersionChoice::Confirmed, u"<none>"},
        {"CHARSTYLE=:Phonetics\r\nSYML=[\r\n", true, true, VersionChoice::Exit, u"<none>"},
    };
    for (const auto& c : cases) {
        test::ScratchFolder folder;
        folder.write("config.ini", "[COM]\r\n" + c.lines);
        if (!c.document) host.closeDocument();
        host.resetCallCounts();
        Session session(test::ToProgramPath(folder.path()));
        session.LoadSettings([&](std::u16string&, host::ObjectRef& connection) {
            if (c.attach) connection = application();
            return c.choice;
        });
        EXPECT_EQ(NameOf(session.state().characterStyle), c.style);
        EXPECT_EQ(session.settings().leftSymbol, u"[");
        EXPECT_EQ(host.totalCalls() == 0, c.choice == VersionChoice::Exit || !c.attach);
    }
}

TEST_F(StartUp, SettingsDialogListsChoosesAndResolvesTheStyle) {
    const struct {
        std::u16string saved;
        std::optional<std::u16string> typed;
        std::u16string shown;
        std::u16string style;  // after OK; "<earlier>": the style resolved before is kept
    } cases[] = {
        {u":G1:G2:Deep", {}, u":G1:G2:Deep", u"Deep"},
        {u":g1:G2:DEEP", {}, u":G1:G2:Deep", u"Deep"},  // other letters choose the entry
        {u":Gone", {}, u":Gone", u"<earlier>"},
        {u":Phon", {}, u":Phon", u"<earlier>"},         // no entry begins to match
        {u"", u":G1:G3:Other", u"", u"Other"},
        {u":Phonetics", u":[无]", u":Phonetics", u"<none>"},
        {u":Phonetics", u":Typed", u":Phonetics", u"<earlier>"},
    };
    for (const auto& c : cases) {
        AnnotationSettings s;
        s.characterStyleName = c.saved;
        host::ObjectRef style;
        host::ResolveCharacterStyle(application(), u":A", style, host::StyleResolution::Load);
        const host::ObjectRef earlier = style;
        SettingsDialogControls controls = InitialDialogControls(s, application());
        EXPECT_EQ(controls.styleEntries, test::NestedStylePaths());
        EXPECT_EQ(controls.styleText, c.shown);
        EXPECT_EQ(controls.chosenStyle.has_value(), std::ranges::count(test::NestedStylePaths(), c.shown) == 1);
        if (c.typed) controls.styleText = *c.typed;
        AcceptDialogControls(controls, s, application(), style);
        EXPECT_EQ(s.characterStyleName, c.typed.value_or(c.shown));
        EXPECT_EQ(style == earlier ? u"<earlier>" : NameOf(style), c.style);
    }
}

}  // namespace
}  // namespace sonotag::settings
