// Notations map unit for unit, leave non-ASCII alone, agree with themselves; UTF-8 and UTF-16 convert losslessly.

#include "base/Utf.h"
#include "notation/Notation.h"
#include "tests/fuzz/FuzzSupport.h"

namespace sonotag::fuzz { namespace {

using namespace sonotag::notation;

bool IsSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

std::u16string WithoutLoneSurrogates(std::u16string text) {  // each unpaired surrogate as U+FFFD
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] <= 0xDBFF && IsSurrogate(text[i]) && i + 1 < text.size() && text[i + 1] >= 0xDC00 && IsSurrogate(text[i + 1])) ++i;
        else if (IsSurrogate(text[i])) text[i] = u'\uFFFD';
    }
    return text;
}

void CheckUnitForUnit(std::u16string_view in, std::u16string_view out) {
    FUZZ_EXPECT(in.size() == out.size());
    for (std::size_t i = 0; i < in.size(); ++i) FUZZ_EXPECT(in[i] < 0x80 || out[i] == in[i]);
}

void CheckNotations(const std::u16string& stored) {
    const std::u16string ipa14 = ToIpa14Letters(stored);
    const std::u16string unicode = ToUnicodeIpa(stored);
    CheckUnitForUnit(stored, ipa14);
    CheckUnitForUnit(stored, unicode);
    FUZZ_EXPECT(ToIpa14Letters(ipa14) == ipa14);
    FUZZ_EXPECT(ToUnicodeIpa(ipa14) == unicode);
    for (std::size_t i = 0; i < ipa14.size(); ++i)  // only long vowels keep i and u
        FUZZ_EXPECT((ipa14[i] != u'i' && ipa14[i] != u'u') || (i + 1 < ipa14.size() && ipa14[i + 1] == u':'));
    FUZZ_EXPECT(RenderTranscription(stored, Notation::Unicode) == unicode && RenderTranscription(stored, Notation::Kingsoft14) == ipa14 &&
                RenderTranscription(stored, Notation::Kingsoft13) == stored);
}

void CheckUtf(std::string_view bytes) {
    const std::u16string units = Utf16Units(bytes);
    FUZZ_EXPECT(Utf8ToUtf16(Utf16ToUtf8(units)) == WithoutLoneSurrogates(units));
    const std::u16string decoded = Utf8ToUtf16(bytes);
    FUZZ_EXPECT(decoded.size() <= bytes.size());
    const std::string encoded = Utf16ToUtf8(decoded);
    bool wellFormed = true;  // and the same text, behind a letter: the strict reader drops a leading mark
    try {
        FUZZ_EXPECT(DecodeUtf8Text("x" + encoded) == u"x" + decoded);
    } catch (const DocumentError&) { wellFormed = false; }
    FUZZ_EXPECT(wellFormed);
    if (bytes.starts_with("\xEF\xBB\xBF")) return;
    try {
        FUZZ_EXPECT(DecodeUtf8Text(bytes) == decoded);  // strict and lenient agree on good input
    } catch (const DocumentError&) { FUZZ_EXPECT(decoded.find(u'\uFFFD') != std::u16string::npos); }
}

}}  // namespace sonotag::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sonotag::fuzz;
    const std::string_view bytes = Bytes(data, size);
    CheckNotations(std::u16string(data, data + size));  // stored transcriptions are mostly ASCII: one unit a byte
    CheckNotations(Utf16Units(bytes));
    CheckUtf(bytes);
    return 0;
}
