#include "engine/pointset.h"

#include <bit>
#include <cassert>
#include <cstring>

namespace trelkan {

using pointset::addressOf;
using pointset::bitmapHas;
using pointset::bitOf;
using pointset::TileAddress;

namespace {

constexpr std::int32_t kTilesPerDirection = PointSet::kTilesAcross * PointSet::kTilesAcross;
constexpr std::int32_t kBitmapWords = PointSet::kBitmapCapacity / 32;
constexpr std::size_t kBlocksPerChunk =
    BlockAllocator::kChunkBytes / BlockAllocator::blockBytes(BlockAllocator::k8K);

int sizeClassOf(std::int32_t capacity) {
    switch (capacity) {
        case PointSet::kMaxSortedKeys:
            return BlockAllocator::k512;
        case PointSet::kBitmapCapacity:
            return BlockAllocator::k8K;
        default:
            assert(false && "a tile without storage has no block");
            return BlockAllocator::k512;
    }
}

std::uint16_t* sortedKeys(void* storage) {
    return static_cast<std::uint16_t*>(storage);
}
std::uint32_t* bitmapWords(void* storage) {
    return static_cast<std::uint32_t*>(storage);
}

void setBit(std::uint32_t* words, std::uint16_t key) {
    words[key / 32] |= bitOf(key);
}

// True when the key is in keys[0, count); otherwise slot is where it belongs.
bool findSorted(const std::uint16_t* keys, std::int32_t count, std::uint16_t key,
                std::int32_t& slot) {
    std::int32_t lo = 0;
    std::int32_t hi = count;
    while (lo < hi) {
        const std::int32_t mid = (lo + hi) / 2;
        if (key < keys[mid]) {
            hi = mid;
        } else if (key == keys[mid]) {
            return true;
        } else {
            lo = mid + 1;
        }
    }
    slot = lo;
    return false;
}

}  // namespace

// ---- BlockAllocator ----

void* BlockAllocator::allocate(int sizeClass) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return allocateLocked(sizeClass);
}

void* BlockAllocator::allocateLocked(int sizeClass) {
    assert(sizeClass >= k512 && sizeClass <= k8K);
    const auto c = static_cast<std::size_t>(sizeClass);
    void* block = nullptr;
    if (m_freeLists[c] != nullptr) {
        block = popFree(sizeClass);
    } else if (sizeClass == k8K) {
        addChunk();
        block = popFree(sizeClass);
    } else {
        block = splitLarger(sizeClass);
    }
    ++m_used[c];
    return block;
}

void BlockAllocator::release(int sizeClass, void* block) {
    assert(sizeClass >= k512 && sizeClass <= k8K);
    const std::lock_guard<std::mutex> lock(m_mutex);
    assert(block != nullptr);
    assert(m_used[static_cast<std::size_t>(sizeClass)] > 0);
    pushFree(sizeClass, block);
    --m_used[static_cast<std::size_t>(sizeClass)];
}

std::size_t BlockAllocator::usedBytes() const {
    std::size_t bytes = 0;
    for (int c = 0; c < kClassCount; ++c) {
        bytes += static_cast<std::size_t>(used(c)) * blockBytes(c);
    }
    return bytes;
}

void BlockAllocator::addChunk() {
    assert(m_freeLists[k8K] == nullptr);
    m_chunks.push_back(std::make_unique_for_overwrite<std::byte[]>(kChunkBytes));
    std::byte* chunk = m_chunks.back().get();
    // Pushed from the top down, so that the blocks go out in ascending address order.
    for (std::size_t i = kBlocksPerChunk; i-- > 0;) {
        pushFree(k8K, chunk + i * blockBytes(k8K));
    }
}

// The links live in the free blocks themselves, whose bytes otherwise hold keys and bitmaps:
// hence memcpy rather than a typed store.
void* BlockAllocator::popFree(int sizeClass) {
    const auto c = static_cast<std::size_t>(sizeClass);
    FreeBlock* head = m_freeLists[c];
    assert(head != nullptr && m_free[c] > 0);
    FreeBlock* next = nullptr;
    std::memcpy(&next, static_cast<void*>(head), sizeof next);
    m_freeLists[c] = next;
    --m_free[c];
    return head;
}

