// A sparse set of signal states (x, y, direction) on a wrapping 1280 by 1280 plane, built for
// millions of insertions, fast membership tests and an ordered walk with removal; and the block
// allocator of fixed sizes that alone feeds it.
//
// Each direction's plane is cut into 5 by 5 tiles of 256 by 256 cells. A tile holds up to 64 points
// as a sorted array of 16-bit keys in a block of 0.5 KB, and beyond that as a bitmap of 8 KB: the
// search asks far more often than it inserts, and a bitmap answers with one load where a longer
// sorted array would take a dependent load per halving.
#pragma once

#include <array>
#include <bit>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "base/target.h"

namespace trelkan {

// Hands out blocks of five fixed sizes, each class halved from the next larger one and the largest
// cut from 1 MB chunks of the heap. A released block goes to the front of its class's free list;
// halves are never joined again and chunks go back to the heap only with the allocator. The sets
// of a map are grown by several threads at once, so a lock guards the lists: a set takes at most
// two blocks per tile, so the lock is taken rarely.
class BlockAllocator {
  public:
    enum SizeClass : int { k512, k1K, k2K, k4K, k8K };
    static constexpr int kClassCount = 5;
    static constexpr std::size_t kChunkBytes = std::size_t{1} << 20;

    BlockAllocator() = default;
    BlockAllocator(const BlockAllocator&) = delete;
    BlockAllocator& operator=(const BlockAllocator&) = delete;

    static constexpr std::size_t blockBytes(int sizeClass) { return std::size_t{512} << sizeClass; }

    // Never null: a heap that refuses a chunk ends the program.
    void* allocate(int sizeClass);
    // The caller names the block's class.
    void release(int sizeClass, void* block);

    // Blocks of the class handed out and not released; a block halved for the class below
    // counts there, as two halves.
    std::int32_t used(int sizeClass) const { return m_used[static_cast<std::size_t>(sizeClass)]; }
    std::int32_t free(int sizeClass) const { return m_free[static_cast<std::size_t>(sizeClass)]; }
    // Bytes taken from the heap.
    std::size_t chunkBytes() const { return m_chunks.size() * kChunkBytes; }
    // Bytes in blocks handed out and not released.
    std::size_t usedBytes() const;

  private:
    struct FreeBlock {
        FreeBlock* next;
    };

    // allocate, with the lock held.
    void* allocateLocked(int sizeClass);
    void addChunk();
    void* popFree(int sizeClass);
    void pushFree(int sizeClass, void* block);
    void* splitLarger(int sizeClass);

    std::mutex m_mutex;
    std::array<FreeBlock*, kClassCount> m_freeLists{};
    std::array<std::int32_t, kClassCount> m_used{};
    std::array<std::int32_t, kClassCount> m_free{};
    std::vector<std::unique_ptr<std::byte[]>> m_chunks;
};

class PointSet {
  public:
    // The plane: x and y from -640 to 639, every other value wrapped onto it modulo 1280.
    static constexpr std::int32_t kPlaneMin = -640;
    static constexpr std::int32_t kPlaneSize = 1280;
    static constexpr std::int32_t kTileSize = 256;
    static constexpr std::int32_t kTilesAcross = kPlaneSize / kTileSize;
    static constexpr std::int32_t kTileCount = 8 * kTilesAcross * kTilesAcross;
    static constexpr std::int32_t kMaxSortedKeys = 64;
    static constexpr std::int32_t kBitmapCapacity = kTileSize * kTileSize;

    explicit PointSet(BlockAllocator& allocator);
    // The blocks stay with the allocator, counted as used.
    virtual ~PointSet() = default;
    PointSet(const PointSet&) = delete;
    PointSet& operator=(const PointSet&) = delete;

    // state.dir must be 0 to 7.
    void insert(const SignalState& state);
    // The search's one question, asked billions of times: inline, so that the callers' loops
    // keep their sets' addresses at hand.
    bool contains(const SignalState& state) const;

    // Every state, in the walk's order, without the walk: any number of threads may read a set
    // this way at once, while none changes it.
    template <typename Visit>
    void forEach(Visit visit) const;

    // The walk: tiles by direction, then tile row, then tile column; inside a tile by y, then
    // x. Only one walk at a time; nothing but eraseAndNext may change the set during it. States
    // come out on the plane: x and y from -640 to 639.
    bool first(SignalState& state);
    bool next(SignalState& state);
    // Removes the state the walk stands on (its storage stays with the tile) and moves on.
    bool eraseAndNext(SignalState& state);

    std::int64_t size() const;

    // Bytes of the blocks that the tiles hold.
    std::size_t storageBytes() const;

    // The capacity of the tile that holds the state: 0 without storage, 64 sorted,
    // 65536 as a bitmap.
    std::int32_t tileCapacity(const SignalState& state) const;

  private:
    struct Tile {
        std::int32_t count = 0;
        std::int32_t capacity = 0;
        void* storage = nullptr;
    };

    struct Walk {
        std::int32_t tileIndex = kTileCount;
        std::int32_t baseX = 0;
        std::int32_t baseY = 0;
        std::int32_t direction = 0;
        std::int32_t position = 0;
        std::uint32_t bitMask = 0;
        std::int32_t bitIndex = 0;
    };

