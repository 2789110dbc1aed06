#include "annotation/Homographs.h"

#include <algorithm>
#include <array>
#include <map>
#include <span>

namespace sonotag::annotation {
namespace {

using Words = std::span<const std::u16string_view>;

// ---- the kinds of word a cue looks for ----

constexpr std::u16string_view kDeterminers[] = {
    u"the",   u"a",     u"an",      u"this",   u"that",    u"these",   u"those",  u"some",  u"any",    u"no",
    u"every", u"each",  u"another", u"either", u"neither", u"much",    u"many",   u"more",  u"most",   u"several",
    u"both",  u"all",   u"few",     u"little", u"such",    u"one",     u"two",    u"three", u"four",   u"five",
    u"six",   u"seven", u"eight",   u"nine",   u"ten",     u"first",   u"last",   u"next",  u"latest", u"new",
    u"old",   u"good",  u"great",   u"best",   u"main",    u"local",   u"public", u"fresh", u"world",  u"small",
    u"big",   u"whole", u"strange", u"class",  u"school",  u"birthday"};
constexpr std::u16string_view kPossessives[] = {u"my", u"your", u"his", u"her", u"its", u"our", u"their", u"whose"};
constexpr std::u16string_view kPrepositions[] = {u"of",    u"in",     u"on",      u"at",      u"for",    u"with",
                                                 u"by",    u"from",   u"about",   u"into",    u"under",  u"over",
                                                 u"after", u"before", u"between", u"through", u"during", u"against",
                                                 u"among", u"across", u"without", u"like",    u"near"};
constexpr std::u16string_view kSubjects[] = {u"i",  u"you",  u"he",  u"she",    u"it",
                                             u"we", u"they", u"who", u"people", u"anyone"};
constexpr std::u16string_view kVerbBefore[] = {
    u"to",     u"will",  u"would",  u"can", u"could", u"shall",  u"should",  u"may",     u"might",
    u"must",   u"do",    u"does",   u"did", u"don't", u"didn't", u"doesn't", u"won't",   u"can't",
    u"cannot", u"let's", u"please", u"not", u"never", u"often",  u"always",  u"usually", u"sometimes",
    u"also",   u"still", u"just",   u"why", u"how",   u"where",  u"when",    u"what"};
constexpr std::u16string_view kHave[] = {u"have", u"has", u"had", u"having", u"i've", u"you've", u"we've", u"they've"};
constexpr std::u16string_view kBe[] = {u"am",    u"is",   u"are",    u"was",  u"were",  u"be",     u"been",
                                       u"being", u"it's", u"that's", u"he's", u"she's", u"seemed", u"quite"};
constexpr std::u16string_view kSubjectAfter[] = {u"is",  u"are",  u"was",  u"were", u"has",    u"have", u"had",
                                                 u"can", u"will", u"must", u"went", u"lasted", u"runs", u"shows"};
constexpr std::u16string_view kObjectAfter[] = {
    u"the", u"a",     u"an", u"this", u"that", u"these", u"those", u"my",  u"your", u"his", u"her",    u"its",
    u"our", u"their", u"me", u"him",  u"us",   u"them",  u"every", u"all", u"some", u"it",  u"anyone", u"what"};
constexpr std::u16string_view kPastTime[] = {u"yesterday", u"ago", u"last"};
constexpr std::u16string_view kDegree[] = {u"too", u"very", u"so", u"rather", u"fairly", u"extremely"};
constexpr std::u16string_view kUsedTo[] = {u"to"};
constexpr std::u16string_view kNegation[] = {u"not", u"n't"};

// The words that go with a sense, on either side.
constexpr std::u16string_view kMetal[] = {u"pipe",   u"pipes", u"paint", u"poisoning", u"roof", u"pencil",
                                          u"weight", u"heavy", u"mine",  u"bullet",    u"made", u"free"};
constexpr std::u16string_view kGuide[] = {u"team", u"take",       u"way",     u"role", u"singer", u"story",
                                          u"dog",  u"expedition", u"singing", u"you",  u"the"};
constexpr std::u16string_view kDrop[] = {u"eye", u"eyes",  u"cried", u"shed", u"wiped", u"rolled", u"cheek",
                                         u"joy", u"burst", u"face",  u"fell", u"ran",   u"another"};
constexpr std::u16string_view kRip[] = {u"torn",   u"fabric", u"paper",  u"page", u"trousers",
                                        u"sleeve", u"repair", u"jacket", u"wear", u"careful"};
constexpr std::u16string_view kBend[] = {u"took", u"take",  u"audience", u"head", u"deep",
                                         u"low",  u"stage", u"curtsy",   u"end"};
constexpr std::u16string_view kWeapon[] = {u"arrow", u"arrows", u"archery", u"violin", u"cello", u"tied",
                                           u"tie",   u"ribbon", u"hair",    u"string", u"plays"};
constexpr std::u16string_view kLine[] = {u"front", u"back", u"seats",  u"houses", u"teeth",
                                         u"boat",  u"oars", u"across", u"sat"};
constexpr std::u16string_view kQuarrel[] = {u"had",     u"blazing",  u"family", u"neighbours",
                                            u"furious", u"terrible", u"about"};
constexpr std::u16string_view kMusic[] = {u"guitar", u"player", u"plays", u"drum", u"drums", u"clef", u"singer",
                                          u"double", u"voice",  u"jazz",  u"band", u"note",  u"notes"};
constexpr std::u16string_view kFish[] = {u"sea",     u"fishing", u"caught", u"lake",  u"river",
                                         u"striped", u"fillet",  u"rod",    u"bream", u"pier"};

// Where a cue looks: the word right before, the one before that, the word
// right after, any of three after or on either side; a possessive right
// before; a subject pronoun right before with one of the words two before
// ("have you", "did they"); a plural noun right before, standing first or
// after a determiner ("metal rods", "the shops": a subject, so a verb follows).
enum class Place { Before1, Before2, After1, After, Near, PossessiveBefore, InvertedBefore, PluralBefore };

struct Cue {
    Place place;
    Words words;
    std::u16string_view calls;  // the reading's class the cue calls for
    int weight;
    bool exact = false;  // no fallback when a word lacks the class
};

// What each cue calls for, and how strongly. A class a word lacks falls back
// as kFallbacks says.
constexpr Cue kCues[] = {
    {Place::Before1, kDeterminers, u"noun", 2},
    {Place::PossessiveBefore, kPossessives, u"noun", 3},
    {Place::Before1, kPrepositions, u"noun", 2},
    {Place::Before2, kDeterminers, u"noun", 1},
    {Place::After1, kSubjectAfter, u"noun", 1},
    {Place::Before1, kSubjects, u"verb", 2},
    {Place::Before1, kVerbBefore, u"verb", 3},
    {Place::After1, kObjectAfter, u"verb", 2},
    {Place::After1, kNegation, u"verb", 3},
    {Place::PluralBefore, kDeterminers, u"verb", 2},
    {Place::Before1, kHave, u"past", 4},
    {Place::InvertedBefore, kHave, u"past", 5},
    {Place::Before1, kBe, u"past", 2, true},
    {Place::Before1, kBe, u"adj", 2},
    {Place::Before1, kDegree, u"adj", 3},
    {Place::After, kPastTime, u"past", 2},
    {Place::After1, kUsedTo, u"usedto", 5},
    {Place::Near, kMetal, u"metal", 3},
    {Place::Near, kGuide, u"guide", 1},
    {Place::Near, kDrop, u"drop", 3},
    {Place::Near, kRip, u"rip", 3},
    {Place::Near, kBend, u"bend", 3},
    {Place::Near, kWeapon, u"weapon", 3},
    {Place::Near, kLine, u"line", 3},
    {Place::Near, kQuarrel, u"quarrel", 3},
    {Place::Near, kMusic, u"music", 3},
    {Place::Near, kFish, u"fish", 3},
};

// Where a class a word lacks goes instead: an adjective said like the noun,
// a past tense standing for the verb, a sense that is the verb's.
constexpr std::array<std::array<std::u16string_view, 4>, 4> kFallbacks = {{
    {u"noun", u"adj", u"", u""},
    {u"adj", u"noun", u"", u""},
    {u"verb", u"past", u"guide", u"line"},
    {u"past", u"verb", u"", u""},
}};

bool Contains(Words words, std::u16string_view word) {
    return std::find(words.begin(), words.end(), word) != words.end();
}

// "the school's", "parents'": a possessive as much as "their".
bool IsPossessive(std::u16string_view word) { return word.ends_with(u"'s") || word.ends_with(u"s'"); }

// "rods", "shops", "factories": a plural noun, not a function word or a possessive.
bool IsPluralNoun(std::u16string_view word) {
    return word.size() > 3 && word.back() == u's' && !word.ends_with(u"ss") && !word.ends_with(u"'s") &&
           !Contains(kSubjectAfter, word) && !Contains(kVerbBefore, word) && !Contains(kPrepositions, word);
}

bool Matches(const Cue& cue, const HomographContext& context) {
    const auto at = [&](const std::vector<std::u16string>& side, std::size_t k) {
        return k < side.size() && Contains(cue.words, side[k]);
    };
    switch (cue.place) {
        case Place::Before1: return at(context.before, 0);
        case Place::PossessiveBefore:
            return at(context.before, 0) || (!context.before.empty() && IsPossessive(context.before[0]));
        case Place::InvertedBefore: return at(context.before, 1) && Contains(kSubjects, context.before[0]);
        case Place::PluralBefore:
            return !context.before.empty() && IsPluralNoun(context.before[0]) &&
                   (context.before.size() == 1 || at(context.before, 1));
        case Place::Before2: return at(context.before, 1);
        case Place::After1: return at(context.after, 0);
        case Place::After: return at(context.after, 0) || at(context.after, 1) || at(context.after, 2);
        case Place::Near:
            return at(context.before, 0) || at(context.before, 1) || at(context.before, 2) || at(context.after, 0) ||
                   at(context.after, 1) || at(context.after, 2);
    }
    return false;
}

// The reading a cue's class comes to for these readings, if any.
const dictionary::Reading* ReadingFor(std::u16string_view calls, const std::vector<dictionary::Reading>& readings,
                                      bool exact = false) {
    const auto named = [&](std::u16string_view name) -> const dictionary::Reading* {
        for (const dictionary::Reading& reading : readings) {
            if (reading.readingClass == name) return &reading;
        }
        return nullptr;
    };
    if (const dictionary::Reading* reading = named(calls)) return reading;
    if (exact) return nullptr;
    for (const auto& chain : kFallbacks) {
        if (chain[0] != calls) continue;
        for (std::size_t k = 1; k < chain.size() && !chain[k].empty(); ++k) {
            if (const dictionary::Reading* reading = named(chain[k])) return reading;
        }
    }
    return nullptr;
}

}  // namespace

const dictionary::Reading* ChooseReading(const std::vector<dictionary::Reading>& readings,
                                         const HomographContext& context) {
    // A capital inside a sentence is the capitalised word's own reading.
    if (context.capitalised && !context.before.empty()) {
        if (const dictionary::Reading* reading = ReadingFor(u"cap", readings)) return reading;
    }
    std::map<const dictionary::Reading*, int> weights;
    for (const Cue& cue : kCues) {
        if (!Matches(cue, context)) continue;
        if (const dictionary::Reading* reading = ReadingFor(cue.calls, readings, cue.exact))
            weights[reading] += cue.weight;
    }
    const dictionary::Reading* best = nullptr;
    int bestWeight = 0, secondWeight = 0;
    for (const auto& [reading, weight] : weights) {
        if (weight > bestWeight) {
            secondWeight = bestWeight;
            bestWeight = weight;
            best = reading;
        } else if (weight > secondWeight) {
            secondWeight = weight;
        }
    }
    return bestWeight > secondWeight ? best : nullptr;
}

std::u16string ShownContext(const HomographContext& context, std::u16string_view word) {
    std::u16string shown;
    for (auto before = context.before.rbegin(); before != context.before.rend(); ++before) shown += *before + u" ";
    shown += u"[" + std::u16string(word) + u"]";
    for (const std::u16string& after : context.after) shown += u" " + after;
    return shown;
}

}  // namespace sonotag::annotation
