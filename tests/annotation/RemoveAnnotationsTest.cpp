// The undo mark's rules: a removal undoes back to the level kept at the last
// run, or to where the last removal was asked for, and never further.

#include <gtest/gtest.h>

#include "annotation/Annotation.h"
#include "dictionary/PhoneticDictionary.h"
#include "host/AutomationError.h"
#include "standin/StandInHost.h"
#include "tests/support/AttachedState.h"
#include "tests/support/StandInDocument.h"

namespace sonotag {
namespace {

using namespace host;

TEST(Removal, FollowsTheUndoMark) {
    const struct {
        const char* steps;  // a: annotate, r: remove, t: the user types, u: undo by hand, m: mark the level now,
                            // n/s: select nothing/the story, c: close the document
        const char* text;   // the story afterwards; nullptr: the document as it was loaded
        std::int32_t mark;
        bool completed;     // the last removal
    } cases[] = {
        {"ar", nullptr, 15, true},                       // the level before undoing: 3 typed, 2 insertions, 11 fonts
        {"r", nullptr, 2, true},                         // before any run: nothing undone, the mark moves
        {"rtr", nullptr, 2 + 1, true},                   // from there, what was done since
        {"artr", "typed an apple, a book", 3, true},     // a second removal keeps what was typed in between
        {"atr", nullptr, 15 + 1, true},                  // edits after a run go too
        {"nastr", nullptr, 2 + 1, true},                 // a run that changed nothing: only the later edits
        {"amuur", "an apple, \\ˈæpl\\ a book \\bʊk\\", 15 - 2, true},  // steps undone by hand lower the mark
        {"acr", "closed", 2, false},                     // a failed removal keeps the mark
    };
    for (const auto& c : cases) {
        standin::StandInHost host;
        host.loadDocumentJson(R"({"characterStyles": [":[无]"], "stories": [{"text": "an apple, a book",
            "runs": [{"start": 0, "length": 2, "font": "Arial"}]}], "selection": {"story": 0},
            "undoHistory": ["Typing", "Typing", "Typing"]})");
        const std::string original = host.dumpDocumentJson();
        PhoneticDictionary dictionary;
        dictionary.addLine(u"apple,||5Apl");
        dictionary.addLine(u"book||buk");
        std::int32_t mark = kInitialUndoMark;
        RunOutcome removal;
        for (const char* step = c.steps; *step; ++step) {
            switch (*step) {
                case 'a': mark = AnnotateSelection(test::AttachedState(host.application()), dictionary, mark).undoMark; break;
                case 'r': removal = RemoveAnnotations(host.application(), mark); mark = removal.undoMark; break;
                case 't': {
                    const ObjectRef story = CallForObject(Get(host.application(), code::kSelection).object(), code::kFirst);
                    Put(Item(GetObjectRef(story, code::kInsertionPoints), 1), code::kContents, Value(u"typed "));
                    break;
                }
                case 'u': Call(GetObjectRef(host.application(), code::kActiveDocument), code::kUndo); break;
                case 'm': mark = QueryUndoLevel(host.application()); break;
                case 'n': host.select({}); break;
                case 's': host.select({0}); break;
                case 'c': host.closeDocument(); break;
            }
        }
        const std::string text = !host.hasDocument() ? "closed" : c.text ? test::StoryUtf8(host) : host.dumpDocumentJson();
        EXPECT_EQ(text, c.text ? c.text : original) << c.steps;
        EXPECT_EQ(mark, c.mark) << c.steps;
        EXPECT_EQ(removal.completed(), c.completed) << c.steps;
    }
    EXPECT_EQ(test::ReportOf(RemoveAnnotations(nullptr, 4)), FormatErrorReport(AutomationError(kInvalidPointer)));
}

}  // namespace
}  // namespace sonotag
