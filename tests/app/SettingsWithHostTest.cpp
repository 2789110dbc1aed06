// Loading the settings and the settings dialog with the stand-in host
// attached: the saved style resolved at start-up, listed and chosen in the
// dialog, and what OK and Cancel leave behind.

#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "app/Session.h"
#include "app/SettingsDialogData.h"
#include "host/CharacterStyle.h"
#include "settings/ProfileFile.h"
#include "settings/SettingsFile.h"
#include "tests/settings/StandInDocument.h"
#include "tests/support/TestFiles.h"

namespace sonotag::settings {
namespace {

using host::ResolveCharacterStyle;
using host::StyleResolution;

using test::NestedStylePaths;

host::ExceptionInfo HostFailure() {
    host::ExceptionInfo failure;
    failure.scode = host::kUnspecifiedFailure;
    return failure;
}

// ---- Start-up.

class StartUp : public test::NestedStyles {
protected:
    // The version choice that attaches the stand-in, or does not.
    ChooseHostVersionAtStartUp attach(bool attaches, VersionChoice answer = VersionChoice::Confirmed) {
        return [this, attaches, answer](std::u16string&, host::ObjectRef& connection) {
            if (attaches) connection = application();
            return answer;
        };
    }

    // A session started on config.ini holding `lines`.
    const SessionState& start(const std::string& lines, const ChooseHostVersionAtStartUp& choice,
                              LoadOutcome expected = LoadOutcome::Loaded) {
        folder.write("config.ini", "[COM]\r\n" + lines);
        session.emplace(test::ToProgramPath(folder.path()));
        EXPECT_EQ(session->LoadSettings(choice), expected);
        return session->state();
    }

    test::ScratchFolder folder;
    std::optional<Session> session;
};

TEST_F(StartUp, ResolvesTheSavedStyleInTheAttachedHost) {
    const SessionState& state = start("CHARSTYLE=:G1:G2:Deep\r\nFGF=T\r\n", attach(true));
    EXPECT_EQ(state.hostConnection, application());
    EXPECT_EQ(NameOf(state.characterStyle), u"Deep");
    EXPECT_EQ(state.settings.separator, u"\t");
}

TEST_F(StartUp, NoHostOrNoDocumentStartsWithoutStyleAndLoadsTheRest) {
    const std::string lines = "CHARSTYLE=:Phonetics\r\nSYML=[\r\nYBVER=1\r\n";
    const SessionState& unattached = start(lines, attach(false));
    EXPECT_FALSE(unattached.characterStyle);
    EXPECT_EQ(unattached.settings.leftSymbol, u"[");
    host.closeDocument();
    const SessionState& noDocument = start(lines, attach(true));
    EXPECT_FALSE(noDocument.characterStyle);
    EXPECT_EQ(noDocument.settings.characterStyleName, u":Phonetics");
    EXPECT_EQ(noDocument.settings.ipaVersion, 1);
}

TEST_F(StartUp, ExitResolvesNothing) {
    host.resetCallCounts();
    const SessionState& state = start("CHARSTYLE=:Phonetics\r\n", attach(true, VersionChoice::Exit), LoadOutcome::ExitChosen);
    EXPECT_FALSE(state.characterStyle);
    EXPECT_EQ(host.totalCalls(), 0);
}

TEST_F(StartUp, StylePathInTheAnsiCodePageResolves) {
    const SessionState& state = start("CHARSTYLE=:\xD2\xF4\xB1\xEA:\xB9\xFA\xBC\xCA\xD2\xF4\xB1\xEA\r\n", attach(true));
    EXPECT_EQ(NameOf(state.characterStyle), u"国际音标");
}

// ---- The settings dialog.

class SettingsDialog : public test::NestedStyles {
protected:
    AnnotationSettings savedWithStyle(const std::u16string& path) {
        AnnotationSettings s;
        s.characterStyleName = path;
        return s;
    }

