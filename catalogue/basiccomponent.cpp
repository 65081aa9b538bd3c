#include "catalogue/basiccomponent.h"

#include <algorithm>

namespace trelkan {

BasicComponent::BasicComponent(ComponentRegister* owner, std::int32_t index, std::string name,
                               Direction direction, std::int32_t dx, std::int32_t dy,
                               std::int32_t dt)
    : m_register(owner), m_index(index), m_dt(dt), m_name(std::move(name)) {
    // Seen from the output (facing F), the input lies at T(d)^-1 (-dx, -dy).
    const Offset back = turnOffset(inverseDir(direction), wrapNeg(dx), wrapNeg(dy));
    for (const Direction o : kDirections) {
        const Offset out = turnOffset(o, dx, dy);
        m_outDX[o] = out.x;
        m_outDY[o] = out.y;
        m_outDir[o] = combineDir(o, direction);
        const Offset in = turnOffset(o, back.x, back.y);
        m_backDX[o] = in.x;
        m_backDY[o] = in.y;
        m_backDir[o] = combineDirInverse(o, direction);
    }
}

BasicComponent::~BasicComponent() = default;

void BasicComponent::prepare(std::int32_t period, std::int32_t compression) {
    m_variantList.clear();
    for (const auto& variant : m_variants) {
        if (variant->updateActivity(period, compression)) {
            m_variantList.push_back(variant.get());
        }
    }
    m_activeCount = static_cast<std::int32_t>(m_variantList.size());
    // The common box is taken now, over the variants active at this period and compression;
    // variants removed later for want of neighbours leave it as it is.
    for (const Direction o : kDirections) {
        if (m_variantList.empty()) {
            m_bounds[kMinX][o] = m_bounds[kMaxX][o] = m_bounds[kMinY][o] = m_bounds[kMaxY][o] = 0;
            continue;
        }
        Box common = m_variantList.front()->box(o);
        for (const ComponentVariant* variant : m_variantList) {
            const Box box = variant->box(o);
            common.minX = std::max(common.minX, box.minX);
            common.maxX = std::min(common.maxX, box.maxX);
            common.minY = std::max(common.minY, box.minY);
            common.maxY = std::min(common.maxY, box.maxY);
        }
        m_bounds[kMinX][o] = common.minX;
        m_bounds[kMaxX][o] = common.maxX;
        m_bounds[kMinY][o] = common.minY;
        m_bounds[kMaxY][o] = common.maxY;
    }
}

void BasicComponent::removeActiveVariant(ComponentVariant& variant) {
    const auto found = std::find(m_variantList.begin(), m_variantList.end(), &variant);
    if (found == m_variantList.end()) {
        return;
    }
    variant.deactivate();
    m_variantList.erase(found);
    m_activeCount = static_cast<std::int32_t>(m_variantList.size());
}

ComponentVariant& BasicComponent::addVariant(std::unique_ptr<ComponentVariant> variant) {
    m_variants.push_back(std::move(variant));
    return *m_variants.back();
}

}  // namespace trelkan
