#include "tools/catalogue/herschelsearch.h"

#include <algorithm>

#include "tools/catalogue/cellgroups.h"

namespace trelkan::builder {
namespace {

bool isHerschelAt(const Picture& picture, const SignalPlace& place) {
    const std::vector<LifeCell> cells = herschelAt(place);
    for (const LifeCell& cell : cells) {
        if (picture.state(cell.x, cell.y) != kMarking) {
            return false;
        }
    }
    for (const LifeCell& near : dilatedCells(cells, 1)) {
        if (!std::binary_search(cells.begin(), cells.end(), near) &&
            picture.state(near.x, near.y) == kMarking) {
            return false;
        }
    }
    return true;
}

bool nearEnvelope(const Picture& picture, const LifeCell& cell) {
    constexpr std::int32_t kReach = 2;
    for (std::int32_t dy = -kReach; dy <= kReach; ++dy) {
        for (std::int32_t dx = -kReach; dx <= kReach; ++dx) {
            if (picture.state(cell.x + dx, cell.y + dy) == kEnvelope) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

std::vector<SignalPlace> findMarkedInputs(const Picture& picture,
                                          const std::vector<LifeCell>& marks) {
    std::vector<SignalPlace> found;
    for (const LifeCell& cell : marks) {
        const SignalPlace place{cell.x, cell.y, kF};
        const std::vector<LifeCell> cells = herschelAt(place);
        const bool fits = std::all_of(cells.begin(), cells.end(), [&](const LifeCell& c) {
            return picture.state(c.x, c.y) == kMarking && nearEnvelope(picture, c);
        });
        if (fits) {
            found.push_back(place);
        }
    }
    return found;
}

std::vector<SignalPlace> findHerschels(const Picture& picture) {
    std::vector<SignalPlace> found;
    for (const LifeCell& cell : picture.cellsOfState(kMarking)) {
        for (const Direction dir : kDirections) {
            const SignalPlace place{cell.x, cell.y, dir};
            if (isHerschelAt(picture, place)) {
                found.push_back(place);
            }
        }
    }
    return found;
}

}  // namespace trelkan::builder
