#include "base/target.h"

#include <gtest/gtest.h>

#include <random>

#include "base/direction.h"
#include "base/targetset.h"

namespace trelkan {
namespace {

TEST(Targets, OrderedByDelayThenPositionThenDirection) {
    TargetSet set;
    set.add(1, 0, 20, kF);
    set.add(0, 5, 10, kR);
    set.add(0, 5, 10, kL);
    set.add(-1, 9, 10, kF);
    std::vector<std::tuple<int, int, int, int>> order;
    for (const Target& t : set.targets()) {
        order.emplace_back(t.dt, t.dx, t.dy, t.dir);
    }
    EXPECT_EQ(order, (std::vector<std::tuple<int, int, int, int>>{
                         {10, -1, 9, kF}, {10, 0, 5, kL}, {10, 0, 5, kR}, {20, 1, 0, kF}}));
}

TEST(Targets, EqualTargetsKeepTheFirstAndShortDelaysAreDropped) {
    TargetSet set;
    set.addExtended(0, 0, 0, kF, 3, 4, 50, kL, " (first)");
    set.addExtended(1, 1, 10, kF, 4, 5, 60, kL, " (second)");
    set.addExtended(0, 0, 40, kF, 3, 4, 40, kL, " (no time)");
    set.add(3, 4, 0, kL);
    ASSERT_EQ(set.targets().size(), 1u);
    EXPECT_EQ(set.targets().begin()->label, " (first)");
}

TEST(Targets, LoopTargetsOnlyUntilTheFirstOtherTarget) {
    TargetSet set;
    set.add(0, 0, 5, kF);
    set.add(0, 0, 15, kF);
    EXPECT_TRUE(set.loopTargetsOnly());
    EXPECT_TRUE(set.targets().begin()->isLoop);
    set.add(0, 0, 15, kFx);
    EXPECT_FALSE(set.loopTargetsOnly());
    set.add(1, 0, 7, kF);
    EXPECT_FALSE(std::next(set.targets().begin())->isLoop);
}

TEST(Targets, ExtendedTargetIsSeenFromItsStart) {
    TargetSet set;
    set.addExtended(0, 0, 0, kL, 3, 5, 40, kL, "");
    const Target& t = *set.targets().begin();
    EXPECT_EQ(t.dt, 40);
    EXPECT_EQ(t.dir, kF);
    EXPECT_EQ(t.dx, -5);
    EXPECT_EQ(t.dy, 3);
    EXPECT_EQ(t.inDir, kL);
    EXPECT_FALSE(t.isLoop);
}

TEST(Targets, ExtendedTargetArithmeticWraps) {
    TargetSet set;
    set.addExtended(-2147483647 - 1, 0, -2147483647 - 1, kF, 2147483647, 0, 2147483647, kF, "");
    // The delay wraps to -1: no target.
    EXPECT_TRUE(set.empty());
    set.addExtended(2147483647, 0, 0, kF, -2147483647 - 1, 0, 1, kF, "");
    ASSERT_EQ(set.targets().size(), 1u);
    EXPECT_EQ(set.targets().begin()->dx, 1);
}

TEST(Targets, AcceptanceDropsTheTargetsOverTheLargestDelay) {
    TargetSet none;
    const TargetSet::Acceptance nothing = none.dropOver(100);
    EXPECT_EQ(nothing.kept, 0);
    EXPECT_EQ(nothing.dropped, 0);
    TargetSet split;
    split.add(0, 0, 5, kF);
    split.add(0, 0, 500, kFx);
    const TargetSet::Acceptance half = split.dropOver(100);
    EXPECT_EQ(half.kept, 1);
    EXPECT_EQ(half.dropped, 1);
    EXPECT_EQ(split.targets().size(), 1u);
    // A dropped target was added all the same: the run does not seek loops only.
    EXPECT_FALSE(split.loopTargetsOnly());
    TargetSet over;
    for (int t : {10, 20, 30}) {
        over.addExtended(0, 0, 0, kF, 1, 1, t, kR, "");
    }
    const TargetSet::Acceptance none3 = over.dropOver(9);
    EXPECT_EQ(none3.kept, 0);
    EXPECT_EQ(none3.dropped, 3);
    EXPECT_TRUE(over.empty());
}

// From the start state, a chain with the target's displacement and turn, seen in the start
// state's frame, must arrive at (0, 0) facing F.
TEST(Targets, StartStateLeadsToTheOrigin) {
    std::mt19937 random(7);
    std::uniform_int_distribution<std::int32_t> coordinate(-1000, 1000);
    for (const Direction dir : kDirections) {
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
