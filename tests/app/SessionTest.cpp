// The main window's work without windows: settings before the version
// choice, the word list's stop message, the commands with and without a
// host, attaching anew, and the host objects given back.

#include "app/Session.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "host/AutomationError.h"
#include "standin/StandInHost.h"
#include "tests/support/RecordingUi.h"
#include "tests/support/TestFiles.h"

namespace sonotag {
namespace {

const std::u16string kNoHost = host::FormatErrorReport(host::AutomationError(host::kInvalidPointer));
constexpr char kDocument[] = R"({"characterStyles": [":S"], "stories": [{"text": "apple is on the table"}],
                                 "selection": {"story": 0}})";

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        host.loadDocumentJson(kDocument);
        folder.write("dictionary.txt", "apple||5Apl\nis||iz\non||Cn\nthe||T[\ntable||5teibl\n");
    }
    Session& start(const std::string& config, const std::string& skip = "", bool attach = true) {
        folder.write("config.ini", "[COM]\n" + config);
        folder.write("skip.txt", skip);
        session.emplace(test::ToProgramPath(folder.path()));
        session->LoadSettings([&](std::u16string&, host::ObjectRef& connection) {
            if (attach) connection = host.application();
            return VersionChoice::Confirmed;
        });
        test::RecordingSink sink;
        EXPECT_TRUE(session->LoadDictionary(sink));
        return *session;
    }
    // The one message of a run, with the button disabled around it.
    std::u16string annotate() {
        test::RecordingUi ui;
        session->Annotate(ui);
        EXPECT_EQ(ui.buttonChanges, (std::vector<bool>{false, true}));
        EXPECT_EQ(ui.buttonEnabledDuringMessages, std::vector<bool>{false});
        return ui.messages.size() == 1 ? ui.messages[0].text : u"not one message";
    }

    standin::StandInHost host;
    test::ScratchFolder folder;
    std::optional<Session> session;
};

TEST_F(SessionTest, RunsAndTakesBackWithTheFilesBesideTheProgram) {
    const struct {
        std::string config, skip;
        std::u16string text;
        std::int64_t held;  // host objects held between commands: the style
    } cases[] = {
        {"CHARSTYLE=:S\nFGF=T\nSYML=[\nSYMR=]\nYBVER=1\nUNICODE=0\n", "", u"apple\t[5Apl] is\t[iz] on\t[Cn] the\t[T[] table\t[5teibl]", 1},
        {"", "is\nOn\nthe|x|y\n", u"apple \\ˈæpl\\ is on \\ɒn\\ the table \\ˈteɪbl\\", 0},  // a word is lowered to meet the list
    };
    for (const auto& c : cases) {
        start(c.config, c.skip);
        EXPECT_EQ(annotate(), kCompletionMessage);
        EXPECT_EQ(host.storyText(0), c.text);
        EXPECT_EQ(host.liveObjects(), c.held);
        test::RecordingSink sink;
        session->RemoveAnnotations(sink);
        EXPECT_TRUE(sink.messages.empty());
        EXPECT_EQ(host.storyText(0), u"apple is on the table");
        EXPECT_EQ(host.liveObjects(), c.held);
        session.reset();
        EXPECT_EQ(host.liveObjects(), 0);
    }
}

TEST_F(SessionTest, WithoutAHostOrAWordListTellsTheUserAndKeepsTheMark) {
    start("", "", false);
    EXPECT_EQ(annotate(), kNoHost);
    test::RecordingSink sink;
    session->RemoveAnnotations(sink);
    EXPECT_EQ(session->undoMark(), kInitialUndoMark);
    std::filesystem::remove(folder.path() / "dictionary.txt");
    EXPECT_FALSE(session->LoadDictionary(sink));
    ASSERT_EQ(sink.messages.size(), 2u);
    EXPECT_EQ(sink.messages[0].text, kNoHost);
    EXPECT_EQ(sink.messages[1].icon, MessageIcon::Stop);
    EXPECT_NE(sink.messages[1].text.find(u"dictionary.txt"), std::u16string::npos);
}

TEST_F(SessionTest, SettingsAreLoadedBeforeTheVersionChoiceAndSavedAfter) {
    folder.write("config.ini", "[COM]\nIDVER=InDesign.Application.CS4\nFGF=T\n");
    std::u16string seen;
    const auto choose = [&](std::u16string& progId, host::ObjectRef&) {
        seen = progId;
        progId = u"InDesign.Application.CS5";  // the user picks another version
        return VersionChoice::Confirmed;
    };
    Session first(test::ToProgramPath(folder.path()));
    EXPECT_EQ(first.LoadSettings(choose), LoadOutcome::Loaded);
    EXPECT_EQ(seen, u"InDesign.Application.CS4");
    EXPECT_EQ(first.settings().separator, u"\t");
    first.SaveSettings();
    Session(test::ToProgramPath(folder.path())).LoadSettings(choose);
    EXPECT_EQ(seen, u"InDesign.Application.CS5");
    std::filesystem::remove(folder.path() / "config.ini");
    EXPECT_EQ(first.LoadSettings([](std::u16string&, host::ObjectRef&) { return VersionChoice::Exit; }),
              LoadOutcome::ExitChosen);
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "config.ini"));
}

// The style resolved at start-up belongs to the first host.
TEST_F(SessionTest, AttachingAnewResolvesTheStyleInTheNewHostOnly) {
    standin::StandInHost other;
    other.loadDocumentJson(kDocument);
    const struct {
        std::function<void(host::ObjectRef&)> attach;
        std::int64_t firstHeld, otherHeld;
        std::u16string message;
    } cases[] = {
        {[&](host::ObjectRef& c) { c = other.application(); }, 0, 1, kCompletionMessage},
        {[](host::ObjectRef&) {}, 1, 0, kCompletionMessage},  // a version nobody knows keeps the host
        {[](host::ObjectRef& c) { c.reset(); }, 0, 0, kNoHost},
    };
    for (const auto& c : cases) {
        start("CHARSTYLE=:S\n").AttachHostAnew(c.attach);
        EXPECT_EQ(host.liveObjects(), c.firstHeld);
        EXPECT_EQ(other.liveObjects(), c.otherHeld);
        EXPECT_EQ(annotate(), c.message);
        session.reset();
    }
}

}  // namespace
}  // namespace sonotag
