// Fuzz target: the stand-in host's document loader, with a JSON document,
// with UTF-8 text and with UTF-16 text of any bytes.
//
// Bad input is refused with a DocumentFormatError and leaves the active
// document as it was. A loaded document dumps to a file that loads back to
// the same dump. An annotation run over its selection, with every word in
// the word list, ends with the completion message, and a removal then
// restores the document exactly, with no host object left alive.
//
// The first byte chooses the loader (bits 0-1) and the notation (bit 2).

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

// Every word of the document in the word list, with a transcription made
// of letters the notations convert.
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
