#include "life/rlepattern.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace trelkan {
namespace {

// The largest run count and coordinate accepted: far beyond any pattern here, small enough that
// no arithmetic on them overflows.
constexpr std::int64_t kMaxExtent = 1 << 24;
// The most cells of a state other than 0: some fifty times the conduit collection, and a bound
// on the memory that a hostile file can make us take.
constexpr std::size_t kMaxCells = std::size_t{1} << 22;

std::string_view trimLineEnd(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
        line.remove_suffix(1);
    }
    return line;
}

// The state of a cell tag, or nothing when the tag is not a cell.
std::optional<int> stateOf(char tag) {
    if (tag == 'b' || tag == '.') {
        return 0;
    }
    if (tag == 'o') {
        return 1;
    }
    if (tag >= 'A' && tag <= 'X') {
        return tag - 'A' + 1;
    }
    return std::nullopt;
}

std::string ruleOf(std::string_view header) {
    const std::size_t at = header.find("rule");
    if (at == std::string_view::npos) {
        return "B3/S23";
    }
    std::size_t start = header.find('=', at);
    if (start == std::string_view::npos) {
        return "B3/S23";
    }
    ++start;
    while (start < header.size() && header[start] == ' ') {
        ++start;
    }
    // The rule is the last field, and may hold commas itself ("B3/S23:P40,30").
    std::size_t end = header.size();
    while (end > start && header[end - 1] == ' ') {
        --end;
    }
    return std::string(header.substr(start, end - start));
}

bool parseBody(std::string_view body, std::vector<StateCell>& cells, std::string& error) {
    std::int64_t x = 0;
    std::int64_t y = 0;
    std::int64_t count = 0;
    bool hasCount = false;
    for (const char c : body) {
        if (c >= '0' && c <= '9') {
            count = count * 10 + (c - '0');
            hasCount = true;
            if (count > kMaxExtent) {
                error = "run count too large";
                return false;
            }
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            if (hasCount) {
                error = "run count without a tag";
                return false;
            }
            continue;
        }
        const std::int64_t run = hasCount ? count : 1;
        count = 0;
        hasCount = false;
        if (c == '!') {
            return true;
        }
        if (c == '$') {
            y += run;
            x = 0;
        } else if (const std::optional<int> state = stateOf(c)) {
            if (*state != 0) {
                if (cells.size() + static_cast<std::size_t>(run) > kMaxCells) {
                    error = "more than " + std::to_string(kMaxCells) + " cells";
                    return false;
                }
                for (std::int64_t i = 0; i < run; ++i) {
                    cells.push_back(
                        {static_cast<std::int32_t>(x + i), static_cast<std::int32_t>(y), *state});
                }
            }
            x += run;
        } else {
            error = std::string("unexpected character '") + c + "'";
            return false;
        }
        if (x > kMaxExtent || y > kMaxExtent) {
            error = "pattern too large";
            return false;
        }
    }
    error = "no '!' at the end of the pattern";
    return false;
}

}  // namespace

std::vector<LifeCell> RlePattern::cellsOfState(int state) const {
    std::vector<LifeCell> result;
    for (const StateCell& cell : cells) {
        if (cell.state == state) {
            result.push_back({cell.x, cell.y});
        }
    }
    return result;
}

std::optional<RlePattern> parseRle(std::string_view text, std::string& error) {
    RlePattern pattern;
    bool headerSeen = false;
    std::string body;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line =
            trimLineEnd(text.substr(0, end == std::string_view::npos ? text.size() : end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!headerSeen && body.empty() && !line.empty() && line.front() == '#') {
            pattern.comments.emplace_back(line);
        } else if (!headerSeen && body.empty() && !line.empty() && line.front() == 'x') {
            headerSeen = true;
            pattern.rule = ruleOf(line);
        } else {
            body += line;
            body += '\n';
        }
    }
    if (!headerSeen) {
        error = "no header line";
        return std::nullopt;
    }
    if (!parseBody(body, pattern.cells, error)) {
        return std::nullopt;
    }
    return pattern;
}

std::optional<RlePattern> readRleFile(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": cannot be read";
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    std::optional<RlePattern> pattern = parseRle(text.str(), error);
    if (!pattern) {
        error = path + ": " + error;
    }
    return pattern;
}

namespace {

// Collects RLE items into lines of at most 70 characters.
class RleLines {
  public:
    void item(std::int64_t count, char tag) {
        if (count <= 0) {
            return;
        }
        const std::string text = (count == 1 ? "" : std::to_string(count)) + tag;
        if (m_line.size() + text.size() > 70) {
            m_text += m_line + '\n';
            m_line.clear();
        }
        m_line += text;
    }
    std::string finish() {
        item(1, '!');
        return m_text + m_line + '\n';
    }

  private:
    std::string m_text;
    std::string m_line;
};

}  // namespace

std::string writeRle(const std::vector<LifeCell>& cells, const std::vector<std::string>& comments) {
    std::vector<LifeCell> sorted = cells;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    Box box = Box::none();
    for (const LifeCell& cell : sorted) {
        box.include({cell.x, cell.x, cell.y, cell.y});
    }
    if (box.isEmpty()) {
        box = Box{};
    }
    std::string text;
    for (const std::string& comment : comments) {
        text += comment + '\n';
    }
    text += "x = " + std::to_string(std::int64_t{box.maxX} - box.minX + 1) +
            ", y = " + std::to_string(std::int64_t{box.maxY} - box.minY + 1) + ", rule = B3/S23\n";
    RleLines lines;
    std::int64_t row = box.minY;
    std::int64_t column = box.minX;
    std::int64_t live = 0;
    for (const LifeCell& cell : sorted) {
        if (cell.y != row || cell.x != column) {
            lines.item(live, 'o');
            live = 0;
            if (cell.y != row) {
                lines.item(cell.y - row, '$');
                row = cell.y;
                column = box.minX;
            }
            lines.item(cell.x - column, 'b');
            column = cell.x;
        }
        ++live;
        ++column;
    }
    lines.item(live, 'o');
    return text + lines.finish();
}

}  // namespace trelkan