void BlockAllocator::pushFree(int sizeClass, void* block) {
    const auto c = static_cast<std::size_t>(sizeClass);
    FreeBlock* next = m_freeLists[c];
    std::memcpy(block, &next, sizeof next);
    m_freeLists[c] = static_cast<FreeBlock*>(block);
    ++m_free[c];
}

// Halves a block of the next class: the first half goes out, the second waits on the empty free
// list. The larger block stops counting as used there; its halves count here.
void* BlockAllocator::splitLarger(int sizeClass) {
    assert(m_freeLists[static_cast<std::size_t>(sizeClass)] == nullptr);
    auto* whole = static_cast<std::byte*>(allocateLocked(sizeClass + 1));
    --m_used[static_cast<std::size_t>(sizeClass + 1)];
    pushFree(sizeClass, whole + blockBytes(sizeClass));
    return whole;
}

// ---- PointSet: storage ----

PointSet::PointSet(BlockAllocator& allocator) : m_allocator(allocator) {}

void PointSet::insert(const SignalState& state) {
    const TileAddress at = addressOf(state);
    Tile& tile = m_tiles[at.index];
    if (tile.capacity == 0) {
        startTile(tile, at.key);
    } else if (isBitmap(tile)) {
        std::uint32_t* words = bitmapWords(tile.storage);
        if (!bitmapHas(words, at.key)) {
            setBit(words, at.key);
            ++tile.count;
        }
    } else {
        insertSorted(tile, at.key);
    }
}

void PointSet::startTile(Tile& tile, std::uint16_t key) {
    assert(tile.count == 0 && tile.storage == nullptr);
    tile.storage = m_allocator.allocate(BlockAllocator::k512);
    tile.capacity = kMaxSortedKeys;
    sortedKeys(tile.storage)[0] = key;
    tile.count = 1;
}

void PointSet::insertSorted(Tile& tile, std::uint16_t key) {
    std::int32_t slot = 0;
    if (findSorted(sortedKeys(tile.storage), tile.count, key, slot)) {
        return;
    }
    if (tile.count == kMaxSortedKeys) {
        convertToBitmap(tile, key);
        return;
    }
    assert(tile.count < tile.capacity);
    std::uint16_t* keys = sortedKeys(tile.storage);
    std::memmove(keys + slot + 1, keys + slot,
                 static_cast<std::size_t>(tile.count - slot) * sizeof *keys);
    keys[slot] = key;
    ++tile.count;
}

void PointSet::convertToBitmap(Tile& tile, std::uint16_t key) {
    assert(tile.count == kMaxSortedKeys && tile.capacity == kMaxSortedKeys);
    void* bitmap = m_allocator.allocate(BlockAllocator::k8K);
    std::uint32_t* words = bitmapWords(bitmap);
    std::memset(words, 0, BlockAllocator::blockBytes(BlockAllocator::k8K));
    const std::uint16_t* keys = sortedKeys(tile.storage);
    for (std::int32_t i = 0; i < tile.count; ++i) {
        setBit(words, keys[i]);
    }
    setBit(words, key);
    m_allocator.release(BlockAllocator::k512, tile.storage);
    tile.storage = bitmap;
    tile.capacity = kBitmapCapacity;
    ++tile.count;
}

std::int64_t PointSet::size() const {
    std::int64_t total = 0;
    for (const Tile& tile : m_tiles) {
        total += tile.count;
    }
    return total;
}

std::size_t PointSet::storageBytes() const {
    std::size_t bytes = 0;
    for (const Tile& tile : m_tiles) {
        if (tile.capacity != 0) {
            bytes += BlockAllocator::blockBytes(sizeClassOf(tile.capacity));
        }
    }
    return bytes;
}

std::int32_t PointSet::tileCapacity(const SignalState& state) const {
    return m_tiles[addressOf(state).index].capacity;
}

// ---- PointSet: the walk ----
//
// The cursor lives in the set rather than in an iterator so that callers pull one state at a time
// and erase in place without invalidation rules. A bitmap is scanned a word at a time with
// countr_zero, so empty cells cost a word test each and set ones a single instruction.

bool PointSet::first(SignalState& state) {
    m_walk.tileIndex = 0;
    return enterTiles(state);
}

