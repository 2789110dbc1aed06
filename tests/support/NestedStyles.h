#pragma once
// The stand-in host with a document of nested character style groups, for
// the settings tests that reach a host.

#include <string>

#include <gtest/gtest.h>

#include "host/HostObject.h"
#include "standin/StandInHost.h"

namespace sonotag::test {

inline std::u16string SettingsFixture(const std::string& name) {
    const std::string path = std::string(SONOTAG_FIXTURES) + "/settings/" + name;
    return std::u16string(path.begin(), path.end());
}

// Every path of nested-styles.json in the order the style list walks them:
// a container's groups (depth first, in index order) before its own styles.
inline const std::vector<std::u16string>& NestedStylePaths() {
    static const std::vector<std::u16string> paths{u":音标:国际音标",    u":G1:G2:Deep",  u":G1:G2:Deeper", u":G1:G3:Other", u":G1:Mid",
                                                   u":Group:Phonetics2", u":Group:a\\:b", u":[无]",         u":A",           u":AB",
                                                   u":Phonetics"};
    return paths;
}

class NestedStyles : public ::testing::Test {
protected:
    void SetUp() override { host.loadDocumentFile(SettingsFixture("nested-styles.json")); }

    host::ObjectRef application() { return host.application(); }

    static std::u16string NameOf(const host::ObjectRef& object) { return object ? host::GetText(object, host::code::kItem) : u"<none>"; }

    standin::StandInHost host;
};

}  // namespace sonotag::test
