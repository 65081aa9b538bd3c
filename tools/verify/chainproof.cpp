#include "tools/verify/chainproof.h"

#include <algorithm>
#include <cassert>

#include "base/direction.h"
#include "base/format.h"
#include "compound/compoundcomponent.h"
#include "life/herschel.h"
#include "tools/catalogue/cellgroups.h"
#include "tools/catalogue/glider.h"
#include "tools/catalogue/naturalglider.h"

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

std::vector<LifeCell> placedCells(const std::vector<LifeCell>& local, std::int32_t x,
                                  std::int32_t y, Direction dir) {
    std::vector<LifeCell> cells;
    for (const LifeCell& cell : local) {
        const Offset turned = turnOffset(dir, cell.x, cell.y);
        cells.push_back({x + turned.x, y + turned.y});
    }
    return cells;
}

void erase(LifeGrid& grid, const std::vector<LifeCell>& cells) {
    for (const LifeCell& cell : cells) {
        grid.set(cell.x, cell.y, false);
    }
}

// Everything outside the area is gliders: what the chain sends out, on its way.
bool onlyGlidersOutside(const LifeGrid& grid, const Box& area) {
    std::vector<LifeCell> outside;
    for (const LifeCell& cell : grid.cells()) {
        if (!area.contains(cell.x, cell.y)) {
            outside.push_back(cell);
        }
    }
    for (const std::vector<LifeCell>& group : builder::groupCells(outside, 2)) {
        if (!builder::gliderPath(group, grid.generation())) {
            return false;
        }
    }
    return true;
}

// Room between the compared area and where leaving gliders are taken.
constexpr std::int32_t kGliderClearance = 8;
// More than a glider takes to cross the clearance.
constexpr std::int64_t kSettlingGenerations = 64;

// The index of GliderEmission's count for a glider's velocity; y grows southwards.
std::size_t directionIndex(const builder::GliderPath& path) {
    return (path.vy > 0 ? 2 : 0) + (path.vx < 0 ? 1 : 0);
}

// Counts and removes the gliders wholly outside the box; anything else there stays.
void takeLeavingGliders(LifeGrid& grid, const Box& box, std::array<std::int64_t, 4>& counts) {
    std::vector<LifeCell> outside;
    for (const LifeCell& cell : grid.cells()) {
        if (!box.contains(cell.x, cell.y)) {
            outside.push_back(cell);
        }
    }
    for (const std::vector<LifeCell>& group : builder::groupCells(outside, 2)) {
        if (const auto path = builder::gliderPath(group, grid.generation())) {
            ++counts[directionIndex(*path)];
            erase(grid, group);
        }
    }
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
        proof.m_inputs.push_back({place.x(), place.y(), place.dir()});
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
    const SignalState& start = m_inputs[m_start];
    const std::vector<LifeCell> input = predecessorCells(start.x, start.y, start.dir);
    cells.insert(cells.end(), input.begin(), input.end());
    std::sort(cells.begin(), cells.end());
    return cells;
}

std::int64_t ChainProof::signalsAt(std::int64_t period) const {
    if (!isLoop() || period <= 0 || m_delay % period != 0) {
        return 1;
    }
    return m_delay / period;
}

// The grid's generation 0 is the chain's generation -4, when the predecessor stands.
LifeGrid ChainProof::fedGrid(std::int64_t period, std::int64_t signals) const {
    LifeGrid grid(startPattern());
    for (std::int64_t signal = 1; signal < signals; ++signal) {
        grid.run(period);
        const SignalState& start = m_inputs[m_start];
        grid.add(predecessorCells(start.x, start.y, start.dir));
    }
    return grid;
}

std::vector<LifeCell> ChainProof::runningPattern(std::int64_t period) const {
    return fedGrid(period, signalsAt(period)).cells();
}

std::vector<LifeCell> ChainProof::steadyPattern(std::int32_t margin, std::int64_t period) const {
    assert(isLoop());
    const std::int64_t step = loopStep(period);
    LifeGrid grid = fedGrid(step, signalsAt(period));
    // Where checkLoopFrom compares one period with the next.
    grid.run(steadyGeneration(step, margin) + kPredecessorLead - grid.generation());
    return grid.cellsIn(widen(m_box, margin));
}

