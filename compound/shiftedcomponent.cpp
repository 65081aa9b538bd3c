#include "compound/shiftedcomponent.h"

#include <cassert>

#include "catalogue/componentregister.h"

namespace trelkan {

void ShiftedComponent::init(std::int32_t capacity) {
    m_variantList.assign(static_cast<std::size_t>(capacity), nullptr);
    m_variantCount = 0;
}

void ShiftedComponent::place(const BasicComponent& component, std::int32_t x, std::int32_t y,
                             Direction dir) {
    m_component = &component;
    m_x = x;
    m_y = y;
    m_dir = dir;
    const Offset out = component.outOffset(dir);
    m_outX = wrapAdd(x, out.x);
    m_outY = wrapAdd(y, out.y);
    m_outDir = component.outDir(dir);
}

namespace {

bool canFollowSome(const ComponentRegister& catalogue, const BasicComponent& prev,
                   const ComponentVariant& v) {
    for (std::int32_t i = 0; i < prev.activeCount(); ++i) {
        if (catalogue.canFollow(prev.activeVariant(i), v)) {
            return true;
        }
    }
    return false;
}

bool canPrecedeSome(const ComponentRegister& catalogue, const ComponentVariant& v,
                    const BasicComponent& next) {
    for (std::int32_t i = 0; i < next.activeCount(); ++i) {
        if (catalogue.canFollow(v, next.activeVariant(i))) {
            return true;
        }
    }
    return false;
}

}  // namespace

void ShiftedComponent::selectVariants(const BasicComponent* prev, const BasicComponent* next) {
    assert(m_component != nullptr);
    const ComponentRegister& catalogue = m_component->owner();
    m_variantCount = 0;
    for (std::int32_t i = 0; i < m_component->activeCount(); ++i) {
        ComponentVariant& v = m_component->activeVariant(i);
        if ((prev == nullptr || canFollowSome(catalogue, *prev, v)) &&
            (next == nullptr || canPrecedeSome(catalogue, v, *next))) {
            assert(static_cast<std::size_t>(m_variantCount) < m_variantList.size());
            m_variantList[static_cast<std::size_t>(m_variantCount++)] = &v;
        }
    }
}

namespace {

// A box that holds nothing stays empty wherever it is put; moving it could wrap it around the
// 32-bit range into a box that looks whole.
Box moveBox(std::int32_t x, std::int32_t y, const Box& box) {
    return box.isEmpty() ? Box::none() : transformBox(x, y, kF, box);
}

}  // namespace

Box ShiftedComponent::placedBox() const {
    if (m_variant == nullptr) {
        return coreBox();
    }
    return moveBox(m_x, m_y, m_variant->box(m_dir));
}

Box ShiftedComponent::coreBox() const {
    return moveBox(m_x, m_y, m_component->bounds(m_dir));
}

bool ShiftedComponent::isImageCell(std::int32_t x, std::int32_t y) const {
    if (m_variant == nullptr) {
        return false;
    }
    const Offset local = toLocal(m_x, m_y, m_dir, x, y);
    return m_variant->isImageCell(local.x, local.y);
}

bool ShiftedComponent::isCompatibleWith(const ShiftedComponent& other) const {
    assert(m_variant != nullptr && other.m_variant != nullptr);
    const ShiftedComponent& asker = m_variant->index() < other.m_variant->index() ? other : *this;
    const ShiftedComponent& placed = &asker == this ? other : *this;
    const Direction o = inverseCompose(asker.m_dir, placed.m_dir);
    const Offset local = toLocal(asker.m_x, asker.m_y, asker.m_dir, placed.m_x, placed.m_y);
    return asker.m_variant->isCompatible(local.x, local.y, o, *placed.m_variant);
}

void ShiftedComponent::printName(TextSink& out) const {
    assert(m_variant != nullptr);
    out.write(m_variant->name());
}

}  // namespace trelkan
