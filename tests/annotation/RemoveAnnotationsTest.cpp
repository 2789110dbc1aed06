// The undo mark's rules: a removal undoes back to the level kept at the last run or removal, never further.

#include <gtest/gtest.h>

#include "annotation/Annotation.h"
#include "dictionary/PhoneticDictionary.h"
#include "standin/StandInHost.h"
#include "tests/support/AttachedState.h"
#include "tests/support/StandInDocument.h"

namespace sonotag { namespace {

using namespace sonotag::dictionary;
using namespace sonotag::notation;
using namespace sonotag::annotation;

using namespace host;

TEST(Removal, FollowsTheUndoMark) {
    // Steps (a annotate, r remove, t the user types, u undo by hand, m mark the level, n/s select nothing/the story,
    // c close), the story after (nullptr: as loaded), the mark, and whether the last removal completed.
    const std::tuple<std::string, const char*, std::int32_t, bool> cases[] = {
        {"ar", nullptr, 15, true},                                     // the level before undoing: 3 typed, 2 insertions, 11 fonts
        {"r", nullptr, 2, true},                                       // before any run: nothing undone, the mark moves
        {"rtr", nullptr, 2 + 1, true},                                 // from there, what was done since
        {"artr", "typed an apple, a book", 3, true},                   // a second removal keeps what was typed in between
        {"atr", nullptr, 15 + 1, true},                                // edits after a run go too
        {"nastr", nullptr, 2 + 1, true},                               // a run that changed nothing: only the later edits
        {"amuur", "an apple, \\ˈæpl\\ a book \\bʊk\\", 15 - 2, true},  // steps undone by hand lower the mark
        {"acr", "closed", 2, false},                                   // a failed removal keeps the mark
    };
    for (const auto& [steps, expected, expectedMark, completed] : cases) {
        standin::StandInHost host;
        host.loadDocumentJson(R"({"characterStyles": [":[无]"], "stories": [{"text": "an apple, a book",
            "runs": [{"start": 0, "length": 2, "font": "Arial"}]}], "selection": {"story": 0},
            "undoHistory": ["Typing", "Typing", "Typing"]})");
        const std::string original = host.dumpDocumentJson();
        PhoneticDictionary dictionary;
        for (const char16_t* line : {u"apple,||5Apl", u"book||buk"}) dictionary.addLine(line);
        std::int32_t mark = kInitialUndoMark;
        RunOutcome removal;
        for (const char step : steps) {
            switch (step) {
                case 'a': mark = AnnotateSelection(test::AttachedState(host.application()), dictionary, mark).undoMark; break;
                case 'r':
                    removal = RemoveAnnotations(host.application(), mark);
                    mark = removal.undoMark;
                    break;
                case 't':
                    Put(Item(GetObjectRef(CallForObject(Get(host.application(), code::kSelection).object(), code::kFirst), code::kInsertionPoints), 1),
                        code::kContents, Value(u"typed "));
                    break;
                case 'u': Call(GetObjectRef(host.application(), code::kActiveDocument), code::kUndo); break;
                case 'm': mark = QueryUndoLevel(host.application()); break;
                case 'n': host.select({}); break;
                case 's': host.select({0}); break;
                case 'c': host.closeDocument(); break;
            }
        }
        const std::string text = !host.hasDocument() ? "closed" : expected ? test::StoryUtf8(host) : host.dumpDocumentJson();
        EXPECT_EQ(text, expected ? expected : original) << steps;
        EXPECT_EQ(mark, expectedMark) << steps;
        EXPECT_EQ(removal.completed(), completed) << steps;
    }
}

}}  // namespace sonotag
