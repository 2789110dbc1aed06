// UTF-8 <-> UTF-16: every sequence length both ways, and what malformed input becomes.

#include <gtest/gtest.h>

#include "base/Utf.h"

namespace sonotag {
namespace {

struct Pair {
    const char* utf8;
    std::u16string utf16;
};

TEST(Utf, WellFormedTextMakesTheRoundTrip) {
    const Pair pairs[] = {
        {"", u""},
        {"apple", u"apple"},
        {"\xC3\xA6\xCA\x83", u"\u00E6\u0283"},                              // two bytes each
        {"\xE5\xAE\x8C\xE6\x88\x90", u"\u5B8C\u6210"},                      // three
        {"\xEF\xBF\xBF", u"\uFFFF"},
        {"\xF0\x9F\x93\x96x", u"\U0001F4D6x"},                              // four: a surrogate pair
        {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
    };
    for (const Pair& pair : pairs) {
        EXPECT_EQ(Utf8ToUtf16(pair.utf8), pair.utf16) << pair.utf8;
        EXPECT_EQ(Utf16ToUtf8(pair.utf16), pair.utf8) << pair.utf8;
    }
}

TEST(Utf, EachMalformedSequenceBecomesOneReplacementCharacter) {
    const Pair pairs[] = {
        {"a\x80z", u"a\uFFFDz"},                  // continuation without a lead
        {"\xC0\xAF", u"\uFFFD\uFFFD"},            // overlong
        {"\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},  // overlong, three bytes
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},  // a surrogate spelt in UTF-8
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // past U+10FFFF
        {"\xE5\xAE", u"\uFFFD\uFFFD"},            // cut short at the end
        {"\xE5" "a", u"\uFFFDa"},
    };
    for (const Pair& pair : pairs) EXPECT_EQ(Utf8ToUtf16(pair.utf8), pair.utf16) << pair.utf8;
}

TEST(Utf, LoneSurrogatesBecomeTheReplacementCharacter) {
    const std::u16string lone[] = {std::u16string(1, u'\xD83D') + u"x", u"x" + std::u16string(1, u'\xDCD6'),
                                   std::u16string{u'\xDCD6', u'\xD83D'}};
    const char* expected[] = {"\xEF\xBF\xBDx", "x\xEF\xBF\xBD", "\xEF\xBF\xBD\xEF\xBF\xBD"};
    for (int k = 0; k < 3; ++k) EXPECT_EQ(Utf16ToUtf8(lone[k]), expected[k]) << k;
}

TEST(Utf, AppendingKeepsWhatWasThere) {
    std::u16string text = u"\u5B8C";
    AppendUtf8AsUtf16("\xC3\xA6", text);
    EXPECT_EQ(text, u"\u5B8C\u00E6");
}

}  // namespace
}  // namespace sonotag
