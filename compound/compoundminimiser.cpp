// The variant solver's area minimisation: once a first assignment is found, a branch-and-bound
// search over the same candidate records for one of smallest bounding-box area.
//
// Three reductions come first: a bound B on every solution's box, the elimination of candidates
// that another candidate of their place makes superfluous, and an order of decision that puts the
// places with one candidate first and then those that can grow the box most.
//
// B bounds side by side (see kNoCells): every solution's box reaches at least as far as B on
// each side. Whether the candidates of a place overlap or not, the chosen one reaches as far left
// as the rightmost left side of them all, and so on for the other sides; a variant without cells
// reaches nowhere and makes its place tell nothing. Because of this the box of a full assignment,
// grown from B, is exactly the assignment's own box.
#include <algorithm>
#include <cassert>

#include "compound/compoundcomponent.h"

namespace trelkan {

void CompoundComponent::minimiseArea() {
    m_area = -1;
    const std::int32_t first = area();
    for (std::int32_t i = m_count - 1; i >= 0; --i) {
        place(i).saveVariant();
    }
    const Box bound = lowerBound();
    if (leastArea(bound) < first) {
        measureExtras(bound);
        dropSuperfluous(bound);
        orderPlaces();
        resetConflicts();
        searchSmallest(bound, first);
    }
    for (std::int32_t i = m_count - 1; i >= 0; --i) {
        place(i).restoreVariant();
    }
    m_area = -1;
}

// The common reach of each place's alive candidates, side by side: the rightmost left side, the
// leftmost right side and so on. The core boxes add nothing to it: every variant covers its core
// box, so a place's common reach goes at least as far out on every side.
Box CompoundComponent::lowerBound() const {
    constexpr Box kEverything = {kNoCells.maxX, kNoCells.minX, kNoCells.maxY, kNoCells.minY};
    Box bound = kNoCells;
    for (std::int32_t i = 0; i < m_count; ++i) {
        const ComponentSlot& slot = componentSlot(i);
        assert(slot.alive > 0);
        Box common = kEverything;
        for (std::int32_t s = slot.begin; s < slot.end; ++s) {
            const VariantSlot& candidate = variantSlot(s);
            if (candidate.alive) {
                common.minX = std::max(common.minX, candidate.box.minX);
                common.maxX = std::min(common.maxX, candidate.box.maxX);
                common.minY = std::max(common.minY, candidate.box.minY);
                common.maxY = std::min(common.maxY, candidate.box.maxY);
            }
        }
        bound = widen(bound, common);
    }
    return bound;
}

// extra: how much a candidate grows the least area beyond that of B. It is 0 exactly when the
// candidate stays inside B (sides that B leaves crossed may widen without the area growing), so
// that a place whose candidates all have extra 0 never moves the box.
void CompoundComponent::measureExtras(const Box& bound) {
    const std::int32_t boundArea = leastArea(bound);
    for (std::int32_t i = 0; i < m_count; ++i) {
        const ComponentSlot& slot = componentSlot(i);
        for (std::int32_t s = slot.begin; s < slot.end; ++s) {
            VariantSlot& candidate = variantSlot(s);
            if (!candidate.alive) {
                continue;
            }
            candidate.extra = staysInside(candidate.box, bound)
                                  ? 0
                                  : std::max(1, leastArea(widen(bound, candidate.box)) - boundArea);
        }
    }
}

// Of two candidates of one place that every other candidate treats alike, the one that reaches
// no further on any side (a side within B counts as not reaching out) can replace the other in
// every solution without growing it. When both are alike on every side, the first variant of the
// list stays.
void CompoundComponent::dropSuperfluous(const Box& bound) {
    const auto sameOrInside = [&bound](const Box& a, const Box& b) {
        return (a.minX == b.minX || (a.minX >= bound.minX && b.minX >= bound.minX)) &&
               (a.maxX == b.maxX || (a.maxX <= bound.maxX && b.maxX <= bound.maxX)) &&
               (a.minY == b.minY || (a.minY >= bound.minY && b.minY >= bound.minY)) &&
               (a.maxY == b.maxY || (a.maxY <= bound.maxY && b.maxY <= bound.maxY));
    };
    const auto noWorse = [&bound](const Box& a, const Box& b) {
        return (a.minX >= b.minX || a.minX >= bound.minX) &&
               (a.maxX <= b.maxX || a.maxX <= bound.maxX) &&
               (a.minY >= b.minY || a.minY >= bound.minY) &&
               (a.maxY <= b.maxY || a.maxY <= bound.maxY);
    };
    for (std::int32_t i = 0; i < m_count; ++i) {
        const ComponentSlot& slot = componentSlot(i);
        for (std::int32_t a = slot.begin; a < slot.end; ++a) {
            for (std::int32_t b = a + 1; b < slot.end && variantSlot(a).alive; ++b) {
                const VariantSlot& first = variantSlot(a);
                const VariantSlot& second = variantSlot(b);
                if (!second.alive || !sameCompatibilities(a, b)) {
                    continue;
                }
                if (sameOrInside(first.box, second.box)) {
                    eliminate(first.variantIndex < second.variantIndex ? b : a);
                } else if (noWorse(first.box, second.box)) {
                    eliminate(b);
                } else if (noWorse(second.box, first.box)) {
                    eliminate(a);
                }
            }
        }
    }
}

// The two candidates (of one place) have equal entries against every alive candidate of every
// other place.
bool CompoundComponent::sameCompatibilities(std::int32_t a, std::int32_t b) const {
    const std::uint8_t* rowA = matrixRow(a);
    const std::uint8_t* rowB = matrixRow(b);
    const std::int32_t owner = variantSlot(a).owner;
    for (std::int32_t i = 0; i < m_count; ++i) {
        if (i == owner) {
            continue;
        }
        const ComponentSlot& slot = componentSlot(i);
        for (std::int32_t s = slot.begin; s < slot.end; ++s) {
            if (variantSlot(s).alive && rowA[s] != rowB[s]) {
                return false;
            }
        }
    }
    return true;
}

void CompoundComponent::eliminate(std::int32_t slot) {
    VariantSlot& candidate = variantSlot(slot);
    assert(candidate.alive);
    candidate.alive = false;
    ComponentSlot& owner = componentSlot(candidate.owner);
    --owner.alive;
    assert(owner.alive > 0);
}

// Places with a single candidate first, in chain order; then the others, those that can grow
// the box most first (ties in chain order). A stable insertion sort over the positions: it
// allocates nothing, and chains are short.
void CompoundComponent::orderPlaces() {
    for (std::int32_t i = 0; i < m_count; ++i) {
        ComponentSlot& slot = componentSlot(i);
        slot.maxExtra = 0;
        for (std::int32_t s = slot.begin; s < slot.end; ++s) {
            if (variantSlot(s).alive) {
                slot.maxExtra = std::max(slot.maxExtra, variantSlot(s).extra);
            }
        }
    }
    const auto decidedBefore = [this](std::int32_t a, std::int32_t b) {
        const ComponentSlot& first = componentSlot(a);
        const ComponentSlot& second = componentSlot(b);
        if ((first.alive == 1) != (second.alive == 1)) {
            return first.alive == 1;
        }
        return first.alive != 1 && first.maxExtra > second.maxExtra;
    };
    for (std::int32_t i = 1; i < m_count; ++i) {
        const std::int32_t moving = componentSlot(i).order;
        std::int32_t j = i;
        for (; j > 0 && decidedBefore(moving, componentSlot(j - 1).order); --j) {
            componentSlot(j).order = componentSlot(j - 1).order;
        }
        componentSlot(j).order = moving;
    }
}

void CompoundComponent::resetConflicts() {
    for (std::int32_t i = 0; i < m_count; ++i) {
        ComponentSlot& slot = componentSlot(i);
        slot.free = slot.alive;
        for (std::int32_t s = slot.begin; s < slot.end; ++s) {
            variantSlot(s).conflicts = 0;
        }
    }
}

// Branch and bound over the positions; every assignment found is smaller than the best before it
// and is kept in the places' saved variants.
void CompoundComponent::searchSmallest(const Box& bound, std::int32_t best) {
    std::int32_t k = 0;
    ComponentSlot& firstPlace = componentSlot(componentSlot(0).order);
    firstPlace.cursor = firstPlace.end;
    for (;;) {
        const Box& before = k == 0 ? bound : componentSlot(k - 1).box;
        if (chooseWithin(k, before, best)) {
            ++k;
            if (k < m_count) {
                ComponentSlot& next = componentSlot(componentSlot(k).order);
                next.cursor = next.end;
                continue;
            }
            assert(freeCountsHold(m_count));
            best = leastArea(componentSlot(k - 1).box);
            keepAssignment();
            assert(bounds().area() == best);
        }
        if (k == 0) {
            return;
        }
        --k;
        withdrawFromLater(componentSlot(componentSlot(k).order).cursor, k);
    }
}

// Makes a choice at position k whose box stays below best; false when none is left.
bool CompoundComponent::chooseWithin(std::int32_t k, const Box& before, std::int32_t best) {
    ComponentSlot& slot = componentSlot(componentSlot(k).order);
    Box& box = componentSlot(k).box;
    while (stepCursor(slot)) {
        if (slot.maxExtra == 0) {
            // No candidate here moves the box: if it is already too big, none can help.
            box = before;
            if (leastArea(box) >= best) {
                return false;
            }
        } else {
            box = widen(before, variantSlot(slot.cursor).box);
            if (leastArea(box) >= best) {
                continue;
            }
        }
        if (applyToLater(slot.cursor, k)) {
            return true;
        }
        withdrawFromLater(slot.cursor, k);
    }
    return false;
}

// The choice at position k, applied to the places decided after it (see applyChoice).
bool CompoundComponent::applyToLater(std::int32_t chosen, std::int32_t k) {
    bool open = true;
    for (std::int32_t j = k + 1; j < m_count; ++j) {
        const ComponentSlot& later = componentSlot(componentSlot(j).order);
        open = applyChoice(chosen, later.begin, later.end) && open;
    }
    return open;
}

void CompoundComponent::withdrawFromLater(std::int32_t chosen, std::int32_t k) {
    for (std::int32_t j = k + 1; j < m_count; ++j) {
        const ComponentSlot& later = componentSlot(componentSlot(j).order);
        withdrawChoice(chosen, later.begin, later.end);
    }
}

void CompoundComponent::keepAssignment() {
    for (std::int32_t i = 0; i < m_count; ++i) {
        ShiftedComponent& here = place(i);
        here.selectVariant(variantSlot(componentSlot(i).cursor).variantIndex);
        here.saveVariant();
    }
}

}  // namespace trelkan
