// IDML packages through `sonotag annotate`, read back and compared with the stand-in's run on the same texts.

#include <map>
#include <sstream>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <zip.h>

#include "annotation/Annotation.h"
#include "base/Utf.h"
#include "cli/Commands.h"
#include "dictionary/PhoneticDictionary.h"
#include "host/CharacterStyle.h"
#include "idml/StoryXml.h"
#include "package/ZipArchive.h"
#include "standin/StandInHost.h"
#include "tests/support/AttachedState.h"
#include "tests/support/StoredEntries.h"
#include "tests/support/TestFiles.h"

namespace sonotag::idml { namespace {

using namespace sonotag::dictionary;
using namespace sonotag::notation;
using namespace sonotag::annotation;

const std::string kFixtures = SONOTAG_FIXTURES "/idml/";
const std::string kWordList = SONOTAG_FIXTURES "/../../dictionary/dictionary.txt";

// A character's look: its CharacterStyleRange's attributes and Properties, its style apart, its font.
struct Look {
    std::string range, font, style;
};
struct Text {
    std::u16string text;
    std::vector<Look> looks;
};
struct Package {  // entries, each as stored (compressed data and method), and every story's texts in designmap.xml's order
    std::vector<std::string> names;
    std::map<std::string, std::pair<std::string, zip_int32_t>> raw;
    std::vector<Text> texts;
    std::size_t emptyRanges = 0;  // CharacterStyleRanges with nothing but their Properties
};

Look LookOf(pugi::xml_node node) {
    while (node && std::string_view(node.name()) != "CharacterStyleRange") node = node.parent();
    Look look;
    for (pugi::xml_attribute attribute : node.attributes()) {
        if (std::string_view(attribute.name()) == "AppliedCharacterStyle") look.style = attribute.value();
        else look.range += std::string(attribute.name()) + "=" + attribute.value() + " ";
    }
    std::ostringstream properties;
    node.child("Properties").print(properties, "", pugi::format_raw);
    look.range += properties.str();
    look.font = node.child("Properties").child_value("AppliedFont");
    return look;
}

// A package's entries as stored and its stories' texts with every character's look.
Package ReadBack(const std::string& path) {
    Package package;
    const package::ZipArchive zip(test::FileBytes(path), path);
    package.names = zip.entries();
    for (const test::StoredEntry& entry : test::StoredEntries(path)) package.raw[entry.name] = {entry.data, entry.method};
    pugi::xml_document designMap;
    designMap.load_string(zip.read("designmap.xml").c_str());
    for (pugi::xml_node entry : designMap.document_element().children("idPkg:Story")) {
        const std::string xml = zip.read(entry.attribute("src").value());
        pugi::xml_document parsed;
        parsed.load_string(xml.c_str());
        for (const pugi::xpath_node& range : parsed.select_nodes("//CharacterStyleRange")) {
            const auto holds = [](pugi::xml_node child) { return std::string_view(child.name()) != "Properties" && child.type() != pugi::node_pcdata; };
            package.emptyRanges += !range.node().find_child(holds);
        }
        const StoryXml story(xml, "story");
        for (const StoryText& text : story.texts()) {
            Text& read = package.texts.emplace_back(Text{text.text, {}});
            for (const Source& source : text.sources) read.looks.push_back(LookOf(source.node));
        }
    }
    return package;
}

struct Format {
    std::string stylePath, styleSelf;
};  // no path: the notation's font

// The stand-in's run on one text, each original look a font of its own to show which look inserted text took.
Text RunOnStandIn(const Text& original, Format format, PhoneticDictionary& dictionary) {
    nlohmann::json runs = nlohmann::json::array();
    for (std::size_t k = 0; k < original.looks.size(); ++k) runs.push_back({{"start", k}, {"length", 1}, {"font", std::to_string(k)}});
    const nlohmann::json styles = format.stylePath.empty() ? nlohmann::json::array() : nlohmann::json{format.stylePath};
    const nlohmann::json document = {
        {"characterStyles", styles}, {"stories", {{{"text", Utf16ToUtf8(original.text)}, {"runs", runs}}}}, {"selection", {{"story", 0}}}};
    standin::StandInHost host;
    host.loadDocumentJson(document.dump());
    host::ObjectRef style;
    if (!format.stylePath.empty()) { host::ResolveCharacterStyle(host.application(), Utf8ToUtf16(format.stylePath), style, host::StyleResolution::Load); }
    EXPECT_TRUE(AnnotateSelection(test::AttachedState(host.application(), {}, style), dictionary, kInitialUndoMark).completed());
    const nlohmann::json dump = nlohmann::json::parse(host.dumpDocumentJson())["stories"][0];
    Text annotated{Utf8ToUtf16(dump["text"].get<std::string>()), {}};
    for (const nlohmann::json& run : dump["runs"]) {
        const std::string font = run.value("font", "");
        Look look = font == Utf16ToUtf8(kUnicodeFont) ? Look{"", font, ""} : original.looks.at(std::stoul(font));
        if (run.contains("characterStyle")) look.style = format.styleSelf;
        annotated.looks.insert(annotated.looks.end(), run["length"].get<std::size_t>(), look);
    }
    return annotated;
}

// Every cell, footnote and note a text of its own, in document order, its anchor one character of the text around it.
TEST(StoryTexts, EveryTextRootIsATextOfItsOwn) {
    const std::string range = "<ParagraphStyleRange><CharacterStyleRange>";
    const std::string end = "</CharacterStyleRange></ParagraphStyleRange>";
    const struct {
        std::string body;
        std::vector<std::u16string> texts;
    } cases[] = {
        {"<Content>a b</Content><Br/><Content>c</Content>", {u"a b\rc"}},
        {"<Content>a</Content><Footnote>" + range + "<Content>fn</Content>" + end + "</Footnote><Content>b</Content>", {u"a\uFFFCb", u"fn"}},
        {"<Note>" + range + "<Content>n1</Content>" + end + "</Note><Content>x</Content><Note>" + range + "<Content>n2</Content>" + end + "</Note>",
         {u"\uFFFCx\uFFFC", u"n1", u"n2"}},
        {"<XMLElement><Content>a</Content></XMLElement><Content>b<?ACE 7?>c</Content>", {u"ab\uFFFCc"}},
    };
    for (const auto& c : cases) {
        const StoryXml story("<idPkg:Story><Story Self=\"s\">" + range + c.body + end + "</Story></idPkg:Story>", "story");
        std::vector<std::u16string> texts;
        for (const StoryText& text : story.texts()) texts.push_back(text.text);
        EXPECT_EQ(texts, c.texts) << c.body;
    }
}

class IdmlAnnotate : public ::testing::Test {
protected:
    int run(const std::string& input) {
        std::istringstream in;
        command.input = input, command.output = output;
        return cli::RunAnnotate(command, in, out, err);
    }
    // cases.idml with one entry replaced.
    std::string craft(const std::string& entry, const std::string& xml) {
        const std::string path = (folder.path() / ("crafted-" + std::to_string(++crafted) + ".idml")).string();
        const std::string copy = package::ZipArchive(test::FileBytes(kFixtures + "cases.idml"), "cases.idml").copyWith({{entry, xml}});
        std::ofstream(path, std::ios::binary).write(copy.data(), static_cast<std::streamsize>(copy.size()));
        return path;
    }
    test::ScratchFolder folder;
    std::string output = (folder.path() / "out.idml").string();
    cli::AnnotateCommand command;
    std::ostringstream out, err;
    int crafted = 0;
};

TEST_F(IdmlAnnotate, EveryTextAsTheStandInAnnotatesItAndEveryOtherEntryAsStored) {
    PhoneticDictionary dictionary;
    ASSERT_FALSE(dictionary.load(Utf8ToUtf16(kWordList)));
    command.dictionary = kWordList;
    struct Case {
        std::string package;
        Format format;
    };
    // Real exports: dime-tripple.idml's grouped style by the path InDesign shows (its Name "Naviga:byline-BYL epost").
    for (const Case& c : {Case{"cases.idml", {}}, Case{"cases.idml", {":Phonetics:IPA", "CharacterStyle/Phonetics%3aIPA"}},
                          Case{"cases.idml", {":Phonetics:IPA\\:wide", "CharacterStyle/Phonetics%3aIPA\\%3awide"}}, Case{"4-pages-english.idml", {}},
                          Case{"article-1photo-english.idml", {":MyBoldStyle", "CharacterStyle/MyBoldStyle"}}, Case{"meta-with-image.idml", {}},
                          Case{"dime-tripple.idml", {}}, Case{"dime-tripple.idml", {":Naviga:byline-BYL epost", "CharacterStyle/Naviga%3abyline-BYL epost"}}}) {
        SCOPED_TRACE(c.package + " " + c.format.stylePath);
        // Homographs aside: the stand-in runs a whole text where the package runs paragraph by paragraph.
        command.settingChanges = {*settings::ChangeOfOption("character-style", c.format.stylePath), *settings::ChangeOfOption("no-homographs", "")};
        ASSERT_EQ(run(kFixtures + c.package), cli::kSucceeded) << err.str();
        const Package input = ReadBack(kFixtures + c.package);
        const Package annotated = ReadBack(output);
        ASSERT_EQ(annotated.names, input.names);
        ASSERT_EQ(annotated.texts.size(), input.texts.size());
        for (std::size_t t = 0; t < input.texts.size(); ++t) {
            if (input.texts[t].text.empty()) continue;
            const Text expected = RunOnStandIn(input.texts[t], c.format, dictionary);
            const Text& got = annotated.texts[t];
            ASSERT_EQ(Utf16ToUtf8(got.text), Utf16ToUtf8(expected.text));
            for (std::size_t k = 0; k < got.looks.size(); ++k) {
                const Look& want = expected.looks[k];
                const bool regular = got.looks[k].range.find("FontStyle=Regular ") != std::string::npos;
                if (want.range.empty() && want.font == Utf16ToUtf8(kUnicodeFont)) {  // the notation's font, in its regular face
                    EXPECT_EQ(std::pair(got.looks[k].font, regular), std::pair(want.font, true)) << "character " << k;
                } else EXPECT_EQ(std::tie(got.looks[k].range, got.looks[k].style), std::tie(want.range, want.style)) << "character " << k;
            }
        }
        std::size_t rewritten = 0;
        for (const auto& [name, data] : input.raw) {
            rewritten += annotated.raw.at(name) != data;
            EXPECT_TRUE(annotated.raw.at(name) == data || name.starts_with("Stories/")) << name;
        }
        EXPECT_GT(rewritten, 0u);
        EXPECT_LE(annotated.emptyRanges, input.emptyRanges);  // ranges split only where a transcription goes in
        EXPECT_EQ(annotated.raw.at("mimetype").second, ZIP_CM_STORE);
    }
}

// Only stories the run changed are written anew: none for an empty word list.
TEST_F(IdmlAnnotate, OnlyTheChosenAndChangedStoriesAreRewritten) {
    command.dictionary = Utf16ToUtf8(folder.write("empty.txt", ""));
    for (const char* package : {"4-pages.idml", "article-1photo.idml", "cases.idml", "dime-tripple.idml", "meta-with-image.idml"}) {
        ASSERT_EQ(run(kFixtures + package), cli::kSucceeded) << err.str();
        EXPECT_EQ(ReadBack(output).raw, ReadBack(kFixtures + package).raw) << package;
    }
    command.dictionary = kWordList;
    command.stories = {"cjk", "table"};
    command.stats = true;
    err.str("");
    ASSERT_EQ(run(kFixtures + "cases.idml"), cli::kSucceeded) << err.str();
    const Package input = ReadBack(kFixtures + "cases.idml");
    const Package annotated = ReadBack(output);
    for (const auto& [name, data] : input.raw) {
        EXPECT_EQ(annotated.raw.at(name) != data, name == "Stories/Story_cjk.xml" || name == "Stories/Story_table.xml") << name;
    }
    // "The 苹果 apple 书 book", "The book", a table (one character, after which "book" ends) and " tree", and its cell "apple tree"
    EXPECT_EQ(err.str().rfind("words: 10, annotations: 8, host calls: ", 0), 0u) << err.str();
}

// Refused with one line and no output, crafted cases made from cases.idml; a story listed twice is one story.
TEST_F(IdmlAnnotate, WhatIsNotAReadablePackageIsRefusedAndNothingWritten) {
    command.dictionary = kWordList;
    command.stats = true;
    const auto nest = [](const std::string& open, const std::string& close, int depth, const std::string& inside) {
        std::string xml;
        for (int k = 0; k < depth; ++k) xml += open;
        xml += inside;
        for (int k = 0; k < depth; ++k) xml += close;
        return xml;
    };
    const auto storyWith = [&](const std::string& body) {
        return craft("Stories/Story_split.xml", "<idPkg:Story><Story Self=\"split\"><ParagraphStyleRange><CharacterStyleRange>" + body +
                                                    "</CharacterStyleRange></ParagraphStyleRange></Story></idPkg:Story>");
    };
    const std::string cjk = R"(<idPkg:Story src="Stories/Story_cjk.xml"/>)", deep = " is nested deeper than 256 levels";
    struct Case {
        std::string input;
        int status;
        std::string message;
    };
    const Case cases[] = {
        {"not-a-zip.idml", cli::kBadInput, "not-a-zip.idml is not a zip archive"},
        {"no-mimetype.idml", cli::kBadInput, "no mimetype entry first"},
        {"inconsistent.idml", cli::kBadInput, "inconsistent.idml is not a readable zip archive (Zip archive inconsistent)"},
        {"wrong-mimetype.idml", cli::kBadInput, "wrong mimetype"},
        {"truncated-entry.idml", cli::kBadInput, "Stories/Story_s.xml is damaged or truncated"},
        {"story-not-xml.idml", cli::kBadInput, "Stories/Story_s.xml is not well-formed XML"},
        {"oversized-entry.idml", cli::kBadInput, "Stories/Story_s.xml inflates to 629145600 bytes, more than 512 MB"},
        {"missing.idml", cli::kBadInput, "cannot open"},
        {"damaged-entry.idml", cli::kBadInput, "damaged-entry.idml: entry META-INF/container.xml is damaged (CRC error)"},
        {"encrypted-entry.idml", cli::kBadInput, "encrypted-entry.idml: entry META-INF/container.xml is encrypted"},
        {storyWith(nest("<XMLElement>", "</XMLElement>", 40000, "<Content>a</Content>")), cli::kBadInput, "Stories/Story_split.xml" + deep},
        {storyWith("<Properties>" + nest("<P>", "</P>", 300000, "") + "</Properties><Content>a</Content>"), cli::kBadInput, deep},
        {craft("Resources/Styles.xml", "<idPkg:Styles><RootCharacterStyleGroup>" +
                                           nest("<CharacterStyleGroup Name=\"\">", "</CharacterStyleGroup>", 100000, "") +
                                           "</RootCharacterStyleGroup></idPkg:Styles>"),
         cli::kBadInput, "Resources/Styles.xml" + deep},
        {storyWith("<Content>the cat&#0;sat on the mat</Content>"), cli::kBadInput, "Stories/Story_split.xml holds U+0000"},
        {storyWith("<Content>the cat&#x1;sat</Content>"), cli::kBadInput, "holds U+0001"},
        {storyWith("<Content>the\x1F cat</Content>"), cli::kBadInput, "holds U+001F"},
        {storyWith("<Content>the &e; cat</Content>"), cli::kBadInput, "Stories/Story_split.xml refers to an undeclared entity &e;"},
        {craft("designmap.xml", "<Document a=\"&e;\">" + cjk + "</Document>"), cli::kBadInput, "designmap.xml refers to an undeclared entity &e;"},
        {craft("designmap.xml", "<Document>" + cjk + cjk + "</Document>"), cli::kSucceeded, "words: 5, annotations: 3"},  // "The 苹果 apple 书 book"
        // A document type's internal subset is no markup of the document, whatever its quotes hold: 256 levels then pass.
        {craft("designmap.xml", R"(<!DOCTYPE Document [<!ATTLIST Document a CDATA "<x>">]><Document>)" + cjk + nest("<x>", "</x>", 255, "") + "</Document>"),
         cli::kSucceeded, "words: 5, annotations: 3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        err.str("");
        EXPECT_EQ(run(c.input.starts_with("/") ? c.input : kFixtures + c.input), c.status);
        const std::string said = err.str();
        EXPECT_NE(said.find(c.message), std::string::npos) << said;
        EXPECT_TRUE(c.status == cli::kSucceeded || std::count(said.begin(), said.end(), '\n') == 1) << said;
        EXPECT_EQ(std::filesystem::remove(output), c.status == cli::kSucceeded);
    }
    command.stats = false;
    const std::string input = (folder.path() / "in.idml").string();
    std::filesystem::copy_file(kFixtures + "cases.idml", input);
    const std::string before = ReadBack(input).raw.at("Stories/Story_cjk.xml").first;
    for (auto [story, target, message] : {std::tuple{"nowhere", output, "no story nowhere"}, std::tuple{"", input, "is the input"},
                                          std::tuple{"", (folder.path() / "no" / "out.idml").string(), "cannot write"}}) {
        command.stories = *story ? std::vector<std::string>{story} : std::vector<std::string>{};
        output = target;
        err.str("");
        EXPECT_EQ(run(input), cli::kBadInput) << message;
        EXPECT_NE(err.str().find(message), std::string::npos) << err.str();
    }
    EXPECT_EQ(ReadBack(input).raw.at("Stories/Story_cjk.xml").first, before);
}

// Words as InDesign writes them: a discretionary hyphen and a byte-order mark inside, English glued to Chinese, a
// footnote's anchor right after a word, a zero-width space between two; text in no character style range gets a
// range of its own for the transcription's font.
TEST_F(IdmlAnnotate, WordsWithInvisibleCharactersChineseAndAnchors) {
    command.dictionary = kWordList;
    command.stories = {"split"};
    const std::pair<std::string, std::string> cases[] = {
        {"<CharacterStyleRange><Content>ap\u00ADple 看apple apple的意思 \uFEFFapple</Content><Footnote><ParagraphStyleRange>"
         "<CharacterStyleRange><Content>x</Content></CharacterStyleRange></ParagraphStyleRange></Footnote><Content> apple\u200Bapple"
         "</Content></CharacterStyleRange>",
         "ap\u00ADple \\ˈæpl\\ 看apple \\ˈæpl\\ apple \\ˈæpl\\的意思 \uFEFFapple \\ˈæpl\\\uFFFC apple \\ˈæpl\\\u200Bapple \\ˈæpl\\"},
        {"<Content>看apple</Content>", "看apple \\ˈæpl\\"},
    };
    for (const auto& [body, expected] : cases) {
        const std::string story = "<idPkg:Story><Story Self=\"split\"><ParagraphStyleRange>" + body + "</ParagraphStyleRange></Story></idPkg:Story>";
        ASSERT_EQ(run(craft("Stories/Story_split.xml", story)), cli::kSucceeded) << err.str();
        const Package annotated = ReadBack(output);
        const auto text =
            std::find_if(annotated.texts.begin(), annotated.texts.end(), [](const Text& t) { return t.text.find(u'看') != std::u16string::npos; });
        ASSERT_NE(text, annotated.texts.end());
        EXPECT_EQ(Utf16ToUtf8(text->text), expected);
        EXPECT_EQ(text->looks.back().font, "Lucida Sans Unicode");  // the window ends with the right symbol
        EXPECT_EQ(text->looks.front().font, "");
    }
}

}}  // namespace sonotag::idml
