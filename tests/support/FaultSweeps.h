#pragma once
// Every host call of an operation failing in turn, once in-process and once
// through COM: the same sweeps run against a stand-in host reached either
// way. Each sweep first makes the operation without a failure and counts
// its host calls; then for every k up to that count it loads the document
// afresh, makes the k-th call fail, repeats the operation and checks that it
// ended cleanly: one report where the operation reports, nothing lost, the
// document restorable exactly, and no host object left alive but those the
// caller still holds.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "annotation/Annotation.h"
#include "base/Utf.h"
#include "dictionary/PhoneticDictionary.h"
#include "host/AutomationError.h"
#include "host/HostObject.h"
#include "host/CharacterStyle.h"
#include "app/SettingsDialogData.h"
#include "tests/support/AttachedState.h"

namespace sonotag::test {

// A stand-in host as a sweep drives it: its application object and its
// private controls, whichever way they are reached.
class SweptHost {
public:
    virtual ~SweptHost() = default;
    virtual host::ObjectRef application() = 0;
    virtual void loadDocumentJson(const std::string& json) = 0;
    virtual std::string dumpDocumentJson() = 0;
    // Makes the k-th host call from now fail with `exception`; k <= 0 cancels.
    virtual void failCall(std::int64_t k, const host::ExceptionInfo& exception) = 0;
    virtual void resetCallCounts() = 0;
    virtual std::int64_t totalCalls() = 0;
    virtual std::int64_t liveObjects() = 0;
};

// A short story of four words, all in SweepDictionary, and nested style groups.
inline const std::string& SweepDocument() {
    static const std::string document =
        R"({"characterStyles": [":[无]", ":Phonetics", ":G1:G2:Deep", ":G1:Mid"],
            "stories": [{"text": "I like apple, pie.", "runs": [{"start": 0, "length": 1, "font": "Arial"}]}],
            "selection": {"story": 0}, "undoHistory": ["Typing"]})";
    return document;
}

inline void FillSweepDictionary(PhoneticDictionary& dictionary) {
    for (const char16_t* line : {u"I||ai", u"like||laik", u"apple,||5Apl", u"pie.||pai"}) dictionary.addLine(line);
}

// The style paths of SweepDocument in the order the style list walks them.
inline const std::vector<std::u16string>& SweepStylePaths() {
    static const std::vector<std::u16string> paths{u":G1:G2:Deep", u":G1:Mid", u":[无]", u":Phonetics"};
    return paths;
}

// The settings the run sweeps use: symbols in brackets, the notation chosen.
inline settings::AnnotationSettings Bracketed(bool useUnicode) {
    settings::AnnotationSettings format;
    format.leftSymbol = u"[";
    format.rightSymbol = u"]";
    format.useUnicode = useUnicode;
    return format;
}

// The exception the k-th call fails with: its number in the description.
inline host::ExceptionInfo InjectedFailure(std::int64_t k) {
    const std::string digits = std::to_string(k);
    host::ExceptionInfo failure;
    failure.scode = host::kUnspecifiedFailure;
    failure.source = u"Stand-in host";
    failure.description = u"Injected failure " + std::u16string(digits.begin(), digits.end());
    return failure;
}

// The host calls `operation` makes on the freshly loaded document.
template <class Operation>
std::int64_t CountCalls(SweptHost& host, Operation operation) {
    host.loadDocumentJson(SweepDocument());
    host.resetCallCounts();
    operation();
    return host.totalCalls();
}

inline host::ObjectRef SweepStyle(SweptHost& host, const std::u16string& path) {
    host::ObjectRef style;
    host::ResolveCharacterStyle(host.application(), path, style, host::StyleResolution::Load);
    return style;
}

