#include "catalogue/cellmap.h"

#include <algorithm>

#include "base/rle.h"

namespace trelkan {
namespace {

// Counts above the size limit only ever lead to "RLE too big", so they are saturated there and
// the arithmetic of the sizing pass cannot overflow.
constexpr std::int64_t kCountSaturation = CellMap::kMaxCells + 1;

bool isCellTag(char tag) {
    return tag == 'b' || tag == 'o';
}

}  // namespace

CellMap::CellMap(std::int32_t dx, std::int32_t dy, std::string_view rleText) : m_dx(dx), m_dy(dy) {
    if (!readImage(rleText)) {
        m_image.clear();
        m_width = 0;
        m_height = 0;
    }
}

bool CellMap::readImage(std::string_view rleText) {
    // Sizing pass.
    std::int64_t width = 1;
    std::int64_t rows = 1;
    std::int64_t runLength = 0;
    RleItemReader sizing(rleText, kCountSaturation);
    RleItem item;
    while (sizing.next(item)) {
        if (item.tag == '$') {
            rows = std::min(rows + item.count, kCountSaturation);
            width = std::max(width, runLength);
            runLength = 0;
        } else if (isCellTag(item.tag)) {
            runLength = std::min(runLength + item.count, kCountSaturation);
        } else {
            m_refusal = Refusal::kUnreadable;
            return false;
        }
    }
    width = std::max(width, runLength);
    if (width * rows > kMaxCells) {
        m_refusal = Refusal::kTooBig;
        return false;
    }

    m_width = static_cast<std::int32_t>(width);
    m_height = static_cast<std::int32_t>(rows);
    m_image.assign(static_cast<std::size_t>(width * rows), 0);

    // Filling pass, from the top row (the last one in memory) downwards. The sizing pass
    // guarantees that every row and column written lies inside the image.
    std::int64_t row = m_height - 1;
    std::int64_t column = 0;
    RleItemReader filling(rleText, kCountSaturation);
    while (filling.next(item)) {
        if (item.tag == '$') {
            row -= item.count;
            column = 0;
        } else {
            const std::uint8_t value = item.tag == 'o' ? 1 : 0;
            for (std::int64_t i = 0; i < item.count; ++i) {
                m_image[static_cast<std::size_t>(row * m_width + column)] = value;
                ++column;
            }
        }
    }
    return true;
}

std::string_view CellMap::refusalMessage(Refusal refusal) {
    switch (refusal) {
        case Refusal::kUnreadable:
            return "Error reading RLE\n";
        case Refusal::kTooBig:
            return "RLE too big";
        case Refusal::kNone:
            break;
    }
    return "";
}

Box CellMap::getBounds() const {
    return {-m_dx, m_width - 1 - m_dx, m_dy - m_height + 1, m_dy};
}

}  // namespace trelkan
