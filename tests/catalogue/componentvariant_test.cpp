#include "catalogue/componentvariant.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace trelkan {
namespace {

constexpr std::int32_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();

// A map written out cell by cell, so that the tests know its cells without asking CellMap.
struct GridMap {
    std::int32_t dx = 0;
    std::int32_t dy = 0;
    std::vector<std::string> rows;  // Top row first; 'o' live, 'b' dead.

    std::string rle() const {
        std::string text;
        for (const std::string& row : rows) {
            text += row + "$";
        }
        text.back() = '!';
        return text;
    }

    std::shared_ptr<const CellMap> cellMap() const {
        return std::make_shared<const CellMap>(dx, dy, rle());
    }

    // Component coordinates of the cells, live ones only or the whole rectangle: RLE column c
    // and row k (from the top) is x = c - dx, y = k + dy - height + 1.
    std::vector<Offset> cells(bool liveOnly) const {
        std::vector<Offset> result;
        const auto height = static_cast<std::int32_t>(rows.size());
        for (std::int32_t k = 0; k < height; ++k) {
            for (std::int32_t c = 0; c < static_cast<std::int32_t>(rows[k].size()); ++c) {
                if (!liveOnly || rows[k][c] == 'o') {
                    result.push_back({c - dx, k + dy - height + 1});
                }
            }
        }
        return result;
    }
};

GridMap randomMap(std::mt19937& rng, int maxSize, bool liveCorners) {
    std::uniform_int_distribution<int> size(1, maxSize);
    std::bernoulli_distribution live(0.5);
    const int width = size(rng);
    const int height = size(rng);
    GridMap map;
    map.dx = std::uniform_int_distribution<int>(-2, width + 1)(rng);
    map.dy = std::uniform_int_distribution<int>(-2, height + 1)(rng);
    for (int k = 0; k < height; ++k) {
        std::string row;
        for (int c = 0; c < width; ++c) {
            const bool corner = (k == 0 || k == height - 1) && (c == 0 || c == width - 1);
            row += (live(rng) || (liveCorners && corner)) ? 'o' : 'b';
        }
        map.rows.push_back(row);
    }
    return map;
}

// The least box holding the points turned by o and moved by (px, py).
Box hull(const std::vector<Offset>& points, Direction o, std::int32_t px = 0, std::int32_t py = 0) {
    Box box{kInt32Max, kInt32Min, kInt32Max, kInt32Min};
    for (const Offset& point : points) {
        const Offset turned = turnOffset(o, point.x, point.y);
        box.minX = std::min(box.minX, turned.x + px);
        box.maxX = std::max(box.maxX, turned.x + px);
        box.minY = std::min(box.minY, turned.y + py);
        box.maxY = std::max(box.maxY, turned.y + py);
    }
    return box;
}

bool contains(const Box& box, const Offset& p) {
    return p.x >= box.minX && p.x <= box.maxX && p.y >= box.minY && p.y <= box.maxY;
}

struct GridVariant {
    GridMap image;
    GridMap usage;
};

// Shared usage cells, counting only cells inside both image boxes (V's in F at the origin, W's
// turned by o and moved by (dx, dy)).
bool bruteForceCompatible(const GridVariant& v, const GridVariant& w, Direction o, std::int32_t dx,
                          std::int32_t dy) {
    const Box vBox = hull(v.image.cells(false), kF);
    const Box wBox = hull(w.image.cells(false), o, dx, dy);
    std::set<std::pair<std::int32_t, std::int32_t>> wCells;
    for (const Offset& cell : w.usage.cells(true)) {
        const Offset turned = turnOffset(o, cell.x, cell.y);
        const Offset global{turned.x + dx, turned.y + dy};
        if (contains(wBox, global)) {
            wCells.insert({global.x, global.y});
        }
    }
    for (const Offset& cell : v.usage.cells(true)) {
        if (contains(vBox, cell) && wCells.count({cell.x, cell.y}) != 0) {
            return false;
        }
    }
    return true;
}

std::unique_ptr<ComponentVariant> makeVariant(std::int32_t index, const GridMap& image,
                                              const GridMap& usage) {
    return std::make_unique<ComponentVariant>("v" + std::to_string(index), index, 0, 1, 1, 0, false,
                                              false, false, image.cellMap(), usage.cellMap());
}

TEST(ComponentVariantBoxes, EqualTheTurnedCellsInEveryOrientation) {
    std::mt19937 rng(11);
    for (int trial = 0; trial < 200; ++trial) {
        // Live corners make the live cells span the whole map rectangle.
        const GridMap image = randomMap(rng, 6, true);
        const auto variant = makeVariant(0, image, image);
        for (const Direction o : kDirections) {
            EXPECT_EQ(variant->box(o), hull(image.cells(true), o)) << image.rle() << " o=" << o;
        }
    }
}

TEST(ComponentVariantFrames, TransformBoxAndToLocalFollowThePlacement) {
    std::mt19937 rng(12);
    std::uniform_int_distribution<std::int32_t> small(-50, 50);
    std::uniform_int_distribution<std::int32_t> any(kInt32Min, kInt32Max);
    for (int trial = 0; trial < 100; ++trial) {
        const std::int32_t px = small(rng);
        const std::int32_t py = small(rng);
        const Offset a{small(rng), small(rng)};
        const Offset b{a.x + std::abs(small(rng)), a.y + std::abs(small(rng))};
        const Box box{a.x, b.x, a.y, b.y};
        const std::vector<Offset> corners = {a, b, {a.x, b.y}, {b.x, a.y}};
        // Anywhere in the 32-bit range, with wrapping arithmetic like the rest of the program.
        const std::int32_t farX = any(rng);
        const std::int32_t farY = any(rng);
        const Offset local{any(rng), any(rng)};
        for (const Direction o : kDirections) {
            EXPECT_EQ(transformBox(px, py, o, box), hull(corners, o, px, py)) << "o=" << o;
            const Offset turned = turnOffset(o, local.x, local.y);
            EXPECT_EQ(toLocal(farX, farY, o, wrapAdd(turned.x, farX), wrapAdd(turned.y, farY)),
                      local)
                << "o=" << o;
        }
    }
    const Box box{1, 2, 3, 4};
    for (const Direction o : {static_cast<Direction>(8), static_cast<Direction>(255)}) {
        EXPECT_EQ(transformBox(10, 20, o, box), box);
        EXPECT_EQ(toLocal(10, 20, o, 5, 6), (Offset{5, 6}));
    }
}

TEST(ComponentVariantActivity, FollowsPeriodAndCompression) {
    const GridMap cell{0, 0, {"o"}};
    auto variant = [&](std::int32_t period, std::int32_t maxCompression,
                       std::int32_t minCompression) {
        return std::make_unique<ComponentVariant>("v", 0, 0, period, maxCompression, minCompression,
                                                  false, false, false, cell.cellMap(),
                                                  cell.cellMap());
    };
    EXPECT_TRUE(variant(4, 6, 4)->updateActivity(0, 0));
    EXPECT_FALSE(variant(4, 1, 0)->updateActivity(30, 0));
    EXPECT_TRUE(variant(5, 1, 0)->updateActivity(30, 0));
    // A negative period from the command line is a multiple like any other.
    EXPECT_TRUE(variant(5, 1, 0)->updateActivity(-30, 0));
    EXPECT_FALSE(variant(4, 1, 0)->updateActivity(-30, 0));
    EXPECT_TRUE(variant(1, 1, 0)->updateActivity(kInt32Min, 0));
    EXPECT_FALSE(variant(3, 1, 0)->updateActivity(kInt32Min, 0));

    EXPECT_FALSE(variant(1, 6, 0)->updateActivity(0, 5));
    EXPECT_TRUE(variant(1, 4, 0)->updateActivity(0, 5));
    EXPECT_FALSE(variant(1, 4, 4)->updateActivity(0, 5));
    EXPECT_TRUE(variant(1, 4, 5)->updateActivity(0, 5));
    EXPECT_TRUE(variant(1, 5, 5)->updateActivity(0, 5));

    auto stored = variant(5, 1, 0);
    stored->updateActivity(7, 0);
    EXPECT_FALSE(stored->isActive());
    stored->updateActivity(10, 0);
    EXPECT_TRUE(stored->isActive());
    stored->deactivate();
    EXPECT_FALSE(stored->isActive());
}

// Every offset in and around the window, with the cache (twice, the second time from the stored
// verdicts) and without, against all shared usage cells counted by brute force. Usage maps are
// often larger than the image maps, or the image map itself.
TEST(ComponentVariantCompatibility, CacheAndCellTestAgreeWithBruteForce) {
    std::mt19937 rng(13);
    std::bernoulli_distribution shareImage(0.25);
    auto randomVariant = [&] {
        GridVariant grid{randomMap(rng, 6, false), {}};
        grid.usage = shareImage(rng) ? grid.image : randomMap(rng, 8, false);
        return grid;
    };
    int incompatible = 0;
    for (int trial = 0; trial < 60; ++trial) {
        const GridVariant vGrid = randomVariant();
        const GridVariant wGrid = randomVariant();
        const auto w = makeVariant(0, wGrid.image, wGrid.usage);
        const auto cached = makeVariant(1, vGrid.image, vGrid.usage);
        const auto plain = makeVariant(1, vGrid.image, vGrid.usage);
        cached->prepareCheckCache();

        auto sweep = [&](ComponentVariant& other, const GridVariant& otherGrid) {
            const Box vBox = hull(vGrid.image.cells(false), kF);
            for (const Direction o : kDirections) {
                const Box wBox = hull(otherGrid.image.cells(false), o);
                std::vector<bool> expected;
                for (int pass = 0; pass < 2; ++pass) {
                    std::size_t i = 0;
                    for (std::int32_t dy = vBox.minY - wBox.maxY - 2;
                         dy <= vBox.maxY - wBox.minY + 2; ++dy) {
                        for (std::int32_t dx = vBox.minX - wBox.maxX - 2;
                             dx <= vBox.maxX - wBox.minX + 2; ++dx) {
                            if (pass == 0) {
                                expected.push_back(
                                    bruteForceCompatible(vGrid, otherGrid, o, dx, dy));
                                ASSERT_EQ(plain->isCompatible(dx, dy, o, other), expected.back())
                                    << "o=" << o << " dx=" << dx << " dy=" << dy;
                                incompatible += expected.back() ? 0 : 1;
                            }
                            ASSERT_EQ(cached->isCompatible(dx, dy, o, other), expected[i++])
                                << "o=" << o << " dx=" << dx << " dy=" << dy << " pass=" << pass;
                        }
                    }
                }
            }
        };
        sweep(*w, wGrid);
        sweep(*cached, vGrid);  // Against itself: the last record of each table.
    }
    EXPECT_GT(incompatible, 500);  // The sweep must not be all compatible.
}

TEST(ComponentVariantCompatibility, DiagonallyTouchingBoxesAreCompatible) {
    const GridMap block{0, 1, {"oo", "oo"}};
    for (const bool useCache : {false, true}) {
        const auto v = makeVariant(1, block, block);
        const auto w = makeVariant(0, block, block);
        if (useCache) {
            v->prepareCheckCache();
        }
        for (const std::int32_t sx : {-1, 1}) {
            for (const std::int32_t sy : {-1, 1}) {
                EXPECT_TRUE(v->isCompatible(2 * sx, 2 * sy, kF, *w));
                EXPECT_FALSE(v->isCompatible(sx, sy, kF, *w));
            }
        }
    }
}

TEST(ComponentVariantCompatibility, UsageSharedOutsideTheImageBoxesIsIgnored) {
    // V's image covers x 0..1 and its usage (0, 0) and (2, 0); W's image is its origin cell and
    // its usage the cell to the right as well.
    const auto image = GridMap{0, 0, {"oo"}};
    for (const bool useCache : {false, true}) {
        const auto v = makeVariant(1, image, GridMap{0, 0, {"obo"}});
        const auto w = makeVariant(0, GridMap{0, 0, {"o"}}, GridMap{0, 0, {"oo"}});
        if (useCache) {
            v->prepareCheckCache();
        }
        EXPECT_TRUE(v->isCompatible(1, 0, kF, *w));  // Shared (2, 0) lies outside both boxes.
        EXPECT_FALSE(v->isCompatible(0, 0, kF, *w));
        EXPECT_TRUE(v->isCompatible(2, 0, kF, *w));  // Boxes apart; usage still shares (2, 0).
    }
}

TEST(ComponentVariantCompatibility, RepeatedQueryReturnsTheStoredVerdict) {
    // Verdicts are kept per other variant index, so a second variant with that index but no
    // usage cells is told the verdict stored for the first.
    const GridMap block{0, 0, {"oo", "oo"}};
    const GridMap empty{0, 0, {"bb", "bb"}};
    const auto v = makeVariant(1, block, block);
    const auto busy = makeVariant(0, block, block);
    const auto idle = makeVariant(0, block, empty);
    v->prepareCheckCache();
    EXPECT_FALSE(v->isCompatible(1, 0, kF, *busy));
    EXPECT_FALSE(v->isCompatible(1, 0, kF, *idle));
    EXPECT_TRUE(v->isCompatible(0, 1, kF, *idle));
    EXPECT_TRUE(v->isCompatible(0, 1, kF, *busy));
}

TEST(ComponentVariantCompatibility, FarOffsetsAreCompatible) {
    const GridMap block{0, 0, {"ooo", "ooo", "ooo"}};
    const GridMap farBlock{-1000000, 1000000, {"ooo", "ooo", "ooo"}};
    const std::vector<std::int32_t> offsets = {kInt32Min, kInt32Min + 1, -2000000,
                                               2000000,   kInt32Max - 1, kInt32Max};
    for (const bool useCache : {false, true}) {
        const auto v = makeVariant(1, block, block);
        const auto w = makeVariant(0, farBlock, farBlock);
        if (useCache) {
            v->prepareCheckCache();
        }
        for (const Direction o : kDirections) {
            for (const std::int32_t dx : offsets) {
                for (const std::int32_t dy : offsets) {
                    EXPECT_TRUE(v->isCompatible(dx, dy, o, *w)) << dx << " " << dy << " o=" << o;
                    EXPECT_TRUE(v->isCompatible(dx, dy, o, *v)) << dx << " " << dy << " o=" << o;
                }
            }
        }
    }
}

TEST(ComponentVariantCompatibility, RefusedImageHasEmptyBoxesAndMeetsNothing) {
    const GridMap block{1, 1, {"ooo", "ooo", "ooo"}};
    const auto refused = std::make_shared<const CellMap>(0, 0, "2o 3b!");
    const auto full = block.cellMap();
    ComponentVariant empty("empty", 0, 0, 1, 1, 0, false, false, false, refused, full);
    ComponentVariant emptyToo("emptyToo", 1, 0, 1, 1, 0, false, false, false, refused, full);
    const auto solid = makeVariant(2, block, block);
    for (const Direction o : kDirections) {
        const Box box = empty.box(o);
        EXPECT_EQ(box.maxX - box.minX, -1) << "o=" << o;
        EXPECT_EQ(box.maxY - box.minY, -1) << "o=" << o;
    }
    emptyToo.prepareCheckCache();
    solid->prepareCheckCache();
    for (const Direction o : kDirections) {
        for (std::int32_t dy = -4; dy <= 4; ++dy) {
            for (std::int32_t dx = -4; dx <= 4; ++dx) {
                EXPECT_TRUE(emptyToo.isCompatible(dx, dy, o, empty));
                EXPECT_TRUE(emptyToo.isCompatible(dx, dy, o, emptyToo));
                EXPECT_TRUE(solid->isCompatible(dx, dy, o, empty));
            }
        }
    }
}

}  // namespace
}  // namespace trelkan
