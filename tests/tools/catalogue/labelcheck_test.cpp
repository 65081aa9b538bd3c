#include "tools/catalogue/labelcheck.h"

#include <gtest/gtest.h>

namespace trelkan::builder {
namespace {

ProvenConduit fx286() {
    ProvenConduit conduit;
    conduit.dt = 286;
    conduit.output = {41, 18, kFx};
    return conduit;
}

TEST(LabelCheckTest, AgreeingLabelsSayNothing) {
    ConduitLabel label{"Fx286b", 233, {{41, -18}}};
    EXPECT_TRUE(labelDisagreements(label, fx286()).empty());
    EXPECT_TRUE(labelDisagreements(ConduitLabel{}, fx286()).empty());
}

TEST(LabelCheckTest, NamesTimeTurnAndOffset) {
    ConduitLabel label{"L280", 233, {{41, 18}}};
    const std::vector<std::string> found = labelDisagreements(label, fx286());
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0], "the name says L, the output faces Fx");
    EXPECT_EQ(found[1], "the name says 280 generations, the output appears at 286");
    EXPECT_EQ(found[2], "the printed offset is (x=41,y=18), the measured one (x=41,y=-18)");
}

TEST(LabelCheckTest, AnyOfSeveralPrintedOffsetsWillDo) {
    ConduitLabel label{"Fx286", std::nullopt, {{0, 0}, {41, -18}}};
    EXPECT_TRUE(labelDisagreements(label, fx286()).empty());
}

}  // namespace
}  // namespace trelkan::builder