bool PointSet::next(SignalState& state) {
    if (m_walk.tileIndex >= kTileCount) {
        return false;
    }
    if (advanceInTile(state)) {
        return true;
    }
    ++m_walk.tileIndex;
    return enterTiles(state);
}

bool PointSet::eraseAndNext(SignalState& state) {
    assert(m_walk.tileIndex < kTileCount && "the walk must stand on a state");
    if (m_walk.tileIndex >= kTileCount) {
        return false;
    }
    if (eraseAndAdvanceInTile(state)) {
        return true;
    }
    ++m_walk.tileIndex;
    return enterTiles(state);
}

bool PointSet::enterTiles(SignalState& state) {
    for (; m_walk.tileIndex < kTileCount; ++m_walk.tileIndex) {
        if (enterTile(state)) {
            return true;
        }
    }
    return false;
}

bool PointSet::enterTile(SignalState& state) {
    const std::int32_t index = m_walk.tileIndex;
    const Tile& tile = m_tiles[static_cast<std::size_t>(index)];
    if (tile.count == 0) {
        return false;
    }
    m_walk.direction = index / kTilesPerDirection;
    m_walk.baseX = (index % kTilesAcross) * kTileSize + kPlaneMin;
    m_walk.baseY = (index / kTilesAcross % kTilesAcross) * kTileSize + kPlaneMin;
    if (isBitmap(tile)) {
        const std::uint32_t* words = bitmapWords(tile.storage);
        [[maybe_unused]] const bool found = seekSetBit(words, 0, words[0]);
        assert(found && "a bitmap tile with a count has a set bit");
        state = walkState(static_cast<std::uint32_t>(m_walk.position * 32 + m_walk.bitIndex));
    } else {
        m_walk.position = 0;
        state = walkState(sortedKeys(tile.storage)[0]);
    }
    return true;
}

bool PointSet::advanceInTile(SignalState& state) {
    const Tile& tile = m_tiles[static_cast<std::size_t>(m_walk.tileIndex)];
    if (isBitmap(tile)) {
        const std::uint32_t* words = bitmapWords(tile.storage);
        const std::uint32_t walked = m_walk.bitMask | (m_walk.bitMask - 1);
        if (!seekSetBit(words, m_walk.position, words[m_walk.position] & ~walked)) {
            return false;
        }
        state = walkState(static_cast<std::uint32_t>(m_walk.position * 32 + m_walk.bitIndex));
        return true;
    }
    if (++m_walk.position >= tile.count) {
        return false;
    }
    state = walkState(sortedKeys(tile.storage)[m_walk.position]);
    return true;
}

bool PointSet::eraseAndAdvanceInTile(SignalState& state) {
    Tile& tile = m_tiles[static_cast<std::size_t>(m_walk.tileIndex)];
    assert(tile.count > 0);
    --tile.count;
    if (isBitmap(tile)) {
        bitmapWords(tile.storage)[m_walk.position] &= ~m_walk.bitMask;
        return advanceInTile(state);
    }
    if (m_walk.position == tile.count) {
        return false;
    }
    std::uint16_t* keys = sortedKeys(tile.storage);
    std::memmove(keys + m_walk.position, keys + m_walk.position + 1,
                 static_cast<std::size_t>(tile.count - m_walk.position) * sizeof *keys);
    state = walkState(keys[m_walk.position]);
    return true;
}

// Stands the cursor on the lowest bit of `remaining` (the bits of word `word` still to walk), or
// failing that on the lowest set bit of a later word; false past the last word.
bool PointSet::seekSetBit(const std::uint32_t* words, std::int32_t word, std::uint32_t remaining) {
    while (remaining == 0) {
        if (++word == kBitmapWords) {
            return false;
        }
        remaining = words[word];
    }
    m_walk.position = word;
    m_walk.bitIndex = std::countr_zero(remaining);
    m_walk.bitMask = std::uint32_t{1} << m_walk.bitIndex;
    return true;
}

SignalState PointSet::walkState(std::uint32_t key) const {
    assert(key < static_cast<std::uint32_t>(kBitmapCapacity));
    return {m_walk.baseX + static_cast<std::int32_t>(key % 256),
            m_walk.baseY + static_cast<std::int32_t>(key / 256), directionOf(m_walk.direction)};
}

}  // namespace trelkan