    static bool isBitmap(const Tile& tile) { return tile.capacity == kBitmapCapacity; }

    void startTile(Tile& tile, std::uint16_t key);
    void insertSorted(Tile& tile, std::uint16_t key);
    void convertToBitmap(Tile& tile, std::uint16_t key);

    bool enterTiles(SignalState& state);
    bool enterTile(SignalState& state);
    bool advanceInTile(SignalState& state);
    bool eraseAndAdvanceInTile(SignalState& state);
    bool seekSetBit(const std::uint32_t* words, std::int32_t word, std::uint32_t remaining);
    SignalState walkState(std::uint32_t key) const;

    BlockAllocator& m_allocator;
    std::array<Tile, kTileCount> m_tiles{};
    Walk m_walk;
};

// Where a state lives: its tile, and its key inside the tile.
namespace pointset {

// 0 to 1279 for every int32: a true modulo, in 64 bits so that the offset cannot overflow. The
// search asks mostly about states already on the plane, which need no division.
inline std::int32_t planeOffset(std::int32_t coordinate) {
    const std::uint32_t onPlane =
        static_cast<std::uint32_t>(coordinate) - static_cast<std::uint32_t>(PointSet::kPlaneMin);
    if (onPlane < static_cast<std::uint32_t>(PointSet::kPlaneSize)) {
        return static_cast<std::int32_t>(onPlane);
    }
    const std::int64_t r =
        (std::int64_t{coordinate} - PointSet::kPlaneMin) % std::int64_t{PointSet::kPlaneSize};
    return static_cast<std::int32_t>(r < 0 ? r + PointSet::kPlaneSize : r);
}

struct TileAddress {
    std::size_t index;
    std::uint16_t key;
};

inline TileAddress addressOf(const SignalState& state) {
    assert(state.dir >= 0 && state.dir < 8);
    const std::int32_t rx = planeOffset(state.x);
    const std::int32_t ry = planeOffset(state.y);
    const std::int32_t row = ry / PointSet::kTileSize;
    const std::int32_t column = rx / PointSet::kTileSize;
    const std::int32_t index =
        (state.dir * PointSet::kTilesAcross + row) * PointSet::kTilesAcross + column;
    const auto key = static_cast<std::uint16_t>((ry & 255) * 256 + (rx & 255));
    return {static_cast<std::size_t>(index), key};
}

inline std::uint32_t bitOf(std::uint32_t key) {
    return std::uint32_t{1} << (key % 32);
}

inline bool bitmapHas(const std::uint32_t* words, std::uint16_t key) {
    return (words[key / 32] & bitOf(key)) != 0;
}

// A binary search whose steps choose by a conditional move rather than a branch, since which
// half holds the key is a coin toss the predictor loses. base ends on the greatest key not above
// the one sought, or on the first.
inline bool hasSorted(const std::uint16_t* keys, std::int32_t count, std::uint16_t key) {
    assert(count > 0);
    const std::uint16_t* base = keys;
    auto n = static_cast<std::uint32_t>(count);
    while (n > 1) {
        const std::uint32_t half = n / 2;
        base = base[half] <= key ? base + half : base;
        n -= half;
    }
    return *base == key;
}

}  // namespace pointset

inline bool PointSet::contains(const SignalState& state) const {
    const pointset::TileAddress at = pointset::addressOf(state);
    const Tile& tile = m_tiles[at.index];
    if (tile.capacity == 0) {
        return false;
    }
    if (isBitmap(tile)) {
        return pointset::bitmapHas(static_cast<const std::uint32_t*>(tile.storage), at.key);
    }
    return tile.count > 0 &&
           pointset::hasSorted(static_cast<const std::uint16_t*>(tile.storage), tile.count, at.key);
}

template <typename Visit>
void PointSet::forEach(Visit visit) const {
    constexpr std::int32_t kTilesPerDirection = kTilesAcross * kTilesAcross;
    for (std::int32_t index = 0; index < kTileCount; ++index) {
        const Tile& tile = m_tiles[static_cast<std::size_t>(index)];
        if (tile.count == 0) {
            continue;
        }
        const Direction dir = directionOf(index / kTilesPerDirection);
        const std::int32_t baseX = (index % kTilesAcross) * kTileSize + kPlaneMin;
        const std::int32_t baseY = (index / kTilesAcross % kTilesAcross) * kTileSize + kPlaneMin;
        const auto visitKey = [&](std::uint32_t key) {
            visit(SignalState{baseX + static_cast<std::int32_t>(key % 256),
                              baseY + static_cast<std::int32_t>(key / 256), dir});
        };
        if (isBitmap(tile)) {
            const auto* words = static_cast<const std::uint32_t*>(tile.storage);
            for (std::uint32_t word = 0; word < kBitmapCapacity / 32; ++word) {
                for (std::uint32_t bits = words[word]; bits != 0; bits &= bits - 1) {
                    visitKey(word * 32 + static_cast<std::uint32_t>(std::countr_zero(bits)));
                }
            }
        } else {
            const auto* keys = static_cast<const std::uint16_t*>(tile.storage);
            for (std::int32_t i = 0; i < tile.count; ++i) {
                visitKey(keys[i]);
            }
        }
    }
}

}  // namespace trelkan
