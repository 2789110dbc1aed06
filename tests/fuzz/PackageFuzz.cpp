// Whole IDML packages of any bytes: a zip archive as it stands (input starting "PK"), or entries listed as text
// ("==> NAME" lines, each followed by the entry's bytes) zipped here so that mutations reach the XML. A package that is
// read is run and saved; the saved package reads back with the same entries and, paragraph after paragraph, the text
// the run left. Odd-sized inputs are formatted with the style :Phonetics:IPA where the package has it.

#include <zip.h>

#include "dictionary/PhoneticDictionary.h"
#include "documents/AnnotateDocument.h"
#include "idml/IdmlDocument.h"
#include "model/Document.h"
#include "package/ZipArchive.h"
#include "tests/fuzz/FuzzSupport.h"

namespace sonotag::fuzz { namespace {

using namespace sonotag::dictionary;

// The entries `listing` names, zipped into `path`; a name given twice or left empty is skipped.
void ZipListing(std::string_view listing, const std::filesystem::path& path) {
    constexpr std::string_view kMark = "==> ";
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    FUZZ_EXPECT(archive != nullptr);
    for (std::size_t at = listing.starts_with(kMark) ? 0 : listing.find("\n==> "); at != std::string_view::npos;) {
        at += listing[at] == '\n';
        const std::size_t line = listing.find('\n', at), next = line == std::string_view::npos ? line : listing.find("\n==> ", line);
        if (line == std::string_view::npos) break;
        const std::string name(listing.substr(at + kMark.size(), line - at - kMark.size()));
        const std::string_view data = listing.substr(line + 1, next == std::string_view::npos ? next : next - line - 1);
        zip_source_t* source = zip_source_buffer(archive, data.data(), data.size(), 0);
        if (zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8) < 0) zip_source_free(source);
        at = next;
    }
    if (zip_close(archive) != 0) zip_discard(archive);
}

// Every paragraph's text, as the run left it.
std::u16string Paragraphs(const documents::AnnotatableDocument& package) {
    std::u16string text;
    for (std::int32_t paragraph = 0; paragraph < package.model()->storyCount(); ++paragraph) text += package.model()->story(paragraph).text();
    return text;
}

}}  // namespace sonotag::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sonotag;
    using namespace sonotag::fuzz;
    static const ScratchFolder folder("package");
    const std::string_view bytes = Bytes(data, size);
    const std::filesystem::path input = folder.file("in.idml");
    std::filesystem::remove(input);
    if (bytes.starts_with("PK")) folder.write("in.idml", bytes);
    else ZipListing(bytes, input);
    std::unique_ptr<documents::AnnotatableDocument> package;
    try {
        package = idml::ReadIdmlDocument(folder.read("in.idml"), "in.idml", {});
    } catch (const DocumentError&) { return 0; }
    PhoneticDictionary dictionary;
    for (const char16_t* word : {u"the", u"The", u"apple", u"a", u"book", u"tree"}) dictionary.addLine(std::u16string(word) + u"||5Apl");
    settings::AnnotationSettings format;
    if (size % 2 == 1 && package->model()->styles().find(u":Phonetics:IPA")) format.characterStyleName = u":Phonetics:IPA";
    const documents::RunReport report = documents::AnnotateDocument(*package, {format, dictionary});
    FUZZ_EXPECT(!report.error);
    const std::u16string annotated = Paragraphs(*package);
    const std::string saved = package->save();
    const auto reread = idml::ReadIdmlDocument(saved, "out.idml", {});
    FUZZ_EXPECT(package::ZipArchive(saved, "out").entries() == package::ZipArchive(folder.read("in.idml"), "in").entries());
    FUZZ_EXPECT(Paragraphs(*reread) == annotated);
    return 0;
}
