#include "tools/catalogue/cellmapwriter.h"

#include <gtest/gtest.h>

#include "catalogue/cellmap.h"
#include "tools/catalogue/pairsection.h"

namespace trelkan::builder {
namespace {

CellMap loaded(const Box& rectangle, const std::vector<LifeCell>& cells) {
    const MapOrigin origin = originIn(rectangle);
    return CellMap(origin.column, origin.rowFromBottom,
                   loadedMapText(mapRle(rectangle, cells, {"a comment"})));
}

TEST(CellMapWriterTest, TheLoaderSeesTheWholeRectangle) {
    // The live cells fill only the middle; dead columns on the right and dead rows below must
    // still belong to the map.
    const Box rectangle{-3, 6, -2, 5};
    const std::vector<LifeCell> cells = {{0, 0}, {1, 0}, {-1, 2}};
    const CellMap map = loaded(rectangle, cells);
    EXPECT_EQ(map.getBounds(), rectangle);
    EXPECT_EQ(map.width(), 10);
    EXPECT_EQ(map.height(), 8);
    for (std::int32_t y = rectangle.minY; y <= rectangle.maxY; ++y) {
        for (std::int32_t x = rectangle.minX; x <= rectangle.maxX; ++x) {
            const bool live = std::find(cells.begin(), cells.end(), LifeCell{x, y}) != cells.end();
            EXPECT_EQ(map.getCell(x, y), live ? 1 : 0) << x << ", " << y;
        }
    }
}

TEST(CellMapWriterTest, OriginIsTheColumnAndTheRowFromTheBottom) {
    const MapOrigin origin = originIn({-3, 6, -2, 5});
    EXPECT_EQ(origin.column, 3);
    EXPECT_EQ(origin.rowFromBottom, 5);
}

TEST(CellMapWriterTest, WritesHeaderCommentsAndShortLines) {
    std::vector<LifeCell> cells;
    for (std::int32_t x = 0; x < 100; x += 2) {
        for (std::int32_t y = 0; y < 10; ++y) {
            cells.push_back({x, y});
        }
    }
    const std::string text = mapRle({0, 99, 0, 9}, cells, {"one", "two"});
    EXPECT_EQ(text.rfind("#C one\n#C two\nx = 100, y = 10, rule = B3/S23\n", 0), 0u);
    std::size_t start = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos;
         start = end + 1, end = text.find('\n', start)) {
        EXPECT_LE(end - start, 70u);
    }
    EXPECT_EQ(text.substr(text.size() - 2), "!\n");
}

TEST(CellMapWriterTest, AnEmptyMapKeepsItsSize) {
    const CellMap map = loaded({0, 4, 0, 2}, {});
    EXPECT_EQ(map.width(), 5);
    EXPECT_EQ(map.height(), 3);
    EXPECT_EQ(mapRle({0, 4, 0, 2}, {}, {}), "x = 5, y = 3, rule = B3/S23\n5b2$!\n");
}

TEST(CellMapWriterTest, CellsOutsideTheRectangleAreLeftOut) {
    const CellMap map = loaded({0, 2, 0, 2}, {{1, 1}, {5, 5}});
    EXPECT_EQ(map.getCell(1, 1), 1);
    EXPECT_EQ(map.width(), 3);
}

TEST(LoadedMapTextTest, DropsCommentsAndTheHeader) {
    EXPECT_EQ(loadedMapText("#C x\nx = 2, y = 2\nbo$  \n2o! # end\nignored\n"), "bo$2o!");
}

}  // namespace
}  // namespace trelkan::builder