std::string ChainProof::missingOutput(std::int64_t generation) const {
    return formatMessage("no Herschel at (%d, %d) facing %s at generation %lld", m_endX, m_endY,
                         std::string(directionWord(m_endDir)).c_str(),
                         static_cast<long long>(generation));
}

std::optional<std::string> ChainProof::check(std::int32_t margin, std::int64_t period) {
    return isLoop() ? checkLoop(margin, period) : checkOpenChain(margin);
}

// The stand-in takes the output Herschel (or, for an output with the tail block, its
// predecessor, which is all that forms cleanly) away when it appears.
std::optional<std::string> ChainProof::checkOpenChain(std::int32_t margin) const {
    LifeGrid grid(startPattern());
    grid.run(m_delay);
    LifeGrid atPredecessor = grid;
    const std::vector<LifeCell> predecessor = predecessorCells(m_endX, m_endY, m_endDir);
    const bool predecessorSeen = hasIsolated(grid, predecessor, m_catalysts);
    grid.run(kPredecessorLead);
    const std::vector<LifeCell> herschel = herschelCells(m_endX, m_endY, m_endDir);
    const bool herschelSeen = hasIsolated(grid, herschel, m_catalysts);
    if (!predecessorSeen && !herschelSeen) {
        return missingOutput(m_delay);
    }
    const Box area = widen(m_box, margin);
    bool recovers = false;
    if (herschelSeen) {
        erase(grid, herschel);
        recovers = catalystsComeBack(grid, area, false) || catalystsComeBack(grid, area, true);
    } else {
        erase(atPredecessor, predecessor);
        recovers = catalystsComeBack(atPredecessor, area, false);
    }
    if (!recovers) {
        return formatMessage("the catalysts are not back %lld generations after the output",
                             static_cast<long long>(kSettleLimit));
    }
    return std::nullopt;
}

bool ChainProof::catalystsComeBack(LifeGrid grid, const Box& area, bool releaseGlider) const {
    const builder::NaturalGlider& glider = builder::firstNaturalGlider();
    const std::int64_t drop = grid.generation() + glider.generation;
    for (std::int64_t step = 0; step <= kSettleLimit + glider.generation; ++step) {
        if (releaseGlider && grid.generation() == drop) {
            grid.add(placedCells(glider.cells, m_endX, m_endY, m_endDir));
        }
        if ((!releaseGlider || grid.generation() > drop) && grid.cellsIn(area) == m_catalysts &&
            onlyGlidersOutside(grid, area)) {
            return true;
        }
        grid.step();
    }
    return false;
}

std::optional<std::string> ChainProof::checkLoop(std::int32_t margin, std::int64_t period) {
    if (period > 0 && m_delay % period != 0) {
        return formatMessage("the delay %lld is not a multiple of the period %lld",
                             static_cast<long long>(m_delay), static_cast<long long>(period));
    }
    // A signal fed in at a conduit's input comes without what the conduit before would have left
    // for it to clean up, so its first passage may go wrong where every later one is right: the
    // loop F166a Fx77a L112a Lx142a twice dies fed in at F166a, where Lx142a's leftovers are
    // missing, and runs fed in at any other conduit. The loop works if it runs from any start.
    std::optional<std::string> firstFailure;
    for (std::size_t start = 0; start < m_inputs.size(); ++start) {
        m_start = start;
        std::optional<std::string> failure = checkLoopFrom(margin, period);
        if (!failure) {
            return std::nullopt;
        }
        if (!firstFailure) {
            firstFailure = std::move(failure);
        }
    }
    m_start = 0;
    return firstFailure;
}

std::optional<std::string> ChainProof::checkLoopFrom(std::int32_t margin,
                                                     std::int64_t period) const {
    const std::int64_t step = loopStep(period);
    LifeGrid grid = fedGrid(step, signalsAt(period));
    // The first signal comes back to the start as its predecessor, at the chain's delay - 4.
    grid.run(m_delay - grid.generation());
    if (!signalArrives(grid)) {
        return missingOutput(m_delay);
    }
    // Once steady, a signal is back at the start every period, and inside the chain's box the next
    // period must look the same. Gliders that leave are outside it by then.
    const Box area = widen(m_box, margin);
    const std::int64_t steady = steadyGeneration(step, margin);
    grid.run(steady - grid.generation());
    if (!signalArrives(grid)) {
        return missingOutput(steady);
    }
    const std::vector<LifeCell> first = grid.cellsIn(area);
    grid.run(step);
    if (grid.cellsIn(area) != first) {
        return formatMessage("the pattern does not repeat with period %lld",
                             static_cast<long long>(step));
    }
    return std::nullopt;
}

