#include "tools/catalogue/catalogueplan.h"

#include <gtest/gtest.h>

#include "tests/tools/catalogue/fixtures.h"

namespace trelkan::builder {
namespace {

TEST(CataloguePlanTest, VariantSuffixesRunThroughTheAlphabet) {
    EXPECT_EQ(variantSuffix(0), "a");
    EXPECT_EQ(variantSuffix(25), "z");
    EXPECT_EQ(variantSuffix(26), "aa");
    EXPECT_EQ(variantSuffix(27), "ab");
    EXPECT_EQ(variantSuffix(26 + 26 * 26), "aaa");
}

// Three conduits: two with one displacement, a third that shares turn and travel time but
// not the offset, and so makes a second component of the same name.
struct PlanFixture {
    Collection collection;
    std::vector<ProvenConduit> proven;

    PlanFixture() {
        const ProvenConduit l112 = *proveConduit(testing::drawnL112(0, 0)).conduit;
        for (int i = 0; i < 3; ++i) {
            DrawnConduit drawn = testing::drawnL112(0, 0);
            drawn.index = i;
            drawn.label.name = "L112-" + std::to_string(i);
            drawn.label.recovery = i == 1 ? 100 : 10;
            collection.conduits.push_back(drawn);
            ProvenConduit conduit = l112;
            conduit.drawnIndex = i;
            proven.push_back(conduit);
        }
        proven[2].output.x += 1;
        proven[1].inputBlock = true;
        proven[2].form = OutputForm::kPredecessor;
    }
};

TEST(CataloguePlanTest, GroupsByDisplacementAndNamesByTurnAndTime) {
    const PlanFixture fixture;
    const CataloguePlan plan = planCatalogue(fixture.proven, {0, 1, 2}, fixture.collection);
    ASSERT_EQ(plan.components.size(), 2u);
    EXPECT_EQ(plan.components[0].name, "L112");
    EXPECT_EQ(plan.components[0].dx, 12);
    EXPECT_EQ(plan.components[0].dy, -33);
    EXPECT_EQ(plan.components[0].variants, (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(plan.components[1].name, "L112_2");
    ASSERT_EQ(plan.variants.size(), 3u);
    EXPECT_EQ(plan.variants[0].name, "L112a");
    EXPECT_EQ(plan.variants[1].name, "L112b");
    EXPECT_EQ(plan.variants[2].name, "L112_2a");
    EXPECT_EQ(plan.variants[0].imagePath(), "data/conduits/L112a-image.rle");
}

TEST(CataloguePlanTest, TypeLettersAndRecoveryTakeTheLargerValue) {
    const PlanFixture fixture;
    const CataloguePlan plan = planCatalogue(fixture.proven, {0, 1, 2}, fixture.collection);
    EXPECT_EQ(plan.variants[0].typeText(), "GS");
    EXPECT_EQ(plan.variants[1].typeText(), "GR");
    EXPECT_EQ(plan.variants[2].typeText(), "GSU");
    EXPECT_EQ(plan.variants[0].recovery, 69);
    EXPECT_EQ(plan.variants[1].recovery, 100);
}

TEST(CataloguePlanTest, AnOutputNotBuiltFromThePredecessorIsX) {
    PlanFixture fixture;
    fixture.proven[0].builtFromPredecessor = false;
    const CataloguePlan plan = planCatalogue(fixture.proven, {0}, fixture.collection);
    EXPECT_EQ(plan.variants[0].typeText(), "GSX");
}

}  // namespace
}  // namespace trelkan::builder
