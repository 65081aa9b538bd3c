#include "run/rlewriter.h"

#include "run/output.h"

namespace trelkan {
namespace {

// An item and the three characters kept free behind it make at most 80.
constexpr std::size_t kLineRoom = 80;
constexpr std::size_t kReserve = 3;

}  // namespace

void RleWriter::putCell(char symbol) {
    if (symbol == kRowEnd) {
        emitRun(m_live, kLive);
        m_live = 0;
        // Dead cells at the end of a row are never written.
        m_dead = 0;
        ++m_rowEnds;
    } else if (symbol == kDead) {
        emitRun(m_live, kLive);
        m_live = 0;
        ++m_dead;
    } else {
        // Pending row ends go before the dead cells that open the next row.
        emitRun(m_rowEnds, kRowEnd);
        m_rowEnds = 0;
        emitRun(m_dead, kDead);
        m_dead = 0;
        ++m_live;
    }
}

void RleWriter::endPattern() {
    m_dead = 0;
    emitRun(m_live, kLive);
    m_live = 0;
    emitRun(m_rowEnds, kRowEnd);
    m_rowEnds = 0;
    if (!m_line.empty()) {
        flushLine();
    }
}

void RleWriter::emitRun(std::int64_t count, char symbol) {
    if (count <= 0) {
        return;
    }
    std::string item;
    if (count <= 2) {
        item.assign(static_cast<std::size_t>(count), symbol);
    } else {
        item = std::to_string(count) + symbol;
    }
    if (item.size() + m_line.size() + kReserve > kLineRoom) {
        flushLine();
    }
    m_line += item;
}

void RleWriter::flushLine() {
    m_line += '\n';
    writePatternText(m_line);
    m_line.clear();
}

RleWriter& patternWriter() {
    static RleWriter writer;
    return writer;
}

}  // namespace trelkan