bool ChainProof::signalArrives(LifeGrid& grid) const {
    const SignalState& start = m_inputs[m_start];
    const bool predecessor =
        hasIsolated(grid, predecessorCells(start.x, start.y, start.dir), m_catalysts);
    grid.run(kPredecessorLead);
    return predecessor ||
           hasIsolated(grid, herschelCells(start.x, start.y, start.dir), m_catalysts);
}

std::int64_t ChainProof::steadyGeneration(std::int64_t step, std::int32_t margin) const {
    // The signals fed in came without what the conduit before the start sends ahead of its
    // output, so the loop is steady only once the last of them has been round. What they did
    // differently goes on in the gliders they sent out until those are beyond the area and its
    // clearance; a glider moves one cell in four generations.
    const Box clear = widen(m_box, margin + kGliderClearance);
    const std::int64_t side =
        std::max(std::int64_t{clear.maxX} - clear.minX, std::int64_t{clear.maxY} - clear.minY) + 1;
    const std::int64_t crossing = 4 * side;
    const std::int64_t rounds = m_delay / step - 1 + (crossing + step - 1) / step;
    return m_delay + rounds * step;
}

GliderEmission ChainProof::emission(std::int32_t margin, std::int64_t period) const {
    assert(isLoop());
    GliderEmission emission;
    emission.period = loopStep(period);
    LifeGrid grid = fedGrid(emission.period, signalsAt(period));
    grid.run(steadyGeneration(emission.period, margin) + kPredecessorLead - grid.generation());
    // Gliders are taken once they are this far beyond the compared area, where they can no longer
    // touch anything of the loop. The area repeats already, so what is counted in a period is what
    // the loop sends out every period, once the gliders that left before, and are still on their
    // way through the clearance, have been taken: the first whole periods of kSettlingGenerations.
    const Box clear = widen(m_box, margin + kGliderClearance);
    const std::int64_t settling = (kSettlingGenerations / emission.period + 1) * emission.period;
    std::array<std::int64_t, 4> ignored{};
    for (auto [counts, generations] :
         {std::pair{&ignored, settling}, std::pair{&emission.gliders, emission.period}}) {
        for (std::int64_t step = 0; step < generations; ++step) {
            // A glider moves one cell in four generations: none slips past the clearance.
            if (step % 4 == 0) {
                takeLeavingGliders(grid, clear, *counts);
            }
            grid.step();
        }
    }
    return emission;
}

std::int64_t ChainProof::showingTime(std::int64_t period) const {
    return isLoop() ? 4 * loopStep(period) : m_delay + kPredecessorLead + kSettleLimit;
}

std::string GliderEmission::describe() const {
    if (!isGun()) {
        return "oscillator";
    }
    std::vector<std::string> parts;
    for (std::size_t d = 0; d < gliders.size(); ++d) {
        if (gliders[d] != 0) {
            const auto count = static_cast<long long>(gliders[d]);
            parts.push_back(parts.empty()
                                ? formatMessage("%lld glider%s towards %s", count,
                                                count == 1 ? "" : "s", kDirectionNames[d])
                                : formatMessage("%lld towards %s", count, kDirectionNames[d]));
        }
    }
    std::string text =
        formatMessage("gun, every %lld generations ", static_cast<long long>(period));
    for (std::size_t i = 0; i < parts.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == parts.size() ? " and " : ", ") + parts[i];
    }
    return text;
}

std::string ChainProof::describe(std::int64_t period) const {
    if (isLoop()) {
        if (period > 0 && m_delay % period != 0) {
            return formatMessage("loop of delay %lld", static_cast<long long>(m_delay));
        }
        const std::int64_t signals = signalsAt(period);
        if (signals == 1) {
            return formatMessage("loop of period %lld", static_cast<long long>(m_delay));
        }
        return formatMessage("loop of period %lld with %lld signals",
                             static_cast<long long>(m_delay / signals),
                             static_cast<long long>(signals));
    }
    return formatMessage("delay %lld to (%d, %d) facing %s", static_cast<long long>(m_delay),
                         m_endX, m_endY, std::string(directionWord(m_endDir)).c_str());
}

}  // namespace trelkan
