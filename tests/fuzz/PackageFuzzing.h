#pragma once
// The body of the package fuzz targets: a package of any bytes, a zip archive as it stands (input starting "PK") or
// entries listed as text ("==> NAME" lines, each followed by the entry's bytes) zipped here so that mutations reach
// the XML. A package that is read is run and saved; the saved package reads back with the same entries and,
// paragraph after paragraph, the text the run left. Odd-sized inputs are formatted with the given character style
// where the package has it.

#include <zip.h>

#include "dictionary/PhoneticDictionary.h"
#include "documents/AnnotatableDocument.h"
#include "documents/AnnotateDocument.h"
#include "model/Document.h"
#include "package/ZipArchive.h"
#include "tests/fuzz/FuzzSupport.h"

namespace sonotag::fuzz {

// The entries `listing` names, zipped into `path`; a name given twice or left empty is skipped.
inline void ZipListing(std::string_view listing, const std::filesystem::path& path) {
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
inline std::u16string Paragraphs(const documents::AnnotatableDocument& package) {
    std::u16string text;
    for (std::int32_t paragraph = 0; paragraph < package.model()->storyCount(); ++paragraph) text += package.model()->story(paragraph).text();
    return text;
}

// `read(bytes, name)` reads a package of the format whose files end in `extension`, throwing DocumentError.
template <class Read>
int FuzzPackage(std::string_view bytes, const std::string& extension, const Read& read, const std::u16string& style) {
    static const ScratchFolder folder(extension);
    const std::string name = "in." + extension;
    const std::filesystem::path input = folder.file(name);
    std::filesystem::remove(input);
    if (bytes.starts_with("PK")) folder.write(name, bytes);
    else ZipListing(bytes, input);
    std::unique_ptr<documents::AnnotatableDocument> package;
    try {
        package = read(folder.read(name), name);
    } catch (const DocumentError&) { return 0; }
    dictionary::PhoneticDictionary dictionary;
    for (const char16_t* word : {u"the", u"The", u"apple", u"a", u"book", u"tree"}) dictionary.addLine(std::u16string(word) + u"||5Apl");
    settings::AnnotationSettings format;
    if (bytes.size() % 2 == 1 && package->model()->styles().find(style)) format.characterStyleName = style;
    const documents::RunReport report = documents::AnnotateDocument(*package, {format, dictionary});
    FUZZ_EXPECT(!report.error);
    const std::u16string annotated = Paragraphs(*package);
    const std::string saved = package->save();
    const auto reread = read(saved, "out." + extension);
    FUZZ_EXPECT(package::ZipArchive(saved, "out").entries() == package::ZipArchive(folder.read(name), "in").entries());
    FUZZ_EXPECT(Paragraphs(*reread) == annotated);
    return 0;
}

}  // namespace sonotag::fuzz
