// Fuzz target: the stand-in's loaders (JSON, UTF-8 and UTF-16 text) on any
// bytes. Bad input is refused, leaving the document as it was; a loaded one
// dumps and reloads to the same dump; a run with every word known completes
// and a removal restores it exactly, no host object left alive. The first
// byte chooses the loader (bits 0-1) and the notation (bit 2).

#include <cstdint>
#include <string>
#include <string_view>

#include "annotation/Annotation.h"
#include "dictionary/PhoneticDictionary.h"
#include "standin/DocumentFile.h"
#include "standin/StandInHost.h"
#include "standin/Words.h"
#include "tests/fuzz/FuzzSupport.h"

namespace sonotag::fuzz {
namespace {

constexpr char kKeptDocument[] = R"({"stories": [{"text": "kept"}]})";

// Loads the input; false when the loader refused it.
bool Load(standin::StandInHost& host, std::uint8_t loader, std::string_view bytes) {
    try {
        switch (loader) {
            case 0:
            case 1: host.loadDocumentJson(bytes); break;
            case 2: host.loadPlainText(standin::DecodeUtf8Text(bytes)); break;
            default: host.loadPlainText(Utf16Units(bytes)); break;
        }
        return true;
    } catch (const standin::DocumentFormatError&) {
        return false;
    }
}

// Every word of the document in the word list, in letters the notations convert.
void AddEveryWord(const standin::StandInHost& host, PhoneticDictionary& dictionary) {
    for (std::int32_t story = 0; story < host.storyCount(); ++story) {
        const std::u16string text = host.storyText(story);
        for (const standin::TextSpan& word : standin::SplitWords(text)) {
            const std::u16string key = text.substr(static_cast<std::size_t>(word.start),
                                                   static_cast<std::size_t>(word.length()));
            dictionary.addLine(key + u"||5iuCZ[:");
        }
    }
}

}  // namespace
}  // namespace sonotag::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sonotag;
    using namespace sonotag::fuzz;
    if (size == 0) return 0;
    standin::StandInHost host;
    host.loadDocumentJson(kKeptDocument);
    const std::string kept = host.dumpDocumentJson();
    if (!Load(host, data[0] & 3, Bytes(data + 1, size - 1))) {
        FUZZ_EXPECT(host.dumpDocumentJson() == kept);
        return 0;
    }
    const std::string original = host.dumpDocumentJson();
    standin::StandInHost reloaded;
    reloaded.loadDocumentJson(original);
    FUZZ_EXPECT(reloaded.dumpDocumentJson() == original);

    PhoneticDictionary dictionary;
    AddEveryWord(host, dictionary);
    settings::AnnotationSettings format;
    format.useUnicode = (data[0] & 4) != 0;
    format.leftSymbol = u"[";
    format.rightSymbol = u"]";
    const RunOutcome run =
        AnnotateSelection(RunTarget{host.application(), format, nullptr}, dictionary, kInitialUndoMark);
    FUZZ_EXPECT(run.completed());
    FUZZ_EXPECT(host.liveObjects() == 0);
    FUZZ_EXPECT(RemoveAnnotations(host.application(), run.undoMark).completed());
    FUZZ_EXPECT(host.dumpDocumentJson() == original);
    FUZZ_EXPECT(host.liveObjects() == 0);
    return 0;
}
