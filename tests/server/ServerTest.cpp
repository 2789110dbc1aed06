#include <atomic>
#include <filesystem>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>
#include <httplib.h>
#include <nlohmann/json.hpp>

#include "base/Utf.h"
#include "cli/Commands.h"
#include "dictionary/PhoneticDictionary.h"
#include "formats/DocumentFormats.h"
#include "server/WebServer.h"
#include "tests/support/TestFiles.h"

namespace sonotag::server { namespace {

using formats::DocumentKind;
#if SONOTAG_DOCX
constexpr bool kReadsDocx = true;
#else
constexpr bool kReadsDocx = false;
#endif
const std::string kSource = SONOTAG_SOURCE_DIR "/";
const std::string kWordList = kSource + "dictionary/dictionary.txt";

const dictionary::PhoneticDictionary& ShippedWordList() {
    static const auto* list = [] {
        auto* loaded = new dictionary::PhoneticDictionary();
        EXPECT_FALSE(loaded->load(Utf8ToUtf16(kWordList)));
        return loaded;
    }();
    return *list;
}

// A server on a free loopback port, run by a thread of its own.
class RunningServer {
public:
    explicit RunningServer(ServerLimits limits = {.maxBytes = 256 << 10}) : web(WordLists{ShippedWordList()}, limits) {
        port_ = web.bind("127.0.0.1", 0).value_or(0);
        thread_ = std::thread([this] { served = web.run(); });
    }
    ~RunningServer() { stop(); }
    void stop() {  // returns once the server's thread has ended
        web.stop();
        if (thread_.joinable()) thread_.join();
    }
    httplib::Result send(const std::string& method, const std::string& path, const std::string& type = "", std::string body = "") const {
        httplib::Request request;
        request.method = method;
        request.path = path;
        request.body = std::move(body);
        if (!type.empty()) request.set_header("Content-Type", type);
        return client().send(request);
    }
    httplib::Client client() const {
        httplib::Client client("127.0.0.1", port_);
        client.set_read_timeout(std::chrono::minutes(1));
        return client;
    }

    WebServer web;
    bool served = false;

private:
    int port_ = 0;
    std::thread thread_;
};

std::string Media(DocumentKind kind) { return formats::InfoOf(kind).mediaType; }
std::string Bytes(const std::string& file) { return test::FileBytes(kSource + file); }

// What `sonotag annotate` makes of the file with the options: a text's lines
// or a package's bytes, and its one line on standard error (--stats, or why not).
std::pair<std::string, std::string> CommandLineRun(cli::AnnotateCommand command, const std::string& file) {
    test::ScratchFolder folder;
    command.dictionary = kWordList;
    command.stats = true;
    command.input = file;
    if (formats::InfoOf(formats::KindOfFileName(file)).package) command.output = (folder.path() / "out").string();
    std::istringstream in;
    std::ostringstream out, err;
    cli::RunAnnotate(command, in, out, err);
    const std::string said = err.str().substr(0, err.str().find('\n'));
    return {command.output ? test::FileBytes(*command.output) : out.str(), said.starts_with("sonotag: ") ? said.substr(9) : said};
}

struct Upload {
    std::string file, type, query;
    std::vector<std::string> options;  // the command line's for the same query
};

void PrintTo(const Upload& upload, std::ostream* out) { *out << upload.file << " ?" << upload.query; }

class Annotate : public ::testing::TestWithParam<Upload> {};

// Each kind, with the defaults and with options: the same bytes and counts as
// the command line, and the review's preview holds the same lines.
TEST_P(Annotate, GivesTheCommandLinesBytesAndCounts) {
    const Upload& c = GetParam();
    if (c.type == Media(DocumentKind::Docx) && !kReadsDocx) GTEST_SKIP() << "this build does not read DOCX";
    std::vector<std::string> arguments{"annotate"};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    cli::AnnotateCommand command = std::get<cli::AnnotateCommand>(cli::ParseCommandLine(arguments));
    const auto [expected, stats] = CommandLineRun(command, kSource + c.file);
    const RunningServer server;
    const auto reply = server.send("POST", "/api/annotate?" + c.query, c.type, Bytes(c.file));
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, 200) << reply->body;
    EXPECT_EQ(reply->get_header_value("Content-Type"), formats::InfoOf(formats::KindOfFileName(c.file)).mediaType);
    EXPECT_TRUE(reply->body == expected) << reply->body;
    EXPECT_EQ(
        stats.rfind("words: " + reply->get_header_value("X-Sonotag-Words") + ", annotations: " + reply->get_header_value("X-Sonotag-Annotations") + ",", 0), 0u)
        << stats;

