#include "base/target.h"

#include <gtest/gtest.h>

#include <random>

#include "base/direction.h"
#include "run/search.h"

namespace trelkan {
namespace {

std::string acceptAndCapture(Search& search, std::int32_t maxLen) {
    ::testing::internal::CaptureStdout();
    search.acceptTargets(maxLen);
    return ::testing::internal::GetCapturedStdout();
}

TEST(Targets, OrderedByDelayThenPositionThenDirection) {
    Search search;
    search.addTarget(1, 0, 20, kF);
    search.addTarget(0, 5, 10, kR);
    search.addTarget(0, 5, 10, kL);
    search.addTarget(-1, 9, 10, kF);
    std::vector<std::tuple<int, int, int, int>> order;
    for (const Target& t : search.m_targets) {
        order.emplace_back(t.dt, t.dx, t.dy, t.dir);
    }
    EXPECT_EQ(order, (std::vector<std::tuple<int, int, int, int>>{
                         {10, -1, 9, kF}, {10, 0, 5, kL}, {10, 0, 5, kR}, {20, 1, 0, kF}}));
}

TEST(Targets, EqualTargetsKeepTheFirstAndShortDelaysAreDropped) {
    Search search;
    search.addExtendedTarget(0, 0, 0, kF, 3, 4, 50, kL, " (first)");
    search.addExtendedTarget(1, 1, 10, kF, 4, 5, 60, kL, " (second)");
    search.addExtendedTarget(0, 0, 40, kF, 3, 4, 40, kL, " (no time)");
    search.addTarget(3, 4, 0, kL);
    ASSERT_EQ(search.m_targets.size(), 1u);
    EXPECT_EQ(search.m_targets.begin()->label, " (first)");
}

TEST(Targets, LoopTargetsOnlyUntilTheFirstOtherTarget) {
    Search search;
    search.addTarget(0, 0, 5, kF);
    search.addTarget(0, 0, 15, kF);
    EXPECT_TRUE(search.m_loopTargetsOnly);
    EXPECT_TRUE(search.m_targets.begin()->isLoop);
    search.addTarget(0, 0, 15, kFx);
    EXPECT_FALSE(search.m_loopTargetsOnly);
    search.addTarget(1, 0, 7, kF);
    EXPECT_FALSE(std::next(search.m_targets.begin())->isLoop);
}

TEST(Targets, ExtendedTargetIsSeenFromItsStart) {
    Search search;
    search.addExtendedTarget(0, 0, 0, kL, 3, 5, 40, kL, "");
    const Target& t = *search.m_targets.begin();
    EXPECT_EQ(t.dt, 40);
    EXPECT_EQ(t.dir, kF);
    EXPECT_EQ(t.dx, -5);
    EXPECT_EQ(t.dy, 3);
    EXPECT_EQ(t.inDir, kL);
    EXPECT_FALSE(t.isLoop);
}

TEST(Targets, ExtendedTargetArithmeticWraps) {
    Search search;
    search.addExtendedTarget(-2147483647 - 1, 0, -2147483647 - 1, kF, 2147483647, 0, 2147483647, kF,
                             "");
    // The delay wraps to -1: no target.
    EXPECT_TRUE(search.m_targets.empty());
    search.addExtendedTarget(2147483647, 0, 0, kF, -2147483647 - 1, 0, 1, kF, "");
    ASSERT_EQ(search.m_targets.size(), 1u);
    EXPECT_EQ(search.m_targets.begin()->dx, 1);
}

TEST(Targets, AcceptanceLine) {
    Search none;
    EXPECT_EQ(acceptAndCapture(none, 100), "Accepted 0 targets\n");
    Search one;
    one.addTarget(0, 0, 5, kF);
    EXPECT_EQ(acceptAndCapture(one, 100), "Accepted 1 target\n");
    Search split;
    split.addTarget(0, 0, 5, kF);
    split.addTarget(0, 0, 500, kF);
    EXPECT_EQ(acceptAndCapture(split, 100), "Accepted 1 target; 1 target over t=100 ignored\n");
    EXPECT_EQ(split.m_targets.size(), 1u);
    Search over;
    for (int t : {10, 20, 30}) {
        over.addExtendedTarget(0, 0, 0, kF, 1, 1, t, kR, "");
    }
    EXPECT_EQ(acceptAndCapture(over, 9), "Accepted 0 targets; 3 targets over t=9 ignored\n");
    EXPECT_TRUE(over.m_targets.empty());
}

// From the start state, a chain with the target's displacement and turn, seen in the start
// state's frame, must arrive at (0, 0) facing F.
TEST(Targets, StartStateLeadsToTheOrigin) {
    std::mt19937 random(7);
    std::uniform_int_distribution<std::int32_t> coordinate(-1000, 1000);
    for (int dir = 0; dir < kDirectionCount; ++dir) {
        for (int trial = 0; trial < 50; ++trial) {
            const Target target(coordinate(random), coordinate(random), 10, dir, kF, "");
            const SignalState start = target.startState();
            const Offset step = turnOffset(start.dir, target.dx, target.dy);
            EXPECT_EQ(start.x + step.x, 0);
            EXPECT_EQ(start.y + step.y, 0);
            EXPECT_EQ(combineDir(start.dir, target.dir), kF);
        }
    }
    // Spot checks against the table of start states.
    EXPECT_EQ(Target(3, 5, 1, kL, kF, "").startState(), (SignalState{5, -3, kR}));
    EXPECT_EQ(Target(3, 5, 1, kRx, kF, "").startState(), (SignalState{-5, -3, kRx}));
    EXPECT_EQ(Target(3, 5, 1, kBx, kF, "").startState(), (SignalState{3, -5, kBx}));
}

}  // namespace
}  // namespace trelkan
