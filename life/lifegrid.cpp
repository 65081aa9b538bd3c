#include "life/lifegrid.h"

#include <algorithm>
#include <bit>
#include <cassert>

namespace trelkan {
namespace {

// Room kept beyond a cell that is set or a pattern that grows, so that regrowing is rare.
constexpr std::int64_t kRowMargin = 32;
constexpr std::int64_t kColumnMargin = 64;

std::int64_t floorDiv(std::int64_t value, std::int64_t divisor) {
    const std::int64_t quotient = value / divisor;
    return (value % divisor != 0 && (value < 0) != (divisor < 0)) ? quotient - 1 : quotient;
}

// The next state of 64 cells from the words around them: a, b and c are the rows above, at and
// below, each as the word before, the word itself and the word after. Bit-parallel neighbour
// counting: each row's left and right neighbours are the row shifted by one bit, with the bit that
// crosses a word boundary taken from the neighbouring word.
std::uint64_t nextWord(std::uint64_t a0, std::uint64_t a1, std::uint64_t a2, std::uint64_t b0,
                       std::uint64_t b1, std::uint64_t b2, std::uint64_t c0, std::uint64_t c1,
                       std::uint64_t c2) {
    const std::uint64_t al = (a1 << 1) | (a0 >> 63);
    const std::uint64_t ar = (a1 >> 1) | (a2 << 63);
    const std::uint64_t bl = (b1 << 1) | (b0 >> 63);
    const std::uint64_t br = (b1 >> 1) | (b2 << 63);
    const std::uint64_t cl = (c1 << 1) | (c0 >> 63);
    const std::uint64_t cr = (c1 >> 1) | (c2 << 63);

    // Two-bit sums of the rows above and below (three cells each) and of the middle row (the two
    // side cells only): low bits of weight 1, high bits of weight 2.
    const std::uint64_t aLow = al ^ a1 ^ ar;
    const std::uint64_t aHigh = (al & a1) | (ar & (al ^ a1));
    const std::uint64_t cLow = cl ^ c1 ^ cr;
    const std::uint64_t cHigh = (cl & c1) | (cr & (cl ^ c1));
    const std::uint64_t bLow = bl ^ br;
    const std::uint64_t bHigh = bl & br;

    // Weight 1 of the total, and its carry into weight 2.
    const std::uint64_t ones = aLow ^ bLow ^ cLow;
    const std::uint64_t carry = (aLow & bLow) | (cLow & (aLow ^ bLow));
    // A count of 2 or 3 needs exactly one of the four weight-2 bits: none would leave at most 1,
    // two or more at least 4.
    const std::uint64_t p = aHigh ^ bHigh;
    const std::uint64_t r = cHigh ^ carry;
    const std::uint64_t twoOrMore = (aHigh & bHigh) | (cHigh & carry) | (p & r);
    const std::uint64_t exactlyOne = (p ^ r) & ~twoOrMore;
    // Birth on 3, survival on 2 or 3.
    return exactlyOne & (ones | b1);
}

}  // namespace

LifeGrid::LifeGrid() = default;

LifeGrid::LifeGrid(const std::vector<LifeCell>& cells) {
    add(cells);
}

void LifeGrid::reserve(std::int64_t x, std::int64_t y) {
    if (m_words > 0 && x >= m_left && x < m_left + std::int64_t{kWordBits} * m_words &&
        y >= m_top && y < m_top + m_rows) {
        return;
    }
    if (m_words == 0) {
        regrow(x - kColumnMargin, y - kRowMargin, x + kColumnMargin, y + kRowMargin);
        return;
    }
    const std::int64_t right = m_left + std::int64_t{kWordBits} * m_words - 1;
    const std::int64_t bottom = m_top + m_rows - 1;
    regrow(std::min(m_left, x - kColumnMargin), std::min(m_top, y - kRowMargin),
           std::max(right, x + kColumnMargin), std::max(bottom, y + kRowMargin));
}

void LifeGrid::regrow(std::int64_t left, std::int64_t top, std::int64_t right,
                      std::int64_t bottom) {
    // Words begin at multiples of 64 (columns 63 and 64 lie in different words), and whole words
    // are added on the left, so the old words keep their bit positions.
    std::int64_t newLeft = kWordBits * floorDiv(left, kWordBits);
    if (m_words > 0) {
        const std::int64_t extraWords =
            std::max<std::int64_t>(0, floorDiv(m_left - left + kWordBits - 1, kWordBits));
        newLeft = m_left - kWordBits * extraWords;
    }
    const std::int64_t words = floorDiv(right - newLeft, kWordBits) + 1;
    const std::int64_t rows = bottom - top + 1;
    assert(words > 0 && rows > 0 && words < (1 << 20) && rows < (1 << 24));
    std::vector<std::uint64_t> grown(static_cast<std::size_t>(words * rows), 0);
    const std::int64_t wordShift = (m_left - newLeft) / kWordBits;
    const std::int64_t rowShift = m_top - top;
    for (std::int32_t r = 0; r < m_rows; ++r) {
        if (m_rowLive[static_cast<std::size_t>(r)]) {
            std::copy_n(&m_cells[index(r, 0)], m_words,
                        &grown[static_cast<std::size_t>((r + rowShift) * words + wordShift)]);
        }
    }
    std::vector<std::uint8_t> rowLive(static_cast<std::size_t>(rows), 0);
    std::copy(m_rowLive.begin(), m_rowLive.end(), rowLive.begin() + rowShift);
    m_cells = std::move(grown);
    m_rowLive = std::move(rowLive);
    m_next.assign(m_cells.size(), 0);
    m_nextRowLive.assign(static_cast<std::size_t>(rows), 0);
    m_wordUnion.assign(static_cast<std::size_t>(words), 0);
    m_liveColumns.low += kWordBits * wordShift;
    m_liveColumns.high += kWordBits * wordShift;
    m_nextLiveColumns = {};
    m_left = newLeft;
    m_top = top;
    m_words = static_cast<std::int32_t>(words);
    m_rows = static_cast<std::int32_t>(rows);
}

void LifeGrid::set(std::int32_t x, std::int32_t y, bool alive) {
    if (!alive && !get(x, y)) {
        return;
    }
    reserve(x, y);
    const std::int64_t column = x - m_left;
    const std::size_t at =
        index(static_cast<std::int32_t>(y - m_top), static_cast<std::int32_t>(column / kWordBits));
    const std::uint64_t bit = std::uint64_t{1} << (column % kWordBits);
    m_cells[at] = alive ? (m_cells[at] | bit) : (m_cells[at] & ~bit);
    if (alive) {
        m_rowLive[static_cast<std::size_t>(y - m_top)] = 1;
        m_liveColumns.include(column, column);
    }
}

bool LifeGrid::get(std::int32_t x, std::int32_t y) const {
    const std::int64_t column = x - m_left;
    const std::int64_t row = y - m_top;
    if (column < 0 || column >= std::int64_t{kWordBits} * m_words || row < 0 || row >= m_rows) {
        return false;
    }
    const std::uint64_t word = m_cells[index(static_cast<std::int32_t>(row),
                                             static_cast<std::int32_t>(column / kWordBits))];
    return ((word >> (column % kWordBits)) & 1) != 0;
}

void LifeGrid::add(const std::vector<LifeCell>& cells) {
    // Room for the corners of the pattern first, so that the rectangle grows at most twice.
    if (!cells.empty()) {
        const auto [left, right] =
            std::minmax_element(cells.begin(), cells.end(),
                                [](const LifeCell& a, const LifeCell& b) { return a.x < b.x; });
        const auto [top, bottom] =
            std::minmax_element(cells.begin(), cells.end(),
                                [](const LifeCell& a, const LifeCell& b) { return a.y < b.y; });
        reserve(left->x, top->y);
        reserve(right->x, bottom->y);
    }
    for (const LifeCell& cell : cells) {
        set(cell.x, cell.y);
    }
}

void LifeGrid::clear() {
    std::fill(m_cells.begin(), m_cells.end(), 0);
    std::fill(m_rowLive.begin(), m_rowLive.end(), 0);
    m_liveColumns = {};
}

void LifeGrid::keepMargin() {
    if (m_words == 0) {
        return;
    }
    const auto rowHasLife = [this](std::int32_t r) {
        const std::uint64_t* row = &m_cells[index(r, 0)];
        return m_rowLive[static_cast<std::size_t>(r)] &&
               std::any_of(row, row + m_words, [](std::uint64_t word) { return word != 0; });
    };
    const bool top = rowHasLife(0);
    const bool bottom = rowHasLife(m_rows - 1);
    bool left = false, right = false;
    if (m_liveColumns.low == 0 || m_liveColumns.high == std::int64_t{kWordBits} * m_words - 1) {
        for (std::int32_t r = 0; r < m_rows; ++r) {
            if (m_rowLive[static_cast<std::size_t>(r)]) {
                left = left || (m_cells[index(r, 0)] & 1) != 0;
                right = right || (m_cells[index(r, m_words - 1)] >> 63) != 0;
            }
        }
    }
    if (top || bottom || left || right) {
        const std::int64_t rightEdge = m_left + std::int64_t{kWordBits} * m_words - 1;
        const std::int64_t bottomEdge = m_top + m_rows - 1;
        regrow(left ? m_left - kColumnMargin : m_left, top ? m_top - kRowMargin : m_top,
               right ? rightEdge + kColumnMargin : rightEdge,
               bottom ? bottomEdge + kRowMargin : bottomEdge);
    }
}

void LifeGrid::step() {
    keepMargin();
    // Births happen at most one column beyond the live columns.
    const auto low = static_cast<std::int32_t>(
        std::max<std::int64_t>(floorDiv(m_liveColumns.low - 1, kWordBits), 0));
    const auto high = static_cast<std::int32_t>(
        std::min<std::int64_t>(floorDiv(m_liveColumns.high + 1, kWordBits), m_words - 1));
    // What m_next holds from two generations ago is cleared where it may be.
    const auto staleLow = static_cast<std::int32_t>(m_nextLiveColumns.low / kWordBits);
    const auto staleCount = static_cast<std::int32_t>(
        m_nextLiveColumns.isEmpty() ? 0 : m_nextLiveColumns.high / kWordBits - staleLow + 1);
    // The outermost rows and columns are dead, so every birth lands inside the rectangle, and
    // the first and last rows can stand in for the missing rows beyond them.
    for (std::int32_t r = 0; r < m_rows; ++r) {
        const std::int32_t up = std::max(r - 1, 0);
        const std::int32_t down = std::min(r + 1, m_rows - 1);
        std::uint64_t* next = &m_next[index(r, 0)];
        std::uint8_t& nextLive = m_nextRowLive[static_cast<std::size_t>(r)];
        if (!m_rowLive[static_cast<std::size_t>(up)] && !m_rowLive[static_cast<std::size_t>(r)] &&
            !m_rowLive[static_cast<std::size_t>(down)]) {
            if (nextLive) {
                std::fill_n(next + staleLow, staleCount, 0);
                nextLive = 0;
            }
            continue;
        }
        if (nextLive) {
            std::fill_n(next + staleLow, staleCount, 0);
        }
        const std::uint64_t* above = &m_cells[index(up, 0)];
        const std::uint64_t* row = &m_cells[index(r, 0)];
        const std::uint64_t* below = &m_cells[index(down, 0)];
        // A window of three words slides along the three rows; a word with no life within one
        // cell of it stays dead without the count. The words beyond low and high are dead.
        std::uint64_t a0 = 0, b0 = 0, c0 = 0;
        std::uint64_t a1 = above[low], b1 = row[low], c1 = below[low];
        std::uint64_t any = 0;
        for (std::int32_t w = low; w <= high; ++w) {
            const bool last = w == high;
            const std::uint64_t a2 = last ? 0 : above[w + 1];
            const std::uint64_t b2 = last ? 0 : row[w + 1];
            const std::uint64_t c2 = last ? 0 : below[w + 1];
            const std::uint64_t near =
                (a1 | b1 | c1) | ((a0 | b0 | c0) >> 63) | ((a2 | b2 | c2) << 63);
            const std::uint64_t word = near == 0 ? 0 : nextWord(a0, a1, a2, b0, b1, b2, c0, c1, c2);
            next[w] = word;
            any |= word;
            m_wordUnion[static_cast<std::size_t>(w)] |= word;
            a0 = a1, b0 = b1, c0 = c1;
            a1 = a2, b1 = b2, c1 = c2;
        }
        nextLive = any != 0;
    }
    ColumnRange live;
    for (std::int32_t w = low; w <= high; ++w) {
        std::uint64_t& word = m_wordUnion[static_cast<std::size_t>(w)];
        if (word != 0) {
            const std::int64_t base = std::int64_t{kWordBits} * w;
            live.include(base + std::countr_zero(word), base + 63 - std::countl_zero(word));
            word = 0;
        }
    }
    std::swap(m_cells, m_next);
    std::swap(m_rowLive, m_nextRowLive);
    m_nextLiveColumns = m_liveColumns;
    m_liveColumns = live;
    ++m_generation;
}

void LifeGrid::run(std::int64_t generations) {
    for (std::int64_t i = 0; i < generations; ++i) {
        step();
    }
}

std::int64_t LifeGrid::population() const {
    std::int64_t count = 0;
    for (std::int32_t r = 0; r < m_rows; ++r) {
        if (m_rowLive[static_cast<std::size_t>(r)]) {
            for (std::int32_t w = 0; w < m_words; ++w) {
                count += std::popcount(m_cells[index(r, w)]);
            }
        }
    }
    return count;
}

Box boxOf(const std::vector<LifeCell>& cells) {
    Box box = Box::none();
    for (const LifeCell& cell : cells) {
        box.include({cell.x, cell.x, cell.y, cell.y});
    }
    return box;
}

Box LifeGrid::bounds() const {
    Box box = Box::none();
    for (std::int32_t r = 0; r < m_rows; ++r) {
        if (!m_rowLive[static_cast<std::size_t>(r)]) {
            continue;
        }
        for (std::int32_t w = 0; w < m_words; ++w) {
            const std::uint64_t word = m_cells[index(r, w)];
            if (word == 0) {
                continue;
            }
            const auto y = static_cast<std::int32_t>(m_top + r);
            const std::int64_t base = m_left + std::int64_t{kWordBits} * w;
            box.include({static_cast<std::int32_t>(base + std::countr_zero(word)),
                         static_cast<std::int32_t>(base + 63 - std::countl_zero(word)), y, y});
        }
    }
    return box;
}

std::uint64_t LifeGrid::columnMask(std::int32_t w, const Box& box) const {
    const std::int64_t base = m_left + std::int64_t{kWordBits} * w;
    const std::int64_t low = std::max<std::int64_t>(box.minX - base, 0);
    const std::int64_t high = std::min<std::int64_t>(box.maxX - base, kWordBits - 1);
    if (low > high) {
        return 0;
    }
    const std::uint64_t upTo =
        high == kWordBits - 1 ? ~std::uint64_t{0} : (std::uint64_t{1} << (high + 1)) - 1;
    return upTo & ~((std::uint64_t{1} << low) - 1);
}

std::vector<LifeCell> LifeGrid::cells() const {
    std::vector<LifeCell> result;
    for (std::int32_t r = 0; r < m_rows; ++r) {
        if (!m_rowLive[static_cast<std::size_t>(r)]) {
            continue;
        }
        for (std::int32_t w = 0; w < m_words; ++w) {
            const std::int64_t base = m_left + std::int64_t{kWordBits} * w;
            for (std::uint64_t word = m_cells[index(r, w)]; word != 0; word &= word - 1) {
                result.push_back({static_cast<std::int32_t>(base + std::countr_zero(word)),
                                  static_cast<std::int32_t>(m_top + r)});
            }
        }
    }
    return result;
}

std::vector<LifeCell> LifeGrid::cellsIn(const Box& box) const {
    std::vector<LifeCell> result;
    if (box.isEmpty()) {
        return result;
    }
    const std::int64_t firstRow = std::max<std::int64_t>(box.minY - m_top, 0);
    const std::int64_t lastRow = std::min<std::int64_t>(box.maxY - m_top, m_rows - 1);
    for (std::int64_t r = firstRow; r <= lastRow; ++r) {
        if (!m_rowLive[static_cast<std::size_t>(r)]) {
            continue;
        }
        for (std::int32_t w = 0; w < m_words; ++w) {
            const std::int64_t base = m_left + std::int64_t{kWordBits} * w;
            for (std::uint64_t word =
                     m_cells[index(static_cast<std::int32_t>(r), w)] & columnMask(w, box);
                 word != 0; word &= word - 1) {
                result.push_back({static_cast<std::int32_t>(base + std::countr_zero(word)),
                                  static_cast<std::int32_t>(m_top + r)});
            }
        }
    }
    return result;
}

void LifeGrid::clearOutside(const Box& box) {
    for (std::int32_t r = 0; r < m_rows; ++r) {
        if (!m_rowLive[static_cast<std::size_t>(r)]) {
            continue;
        }
        const std::int64_t y = m_top + r;
        if (box.isEmpty() || y < box.minY || y > box.maxY) {
            std::fill_n(&m_cells[index(r, 0)], m_words, 0);
            m_rowLive[static_cast<std::size_t>(r)] = 0;
            continue;
        }
        for (std::int32_t w = 0; w < m_words; ++w) {
            m_cells[index(r, w)] &= columnMask(w, box);
        }
    }
}

void LifeGrid::clearInside(const Box& box) {
    if (box.isEmpty()) {
        return;
    }
    for (std::int32_t r = 0; r < m_rows; ++r) {
        const std::int64_t y = m_top + r;
        if (m_rowLive[static_cast<std::size_t>(r)] && y >= box.minY && y <= box.maxY) {
            for (std::int32_t w = 0; w < m_words; ++w) {
                m_cells[index(r, w)] &= ~columnMask(w, box);
            }
        }
    }
}

}  // namespace trelkan
