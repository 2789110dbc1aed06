// Annotation figures on the in-process stand-in host: host calls per word by
// operation code and words per second for a generated 2,000-word text, with
// the exact and with the loose look-up, and in the same run the calls of the
// character-by-character loop the run replaced. Prints figures only; it
// never fails on a time.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>

#include "annotation/Annotation.h"
#include "bench/BenchText.h"
#include "dictionary/HomographTable.h"
#include "dictionary/PhoneticDictionary.h"
#include "settings/SettingsFile.h"
#include "standin/StandInHost.h"
#include "tests/support/AttachedState.h"
#include "tests/support/LiteralAnnotation.h"

using namespace sonotag;

using namespace sonotag::dictionary;
using namespace sonotag::annotation;
using bench::MakeText;

namespace {

constexpr int kWords = 2000;

struct Figures {
    std::map<host::DispatchId, std::int64_t> calls;
    std::int64_t total = 0;
    std::int64_t annotated = 0;  // one contents put per annotated word, one get per word
    double seconds = 0;
    std::string document;

    double perWord(host::DispatchId id) const {
        const auto found = calls.find(id);
        return found == calls.end() ? 0.0 : static_cast<double>(found->second) / kWords;
    }
};

Figures Measure(const std::u16string& text, const std::function<void(const host::ObjectRef&)>& run) {
    standin::StandInHost host;
    host.loadPlainText(text);
    host.resetCallCounts();
    const auto start = std::chrono::steady_clock::now();
    run(host.application());
    Figures figures;
    figures.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    figures.calls = host.callCounts();
    figures.total = host.totalCalls();
    figures.annotated = figures.calls[host::code::kContents] - kWords;
    figures.document = host.dumpDocumentJson();
    return figures;
}

}  // namespace

int main() {
    PhoneticDictionary dictionary;
    const std::u16string text = MakeText(kWords, dictionary);

    // The replaced loop first, so the runs measured last do not pay for warming up.
    const Figures literal = Measure(text, [&](const host::ObjectRef& application) {
        test::LiteralAnnotateSelection(test::AttachedState(application), dictionary);
    });
    const auto ours = [&](bool loose) {
        return Measure(text, [&](const host::ObjectRef& application) {
            settings::AnnotationSettings format;
            format.loose = loose;
            if (!AnnotateSelection(test::AttachedState(application, format), dictionary, kInitialUndoMark)
                     .completed()) {
                std::fprintf(stderr, "annotation_bench: the run did not complete\n");
                std::exit(1);
            }
        });
    };
    const Figures exact = ours(false);
    const Figures loose = ours(true);

    // Every eighth word a homograph: the calls per word with the readings chosen by context and without.
    HomographTable table;
    for (const char16_t* line : {u"read|verb|ri:d", u"read|past|rZd", u"record|noun|5rZkR:d", u"record|verb|ri5kR:d"})
        table.addLine(line);
    for (const char16_t* line : {u"read||ri:d", u"record||5rZkR:d"}) dictionary.addLine(line);
    std::u16string homographText = text;
    for (std::size_t at = 0, word = 0; (at = homographText.find(u' ', at)) != std::u16string::npos; ++at) {
        if (++word % 8 == 0) homographText.insert(at, word % 16 == 0 ? u" read" : u" record");
    }
    const auto withTable = [&](const HomographTable* homographs) {
        return Measure(homographText, [&](const host::ObjectRef& application) {
            test::AttachedState target(application);
            target.homographs = homographs;
            (void)AnnotateSelection(target, dictionary, kInitialUndoMark);
        });
    };
    const Figures plain = withTable(nullptr), decided = withTable(&table);
    const double words = kWords + kWords / 8.0;
    std::printf("with a homograph after every eighth word: %.3f host calls per word without the table, %.3f with it\n",
                static_cast<double>(plain.total) / words, static_cast<double>(decided.total) / words);

    std::printf("annotating %d words on the in-process stand-in (Unicode notation, defaults)\n", kWords);
    std::printf("%-6s %12s %12s %12s\n", "code", "exact/word", "loose/word", "literal/word");
    for (const auto& [id, count] : literal.calls) {
        std::printf("%-6s %12.2f %12.2f %12.2f\n", host::DispatchCodeName(id).c_str(), exact.perWord(id),
                    loose.perWord(id), literal.perWord(id));
    }
    const auto line = [](const char* name, const Figures& f) {
        std::printf("%-8s %5lld words annotated, %8lld calls: %.2f per word, %.2f per annotated word, %.0f words/s\n",
                    name, static_cast<long long>(f.annotated), static_cast<long long>(f.total),
                    static_cast<double>(f.total) / kWords,
                    f.annotated > 0 ? static_cast<double>(f.total) / static_cast<double>(f.annotated) : 0.0,
                    kWords / f.seconds);
    };
    line("exact", exact);
    line("loose", loose);
    line("literal", literal);
    std::printf("exact run and literal loop give the same document: %s\n",
                exact.document == literal.document ? "yes" : "NO");
    return 0;
}
