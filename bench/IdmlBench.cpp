// IDML packages with a generated story annotated end to end, as
// `sonotag annotate IN.idml --output OUT.idml` does it: the package read, the
// run over every paragraph, the package written. Three layouts: a
// ParagraphStyleRange per paragraph; InDesign's own for body text, one
// ParagraphStyleRange and one CharacterStyleRange holding every paragraph as
// a <Content>…</Content><Br/> pair (at 10,000 and 100,000 words, to show
// the time per word stays flat); and one paragraph of 200,000 characters.
// Prints the time (wall clock and processor) and the peak memory of each
// command; never fails on either.
// `idml_bench [WORDS]` caps the word counts (to measure a slow build).

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/Utf.h"
#include "bench/BenchText.h"
#include "bench/PackageBench.h"

using namespace sonotag;
using dictionary::PhoneticDictionary;

namespace {

enum class Layout { RangePerParagraph, SingleRange };

constexpr char kRangeStart[] =
    R"(<CharacterStyleRange AppliedCharacterStyle="CharacterStyle/$ID/[No character style]">)";

// The text as one story; its paragraphs end in Br.
std::string StoryXmlOf(const std::u16string& text, Layout layout) {
    std::string xml =
        R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
        R"(<idPkg:Story xmlns:idPkg="http://ns.adobe.com/AdobeInDesign/idml/1.0/packaging" DOMVersion="7.5">)"
        R"(<Story Self="split">)";
    const bool single = layout == Layout::SingleRange;
    if (single) xml += std::string("<ParagraphStyleRange>") + kRangeStart + "\n";
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find(u'\r', start), text.size());
        if (!single) xml += std::string("<ParagraphStyleRange>") + kRangeStart;
        xml += "<Content>" + Utf16ToUtf8(text.substr(start, end - start)) + "</Content>";
        if (end < text.size()) xml += "<Br/>";
        xml += single ? "\n" : "</CharacterStyleRange></ParagraphStyleRange>\n";
        start = end + 1;
    }
    if (single) xml += "</CharacterStyleRange></ParagraphStyleRange>";
    return xml + "</Story></idPkg:Story>\n";
}

// One paragraph of at least `characters` characters.
std::u16string LongParagraph(std::size_t characters, PhoneticDictionary& dictionary) {
    std::u16string text = bench::MakeText(static_cast<int>(characters / 4), dictionary);
    std::replace(text.begin(), text.end(), u'\r', u' ');
    return text.substr(0, text.find(u' ', characters));
}

// The story in the hand-made test package, in place of its first story.
bench::Figures Annotate(const std::string& label, const std::string& story) {
    return bench::AnnotatePackage(label, "tests/fixtures/idml/cases.idml", "Stories/Story_split.xml", story);
}

}  // namespace

int main(int argc, char** argv) {
    const int cap = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int large = std::min(cap, 100000), small = std::min(cap, 10000);
    PhoneticDictionary unused;
    std::printf("annotating generated stories in an IDML package (word list: dictionary/dictionary.txt, defaults)\n");
    const auto words = [&](int count) { return bench::MakeText(count, unused); };
    Annotate(std::to_string(large) + " words, a ParagraphStyleRange per paragraph of 12 words",
             StoryXmlOf(words(large), Layout::RangePerParagraph));
    double perWord[2];
    for (int k = 0; k < 2; ++k) {
        const int count = k == 0 ? small : large;
        const bench::Figures figures =
            Annotate(std::to_string(count) + " words, one range, paragraphs of 12 words as Content/Br pairs",
                     StoryXmlOf(words(count), Layout::SingleRange));
        perWord[k] = figures.cpuSeconds / count;
    }
    std::printf("  processor time per word at %d words / at %d words: %.2f\n", large, small, perWord[1] / perWord[0]);
    const std::size_t characters = static_cast<std::size_t>(std::min(cap, 100000)) * 2;
    Annotate("one paragraph of " + std::to_string(characters) + " characters in one Content",
             StoryXmlOf(LongParagraph(characters, unused), Layout::SingleRange));
    return 0;
}
