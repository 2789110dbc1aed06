// standin-host.exe in another process, registered as CS3 and CS4 by the suite's set-up, reached as Sonotag reaches its host.
#include <windows.h>

#include <gtest/gtest.h>

#include "host/AttachHost_win32.h"
#include "host/ComObject_win32.h"
#include "tests/support/CaseName.h"
#include "tests/support/FaultSweeps.h"
#include "tests/support/InterceptingHost.h"
#include "tests/support/StandInProcess_win32.h"

namespace sonotag::test { namespace {

using namespace sonotag::dictionary;
using namespace sonotag::notation;
using namespace sonotag::annotation;

using host::AttachHost;
constexpr char16_t kCS3[] = u"InDesign.Application.CS3";

struct StandInHostTest : ::testing::Test {
    void SetUp() override { ASSERT_TRUE(apartment.isInitialised() && StandInEnded(kStandInEndTimeout)) << "an earlier host runs"; }
    void startAndAttach() {  // as a user's open application, then attached
        ASSERT_TRUE(started.emplace(L"").waitUntilReady());
        connection = AttachHost(kCS3, connection);
        ASSERT_TRUE(connection);
    }
    host::OleApartment apartment;
    std::optional<StandInProcess> started;
    host::ObjectRef connection;  // released before `started` ends the host
};

// Only CS3 and CS4 are registered: another version leaves the connection empty and starts no host.
TEST_F(StandInHostTest, VersionNotInstalledLeavesTheConnectionEmpty) {
    for (const char16_t* progId : {u"InDesign.Application.CS2", u"InDesign.Application.CS5"}) {
        connection = AttachHost(progId, connection);
        EXPECT_FALSE(connection);
        EXPECT_THROW(Dump(connection), host::AutomationError);
    }
    EXPECT_TRUE(StandInEnded(0));
}

struct ComFaultSweep : StandInHostTest, ::testing::WithParamInterface<Sweep> {};
TEST_P(ComFaultSweep, EndsCleanlyWhicheverCallFails) { startAndAttach(), RunSweep(connection, GetParam()); }
INSTANTIATE_TEST_SUITE_P(Sweeps, ComFaultSweep, ::testing::ValuesIn(Sweeps()), CaseName());

// A second host, or one whose document cannot be read, ends at once with its status.
TEST_F(StandInHostTest, HandStartedHostThatCannotServeEndsWithItsStatus) {
    for (const auto& [arguments, anotherRuns, status] :
         {std::tuple<const wchar_t*, bool, DWORD>{L"", true, 3}, {L"--document \"Z:/nonexistent/no-such-document.json\"", false, 1}}) {
        std::optional<StandInProcess> first;
        EXPECT_TRUE(!anotherRuns || first.emplace(L"").waitUntilReady());
        const StandInProcess failing(arguments);
        EXPECT_FALSE(failing.waitUntilReady());
        EXPECT_EQ(failing.waitForExit(), status);
    }
}

// Started by COM: one state for every client, a connection an unknown ProgID does not replace, ends after its last client.
TEST_F(StandInHostTest, ComStartedHostIsSharedAndEndsAfterItsLastClient) {
    connection = AttachHost(u"InDesign.Application.CS4", connection);
    host::ObjectRef second = AttachHost(kCS3, AttachHost(kCS3, nullptr));
    ASSERT_TRUE(connection && second);
    const IDispatch* held = host::DispatchOf(second);
    second = AttachHost(u"Sonotag.NoSuchProgId", second);
    EXPECT_EQ(host::DispatchOf(second), held);
    EXPECT_EQ(Dump(second), LoadSweepDocument(connection));
    connection.reset();
    EXPECT_FALSE(StandInEnded(0));
    second.reset();
    EXPECT_TRUE(StandInEnded(kStandInEndTimeout)) << "a reference to the host was kept";
}

bool IsLostServer(const RunOutcome& outcome) {  // the system's result and its text, no host texts
    return ReportOf(outcome) == host::FormatErrorReport(host::AutomationError(host::kServerUnavailable)) ||
           ReportOf(outcome) == host::FormatErrorReport(host::AutomationError(host::kCallFailed));
}

// Killed before the run's second insertion: run and removal report a lost server and keep the mark; a new host works.
TEST_F(StandInHostTest, HostKilledInTheMiddleOfARun) {
    startAndAttach();
    LoadSweepDocument(connection);
    int insertions = 0;
    const RunOutcome run = AnnotateSweep(AttachedState(Intercept(connection, [&](host::DispatchId id, host::InvokeKind kind, std::span<const host::Value>) {
        if (id == host::code::kContents && kind == host::InvokeKind::Put && ++insertions == 2) started->kill();
        return std::optional<host::Value>();
    })));
    ASSERT_EQ(insertions, 2);
    EXPECT_TRUE(IsLostServer(run) && run.undoMark == 0) << Utf16ToUtf8(ReportOf(run)) << run.undoMark;
    const RunOutcome removal = RemoveAnnotations(connection, run.undoMark);
    EXPECT_TRUE(IsLostServer(removal) && removal.undoMark == 0) << Utf16ToUtf8(ReportOf(removal));
    ASSERT_TRUE(ForgetDeadServers());
    connection = AttachHost(kCS3, connection);
    ASSERT_TRUE(connection);
    EXPECT_GE(Sweeps().front().run(connection, 0), Sweeps().front().leastCalls);
    connection.reset();
    EXPECT_TRUE(StandInEnded(kStandInEndTimeout)) << "a reference to the fresh host was kept";
}

}}  // namespace sonotag::test
