// The variant solver's feasibility search: a backtracking search over the places in chain order.
//
// A place is set up the first time the search reaches it: each of its candidates is compared once
// with each alive candidate of every earlier place, into the coexistence matrix, and candidates
// that some other place cannot support are eliminated for the rest of the call. Choices are
// checked forwards: every candidate of a set-up place counts the chosen candidates it conflicts
// with, and every place counts its candidates free of conflicts, so a choice that leaves some
// later place without one is seen at once.
#include <cassert>

#include "catalogue/componentregister.h"
#include "compound/compoundcomponent.h"

namespace trelkan {
namespace {

// The signal leaving one place enters the other: the pair matrix judges them, not their cells.
bool leadsInto(const ShiftedComponent& from, const ShiftedComponent& to) {
    return to.x() == from.outX() && to.y() == from.outY() && to.dir() == from.outDir();
}

// Places joined by a signal need only the pair matrix, in the direction of every join (two places
// that form a loop are joined both ways); any other two must not share a cell of their usage.
bool coexist(const ShiftedComponent& earlier, bool intoLater, bool intoEarlier,
             const ShiftedComponent& later) {
    if (!intoLater && !intoEarlier) {
        return later.isCompatibleWith(earlier);
    }
    const ComponentRegister& catalogue = later.component()->owner();
    return (!intoLater || catalogue.canFollow(*earlier.variant(), *later.variant())) &&
           (!intoEarlier || catalogue.canFollow(*later.variant(), *earlier.variant()));
}

}  // namespace

std::int32_t CompoundComponent::compose(bool minimise) {
    if (m_count == 0) {
        return 0;
    }
    if (m_slotCount == 0) {
        return m_count;
    }
    assert(m_count <= m_capacity);
    // Only the minimiser's order of trial looks at the core boxes.
    const Box cores = minimise ? coreReach() : Box::none();
    std::int32_t reached = 0;
    if (!findAssignment(minimise, cores, reached)) {
        return m_count - reached;
    }
    for (std::int32_t i = 0; i < m_count; ++i) {
        place(i).selectVariant(variantSlot(componentSlot(i).cursor).variantIndex);
    }
    if (minimise) {
        minimiseArea();
    }
    return 0;
}

// The union of the places' core boxes: minimising, the candidates that reach least beyond it are
// tried first. A core box that holds nothing (the variants do not all meet, or one has no cells) is
// left out, judged before it is moved, since moving may wrap it into a box that looks whole.
Box CompoundComponent::coreReach() const {
    Box box = Box::none();
    for (std::int32_t i = 0; i < m_count; ++i) {
        const ShiftedComponent& here = place(i);
        if (!here.component()->bounds(here.dir()).isEmpty()) {
            box.include(here.coreBox());
        }
    }
    return box;
}

// True with a cursor on a compatible candidate at every place. reached: one more than the
// greatest depth at which a choice ever held.
bool CompoundComponent::findAssignment(bool minimise, const Box& cores, std::int32_t& reached) {
    std::int32_t depth = 0;
    std::int32_t setUpCount = 0;
    std::int32_t nextSlot = 0;
    while (depth < m_count) {
        if (depth == setUpCount) {
            ++setUpCount;
            if (!setUpPlace(depth, minimise, cores, nextSlot)) {
                return false;
            }
            depth = backjump(depth, nextSlot);
        } else {
            ComponentSlot& slot = componentSlot(depth);
            slot.cursor = slot.end;
        }
        if (!chooseCandidate(depth, nextSlot)) {
            return false;
        }
        assert(freeCountsHold(setUpCount));
        if (depth == reached) {
            ++reached;
        }
        ++depth;
    }
    return true;
}

// False when place d, or some earlier place, is left without candidates.
bool CompoundComponent::setUpPlace(std::int32_t d, bool minimise, const Box& cores,
                                   std::int32_t& nextSlot) {
    ShiftedComponent& here = place(d);
    // Only a place that the previous one leads into must follow one of its variants; a chain
    // begun anew at some point (start) does not.
    const bool follows = d > 0 && leadsInto(place(d - 1), here);
    here.selectVariants(follows ? place(d - 1).component() : nullptr, nullptr);
    const std::int32_t n = here.variantCount();
    if (n == 0) {
        return false;
    }
    // The callers size the slots for every place's full list of variants.
    assert(n <= m_slotCount - nextSlot);
    ComponentSlot& slot = componentSlot(d);
    slot.begin = nextSlot;
    nextSlot += n;
    slot.end = nextSlot;
    slot.cursor = slot.end;
    slot.alive = n;
    slot.order = d;
    fillCandidates(d, minimise, cores);
    if (leadsInto(here, here)) {
        keepSelfFollowers(d);
    }
    if (m_openEnd && d == m_count - 1) {
        keepCleanOutputs(d);
    }
    if (slot.alive == 0) {
        return false;
    }
    if (d == 0) {
        slot.free = slot.alive;
        return true;
    }
    fillMatrix(d);
    if (!eliminateUnsupported(d) || !eliminateUnsupporting(d)) {
        return false;
    }
    countConflicts(d);
    assert(freeCountsHold(d + 1));
    return true;
}

// Each of the first places counts as free exactly its alive candidates free of conflicts.
bool CompoundComponent::freeCountsHold(std::int32_t places) const {
    for (std::int32_t i = 0; i < places; ++i) {
        const ComponentSlot& slot = componentSlot(i);
        std::int32_t free = 0;
        for (std::int32_t s = slot.begin; s < slot.end; ++s) {
            free += variantSlot(s).alive && variantSlot(s).conflicts == 0 ? 1 : 0;
        }
        if (free != slot.free) {
            return false;
        }
    }
    return true;
}

// The records hold the variants from last to first, so that the cursor, which moves towards the
// first record, tries them in list order. Minimising, they are ordered so that the candidates
// that grow the chain least are tried first (ties in list order).
void CompoundComponent::fillCandidates(std::int32_t d, bool minimise, const Box& cores) {
    ShiftedComponent& here = place(d);
    const ComponentSlot& slot = componentSlot(d);
    const std::int32_t n = slot.end - slot.begin;
    for (std::int32_t i = 0; i < n; ++i) {
        VariantSlot& candidate = variantSlot(slot.begin + i);
        candidate.alive = true;
        candidate.owner = d;
        candidate.conflicts = 0;
        candidate.variantIndex = n - 1 - i;
        if (minimise) {
            here.selectVariant(candidate.variantIndex);
            candidate.box = reachOf(here.placedBox());
            candidate.extra = unite(candidate.box, cores).area();
        }
    }
    if (!minimise) {
        return;
    }
    // A stable insertion sort: a handful of records, and nothing may be allocated.
    for (std::int32_t i = slot.begin + 1; i < slot.end; ++i) {
        const VariantSlot moving = variantSlot(i);
        std::int32_t j = i;
        for (; j > slot.begin && variantSlot(j - 1).extra < moving.extra; --j) {
            variantSlot(j) = variantSlot(j - 1);
        }
        variantSlot(j) = moving;
    }
}

// A place whose output is its own input follows itself: only variants that may follow
// themselves can be used there.
void CompoundComponent::keepSelfFollowers(std::int32_t d) {
    const ShiftedComponent& here = place(d);
    const ComponentRegister& catalogue = here.component()->owner();
    ComponentSlot& slot = componentSlot(d);
    for (std::int32_t s = slot.begin; s < slot.end; ++s) {
        VariantSlot& candidate = variantSlot(s);
        const ComponentVariant& variant = *here.variantAt(candidate.variantIndex);
        if (!catalogue.canFollow(variant, variant)) {
            candidate.alive = false;
            --slot.alive;
        }
    }
}

// The last place of a chain that ends at a target gives out the chain's output: a variant whose
// output carries the tail block needs an R variant after it, which the chain does not have.
void CompoundComponent::keepCleanOutputs(std::int32_t d) {
    const ShiftedComponent& here = place(d);
    ComponentSlot& slot = componentSlot(d);
    for (std::int32_t s = slot.begin; s < slot.end; ++s) {
        VariantSlot& candidate = variantSlot(s);
        if (candidate.alive && here.variantAt(candidate.variantIndex)->typeU()) {
            candidate.alive = false;
            --slot.alive;
        }
    }
}

// Compares every alive candidate of place d with every alive candidate of each earlier place.
// Entries of eliminated candidates are never read.
void CompoundComponent::fillMatrix(std::int32_t d) {
    ShiftedComponent& here = place(d);
    const ComponentSlot& slot = componentSlot(d);
    for (std::int32_t e = 0; e < d; ++e) {
        ShiftedComponent& earlier = place(e);
        const ComponentSlot& earlierSlot = componentSlot(e);
        const bool intoLater = leadsInto(earlier, here);
        const bool intoEarlier = leadsInto(here, earlier);
        for (std::int32_t q = earlierSlot.begin; q < earlierSlot.end; ++q) {
            const VariantSlot& old = variantSlot(q);
            if (!old.alive) {
                continue;
            }
            earlier.selectVariant(old.variantIndex);
            for (std::int32_t r = slot.begin; r < slot.end; ++r) {
                const VariantSlot& candidate = variantSlot(r);
                if (!candidate.alive) {
                    continue;
                }
                here.selectVariant(candidate.variantIndex);
                const std::uint8_t value = coexist(earlier, intoLater, intoEarlier, here) ? 1 : 0;
                matrixRow(r)[q] = value;
                matrixRow(q)[r] = value;
            }
        }
    }
}

// Some alive candidate of the place may coexist with the candidate of this row.
bool CompoundComponent::hasSupport(const std::uint8_t* row, const ComponentSlot& place) const {
    for (std::int32_t s = place.begin; s < place.end; ++s) {
        if (variantSlot(s).alive && row[s] != 0) {
            return true;
        }
    }
    return false;
}

// Eliminates the candidates of place d that some earlier place cannot support.
bool CompoundComponent::eliminateUnsupported(std::int32_t d) {
    ComponentSlot& slot = componentSlot(d);
    for (std::int32_t r = slot.begin; r < slot.end; ++r) {
        VariantSlot& candidate = variantSlot(r);
        if (!candidate.alive) {
            continue;
        }
        const std::uint8_t* row = matrixRow(r);
        for (std::int32_t e = 0; e < d; ++e) {
            if (!hasSupport(row, componentSlot(e))) {
                candidate.alive = false;
                --slot.alive;
                break;
            }
        }
    }
    return slot.alive > 0;
}

// Eliminates the candidates of earlier places that place d cannot support.
bool CompoundComponent::eliminateUnsupporting(std::int32_t d) {
    const ComponentSlot& slot = componentSlot(d);
    for (std::int32_t e = d - 1; e >= 0; --e) {
        ComponentSlot& earlierSlot = componentSlot(e);
        for (std::int32_t q = earlierSlot.end - 1; q >= earlierSlot.begin; --q) {
            VariantSlot& old = variantSlot(q);
            if (old.alive && !hasSupport(matrixRow(q), slot)) {
                old.alive = false;
                --earlierSlot.alive;
                if (old.conflicts == 0) {
                    --earlierSlot.free;
                }
            }
        }
        if (earlierSlot.alive == 0) {
            return false;
        }
    }
    return true;
}

// Each alive candidate of place d counts the earlier places whose choice it conflicts with.
void CompoundComponent::countConflicts(std::int32_t d) {
    ComponentSlot& slot = componentSlot(d);
    slot.free = slot.alive;
    for (std::int32_t r = slot.begin; r < slot.end; ++r) {
        VariantSlot& candidate = variantSlot(r);
        if (!candidate.alive) {
            continue;
        }
        const std::uint8_t* row = matrixRow(r);
        candidate.conflicts = 0;
        for (std::int32_t e = 0; e < d; ++e) {
            if (row[componentSlot(e).cursor] == 0) {
                ++candidate.conflicts;
            }
        }
        if (candidate.conflicts != 0) {
            --slot.free;
        }
    }
}

// After place d is set up: the search goes back to the first place whose choice was just
// eliminated, and further while place d has no candidate free of conflicts; the choice of the
// place it stops at is withdrawn too. Returns that depth.
std::int32_t CompoundComponent::backjump(std::int32_t d, std::int32_t nextSlot) {
    std::int32_t target = d;
    for (std::int32_t e = 0; e < d; ++e) {
        if (!variantSlot(componentSlot(e).cursor).alive) {
            target = e;
            break;
        }
    }
    const ComponentSlot& slot = componentSlot(d);
    std::int32_t depth = d;
    while (depth > target || slot.free == 0) {
        // With no choice made, every alive candidate of place d is free, and one is alive.
        assert(depth > 0);
        --depth;
        const ComponentSlot& back = componentSlot(depth);
        withdrawChoice(back.cursor, back.end, nextSlot);
    }
    return depth;
}

// Makes a choice at depth, going back as far as needed; false when none is left at depth 0.
bool CompoundComponent::chooseCandidate(std::int32_t& depth, std::int32_t nextSlot) {
    for (;;) {
        ComponentSlot& slot = componentSlot(depth);
        if (stepCursor(slot)) {
            if (applyChoice(slot.cursor, slot.end, nextSlot)) {
                return true;
            }
            withdrawChoice(slot.cursor, slot.end, nextSlot);
            continue;
        }
        if (depth == 0) {
            return false;
        }
        --depth;
        const ComponentSlot& back = componentSlot(depth);
        withdrawChoice(back.cursor, back.end, nextSlot);
    }
}

// Moves the cursor to the next alive candidate free of conflicts; false at the first record.
bool CompoundComponent::stepCursor(ComponentSlot& place) {
    while (place.cursor > place.begin) {
        --place.cursor;
        const VariantSlot& candidate = variantSlot(place.cursor);
        if (candidate.alive && candidate.conflicts == 0) {
            return true;
        }
    }
    return false;
}

// The innermost loops of the search: one pass over a contiguous run of records, reading the
// chosen candidate's matrix row in memory order, with the alive test first so that rows of
// eliminated records are never read. Every record of the run is updated even after a dead end
// shows, so that withdrawing undoes exactly what applying did. False on a dead end: some place
// has no alive candidate free of conflicts left.
bool CompoundComponent::applyChoice(std::int32_t chosen, std::int32_t from, std::int32_t to) {
    const std::uint8_t* row = matrixRow(chosen);
    bool deadEnd = false;
    for (std::int32_t s = from; s < to; ++s) {
        VariantSlot& other = variantSlot(s);
        if (other.alive && row[s] == 0) {
            if (other.conflicts == 0 && --componentSlot(other.owner).free == 0) {
                deadEnd = true;
            }
            ++other.conflicts;
        }
    }
    return !deadEnd;
}

void CompoundComponent::withdrawChoice(std::int32_t chosen, std::int32_t from, std::int32_t to) {
    const std::uint8_t* row = matrixRow(chosen);
    for (std::int32_t s = from; s < to; ++s) {
        VariantSlot& other = variantSlot(s);
        if (other.alive && row[s] == 0) {
            assert(other.conflicts > 0);
            if (--other.conflicts == 0) {
                ++componentSlot(other.owner).free;
            }
        }
    }
}

}  // namespace trelkan
