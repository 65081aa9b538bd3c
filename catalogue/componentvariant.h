// One concrete realisation of a component: its image, the cells it needs while it works, the run
// parameters under which it may be used, and its box in each of the eight orientations.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "base/box.h"
#include "base/direction.h"
#include "catalogue/cellmap.h"

namespace trelkan {

// Cached verdicts of isCompatible for one orientation and one other variant, over the window of
// offsets at which the two image boxes overlap: 2 bits each, row-major, four to a byte, since
// most windows see few verdicts. The workers of a search share the cache and fill it in as they
// go, so every access is atomic; relaxed will do, since a verdict once written never changes and
// one that a worker misses is merely worked out again.
class CheckCacheRecord {
  public:
    using Byte = std::atomic<std::uint8_t>;
    static constexpr std::uint8_t kUnknown = 0;
    static constexpr std::uint8_t kCompatible = 1;
    static constexpr std::uint8_t kIncompatible = 2;

    CheckCacheRecord() = default;
    ~CheckCacheRecord() { std::unique_ptr<Byte[]> owned(m_verdicts.load()); }
    CheckCacheRecord(const CheckCacheRecord&) = delete;
    CheckCacheRecord& operator=(const CheckCacheRecord&) = delete;

    // The record's verdicts for a window of the given size, all unknown at first: made on first
    // use, by one caller only when several race for it.
    Byte* verdicts(std::size_t size) {
        Byte* bytes = m_verdicts.load(std::memory_order_acquire);
        if (bytes != nullptr) {
            return bytes;
        }
        auto fresh = std::make_unique<Byte[]>((size + 3) / 4);
        if (m_verdicts.compare_exchange_strong(bytes, fresh.get(), std::memory_order_acq_rel)) {
            return fresh.release();
        }
        return bytes;
    }
    static std::uint8_t verdict(const Byte* bytes, std::size_t at) {
        return (bytes[at / 4].load(std::memory_order_relaxed) >> shiftOf(at)) & 3;
    }
    static void setVerdict(Byte* bytes, std::size_t at, std::uint8_t value) {
        bytes[at / 4].fetch_or(static_cast<std::uint8_t>(value << shiftOf(at)),
                               std::memory_order_relaxed);
    }

  private:
    static int shiftOf(std::size_t at) { return static_cast<int>(at % 4) * 2; }

    std::atomic<Byte*> m_verdicts{nullptr};
};

class ComponentVariant {
  public:
    ComponentVariant(std::string name, std::int32_t index, std::int32_t componentIndex,
                     std::int32_t period, std::int32_t maxCompression, std::int32_t minCompression,
                     bool typeR, bool typeU, bool typeX, std::shared_ptr<const CellMap> imageMap,
                     std::shared_ptr<const CellMap> usageMap);
    virtual ~ComponentVariant();
    ComponentVariant(const ComponentVariant&) = delete;
    ComponentVariant& operator=(const ComponentVariant&) = delete;

    const std::string& name() const { return m_name; }
    std::int32_t index() const { return m_index; }
    std::int32_t componentIndex() const { return m_componentIndex; }
    std::int32_t period() const { return m_period; }
    std::int32_t maxCompression() const { return m_maxCompression; }
    std::int32_t minCompression() const { return m_minCompression; }
    const std::shared_ptr<const CellMap>& imageMap() const { return m_imageMap; }
    const std::shared_ptr<const CellMap>& usageMap() const { return m_usageMap; }
    bool typeR() const { return m_typeR; }
    bool typeU() const { return m_typeU; }
    bool typeX() const { return m_typeX; }
    bool isActive() const { return m_active; }
    // Both maps were read: a variant whose image or usage map was refused is never active, since
    // an empty map would let it overlap anything.
    bool isUsable() const { return !m_imageMap->isEmpty() && !m_usageMap->isEmpty(); }
    bool isCacheReady() const { return m_cacheReady; }

    // The box of the image map turned by orientation o about the variant's origin.
    Box box(Direction o) const { return {m_minX[o], m_maxX[o], m_minY[o], m_maxY[o]}; }

    // Active when the period is 0 or a multiple of the variant's period, and the compression is 0
    // or at least the maximum compression value and (unless the minimum compression value is 0)
    // at most the minimum compression value. Stores and returns the answer.
    bool updateActivity(std::int32_t period, std::int32_t compression);
    void deactivate() { m_active = false; }

    // Makes isCompatible remember its verdicts from now on.
    void prepareCheckCache();

    // True when the usage map of other, put down with its origin at (dx, dy) of this variant's
    // frame and turned by o, shares no cell with this variant's usage map. Only cells inside both
    // image boxes count. other must not have a larger index than this variant: the cache holds
    // one record per variant up to this one.
    bool isCompatible(std::int32_t dx, std::int32_t dy, Direction o, const ComponentVariant& other);

    bool isUsageCell(std::int32_t x, std::int32_t y) const { return m_usageMap->getCell(x, y); }
    bool isImageCell(std::int32_t x, std::int32_t y) const { return m_imageMap->getCell(x, y); }

  private:
    bool cellsAreCompatible(std::int32_t dx, std::int32_t dy, Direction o,
                            const ComponentVariant& other) const;

    std::string m_name;
    std::int32_t m_index;
    std::int32_t m_componentIndex;
    std::int32_t m_maxCompression;
    std::int32_t m_minCompression;
    std::int32_t m_period;
    std::shared_ptr<const CellMap> m_imageMap;
    std::shared_ptr<const CellMap> m_usageMap;
    bool m_typeR;
    bool m_typeU;
    bool m_typeX;
    bool m_active = true;
    bool m_cacheReady = false;
    std::array<std::int32_t, kDirectionCount> m_minX{};
    std::array<std::int32_t, kDirectionCount> m_maxX{};
    std::array<std::int32_t, kDirectionCount> m_minY{};
    std::array<std::int32_t, kDirectionCount> m_maxY{};
    // Per orientation, one record for each variant index from 0 to m_index.
    std::array<std::unique_ptr<CheckCacheRecord[]>, kDirectionCount> m_checkCache;
};

// The box turned by o and moved by (px, py).
Box transformBox(std::int32_t px, std::int32_t py, Direction o, const Box& box);

// The coordinates of the global point (x, y) in the frame of an object put down at (px, py) with
// orientation o.
Offset toLocal(std::int32_t px, std::int32_t py, Direction o, std::int32_t x, std::int32_t y);

}  // namespace trelkan
