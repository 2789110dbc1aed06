#pragma once
// Every host call of an operation failing in turn, one table for both host kinds (the stand-in's
// application object in-process or through COM, driven by its controls): each row runs clean
// (k = 0) and counts its calls, then once per k with the k-th call failing, and must end cleanly.

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "annotation/Annotation.h"
#include "app/SettingsDialogData.h"
#include "base/Utf.h"
#include "dictionary/PhoneticDictionary.h"
#include "host/CharacterStyle.h"
#include "standin/ControlCodes.h"
#include "standin/StandInHost.h"
#include "tests/support/AttachedState.h"

namespace sonotag::test {

using namespace sonotag::annotation;
using namespace sonotag::app;

using host::ObjectRef;
namespace control = standin::control;

inline host::Value Control(const ObjectRef& app, host::DispatchId id, std::vector<host::Value> arguments = {}, host::ValueType type = host::ValueType::Any) {
    return host::Required(app)->invoke(id, host::InvokeKind::Method, arguments, type);
}
inline std::int64_t Counter(const ObjectRef& app, host::DispatchId id = control::kLiveObjects) {
    return Control(app, id, {}, host::ValueType::Integer).integer();
}
inline std::string Dump(const ObjectRef& app) { return Utf16ToUtf8(Control(app, control::kDumpDocumentJson).text()); }

inline const std::vector<std::u16string> kSweepStylePaths{u":G1:G2:Deep", u":G1:Mid", u":[无]", u":Phonetics"};

// Four words, all in the dictionary of AnnotateSweep, and nested style groups.
inline const char16_t kSweepDocument[] =
    uR"({"characterStyles": [":[无]", ":Phonetics", ":G1:G2:Deep", ":G1:Mid"],
    "stories": [{"text": "I like apple, pie.", "runs": [{"start": 0, "length": 1, "font": "Arial"}]}],
    "selection": {"story": 0}, "undoHistory": ["Typing"]})";

inline std::string LoadSweepDocument(const ObjectRef& app) {
    Control(app, control::kLoadDocumentJson, {host::Value(kSweepDocument)});
    return Dump(app);
}

inline RunOutcome AnnotateSweep(const AttachedState& target) {
    PhoneticDictionary dictionary;
    for (const char16_t* line : {u"I||ai", u"like||laik", u"apple,||5Apl", u"pie.||pai"}) dictionary.addLine(line);
    return AnnotateSelection(target, dictionary, kInitialUndoMark);
}

// Odd k: an exception code (wCode); even k: a result code (scode); k in the description.
inline host::ExceptionInfo InjectedFailure(std::int64_t k) {
    const std::string digits = std::to_string(k);
    return {static_cast<std::uint16_t>(k % 2 ? 0x100 + k : 0), k % 2 ? host::kOk : host::kUnspecifiedFailure, u"Stand-in host",
            u"Injected failure " + std::u16string(digits.begin(), digits.end())};
}

inline ObjectRef SweepStyle(const ObjectRef& app, const char16_t* path) {
    ObjectRef style;
    if (path) host::ResolveCharacterStyle(app, path, style, host::StyleResolution::Load);
    return style;
}

inline std::u16string InjectedReport(std::int64_t k) {  // none for k = 0
    return k ? host::FormatErrorReport(host::AutomationError::fromException(InjectedFailure(k))) : u"";
}

// Plans the k-th call to fail (none for k = 0), makes `act`, and gives the calls it made.
inline std::int64_t Act(const ObjectRef& app, std::int64_t k, const std::function<void()>& act) {
    Control(app, control::kResetCallCounts);
    const host::ExceptionInfo failure = InjectedFailure(k);
    if (k > 0)
        Control(app, control::kFailCall,
                {host::Value(static_cast<std::int32_t>(k)), host::Value(failure.wCode + 0), host::Value(failure.scode), host::Value(*failure.source),
                 host::Value(*failure.description)});
    act();
    return Counter(app, control::kCallCount);
}

inline RunOutcome Annotate(const ObjectRef& app, bool useUnicode, const ObjectRef& style) {
    settings::AnnotationSettings format;
    format.notation.useUnicode = useUnicode;
    return AnnotateSweep(AttachedState(app, format, style));
}

// A run reports the failing call and keeps no host object; a removal restores the document.
// Clean, it does what the same run does on a stand-in in this process.
inline std::int64_t SweepRun(bool useUnicode, const char16_t* stylePath, const ObjectRef& app, std::int64_t k) {
    const std::string original = LoadSweepDocument(app);
    const ObjectRef style = SweepStyle(app, stylePath);
    const std::int64_t held = Counter(app);
    RunOutcome run;
    const std::int64_t calls = Act(app, k, [&] { run = Annotate(app, useUnicode, style); });
    EXPECT_EQ(ReportOf(run), InjectedReport(k));
    if (k == 0) {
        standin::StandInHost model;
        LoadSweepDocument(model.application());
        EXPECT_TRUE(Annotate(model.application(), useUnicode, SweepStyle(model.application(), stylePath)).completed());
        EXPECT_EQ(Dump(app), model.dumpDocumentJson());
        EXPECT_NE(Dump(app), original);
    }
    EXPECT_EQ(Counter(app), held);
    EXPECT_TRUE(RemoveAnnotations(app, run.undoMark).completed());
    EXPECT_EQ(Dump(app), original);
    EXPECT_EQ(Counter(app), held);
    return calls;
}

