#include "annotation/WordLookup.h"

#include <array>

#include "dictionary/PhoneticDictionary.h"

namespace sonotag::annotation {
namespace {

using namespace sonotag::dictionary;

// A word split at its edges: prefix + core + suffix. The edges are
// punctuation, object markers, letters of Chinese, Japanese and Korean text
// glued to the English word, and invisible characters; an invisible
// character right after the core stays with the word, so the annotation
// follows it.
struct WordParts {
    std::u16string_view prefix;
    std::u16string_view core;
    std::u16string_view suffix;
};

// Planes 2 and 3 hold nothing but ideographs: a surrogate pair with a lead
// in D840-D87F is one.
bool IsIdeographPairAt(std::u16string_view word, std::size_t lead) {
    return lead + 1 < word.size() && word[lead] >= 0xD840 && word[lead] <= 0xD87F && word[lead + 1] >= 0xDC00 &&
           word[lead + 1] <= 0xDFFF;
}

bool IsEdge(std::u16string_view word, std::size_t at) {
    const char16_t c = word[at];
    return IsEdgePunctuation(c) || IsInvisible(c) || c == kObjectMarker || IsCjkLetter(c) ||
           IsIdeographPairAt(word, at) || (at > 0 && IsIdeographPairAt(word, at - 1));
}

WordParts SplitAtEdges(std::u16string_view word) {
    std::size_t begin = 0;
    while (begin < word.size() && IsEdge(word, begin)) ++begin;
    std::size_t end = word.size();
    while (end > begin && IsEdge(word, end - 1)) --end;
    while (end < word.size() && IsInvisible(word[end])) ++end;
    return {word.substr(0, begin), word.substr(begin, end - begin), word.substr(end)};
}

// The core in the word list's spelling: typographer's and modifier
// apostrophes as "'", the Unicode hyphens as "-", invisible characters gone.
std::u16string NormalisedKey(std::u16string_view core) {
    std::u16string key;
    key.reserve(core.size());
    for (char16_t c : core) {
        if (IsInvisible(c)) continue;
        if (c == u'\u2018' || c == u'\u2019' || c == u'\u02BC') c = u'\'';
        if (c == u'\u2010' || c == u'\u2011') c = u'-';
        key.push_back(c);
    }
    return key;
}

// Only A to Z: the word list's words are English, and a wider mapping
// would turn foreign letters into keys they never were.
char16_t LowerAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

// The key as it stands, with its first letter lowered, and wholly lowered;
// each form once, in that order.
class CaseForms {
public:
    explicit CaseForms(std::u16string_view key) {
        add(std::u16string(key));
        std::u16string form(key);
        if (!form.empty()) form.front() = LowerAscii(form.front());
        add(form);
        for (char16_t& c : form) c = LowerAscii(c);
        add(std::move(form));
    }
    auto begin() const { return forms_.begin(); }
    auto end() const { return forms_.begin() + static_cast<std::ptrdiff_t>(count_); }

private:
    void add(std::u16string form) {
        for (std::size_t i = 0; i < count_; ++i) {
            if (forms_[i] == form) return;
        }
        forms_[count_++] = std::move(form);
    }
    std::array<std::u16string, 3> forms_;
    std::size_t count_ = 0;
};

bool Contains(const PhoneticDictionary& list, std::u16string_view word) { return list.find(word).has_value(); }

// The first form with a non-empty transcription, or an empty one.
std::u16string_view FirstTranscription(const PhoneticDictionary& dictionary, const CaseForms& forms) {
    for (const std::u16string& form : forms) {
        const std::u16string_view stored = dictionary.find(form).value_or(std::u16string_view());
        if (!stored.empty()) return stored;
    }
    return {};
}

// "rabbit-hole": every part found, their transcriptions joined by "-";
// empty when a part is missing or empty ("a--b").
std::u16string CompoundTranscription(const PhoneticDictionary& dictionary, std::u16string_view key) {
    if (key.find(u'-') == std::u16string_view::npos) return {};
    std::u16string joined;
    for (std::size_t start = 0;;) {
        const std::size_t hyphen = key.find(u'-', start);
        const std::u16string_view part = key.substr(start, hyphen - start);
        if (part.empty()) return {};
        const std::u16string_view stored = FirstTranscription(dictionary, CaseForms(part));
        if (stored.empty()) return {};
        if (!joined.empty()) joined.push_back(u'-');
        joined.append(stored);
        if (hyphen == std::u16string_view::npos) return joined;
        start = hyphen + 1;
    }
}

// The look-up as the word list defines it: the word exactly as it stands.
std::optional<WordMatch> ExactMatch(std::u16string_view word, const PhoneticDictionary& dictionary) {
    const std::u16string_view stored = dictionary.find(word).value_or(std::u16string_view());
    if (stored.empty()) return std::nullopt;
    return WordMatch{std::u16string(stored), 0};
}

}  // namespace

bool IsInvisible(char16_t c) {
    return c == u'\u00AD' || c == u'\u200C' || c == u'\u200D' || c == u'\u2060' || c == u'\uFEFF';
}

bool IsCjkLetter(char16_t c) {
    const auto within = [c](char16_t first, char16_t last) { return c >= first && c <= last; };
    return within(u'\u1100', u'\u11FF') ||  // Hangul Jamo
           within(u'\u2E80', u'\u2FDF') ||  // CJK and Kangxi radicals
           within(u'\u3040', u'\u31FF') ||  // kana, Bopomofo, Hangul compatibility Jamo, kana extensions
           within(u'\u3400', u'\u4DBF') || within(u'\u4E00', u'\u9FFF') ||  // ideographs
           within(u'\uA960', u'\uA97F') || within(u'\uAC00', u'\uD7FF') ||  // Hangul
           within(u'\uF900', u'\uFAFF') || within(u'\uFF66', u'\uFFDC');    // compatibility and half-width forms
}

bool IsEdgePunctuation(char16_t c) {
    const auto within = [c](char16_t first, char16_t last) { return c >= first && c <= last; };
    return within(u'!', u'/') || within(u':', u'@') || within(u'[', u'`') || within(u'{', u'~') || c == u'\u00A1' ||
           c == u'\u00AB' || c == u'\u00BB' || c == u'\u00BF' || within(u'\u2010', u'\u2027') ||
           within(u'\u2030', u'\u205E') || within(u'\u3000', u'\u303F') || within(u'\uFF01', u'\uFF0F') ||
           within(u'\uFF1A', u'\uFF20') || within(u'\uFF3B', u'\uFF40') || within(u'\uFF5B', u'\uFF65');
}

std::u16string LooseKey(std::u16string_view word) { return NormalisedKey(SplitAtEdges(word).core); }

std::u16string LowerKey(std::u16string_view word) {
    std::u16string key = LooseKey(word);
    for (char16_t& c : key) c = LowerAscii(c);
    return key;
}

WordLookup LookUpWord(std::u16string_view word, const PhoneticDictionary& dictionary, const LookupRules& rules) {
    if (rules.skipList && Contains(*rules.skipList, word)) return {std::nullopt, true, std::u16string(word)};
    if (!rules.loose) return {ExactMatch(word, dictionary), false, std::u16string(word)};
    const WordParts parts = SplitAtEdges(word);
    std::u16string key = NormalisedKey(parts.core);
    // A word of punctuation, foreign letters or invisible characters only
    // has no key: an empty line of the skip list never skips it, and only
    // its exact form can be found.
    if (key.empty()) return {ExactMatch(word, dictionary), false, std::move(key)};

    const CaseForms forms(key);
    if (rules.skipList) {
        for (const std::u16string& form : forms) {
            if (Contains(*rules.skipList, form)) return {std::nullopt, true, std::move(key)};
        }
    }
    if (std::optional<WordMatch> exact = ExactMatch(word, dictionary)) return {std::move(exact), false, std::move(key)};
    std::u16string transcription(FirstTranscription(dictionary, forms));
    if (transcription.empty()) transcription = CompoundTranscription(dictionary, key);
    if (transcription.empty()) return {std::nullopt, false, std::move(key)};
    return {WordMatch{std::move(transcription), parts.suffix.size()}, false, std::move(key)};
}

}  // namespace sonotag::annotation
