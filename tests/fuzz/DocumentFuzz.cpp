// Stand-in loaders on any bytes (byte 0: loader, notation): refusal keeps the document; reload, run and removal restore it.

#include "annotation/Annotation.h"
#include "base/Utf.h"
#include "dictionary/PhoneticDictionary.h"
#include "model/DocumentFile.h"
#include "model/Words.h"
#include "standin/StandInHost.h"
#include "tests/fuzz/FuzzSupport.h"

namespace sonotag::fuzz { namespace {

using namespace sonotag::dictionary;
using namespace sonotag::annotation;

constexpr char kKeptDocument[] = R"({"stories": [{"text": "kept"}]})";

bool Load(standin::StandInHost& host, std::uint8_t loader, std::string_view bytes) {  // false: refused
    try {
        if (loader < 2) host.loadDocumentJson(bytes);
        else host.loadPlainText(loader == 2 ? DecodeUtf8Text(bytes) : Utf16Units(bytes));
        return true;
    } catch (const std::runtime_error&) { return false; }  // DocumentError, DocumentError
}

}}  // namespace sonotag::fuzz

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

    PhoneticDictionary dictionary;  // every word, in letters the notations convert
    for (std::int32_t story = 0; story < host.storyCount(); ++story) {
        const std::u16string text = host.storyText(story);
        for (const model::TextSpan& word : model::SplitWords(text))
            dictionary.addLine(text.substr(static_cast<std::size_t>(word.start), static_cast<std::size_t>(word.length())) + u"||5iuCZ[:");
    }
    settings::AnnotationSettings format;
    format.notation.useUnicode = (data[0] & 4) != 0;
    format.leftSymbol = u"[";
    format.rightSymbol = u"]";
    const RunOutcome run = AnnotateSelection(RunTarget{host.application(), format, nullptr}, dictionary, kInitialUndoMark);
    FUZZ_EXPECT(run.completed() && host.liveObjects() == 0);
    FUZZ_EXPECT(RemoveAnnotations(host.application(), run.undoMark).completed());
    FUZZ_EXPECT(host.dumpDocumentJson() == original && host.liveObjects() == 0);
    return 0;
}