    // Opens the dialog on `settings` and presses OK with the controls as
    // `change` leaves them.
    template <class Change>
    void openAndAccept(AnnotationSettings& settings, host::ObjectRef& style, Change change) {
        SettingsDialogControls controls = InitialDialogControls(settings, application());
        change(controls);
        AcceptDialogControls(controls, settings, application(), style);
    }
};

TEST_F(SettingsDialog, ListsTheDocumentsStylesAndChoosesTheSavedOne) {
    const SettingsDialogControls controls = InitialDialogControls(savedWithStyle(u":G1:G2:Deep"), application());
    EXPECT_EQ(controls.styleEntries, NestedStylePaths());
    ASSERT_TRUE(controls.chosenStyle);
    EXPECT_EQ(controls.styleEntries[*controls.chosenStyle], u":G1:G2:Deep");
    EXPECT_EQ(controls.styleText, u":G1:G2:Deep");
}

TEST_F(SettingsDialog, SavedPathInOtherLettersChoosesTheEntry) {
    const SettingsDialogControls controls = InitialDialogControls(savedWithStyle(u":g1:G2:DEEP"), application());
    EXPECT_EQ(controls.styleText, u":G1:G2:Deep");
    AnnotationSettings s = savedWithStyle(u":g1:G2:DEEP");
    host::ObjectRef style;
    AcceptDialogControls(controls, s, application(), style);
    EXPECT_EQ(s.characterStyleName, u":G1:G2:Deep");
    EXPECT_EQ(NameOf(style), u"Deep");
}

TEST_F(SettingsDialog, SavedStyleMissingFromTheDocumentSurvivesOk) {
    AnnotationSettings s = savedWithStyle(u":Gone");
    host::ObjectRef style;
    ResolveCharacterStyle(application(), u":A", style, StyleResolution::Load);
    const host::ObjectRef earlier = style;
    openAndAccept(s, style, [](SettingsDialogControls& controls) { EXPECT_EQ(controls.styleText, u":Gone"); });
    EXPECT_EQ(s.characterStyleName, u":Gone");
    EXPECT_EQ(style, earlier);
}

TEST_F(SettingsDialog, SavedPathIsNotTakenForALongerOne) {
    host.loadDocumentJson(R"({"characterStyles": [":AB"], "stories": [{"text": "x"}]})");
    AnnotationSettings s = savedWithStyle(u":A");
    host::ObjectRef style;
    openAndAccept(s, style, [](SettingsDialogControls& controls) {
        EXPECT_FALSE(controls.chosenStyle);
        EXPECT_EQ(controls.styleText, u":A");
    });
    EXPECT_EQ(s.characterStyleName, u":A");
    EXPECT_FALSE(style);
}

TEST_F(SettingsDialog, ChoosingANestedStyleResolvesIt) {
    AnnotationSettings s;
    host::ObjectRef style;
    openAndAccept(s, style, [](SettingsDialogControls& controls) { controls.styleText = u":G1:G3:Other"; });
    EXPECT_EQ(s.characterStyleName, u":G1:G3:Other");
    EXPECT_EQ(NameOf(style), u"Other");
}

TEST_F(SettingsDialog, ChoosingNoStyleClearsItAndIsSavedEmpty) {
    AnnotationSettings s = savedWithStyle(u":Phonetics");
    host::ObjectRef style;
    ResolveCharacterStyle(application(), s.characterStyleName, style, StyleResolution::Load);
    ASSERT_TRUE(style);
    openAndAccept(s, style, [](SettingsDialogControls& controls) { controls.styleText = u":[无]"; });
    EXPECT_EQ(s.characterStyleName, u":[无]");
    EXPECT_FALSE(style);
    test::ScratchFolder folder;
    const auto path = folder.programPath("config.ini");
    SaveSettings(path, s);
    EXPECT_EQ(ProfileFile(path).ReadString(kSettingsSection, key::kCharacterStyle, u"missing"), u"");
}

TEST_F(SettingsDialog, TypedNameMatchingNoStyleKeepsTheResolvedStyle) {
    AnnotationSettings s = savedWithStyle(u":Phonetics");
    host::ObjectRef style;
    ResolveCharacterStyle(application(), s.characterStyleName, style, StyleResolution::Load);
    const host::ObjectRef earlier = style;
    openAndAccept(s, style, [](SettingsDialogControls& controls) { controls.styleText = u":Typed"; });
    EXPECT_EQ(s.characterStyleName, u":Typed");
    EXPECT_EQ(style, earlier);
}

TEST_F(SettingsDialog, FailingListStillFillsTheOtherControls) {
    AnnotationSettings s = savedWithStyle(u":Phonetics");
    s.separator = u"--";
    s.ipaVersion = 1;
    host.failCall(12, HostFailure());
    const SettingsDialogControls controls = InitialDialogControls(s, application());
    EXPECT_LT(controls.styleEntries.size(), NestedStylePaths().size());
    EXPECT_EQ(controls.styleText, u":Phonetics");
    EXPECT_EQ(controls.separator, u"--");
    EXPECT_EQ(controls.version, kOlderNotationEntry);
}

TEST_F(SettingsDialog, FailureWhileAcceptingStillTakesTheOtherSettings) {
    AnnotationSettings s = savedWithStyle(u":A");
    host::ObjectRef style;
    ResolveCharacterStyle(application(), u":A", style, StyleResolution::Load);
    const host::ObjectRef earlier = style;
    SettingsDialogControls controls = InitialDialogControls(s, application());
    controls.styleText = u":G1:G2:Deep";
    controls.separator = u"\t";
    controls.version = kOlderNotationEntry;
    controls.useUnicode = false;
    host.failCall(3, HostFailure());
    AcceptDialogControls(controls, s, application(), style);
    EXPECT_EQ(s.characterStyleName, u":G1:G2:Deep");
    EXPECT_EQ(style, earlier);
    EXPECT_EQ(s.separator, u"\t");
    EXPECT_EQ(s.ipaVersion, 1);
    EXPECT_FALSE(s.useUnicode);
}

TEST_F(SettingsDialog, CancelAfterTheListWasFilledChangesNothing) {
    AnnotationSettings s = savedWithStyle(u":G1:Mid");
    s.separator = u"  ";
    host::ObjectRef style;
    ResolveCharacterStyle(application(), s.characterStyleName, style, StyleResolution::Load);
    const AnnotationSettings before = s;
    const host::ObjectRef earlier = style;
    const std::string document = host.dumpDocumentJson();
    const SettingsDialogControls controls = InitialDialogControls(s, application());
    ASSERT_EQ(controls.styleEntries.size(), NestedStylePaths().size());
    // Cancel takes nothing from the controls.
    EXPECT_EQ(s, before);
    EXPECT_EQ(style, earlier);
    EXPECT_EQ(host.dumpDocumentJson(), document);
    EXPECT_EQ(host.liveObjects(), 1);
}

}  // namespace
}  // namespace sonotag::settings
