// config.ini of any bytes: loads, its style resolves holding only itself, saves read back (over a marked input too).

#include "host/CharacterStyle.h"
#include "settings/ProfileFile.h"
#include "base/StylePath.h"
#include "settings/SettingsFile.h"
#include "standin/StandInHost.h"
#include "tests/fuzz/FuzzSupport.h"

namespace sonotag::fuzz { namespace {

constexpr char kNestedStyles[] = R"({"characterStyles": [":[无]", ":A", ":AB", ":Phonetics", ":音标:国际音标", ":G1:G2:Deep",
  ":G1:G2:Deeper", ":G1:Mid", ":G1:G3:Other", ":Group:Phonetics2"], "stories": [{"text": "Tom has an apple."}], "selection": {"story": 0}})";

}}  // namespace sonotag::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sonotag;
    using namespace sonotag::fuzz;
    static const ScratchFolder folder("config");
    static standin::StandInHost host;
    if (!host.hasDocument()) host.loadDocumentJson(kNestedStyles);
    const std::string_view bytes = Bytes(data, size);
    const std::u16string path = folder.write("config.ini", bytes);
    const settings::AnnotationSettings read = settings::ReadSettings(path);
    host::ObjectRef characterStyle;
    host::ResolveCharacterStyle(host.application(), read.characterStyleName, characterStyle, host::StyleResolution::Load);
    const bool heldOnlyTheStyle = host.liveObjects() == (characterStyle ? 1 : 0);
    characterStyle.reset();
    FUZZ_EXPECT(heldOnlyTheStyle && host.liveObjects() == 0);
    settings::ParseUnsigned(Utf16Units(bytes), 10);  // the number parser on the input itself
    settings::ParseSigned(Utf16Units(bytes));

    settings::AnnotationSettings expected = read;  // a save stores the host's "no style" as none
    if (expected.characterStyleName == kNoStylePath) expected.characterStyleName.clear();
    if (expected != settings::AnnotationSettings()) {  // the defaults' trip is no news
        const std::filesystem::path fresh = folder.file("fresh.ini");
        std::filesystem::remove(fresh);
        settings::SaveSettings(fresh.u16string(), read);
        FUZZ_EXPECT(settings::ReadSettings(settings::ProfileFile(fresh.u16string())) == expected);
    }
    const bool lossless = bytes.starts_with("\xEF\xBB\xBF") || bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
    settings::SaveSettings(path, read);
    if (lossless) FUZZ_EXPECT(settings::ReadSettings(settings::ProfileFile(path)) == expected);
    return 0;
}
