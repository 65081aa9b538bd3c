#include "catalogue/cellmap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace trelkan {
namespace {

// The map's rows from the top, as text of '.' and 'o'.
std::vector<std::string> picture(const CellMap& map) {
    const Box box = map.getBounds();
    std::vector<std::string> rows;
    for (std::int32_t y = box.minY; y <= box.maxY; ++y) {
        std::string row;
        for (std::int32_t x = box.minX; x <= box.maxX; ++x) {
            row += map.getCell(x, y) ? 'o' : '.';
        }
        rows.push_back(row);
    }
    return rows;
}

struct MapReading {
    std::vector<std::string> rows;
    std::string err;
};

// The pictures, and what the loader reports of a refusal.
MapReading read(std::string_view text) {
    const CellMap map(0, 0, text);
    return {picture(map), std::string(CellMap::refusalMessage(map.refusal()))};
}

using Rows = std::vector<std::string>;

TEST(CellMap, GliderWithItsOriginInTheMiddle) {
    const CellMap map(1, 1, "bo$2bo$3o!");
    EXPECT_EQ(map.width(), 3);
    EXPECT_EQ(map.height(), 3);
    EXPECT_EQ(map.getBounds(), (Box{-1, 1, -1, 1}));
    EXPECT_EQ(picture(map), (Rows{".o.", "..o", "ooo"}));
    EXPECT_EQ(map.getCell(0, -1), 1);
    EXPECT_EQ(map.getCell(-1, -1), 0);
    EXPECT_EQ(map.getCell(2, 0), 0);
    EXPECT_EQ(map.getCell(-2147483647 - 1, 2147483647), 0);
}

TEST(CellMap, RowsAndRuns) {
    EXPECT_EQ(read("o2$o!").rows, (Rows{"o", ".", "o"}));
    EXPECT_EQ(read("o$!").rows, (Rows{"o", "."}));
    EXPECT_EQ(read("3o$b!").rows, (Rows{"ooo", "..."}));
    EXPECT_EQ(read("2bo$o").rows, (Rows{"..o", "o.."}));
    EXPECT_EQ(read("o!garbage after the end").rows, (Rows{"o"}));
    EXPECT_EQ(read("0o!").rows, (Rows{"."}));
}

TEST(CellMap, FaultyTextLeavesAnEmptyMap) {
    for (const char* text : {"2o 3b!", "3A!", "oo3!", "o$x$!"}) {
        const MapReading reading = read(text);
        EXPECT_EQ(reading.err, "Error reading RLE\n") << text;
        EXPECT_TRUE(reading.rows.empty()) << text;
    }
    const CellMap empty(4, 6, "2o 3b!");
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_EQ(empty.getBounds(), (Box{-4, -5, 7, 6}));
    EXPECT_EQ(empty.getCell(0, 0), 0);
}

TEST(CellMap, SizeLimit) {
    EXPECT_EQ(read("100o$98$!").err, "");
    EXPECT_EQ(read("100o$98$!").rows.size(), 100u);
    EXPECT_EQ(read("101o$98$!").err, "RLE too big");
    EXPECT_EQ(read("10000o!").err, "");
    EXPECT_EQ(read("10001b!").err, "RLE too big");
    EXPECT_EQ(read("4294967297o!").err, "RLE too big");
    EXPECT_EQ(read("999999999999999999999999999999$!").err, "RLE too big");
}

}  // namespace
}  // namespace trelkan
