#pragma once

#include <string>

#include <gtest/gtest.h>

namespace sonotag::test {

// Names a table-driven case after its `name` member.
struct CaseName {
    template <class Case>
    std::string operator()(const ::testing::TestParamInfo<Case>& param) const {
        return param.param.name;
    }
};

}  // namespace sonotag::test
