// The main window's state and the work behind its commands, without windows:
// the start-up order of settings and version choice, the word list's stop
// message, the ends' writing of config.ini, and commands without a host.

#include "app/Session.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "host/AutomationError.h"
#include "app/SettingsDialogData.h"
#include "standin/StandInHost.h"
#include "tests/support/RecordingUi.h"
#include "tests/support/TestFiles.h"

namespace sonotag {
namespace {

using test::RecordingSink;
using test::RecordingUi;
using test::ScratchFolder;

std::u16string FolderOf(const ScratchFolder& folder) { return test::ToProgramPath(folder.path()); }

TEST(Session, LoadsTheSettingsBeforeTheVersionChoiceSeesThem) {
    ScratchFolder folder;
    folder.write("config.ini", "[COM]\nIDVER=InDesign.Application.CS4\nFGF=T\nYBVER=1\n");
    Session session(FolderOf(folder));
    std::u16string preselected;
    const LoadOutcome outcome = session.LoadSettings([&](std::u16string& progId, host::ObjectRef&) {
        preselected = progId;
        progId = u"InDesign.Application.CS5";  // the user picks another version
        return VersionChoice::Confirmed;
    });
    EXPECT_EQ(outcome, LoadOutcome::Loaded);
    EXPECT_EQ(preselected, u"InDesign.Application.CS4");
    EXPECT_EQ(session.settings().hostProgId, u"InDesign.Application.CS5");
    EXPECT_EQ(session.settings().separator, u"\t");
    EXPECT_EQ(session.settings().ipaVersion, 1);
}

TEST(Session, ExitInTheVersionChoiceLeavesTheFileAsItWas) {
    ScratchFolder folder;
    Session session(FolderOf(folder));
    const LoadOutcome outcome =
        session.LoadSettings([](std::u16string&, host::ObjectRef&) { return VersionChoice::Exit; });
    EXPECT_EQ(outcome, LoadOutcome::ExitChosen);
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "config.ini"));
}

TEST(Session, SavedSettingsComeBackAtTheNextStart) {
    ScratchFolder folder;
    {
        Session session(FolderOf(folder));
        session.LoadSettings([](std::u16string&, host::ObjectRef&) { return VersionChoice::Confirmed; });
        session.SaveSettings();
    }
    Session reread(FolderOf(folder));
    std::u16string seen;
    reread.LoadSettings([&](std::u16string& progId, host::ObjectRef&) {
        seen = progId;
        return VersionChoice::Confirmed;
    });
    EXPECT_EQ(seen, u"InDesign.Application.CS3");
    EXPECT_EQ(reread.settings(), settings::AnnotationSettings{});
}

TEST(Session, MissingWordListShowsOneStopMessageNamingTheFile) {
    ScratchFolder folder;
    Session session(FolderOf(folder));
    RecordingSink sink;
    EXPECT_FALSE(session.LoadDictionary(sink));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].icon, MessageIcon::Stop);
    EXPECT_NE(sink.messages[0].text.find(u"dictionary.txt"), std::u16string::npos);
    EXPECT_EQ(session.dictionary().size(), 0u);
}

TEST(Session, WordListBesideTheProgramIsLoaded) {
    ScratchFolder folder;
    folder.write("dictionary.txt", "apple||5Apl\nbook||buk\n");
    Session session(FolderOf(folder));
    RecordingSink sink;
    EXPECT_TRUE(session.LoadDictionary(sink));
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(session.dictionary().lookup(u"book"), u"buk");
}

TEST(Session, AnnotatingWithoutAHostReportsInvalidPointerOnceWhileTheButtonIsDisabled) {
    ScratchFolder folder;
    Session session(FolderOf(folder));
    RecordingUi ui;
    session.Annotate(ui);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, host::FormatErrorReport(host::AutomationError(host::kInvalidPointer)));
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::None);
    EXPECT_EQ(ui.buttonChanges, (std::vector<bool>{false, true}));
    EXPECT_FALSE(ui.buttonEnabledDuringMessages[0]);
}

