#pragma once
// The profile functions a suite runs against: the platform's (Windows' own
// under Wine) and, where they differ, the portable ones too.

#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "settings/ProfileFunctions.h"

namespace sonotag::test {

using settings::PlatformProfileFunctions;
using settings::PortableProfileFunctions;
using settings::ProfileFunctions;

inline std::vector<const ProfileFunctions*> ProfileBackends() {
    std::vector<const ProfileFunctions*> backends{&PlatformProfileFunctions()};
    if (&PlatformProfileFunctions() != &PortableProfileFunctions()) backends.push_back(&PortableProfileFunctions());
    return backends;
}

// Names a case of a Combine(backend, case) suite "<backend>_<case>".
struct BackendAndCaseName {
    template <class Case>
    std::string operator()(const ::testing::TestParamInfo<std::tuple<const ProfileFunctions*, Case>>& info) const {
        return std::string(std::get<0>(info.param)->name) + "_" + std::get<1>(info.param).name;
    }
};

struct BackendName {
    std::string operator()(const ::testing::TestParamInfo<const ProfileFunctions*>& info) const {
        return info.param->name;
    }
};

}  // namespace sonotag::test
