#include "tools/catalogue/field.h"

#include <algorithm>
#include <bit>
#include <cassert>

namespace trelkan::builder {
namespace {

// The three cells of a row around each bit: the row shifted both ways, with the bits that cross
// a word boundary taken from the neighbouring words.
struct RowTriple {
    std::uint64_t left = 0;
    std::uint64_t centre = 0;
    std::uint64_t right = 0;
};

RowTriple rowTriple(const std::uint64_t* row, std::int32_t word, std::int32_t words) {
    if (row == nullptr) {
        return {};
    }
    const std::uint64_t centre = row[word];
    const std::uint64_t previous = word > 0 ? row[word - 1] : 0;
    const std::uint64_t following = word + 1 < words ? row[word + 1] : 0;
    return {(centre << 1) | (previous >> 63), centre, (centre >> 1) | (following << 63)};
}

// B3/S23 on 64 cells at once, by adding the neighbour counts in bit-sliced binary.
std::uint64_t lifeRule(const RowTriple& a, const RowTriple& b, const RowTriple& c) {
    const std::uint64_t aLow = a.left ^ a.centre ^ a.right;
    const std::uint64_t aHigh = (a.left & a.centre) | (a.right & (a.left ^ a.centre));
    const std::uint64_t cLow = c.left ^ c.centre ^ c.right;
    const std::uint64_t cHigh = (c.left & c.centre) | (c.right & (c.left ^ c.centre));
    const std::uint64_t bLow = b.left ^ b.right;
    const std::uint64_t bHigh = b.left & b.right;
    const std::uint64_t ones = aLow ^ bLow ^ cLow;
    const std::uint64_t carry = (aLow & bLow) | (cLow & (aLow ^ bLow));
    // Two or three neighbours: exactly one of the four weight-2 terms is set.
    const std::uint64_t p = aHigh ^ bHigh;
    const std::uint64_t q = cHigh ^ carry;
    const std::uint64_t twoOrMore = (aHigh & bHigh) | (cHigh & carry) | (p & q);
    const std::uint64_t exactlyOne = (p ^ q) & ~twoOrMore;
    return exactlyOne & (ones | b.centre);
}

}  // namespace

Field::Field(const Box& box) {
    assert(!box.isEmpty());
    const std::int64_t width = std::int64_t{box.maxX} - box.minX + 1;
    m_words = static_cast<std::int32_t>((width + kWordBits - 1) / kWordBits);
    m_rows = box.maxY - box.minY + 1;
    m_box = {box.minX, box.minX + m_words * kWordBits - 1, box.minY, box.maxY};
    m_cells.assign(static_cast<std::size_t>(m_words) * static_cast<std::size_t>(m_rows), 0);
    m_changed.assign(m_cells.size(), 0);
}

bool Field::get(std::int32_t x, std::int32_t y) const {
    if (!m_box.contains(x, y)) {
        return false;
    }
    const std::int32_t column = x - m_box.minX;
    return ((m_cells[index(y - m_box.minY, column / kWordBits)] >> (column % kWordBits)) & 1) != 0;
}

void Field::markChanged(std::size_t at) {
    if (m_changed[at] == 0) {
        m_changed[at] = 1;
        m_changedWords.push_back(at);
    }
    if (m_tracking) {
        m_everAlive[at] |= m_cells[at];
    }
}

void Field::set(std::int32_t x, std::int32_t y, bool alive) {
    // Outside the rectangle every cell is dead, and stays so.
    if (!m_box.contains(x, y)) {
        return;
    }
    const std::int32_t column = x - m_box.minX;
    const std::size_t at = index(y - m_box.minY, column / kWordBits);
    const std::uint64_t bit = std::uint64_t{1} << (column % kWordBits);
    const std::uint64_t before = m_cells[at];
    m_cells[at] = alive ? (before | bit) : (before & ~bit);
    if (m_cells[at] != before) {
        markChanged(at);
    }
}

void Field::add(const std::vector<LifeCell>& cells) {
    for (const LifeCell& cell : cells) {
        set(cell.x, cell.y, true);
    }
}

void Field::erase(const std::vector<LifeCell>& cells) {
    for (const LifeCell& cell : cells) {
        set(cell.x, cell.y, false);
    }
}

std::uint64_t Field::nextWord(std::int32_t row, std::int32_t word) const {
    const std::uint64_t* above = row > 0 ? &m_cells[index(row - 1, 0)] : nullptr;
    const std::uint64_t* middle = &m_cells[index(row, 0)];
    const std::uint64_t* below = row + 1 < m_rows ? &m_cells[index(row + 1, 0)] : nullptr;
    return lifeRule(rowTriple(above, word, m_words), rowTriple(middle, word, m_words),
                    rowTriple(below, word, m_words));
}

void Field::step() {
    // A word can change only if a word next to it (or itself) changed last time.
    std::vector<std::size_t>& dirty = m_dirty;
    dirty.clear();
    // The change marks double as queue marks: bit 0 changed, bit 1 queued.
    std::vector<std::uint8_t>& mark = m_changed;
    for (const std::size_t at : m_changedWords) {
        const auto row = static_cast<std::int32_t>(at / static_cast<std::size_t>(m_words));
        const auto word = static_cast<std::int32_t>(at % static_cast<std::size_t>(m_words));
        for (std::int32_t r = row - 1; r <= row + 1; ++r) {
            for (std::int32_t w = word - 1; w <= word + 1; ++w) {
                if (r < 0 || r >= m_rows || w < 0 || w >= m_words) {
                    continue;
                }
                const std::size_t near = index(r, w);
                if ((mark[near] & 2) == 0) {
                    mark[near] |= 2;
                    dirty.push_back(near);
                }
            }
        }
    }
    std::vector<std::uint64_t>& next = m_next;
    next.resize(dirty.size());
    for (std::size_t i = 0; i < dirty.size(); ++i) {
        const auto row = static_cast<std::int32_t>(dirty[i] / static_cast<std::size_t>(m_words));
        const auto word = static_cast<std::int32_t>(dirty[i] % static_cast<std::size_t>(m_words));
        next[i] = nextWord(row, word);
    }
    for (const std::size_t at : dirty) {
        mark[at] = 0;
    }
    m_changedWords.clear();
    for (std::size_t i = 0; i < dirty.size(); ++i) {
        if (next[i] != m_cells[dirty[i]]) {
            m_cells[dirty[i]] = next[i];
            markChanged(dirty[i]);
        }
    }
    ++m_generation;
}

bool Field::changedOutside(const Box& inner) const {
    for (const std::size_t at : m_changedWords) {
        const std::uint64_t word = m_cells[at];
        if (word == 0) {
            continue;
        }
        const auto row = static_cast<std::int32_t>(at / static_cast<std::size_t>(m_words));
        const std::int32_t y = m_box.minY + row;
        if (y < inner.minY || y > inner.maxY) {
            return true;
        }
        const std::int32_t base =
            m_box.minX +
            static_cast<std::int32_t>(at % static_cast<std::size_t>(m_words)) * kWordBits;
        const std::int32_t first = base + std::countr_zero(word);
        const std::int32_t last = base + kWordBits - 1 - std::countl_zero(word);
        if (first < inner.minX || last > inner.maxX) {
            return true;
        }
    }
    return false;
}

bool Field::changedNearEdge(std::int32_t band) const {
    const Box inner{m_box.minX + band, m_box.maxX - band, m_box.minY + band, m_box.maxY - band};
    return changedOutside(inner);
}

template <typename Visit>
void Field::forEachLive(const std::vector<std::uint64_t>& words, Visit visit) const {
    for (std::int32_t r = 0; r < m_rows; ++r) {
        for (std::int32_t w = 0; w < m_words; ++w) {
            for (std::uint64_t word = words[index(r, w)]; word != 0; word &= word - 1) {
                visit(m_box.minX + w * kWordBits + std::countr_zero(word), m_box.minY + r);
            }
        }
    }
}

std::vector<LifeCell> Field::cells() const {
    std::vector<LifeCell> result;
    forEachLive(m_cells, [&](std::int32_t x, std::int32_t y) { result.push_back({x, y}); });
    return result;
}

std::vector<LifeCell> Field::cellsOutside(const Box& inner) const {
    std::vector<LifeCell> result;
    forEachLive(m_cells, [&](std::int32_t x, std::int32_t y) {
        if (!inner.contains(x, y)) {
            result.push_back({x, y});
        }
    });
    return result;
}

std::int64_t Field::population() const {
    std::int64_t count = 0;
    for (const std::uint64_t word : m_cells) {
        count += std::popcount(word);
    }
    return count;
}

bool Field::sameCells(const Field& other) const {
    assert(m_box == other.m_box);
    return m_cells == other.m_cells;
}

void Field::trackEverAlive() {
    m_tracking = true;
    m_everAlive = m_cells;
}

std::vector<LifeCell> Field::everAlive() const {
    std::vector<LifeCell> result;
    if (m_tracking) {
        forEachLive(m_everAlive, [&](std::int32_t x, std::int32_t y) { result.push_back({x, y}); });
    }
    return result;
}

bool isolatedIn(const Field& field, const std::vector<LifeCell>& pattern) {
    for (const LifeCell& cell : pattern) {
        if (!field.get(cell.x, cell.y)) {
            return false;
        }
    }
    for (const LifeCell& cell : pattern) {
        for (std::int32_t dy = -1; dy <= 1; ++dy) {
            for (std::int32_t dx = -1; dx <= 1; ++dx) {
                const LifeCell near{cell.x + dx, cell.y + dy};
                if (field.get(near.x, near.y) &&
                    std::find(pattern.begin(), pattern.end(), near) == pattern.end()) {
                    return false;
                }
            }
        }
    }
    return true;
}

}  // namespace trelkan::builder
