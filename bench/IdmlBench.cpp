// An IDML package with a generated 100,000-word story annotated end to end,
// as `sonotag annotate IN.idml --output OUT.idml` does it: the package read,
// the run over every paragraph, the package written. Prints the time and the
// peak memory of that command; it never fails on either.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "bench/BenchText.h"
#include "cli/Commands.h"
#include "base/Utf.h"
#include "idml/ZipPackage.h"

using namespace sonotag;

namespace {

// The generated text as one story, a ParagraphStyleRange per paragraph.
std::string StoryXmlOf(const std::u16string& text) {
    std::string xml = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
                      R"(<idPkg:Story xmlns:idPkg="http://ns.adobe.com/AdobeInDesign/idml/1.0/packaging" DOMVersion="7.5">)"
                      R"(<Story Self="split">)";
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(u'\r', start), text.size());
        xml += R"(<ParagraphStyleRange><CharacterStyleRange AppliedCharacterStyle="CharacterStyle/$ID/[No character style]">)";
        xml += "<Content>" + Utf16ToUtf8(text.substr(start, end - start)) + "</Content>";
        if (end < text.size()) xml += "<Br/>";
        xml += "</CharacterStyleRange></ParagraphStyleRange>\n";
        start = end + 1;
    }
    return xml + "</Story></idPkg:Story>\n";
}

// The peak resident memory since the last reset, in megabytes.
double PeakMegabytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    }
    return 0;
}

}  // namespace

int main() {
    constexpr int kWords = 100000;
    PhoneticDictionary unused;
    const std::string story = StoryXmlOf(bench::MakeText(kWords, unused));
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "sonotag-idml-bench";
    std::filesystem::create_directories(folder);
    // The hand-made test package, with its first story replaced by the generated one.
    idml::ZipPackage(SONOTAG_SOURCE_DIR "/tests/fixtures/idml/cases.idml")
        .writeCopy(folder / "in.idml", {{"Stories/Story_split.xml", story}});

    cli::AnnotateCommand command;
    command.dictionary = SONOTAG_SOURCE_DIR "/dictionary/dictionary.txt";
    command.input = (folder / "in.idml").string();
    command.output = (folder / "out.idml").string();
    command.stats = true;
    std::ofstream("/proc/self/clear_refs") << "5";  // restarts the peak count
    std::istringstream in;
    std::ostringstream out, err;
    const auto start = std::chrono::steady_clock::now();
    const int status = cli::RunAnnotate(command, in, out, err);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("annotating a %d-word story in an IDML package (word list: dictionary/dictionary.txt, defaults)\n",
                kWords);
    std::printf("exit status %d; %s", status, err.str().c_str());
    std::printf("read, run, write: %.2f s; peak memory %.0f MB (story XML %.1f MB in, %.1f MB package out)\n",
                seconds, PeakMegabytes(), static_cast<double>(story.size()) / 1e6,
                static_cast<double>(std::filesystem::file_size(folder / "out.idml")) / 1e6);
    std::filesystem::remove_all(folder);
    return 0;
}
