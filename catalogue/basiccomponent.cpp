#include "catalogue/basiccomponent.h"

namespace trelkan {

BasicComponent::BasicComponent(ComponentRegister* owner, std::int32_t index, std::string name,
                               int direction, std::int32_t dx, std::int32_t dy, std::int32_t dt)
    : m_register(owner), m_index(index), m_dt(dt), m_name(std::move(name)) {
    // Seen from the output (facing F), the input lies at T(d)^-1 (-dx, -dy).
    const Offset back = turnOffset(inverseDir(direction), wrapNeg(dx), wrapNeg(dy));
    for (int o = 0; o < kDirectionCount; ++o) {
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

ComponentVariant& BasicComponent::addVariant(std::unique_ptr<ComponentVariant> variant) {
    m_variants.push_back(std::move(variant));
    return *m_variants.back();
}

}  // namespace trelkan
