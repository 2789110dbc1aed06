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

class Removal : public ::testing::Test {
protected:
    void SetUp() override {
        dictionary.addLine(u"apple,||5Apl");
        dictionary.addLine(u"book||buk");
        host.loadDocumentJson(
            R"({"characterStyles": [":[无]", ":Phonetics"],
                "stories": [{"text": "an apple, a book", "runs": [{"start": 0, "length": 2, "font": "Arial"}]}],
                "selection": {"story": 0}, "undoHistory": ["Typing", "Typing", "Typing"]})");
        original = host.dumpDocumentJson();
    }

    void annotate() {
        const RunOutcome outcome = AnnotateSelection(test::AttachedState(host.application()), dictionary, undoMark);
        ASSERT_TRUE(outcome.completed());
        undoMark = outcome.undoMark;
    }
    void remove() {
        removal = RemoveAnnotations(host.application(), undoMark);
        undoMark = removal.undoMark;
    }

    // A user's own edit: text typed at the start of the story.
    void userTypes(const std::u16string& text) {
        const ObjectRef selection = Get(host.application(), code::kSelection).object();
        const ObjectRef story = CallForObject(selection, code::kFirst);
        Put(Item(GetObjectRef(story, code::kInsertionPoints), 1), code::kContents, Value(text));
    }

    standin::StandInHost host;
    PhoneticDictionary dictionary;
    RunOutcome removal;
    std::int32_t undoMark = kInitialUndoMark;
    std::string original;
};

TEST_F(Removal, TakesARunBackExactly) {
    annotate();
    ASSERT_NE(host.dumpDocumentJson(), original);
    remove();
    EXPECT_EQ(host.dumpDocumentJson(), original);
    EXPECT_TRUE(removal.completed());
    EXPECT_EQ(undoMark, 2 + 2 + 6 + 5);  // the level before undoing: 3 typed, 2 insertions, 11 fonts
}

TEST_F(Removal, BeforeAnyRunUndoesNothingAndMovesTheMark) {
    remove();
    EXPECT_EQ(host.dumpDocumentJson(), original);
    EXPECT_EQ(undoMark, 2);
    // From there, a second removal undoes what was done since.
    userTypes(u"x");
    remove();
    EXPECT_EQ(host.dumpDocumentJson(), original);
}

TEST_F(Removal, SecondRemovalUndoesNothing) {
    annotate();
    remove();
    EXPECT_EQ(host.dumpDocumentJson(), original);
    // The mark holds the level from before the first removal, above the
    // level now: an edit made in between survives the second removal.
    userTypes(u"kept ");
    const std::string edited = host.dumpDocumentJson();
    remove();
    EXPECT_EQ(host.dumpDocumentJson(), edited);
    EXPECT_EQ(undoMark, 3);
}

TEST_F(Removal, UserEditsAfterARunAreUndoneToo) {
    annotate();
    userTypes(u"typed ");
    remove();
    EXPECT_EQ(host.dumpDocumentJson(), original);
}

TEST_F(Removal, RunThatChangedNothingOnlyTakesBackLaterEdits) {
    host.select({});
    annotate();
    host.select({0});
    userTypes(u"typed ");
    remove();
    EXPECT_EQ(test::StoryUtf8(host), "an apple, a book");
}

TEST_F(Removal, StepsUndoneByHandLowerTheMark) {
    annotate();
    const std::int32_t level = QueryUndoLevel(host.application());
    Call(GetObjectRef(host.application(), code::kActiveDocument), code::kUndo);
    Call(GetObjectRef(host.application(), code::kActiveDocument), code::kUndo);
    const std::string afterHandUndo = host.dumpDocumentJson();
    undoMark = level;  // as left by the run's own removal point
    remove();
    EXPECT_EQ(host.dumpDocumentJson(), afterHandUndo);
    EXPECT_EQ(undoMark, level - 2);
}

TEST_F(Removal, FailureIsReportedOnceAndKeepsTheMark) {
    annotate();
    const std::int32_t mark = undoMark;
    // 'pacd' and 'unhs' succeed, then the third undo fails.
    host.failCall(2 + 2 * 3, {0, kUnspecifiedFailure, standin::kErrorSource, u"Cannot undo."});
    remove();
    EXPECT_NE(test::ReportOf(removal).find(u"Cannot undo."), std::u16string::npos);
    EXPECT_EQ(undoMark, mark);
    // The steps already undone stay undone; a further removal finishes.
    remove();
    EXPECT_EQ(host.dumpDocumentJson(), original);
}

TEST_F(Removal, NoDocumentOrNoHost) {
    host.closeDocument();
    undoMark = 4;
    remove();
    EXPECT_FALSE(removal.completed());
    EXPECT_EQ(undoMark, 4);

    EXPECT_EQ(test::ReportOf(RemoveAnnotations(nullptr, undoMark)), FormatErrorReport(AutomationError(kInvalidPointer)));
}

}  // namespace
}  // namespace sonotag
