#include "tools/catalogue/conduitproof.h"

#include <gtest/gtest.h>

#include "tests/tools/catalogue/fixtures.h"

namespace trelkan::builder {
namespace {

using testing::drawnL112;

TEST(ConduitProofTest, MeasuresTravelTimeOffsetAndTurn) {
    const ConduitProof proof = proveConduit(drawnL112(200, 300));
    ASSERT_TRUE(proof.conduit.has_value()) << proof.failure;
    const ProvenConduit& conduit = *proof.conduit;
    EXPECT_EQ(conduit.dt, 112);
    EXPECT_EQ(conduit.output, (SignalPlace{12, -33, kL}));
    EXPECT_EQ(conduit.drawnInput, (SignalPlace{200, 300, kF}));
    EXPECT_EQ(conduit.form, OutputForm::kHerschel);
    EXPECT_TRUE(conduit.builtFromPredecessor);
    EXPECT_FALSE(conduit.inputBlock);
    EXPECT_EQ(conduit.catalysts, testing::l112Catalysts(0, 0));
}

TEST(ConduitProofTest, MeasuresRecoveryBothWays) {
    const ProvenConduit conduit = *proveConduit(drawnL112(0, 0)).conduit;
    EXPECT_EQ(conduit.gliderNeed, GliderNeed::kEither);
    // Swallowed, the glider is out of the way; let go, it flies back through the place where
    // the conduit builds its next output.
    EXPECT_EQ(conduit.recoverySwallowing, 58);
    EXPECT_EQ(conduit.recoveryReleasing, 69);
    EXPECT_EQ(conduit.recovery, 69);
    EXPECT_TRUE(conduit.gliders.empty());
    // The cells used hold the catalysts and the input's predecessor.
    for (const LifeCell& cell : predecessorCells(0, 0, kF)) {
        EXPECT_TRUE(std::binary_search(conduit.everAlive.begin(), conduit.everAlive.end(), cell));
    }
}

TEST(ConduitProofTest, TakesTheInputThatWorksNotTheLeftmost) {
    DrawnConduit drawn = drawnL112(100, 100);
    drawn.herschels.push_back({40, 100, kF});
    const ConduitProof proof = proveConduit(drawn);
    ASSERT_TRUE(proof.conduit.has_value()) << proof.failure;
    EXPECT_EQ(proof.conduit->drawnInput, (SignalPlace{100, 100, kF}));
}

TEST(ConduitProofTest, AnOutputDrawnElsewhereDoesNotPass) {
    DrawnConduit drawn = drawnL112(100, 100);
    drawn.herschels[1].x += 1;
    const ConduitProof proof = proveConduit(drawn);
    EXPECT_FALSE(proof.conduit.has_value());
    EXPECT_NE(proof.failure.find("no drawn Herschel appears"), std::string::npos);
}

TEST(ConduitProofTest, NeedsTwoHerschels) {
    DrawnConduit drawn = drawnL112(100, 100);
    drawn.herschels.pop_back();
    EXPECT_EQ(proveConduit(drawn).failure, "fewer than two Herschels are drawn");
}

}  // namespace
}  // namespace trelkan::builder
