// Annotation speed through the COM binding: a 200-word text annotated in
// standin-host.exe, another process, by the program's run and, in the same
// run, by the literal per-character loop it replaced (every host object
// fetched anew, every character of a word visited). Prints words per second
// and host calls per word; it never fails on a time.
//
// Run under Wine in the build's prefix after the test suite has registered
// the stand-in host (ctest -R standin-host-registration), e.g.
//   build/windows/wine-run build/windows/bench/annotation_com_bench.exe [rounds]

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "annotation/Annotation.h"
#include "base/Utf.h"
#include "bench/BenchText.h"
#include "dictionary/PhoneticDictionary.h"
#include "host/AttachHost_win32.h"
#include "host/AutomationError.h"
#include "standin/ControlCodes.h"
#include "tests/support/AttachedState.h"
#include "tests/support/LiteralAnnotation.h"

namespace {

using namespace sonotag;

using namespace sonotag::dictionary;
using namespace sonotag::annotation;
using bench::MakeText;
using Clock = std::chrono::steady_clock;
namespace control = standin::control;

constexpr int kWords = 200;

host::Value Control(const host::ObjectRef& application, host::DispatchId id, std::vector<host::Value> arguments = {},
                    host::ValueType resultType = host::ValueType::Any) {
    return host::Required(application)->invoke(id, host::InvokeKind::Method, arguments, resultType);
}

struct Figures {
    double seconds = 0;  // median of the rounds
    std::int32_t calls = 0;
    std::string document;
};

// Loads the text afresh for every round and times `annotate` on it.
Figures Measure(const host::ObjectRef& application, const std::u16string& text, int rounds,
                const std::function<void()>& annotate) {
    Figures figures;
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        Control(application, control::kLoadPlainText, {host::Value(text)});
        Control(application, control::kResetCallCounts);
        const auto start = Clock::now();
        annotate();
        times.push_back(std::chrono::duration<double>(Clock::now() - start).count());
        figures.calls = Control(application, control::kCallCount, {}, host::ValueType::Integer).integer();
    }
    const std::u16string dump = Control(application, control::kDumpDocumentJson, {}, host::ValueType::Text).text();
    figures.document = Utf16ToUtf8(dump);
    std::sort(times.begin(), times.end());
    figures.seconds = times[times.size() / 2];
    return figures;
}

void Print(const char* what, const Figures& figures) {
    std::printf("%-44s %8.1f words/s  %7.1f calls/word  (%.3f s a run)\n", what, kWords / figures.seconds,
                static_cast<double>(figures.calls) / kWords, figures.seconds);
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const host::OleApartment apartment;
    try {
        host::ObjectRef connection = host::AttachHost(u"InDesign.Application.CS3", nullptr);
        if (!connection) {
            std::fprintf(stderr, "annotation_com_bench: the stand-in host is not registered in this prefix\n");
            return 1;
        }
        PhoneticDictionary dictionary;
        const std::u16string text = MakeText(kWords, dictionary);
        settings::AnnotationSettings format;
        format.leftSymbol = u"[";
        format.rightSymbol = u"]";
        format.loose = false;  // the literal loop's look-up, so the documents compare
        const test::AttachedState state(connection, format);

        std::printf("%d words through COM to standin-host.exe, median of %d runs each:\n", kWords, rounds);
        bool completed = false;
        const Figures ours = Measure(connection, text, rounds, [&] {
            completed = AnnotateSelection(state, dictionary, kInitialUndoMark).completed();
        });
        if (!completed) {
            std::fprintf(stderr, "annotation_com_bench: the run did not complete\n");
            return 1;
        }
        const Figures literal =
            Measure(connection, text, rounds, [&] { test::LiteralAnnotateSelection(state, dictionary); });
        Print("the program's run", ours);
        Print("the literal per-character loop", literal);
        std::printf("speed-up %.2fx, %.2fx fewer calls; same document: %s\n", literal.seconds / ours.seconds,
                    static_cast<double>(literal.calls) / ours.calls, ours.document == literal.document ? "yes" : "NO");
    } catch (const host::AutomationError& error) {
        std::fprintf(stderr, "annotation_com_bench: host call failed with 0x%08lX\n",
                     static_cast<unsigned long>(error.result()));
        return 1;
    }
    return 0;
}
