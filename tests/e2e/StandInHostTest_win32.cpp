// standin-host.exe in another process, registered as CS3 and CS4 by the suite's set-up, reached as Sonotag reaches its host.

#include <windows.h>

#include <gtest/gtest.h>

#include "host/AttachHost_win32.h"
#include "host/ComObject_win32.h"
#include "tests/support/CaseName.h"
#include "tests/support/FaultSweeps.h"
#include "tests/support/InterceptingHost.h"
#include "tests/support/StandInProcess_win32.h"

namespace sonotag::test {
namespace {

using host::AttachHost;
using host::AutomationError;
constexpr char16_t kCS3[] = u"InDesign.Application.CS3";

class StandInHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(apartment.isInitialised());
        ASSERT_TRUE(StandInEnded(kStandInEndTimeout)) << "a stand-in host of an earlier test still runs";
    }
    // A hand-started host (as a user's open application) and this test attached to it.
    void startAndAttach() {
        started = std::make_unique<StandInProcess>(L"");
        ASSERT_TRUE(started->waitUntilReady());
        AttachHost(kCS3, connection);
        ASSERT_TRUE(connection.isAttached());
    }

    host::OleApartment apartment;
    std::unique_ptr<StandInProcess> started;
    host::HostConnection connection;  // released before `started` ends the host
};

// Only CS3 and CS4 are registered: attaching to another version leaves the connection empty, starting no host.
TEST_F(StandInHostTest, VersionNotInstalledLeavesTheConnectionEmpty) {
    for (const char16_t* progId : {u"InDesign.Application.CS2", u"InDesign.Application.CS5"}) {
        AttachHost(progId, connection);
        EXPECT_FALSE(connection.isAttached());
        EXPECT_THROW(Dump(connection.application()), AutomationError);
    }
    EXPECT_TRUE(StandInEnded(0));
}

class ComFaultSweep : public StandInHostTest, public ::testing::WithParamInterface<Sweep> {};

TEST_P(ComFaultSweep, EndsCleanlyWhicheverCallFails) {
    startAndAttach();
    RunSweep(connection.application(), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Sweeps, ComFaultSweep, ::testing::ValuesIn(Sweeps()), CaseName());

// A second host, or one whose document cannot be read, ends at once with its status.
TEST_F(StandInHostTest, HandStartedHostThatCannotServeEndsWithItsStatus) {
    const struct {
        const wchar_t* arguments;
        bool anotherRuns;
        DWORD status;
    } rows[] = {{L"", true, 3}, {L"--document \"Z:/nonexistent/no-such-document.json\"", false, 1}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.status);
        std::optional<StandInProcess> first;
        EXPECT_TRUE(!row.anotherRuns || first.emplace(L"").waitUntilReady());
        const StandInProcess failing(row.arguments);
        EXPECT_FALSE(failing.waitUntilReady());
        EXPECT_EQ(failing.waitForExit(), row.status);
    }
}

// Started by COM, the host serves every client from one state, keeps a connection an unknown
// ProgID did not replace, lets an attached-again one go, and ends after its last client.
TEST_F(StandInHostTest, ComStartedHostIsSharedAndEndsAfterItsLastClient) {
    host::HostConnection second;
    AttachHost(u"InDesign.Application.CS4", connection);
    AttachHost(kCS3, second);
    AttachHost(kCS3, second);
    ASSERT_TRUE(connection.isAttached() && second.isAttached());
    const IDispatch* held = host::DispatchOf(second.application());
    AttachHost(u"Sonotag.NoSuchProgId", second);
    EXPECT_EQ(host::DispatchOf(second.application()), held);
    const std::string loaded = LoadSweepDocument(connection.application());
    EXPECT_EQ(Dump(second.application()), loaded);
    connection.release();
    EXPECT_FALSE(StandInEnded(0));
    second.release();
    EXPECT_TRUE(StandInEnded(kStandInEndTimeout)) << "a reference to the host was kept";
}

// The report of a lost server: the system's result and its text, no host texts.
bool IsLostServerReport(const RunOutcome& outcome) {
    for (const host::HResult result : {host::kServerUnavailable, host::kCallFailed})
        if (ReportOf(outcome) == host::FormatErrorReport(AutomationError(result))) return true;
    return false;
}

// Killed just before the run's second insertion: one lost-server report, the removal fails alike
// and keeps the mark; attached anew (after Wine's RPC service forgot the dead server), a clean run works.
TEST_F(StandInHostTest, HostKilledInTheMiddleOfARun) {
    startAndAttach();
    LoadSweepDocument(connection.application());
    int insertions = 0;
    const ObjectRef killing =
        Intercept(connection.application(), [&](host::DispatchId id, host::InvokeKind kind, std::span<const host::Value>) {
            if (id == host::code::kContents && kind == host::InvokeKind::Put && ++insertions == 2) started->kill();
            return std::optional<host::Value>();
        });
    const RunOutcome run = AnnotateSweep(AttachedState(killing));
    ASSERT_EQ(insertions, 2);
    EXPECT_TRUE(IsLostServerReport(run)) << Utf16ToUtf8(ReportOf(run));
    EXPECT_EQ(run.undoMark, 0) << "the level the run found before the host went";
    const RunOutcome removal = RemoveAnnotations(connection.application(), run.undoMark);
    EXPECT_TRUE(IsLostServerReport(removal)) << Utf16ToUtf8(ReportOf(removal));
    EXPECT_EQ(removal.undoMark, 0);

    ASSERT_TRUE(ForgetDeadServers());
    AttachHost(kCS3, connection);
    ASSERT_TRUE(connection.isAttached());
    EXPECT_GE(Sweeps().front().run(connection.application(), 0), Sweeps().front().leastCalls);
    connection.release();
    EXPECT_TRUE(StandInEnded(kStandInEndTimeout)) << "a reference to the fresh host was kept";
}

}  // namespace
}  // namespace sonotag::test
