// The two forms in which a chain is reported: its line of text and its cells in the pattern file.
#include <algorithm>
#include <vector>

#include "base/format.h"
#include "compound/compoundcomponent.h"

namespace trelkan {
namespace {

// Rows that separate one pattern from the next in the file's single picture.
constexpr int kSeparatingRows = 50;

}  // namespace

void CompoundComponent::print(std::int64_t setNumber, TextSink& out) {
    const std::int32_t chainArea = area();
    out.write(setNumber != 0
                  ? formatMessage("(%d @ %lld)", chainArea, static_cast<long long>(setNumber))
                  : formatMessage("(%d)", chainArea));
    for (std::int32_t i = 0; i < m_count; ++i) {
        const ShiftedComponent& place = m_list[static_cast<std::size_t>(i)];
        out.write(" ");
        if (place.variant() != nullptr) {
            place.printName(out);
        } else {
            // A chain that could not be realised may have places the solver never reached:
            // they are named by their component.
            out.write(place.component()->name());
        }
    }
    out.write(m_string);
}

void CompoundComponent::writePattern(RleWriter& writer, bool keepOrientation,
                                     const std::atomic<bool>* running) const {
    const Box box = bounds();
    // Rows run along x, unless the picture is taller than wide and may be turned.
    const bool alongX = keepOrientation || box.maxX - box.minX >= box.maxY - box.minY;
    const std::int32_t rowFirst = alongX ? box.minY : box.minX;
    const std::int32_t rowLast = alongX ? box.maxY : box.maxX;
    const std::int32_t cellFirst = alongX ? box.minX : box.minY;
    const std::int32_t cellLast = alongX ? box.maxX : box.maxY;

    // The places by the first row their box meets. A catalogue's test pattern has tens of
    // thousands of places over tens of thousands of rows: each row asks only the places whose box
    // meets it, found by a sweep, rather than every place.
    struct Span {
        std::int32_t firstRow;
        std::int32_t lastRow;
        std::int32_t firstCell;
        std::int32_t lastCell;
        const ShiftedComponent* place;
    };
    std::vector<Span> spans;
    spans.reserve(static_cast<std::size_t>(m_count));
    for (std::int32_t i = 0; i < m_count; ++i) {
        const ShiftedComponent& place = m_list[static_cast<std::size_t>(i)];
        const Box placed = place.placedBox();
        if (placed.isEmpty()) {
            continue;
        }
        spans.push_back(alongX ? Span{placed.minY, placed.maxY, placed.minX, placed.maxX, &place}
                               : Span{placed.minX, placed.maxX, placed.minY, placed.maxY, &place});
    }
    std::stable_sort(spans.begin(), spans.end(),
                     [](const Span& a, const Span& b) { return a.firstRow < b.firstRow; });

    // Each row visits the cells of the places that meet it, never the whole width of the box: a
    // result spread far and wide costs what its places cost. The row counter is 64 bits wide, so
    // that a box reaching the largest coordinate ends.
    std::vector<std::int32_t> live;
    std::vector<const Span*> meeting;
    std::size_t nextSpan = 0;
    for (std::int64_t row = rowFirst; row <= rowLast; ++row) {
        if (running != nullptr && !running->load(std::memory_order_relaxed)) {
            break;
        }
        const auto r = static_cast<std::int32_t>(row);
        while (nextSpan < spans.size() && spans[nextSpan].firstRow <= r) {
            meeting.push_back(&spans[nextSpan++]);
        }
        std::erase_if(meeting, [r](const Span* span) { return span->lastRow < r; });
        live.clear();
        for (const Span* span : meeting) {
            const std::int32_t from = std::max(span->firstCell, cellFirst);
            const std::int32_t to = std::min(span->lastCell, cellLast);
            for (std::int64_t c = from; c <= to; ++c) {
                const auto cell = static_cast<std::int32_t>(c);
                if (alongX ? span->place->isImageCell(cell, r)
                           : span->place->isImageCell(r, cell)) {
                    live.push_back(cell);
                }
            }
        }
        std::sort(live.begin(), live.end());
        live.erase(std::unique(live.begin(), live.end()), live.end());
        std::int64_t next = cellFirst;
        for (const std::int32_t cell : live) {
            writer.putRun(cell - next, RleWriter::kDead);
            writer.putCell(RleWriter::kLive);
            next = std::int64_t{cell} + 1;
        }
        writer.putCell(RleWriter::kRowEnd);
    }
    for (int i = 0; i < kSeparatingRows; ++i) {
        writer.putCell(RleWriter::kRowEnd);
    }
    writer.endPattern();
}

}  // namespace trelkan
