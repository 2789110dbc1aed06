// Documents outside InDesign: the kind chosen from a name or from the bytes, and one run over each kind.

#include <gtest/gtest.h>

#include "base/Utf.h"
#include "dictionary/PhoneticDictionary.h"
#include "documents/AnnotateDocument.h"
#include "documents/StandInDocuments.h"
#include "formats/DocumentFormats.h"
#include "model/Document.h"
#include "tests/support/TestFiles.h"

namespace sonotag::formats { namespace {

#if SONOTAG_IDML
constexpr bool kReadsPackages = true;
#else
constexpr bool kReadsPackages = false;  // packages need the native build
#endif

TEST(DocumentFormats, KindByNameAndByContent) {
    for (const auto& [name, kind] : {std::pair{"a.json", DocumentKind::StandInJson},
                                     {".json", DocumentKind::StandInJson},
                                     {"json", DocumentKind::Text},
                                     {"A.IDML", DocumentKind::Idml},
                                     {".idml", DocumentKind::Idml},
                                     {"x.docx", DocumentKind::Docx},
                                     {"x.Dotx", DocumentKind::Docx},
                                     {"x.docm", DocumentKind::Docx},  // refused by the Word reader, by name
                                     {"lesson", DocumentKind::Text},
                                     {"", DocumentKind::Text}}) {
        EXPECT_EQ(KindOfFileName(name), kind) << name;
    }
    const std::string idml = test::FileBytes(SONOTAG_FIXTURES "/idml/cases.idml");
    for (const auto& [bytes, kind] : {std::pair{std::string(" \r\n{}"), DocumentKind::StandInJson},
                                      {std::string("apple {"), DocumentKind::Text},
                                      {std::string(), DocumentKind::Text},
                                      {idml, DocumentKind::Idml},
                                      {std::string("PK\x03\x04 other"), DocumentKind::Docx}}) {
        EXPECT_EQ(KindOfContent(bytes), kind) << bytes.substr(0, 8);
    }
}

// Words, annotations and the words the list lacks counted alike for every kind; a second save gives the same bytes.
TEST(DocumentFormats, OneRunOverEveryKind) {
    dictionary::PhoneticDictionary dictionary;
    for (const char16_t* line : {u"apple||5Apl", u"The||T[", u"book||buk"}) dictionary.addLine(line);
    const settings::AnnotationSettings settings;
    const struct {
        DocumentKind kind;
        std::string bytes;
        std::int32_t words, annotations;
        std::vector<std::u16string> notFound;
    } cases[] = {
        {DocumentKind::Text, "The apple, pear; Pear 看kiwi 123 book", 7, 3, {u"pear", u"Pear", u"kiwi"}},
        {DocumentKind::StandInJson, R"({"stories": [{"text": "apple x"}, {"text": "pear"}], "selection": {"story": 1}})", 1, 0, {u"pear"}},
        // every story, each cell and note a text of its own; a note's anchor inside "apple" leaves one word
        {DocumentKind::Idml,
         test::FileBytes(SONOTAG_FIXTURES "/idml/cases.idml"),
         39,
         20,
         {u"tree", u"ap\uFFFCple", u"don't", u"eat", u"the", u"apple's", u"A", u"water", u"Happy", u"children", u"sing"}},
    };
    for (const auto& c : cases) {
        if (c.kind == DocumentKind::Idml && !kReadsPackages) continue;
        const auto document = ReadDocument(c.kind, c.bytes, {"in", {}});
        const documents::RunReport report = documents::AnnotateDocument(*document, {settings, dictionary});
        EXPECT_EQ(std::tie(report.words, report.annotations), std::tie(c.words, c.annotations)) << InfoOf(c.kind).name;
        EXPECT_EQ(report.notFound, c.notFound);
        EXPECT_FALSE(report.error);
        const std::string saved = document->save();
        EXPECT_EQ(document->save(), saved);
    }
}

}}  // namespace sonotag::formats
