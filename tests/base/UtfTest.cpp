// UTF-8 <-> UTF-16: every sequence length both ways, and what malformed input becomes.

#include <gtest/gtest.h>

#include "base/Utf.h"

namespace sonotag { namespace {

struct Pair {
    const char* utf8;
    std::u16string utf16;
};

TEST(Utf, WellFormedTextMakesTheRoundTrip) {
    const Pair pairs[] = {
        {"", u""},
        {"apple", u"apple"},
        {"\xC3\xA6\xCA\x83", u"\u00E6\u0283"},          // two bytes each
        {"\xE5\xAE\x8C\xE6\x88\x90", u"\u5B8C\u6210"},  // three
        {"\xEF\xBF\xBF", u"\uFFFF"},
        {"\xF0\x9F\x93\x96x", u"\U0001F4D6x"},  // four: a surrogate pair
        {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
        {"\xC2\x80\xE0\xA0\x80\xF0\x90\x80\x80", u"\u0080\u0800\U00010000"},  // the smallest of each length
        {"\x7F\xDF\xBF", u"\u007F\u07FF"},                                    // the largest of one and two
    };
    for (const Pair& pair : pairs) {
        EXPECT_EQ(Utf8ToUtf16(pair.utf8), pair.utf16) << pair.utf8;
        EXPECT_EQ(Utf16ToUtf8(pair.utf16), pair.utf8) << pair.utf8;
    }
}

TEST(Utf, EachMalformedSequenceBecomesOneReplacementCharacter) {
    const Pair pairs[] = {
        {"a\x80z", u"a\uFFFDz"},                            // continuation without a lead
        {"\xC0\xAF", u"\uFFFD\uFFFD"},                      // overlong
        {"\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},            // overlong, three bytes
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},            // a surrogate spelt in UTF-8
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // past U+10FFFF
        {"\xE5\xAE", u"\uFFFD\uFFFD"},                      // cut short at the end
        {"\xE5"
         "a",
         u"\uFFFDa"},
        {"\xF0\x8F\xBF\xBF", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // overlong, four bytes
        {"\xF5\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // no lead past F4
        {"\xC1\xBF", u"\uFFFD\uFFFD"},
        {"\xF8\x88\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
    };
    for (const Pair& pair : pairs) {
        EXPECT_EQ(Utf8ToUtf16(pair.utf8), pair.utf16) << pair.utf8;
        // The strict reader stops at the first malformed byte, which is the first replaced one here.
        const std::string bytes = std::string("ok") + pair.utf8;
        EXPECT_EQ(FindMalformedUtf8(bytes), 2 + Utf16ToUtf8(pair.utf16).find("\xEF\xBF\xBD")) << pair.utf8;
        EXPECT_THROW(DecodeUtf8Text(bytes), DocumentError);
    }
}

TEST(Utf, StrictTextDropsOneLeadingMark) {
    EXPECT_EQ(DecodeUtf8Text("\xEF\xBB\xBF\xEF\xBB\xBF"
                             "a\xC3\xA6"),
              u"\uFEFFa\u00E6");
    EXPECT_EQ(FindMalformedUtf8("\xEF\xBB\xBF\xE6\x88\x90"), std::nullopt);
}

TEST(Utf, ByteOrderMarksAndUtf16Bytes) {
    using namespace std::string_literals;
    const struct {
        std::string bytes;
        MarkedEncoding encoding;
        std::size_t length;
        std::u16string text;
    } cases[] = {
        {"\xEF\xBB\xBF\xE6\x88\x90", MarkedEncoding::Utf8, 3, u"\u6210"},
        {"\xFF\xFE\x10\x62\x3D\xD8\xD6\xDC", MarkedEncoding::Utf16Le, 2, u"\u6210\U0001F4D6"},
        {"\xFE\xFF\x62\x10\x00"s, MarkedEncoding::Utf16Be, 2, u"\u6210"},  // an odd last byte is no unit
        {"\xEF\xBB", MarkedEncoding::None, 0, u""},
        {"\xFF\xFF", MarkedEncoding::None, 0, u""},
        {"", MarkedEncoding::None, 0, u""},
    };
    for (const auto& c : cases) {
        const std::string_view bytes = c.bytes;
        const ByteOrderMark mark = DetectByteOrderMark(bytes);
        EXPECT_EQ(std::pair(mark.encoding, mark.length), std::pair(c.encoding, c.length)) << c.bytes;
        if (c.encoding == MarkedEncoding::None) continue;
        std::u16string text;
        AppendInMarkedEncoding(bytes.substr(mark.length), mark.encoding, text);
        EXPECT_EQ(text, c.text);
        const std::string written = EncodeWithByteOrderMark(c.text, c.encoding);
        EXPECT_EQ(written, bytes.substr(0, written.size()));
    }
}

TEST(Utf, LoneSurrogatesBecomeTheReplacementCharacter) {
    const std::u16string lone[] = {std::u16string(1, u'\xD83D') + u"x", u"x" + std::u16string(1, u'\xDCD6'), std::u16string{u'\xDCD6', u'\xD83D'},
                                   u"x" + std::u16string(1, u'\xDBFF')};
    const char* expected[] = {"\xEF\xBF\xBDx", "x\xEF\xBF\xBD", "\xEF\xBF\xBD\xEF\xBF\xBD", "x\xEF\xBF\xBD"};
    for (int k = 0; k < 4; ++k) EXPECT_EQ(Utf16ToUtf8(lone[k]), expected[k]) << k;
}

TEST(Utf, AppendingKeepsWhatWasThere) {
    std::u16string text = u"\u5B8C";
    AppendUtf8AsUtf16("\xC3\xA6", text);
    EXPECT_EQ(text, u"\u5B8C\u00E6");
}

}}  // namespace sonotag