    const auto review = server.send("POST", "/api/review?" + c.query, c.type, Bytes(c.file));
    ASSERT_TRUE(review);
    const nlohmann::json json = nlohmann::json::parse(review->body);
    EXPECT_EQ(json["words"].dump() + json["annotated"].dump(), reply->get_header_value("X-Sonotag-Words") + reply->get_header_value("X-Sonotag-Annotations"));
    if (formats::InfoOf(formats::KindOfFileName(c.file)).package) return;
    std::string lines;
    std::size_t marked = 0;  // the runs the run formatted, every other one
    for (const auto& paragraph : json["preview"]["paragraphs"]) {
        lines += lines.empty() ? "" : "\n";
        for (const auto& run : paragraph) lines += run.get<std::string>();
        marked += paragraph.size() / 2;
    }
    EXPECT_EQ(std::to_string(marked), reply->get_header_value("X-Sonotag-Annotations"));
    const std::string text = expected.substr(0, expected.find_last_not_of('\n') + 1);  // the lines without those a final break ends
    EXPECT_EQ(lines, text);
    EXPECT_EQ(json["preview"]["paragraphCount"], std::count(text.begin(), text.end(), '\n') + 1);
}

using notation::Notation;
INSTANTIATE_TEST_SUITE_P(
    Kinds, Annotate,
    ::testing::Values(Upload{"cli/sample-lesson.txt", Media(DocumentKind::Text), "", {}},
                      Upload{"tests/fixtures/annotation/prose-page.txt", Media(DocumentKind::Text), "homographs=0", {"--no-homographs"}},  // run in pieces
                      Upload{"cli/sample-lesson.txt",
                             "text/plain",
                             "notation=kingsoft14&left=%5B&right=%5D&separator=&exact=1",
                             {"--notation", "kingsoft14", "--left", "[", "--right", "]", "--separator=", "--exact"}},
                      Upload{"cli/sample-lesson.idml", Media(DocumentKind::Idml), "name=x", {}},
                      Upload{"cli/sample-lesson.idml",
                             Media(DocumentKind::Idml),
                             "notation=kingsoft13&style=%3APhonetics%3AIPA",
                             {"--notation", "kingsoft13", "--character-style", ":Phonetics:IPA"}},
                      Upload{"cli/sample-lesson.docx", Media(DocumentKind::Docx), "", {}},
                      Upload{"cli/sample-lesson.docx", Media(DocumentKind::Docx), "notation=kingsoft14&exact=1", {"--notation", "kingsoft14", "--exact"}}));

// Every refusal: its status, a JSON error in plain words (the command line's
// own for a document it refuses), and the security headers on each.
TEST(Api, RefusesWithTheStatusAndAPlainMessage) {
    const std::string idml = Media(DocumentKind::Idml), text = Media(DocumentKind::Text);
    const struct {
        std::string method, path, type, body;
        int status;
        std::string message;  // "<file>": the command line's message on that file
    } cases[] = {
        {"POST", "/api/annotate?name=not-a-zip.idml", idml, "@tests/fixtures/idml/not-a-zip.idml", 400, "<tests/fixtures/idml/not-a-zip.idml>"},
        {"POST", "/api/review?name=truncated-entry.idml", idml, "@tests/fixtures/idml/truncated-entry.idml", 400, "<tests/fixtures/idml/truncated-entry.idml>"},
        {"POST", "/api/styles?name=story-not-xml.idml", idml, "@tests/fixtures/idml/story-not-xml.idml", 400, "<tests/fixtures/idml/story-not-xml.idml>"},
        {"POST", "/api/annotate?name=sample-lesson.txt&style=%3AMissing", text, "@cli/sample-lesson.txt", 400, "no character style :Missing in the document"},
        {"POST", "/api/annotate", text, "caf\xE9", 400, "the document is not UTF-8 text"},
        {"POST", "/api/annotate?notation=ipa", text, "apple", 400, "unknown notation: ipa"},
        {"POST", "/api/review?exact=yes", text, "apple", 400, "exact takes 0 or 1, not yes"},
        {"POST", "/api/annotate?left=a&left=b", text, "apple", 400, "the parameter left is given more than once"},
        {"POST", "/api/styles?notation=unicode", text, "apple", 400, "unknown parameter: notation"},
        {"POST", "/api/annotate", text, std::string(257 << 10, 'a'), 413, "the document is larger than this server takes"},
        {"POST", "/nowhere", text, std::string(300 << 10, 'a'), 413, "the document is larger than this server takes"},
        {"POST", "/api/annotate", "image/png", "apple", 415, "the API takes text/plain; charset=utf-8, " + idml},
        {"POST", "/api/review", "text/plain; charset=latin1", "apple", 415, "not text/plain"},
        {"POST", "/api/annotate", "multipart/form-data; boundary=b", "--b\r\nContent-Disposition: form-data; name=\"f\"\r\n\r\nx\r\n--b--\r\n", 415,
         "not multipart/form-data"},
        {"GET", "/nowhere", "", "", 404, "there is nothing at this address"},
        {"PUT", "/api/nowhere", text, "apple", 404, "there is nothing at this address"},
        {"GET", "/api/review", "", "", 405, "this address does not take that method"},
        {"DELETE", "/api/annotate", "", "", 405, "this address does not take that method"},
        {"POST", "/page.js", text, "apple", 405, "this address does not take that method"},
    };
    const RunningServer server;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.method + " " + c.path);
        std::string expected = c.message;
        if (expected.starts_with("<")) expected = CommandLineRun({}, kSource + expected.substr(1, expected.size() - 2)).second;
        const auto reply = server.send(c.method, c.path, c.type, c.body.starts_with("@") ? Bytes(c.body.substr(1)) : c.body);
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->status, c.status);
        EXPECT_EQ(reply->get_header_value("Content-Type"), "application/json");
        EXPECT_NE(nlohmann::json::parse(reply->body).value("error", "").find(expected), std::string::npos) << reply->body << " lacks " << expected;
        EXPECT_EQ(reply->get_header_value("Allow"), c.status == 405 ? (c.method == "POST" ? "GET, HEAD" : "POST") : "");
        EXPECT_NE(reply->get_header_value("Content-Security-Policy").find("default-src 'none'"), std::string::npos);
        EXPECT_EQ(reply->get_header_value("X-Content-Type-Options"), "nosniff");
    }
    for (const char* page : {"/", "/page.css", "/page.js"}) EXPECT_EQ(server.send("GET", page)->status, 200) << page;
    for (const char* path : {"/api/annotate", "/nowhere"}) {  // a body without a length is read within the limit too
        int chunks = 0;
        const auto reply = server.client().Post(
            path,
            [&](std::size_t, httplib::DataSink& sink) {
                return sink.write(std::string(64 << 10, 'a').data(), 64 << 10) && (++chunks < 8 || (sink.done(), true));
            },
            "text/plain");
        EXPECT_EQ(reply ? reply->status : 0, 413) << path;
    }
}

