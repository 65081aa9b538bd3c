#include "tools/catalogue/variantmaps.h"

#include <gtest/gtest.h>

#include "tools/catalogue/glider.h"

namespace trelkan::builder {
namespace {

ProvenConduit conduitWithGlider() {
    ProvenConduit conduit;
    conduit.catalysts = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    conduit.everAlive = {{-2, -2}, {0, 0}, {1, 0}, {0, 1}, {1, 1}, {6, 6}};
    const std::vector<LifeCell> glider = {{5, 4}, {6, 5}, {4, 6}, {5, 6}, {6, 6}};
    conduit.gliders.push_back({*gliderPath(glider, 10), 10, glider});
    return conduit;
}

bool holds(const std::vector<LifeCell>& cells, const LifeCell& cell) {
    return std::binary_search(cells.begin(), cells.end(), cell);
}

TEST(VariantMapsTest, UsageIsTheCellsUsedWidenedByOne) {
    ProvenConduit conduit = conduitWithGlider();
    conduit.gliders.clear();
    const VariantMaps maps = buildVariantMaps(conduit);
    EXPECT_EQ(maps.rectangle, (Box{-3, 7, -3, 7}));
    EXPECT_TRUE(holds(maps.usage, {-3, -3}));
    EXPECT_TRUE(holds(maps.usage, {7, 7}));
    EXPECT_FALSE(holds(maps.usage, {4, -3}));
    EXPECT_EQ(maps.image, conduit.catalysts);
}

TEST(VariantMapsTest, LanesGrowTheMapUpToTheLimit) {
    const ProvenConduit conduit = conduitWithGlider();
    const VariantMaps maps = buildVariantMaps(conduit);
    const Box& box = maps.rectangle;
    const std::int64_t cells =
        (std::int64_t{box.maxX} - box.minX + 1) * (std::int64_t{box.maxY} - box.minY + 1);
    EXPECT_LE(cells, kMaxMapCells);
    EXPECT_GT(cells, kMaxMapCells - 2 * 100);
    // The glider heads towards +x and +y: the map grows that way only.
    EXPECT_EQ(box.minX, -3);
    EXPECT_EQ(box.minY, -3);
    EXPECT_EQ(maps.laneCount, 1);
    const GliderPath& path = conduit.gliders.front().path;
    for (std::int64_t g = 10; g < 300; g += 37) {
        for (const LifeCell& cell : gliderCells(path, g)) {
            EXPECT_EQ(holds(maps.usage, cell), box.contains(cell.x, cell.y)) << g;
        }
    }
    // Behind where the glider was taken out, the lane is not painted.
    EXPECT_FALSE(holds(maps.usage, gliderCells(path, -30).front()));
}

}  // namespace
}  // namespace trelkan::builder
