// The fault sweeps against the stand-in host in this process (the same
// sweeps run through COM in tests/e2e): every host call of a run, a
// removal, a style resolution, the settings dialog and the style list
// failing in turn, with the host's live objects counted after each.

#include <gtest/gtest.h>

#include "standin/StandInHost.h"
#include "tests/support/FaultSweeps.h"

namespace sonotag {
namespace {

class InProcessHost : public test::SweptHost {
public:
    host::ObjectRef application() override { return host_.application(); }
    void loadDocumentJson(const std::string& json) override { host_.loadDocumentJson(json); }
    std::string dumpDocumentJson() override { return host_.dumpDocumentJson(); }
    void failCall(std::int64_t k, const host::ExceptionInfo& exception) override { host_.failCall(k, exception); }
    void resetCallCounts() override { host_.resetCallCounts(); }
    std::int64_t totalCalls() override { return host_.totalCalls(); }
    std::int64_t liveObjects() override { return host_.liveObjects(); }

private:
    standin::StandInHost host_;
};

TEST(InProcessFaultSweep, AnnotationRunInUnicodeWithTheFont) {
    InProcessHost host;
    test::SweepAnnotationRun(host, test::Bracketed(true), false);
}

TEST(InProcessFaultSweep, AnnotationRunInKingsoftLettersWithAStyle) {
    InProcessHost host;
    test::SweepAnnotationRun(host, test::Bracketed(false), true);
}

TEST(InProcessFaultSweep, Removal) {
    InProcessHost host;
    test::SweepRemoval(host);
}

TEST(InProcessFaultSweep, StyleResolution) {
    InProcessHost host;
    test::SweepStyleResolution(host);
}

TEST(InProcessFaultSweep, SettingsDialog) {
    InProcessHost host;
    test::SweepSettingsDialog(host);
}

TEST(InProcessFaultSweep, StyleWalk) {
    InProcessHost host;
    test::SweepStyleWalk(host);
}

}  // namespace
}  // namespace sonotag