// A failed removal reports once and keeps the mark; the next removal restores the document.
inline std::int64_t SweepRemoval(const ObjectRef& app, std::int64_t k) {
    const std::string original = LoadSweepDocument(app);
    const std::int32_t mark = AnnotateSweep(AttachedState(app)).undoMark;
    EXPECT_NE(Dump(app), original);
    RunOutcome removal;
    const std::int64_t calls = Act(app, k, [&] { removal = RemoveAnnotations(app, mark); });
    EXPECT_EQ(ReportOf(removal), InjectedReport(k));
    EXPECT_TRUE(k == 0 || removal.undoMark == mark);
    EXPECT_TRUE(k == 0 || RemoveAnnotations(app, mark).completed());
    EXPECT_EQ(Dump(app), original);
    EXPECT_EQ(Counter(app), 0);
    return calls;
}

// A failed resolution leaves the style the caller held.
inline std::int64_t SweepResolution(host::StyleResolution form, const ObjectRef& app, std::int64_t k) {
    LoadSweepDocument(app);
    ObjectRef style = SweepStyle(app, u":Phonetics");
    const ObjectRef earlier = style;
    const std::int64_t calls = Act(app, k, [&] { host::ResolveCharacterStyle(app, u":G1:G2:Deep", style, form); });
    EXPECT_EQ(style == earlier, k > 0);
    style.reset();
    EXPECT_EQ(Counter(app), 1);  // `earlier`
    return calls;
}

// The dialog: a failure cuts the style list short or keeps the earlier style; the other settings are taken.
inline std::int64_t SweepSettingsDialog(const ObjectRef& app, std::int64_t k) {
    LoadSweepDocument(app);
    settings::AnnotationSettings record;
    record.characterStyleName = u":Phonetics";
    ObjectRef style = SweepStyle(app, u":Phonetics");
    const ObjectRef earlier = style;  // the window's style
    SettingsDialogControls controls;
    const std::int64_t calls = Act(app, k, [&] {
        controls = InitialDialogControls(record, app);
        controls.styleText = u":G1:G2:Deep";
        controls.separator = u"\t";
        controls.useUnicode = false;
        AcceptDialogControls(controls, record, app, style);
    });
    EXPECT_TRUE(record.characterStyleName == u":G1:G2:Deep" && record.separator == u"\t" && !record.notation.useUnicode);
    EXPECT_EQ(k > 0, controls.styleEntries.size() < kSweepStylePaths.size() || style == earlier);
    EXPECT_TRUE(std::equal(controls.styleEntries.begin(), controls.styleEntries.end(), kSweepStylePaths.begin()));
    style.reset();
    EXPECT_EQ(Counter(app), 1);  // `earlier`
    return calls;
}

// The style walk: a failure leaves the list incomplete, cut after the styles it got.
inline std::int64_t SweepStyleWalk(const ObjectRef& app, std::int64_t k) {
    LoadSweepDocument(app);
    host::StyleList list;
    const std::int64_t calls = Act(app, k, [&] { list = host::ListDocumentStyles(app); });
    EXPECT_EQ(list.complete, k == 0);
    EXPECT_EQ(list.entries.size() == kSweepStylePaths.size(), k == 0);
    EXPECT_TRUE(std::equal(list.entries.begin(), list.entries.end(), kSweepStylePaths.begin()));
    EXPECT_EQ(Counter(app), 0);
    return calls;
}

struct Sweep {
    const char* name;
    std::int64_t leastCalls;  // of the clean pass, so that a sweep cannot pass empty
    std::function<std::int64_t(const ObjectRef&, std::int64_t k)> run;
};

inline const std::vector<Sweep>& Sweeps() {
    static const std::vector<Sweep> sweeps{
        {"RunInUnicodeWithTheFont", 40, std::bind_front(SweepRun, true, nullptr)},
        {"RunInLettersWithAStyle", 40, std::bind_front(SweepRun, false, u":G1:G2:Deep")},
        {"Removal", 9, SweepRemoval},
        {"StyleResolutionOnLoad", 7, std::bind_front(SweepResolution, host::StyleResolution::Load)},
        {"StyleResolutionInTheDialog", 7, std::bind_front(SweepResolution, host::StyleResolution::Dialog)},
        {"SettingsDialog", 10, SweepSettingsDialog},
        {"StyleWalk", 5, SweepStyleWalk},
    };
    return sweeps;
}

// The row clean, then with each of its calls failing in turn.
inline void RunSweep(const ObjectRef& app, const Sweep& sweep) {
    const std::int64_t calls = sweep.run(app, 0);
    ASSERT_GE(calls, sweep.leastCalls);
    for (std::int64_t k = 1; k <= calls; ++k) {
        SCOPED_TRACE("failing call " + std::to_string(k) + " of " + std::to_string(calls));
        sweep.run(app, k);
    }
}

}  // namespace sonotag::test
