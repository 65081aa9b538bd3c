// A chain of components laid end to end: each place's input is the previous place's output. The
// chain also owns the working storage of its variant solver, which decides whether one variant
// can be chosen at every place so that all of them may coexist.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/box.h"
#include "base/rle.h"
#include "base/textsink.h"
#include "catalogue/basiccomponent.h"
#include "catalogue/componentvariant.h"
#include "compound/shiftedcomponent.h"
#include "compound/solverslots.h"

namespace trelkan {

class CompoundComponent {
  public:
    // capacity places, each with room for maxVariants variants; slotCount candidates for the
    // solver in all (none when it is not positive: compose then fails on every chain).
    CompoundComponent(std::int32_t capacity, std::int32_t maxVariants, std::int32_t slotCount,
                      std::string text);
    virtual ~CompoundComponent();
    CompoundComponent(const CompoundComponent&) = delete;
    CompoundComponent& operator=(const CompoundComponent&) = delete;

    // Empties the chain and makes room for at least capacity places and slotCount candidates,
    // keeping the storage it has when that is enough: a chain reused for chain after chain
    // allocates only when one needs more than all before it.
    void reserve(std::int32_t capacity, std::int32_t slotCount);

    // Chooses one variant per place so that every two chosen variants may coexist: 0 when done,
    // else the number of trailing places that must change. With minimise, the choice of
    // smallest area. Allocates nothing.
    virtual std::int32_t compose(bool minimise);

    // Whether the chain's last output leaves the chain at a target: then it must be a Herschel
    // that any conduit can take, so compose keeps no variant at the last place whose output
    // still carries the tail block. Loops and partial chains leave it off.
    void setOpenEnd(bool openEnd) { m_openEnd = openEnd; }
    bool openEnd() const { return m_openEnd; }

    // A copy without solver storage that starts at the origin with input direction dir.
    virtual std::unique_ptr<CompoundComponent> copyAt(Direction dir) const;

    // Some place's chosen variant has a live cell at (x, y).
    virtual bool isCell(std::int32_t x, std::int32_t y) const;

    // The one-line form, without a line end: "(area @ set)" or "(area)" when set is 0, the chosen
    // variants' names, then the trailing text.
    virtual void print(std::int64_t setNumber, TextSink& out);

    // The chosen variants' cells as one pattern of the pattern file. Unless keepOrientation, a box
    // taller than wide is written turned on its side. When running is given and cleared while the
    // rows are written, the pattern ends where it was.
    void writePattern(RleWriter& writer, bool keepOrientation,
                      const std::atomic<bool>* running = nullptr) const;

    void clear();
    void append(const BasicComponent& component);
    void removeLast();
    void setEnd(std::int32_t x, std::int32_t y, Direction dir);
    void start(std::int32_t x, std::int32_t y, Direction dir, const BasicComponent& component,
               ComponentVariant* variant);
    void appendWithVariant(const BasicComponent& component, ComponentVariant* variant);

    // The smallest box holding every place's box; (0, 0, 0, 0) when there is none.
    Box bounds() const;
    // The smallest box holding every place's core box; (0, 0, 0, 0) when there is none.
    Box coreBounds() const;
    // The area of bounds(), kept until resetArea or a minimising compose.
    std::int32_t area();
    void resetArea() { m_area = -1; }
    // How many trailing places lie beyond the first place after whose core box the growing box
    // exceeds limit cells; 0 when it never does.
    std::int32_t excessFrom(std::int32_t limit) const;

    std::int32_t count() const { return m_count; }
    std::int32_t capacity() const { return m_capacity; }
    std::int32_t maxVariants() const { return m_maxVariants; }
    std::int32_t slotCount() const { return m_slotCount; }
    ShiftedComponent& place(std::int32_t i) { return m_list[static_cast<std::size_t>(i)]; }
    const ShiftedComponent& place(std::int32_t i) const {
        return m_list[static_cast<std::size_t>(i)];
    }
    std::int32_t endX() const { return m_endX; }
    std::int32_t endY() const { return m_endY; }
    Direction endDir() const { return m_endDir; }
    const std::string& text() const { return m_string; }
    void setText(std::string text) { m_string = std::move(text); }

