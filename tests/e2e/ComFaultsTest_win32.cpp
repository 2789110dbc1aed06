// Host faults through the COM binding, against standin-host.exe in another
// process: the fault sweeps of tests/support/FaultSweeps.h with the planned
// failures and the live-object counts asked across the process border, and
// the host killed in the middle of a run.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "annotation/Annotation.h"
#include "dictionary/PhoneticDictionary.h"
#include "base/Utf.h"
#include "host/AttachHost_win32.h"
#include "host/AutomationError.h"
#include "standin/ControlCodes.h"
#include "standin/StandInHost.h"
#include "tests/e2e/StandInProcess_win32.h"
#include "tests/support/AttachedState.h"
#include "tests/support/FaultSweeps.h"
#include "tests/support/InterceptingHost.h"

namespace sonotag::e2e {
namespace {

namespace code = host::code;

// Longer than any step here takes; a step past it is a hang.
constexpr DWORD kStepTimeout = 60'000;

// The stand-in host in another process, driven through its control codes.
class ComHost : public test::SweptHost {
public:
    explicit ComHost(const ObjectRef& application) : application_(application) {}

    ObjectRef application() override { return application_; }
    void loadDocumentJson(const std::string& json) override {
        Control(application_, control::kLoadDocumentJson, {Value(Utf8ToUtf16(json))});
    }
    std::string dumpDocumentJson() override {
        return Utf16ToUtf8(Control(application_, control::kDumpDocumentJson, {}, ValueType::Text).text());
    }
    void failCall(std::int64_t k, const host::ExceptionInfo& exception) override {
        Control(application_, control::kFailCall,
                {Value(static_cast<std::int32_t>(k)), Value(static_cast<std::int32_t>(exception.wCode)),
                 Value(exception.scode), Value(exception.source.value_or(u"")),
                 Value(exception.description.value_or(u""))});
    }
    void resetCallCounts() override { Control(application_, control::kResetCallCounts); }
    std::int64_t totalCalls() override {
        return Control(application_, control::kCallCount, {}, ValueType::Integer).integer();
    }
    std::int64_t liveObjects() override {
        return Control(application_, control::kLiveObjects, {}, ValueType::Integer).integer();
    }

private:
    ObjectRef application_;
};

class ComFaults : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(apartment.isInitialised());
        ASSERT_TRUE(WaitForHostToEnd(kEndTimeout)) << "a stand-in host of an earlier test still runs";
        started = std::make_unique<HandStartedHost>(L"");
        ASSERT_TRUE(started->waitUntilReady());
        host::AttachHost(kCS3, connection);
        ASSERT_TRUE(connection.isAttached());
    }
    void TearDown() override {
        connection.release();
        started.reset();
    }

    // After the host came back: a run and its removal work as in-process.
    void expectNextRunWorks(PhoneticDictionary& dictionary, const std::string& original);

    host::OleApartment apartment;
    std::unique_ptr<HandStartedHost> started;
    host::HostConnection connection;
};

TEST_F(ComFaults, AnnotationRunInUnicodeWithTheFont) {
    ComHost host(connection.application());
    const Watchdog watchdog(kStepTimeout, "the sweep");
    test::SweepAnnotationRun(host, test::Bracketed(true), false);
}

TEST_F(ComFaults, AnnotationRunInKingsoftLettersWithAStyle) {
    ComHost host(connection.application());
    const Watchdog watchdog(kStepTimeout, "the sweep");
    test::SweepAnnotationRun(host, test::Bracketed(false), true);
}

TEST_F(ComFaults, Removal) {
    ComHost host(connection.application());
    const Watchdog watchdog(kStepTimeout, "the sweep");
    test::SweepRemoval(host);
}

TEST_F(ComFaults, StyleResolutionSettingsDialogAndStyleWalk) {
    ComHost host(connection.application());
    const Watchdog watchdog(kStepTimeout, "the sweeps");
    test::SweepStyleResolution(host);
    test::SweepSettingsDialog(host);
    test::SweepStyleWalk(host);
}

