// Homographs decided by the words around them: the sentences of tests/fixtures/homographs, each homograph marked with
// the reading a British speaker gives it, run with the shipped word list and table.

#include <fstream>
#include <regex>

#include <gtest/gtest.h>

#include "annotation/Annotation.h"
#include "annotation/Homographs.h"
#include "annotation/WordLookup.h"
#include "base/Utf.h"
#include "dictionary/HomographTable.h"
#include "dictionary/PhoneticDictionary.h"
#include "standin/StandInHost.h"
#include "tests/support/AttachedState.h"

namespace sonotag::annotation { namespace {

using dictionary::HomographTable;

struct Marked {
    std::u16string word, readingClass;
};

// A marked sentence: its plain text and its marks in order.
std::pair<std::u16string, std::vector<Marked>> Unmark(const std::string& line) {
    static const std::regex mark(R"(\[([^\]=]+)=([a-z?]+)\])");
    std::vector<Marked> marks;
    for (std::sregex_iterator it(line.begin(), line.end(), mark), end; it != end; ++it)
        marks.push_back({Utf8ToUtf16((*it)[1].str()), Utf8ToUtf16((*it)[2].str())});
    return {Utf8ToUtf16(std::regex_replace(line, mark, "$1")), marks};
}

// Runs one text (letters of the older convention, "[...]" around each transcription) and gives it annotated.
std::u16string Annotated(const std::u16string& text, const PhoneticDictionary& dictionary, const HomographTable* table, RunLog* log = nullptr) {
    standin::StandInHost host;
    host.loadPlainText(text);
    test::AttachedState target(host.application(), {u"", u"", u" ", u"[", u"]", {1, false}, true, table != nullptr});
    target.homographs = table;
    target.log = log;
    EXPECT_TRUE(AnnotateSelection(target, dictionary, kInitialUndoMark).completed());
    return host.storyText(0);
}

// The transcriptions of the marked words in an annotated text, in order.
std::vector<std::u16string> MarkedTranscriptions(const std::u16string& annotated, const std::vector<Marked>& marks) {
    std::vector<std::u16string> found;
    std::size_t at = 0;
    for (const Marked& m : marks) {
        at = annotated.find(m.word + u" [", at);
        if (at == std::u16string::npos) return found;
        const std::size_t open = at + m.word.size() + 2;
        found.push_back(annotated.substr(open, annotated.find(u']', open) - open));
        at = open;
    }
    return found;
}

TEST(Homographs, DecideNinetyPercentOfTheSentencesAndChangeNothingElse) {
    PhoneticDictionary dictionary;
    HomographTable table;
    ASSERT_FALSE(dictionary.load(Utf8ToUtf16(SONOTAG_FIXTURES "/../../dictionary/dictionary.txt")));
    ASSERT_FALSE(table.load(Utf8ToUtf16(SONOTAG_FIXTURES "/../../dictionary/homographs.txt")));
    std::ifstream sentences(SONOTAG_FIXTURES "/homographs/sentences.txt");
    int marks = 0, rightBefore = 0, rightAfter = 0;
    RunLog log;
    for (std::string line; std::getline(sentences, line);) {
        if (line.empty() || line.front() == '#') continue;
        const auto [text, marked] = Unmark(line);
        const std::u16string plain = Annotated(text, dictionary, nullptr), decided = Annotated(text, dictionary, &table, &log);
        const auto before = MarkedTranscriptions(plain, marked), after = MarkedTranscriptions(decided, marked);
        ASSERT_EQ(after.size(), marked.size()) << line;
        for (std::size_t k = 0; k < marked.size(); ++k) {
            const std::vector<dictionary::Reading>* readings = table.find(LowerKey(marked[k].word));
            ASSERT_TRUE(readings) << line;
            const auto reading = std::find_if(readings->begin(), readings->end(), [&](const auto& r) { return r.readingClass == marked[k].readingClass; });
            ASSERT_NE(reading, readings->end()) << line;
            ++marks;
            rightBefore += before[k] == reading->transcription;
            rightAfter += after[k] == reading->transcription;
        }
        // Every other word keeps the word list's transcription: the texts differ only in the marked words'.
        std::u16string kept = decided;
        for (std::size_t k = 0; k < after.size(); ++k) kept.replace(kept.find(u"[" + after[k] + u"]"), after[k].size() + 2, u"[" + before[k] + u"]");
        EXPECT_EQ(Utf16ToUtf8(kept), Utf16ToUtf8(plain)) << line;
    }
    std::printf("homographs: %d marked; right with the word list alone %d (%.1f%%), with the context %d (%.1f%%); %d decided, %zu undecided\n", marks,
                rightBefore, 100.0 * rightBefore / marks, rightAfter, 100.0 * rightAfter / marks, log.homographsDecided, log.undecided.size());
    EXPECT_GE(rightAfter * 10, marks * 9);
}

// Each cue of the table, each fallback and the ties, one sentence a row: every marked word decided as marked ("?":
// undecided, keeping the word list's transcription).
TEST(Homographs, EachCueCallsForItsReading) {
    PhoneticDictionary dictionary;
    HomographTable table;
    ASSERT_FALSE(dictionary.load(Utf8ToUtf16(SONOTAG_FIXTURES "/../../dictionary/dictionary.txt")));
    ASSERT_FALSE(table.load(Utf8ToUtf16(SONOTAG_FIXTURES "/../../dictionary/homographs.txt")));
    const char* const rows[] = {
        "the [record=noun] was broken",                                // determiner before, subject's verb after
        "my [record=noun] and the school's [record=noun] stand here",  // possessives
        "He asked for [record=noun]",                                  // preposition
        "the broken [record=noun]",                                    // determiner two before
        "[Record=noun] shows it",                                      // a noun's verb after; a capital starting the sentence
        "She will [record=verb] it",                                   // modal, object after
        "They [object=verb] strongly",                                 // subject before
        "Some [object=verb] not here",                                 // negation after outweighs a determiner
        "The rods [contract=verb] in winter",                          // a plural noun standing as the subject
        "I have [read=past] it",                                       // have
        "Have you [read=past] it?",                                    // have, inverted
        "It was [read=past] aloud",                                    // be before a past participle
        "The door is [close=adj]",                                     // be: the past only if the word has one, else the adjective
        "It was too [close=adj]",                                      // degree
        "[Read=past] last week, the book was fine",                    // past time after
        "I [used=usedto] to swim",                                     // used to
        "They [used=past] the car",                                    // a verb cue falls back to the past
        "the [live=adj] show",                                         // a noun cue falls back to the adjective
        "very [minute=adj] changes",                                   // adjective
        "a [lead=metal] pipe",                                         // senses by the words near them
        "They [lead=guide] the team",
        "a [tear=drop] rolled down",
        "Be careful not to [tear=rip] the paper",
        "The actors [bow=bend] to the audience",
        "She plays the violin with a [bow=weapon]",
        "We sat in the front [row=line]",
        "They had a terrible [row=quarrel]",
        "He plays [bass=music] guitar",
        "They caught a [bass=fish]",
        "He is [Polish=cap]",  // a capital inside the sentence
        "[Polish=verb] the table",
        "[Read=?]",           // no cue
        "the [record=?] it",  // a tie
    };
    for (const char* row : rows) {
        const auto [text, marked] = Unmark(row);
        RunLog log;
        const std::u16string plain = Annotated(text, dictionary, nullptr), decided = Annotated(text, dictionary, &table, &log);
        const auto before = MarkedTranscriptions(plain, marked), after = MarkedTranscriptions(decided, marked);
        ASSERT_EQ(after.size(), marked.size()) << row;
        std::size_t undecided = 0;
        for (std::size_t k = 0; k < marked.size(); ++k) {
            if (marked[k].readingClass == u"?") {
                ++undecided;
                EXPECT_EQ(Utf16ToUtf8(after[k]), Utf16ToUtf8(before[k])) << row;
                continue;
            }
            const std::vector<dictionary::Reading>& readings = *table.find(LowerKey(marked[k].word));
            const auto reading = std::find_if(readings.begin(), readings.end(), [&](const auto& r) { return r.readingClass == marked[k].readingClass; });
            ASSERT_NE(reading, readings.end()) << row;
            EXPECT_EQ(Utf16ToUtf8(after[k]), Utf16ToUtf8(reading->transcription)) << row;
        }
        EXPECT_EQ(log.undecided.size(), undecided) << row;
        EXPECT_EQ(log.homographsDecided, static_cast<std::int32_t>(marked.size() - undecided)) << row;
    }
}

}}  // namespace sonotag::annotation
