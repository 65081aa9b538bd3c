#include "tools/catalogue/clusters.h"

#include <gtest/gtest.h>

#include "tests/tools/catalogue/fixtures.h"

namespace trelkan::builder {
namespace {

using testing::PictureDrawing;
using testing::pictureOf;

TEST(ClustersTest, EnvelopesWithFourEmptyColumnsBetweenAreOneConduit) {
    PictureDrawing drawing;
    drawing.fill({10, 19, 10, 19}, kEnvelope);
    drawing.fill({24, 33, 10, 19}, kEnvelope);  // four empty columns between: joined
    drawing.fill({39, 48, 10, 19}, kEnvelope);  // five: separate
    const ClusterMap clusters(pictureOf(drawing));
    ASSERT_EQ(clusters.clusters().size(), 2u);
    EXPECT_EQ(clusters.clusters()[0].box, (Box{10, 33, 10, 19}));
    EXPECT_EQ(clusters.clusters()[1].box, (Box{39, 48, 10, 19}));
}

TEST(ClustersTest, OtherCellsGoToTheNearestEnvelopeWithinReach) {
    PictureDrawing drawing;
    drawing.fill({10, 19, 10, 19}, kEnvelope);
    drawing.fill({40, 49, 10, 19}, kEnvelope);
    drawing.put(60, 60, kCatalyst);
    const ClusterMap clusters(pictureOf(drawing));
    EXPECT_EQ(clusters.owner(28, 15), 0);
    EXPECT_EQ(clusters.owner(31, 15), 1);
    EXPECT_EQ(clusters.owner(15, 19 + ClusterMap::kOwnerReach), 0);
    EXPECT_EQ(clusters.owner(15, 20 + ClusterMap::kOwnerReach), -1);
    EXPECT_EQ(clusters.owner(-5, 0), -1);
}

TEST(ClustersTest, RowsOfTheCollectionComeFirstInTheOrder) {
    PictureDrawing drawing;
    drawing.fill({60, 69, 2, 9}, kEnvelope);
    drawing.fill({0, 99, 20, 20}, kRule);
    drawing.fill({10, 19, 30, 39}, kEnvelope);
    drawing.fill({30, 39, 25, 29}, kEnvelope);
    const ClusterMap clusters(pictureOf(drawing));
    ASSERT_EQ(clusters.clusters().size(), 3u);
    EXPECT_EQ(clusters.clusters()[0].band, 0);
    EXPECT_EQ(clusters.clusters()[0].box.minX, 60);
    EXPECT_EQ(clusters.clusters()[1].band, 1);
    EXPECT_EQ(clusters.clusters()[1].box.minX, 10);
    EXPECT_EQ(clusters.clusters()[2].box.minX, 30);
    EXPECT_EQ(clusters.bandOf(20), 0);
    EXPECT_EQ(clusters.bandOf(21), 1);
}

}  // namespace
}  // namespace trelkan::builder