// The annotation run: each failing call ends it with that call's error; a
// removal then restores the document exactly;
// the run holds no host object afterwards, and neither does the removal.
inline void SweepAnnotationRun(SweptHost& host, const settings::AnnotationSettings& format, bool withStyle) {
    PhoneticDictionary dictionary;
    FillSweepDictionary(dictionary);
    host.loadDocumentJson(SweepDocument());
    const std::string original = host.dumpDocumentJson();
    std::int64_t calls = 0;
    {
        const host::ObjectRef style = withStyle ? SweepStyle(host, u":G1:G2:Deep") : nullptr;
        ASSERT_EQ(style != nullptr, withStyle);
        const std::int64_t held = host.liveObjects();
        host.resetCallCounts();
        const RunOutcome outcome =
            AnnotateSelection(AttachedState(host.application(), format, style), dictionary, kInitialUndoMark);
        calls = host.totalCalls();
        ASSERT_TRUE(outcome.completed()) << Utf16ToUtf8(ReportOf(outcome));
        ASSERT_NE(host.dumpDocumentJson(), original);
        EXPECT_EQ(host.liveObjects(), held) << "the run kept host objects";
    }
    ASSERT_GT(calls, 40);  // four annotated words
    for (std::int64_t k = 1; k <= calls; ++k) {
        SCOPED_TRACE("failing call " + std::to_string(k) + " of " + std::to_string(calls));
        host.loadDocumentJson(SweepDocument());
        // The style is resolved before the failure is planned: only the run's own calls count.
        const host::ObjectRef style = withStyle ? SweepStyle(host, u":G1:G2:Deep") : nullptr;
        const std::int64_t held = host.liveObjects();
        host.failCall(k, InjectedFailure(k));
        const RunOutcome failed =
            AnnotateSelection(AttachedState(host.application(), format, style), dictionary, kInitialUndoMark);
        EXPECT_EQ(ReportOf(failed), FormatErrorReport(host::AutomationError::FromException(InjectedFailure(k))));
        EXPECT_EQ(host.liveObjects(), held);

        EXPECT_TRUE(RemoveAnnotations(host.application(), failed.undoMark).completed());
        EXPECT_EQ(host.dumpDocumentJson(), original);
        EXPECT_EQ(host.liveObjects(), held);
    }
}

// The removal after a complete run: each failing call gives one report and
// keeps the mark, and a second removal then restores the document exactly.
inline void SweepRemoval(SweptHost& host) {
    PhoneticDictionary dictionary;
    FillSweepDictionary(dictionary);
    const auto annotate = [&](std::int32_t& mark) {
        const RunOutcome outcome = AnnotateSelection(AttachedState(host.application()), dictionary, mark);
        ASSERT_TRUE(outcome.completed());
        mark = outcome.undoMark;
    };
    host.loadDocumentJson(SweepDocument());
    const std::string original = host.dumpDocumentJson();
    std::int32_t mark = kInitialUndoMark;
    annotate(mark);
    host.resetCallCounts();
    ASSERT_TRUE(RemoveAnnotations(host.application(), mark).completed());
    const std::int64_t calls = host.totalCalls();
    ASSERT_EQ(host.dumpDocumentJson(), original);
    ASSERT_GT(calls, 8);  // the level, then a document and an undo for each step

    for (std::int64_t k = 1; k <= calls; ++k) {
        SCOPED_TRACE("failing call " + std::to_string(k) + " of " + std::to_string(calls));
        host.loadDocumentJson(SweepDocument());
        mark = kInitialUndoMark;
        annotate(mark);
        const std::int32_t markAfterRun = mark;
        host.failCall(k, InjectedFailure(k));
        const RunOutcome failed = RemoveAnnotations(host.application(), mark);
        EXPECT_EQ(ReportOf(failed), FormatErrorReport(host::AutomationError::FromException(InjectedFailure(k))));
        EXPECT_EQ(failed.undoMark, markAfterRun);
        EXPECT_EQ(host.liveObjects(), 0);

        EXPECT_TRUE(RemoveAnnotations(host.application(), mark).completed());
        EXPECT_EQ(host.dumpDocumentJson(), original);
        EXPECT_EQ(host.liveObjects(), 0);
    }
}

