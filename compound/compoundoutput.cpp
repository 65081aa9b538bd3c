// The two forms in which a chain is reported: its line of text and its cells in the pattern file.
#include <vector>

#include "compound/compoundcomponent.h"
#include "run/output.h"
#include "run/rlewriter.h"

namespace trelkan {
namespace {

// Rows that separate one pattern from the next in the file's single picture.
constexpr int kSeparatingRows = 50;

}  // namespace

void CompoundComponent::print(std::int32_t setNumber) {
    const std::int32_t chainArea = area();
    writeOutput(setNumber != 0 ? formatMessage("(%d @ %d)", chainArea, setNumber)
                               : formatMessage("(%d)", chainArea));
    for (std::int32_t i = 0; i < m_count; ++i) {
        const ShiftedComponent& place = m_list[static_cast<std::size_t>(i)];
        writeOutput(" ");
        if (place.variant() != nullptr) {
            place.printName();
        } else {
            // A chain that could not be realised may have places the solver never reached:
            // they are named by their component.
            writeOutput(place.component()->name());
        }
    }
    writeOutput(m_string);
}

void CompoundComponent::writePattern(bool keepOrientation) const {
    if (!patternEnabled()) {
        return;
    }
    const Box box = bounds();
    // Rows run along x, unless the picture is taller than wide and may be turned.
    const bool alongX = keepOrientation || box.maxX - box.minX >= box.maxY - box.minY;
    const std::int32_t rowFirst = alongX ? box.minY : box.minX;
    const std::int32_t rowLast = alongX ? box.maxY : box.maxX;
    const std::int32_t cellFirst = alongX ? box.minX : box.minY;
    const std::int32_t cellLast = alongX ? box.maxX : box.maxY;
    std::vector<bool> row(static_cast<std::size_t>(cellLast - cellFirst + 1));
    RleWriter& writer = patternWriter();
    for (std::int32_t r = rowFirst; r <= rowLast; ++r) {
        std::fill(row.begin(), row.end(), false);
        // Only the places whose box meets this row are asked, and only within their box.
        for (std::int32_t i = 0; i < m_count; ++i) {
            const ShiftedComponent& place = m_list[static_cast<std::size_t>(i)];
            const Box placed = place.placedBox();
            const bool meets = alongX ? (r >= placed.minY && r <= placed.maxY)
                                      : (r >= placed.minX && r <= placed.maxX);
            if (!meets) {
                continue;
            }
            const std::int32_t from = std::max(alongX ? placed.minX : placed.minY, cellFirst);
            const std::int32_t to = std::min(alongX ? placed.maxX : placed.maxY, cellLast);
            for (std::int32_t c = from; c <= to; ++c) {
                if (alongX ? place.isImageCell(c, r) : place.isImageCell(r, c)) {
                    row[static_cast<std::size_t>(c - cellFirst)] = true;
                }
            }
        }
        for (const bool live : row) {
            writer.putCell(live ? RleWriter::kLive : RleWriter::kDead);
        }
        writer.putCell(RleWriter::kRowEnd);
    }
    for (int i = 0; i < kSeparatingRows; ++i) {
        writer.putCell(RleWriter::kRowEnd);
    }
    writer.endPattern();
}

}  // namespace trelkan
