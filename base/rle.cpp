#include "base/rle.h"

#include <algorithm>

namespace trelkan {

RleItemReader::RleItemReader(std::string_view body, std::int64_t saturation)
    : m_text(body.substr(0, body.find('!'))),
      m_saturation(saturation),
      m_ended(body.find('!') != std::string_view::npos) {}

bool RleItemReader::next(RleItem& item) {
    if (m_position >= m_text.size()) {
        return false;
    }
    item = RleItem{};
    std::int64_t count = 0;
    while (m_position < m_text.size() && m_text[m_position] >= '0' && m_text[m_position] <= '9') {
        count = std::min(count * 10 + (m_text[m_position] - '0'), m_saturation);
        item.counted = true;
        ++m_position;
    }
    if (item.counted) {
        item.count = count;
    }
    if (m_position < m_text.size()) {
        item.tag = m_text[m_position++];
    }
    return true;
}

void RleWriter::item(std::int64_t count, char tag) {
    if (count <= 0) {
        return;
    }
    std::string text;
    if (m_style.spellPairs && count <= 2) {
        text.assign(static_cast<std::size_t>(count), tag);
    } else {
        text = (count == 1 ? std::string() : std::to_string(count)) + tag;
    }
    if (!m_line.empty() && m_line.size() + text.size() > m_style.lineLength) {
        flushLine();
    }
    m_line += text;
}

void RleWriter::putRun(std::int64_t count, char symbol) {
    if (count <= 0) {
        return;
    }
    if (symbol == kRowEnd) {
        item(m_live, kLive);
        m_live = 0;
        m_dead = 0;
        m_rowEnds += count;
    } else if (symbol == kDead) {
        item(m_live, kLive);
        m_live = 0;
        m_dead += count;
    } else {
        // Pending row ends go before the dead cells that open the next row.
        item(m_rowEnds, kRowEnd);
        m_rowEnds = 0;
        item(m_dead, kDead);
        m_dead = 0;
        m_live += count;
    }
}

void RleWriter::endPattern() {
    m_dead = 0;
    item(m_live, kLive);
    m_live = 0;
    item(m_rowEnds, kRowEnd);
    m_rowEnds = 0;
    if (!m_line.empty()) {
        flushLine();
    }
}

void RleWriter::finish() {
    m_dead = 0;
    item(m_live, kLive);
    m_live = 0;
    m_rowEnds = 0;
    item(1, '!');
    flushLine();
}

void RleWriter::flushLine() {
    m_line += '\n';
    m_sink.write(m_line);
    m_line.clear();
}

}  // namespace trelkan
