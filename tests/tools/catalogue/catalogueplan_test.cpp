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
    EXPECT_EQ(plan.components[0].variants, (std::vector<std::size_t>{0, 1, 2, 3}));
    EXPECT_EQ(plan.components[1].name, "L112_2");
    std::vector<std::string> names;
    for (const VariantPlan& variant : plan.variants) {
        names.push_back(variant.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"L112a", "L112a.c", "L112b", "L112b.c", "L112_2a",
                                               "L112_2a.c"}));
    EXPECT_EQ(plan.variants[0].imagePath(), "data/conduits/L112a-image.rle");
    EXPECT_EQ(plan.variants[1].usagePath(), "data/conduits/L112a.c-usage.rle");
}

TEST(CataloguePlanTest, TypeLettersAndRecoveryTakeTheLargerValue) {
    const PlanFixture fixture;
    const CataloguePlan plan = planCatalogue(fixture.proven, {0, 1, 2}, fixture.collection);
    EXPECT_EQ(plan.variants[0].typeText(), "GS");
    EXPECT_EQ(plan.variants[2].typeText(), "GR");
    EXPECT_EQ(plan.variants[4].typeText(), "GSU");
    EXPECT_EQ(plan.variants[5].typeText(), "GSU");
    EXPECT_EQ(plan.variants[0].recovery, 69);
    EXPECT_EQ(plan.variants[2].recovery, 100);
}

// The variant with the map of one passage works from the quiet spacing on, the one with the full
// map from the recovery up to there; a conduit quiet by its recovery has only the first.
TEST(CataloguePlanTest, EachConduitGivesAVariantPerBandOfCompression) {
    PlanFixture fixture;
    const std::int64_t quiet = fixture.proven[0].quietSpacing();
    ASSERT_GT(quiet, 100);
    fixture.collection.conduits[2].label.recovery = static_cast<std::int32_t>(quiet + 5);
    const CataloguePlan plan = planCatalogue(fixture.proven, {0, 1, 2}, fixture.collection);
    ASSERT_EQ(plan.variants.size(), 5u);
    const auto band = [&](std::size_t i) {
        return std::make_pair(plan.variants[i].maxCompression, plan.variants[i].minCompression);
    };
    EXPECT_EQ(band(0), std::make_pair(quiet, std::int64_t{0}));
    EXPECT_EQ(band(1), std::make_pair(std::int64_t{69}, quiet - 1));
    EXPECT_EQ(band(3), std::make_pair(std::int64_t{100}, quiet - 1));
    EXPECT_EQ(plan.variants[4].name, "L112_2a");
    EXPECT_EQ(band(4), std::make_pair(quiet + 5, std::int64_t{0}));
    // One passage needs part of what two Herschels at every spacing need, and the same catalysts.
    const VariantMaps& passage = plan.variants[0].maps;
    const VariantMaps& full = plan.variants[1].maps;
    EXPECT_TRUE(plan.variants[0].onePassage);
    EXPECT_FALSE(plan.variants[1].onePassage);
    EXPECT_EQ(passage.image, full.image);
    EXPECT_TRUE(std::includes(full.usage.begin(), full.usage.end(), passage.usage.begin(),
                              passage.usage.end()));
    EXPECT_LT(passage.usage.size(), full.usage.size());
}

TEST(CataloguePlanTest, AnOutputNotBuiltFromThePredecessorIsX) {
    PlanFixture fixture;
    fixture.proven[0].builtFromPredecessor = false;
    const CataloguePlan plan = planCatalogue(fixture.proven, {0}, fixture.collection);
    EXPECT_EQ(plan.variants[0].typeText(), "GSX");
}

}  // namespace
}  // namespace trelkan::builder
