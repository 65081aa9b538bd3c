#include "tools/catalogue/conduitproof.h"

#include <gtest/gtest.h>

#include <set>

#include "tests/tools/catalogue/fixtures.h"
#include "tools/catalogue/glider.h"
#include "tools/catalogue/naturalglider.h"

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

// A second Herschel the quiet spacing behind the first repeats its passage, so the cells of one
// passage are all a conduit needs then; the output's first glider, let go, is not among them.
TEST(ConduitProofTest, OnePassageOnceTheConduitIsQuiet) {
    const ProvenConduit conduit = *proveConduit(drawnL112(0, 0)).conduit;
    EXPECT_EQ(conduit.quietSpacing(), conduit.settledAt + 4);
    EXPECT_GT(conduit.quietSpacing(), conduit.recovery);
    const std::vector<LifeCell>& passage = conduit.passageAlive;
    EXPECT_TRUE(std::includes(conduit.everAlive.begin(), conduit.everAlive.end(), passage.begin(),
                              passage.end()));
    EXPECT_TRUE(std::includes(passage.begin(), passage.end(), conduit.catalysts.begin(),
                              conduit.catalysts.end()));
    const NaturalGlider& glider = firstNaturalGlider();
    const std::int64_t drop = conduit.dt + glider.generation;
    const GliderPath path = *gliderPath(cellsInFrame(conduit.output, glider.cells), drop);
    std::set<LifeCell> gliderOnly;
    for (std::int64_t g = drop; g < drop + 80; ++g) {
        for (const LifeCell& cell : gliderCells(path, g)) {
            if (std::binary_search(conduit.everAlive.begin(), conduit.everAlive.end(), cell) &&
                !std::binary_search(passage.begin(), passage.end(), cell)) {
                gliderOnly.insert(cell);
            }
        }
    }
    EXPECT_GT(gliderOnly.size(), 20u);
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
