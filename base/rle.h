// Run-length encoded Life patterns as text: one reader of the items of a pattern's body, and one
// writer that makes them, used by the catalogue's maps, the Life library and the pattern file.
//
// A body is a sequence of items, each an optional decimal run count (1 when none is written)
// and a tag: "b" a dead cell, "o" a live cell, "$" the end of a row, "!" the end of the pattern;
// readers of several states add their own tags. Lines are the business of the file formats
// around the body: the item reader sees text whose lines are already joined.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/textsink.h"

namespace trelkan {

struct RleItem {
    std::int64_t count = 1;
    // A run count was written.
    bool counted = false;
    // 0 for a count at the end of the text with no tag after it.
    char tag = 0;
};

// Walks the items of a body up to its first "!" or its end. A tag is handed out as it stands,
// a blank included: what a tag means is the caller's to say.
class RleItemReader {
  public:
    // Counts above saturation read as saturation, so that no arithmetic on them overflows.
    RleItemReader(std::string_view body, std::int64_t saturation);

    // False at the end of the body.
    bool next(RleItem& item);
    // The body ended with "!".
    bool ended() const { return m_ended; }

  private:
    std::string_view m_text;
    std::int64_t m_saturation;
    std::size_t m_position = 0;
    bool m_ended = false;
};

// How a writer spells items and wraps lines.
struct RleStyle {
    // The most characters of a line.
    std::size_t lineLength = 70;
    // Runs of one and two are written out ("oo") rather than counted ("2o").
    bool spellPairs = false;
};

// Writes items into lines of at most the style's length, each line to the sink as it is full.
class RleWriter {
  public:
    static constexpr char kRowEnd = '$';
    static constexpr char kDead = 'b';
    static constexpr char kLive = 'o';

    RleWriter(TextSink& sink, RleStyle style) : m_sink(sink), m_style(style) {}

    // One item; nothing for a count below 1.
    void item(std::int64_t count, char tag);

    // Cells row by row: '$' ends a row, 'b' is a dead cell, anything else a live cell. Runs are
    // joined; dead cells at the end of a row are never written, and row ends wait for the next
    // live cell.
    void putCell(char symbol) { putRun(1, symbol); }
    void putRun(std::int64_t count, char symbol);
    // Writes what is pending and ends the line, so that the next pattern starts on a new one.
    void endPattern();
    // Writes what is pending, the closing "!", and ends the line.
    void finish();

  private:
    void flushLine();

    TextSink& m_sink;
    RleStyle m_style;
    std::string m_line;
    std::int64_t m_live = 0;
    std::int64_t m_dead = 0;
    std::int64_t m_rowEnds = 0;
};

}  // namespace trelkan
