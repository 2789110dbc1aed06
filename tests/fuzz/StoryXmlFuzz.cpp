// Story XML of any bytes: one source per character; text inserted after each text saves and reads back.

#include "idml/StoryXml.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sonotag;
    using namespace sonotag::fuzz;
    static const idml::RangeFormat kFont{u"Lucida Sans Unicode", ""};
    static const std::vector<idml::InsertedRun> kInsertion = {{u" ", nullptr}, {u"[ˈæpl]", &kFont}, {u"\u4e66", nullptr}};
    constexpr char16_t kInserted[] = u" [ˈæpl]\u4e66";
    std::unique_ptr<idml::StoryXml> story;
    try {
        story = std::make_unique<idml::StoryXml>(Bytes(data, size), "story");
    } catch (const DocumentError&) { return 0; }
    std::vector<std::u16string> expected;
    std::vector<idml::Insertion> insertions;
    for (const idml::StoryText& text : story->texts()) {
        FUZZ_EXPECT(text.sources.size() == text.text.size());
        expected.push_back(text.text);
        if (text.text.empty()) continue;
        expected.back() += kInserted;
        insertions.push_back({text.sources.back(), kInsertion});
    }
    story->insert(insertions);
    const idml::StoryXml saved(story->save(), "saved story");
    FUZZ_EXPECT(saved.texts().size() == expected.size());
    for (std::size_t k = 0; k < expected.size(); ++k) FUZZ_EXPECT(saved.texts()[k].text == expected[k]);
    return 0;
}
