// Word documents with a generated body annotated end to end, as
// `sonotag annotate IN.docx --output OUT.docx` does it: the package read, the
// run over every paragraph, the package written. Layouts of the same text,
// paragraphs of 12 words: each paragraph one run in one paragraph style;
// Word's split runs (runs of a few words with revision ids and East Asian
// hints, one word in six over two runs, each unknown word a run of its own
// between spelling marks); both at 10,000 and 100,000 words, to show the
// time per word stays flat. Then the worst case, every word over two runs,
// at 100,000 words. Prints the time (wall clock and processor) and the peak
// memory of each command; never fails on either. `docx_bench [WORDS]` caps
// the word counts.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/Utf.h"
#include "bench/BenchText.h"
#include "bench/PackageBench.h"

using namespace sonotag;

namespace {

enum class Layout { OneStyle, SplitRuns, EveryWordSplit };

constexpr char kRunProperties[] = R"(<w:rPr><w:rFonts w:hint="eastAsia"/><w:lang w:val="en-GB"/></w:rPr>)";
constexpr char kSpellStart[] = R"(<w:proofErr w:type="spellStart"/>)";
constexpr char kSpellEnd[] = R"(<w:proofErr w:type="spellEnd"/>)";

std::string Run(std::string_view text, int revision) {
    const bool blank = !text.empty() && (text.front() == ' ' || text.back() == ' ');
    return R"(<w:r w:rsidR="00A)" + std::to_string(100 + revision % 7) + "\">" + kRunProperties + "<w:t" +
           (blank ? R"( xml:space="preserve")" : "") + ">" + std::string(text) + "</w:t></w:r>";
}

// The words of a paragraph, each with the blank after it.
std::vector<std::string> WordsOf(const std::string& paragraph) {
    std::vector<std::string> words;
    for (std::size_t start = 0; start < paragraph.size();) {
        const std::size_t end = std::min(paragraph.find(' ', start), paragraph.size());
        words.push_back(paragraph.substr(start, end + 1 - start));
        start = end + 1;
    }
    return words;
}

bool Unknown(std::string_view word) {
    return word.starts_with("Xylo") || word.starts_with("qwerty") || word.starts_with("zzz");
}

// One paragraph as Word leaves it after a few editing sessions.
std::string SplitRuns(const std::string& paragraph) {
    std::string xml, run;
    int revision = 0, words = 0;
    const auto close = [&] {
        if (!run.empty()) xml += Run(run, ++revision);
        run.clear();
    };
    for (const std::string& word : WordsOf(paragraph)) {
        if (Unknown(word)) {
            close();
            xml += kSpellStart + Run(word, ++revision) + kSpellEnd;
            continue;
        }
        if (++words % 6 == 0) {  // a run that ends inside a word
            run += word.substr(0, word.size() / 2);
            close();
            run = word.substr(word.size() / 2);
        } else {
            run += word;
        }
        if (words % 3 == 0) close();
    }
    close();
    return xml;
}

// One paragraph with each word over two runs, a spelling mark around every fourth: more markup per word than Word
// writes.
std::string EveryWordSplit(const std::string& paragraph) {
    std::string xml;
    int revision = 0;
    for (const std::string& word : WordsOf(paragraph)) {
        const bool marked = ++revision % 4 == 0;
        const std::size_t half = std::max<std::size_t>(1, word.size() / 2);
        if (marked) xml += kSpellStart;
        xml += Run(word.substr(0, half), revision) + Run(word.substr(half), revision + 1);
        if (marked) xml += kSpellEnd;
    }
    return xml;
}

// The text as the main part of a Word document, a paragraph per line.
std::string DocumentXmlOf(const std::u16string& text, Layout layout) {
    std::string xml = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
                      "\r\n"
                      R"(<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">)"
                      "<w:body>";
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find(u'\r', start), text.size());
        const std::string paragraph = Utf16ToUtf8(text.substr(start, end - start));
        xml += R"(<w:p w:rsidR="00B1"><w:pPr><w:pStyle w:val="Normal"/></w:pPr>)";
        xml += layout == Layout::OneStyle    ? "<w:r><w:t>" + paragraph + "</w:t></w:r>"
               : layout == Layout::SplitRuns ? SplitRuns(paragraph)
                                             : EveryWordSplit(paragraph);
        xml += "</w:p>";
        start = end + 1;
    }
    return xml + R"(<w:sectPr><w:pgSz w:w="11906" w:h="16838"/></w:sectPr></w:body></w:document>)";
}

// Annotates `count` words in the layout; returns the processor time per word.
double PerWord(int count, Layout layout, const char* name) {
    dictionary::PhoneticDictionary unused;
    const bench::Figures figures = bench::AnnotatePackage(
        std::to_string(count) + " words, paragraphs of 12 words, " + name, "tests/fixtures/docx/cases.docx",
        "word/document.xml", DocumentXmlOf(bench::MakeText(count, unused), layout));
    return figures.cpuSeconds / count;
}

}  // namespace

int main(int argc, char** argv) {
    const int cap = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int large = std::min(cap, 100000), small = std::min(cap, 10000);
    std::printf("annotating generated Word documents (word list: dictionary/dictionary.txt, defaults)\n");
    for (const Layout layout : {Layout::OneStyle, Layout::SplitRuns}) {
        const char* name = layout == Layout::OneStyle ? "a run per paragraph, one paragraph style"
                                                      : "Word's split runs: a few words a run, spelling marks";
        const double smallPerWord = PerWord(small, layout, name);
        const double largePerWord = PerWord(large, layout, name);
        std::printf("  processor time per word at %d words / at %d words: %.2f\n", large, small,
                    largePerWord / smallPerWord);
    }
    PerWord(large, Layout::EveryWordSplit, "the worst case: every word over two runs, spelling marks");
    return 0;
}
