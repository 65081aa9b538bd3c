// Fuzz target of both RLE readers, the catalogue's image reader and the pattern reader of the
// tools: whatever the text, each ends in a map or pattern or in a refusal, without a crash, a hang,
// or a read beyond the text. A pattern body that the image reader takes, the pattern reader takes
// too, with the same cells.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "catalogue/cellmap.h"
#include "life/rlepattern.h"

namespace {

// A run of zero cells overwrites in the image reader and adds nothing in the pattern reader; no
// writer makes one, so the two need not agree on it.
bool hasZeroCount(std::string_view text) {
    std::int64_t count = 0;
    bool counting = false;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            count = counting ? std::min<std::int64_t>(count * 10 + (c - '0'), 1) : c - '0';
            counting = true;
        } else if (counting) {
            if (count == 0) {
                return true;
            }
            counting = false;
        }
    }
    return counting && count == 0;
}

// The image's row 0 is its bottom row; the pattern's row 0 is its top row.
void expectSameCells(const trelkan::CellMap& map, std::string_view body) {
    using namespace trelkan;
    std::string error;
    const std::optional<RlePattern> pattern = parseRle("x = 0, y = 0\n" + std::string(body), error);
    if (!pattern) {
        std::abort();
    }
    std::size_t live = 0;
    for (std::int32_t row = 0; row < map.height(); ++row) {
        for (std::int32_t column = 0; column < map.width(); ++column) {
            live += static_cast<std::size_t>(map.getCell(column, -row));
        }
    }
    std::set<std::pair<std::int32_t, std::int32_t>> cells;
    for (const StateCell& cell : pattern->cells) {
        cells.emplace(cell.x, cell.y);
    }
    if (live != cells.size()) {
        std::abort();
    }
    for (const StateCell& cell : pattern->cells) {
        if (cell.state != 1 || map.getCell(cell.x, cell.y - (map.height() - 1)) != 1) {
            std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace trelkan;
    // The text lies in a block of exactly its length, so that a read past its end is caught.
    const std::vector<char> copy(data, data + size);
    const std::string_view text(copy.data(), copy.size());
    std::string error;
    const std::optional<RlePattern> pattern = parseRle(text, error);
    if (!pattern && error.empty()) {
        std::abort();  // a refusal always says why
    }
    const CellMap map(0, 0, text);
    // The loader hands the image reader only a text that holds its "!".
    if (!map.isEmpty() && text.find('!') != std::string_view::npos && !hasZeroCount(text)) {
        expectSameCells(map, text);
    }
    return 0;
}
