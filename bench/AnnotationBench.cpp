// Annotation figures on the in-process stand-in host: host calls per word by
// operation code and words per second for a generated 2,000-word text, and
// in the same run the calls of the character-by-character loop the run
// replaced. Prints figures only; it never fails on a time.

#include <chrono>
#include <cstdio>
#include <string>

#include "annotation/Annotation.h"
#include "bench/BenchText.h"
#include "dictionary/PhoneticDictionary.h"
#include "settings/SettingsFile.h"
#include "standin/StandInHost.h"
#include "tests/support/AttachedState.h"
#include "tests/support/LiteralAnnotation.h"

using namespace sonotag;
using bench::MakeText;
using bench::QuietUi;

int main() {
    constexpr int kWords = 2000;
    PhoneticDictionary dictionary;
    const std::u16string text = MakeText(kWords, dictionary);

    // The replaced loop first, so the run measured last does not pay for warming up.
    standin::StandInHost literalHost;
    literalHost.loadPlainText(text);
    literalHost.resetCallCounts();
    const auto literalStart = std::chrono::steady_clock::now();
    test::LiteralAnnotateSelection(test::AttachedState(literalHost.application()), dictionary);
    const double literalSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - literalStart).count();
    standin::StandInHost host;
    host.loadPlainText(text);
    host.resetCallCounts();
    const settings::SettingsState state = test::AttachedState(host.application());
    std::int32_t undoMark = kInitialUndoMark;
    QuietUi ui;
    const auto start = std::chrono::steady_clock::now();
    AnnotateSelection(state, dictionary, undoMark, ui);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const auto ours = host.callCounts();
    const std::int64_t oursTotal = host.totalCalls();

    const bool same = host.dumpDocumentJson() == literalHost.dumpDocumentJson();

    std::printf("annotating %d words on the in-process stand-in (Unicode notation, defaults)\n", kWords);
    std::printf("%-6s %10s %10s %12s\n", "code", "calls", "per word", "literal/word");
    const auto literal = literalHost.callCounts();
    for (const auto& [id, count] : literal) {
        const auto found = ours.find(id);
        const std::int64_t mine = found == ours.end() ? 0 : found->second;
        std::printf("%-6s %10lld %10.2f %12.2f\n", host::DispatchCodeName(id).c_str(), static_cast<long long>(mine),
                    static_cast<double>(mine) / kWords, static_cast<double>(count) / kWords);
    }
    std::printf("total  %10lld %10.2f %12.2f\n", static_cast<long long>(oursTotal),
                static_cast<double>(oursTotal) / kWords, static_cast<double>(literalHost.totalCalls()) / kWords);
    std::printf("words per second: %.0f (literal loop: %.0f); same document: %s\n", kWords / seconds,
                kWords / literalSeconds, same ? "yes" : "NO");
    return 0;
}
