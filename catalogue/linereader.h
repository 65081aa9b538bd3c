// Line-by-line reading of the definition file and of RLE images.
//
// A line is what one read of at most size - 1 characters returns, so a longer physical line comes
// in several pieces. Everything from the first "#" is a comment; trailing characters up to the
// blank (control characters, and bytes 0x80 and up, which are negative as signed chars) are
// dropped; lines left empty are skipped. Leading blanks stay: they mark variant lines.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace trelkan {

class LineReader {
  public:
    // Room of the read buffer of a definition line, terminator included.
    static constexpr int kBufferSize = 2000;

    // Opens a regular file for reading; anything else counts as a file that cannot be opened.
    explicit LineReader(const std::string& path);
    virtual ~LineReader() = default;
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    bool isOpen() const { return m_file != nullptr; }

    // The next non-empty line, at most size - 1 characters of one physical line; false at the
    // end of the file (and when size leaves no room for a character).
    bool readLine(std::string& line, int size = kBufferSize);

    // Every physical read counts, skipped lines and the read that meets the end included.
    std::int32_t lineNumber() const { return m_lineNumber; }
    // The line last read holds a NUL byte, which no text of the formats read here may hold.
    bool holdsNul() const { return m_holdsNul; }

  private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    std::int32_t m_lineNumber = 0;
    bool m_holdsNul = false;
    std::unique_ptr<std::FILE, FileCloser> m_file;
};

// The tokens of one line, separated by runs of spaces and tabs; there is no quoting.
class LineTokens {
  public:
    explicit LineTokens(std::string_view line = {}) : m_line(line) {}

    std::optional<std::string_view> next() {
        while (m_position < m_line.size() && isBlank(m_line[m_position])) {
            ++m_position;
        }
        if (m_position >= m_line.size()) {
            return std::nullopt;
        }
        const std::size_t start = m_position;
        while (m_position < m_line.size() && !isBlank(m_line[m_position])) {
            ++m_position;
        }
        return m_line.substr(start, m_position - start);
    }

    static bool isBlank(char c) { return c == ' ' || c == '\t'; }

  private:
    std::string_view m_line;
    std::size_t m_position = 0;
};

}  // namespace trelkan
