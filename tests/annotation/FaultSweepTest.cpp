// The fault sweeps against the stand-in host in this process; tests/e2e runs the same table through COM.
#include <gtest/gtest.h>

#include "standin/StandInHost.h"
#include "tests/support/CaseName.h"
#include "tests/support/FaultSweeps.h"

namespace sonotag::test { namespace {

using namespace sonotag::dictionary;
using namespace sonotag::notation;
using namespace sonotag::annotation;

class InProcessFaultSweep : public ::testing::TestWithParam<Sweep> {};

TEST_P(InProcessFaultSweep, EndsCleanlyWhicheverCallFails) {
    standin::StandInHost host;
    RunSweep(host.application(), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Sweeps, InProcessFaultSweep, ::testing::ValuesIn(Sweeps()), CaseName());

}}  // namespace sonotag::test