// Resolving a nested style path in both forms: each failing call leaves the
// style the caller held, and nothing else stays alive.
inline void SweepStyleResolution(SweptHost& host) {
    for (const auto form : {host::StyleResolution::Load, host::StyleResolution::Dialog}) {
        const std::int64_t calls = CountCalls(host, [&] { SweepStyle(host, u":G1:G2:Deep"); });
        ASSERT_GE(calls, 7);  // document, groups, G1, groups, G2, styles, Deep
        for (std::int64_t k = 1; k <= calls; ++k) {
            SCOPED_TRACE("failing call " + std::to_string(k) + " of " + std::to_string(calls));
            host.loadDocumentJson(SweepDocument());
            host::ObjectRef style = SweepStyle(host, u":Phonetics");
            const host::ObjectRef earlier = style;
            host.failCall(k, InjectedFailure(k));
            host::ResolveCharacterStyle(host.application(), u":G1:G2:Deep", style, form);
            EXPECT_EQ(style, earlier);
            EXPECT_EQ(host.liveObjects(), 1);
            style.reset();
            EXPECT_EQ(host.liveObjects(), 1);  // `earlier` still holds it
        }
    }
}

// The settings dialog: the style list walked when it opens, the chosen style
// resolved on OK. Each failing call shortens the list or keeps the earlier
// style; the other settings are taken all the same; and only the style the
// window holds stays alive.
inline void SweepSettingsDialog(SweptHost& host) {
    settings::AnnotationSettings saved;
    saved.characterStyleName = u":Phonetics";
    const auto openAndAccept = [&](settings::AnnotationSettings& record, host::ObjectRef& style) {
        settings::SettingsDialogControls controls = settings::InitialDialogControls(record, host.application());
        controls.styleText = u":G1:G2:Deep";
        controls.separator = u"\t";
        controls.useUnicode = false;
        settings::AcceptDialogControls(controls, record, host.application(), style);
        return controls;
    };
    const std::int64_t calls = CountCalls(host, [&] {
        settings::AnnotationSettings record = saved;
        host::ObjectRef style;
        const auto controls = openAndAccept(record, style);
        EXPECT_EQ(controls.styleEntries, SweepStylePaths());
        EXPECT_TRUE(style);
    });
    for (std::int64_t k = 1; k <= calls; ++k) {
        SCOPED_TRACE("failing call " + std::to_string(k) + " of " + std::to_string(calls));
        host.loadDocumentJson(SweepDocument());
        settings::AnnotationSettings record = saved;
        host::ObjectRef style = SweepStyle(host, u":Phonetics");
        const host::ObjectRef earlier = style;
        host.failCall(k, InjectedFailure(k));
        const auto controls = openAndAccept(record, style);
        EXPECT_LE(controls.styleEntries.size(), SweepStylePaths().size());
        EXPECT_EQ(record.characterStyleName, u":G1:G2:Deep");
        EXPECT_EQ(record.separator, u"\t");
        EXPECT_FALSE(record.useUnicode);
        // The walk failed (list cut short) or the resolution did (style kept).
        EXPECT_TRUE(controls.styleEntries.size() < SweepStylePaths().size() || style == earlier);
        style.reset();
        EXPECT_EQ(host.liveObjects(), 1);  // `earlier`
    }
}

// The style list alone, as the dialog walks it.
inline void SweepStyleWalk(SweptHost& host) {
    const std::int64_t calls = CountCalls(host, [&] {
        const host::StyleList list = host::ListDocumentStyles(host.application());
        EXPECT_TRUE(list.complete);
        EXPECT_EQ(list.entries, SweepStylePaths());
    });
    for (std::int64_t k = 1; k <= calls; ++k) {
        SCOPED_TRACE("failing call " + std::to_string(k) + " of " + std::to_string(calls));
        host.loadDocumentJson(SweepDocument());
        host.failCall(k, InjectedFailure(k));
        const host::StyleList list = host::ListDocumentStyles(host.application());
        EXPECT_FALSE(list.complete);
        ASSERT_LT(list.entries.size(), SweepStylePaths().size());
        EXPECT_TRUE(std::equal(list.entries.begin(), list.entries.end(), SweepStylePaths().begin()));
        EXPECT_EQ(host.liveObjects(), 0);
    }
}

}  // namespace sonotag::test
