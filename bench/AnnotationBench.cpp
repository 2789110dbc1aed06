// Annotation figures on the in-process stand-in host: host calls per word by
// operation code and words per second for a generated 2,000-word text, and
// in the same run the calls of the character-by-character loop the run
// replaced. Prints figures only; it never fails on a time.

#include <chrono>
#include <cstdio>
#include <random>
#include <string>

#include "annotation/Annotation.h"
#include "dictionary/PhoneticDictionary.h"
#include "settings/SettingsFile.h"
#include "standin/StandInHost.h"
#include "tests/support/AttachedState.h"
#include "tests/support/LiteralAnnotation.h"

namespace {

using namespace sonotag;

class QuietUi : public AnnotationUi {
public:
    void enableAnnotateButton(bool) override {}
    void showMessage(const std::u16string& text, MessageIcon) override { last = text; }
    std::u16string last;
};

// A text of `words` words drawn from a small vocabulary, about four in five
// of them in the dictionary, with some punctuation.
std::u16string MakeText(int words, PhoneticDictionary& dictionary) {
    const char16_t* known[][2] = {{u"the", u"T["},     {u"apple", u"5Apl"},   {u"book", u"buk"},
                                  {u"water", u"5wR:t["}, {u"garden", u"5gB:dn"}, {u"river", u"5riv["},
                                  {u"happy", u"5hApi"},  {u"children", u"5tFildr[n"}, {u"sing", u"siN"},
                                  {u"morning", u"5mR:niN"}};
    for (const auto& entry : known) dictionary.addLine(std::u16string(entry[0]) + u"||" + entry[1]);
    const char16_t* unknown[] = {u"Xylo", u"qwerty", u"zzz"};
    std::mt19937 random(7);
    std::u16string text;
    for (int i = 0; i < words; ++i) {
        if (i > 0) text += (i % 12 == 0) ? u"\r" : u" ";
        if (random() % 5 == 0) {
            text += unknown[random() % 3];
        } else {
            text += known[random() % 10][0];
        }
        if (i % 9 == 8) text += u',';
    }
    return text;
}

std::string CodeName(host::DispatchId id) {
    if (id == host::code::kItem) return "item";
    const auto code = static_cast<std::uint32_t>(id);
    return {static_cast<char>(code >> 24), static_cast<char>(code >> 16 & 0xFF), static_cast<char>(code >> 8 & 0xFF),
            static_cast<char>(code & 0xFF)};
}

}  // namespace

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
        std::printf("%-6s %10lld %10.2f %12.2f\n", CodeName(id).c_str(), static_cast<long long>(mine),
                    static_cast<double>(mine) / kWords, static_cast<double>(count) / kWords);
    }
    std::printf("total  %10lld %10.2f %12.2f\n", static_cast<long long>(oursTotal),
                static_cast<double>(oursTotal) / kWords, static_cast<double>(literalHost.totalCalls()) / kWords);
    std::printf("words per second: %.0f (literal loop: %.0f); same document: %s\n", kWords / seconds,
                kWords / literalSeconds, same ? "yes" : "NO");
    return 0;
}
