#include "tools/catalogue/passage.h"

#include <gtest/gtest.h>

#include "tests/tools/catalogue/fixtures.h"
#include "tools/catalogue/conduitproof.h"
#include "tools/catalogue/pairtest.h"

namespace trelkan::builder {
namespace {

class PassageTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        s_l112 = new ProvenConduit(*proveConduit(testing::drawnL112(0, 0)).conduit);
    }
    static void TearDownTestSuite() {
        delete s_l112;
        s_l112 = nullptr;
    }
    static const ProvenConduit& l112() { return *s_l112; }

  private:
    static ProvenConduit* s_l112;
};

ProvenConduit* PassageTest::s_l112 = nullptr;

TEST_F(PassageTest, ChainsPlaceEachConduitAtTheOutputBefore) {
    const Passage passage = makePassage({&l112(), &l112()});
    ASSERT_EQ(passage.places.size(), 3u);
    EXPECT_EQ(passage.places[1], (SignalPlace{12, -33, kL}));
    // The second turns left again from (12, -33) facing L: (12, -33) + T(L)(12, -33).
    EXPECT_EQ(passage.places[2], (SignalPlace{12 - 33, -33 - 12, kB}));
    EXPECT_EQ(passage.output.time, 224);
    EXPECT_FALSE(passage.catalystsClash);
}

TEST_F(PassageTest, OneConduitRecovers) {
    const PassageRun run = runPassage(makePassage({&l112()}), false, false);
    EXPECT_EQ(run.outcome, Outcome::kRecovered);
    EXPECT_TRUE(run.strayGliders.empty());
}

TEST_F(PassageTest, AnOutputDueAtTheWrongTimeIsMissing) {
    Passage passage = makePassage({&l112()});
    ++passage.output.time;
    EXPECT_EQ(runPassage(passage, false, false).outcome, Outcome::kOutputMissing);
}

TEST_F(PassageTest, FourLeftTurnsCloseALoop) {
    const Passage passage = makePassage({&l112(), &l112(), &l112(), &l112()});
    EXPECT_EQ(passage.places.back(), (SignalPlace{0, 0, kF}));
    EXPECT_EQ(passage.output.time, 448);
}

TEST_F(PassageTest, APairWorksEndToEnd) {
    bool clash = true;
    EXPECT_TRUE(pairWorks(l112(), l112(), {l112()}, clash));
    EXPECT_FALSE(clash);
}

TEST_F(PassageTest, CatalystsThatTouchClash) {
    // A second conduit whose only catalyst is one cell beside a catalyst of the first.
    ProvenConduit intruder = l112();
    const LifeCell beside{l112().catalysts.front().x - 1, l112().catalysts.front().y};
    // Its cell, seen from the first conduit's output (12, -33) facing L.
    intruder.catalysts = {{-(beside.y + 33), beside.x - 12}};
    bool clash = false;
    EXPECT_FALSE(pairWorks(l112(), intruder, {l112()}, clash));
    EXPECT_TRUE(clash);
}

TEST_F(PassageTest, RecoveryFromKeptStates) {
    ProvenConduit swallowing = l112();
    swallowing.gliderNeed = GliderNeed::kSwallow;
    const Passage passage = makePassage({&swallowing}, false);
    const PassageRun run = runPassage(passage, true, true);
    ASSERT_EQ(run.outcome, Outcome::kRecovered);
    EXPECT_EQ(run.states.front().generation(), -4);
    EXPECT_EQ(run.states.size(), static_cast<std::size_t>(run.last().generation() + 5));
    std::vector<LifeCell> cells;
    EXPECT_EQ(measureRecovery(passage, run, cells), 58);
    EXPECT_FALSE(cells.empty());
}

}  // namespace
}  // namespace trelkan::builder
