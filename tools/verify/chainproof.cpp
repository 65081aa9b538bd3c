#include "tools/verify/chainproof.h"

#include <algorithm>

#include "catalogue/direction.h"
#include "compound/compoundcomponent.h"
#include "life/herschel.h"
#include "run/output.h"

namespace trelkan {
namespace {

// The live cells of a variant's image at its place.
void addImageCells(const ShiftedComponent& place, std::vector<LifeCell>& cells) {
    const CellMap& image = *place.variant()->imageMap();
    const Box box = image.getBounds();
    for (std::int32_t y = box.minY; y <= box.maxY; ++y) {
        for (std::int32_t x = box.minX; x <= box.maxX; ++x) {
            if (image.getCell(x, y)) {
                const Offset turned = turnOffset(place.dir(), x, y);
                cells.push_back({place.x() + turned.x, place.y() + turned.y});
            }
        }
    }
}

Box widen(const Box& box, std::int32_t margin) {
    return {box.minX - margin, box.maxX + margin, box.minY - margin, box.maxY + margin};
}

}  // namespace

std::optional<ChainProof> ChainProof::build(const ComponentRegister& catalogue,
                                            const std::vector<std::string>& names,
                                            std::string& error) {
    const auto count = static_cast<std::int32_t>(names.size());
    CompoundComponent chain(count, 1, 0, "");
    for (const std::string& name : names) {
        ComponentVariant* variant = catalogue.findVariant(name, true);
        if (variant == nullptr) {
            error = "unknown variant " + name;
            return std::nullopt;
        }
        chain.appendWithVariant(catalogue.component(variant->componentIndex()), variant);
    }
    ChainProof proof;
    for (std::int32_t i = 0; i < count; ++i) {
        const ShiftedComponent& place = chain.place(i);
        addImageCells(place, proof.m_catalysts);
        proof.m_delay += place.component()->dt();
    }
    std::sort(proof.m_catalysts.begin(), proof.m_catalysts.end());
    proof.m_catalysts.erase(std::unique(proof.m_catalysts.begin(), proof.m_catalysts.end()),
                            proof.m_catalysts.end());
    proof.m_endX = chain.endX();
    proof.m_endY = chain.endY();
    proof.m_endDir = chain.endDir();
    proof.m_box = chain.bounds();
    return proof;
}

std::vector<LifeCell> ChainProof::startPattern() const {
    std::vector<LifeCell> cells = m_catalysts;
    const std::vector<LifeCell> input = predecessorCells(0, 0, kF);
    cells.insert(cells.end(), input.begin(), input.end());
    std::sort(cells.begin(), cells.end());
    return cells;
}

std::optional<std::string> ChainProof::check(std::int32_t margin) const {
    // The predecessor stands at generation -4, so after delay steps it is the end's turn to show
    // the predecessor, and four steps later the Herschel.
    LifeGrid grid(startPattern());
    grid.run(m_delay);
    const bool predecessor =
        hasIsolated(grid, predecessorCells(m_endX, m_endY, m_endDir), m_catalysts);
    grid.run(kPredecessorLead);
    const bool herschel = hasIsolated(grid, herschelCells(m_endX, m_endY, m_endDir), m_catalysts);
    if (!predecessor && !herschel) {
        return formatMessage("no Herschel at (%d, %d) facing %s at generation %lld", m_endX, m_endY,
                             std::string(directionWord(m_endDir)).c_str(),
                             static_cast<long long>(m_delay));
    }
    if (!isLoop()) {
        return std::nullopt;
    }
    // One period has passed; inside the chain's box the next period must look the same. Gliders
    // that leave are outside it by then.
    const Box area = widen(m_box, margin);
    const std::vector<LifeCell> first = grid.cellsIn(area);
    grid.run(m_delay);
    if (grid.cellsIn(area) != first) {
        return formatMessage("the pattern does not repeat with period %lld",
                             static_cast<long long>(m_delay));
    }
    return std::nullopt;
}

std::string ChainProof::describe() const {
    if (isLoop()) {
        return formatMessage("loop of period %lld", static_cast<long long>(m_delay));
    }
    return formatMessage("delay %lld to (%d, %d) facing %s", static_cast<long long>(m_delay),
                         m_endX, m_endY, std::string(directionWord(m_endDir)).c_str());
}

}  // namespace trelkan
