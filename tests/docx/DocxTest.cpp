// Word documents through `sonotag annotate`: each paragraph as the stand-in's run annotates its text alone, the
// inserted transcription runs with the properties tests/fixtures/docx/expected-runs.json lists (make-documents.py
// writes it with the documents), every entry but the changed story parts as stored, and what is not a readable Word
// document refused. tests/docx/test_libreoffice.py has LibreOffice read the same outputs.

#include <regex>
#include <set>
#include <sstream>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "base/Utf.h"
#include "cli/Commands.h"
#include "dictionary/PhoneticDictionary.h"
#include "documents/AnnotateDocument.h"
#include "documents/StandInDocuments.h"
#include "docx/DocxDocument.h"
#include "docx/WordXml.h"
#include "model/Document.h"
#include "model/Origins.h"
#include "package/ZipArchive.h"
#include "settings/SettingOptions.h"
#include "tests/support/StoredEntries.h"
#include "tests/support/TestFiles.h"

namespace sonotag::docx { namespace {

const std::string kFixtures = SONOTAG_FIXTURES "/docx/";
const std::string kWordList = SONOTAG_FIXTURES "/../../dictionary/dictionary.txt";

using RawEntries = std::vector<test::StoredEntry>;
const auto Raw = test::StoredEntries;

// Every paragraph's text in document order, as the reader reads it.
std::u16string Text(const std::string& path) {
    const auto document = ReadDocxDocument(test::FileBytes(path), path);
    std::u16string text;
    for (std::int32_t k = 0; k < document->model()->storyCount(); ++k) text += document->model()->story(k).text();
    return text;
}

// A run's properties, each element as `name(attribute=value,…)[its children]`, prefixes and dates left out.
std::string Describe(pugi::xml_node properties) {
    std::string text;
    for (pugi::xml_node child = properties.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element) continue;
        std::string attributes;
        for (pugi::xml_attribute attribute : child.attributes()) {
            const std::string_view name = LocalName(attribute.name());
            if (name != "date") attributes += (attributes.empty() ? "" : ",") + std::string(name) + "=" + attribute.value();
        }
        const std::string inner = Describe(child);
        text += (text.empty() ? "" : " ") + std::string(LocalName(child.name())) + (attributes.empty() ? "" : "(" + attributes + ")") +
                (inner.empty() && !child.first_child() ? "" : "[" + inner + "]");
    }
    return text;
}

class DocxAnnotate : public ::testing::Test {
protected:
    // `option`: "", "--notation NAME" or "--character-style NAME".
    int run(const std::string& input, const std::string& option = "") {
        std::istringstream in;
        command.input = input, command.output = output;
        // The word list alone decides, as it does for the paragraphs annotated alone below.
        command.settingChanges = {*settings::ChangeOfOption("no-homographs", "")};
        settings = {};
        if (const std::size_t space = option.find(' '); space != std::string::npos) {
            command.settingChanges.push_back(*settings::ChangeOfOption(option.substr(2, space - 2), option.substr(space + 1)));
        }
        for (const settings::SettingChange& change : command.settingChanges) change(settings);
        out.str(""), err.str("");
        return cli::RunAnnotate(command, in, out, err);
    }
    static std::string path(const std::string& document) { return document.starts_with("/") ? document : kFixtures + document; }
    test::ScratchFolder folder;
    std::string output = (folder.path() / "out.docx").string();
    cli::AnnotateCommand command;
    settings::AnnotationSettings settings;  // those of the last run
    std::ostringstream out, err;
    const nlohmann::json table = nlohmann::json::parse(test::FileBytes(kFixtures + "expected-runs.json"));
};

TEST_F(DocxAnnotate, EveryParagraphAsTheStandInAnnotatesItAndTheInsertedRunsAsListed) {
    dictionary::PhoneticDictionary dictionary;
    ASSERT_FALSE(dictionary.load(Utf8ToUtf16(kWordList)));
    command.dictionary = kWordList;
    const std::regex storyPart("word/(document|header\\d*|footer\\d*|footnotes|endnotes)\\.xml");
    for (const auto& [document, expected] : table.items()) {
        EXPECT_EQ(Utf16ToUtf8(Text(path(document))), expected["text"].get<std::string>()) << document;  // as Word shows it
        for (const auto& [option, runs] : expected["runs"].items()) {
            SCOPED_TRACE(document + " " + option);
            ASSERT_EQ(run(path(document), option), cli::kSucceeded) << err.str();
            // Each paragraph (or piece of a long one) annotated alone, the formatted part of each insertion noted.
            std::u16string annotatedAlone;
            std::set<std::u16string> windows;
            const auto input = ReadDocxDocument(test::FileBytes(path(document)), document);
            for (std::int32_t k = 0; k < input->model()->storyCount(); ++k) {
                const auto alone = documents::ReadTextDocument(Utf16ToUtf8(input->model()->story(k).text()), "paragraph");
                settings::AnnotationSettings inFont = settings;  // a text has no styles: the formatted part is what counts
                inFont.characterStyleName.clear();
                documents::AnnotateDocument(*alone, {inFont, dictionary});
                for (std::int32_t piece = 0; piece < alone->model()->storyCount(); ++piece) {
                    annotatedAlone += alone->model()->story(piece).text();
                    for (const model::Insertion& insertion : model::InsertionsOf(alone->model()->story(piece))) {
                        std::u16string window;
                        for (std::size_t c = 0; c < insertion.text.size(); ++c)
                            window += insertion.formats[c].font != 0 ? std::u16string(1, insertion.text[c]) : u"";
                        windows.insert(window);
                    }
                }
            }
            ASSERT_EQ(Utf16ToUtf8(Text(output)), Utf16ToUtf8(annotatedAlone));
            // The runs whose text is an insertion's formatted part, in document order, in the changed entries.
            const RawEntries before = Raw(path(document)), after = Raw(output);
            ASSERT_EQ(after.size(), before.size());
            const package::ZipArchive annotated(test::FileBytes(output), output);
            std::vector<std::string> described;
            for (std::size_t k = 0; k < after.size(); ++k) {
                const std::string& name = after[k].name;
                ASSERT_EQ(name, before[k].name);
                if (after[k] == before[k]) continue;
                EXPECT_TRUE(std::regex_match(name, storyPart)) << name;
                pugi::xml_document xml;
                xml.load_string(annotated.read(name).c_str());
                for (const pugi::xpath_node& element : xml.select_nodes("//*")) {  // well-formed as pugixml does not check
                    std::set<std::string_view> names;
                    for (const pugi::xml_attribute attribute : element.node().attributes())
                        EXPECT_TRUE(names.insert(attribute.name()).second) << name << ": " << element.node().name() << " repeats " << attribute.name();
                }
                for (const pugi::xpath_node& run : xml.select_nodes("//*[local-name()='r']")) {
                    std::string text;
                    for (pugi::xml_node t : run.node().children()) text += LocalName(t.name()) == "t" ? t.child_value() : "";
                    if (windows.contains(Utf8ToUtf16(text)))
                        described.push_back(Describe(run.node().find_child([](pugi::xml_node n) { return LocalName(n.name()) == "rPr"; })));
                }
            }
            if (runs.is_null()) continue;  // a document whose runs are not listed
            std::vector<std::string> listed;
            for (const auto& pair : runs) listed.insert(listed.end(), pair[0].get<std::size_t>(), pair[1].get<std::string>());
            EXPECT_EQ(described, listed);
        }
    }
}

// An empty word list changes no entry: every one is copied with its compressed data.
TEST_F(DocxAnnotate, AnEmptyWordListChangesNoEntry) {
    command.dictionary = Utf16ToUtf8(folder.write("empty.txt", ""));
    for (const auto& [document, expected] : table.items()) {
        ASSERT_EQ(run(path(document)), cli::kSucceeded) << err.str();
        EXPECT_EQ(Raw(output), Raw(path(document))) << document;
    }
}

// Refused with exit status 2, one line naming the cause and no output.
TEST_F(DocxAnnotate, WhatIsNotAReadableWordDocumentIsRefusedAndNothingWritten) {
    command.dictionary = Utf16ToUtf8(folder.write("empty.txt", ""));
    const struct {
        std::string document, option, message;
    } cases[] = {
        {"not-a-zip.docx", "", "not-a-zip.docx is not a zip archive"},
        {"no-package-relationships.docx", "", "is not a Word document (no _rels/.rels or [Content_Types].xml)"},
        {"no-main-part.docx", "", "no-main-part.docx has no entry word/document.xml"},
        {"spreadsheet.docx", "", "is not a Word document (its main part word/document.xml is application/vnd.openxmlformats-officedocument.spreadsheetml"},
        {"strict.docx", "", "strict.docx is Strict Open XML, which Sonotag does not read"},
        {"strict-namespace.docx", "", "word/document.xml is Strict Open XML"},
        {"macro.docm", "", "macro.docm is a macro-enabled Word document"},
        {"macro-inside.docx", "", "macro-inside.docx is a macro-enabled Word document"},
        {"part-not-xml.docx", "", "word/header1.xml is not well-formed XML"},
        {"deep.docx", "", "word/footnotes.xml is nested deeper than 256 levels"},
        {"control-character.docx", "", "word/document.xml holds U+0001"},
        {"entity.docx", "", "word/styles.xml refers to an undeclared entity &link;"},
        {"truncated-entry.docx", "", "word/document.xml is damaged or truncated"},
        {"damaged-entry.docx", "", "entry docProps/core.xml is damaged (CRC error)"},
        {"encrypted-entry.docx", "", "entry docProps/core.xml is encrypted"},
        {"oversized-entry.docx", "", "word/document.xml inflates to 629145600 bytes, more than 512 MB"},
        {"cases.docx", "--character-style Lesson", "no character style Lesson"},  // a paragraph style of that name
        {"cases.docx", "--character-style hyperlink", "no character style hyperlink"},
        {"cases.docx", "--character-style Lienhypertexte", "no character style Lienhypertexte"},  // an id, not a name
        {"missing.docx", "", "cannot open"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.document + " " + c.option);
        EXPECT_EQ(run(kFixtures + c.document, c.option), cli::kBadInput);
        const std::string said = err.str();
        EXPECT_NE(said.find(c.message), std::string::npos) << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_FALSE(std::filesystem::exists(output));
    }
    output = kFixtures + "cases.docx";
    EXPECT_EQ(run(kFixtures + "cases.docx"), cli::kBadInput);
    EXPECT_NE(err.str().find("is the input; it is never written"), std::string::npos) << err.str();
}

}}  // namespace sonotag::docx
