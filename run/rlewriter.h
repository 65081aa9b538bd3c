// Run-length encoding of the patterns written to the pattern file: producers feed cells one at a
// time, row by row; the writer turns them into RLE items and wraps the text into lines of at most
// 77 characters before their end.
#pragma once

#include <cstdint>
#include <string>

namespace trelkan {

class RleWriter {
  public:
    static constexpr char kRowEnd = '$';
    static constexpr char kDead = 'b';
    static constexpr char kLive = 'o';

    // '$' ends a row, 'b' is a dead cell, anything else a live cell.
    void putCell(char symbol);
    // Writes what is pending and ends the text line, so the next pattern starts on a new one.
    void endPattern();

  private:
    void emitRun(std::int64_t count, char symbol);
    void flushLine();

    std::string m_line;
    std::int64_t m_live = 0;
    std::int64_t m_dead = 0;
    std::int64_t m_rowEnds = 0;
};

// The one writer of the pattern file.
RleWriter& patternWriter();

}  // namespace trelkan
