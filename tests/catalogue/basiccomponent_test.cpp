#include "catalogue/basiccomponent.h"

#include <gtest/gtest.h>

namespace trelkan {
namespace {

TEST(BasicComponent, LeftTurnInEveryOrientation) {
    const BasicComponent turn(nullptr, 0, "turn", kL, 3, 1, 64);
    EXPECT_EQ(turn.outOffset(kF), (Offset{3, 1}));
    EXPECT_EQ(turn.outDir(kF), kL);
    EXPECT_EQ(turn.outOffset(kR), (Offset{-1, 3}));
    EXPECT_EQ(turn.outDir(kR), kF);
    EXPECT_EQ(turn.backOffset(kF), (Offset{1, -3}));
    EXPECT_EQ(turn.backDir(kF), kR);
}

// Going through a component and then back from its output must return to the input, in every
// orientation and for every turn.
TEST(BasicComponent, BackwardStepUndoesForwardStep) {
    for (const Direction direction : kDirections) {
        const BasicComponent component(nullptr, 0, "c", direction, 5, -2, 10);
        for (const Direction o : kDirections) {
            const Offset out = component.outOffset(o);
            const Direction outDir = component.outDir(o);
            const Offset back = component.backOffset(outDir);
            EXPECT_EQ(out.x + back.x, 0) << direction << " " << o;
            EXPECT_EQ(out.y + back.y, 0) << direction << " " << o;
            EXPECT_EQ(component.backDir(outDir), o) << direction << " " << o;
        }
    }
}

TEST(BasicComponent, NoActiveVariantsBeforePreparation) {
    BasicComponent component(nullptr, 3, "c", kF, 1, 0, 10);
    EXPECT_EQ(component.index(), 3);
    EXPECT_EQ(component.dt(), 10);
    component.addVariant(std::make_unique<ComponentVariant>(
        "c1", 0, 3, 1, 1, 0, false, false, false, std::make_shared<const CellMap>(0, 0, "o!"),
        std::make_shared<const CellMap>(0, 0, "o!")));
    EXPECT_EQ(component.variantCount(), 1);
    EXPECT_EQ(component.variant(0).name(), "c1");
    EXPECT_EQ(component.activeCount(), 0);
}

}  // namespace
}  // namespace trelkan
