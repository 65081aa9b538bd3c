#include "life/rlepattern.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "base/rle.h"

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
    RleItemReader items(body, kMaxExtent + 1);
    RleItem item;
    while (items.next(item)) {
        if (item.count > kMaxExtent) {
            error = "run count too large";
            return false;
        }
        if (item.tag == 0 || (item.counted && (item.tag == ' ' || item.tag == '\t'))) {
            error = "run count without a tag";
            return false;
        }
        if (item.tag == '$') {
            y += item.count;
            x = 0;
        } else if (const std::optional<int> state = stateOf(item.tag)) {
            if (*state != 0) {
                if (cells.size() + static_cast<std::size_t>(item.count) > kMaxCells) {
                    error = "more than " + std::to_string(kMaxCells) + " cells";
                    return false;
                }
                for (std::int64_t i = 0; i < item.count; ++i) {
                    cells.push_back(
                        {static_cast<std::int32_t>(x + i), static_cast<std::int32_t>(y), *state});
                }
            }
            x += item.count;
        } else {
            error = std::string("unexpected character '") + item.tag + "'";
            return false;
        }
        if (x > kMaxExtent || y > kMaxExtent) {
            error = "pattern too large";
            return false;
        }
    }
    if (!items.ended()) {
        error = "no '!' at the end of the pattern";
        return false;
    }
    return true;
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
            // Lines are joined as they stand: an item may not be split by a line end.
            body += line;
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
    StringSink body;
    RleWriter writer(body, RleStyle{});
    std::int64_t row = box.minY;
    std::int64_t column = box.minX;
    for (const LifeCell& cell : sorted) {
        if (cell.y != row) {
            writer.putRun(cell.y - row, RleWriter::kRowEnd);
            row = cell.y;
            column = box.minX;
        }
        writer.putRun(cell.x - column, RleWriter::kDead);
        writer.putCell(RleWriter::kLive);
        column = cell.x + 1;
    }
    writer.finish();
    return text + body.take();
}

}  // namespace trelkan