// The preview's paragraphs end at each line end of a text: CR LF, CR, LF or U+2029, a CR LF counted once.
TEST(Api, PreviewParagraphsEndAtEachLineEnd) {
    const RunningServer server;
    const auto reply = server.send("POST", "/api/review", Media(DocumentKind::Text), "apple\r\nbook\r\rtree\u2029end\nsun");
    ASSERT_TRUE(reply);
    const nlohmann::json preview = nlohmann::json::parse(reply->body)["preview"];
    std::vector<std::string> starts;
    for (const auto& paragraph : preview["paragraphs"]) starts.push_back(paragraph[0].get<std::string>().substr(0, 4));
    EXPECT_EQ(starts, (std::vector<std::string>{"appl", "book", "", "tree", "end ", "sun "}));
    EXPECT_EQ(preview["paragraphCount"], 6);
}

TEST(Api, OnlyLoopbackAddressesStayOnTheMachine) {
    for (const char* address : {"127.0.0.1", "127.8.9.10", "::1", "localhost"}) EXPECT_TRUE(IsLoopback(address)) << address;
    for (const char* address : {"0.0.0.0", "::", "192.168.1.20", "128.0.0.1", "example.org", "::ffff:10.0.0.1"}) EXPECT_FALSE(IsLoopback(address)) << address;
}

