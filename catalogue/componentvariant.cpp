#include "catalogue/componentvariant.h"

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <limits>
#include <utility>

namespace trelkan {
namespace {

[[maybe_unused]] bool fitsInt32(std::int64_t v) {
    return v >= std::numeric_limits<std::int32_t>::min() &&
           v <= std::numeric_limits<std::int32_t>::max();
}

// The offsets at which a box placed in a variant's frame overlaps the variant's own box, one
// range per axis. Boxes come from cell maps, so they lie well inside the 32-bit range, but the
// sums are still formed in 64 bits. An empty box (a refused image) gives an empty window.
struct Window {
    std::int64_t minDx;
    std::int64_t width;
    std::int64_t minDy;
    std::int64_t height;
};

Window windowOf(const Box& own, const Box& placed) {
    Window window{};
    window.minDx = std::int64_t{own.minX} - placed.maxX;
    window.width =
        std::max<std::int64_t>(0, std::int64_t{own.maxX} - placed.minX - window.minDx + 1);
    window.minDy = std::int64_t{own.minY} - placed.maxY;
    window.height =
        std::max<std::int64_t>(0, std::int64_t{own.maxY} - placed.minY - window.minDy + 1);
    assert(fitsInt32(window.minDx) && fitsInt32(window.width) && fitsInt32(window.minDy) &&
           fitsInt32(window.height));
    return window;
}

}  // namespace

ComponentVariant::ComponentVariant(std::string name, std::int32_t index,
                                   std::int32_t componentIndex, std::int32_t period,
                                   std::int32_t maxCompression, std::int32_t minCompression,
                                   bool typeR, bool typeU, bool typeX,
                                   std::shared_ptr<const CellMap> imageMap,
                                   std::shared_ptr<const CellMap> usageMap)
    : m_name(std::move(name)),
      m_index(index),
      m_componentIndex(componentIndex),
      m_maxCompression(maxCompression),
      m_minCompression(minCompression),
      m_period(period),
      m_imageMap(std::move(imageMap)),
      m_usageMap(std::move(usageMap)),
      m_typeR(typeR),
      m_typeU(typeU),
      m_typeX(typeX) {
    assert(m_imageMap && m_usageMap);
    assert(m_index >= 0);
    // The loader keeps the period positive, so the remainder in updateActivity is always defined.
    assert(m_period >= 1);
    const Box bounds = m_imageMap->getBounds();
    for (const Direction o : kDirections) {
        const Box turned = transformBox(0, 0, o, bounds);
        m_minX[o] = turned.minX;
        m_maxX[o] = turned.maxX;
        m_minY[o] = turned.minY;
        m_maxY[o] = turned.maxY;
    }
}

ComponentVariant::~ComponentVariant() = default;

bool ComponentVariant::updateActivity(std::int32_t period, std::int32_t compression) {
    const bool periodFits = period == 0 || period % m_period == 0;
    const bool compressionFits =
        compression == 0 || (compression >= m_maxCompression &&
                             (m_minCompression == 0 || compression <= m_minCompression));
    m_active = isUsable() && periodFits && compressionFits;
    return m_active;
}

void ComponentVariant::prepareCheckCache() {
    if (m_cacheReady) {
        return;  // Verdicts never go stale, so those already found are kept.
    }
    for (auto& table : m_checkCache) {
        table = std::make_unique<CheckCacheRecord[]>(static_cast<std::size_t>(m_index) + 1);
    }
    m_cacheReady = true;
}

bool ComponentVariant::isCompatible(std::int32_t dx, std::int32_t dy, Direction o,
                                    const ComponentVariant& other) {
    assert(o >= 0 && o < kDirectionCount);
    if (!m_cacheReady) {
        return cellsAreCompatible(dx, dy, o, other);
    }
    assert(other.m_index >= 0 && other.m_index <= m_index);
    CheckCacheRecord& record = m_checkCache[o][static_cast<std::size_t>(other.m_index)];
    // The window is worked out anew each time rather than kept in the record: a few subtractions
    // on boxes at hand, and a record that is one pointer.
    const Window window = windowOf(box(kF), other.box(o));
    // In 64 bits an offset anywhere in the 32-bit range is merely outside the window.
    const std::int64_t column = std::int64_t{dx} - window.minDx;
    const std::int64_t row = std::int64_t{dy} - window.minDy;
    if (column < 0 || column >= window.width || row < 0 || row >= window.height) {
        return true;  // The boxes do not meet.
    }
    CheckCacheRecord::Byte* verdicts =
        record.verdicts(static_cast<std::size_t>(window.width * window.height));
    const auto at = static_cast<std::size_t>(row * window.width + column);
    std::uint8_t verdict = CheckCacheRecord::verdict(verdicts, at);
    if (verdict == CheckCacheRecord::kUnknown) {
        verdict = cellsAreCompatible(dx, dy, o, other) ? CheckCacheRecord::kCompatible
                                                       : CheckCacheRecord::kIncompatible;
        CheckCacheRecord::setVerdict(verdicts, at, verdict);
    }
    return verdict == CheckCacheRecord::kCompatible;
}

bool ComponentVariant::cellsAreCompatible(std::int32_t dx, std::int32_t dy, Direction o,
                                          const ComponentVariant& other) const {
    // Only cells inside both image boxes are examined: the other box, turned and moved, clipped
    // to this one. The moved edges may lie beyond the 32-bit range; the clipped ones do not.
    const std::int64_t xFirst =
        std::max(std::int64_t{dx} + other.m_minX[o], std::int64_t{m_minX[kF]});
    const std::int64_t xLast =
        std::min(std::int64_t{dx} + other.m_maxX[o], std::int64_t{m_maxX[kF]});
    const std::int64_t yFirst =
        std::max(std::int64_t{dy} + other.m_minY[o], std::int64_t{m_minY[kF]});
    const std::int64_t yLast =
        std::min(std::int64_t{dy} + other.m_maxY[o], std::int64_t{m_maxY[kF]});
    if (xFirst > xLast || yFirst > yLast) {
        return true;
    }
    // The innermost loop of the search. Rows outermost read this usage map in memory order, and a
    // dead cell here skips the other lookup. toLocal is affine, so the other variant's local
    // point moves by one fixed step along a row: it is worked out once per row instead of going
    // through the orientation switch at every cell.
    const Offset step = toLocal(0, 0, o, 1, 0);
    for (std::int64_t y = yFirst; y <= yLast; ++y) {
        const auto cellY = static_cast<std::int32_t>(y);
        Offset local = toLocal(dx, dy, o, static_cast<std::int32_t>(xFirst), cellY);
        for (std::int64_t x = xFirst; x <= xLast; ++x) {
            if (m_usageMap->getCell(static_cast<std::int32_t>(x), cellY) &&
                other.m_usageMap->getCell(local.x, local.y)) {
                return false;
            }
            local = {wrapAdd(local.x, step.x), wrapAdd(local.y, step.y)};
        }
    }
    return true;
}

Box transformBox(std::int32_t px, std::int32_t py, Direction o, const Box& box) {
    // Written out per orientation rather than by turning two corners: an empty box (least edge
    // above greatest) must stay empty.
    const auto [minX, maxX, minY, maxY] = box;
    Box turned;
    switch (o) {
        case kF:
            turned = {minX, maxX, minY, maxY};
            break;
        case kFx:
            turned = {minX, maxX, wrapNeg(maxY), wrapNeg(minY)};
            break;
        case kL:
            turned = {minY, maxY, wrapNeg(maxX), wrapNeg(minX)};
            break;
        case kLx:
            turned = {wrapNeg(maxY), wrapNeg(minY), wrapNeg(maxX), wrapNeg(minX)};
            break;
        case kB:
            turned = {wrapNeg(maxX), wrapNeg(minX), wrapNeg(maxY), wrapNeg(minY)};
            break;
        case kBx:
            turned = {wrapNeg(maxX), wrapNeg(minX), minY, maxY};
            break;
        case kR:
            turned = {wrapNeg(maxY), wrapNeg(minY), minX, maxX};
            break;
        case kRx:
            turned = {minY, maxY, minX, maxX};
            break;
        default:
            return box;
    }
    return {wrapAdd(turned.minX, px), wrapAdd(turned.maxX, px), wrapAdd(turned.minY, py),
            wrapAdd(turned.maxY, py)};
}

Offset toLocal(std::int32_t px, std::int32_t py, Direction o, std::int32_t x, std::int32_t y) {
    if (o >= kDirectionCount) {
        return {x, y};
    }
    // Undo the move, then the turn.
    return turnOffset(inverseDir(o), wrapSub(x, px), wrapSub(y, py));
}

}  // namespace trelkan