  private:
    // The variant solver (compoundsolver.cpp, compoundminimiser.cpp). Candidate records lie in
    // m_variantVector place after place; a record's slot number is its index there and its row
    // and column of m_variantMatrix.
    Box coreReach() const;
    bool findAssignment(bool minimise, const Box& cores, std::int32_t& reached);
    bool setUpPlace(std::int32_t d, bool minimise, const Box& cores, std::int32_t& nextSlot);
    void fillCandidates(std::int32_t d, bool minimise, const Box& cores);
    void keepSelfFollowers(std::int32_t d);
    void keepCleanOutputs(std::int32_t d);
    void fillMatrix(std::int32_t d);
    bool eliminateUnsupported(std::int32_t d);
    bool eliminateUnsupporting(std::int32_t d);
    bool hasSupport(const std::uint8_t* row, const ComponentSlot& place) const;
    void countConflicts(std::int32_t d);
    bool freeCountsHold(std::int32_t places) const;
    std::int32_t backjump(std::int32_t d, std::int32_t nextSlot);
    bool chooseCandidate(std::int32_t& depth, std::int32_t nextSlot);
    bool stepCursor(ComponentSlot& place);
    bool applyChoice(std::int32_t chosen, std::int32_t from, std::int32_t to);
    void withdrawChoice(std::int32_t chosen, std::int32_t from, std::int32_t to);
    void minimiseArea();
    Box lowerBound() const;
    void measureExtras(const Box& bound);
    void dropSuperfluous(const Box& bound);
    bool sameCompatibilities(std::int32_t a, std::int32_t b) const;
    void eliminate(std::int32_t slot);
    void orderPlaces();
    void resetConflicts();
    void searchSmallest(const Box& bound, std::int32_t best);
    bool chooseWithin(std::int32_t k, const Box& before, std::int32_t best);
    bool applyToLater(std::int32_t chosen, std::int32_t k);
    void withdrawFromLater(std::int32_t chosen, std::int32_t k);
    void keepAssignment();
    std::uint8_t* matrixRow(std::int32_t slot) {
        return m_variantMatrix.data() +
               static_cast<std::size_t>(slot) * static_cast<std::size_t>(m_slotCount);
    }
    const std::uint8_t* matrixRow(std::int32_t slot) const {
        return m_variantMatrix.data() +
               static_cast<std::size_t>(slot) * static_cast<std::size_t>(m_slotCount);
    }
    VariantSlot& variantSlot(std::int32_t slot) {
        return m_variantVector[static_cast<std::size_t>(slot)];
    }
    const VariantSlot& variantSlot(std::int32_t slot) const {
        return m_variantVector[static_cast<std::size_t>(slot)];
    }
    ComponentSlot& componentSlot(std::int32_t i) {
        return m_componentVector[static_cast<std::size_t>(i)];
    }
    const ComponentSlot& componentSlot(std::int32_t i) const {
        return m_componentVector[static_cast<std::size_t>(i)];
    }
    // End of the variant solver.

    std::int32_t m_maxVariants;
    std::int32_t m_capacity;
    std::int32_t m_count = 0;
    std::vector<ShiftedComponent> m_list;
    std::int32_t m_area = -1;
    std::int32_t m_endX = 0;
    std::int32_t m_endY = 0;
    Direction m_endDir = kF;
    // Written at the end of the printed form: a result's target label.
    std::string m_string;
    std::vector<VariantSlot> m_variantVector;
    std::vector<ComponentSlot> m_componentVector;
    std::vector<std::uint8_t> m_variantMatrix;
    std::int32_t m_slotCount = 0;
    bool m_openEnd = false;
};

}  // namespace trelkan