// An upload slower than the time limit gets 408; a run that passes its
// deadline ends with 503, and the server goes on.
TEST(Api, TimeLimitEndsTheUploadAndTheRun) {
    const RunningServer server({.timeLimit = std::chrono::milliseconds(0)});
    EXPECT_EQ(server.send("POST", "/api/annotate", "text/plain", "apple")->status, 408);
    const std::multimap<std::string, std::string> query;
    const WordLists lists{ShippedWordList()};
    EXPECT_EQ(Serve(Operation::Annotate, {"text/plain", query, "The apple", std::chrono::steady_clock::now()}, lists).status, 503);
    EXPECT_EQ(Serve(Operation::Annotate, {"text/plain", query, "The apple", std::chrono::steady_clock::time_point::max()}, lists).body,
              "The \\ðə\\ apple \\ˈæpl\\\n");
}

// A long run in flight meanwhile: malformed packages are refused around it,
// and stopping the server lets it finish with its whole reply.
TEST(Api, LongRunOutlivesMalformedPackagesAndTheStop) {
    std::string lesson;
    for (int k = 0; k < 40; ++k) lesson += Bytes("cli/sample-lesson.txt");
    RunningServer server({.maxBytes = 1 << 20});
    const std::string expected = server.send("POST", "/api/annotate", "text/plain", lesson)->body;
    ASSERT_GT(expected.size(), lesson.size());
    for (const bool stop : {false, true}) {
        SCOPED_TRACE(stop ? "stopped" : "malformed packages");
        std::optional<httplib::Result> reply;
        std::atomic<bool> answered = false;
        std::thread client([&] {
            reply.emplace(server.send("POST", "/api/annotate", "text/plain", lesson));
            answered = true;
        });
        while (server.web.requestsInFlight() == 0 && !answered) std::this_thread::yield();
        if (stop) server.stop();
        for (const char* file : {"not-a-zip", "truncated-entry", "oversized-entry", "damaged-entry", "story-not-xml", "encrypted-entry"}) {
            const auto refused = server.send("POST", "/api/annotate", Media(DocumentKind::Idml), Bytes("tests/fixtures/idml/" + std::string(file) + ".idml"));
            EXPECT_EQ(refused ? refused->status : 0, stop ? 0 : 400) << file;
        }
        client.join();
        ASSERT_TRUE(reply && *reply);
        EXPECT_EQ((*reply)->status, 200);
        EXPECT_TRUE((*reply)->body == expected);
    }
    EXPECT_TRUE(server.served);
}

}}  // namespace sonotag::server
