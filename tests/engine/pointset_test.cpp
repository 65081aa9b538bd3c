#include "engine/pointset.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <ostream>
#include <random>
#include <set>
#include <tuple>
#include <vector>

namespace trelkan {

static void PrintTo(const SignalState& s, std::ostream* out) {
    *out << '(' << s.x << ", " << s.y << ", " << s.dir << ')';
}

namespace {

using States = std::vector<SignalState>;

States walkAll(PointSet& set) {
    States states;
    SignalState state;
    for (bool more = set.first(state); more; more = set.next(state)) {
        states.push_back(state);
    }
    return states;
}

// Walks the set, erasing the states the predicate picks; returns the states kept.
template <typename Pick>
States eraseDuringWalk(PointSet& set, Pick pick) {
    States kept;
    SignalState state;
    bool more = set.first(state);
    while (more) {
        if (pick(state)) {
            more = set.eraseAndNext(state);
        } else {
            kept.push_back(state);
            more = set.next(state);
        }
    }
    return kept;
}

constexpr std::int32_t kScatter = 40503;

// The tile at the plane's top-left corner in direction 0: x and y from -640 to -385.
SignalState cornerTileState(std::int32_t n) {
    return {-640 + n % 256, -640 + n / 256, kF};
}

void insertCornerTileStates(PointSet& set, std::int32_t count) {
    for (std::int32_t n = 0; n < count; ++n) {
        // An odd step wraps round the tile at once, so that most keys land between earlier ones.
        set.insert(cornerTileState(n * kScatter % 65536));
    }
}

struct Counters {
    std::vector<std::int32_t> used, free;
    std::size_t chunkBytes;
    friend bool operator==(const Counters&, const Counters&) = default;
};

Counters countersOf(const BlockAllocator& allocator) {
    Counters counters{{}, {}, allocator.chunkBytes()};
    for (int c = 0; c < BlockAllocator::kClassCount; ++c) {
        counters.used.push_back(allocator.used(c));
        counters.free.push_back(allocator.free(c));
    }
    return counters;
}

TEST(PointSet, WrapsEveryCoordinateOntoThePlane) {
    // Images by hand: INT32_MIN = -1677722 * 1280 + 512, INT32_MAX = 1677721 * 1280 + 767.
    const std::vector<std::pair<std::int32_t, std::int32_t>> images = {
        {640, -640}, {-641, 639}, {-1920, -640}, {1919, 639}, {INT32_MIN, 512}, {INT32_MAX, -513}};
    for (const auto& [value, image] : images) {
        SCOPED_TRACE(value);
        BlockAllocator allocator;
        PointSet set(allocator);
        set.insert({value, value, kLx});
        EXPECT_TRUE(set.contains({image, image, kLx}));
        EXPECT_TRUE(set.contains({image + 1280, image - 2560, kLx}));
        EXPECT_FALSE(set.contains({image, image, kL}));
        EXPECT_EQ(walkAll(set), (States{{image, image, kLx}}));
    }
}

TEST(PointSet, StoresAStateOnceInEitherForm) {
    BlockAllocator allocator;
    PointSet set(allocator);
    set.insert({5, 6, kFx});
    set.insert({5, 6, kFx});
    set.insert({5 + 1280, 6, kFx});
    EXPECT_EQ(set.size(), 1);
    insertCornerTileStates(set, 3000);
    insertCornerTileStates(set, 3000);
    EXPECT_EQ(set.size(), 3001);
}

TEST(PointSet, TurnsATileIntoABitmapBeyondItsSortedKeysAndHandsBackTheBlock) {
    constexpr std::int32_t kSorted = PointSet::kMaxSortedKeys;
    BlockAllocator allocator;
    // A released block is the next handed out, so the set's first block is this one.
    void* firstBlock = allocator.allocate(BlockAllocator::k512);
    allocator.release(BlockAllocator::k512, firstBlock);
    PointSet set(allocator);
    insertCornerTileStates(set, kSorted);
    EXPECT_EQ(set.tileCapacity(cornerTileState(0)), kSorted);
    EXPECT_EQ(set.storageBytes(), 512u);
    EXPECT_EQ(allocator.used(BlockAllocator::k512), 1);

    set.insert(cornerTileState(1));
    EXPECT_EQ(set.tileCapacity(cornerTileState(0)), PointSet::kBitmapCapacity);
    EXPECT_EQ(set.size(), kSorted + 1);
    for (std::int32_t n = 0; n < kSorted; ++n) {
        ASSERT_TRUE(set.contains(cornerTileState(n * kScatter % 65536))) << n;
    }
    EXPECT_TRUE(set.contains(cornerTileState(1)));
    EXPECT_FALSE(set.contains(cornerTileState(2)));
    EXPECT_EQ(allocator.used(BlockAllocator::k512), 0);
    EXPECT_EQ(set.storageBytes(), 8192u);
    EXPECT_EQ(allocator.usedBytes(), 8192u);
    EXPECT_EQ(allocator.allocate(BlockAllocator::k512), firstBlock);
}

TEST(PointSet, WalksByDirectionThenTileThenYThenX) {
    // Tiles start at -640, -384, -128, 128 and 384 on each axis.
    const States ordered = {
        {-600, -640, kF},  {-639, -639, kF}, {-390, -390, kF},  // top-left tile: y, then x
        {-384, -640, kF},  {-100, -400, kF},                    // the rest of the top tile row
        {-640, -384, kF},  {639, 639, kF},                      // the next row, the last tile
        {-640, -640, kRx}, {0, 0, kRx},
    };
    BlockAllocator allocator;
    PointSet set(allocator);
    for (auto it = ordered.rbegin(); it != ordered.rend(); ++it) {
        set.insert(*it);
    }
    EXPECT_EQ(walkAll(set), ordered);
    SignalState state;
    EXPECT_FALSE(set.next(state));
}

TEST(PointSet, ErasesEveryStateAndKeepsTheBlocks) {
    BlockAllocator allocator;
    PointSet set(allocator);
    const auto fill = [&set] {
        insertCornerTileStates(set, 3000);
        set.insert({0, 0, kB});
        set.insert({639, 639, kRx});
    };
    fill();
    const std::size_t bytes = set.storageBytes();
    const Counters counters = countersOf(allocator);

    EXPECT_TRUE(eraseDuringWalk(set, [](const SignalState&) { return true; }).empty());
    SignalState state;
    EXPECT_EQ(set.size(), 0);
    EXPECT_FALSE(set.first(state));
    EXPECT_EQ(set.storageBytes(), bytes);
    fill();
    EXPECT_EQ(set.size(), 3002);
    EXPECT_EQ(countersOf(allocator), counters);
}

TEST(PointSet, ErasesEveryOtherStateInEitherForm) {
    for (const std::int32_t count : {300, 3000}) {
        SCOPED_TRACE(count);
        BlockAllocator allocator;
        PointSet set(allocator);
        insertCornerTileStates(set, count);
        const States all = walkAll(set);
        States expected;
        for (std::size_t i = 1; i < all.size(); i += 2) {
            expected.push_back(all[i]);
        }
        bool erase = false;
        const States kept = eraseDuringWalk(set, [&erase](const SignalState&) {
            erase = !erase;
            return erase;
        });
        EXPECT_EQ(kept, expected);
        EXPECT_EQ(walkAll(set), expected);
    }
}

TEST(PointSet, ErasingTheLastStateOfASortedTileMovesToTheNextTile) {
    BlockAllocator allocator;
    PointSet set(allocator);
    const States states = {{-640, -640, kF}, {-630, -640, kF}, {-620, -640, kF}, {0, 0, kFx}};
    for (const SignalState& s : states) {
        set.insert(s);
    }
    SignalState state;
    ASSERT_TRUE(set.first(state) && set.next(state) && set.next(state));
    ASSERT_EQ(state, states[2]);
    ASSERT_TRUE(set.eraseAndNext(state));
    EXPECT_EQ(state, states[3]);
    EXPECT_FALSE(set.eraseAndNext(state));
    EXPECT_EQ(walkAll(set), (States{states[0], states[1]}));
}

TEST(BlockAllocator, CutsTheFirst8KBlockFromAChunkInAddressOrder) {
    BlockAllocator allocator;
    auto* previous = static_cast<std::byte*>(allocator.allocate(BlockAllocator::k8K));
    EXPECT_EQ(allocator.used(BlockAllocator::k8K), 1);
    EXPECT_EQ(allocator.free(BlockAllocator::k8K), 127);
    EXPECT_EQ(allocator.chunkBytes(), BlockAllocator::kChunkBytes);
    for (int i = 1; i < 128; ++i) {
        auto* block = static_cast<std::byte*>(allocator.allocate(BlockAllocator::k8K));
        ASSERT_EQ(block, previous + 8192) << i;
        previous = block;
    }
    EXPECT_EQ(allocator.chunkBytes(), BlockAllocator::kChunkBytes);
    allocator.allocate(BlockAllocator::k8K);
    EXPECT_EQ(allocator.chunkBytes(), 2 * BlockAllocator::kChunkBytes);
    EXPECT_EQ(allocator.usedBytes(), 129u * 8192u);
}

TEST(BlockAllocator, HalvesLargerBlocksDownToA512Block) {
    BlockAllocator allocator;
    auto* first = static_cast<std::byte*>(allocator.allocate(BlockAllocator::k512));
    const Counters expected{{1, 0, 0, 0, kF}, {1, 1, 1, 1, 127}, BlockAllocator::kChunkBytes};
    EXPECT_EQ(countersOf(allocator), expected);
    EXPECT_EQ(allocator.usedBytes(), 512u);
    // The second half, then the second half of the 1K block's parent.
    EXPECT_EQ(allocator.allocate(BlockAllocator::k512), first + 512);
    EXPECT_EQ(allocator.allocate(BlockAllocator::k512), first + 1024);
    EXPECT_EQ(allocator.free(BlockAllocator::k1K), 0);
    EXPECT_EQ(allocator.free(BlockAllocator::k512), 1);
}

TEST(BlockAllocator, HandsOutTheLastReleasedBlockFirstAndNeverJoinsHalves) {
    BlockAllocator allocator;
    void* a = allocator.allocate(BlockAllocator::k512);
    void* b = allocator.allocate(BlockAllocator::k512);
    allocator.release(BlockAllocator::k512, a);
    allocator.release(BlockAllocator::k512, b);
    EXPECT_EQ(allocator.used(BlockAllocator::k512), 0);
    EXPECT_EQ(allocator.free(BlockAllocator::k512), 2);
    EXPECT_EQ(allocator.free(BlockAllocator::k1K), 1);
    EXPECT_EQ(allocator.usedBytes(), 0u);
    EXPECT_EQ(allocator.allocate(BlockAllocator::k512), b);
    EXPECT_EQ(allocator.allocate(BlockAllocator::k512), a);
}

// The model: wrapped states ordered as the walk orders them.
std::int32_t wrap(std::int32_t v) {
    return static_cast<std::int32_t>(((std::int64_t{v} + 640) % 1280 + 1280) % 1280 - 640);
}

SignalState wrapped(const SignalState& s) {
    return {wrap(s.x), wrap(s.y), s.dir};
}

auto walkOrder(const SignalState& s) {
    return std::tuple(s.dir, (s.y + 640) / 256, (s.x + 640) / 256, s.y, s.x);
}

struct WalkLess {
    bool operator()(const SignalState& a, const SignalState& b) const {
        return walkOrder(a) < walkOrder(b);
    }
};

using Model = std::set<SignalState, WalkLess>;

// A dense square in the bottom-right corner of one tile of directions 0 and 1 (it turns into a
// bitmap, its last word in use), a small square across the corner of four tiles, a spread over the
// plane, and the whole int32 range.
SignalState randomState(std::mt19937& random) {
    const auto pick = [&random](std::int32_t lo, std::int32_t hi) {
        return std::uniform_int_distribution<std::int32_t>(lo, hi)(random);
    };
    const Direction dir = directionOf(pick(0, 7));
    switch (pick(0, 4)) {
        case 0:
        case 1:
            return {pick(27, 127), pick(27, 127), directionOf(dir % 2)};
        case 2:
            return {pick(-140, -116), pick(116, 140), dir};
        case 3:
            return {pick(-640, 639), pick(-640, 639), dir};
        default:
            return {pick(INT32_MIN, INT32_MAX), pick(INT32_MIN, INT32_MAX), dir};
    }
}

TEST(PointSet, AgreesWithAnOrderedSetOfWrappedStates) {
    for (const unsigned seed : {1u, 2u, 3u, 4u}) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        BlockAllocator allocator;
        PointSet set(allocator);
        Model model;
        for (int round = 0; round < 3; ++round) {
            for (int i = 0; i < 6000; ++i) {
                const SignalState s = randomState(random);
                set.insert(s);
                model.insert(wrapped(s));
            }
            ASSERT_EQ(set.size(), static_cast<std::int64_t>(model.size()));
            for (int i = 0; i < 3000; ++i) {
                const SignalState s = randomState(random);
                ASSERT_EQ(set.contains(s), model.contains(wrapped(s)));
            }
            ASSERT_EQ(walkAll(set), States(model.begin(), model.end()));

            std::bernoulli_distribution erase(0.4);
            eraseDuringWalk(set, [&](const SignalState& s) {
                if (!erase(random)) {
                    return false;
                }
                model.erase(s);
                return true;
            });
            ASSERT_EQ(walkAll(set), States(model.begin(), model.end()));
            ASSERT_EQ(set.size(), static_cast<std::int64_t>(model.size()));
        }
        EXPECT_EQ(set.tileCapacity({127, 127, kFx}), PointSet::kBitmapCapacity);
    }
}

}  // namespace
}  // namespace trelkan
