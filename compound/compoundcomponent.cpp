#include "compound/compoundcomponent.h"

#include <cassert>

namespace trelkan {

CompoundComponent::CompoundComponent(std::int32_t capacity, std::int32_t maxVariants,
                                     std::int32_t slotCount, std::string text)
    : m_maxVariants(maxVariants),
      m_capacity(capacity),
      m_list(static_cast<std::size_t>(capacity)),
      m_string(std::move(text)) {
    assert(capacity >= 0 && maxVariants >= 0);
    for (ShiftedComponent& place : m_list) {
        place.init(maxVariants);
    }
    if (slotCount > 0) {
        m_slotCount = slotCount;
        const auto slots = static_cast<std::size_t>(slotCount);
        m_variantMatrix.resize(slots * slots);
        m_variantVector.resize(slots);
        m_componentVector.resize(static_cast<std::size_t>(capacity));
    }
    clear();
}

CompoundComponent::~CompoundComponent() = default;

void CompoundComponent::reserve(std::int32_t capacity, std::int32_t slotCount) {
    assert(capacity >= 0);
    if (capacity > m_capacity) {
        m_list.resize(static_cast<std::size_t>(capacity));
        for (std::size_t i = static_cast<std::size_t>(m_capacity); i < m_list.size(); ++i) {
            m_list[i].init(m_maxVariants);
        }
        m_capacity = capacity;
    }
    // The solver reads only what it wrote in the same call, so the old contents may stay.
    if (slotCount > m_slotCount) {
        m_slotCount = slotCount;
        const auto slots = static_cast<std::size_t>(slotCount);
        m_variantMatrix.resize(slots * slots);
        m_variantVector.resize(slots);
    }
    if (m_slotCount > 0) {
        m_componentVector.resize(static_cast<std::size_t>(m_capacity));
    }
    clear();
}

void CompoundComponent::clear() {
    m_count = 0;
    setEnd(0, 0, kF);
}

void CompoundComponent::setEnd(std::int32_t x, std::int32_t y, Direction dir) {
    m_endX = x;
    m_endY = y;
    m_endDir = dir;
}

void CompoundComponent::append(const BasicComponent& component) {
    assert(m_count < m_capacity);
    ShiftedComponent& place = m_list[static_cast<std::size_t>(m_count++)];
    place.place(component, m_endX, m_endY, m_endDir);
    setEnd(place.outX(), place.outY(), place.outDir());
}

void CompoundComponent::removeLast() {
    assert(m_count > 0);
    const ShiftedComponent& place = m_list[static_cast<std::size_t>(--m_count)];
    setEnd(place.x(), place.y(), place.dir());
}

void CompoundComponent::start(std::int32_t x, std::int32_t y, Direction dir,
                              const BasicComponent& component, ComponentVariant* variant) {
    setEnd(x, y, dir);
    appendWithVariant(component, variant);
}

void CompoundComponent::appendWithVariant(const BasicComponent& component,
                                          ComponentVariant* variant) {
    append(component);
    m_list[static_cast<std::size_t>(m_count - 1)].setVariant(variant);
}

std::unique_ptr<CompoundComponent> CompoundComponent::copyAt(Direction dir) const {
    auto copy = std::make_unique<CompoundComponent>(m_capacity, m_maxVariants, 0, m_string);
    for (std::int32_t i = 0; i < m_count; ++i) {
        const ShiftedComponent& place = m_list[static_cast<std::size_t>(i)];
        if (i == 0) {
            copy->start(0, 0, dir, *place.component(), place.variant());
        } else {
            copy->appendWithVariant(*place.component(), place.variant());
        }
    }
    return copy;
}

bool CompoundComponent::isCell(std::int32_t x, std::int32_t y) const {
    for (std::int32_t i = 0; i < m_count; ++i) {
        if (m_list[static_cast<std::size_t>(i)].isImageCell(x, y)) {
            return true;
        }
    }
    return false;
}

namespace {

// Boxes that hold nothing (pictures that could not be read, core boxes of variants that do not
// all meet) add nothing to a union; a union of nothing is the single cell at the origin.
template <typename BoxOf>
Box uniteBoxes(std::int32_t count, BoxOf boxOf) {
    Box box = Box::none();
    for (std::int32_t i = 0; i < count; ++i) {
        box.include(boxOf(i));
    }
    return box.isEmpty() ? Box{} : box;
}

}  // namespace

Box CompoundComponent::bounds() const {
    return uniteBoxes(m_count, [this](std::int32_t i) {
        return m_list[static_cast<std::size_t>(i)].placedBox();
    });
}

Box CompoundComponent::coreBounds() const {
    return uniteBoxes(
        m_count, [this](std::int32_t i) { return m_list[static_cast<std::size_t>(i)].coreBox(); });
}

std::int32_t CompoundComponent::area() {
    if (m_area < 0) {
        m_area = bounds().area();
    }
    return m_area;
}

std::int32_t CompoundComponent::excessFrom(std::int32_t limit) const {
    Box box = Box::none();
    for (std::int32_t i = 0; i < m_count; ++i) {
        box.include(m_list[static_cast<std::size_t>(i)].coreBox());
        if (box.area() > limit) {
            return m_count - i;
        }
    }
    return 0;
}

}  // namespace trelkan
