#include "run/testpattern.h"

#include <algorithm>
#include <optional>

#include "catalogue/componentregister.h"
#include "compound/compoundcomponent.h"
#include "run/search.h"

namespace trelkan {
namespace {

// Room around the largest pair in each grid cell.
constexpr std::int32_t kCellMargin = 10;
// Written after the names of a sequence that is listed; no result ever carries it.
constexpr const char* kPatternText = "???";

// The variant of index i, or none for -1, the grid's heading row and column.
ComponentVariant* variantAt(const ComponentRegister& catalogue, std::int32_t i) {
    return i < 0 ? nullptr : &catalogue.variant(i);
}

const BasicComponent& componentOf(const ComponentRegister& catalogue,
                                  const ComponentVariant& variant) {
    return catalogue.component(variant.componentIndex());
}

// Puts first (when given) at the point and second (when given) at its output, or alone at the
// point.
void drawEntry(CompoundComponent& chain, const ComponentRegister& catalogue, std::int32_t x,
               std::int32_t y, ComponentVariant* first, ComponentVariant* second) {
    if (first != nullptr) {
        chain.start(x, y, kF, componentOf(catalogue, *first), first);
        if (second != nullptr) {
            chain.appendWithVariant(componentOf(catalogue, *second), second);
        }
    } else if (second != nullptr) {
        chain.start(x, y, kF, componentOf(catalogue, *second), second);
    }
}

struct GridCell {
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// The largest allowed pair, measured in the grid's own compound and taken out again.
GridCell measureCells(CompoundComponent& grid, const ComponentRegister& catalogue) {
    GridCell cell;
    for (std::int32_t i = 0; i < catalogue.variantCount(); ++i) {
        ComponentVariant& first = catalogue.variant(i);
        grid.start(0, 0, kF, componentOf(catalogue, first), &first);
        for (std::int32_t j = 0; j < catalogue.variantCount(); ++j) {
            ComponentVariant& second = catalogue.variant(j);
            if (!catalogue.canFollow(first, second)) {
                continue;
            }
            grid.appendWithVariant(componentOf(catalogue, second), &second);
            const Box box = grid.bounds();
            cell.width = std::max(cell.width, box.maxX - box.minX);
            cell.height = std::max(cell.height, box.maxY - box.minY);
            grid.removeLast();
        }
        grid.removeLast();
    }
    return {cell.width + kCellMargin, cell.height + kCellMargin};
}

}  // namespace

TestPattern::TestPattern(Console& console) : m_console(console) {}

int TestPattern::draw() {
    const std::unique_ptr<ComponentRegister> catalogue = loadCatalogue(m_console);
    if (!catalogue) {
        return 1;
    }
    catalogue->prepare(0, 0, false, false);
    m_console.write("Generating test pattern...\n");
    drawVariantGrid(*catalogue);
    drawSequences(*catalogue);
    m_console.closeFiles();
    return m_console.writeFailed() ? kFailedRun : 0;
}

void TestPattern::write(const CompoundComponent& chain) {
    if (m_console.patternEnabled()) {
        chain.writePattern(m_console.patternWriter(), true);
    }
}

void TestPattern::drawVariantGrid(const ComponentRegister& catalogue) {
    const std::int32_t n = catalogue.variantCount();
    const std::int32_t maxVariants = catalogue.maxVariants();
    CompoundComponent grid(2 * n + 2 * n * n, maxVariants, 0, kPatternText);
    CompoundComponent measure(2, maxVariants, 0, kPatternText);
    const GridCell cell = measureCells(grid, catalogue);
    for (std::int32_t i = -1; i < n; ++i) {
        for (std::int32_t j = -1; j < n; ++j) {
            ComponentVariant* first = variantAt(catalogue, i);
            ComponentVariant* second = variantAt(catalogue, j);
            if (first != nullptr && second != nullptr && !catalogue.canFollow(*first, *second)) {
                continue;
            }
            // The entry's box centred on the cell's point (width j, height i).
            measure.clear();
            drawEntry(measure, catalogue, 0, 0, first, second);
            const Box box = measure.bounds();
            const std::int32_t x = (box.minX - box.maxX) / 2 - box.minX + cell.width * j;
            const std::int32_t y = (box.minY - box.maxY) / 2 - box.minY + cell.height * i;
            drawEntry(grid, catalogue, x, y, first, second);
        }
    }
    write(grid);
}

void TestPattern::drawSequences(ComponentRegister& catalogue) {
    constexpr std::int32_t kLength = ComponentRegister::kMaxSequenceLength;
    const std::int32_t maxVariants = catalogue.maxVariants();
    while (const std::optional<ComponentSequence> sequence = catalogue.popSequence()) {
        CompoundComponent chain(kLength, maxVariants, kLength * maxVariants, kPatternText);
        for (const BasicComponent* component : *sequence) {
            chain.append(*component);
        }
        if (chain.compose(false) != 0) {
            chain.print(0, m_console);
            m_console.write(" - unnecessary sequence\n");
        }
        write(chain);
    }
}

}  // namespace trelkan
