// The main window's work without windows.

#include "app/Session.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <utility>

#include "host/AutomationError.h"
#include "standin/StandInHost.h"
#include "tests/support/RecordingUi.h"
#include "tests/support/TestFiles.h"

namespace sonotag {
namespace {

const std::u16string kNoHost = host::FormatErrorReport(host::AutomationError(host::kInvalidPointer));

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        host.loadDocumentJson(R"({"characterStyles": [":S"], "stories": [{"text": "apple is on"}], "selection": {"story": 0}})");
        folder.write("dictionary.txt", "apple||5Apl\nis||iz\non||Cn\n");
    }
    Session& start(const std::string& config, const std::string& skip = "", bool attach = true) {
        folder.write("config.ini", "[COM]\n" + config);
        folder.write("skip.txt", skip);
        session.emplace(test::ToProgramPath(folder.path()));
        session->LoadSettings([&](std::u16string&, host::ObjectRef& connection) {
            if (attach) connection = host.application();
            return VersionChoice::Confirmed;
        });
        EXPECT_TRUE(session->LoadDictionary(sink));
        return *session;
    }
    // The one message of a run, shown while the button is disabled.
    std::u16string annotate() {
        test::RecordingUi ui;
        session->Annotate(ui);
        EXPECT_EQ(ui.buttonChanges, (std::vector<bool>{false, true}));
        EXPECT_EQ(ui.buttonEnabledDuringMessages, std::vector<bool>{false});
        return ui.messages.size() == 1 ? ui.messages[0].text : u"not one message";
    }

    standin::StandInHost host;
    test::RecordingSink sink;
    test::ScratchFolder folder;
    std::optional<Session> session;
};

TEST_F(SessionTest, RunsAndTakesBackWithTheFilesBesideTheProgram) {
    const std::tuple<std::string, std::string, std::u16string, std::int64_t> cases[] = {  // config, skip list, text, styles held
        {"CHARSTYLE=:S\nFGF=T\nSYML=[\nSYMR=]\nYBVER=1\nUNICODE=0\n", "", u"apple\t[5Apl] is\t[iz] on\t[Cn]", 1},
        {"", "is\nOn\n", u"apple \\ˈæpl\\ is on \\ɒn\\", 0},  // a word is lowered to meet the list, never raised
    };
    for (const auto& [config, skip, text, held] : cases) {
        start(config, skip);
        EXPECT_EQ(annotate(), kCompletionMessage);
        EXPECT_EQ(host.storyText(0), text);
        session->RemoveAnnotations(sink);
        EXPECT_TRUE(sink.messages.empty());
        EXPECT_EQ(host.storyText(0), u"apple is on");
        EXPECT_EQ(host.liveObjects(), held);
        session.reset();
        EXPECT_EQ(host.liveObjects(), 0);
    }
}

TEST_F(SessionTest, WithoutAHostOrAWordListTellsTheUserAndKeepsTheMark) {
    start("", "", false);
    EXPECT_EQ(annotate(), kNoHost);
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
    folder.write("config.ini", "[COM]\nIDVER=InDesign.Application.CS4\n");
    std::u16string seen;
    const auto choose = [&](std::u16string& progId, host::ObjectRef&) {
        seen = std::exchange(progId, u"InDesign.Application.CS5");  // the user picks another version
        return VersionChoice::Confirmed;
    };
    Session first(test::ToProgramPath(folder.path()));
    first.LoadSettings(choose);
    EXPECT_EQ(seen, u"InDesign.Application.CS4");
    first.SaveSettings();
    Session(test::ToProgramPath(folder.path())).LoadSettings(choose);
    EXPECT_EQ(seen, u"InDesign.Application.CS5");
    std::filesystem::remove(folder.path() / "config.ini");
    EXPECT_EQ(first.LoadSettings([](auto&, auto&) { return VersionChoice::Exit; }), LoadOutcome::ExitChosen);
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "config.ini"));
}

// The style resolved at start-up belongs to the first host: attaching anew resolves it in the new host only.
TEST_F(SessionTest, AttachingAnewResolvesTheStyleInTheNewHost) {
    standin::StandInHost other;
    other.loadDocumentJson(R"({"characterStyles": [":S"], "stories": [{"text": "on"}], "selection": {"story": 0}})");
    const std::tuple<std::function<void(host::ObjectRef&)>, std::int64_t, std::int64_t, std::u16string> cases[] = {
        {[&](host::ObjectRef& c) { c = other.application(); }, 0, 1, kCompletionMessage},
        {[](host::ObjectRef&) {}, 1, 0, kCompletionMessage},  // a version nobody knows keeps the host
        {[](host::ObjectRef& c) { c.reset(); }, 0, 0, kNoHost},
    };
    for (const auto& [attach, firstHeld, otherHeld, message] : cases) {
        start("CHARSTYLE=:S\n").AttachHostAnew(attach);
        EXPECT_EQ(host.liveObjects(), firstHeld);
        EXPECT_EQ(other.liveObjects(), otherHeld);
        EXPECT_EQ(annotate(), message);
        session.reset();
    }
    EXPECT_NE(other.dumpDocumentJson().find("\"characterStyle\": \":S\""), std::string::npos);
}

}  // namespace
}  // namespace sonotag
