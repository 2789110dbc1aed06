// The main window's commands without windows, with the files beside the program.

#include <gtest/gtest.h>

#include "app/Session.h"
#include "standin/StandInHost.h"
#include "tests/support/RecordingUi.h"
#include "tests/support/TestFiles.h"

namespace sonotag { namespace {

using namespace sonotag::dictionary;
using namespace sonotag::notation;
using namespace sonotag::annotation;
using namespace sonotag::app;

TEST(Session, RunsAndTakesBackWithTheFilesBesideTheProgram) {
    const std::tuple<std::string, std::string, std::u16string, std::int64_t> cases[] = {
        // config, skip list, text, styles held
        {"CHARSTYLE=:S\nFGF=T\nSYML=[\nSYMR=]\nYBVER=1\nUNICODE=0\n", "", u"apple\t[5Apl] is\t[iz] on\t[Cn]", 1},
        {"", "is\nOn\n", u"apple \\ˈæpl\\ is on \\ɒn\\", 0},  // a word is lowered to meet the list, never raised
    };
    standin::StandInHost host;
    host.loadDocumentJson(R"({"characterStyles": [":S"], "stories": [{"text": "apple is on"}], "selection": {"story": 0}})");
    test::ScratchFolder folder;
    folder.write("dictionary.txt", "apple||5Apl\nis||iz\non||Cn\n");
    test::RecordingSink sink;
    for (const auto& [config, skip, text, held] : cases) {
        folder.write("config.ini", "[COM]\n" + config);
        folder.write("skip.txt", skip);
        {
            Session session(test::ToProgramPath(folder.path()), [&](const std::u16string&, host::ObjectRef) { return host.application(); });
            session.loadSettings([&] { return session.confirmHostVersion(u"CS3"), true; });
            EXPECT_TRUE(session.loadDictionary(sink));
            test::RecordingUi ui;
            session.annotate(ui);
            EXPECT_EQ(ui.buttonChanges, (std::vector<bool>{false, true}));  // the message shows while it is disabled
            ASSERT_EQ(ui.buttonEnabledDuringMessages, std::vector<bool>{false});
            EXPECT_EQ(ui.messages[0].text, kCompletionMessage);
            EXPECT_EQ(host.storyText(0), text);
            session.removeAnnotations(sink);
            EXPECT_EQ(host.storyText(0), u"apple is on");
            EXPECT_EQ(host.liveObjects(), held);
        }
        EXPECT_EQ(host.liveObjects(), 0);
    }
    EXPECT_TRUE(sink.messages.empty());
}

// Choosing another host version resolves the saved style in the new
// application and lets the old one's style go.
TEST(Session, AnotherHostVersionResolvesTheSavedStyleAgain) {
    standin::StandInHost first, second;
    for (standin::StandInHost* host : {&first, &second}) {
        host->loadDocumentJson(R"({"characterStyles": [":S"], "stories": [{"text": "apple"}], "selection": {"story": 0}})");
    }
    test::ScratchFolder folder;
    folder.write("dictionary.txt", "apple||5Apl\n");
    folder.write("config.ini", "[COM]\nCHARSTYLE=:S\n");
    test::RecordingSink sink;
    Session session(test::ToProgramPath(folder.path()),
                    [&](const std::u16string& progId, host::ObjectRef) { return (progId == u"CS3" ? first : second).application(); });
    session.loadSettings([&] { return session.confirmHostVersion(u"CS3"), true; });
    const auto held = [&] { return std::vector<std::int64_t>{first.liveObjects(), second.liveObjects()}; };
    EXPECT_EQ(held(), (std::vector<std::int64_t>{1, 0}));
    session.confirmHostVersion(u"CS5");
    EXPECT_EQ(held(), (std::vector<std::int64_t>{0, 1}));
    ASSERT_TRUE(session.loadDictionary(sink));
    test::RecordingUi ui;
    session.annotate(ui);
    EXPECT_EQ(first.storyText(0), u"apple");
    EXPECT_EQ(second.storyText(0), u"apple \\ˈæpl\\");
    EXPECT_TRUE(sink.messages.empty());
}

}}  // namespace sonotag