TEST(Session, RemovalWithoutAHostReportsInvalidPointerAndKeepsTheMark) {
    ScratchFolder folder;
    Session session(FolderOf(folder));
    RecordingSink sink;
    session.RemoveAnnotations(sink);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, host::FormatErrorReport(host::AutomationError(host::kInvalidPointer)));
    EXPECT_EQ(session.undoMark(), kInitialUndoMark);
}

constexpr char kLessonDocument[] = R"({"characterStyles": [":[无]", ":Group:Inner:Style"],
                                      "stories": [{"text": "apple is on the table"}], "selection": {"story": 0}})";

// The whole path of a command: settings from config.ini, the style resolved
// at start-up, the run over the host's selection, the removal.
class SessionWithHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        host_.loadDocumentJson(kLessonDocument);
        folder_.write("dictionary.txt", "apple||5Apl\nis||iz\non||Cn\nthe||T[\ntable||5teibl\n");
    }

    // Starts a session on the folder's files, attached to the stand-in.
    void Start(Session& session) {
        session.LoadSettings([this](std::u16string&, host::ObjectRef& connection) {
            connection = host_.application();
            return VersionChoice::Confirmed;
        });
        RecordingSink sink;
        ASSERT_TRUE(session.LoadDictionary(sink));
        EXPECT_TRUE(sink.messages.empty()) << "no skip.txt is no error";
    }

    standin::StandInHost host_;
    ScratchFolder folder_;
};

TEST_F(SessionWithHostTest, AnnotatesWithTheLoadedSettingsAndTakesTheRunBack) {
    folder_.write("config.ini",
                  "[COM]\nCHARSTYLE=:Group:Inner:Style\nFGF=T\nSYML=[\nSYMR=]\nYBVER=1\nUNICODE=0\n");
    Session session(FolderOf(folder_));
    Start(session);
    ASSERT_NE(session.state().characterStyle, nullptr) << "the saved style resolves at start-up";

    RecordingUi ui;
    session.Annotate(ui);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, kCompletionMessage);
    EXPECT_EQ(ui.buttonChanges, (std::vector<bool>{false, true}));
    EXPECT_FALSE(ui.buttonEnabledDuringMessages[0]);
    // Kingsoft letters in the older convention are the stored letters.
    EXPECT_EQ(host_.storyText(0), u"apple\t[5Apl] is\t[iz] on\t[Cn] the\t[T[] table\t[5teibl]");

    RecordingSink sink;
    session.RemoveAnnotations(sink);
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(host_.storyText(0), u"apple is on the table");
}

TEST_F(SessionWithHostTest, DefaultSettingsWriteUnicodeIpa14) {
    Session session(FolderOf(folder_));
    Start(session);
    EXPECT_EQ(session.state().characterStyle, nullptr);
    RecordingUi ui;
    session.Annotate(ui);
    EXPECT_EQ(host_.storyText(0), u"apple \\ˈæpl\\ is \\ɪz\\ on \\ɒn\\ the \\ðə\\ table \\ˈteɪbl\\");
}

TEST_F(SessionWithHostTest, SkipListBesideTheProgramLeavesItsWordsAlone) {
    folder_.write("skip.txt", "is\nOn\nthe|x|y\n");
    Session session(FolderOf(folder_));
    Start(session);
    RecordingUi ui;
    session.Annotate(ui);
    // "On" skips nothing: a word is lowered to meet the list, never raised.
    EXPECT_EQ(host_.storyText(0), u"apple \\ˈæpl\\ is on \\ɒn\\ the table \\ˈteɪbl\\");
}