// The report of a lost server: the system's result and its text, no host texts.
bool IsLostServerReport(const std::u16string& report) {
    for (const host::HResult result : {host::kServerUnavailable, host::kCallFailed}) {
        if (report == host::FormatErrorReport(AutomationError(result))) return true;
    }
    return false;
}

// The host killed while the run is in the middle of its words (a hook ends
// it just before the second insertion): one report with the result COM
// gives for the lost server and the system's text for it, the button
// enabled again, no hang. Choosing the version again (a new attachment)
// then reaches a fresh host, where the next run works.
TEST_F(ComFaults, HostKilledInTheMiddleOfARun) {
    for (const host::HResult result : {host::kServerUnavailable, host::kCallFailed}) {
        ASSERT_TRUE(host::SystemMessageText(result).has_value()) << "no system text for " << std::hex << result;
    }
    PhoneticDictionary dictionary;
    test::FillSweepDictionary(dictionary);
    ComHost remote(connection.application());
    remote.loadDocumentJson(test::SweepDocument());
    const std::string original = remote.dumpDocumentJson();

    int insertions = 0;
    const ObjectRef killing =
        test::Intercept(connection.application(), [&](host::DispatchId id, InvokeKind kind, std::span<const Value>) {
            if (id == code::kContents && kind == InvokeKind::Put && ++insertions == 2) started->kill();
            return std::optional<Value>();
        });
    RunOutcome run;
    {
        const Watchdog watchdog(kStepTimeout, "the run whose host was killed");
        run = AnnotateSelection(test::AttachedState(killing, test::Bracketed(true)), dictionary, kInitialUndoMark);
    }
    ASSERT_EQ(insertions, 2);
    EXPECT_TRUE(IsLostServerReport(test::ReportOf(run))) << Utf16ToUtf8(test::ReportOf(run));
    const std::int32_t mark = run.undoMark;
    EXPECT_EQ(mark, 0) << "the level the run found before the host went";

    // The removal through the same dead connection fails alike and keeps the mark.
    {
        const Watchdog watchdog(kStepTimeout, "the removal whose host was gone");
        const RunOutcome removal = RemoveAnnotations(connection.application(), mark);
        EXPECT_TRUE(IsLostServerReport(test::ReportOf(removal))) << Utf16ToUtf8(test::ReportOf(removal));
        EXPECT_EQ(removal.undoMark, 0);
    }
    EXPECT_TRUE(WaitForHostToEnd(kEndTimeout));

    // Wine's RPC service would hand out the dead server again: it forgets it first.
    ASSERT_TRUE(test::ForgetDeadServers());

    host::AttachHost(kCS3, connection);  // the version chosen again from the menu
    ASSERT_TRUE(connection.isAttached());
    expectNextRunWorks(dictionary, original);
    connection.release();
    EXPECT_TRUE(WaitForHostToEnd(kEndTimeout)) << "a reference to the fresh host was kept";
}

void ComFaults::expectNextRunWorks(PhoneticDictionary& dictionary, const std::string& original) {
    ComHost fresh(connection.application());
    fresh.loadDocumentJson(test::SweepDocument());
    standin::StandInHost inProcess;
    inProcess.loadDocumentJson(test::SweepDocument());
    ASSERT_TRUE(AnnotateSelection(test::AttachedState(inProcess.application(), test::Bracketed(true)), dictionary,
                                  kInitialUndoMark)
                    .completed());

    RunOutcome run;
    {
        const Watchdog watchdog(kStepTimeout, "the run after attaching anew");
        run = AnnotateSelection(test::AttachedState(connection.application(), test::Bracketed(true)), dictionary,
                                kInitialUndoMark);
    }
    EXPECT_TRUE(run.completed()) << Utf16ToUtf8(test::ReportOf(run));
    EXPECT_EQ(fresh.dumpDocumentJson(), inProcess.dumpDocumentJson());
    EXPECT_TRUE(RemoveAnnotations(connection.application(), run.undoMark).completed());
    EXPECT_EQ(fresh.dumpDocumentJson(), original);
    EXPECT_EQ(fresh.liveObjects(), 0);
}

}  // namespace
}  // namespace sonotag::e2e
