// Host calls per second through the COM binding: to the stand-in host in
// another process (what bounds an annotation run's speed) and, for
// comparison, to the same model served in this process. Prints figures
// only; it never fails on a time.
//
// Run under Wine in the build's prefix after the test suite has registered
// the stand-in host (ctest -R standin-host-registration), e.g.
//   build/windows/wine-run build/windows/bench/call_rate_bench.exe [seconds]

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "host/AttachHost_win32.h"
#include "host/AutomationError.h"
#include "host/ComObject_win32.h"
#include "standin/ComServer_win32.h"
#include "standin/ControlCodes.h"
#include "standin/StandInHost.h"

namespace {

using Clock = std::chrono::steady_clock;
using sonotag::host::ObjectRef;
using sonotag::host::Value;
namespace code = sonotag::host::code;

// Calls `call` (which makes `callsEach` host calls) for about `seconds`
// and prints the rate.
void Measure(const char* what, double seconds, int callsEach, const std::function<void()>& call) {
    long long calls = 0;
    const auto start = Clock::now();
    const auto end = start + std::chrono::duration<double>(seconds);
    while (Clock::now() < end) {
        for (int i = 0; i < 50; ++i) call();
        calls += 50LL * callsEach;
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("%-52s %10.0f calls/s\n", what, static_cast<double>(calls) / elapsed);
}

ObjectRef LoadedWords(const ObjectRef& application) {
    const Value text(u"The quick brown fox jumps over the lazy dog near the river bank.");
    sonotag::host::Required(application)
        ->invoke(sonotag::standin::control::kLoadPlainText, sonotag::host::InvokeKind::Method, {&text, 1},
                 sonotag::host::ValueType::Any);
    const ObjectRef selection = sonotag::host::Get(application, code::kSelection).object();
    return sonotag::host::GetObjectRef(sonotag::host::CallForObject(selection, code::kFirst), code::kWords);
}

void MeasureAll(const char* where, const ObjectRef& application, double seconds) {
    const ObjectRef words = LoadedWords(application);
    std::printf("%s:\n", where);
    Measure("  'cnte' get (an integer)", seconds, 1, [&] { sonotag::host::GetInteger(words, code::kCount); });
    Measure("  item get (an object, released at once)", seconds, 1, [&] { sonotag::host::Item(words, 3); });
    Measure("  item get and 'pcnt' get (an object, then its text)", seconds, 2,
            [&] { sonotag::host::GetText(sonotag::host::Item(words, 3), code::kContents); });
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 2.0;
    const sonotag::host::OleApartment apartment;
    try {
        const auto attachStart = Clock::now();
        sonotag::host::ObjectRef connection = sonotag::host::AttachHost(u"InDesign.Application.CS3", nullptr);
        const double attachSeconds = std::chrono::duration<double>(Clock::now() - attachStart).count();
        if (!connection) {
            std::fprintf(stderr, "call_rate_bench: the stand-in host is not registered in this prefix\n");
            return 1;
        }
        std::printf("attaching (CS3) took %.3f s\n", attachSeconds);
        MeasureAll("stand-in host in another process", connection, seconds);
        connection.reset();

        sonotag::standin::StandInHost model;
        const ObjectRef inProcess = sonotag::host::WrapDispatch(sonotag::standin::ServeObject(model.application()));
        MeasureAll("the same model served in this process", inProcess, seconds);
        MeasureAll("the model called directly", model.application(), seconds);
    } catch (const sonotag::host::AutomationError& error) {
        std::fprintf(stderr, "call_rate_bench: host call failed with 0x%08lX\n",
                     static_cast<unsigned long>(error.result()));
        return 1;
    }
    return 0;
}