// The stand-in counts the objects it handed out and that are not yet
// released; the application object is not counted.
TEST_F(SessionWithHostTest, EveryCommandGivesBackTheHostObjectsItTook) {
    folder_.write("config.ini", "[COM]\nCHARSTYLE=:Group:Inner:Style\n");
    {
        Session session(FolderOf(folder_));
        Start(session);
        ASSERT_EQ(host_.liveObjects(), 1) << "the style resolved at start-up, nothing else";

        RecordingUi ui;
        session.Annotate(ui);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, kCompletionMessage);
        EXPECT_EQ(host_.liveObjects(), 1) << "after the run";
        RecordingSink sink;
        session.RemoveAnnotations(sink);
        EXPECT_EQ(host_.storyText(0), u"apple is on the table");
        EXPECT_EQ(host_.liveObjects(), 1) << "after the removal";

        // The settings dialog: its style walk, then OK with no style (the
        // style given back) and with the style again.
        SessionState& state = session.state();
        settings::SettingsDialogControls controls = settings::InitialDialogControls(state.settings, state.hostConnection);
        EXPECT_EQ(controls.styleEntries.size(), 2u);
        EXPECT_EQ(host_.liveObjects(), 1) << "after the style walk";
        controls.styleText = u":[无]";
        settings::AcceptDialogControls(controls, state.settings, state.hostConnection, state.characterStyle);
        EXPECT_EQ(state.characterStyle, nullptr);
        EXPECT_EQ(host_.liveObjects(), 0) << "after OK with no style";
        controls.styleText = u":Group:Inner:Style";
        settings::AcceptDialogControls(controls, state.settings, state.hostConnection, state.characterStyle);
        EXPECT_EQ(host_.liveObjects(), 1) << "after OK with a style";
    }
    EXPECT_EQ(host_.liveObjects(), 0) << "after the session ended";
}

// The menu's version choice. The style resolved at start-up is an object of
// the first host; the document of both hosts has that style.
class AttachingAnewTest : public SessionWithHostTest {
protected:
    void SetUp() override {
        SessionWithHostTest::SetUp();
        folder_.write("config.ini", "[COM]\nCHARSTYLE=:Group:Inner:Style\n");
        other_.loadDocumentJson(kLessonDocument);
    }

    standin::StandInHost other_;
};

TEST_F(AttachingAnewTest, AnotherHostTakesTheStyleAnewAndTheNextRunUsesIt) {
    Session session(FolderOf(folder_));
    Start(session);
    ASSERT_NE(session.state().characterStyle, nullptr);
    session.AttachHostAnew([this](host::ObjectRef& connection) { connection = other_.application(); });
    EXPECT_EQ(host_.liveObjects(), 0) << "the first host's style is given back";
    EXPECT_EQ(other_.liveObjects(), 1) << "the style resolved in the new host";

    RecordingUi ui;
    session.Annotate(ui);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, kCompletionMessage);
    EXPECT_NE(other_.dumpDocumentJson().find(":Group:Inner:Style\""), std::string::npos);
}

TEST_F(AttachingAnewTest, AHostWithoutTheStyleLeavesNoneAndTheRunUsesTheFont) {
    other_.loadDocumentJson(R"({"stories": [{"text": "apple"}], "selection": {"story": 0}})");
    Session session(FolderOf(folder_));
    Start(session);
    session.AttachHostAnew([this](host::ObjectRef& connection) { connection = other_.application(); });
    EXPECT_EQ(session.state().characterStyle, nullptr);
    EXPECT_EQ(host_.liveObjects(), 0);
    RecordingUi ui;
    session.Annotate(ui);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, kCompletionMessage);
    EXPECT_EQ(other_.storyText(0), u"apple \\ˈæpl\\");
}

TEST_F(AttachingAnewTest, AVersionNobodyKnowsKeepsTheHostAndItsStyle) {
    Session session(FolderOf(folder_));
    Start(session);
    const host::ObjectRef style = session.state().characterStyle;
    ASSERT_NE(style, nullptr);
    session.AttachHostAnew([](host::ObjectRef&) {});
    EXPECT_EQ(session.state().characterStyle, style);
    EXPECT_EQ(session.state().hostConnection, host_.application());
}

TEST_F(AttachingAnewTest, AFailedAttachmentDropsTheOldHostsStyle) {
    Session session(FolderOf(folder_));
    Start(session);
    session.AttachHostAnew([](host::ObjectRef& connection) { connection.reset(); });
    EXPECT_EQ(session.state().characterStyle, nullptr);
    EXPECT_EQ(host_.liveObjects(), 0);
    RecordingUi ui;
    session.Annotate(ui);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, host::FormatErrorReport(host::AutomationError(host::kInvalidPointer)));
}

}  // namespace
}  // namespace sonotag
