#include "base/target.h"

#include <tuple>

#include "base/direction.h"

namespace trelkan {

Target::Target(std::int32_t dx, std::int32_t dy, std::int32_t dt, Direction dir, Direction inDir,
               std::string label)
    : dx(dx),
      dy(dy),
      dt(dt),
      dir(dir),
      inDir(inDir),
      isLoop(dx == 0 && dy == 0 && dir == kF),
      label(std::move(label)) {}

SignalState Target::startState() const {
    // Undo the turn, then step back by the displacement: T(dir)^-1 applied to (-dx, -dy).
    const Direction back = inverseDir(dir);
    const Offset position = turnOffset(back, wrapNeg(dx), wrapNeg(dy));
    return {position.x, position.y, back};
}

bool TargetLess::operator()(const Target& a, const Target& b) const {
    return std::tie(a.dt, a.dx, a.dy, a.dir) < std::tie(b.dt, b.dx, b.dy, b.dir);
}

}  // namespace trelkan
