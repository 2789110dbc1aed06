#include <stdexcept>
#include <vector>

#include <gtest/gtest.h>

#include "app/ShellRules.h"

namespace sonotag { namespace {

using namespace sonotag::app;

// A box shows the icon asked for, else the exclamation; its buttons stay.
TEST(MessageBoxType, TheIconAskedForElseTheExclamation) {
    const struct {
        unsigned requested, shown;
    } cases[] = {
        {0, kMessageBoxIconExclamation},
        {0x1, 0x1 | kMessageBoxIconExclamation},
        {kMessageBoxIconStop, kMessageBoxIconStop},
        {kMessageBoxIconInformation | 0x4, kMessageBoxIconInformation | 0x4},
    };
    for (const auto& c : cases) EXPECT_EQ(MessageBoxTypeWithIcon(c.requested), c.shown) << c.requested;
    EXPECT_EQ(MessageBoxTypeFor(MessageIcon::Stop), kMessageBoxIconStop);
    EXPECT_EQ(MessageBoxTypeFor(MessageIcon::Information), kMessageBoxIconInformation);
    EXPECT_EQ(MessageBoxTypeFor(MessageIcon::None), kMessageBoxIconExclamation);
}

// Endings (1 OK, 2 Cancel) sent during the operation; those carried out; whether a session end may go meanwhile.
TEST(HostOperationGate, OneAtATimeEndingsHeldAndOpenAgainHoweverTheOperationEnds) {
    using Kind = HostOperationKind;
    const struct {
        Kind kind;
        bool throws;
        std::vector<std::intptr_t> sent, ended;
        bool sessionMayEnd;
    } cases[] = {
        {Kind::ChangesDocument, false, {}, {}, false},
        {Kind::ChangesDocument, true, {}, {}, false},  // a host call's exception passes on
        {Kind::Dialog, false, {2, 1}, {2}, true},      // the first ending held wins
        {Kind::ChangesDocument, true, {1}, {1}, false},
    };
    for (const auto& c : cases) {
        std::vector<std::intptr_t> ended;
        HostOperationGate gate([&](std::intptr_t result) { ended.push_back(result); });
        int runs = 0;
        const auto operation = [&] {
            EXPECT_FALSE(gate.run([&] { ++runs; }, Kind::Dialog)) << "a second operation started";
            for (const std::intptr_t result : c.sent) gate.endWhenIdle(result);
            EXPECT_TRUE(ended.empty()) << "ended with its work on the stack";
            EXPECT_EQ(gate.maySessionEnd(false), c.sessionMayEnd);
            EXPECT_TRUE(gate.maySessionEnd(true)) << "a forced end refused";
            if (c.throws) throw std::runtime_error("the host has quit");
        };
        if (c.throws) EXPECT_THROW(gate.run(operation, c.kind), std::runtime_error);
        else EXPECT_TRUE(gate.run(operation, c.kind));
        EXPECT_EQ(ended, c.ended);
        EXPECT_TRUE(gate.run([&] { ++runs; }, Kind::ChangesDocument) && runs == 1) << "the next command ignored";
        EXPECT_TRUE(gate.maySessionEnd(false));
        gate.endWhenIdle(1);
        EXPECT_EQ(ended.size(), c.ended.size() + 1) << "a close held for good";
    }
}

}}  // namespace sonotag
