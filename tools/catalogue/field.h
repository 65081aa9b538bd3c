// A bounded B3/S23 field for proving conduits: a fixed rectangle of 64-bit row words that
// recomputes only the words next to a change. A conduit is mostly still catalysts, so each
// generation touches the few words around the reaction and the gliders in flight.
//
// Cells outside the rectangle are dead and stay dead: the owner must notice a pattern that
// reaches the edge (liveNearEdge) instead of relying on the field to grow.
#pragma once

#include <cstdint>
#include <vector>

#include "base/box.h"
#include "life/lifegrid.h"

namespace trelkan::builder {

class Field {
  public:
    // A field that covers at least the box; its width is rounded up to whole words.
    explicit Field(const Box& box);

    const Box& box() const { return m_box; }
    std::int64_t generation() const { return m_generation; }
    void setGeneration(std::int64_t generation) { m_generation = generation; }

    // Cells outside the box read as dead, and setting one does nothing.
    bool get(std::int32_t x, std::int32_t y) const;
    void set(std::int32_t x, std::int32_t y, bool alive);
    void add(const std::vector<LifeCell>& cells);
    void erase(const std::vector<LifeCell>& cells);

    void step();

    // Whether the last step (or an edit since) changed any cell.
    bool changed() const { return !m_changedWords.empty(); }
    // Whether some cell changed by the last step lies outside the box.
    bool changedOutside(const Box& inner) const;
    // Whether some cell that came alive by the last step lies within band cells of the
    // rectangle's edge: cells appear only by change, so this catches anything that heads out.
    bool changedNearEdge(std::int32_t band) const;

    std::vector<LifeCell> cells() const;
    std::vector<LifeCell> cellsOutside(const Box& inner) const;
    std::int64_t population() const;
    // The same live cells; both fields must cover the same rectangle.
    bool sameCells(const Field& other) const;

    // Every cell alive at some generation since tracking began (including now).
    void trackEverAlive();
    std::vector<LifeCell> everAlive() const;

  private:
    static constexpr std::int32_t kWordBits = 64;

    std::size_t index(std::int32_t row, std::int32_t word) const {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(m_words) +
               static_cast<std::size_t>(word);
    }
    void markChanged(std::size_t at);
    std::uint64_t nextWord(std::int32_t row, std::int32_t word) const;
    template <typename Visit>
    void forEachLive(const std::vector<std::uint64_t>& words, Visit visit) const;

    Box m_box;
    std::int32_t m_words = 0;
    std::int32_t m_rows = 0;
    std::vector<std::uint64_t> m_cells;
    // Per word: changed by the last step or by an edit since.
    std::vector<std::uint8_t> m_changed;
    std::vector<std::size_t> m_changedWords;
    // Scratch of step, kept to spare an allocation per generation.
    std::vector<std::size_t> m_dirty;
    std::vector<std::uint64_t> m_next;
    std::vector<std::uint64_t> m_everAlive;
    bool m_tracking = false;
    std::int64_t m_generation = 0;
};

// The pattern's cells are alive in the field and every cell touching it is dead.
bool isolatedIn(const Field& field, const std::vector<LifeCell>& pattern);

}  // namespace trelkan::builder
