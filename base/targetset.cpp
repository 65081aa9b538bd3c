#include "base/targetset.h"

#include "base/direction.h"

namespace trelkan {

void TargetSet::add(std::int32_t dx, std::int32_t dy, std::int32_t dt, Direction dir) {
    if (dt < 1) {
        return;
    }
    insert(Target(dx, dy, dt, dir, kF, std::string()));
}

void TargetSet::addExtended(std::int32_t x1, std::int32_t y1, std::int32_t t1, Direction d1,
                            std::int32_t x2, std::int32_t y2, std::int32_t t2, Direction d2,
                            std::string label) {
    // Script values wrap, so the delay and the displacement wrap as well.
    const std::int32_t dt = wrapSub(t2, t1);
    if (dt < 1) {
        return;
    }
    // The end point seen from the start point: undo the start direction.
    const Offset local = turnOffset(inverseDir(d1), wrapSub(x2, x1), wrapSub(y2, y1));
    insert(Target(local.x, local.y, dt, inverseCompose(d1, d2), d1, std::move(label)));
}

void TargetSet::insert(Target target) {
    if (!target.isLoop) {
        m_loopTargetsOnly = false;
    }
    m_targets.insert(std::move(target));
}

TargetSet::Acceptance TargetSet::dropOver(std::int32_t maxLen) {
    Acceptance acceptance;
    for (auto it = m_targets.begin(); it != m_targets.end();) {
        if (it->dt <= maxLen) {
            ++acceptance.kept;
            ++it;
        } else {
            it = m_targets.erase(it);
            ++acceptance.dropped;
        }
    }
    return acceptance;
}

}  // namespace trelkan
