#include "tools/catalogue/reaction.h"

#include <algorithm>
#include <cassert>

#include "tools/catalogue/cellgroups.h"
#include "tools/catalogue/naturalglider.h"

namespace trelkan::builder {
namespace {

// The area is the box of everything drawn, widened by this; a glider wholly outside it and
// heading away never comes back.
constexpr std::int32_t kAreaMargin = 3;
// Room between the area and the field's edge for gliders to be recognised and taken out.
constexpr std::int32_t kFieldMargin = 16;
// Cells this close to the field's edge mean that something other than a glider got out.
constexpr std::int32_t kEdgeBand = 2;
// Gliders are told apart from other objects by this much empty space around them.
constexpr std::int32_t kGliderClearance = 3;
// Debris that repeats with a period up to this is caught without waiting for the limit.
constexpr std::int64_t kSnapshotInterval = 32;
constexpr std::int64_t kLongestCaughtPeriod = 6;

bool headsAway(const Box& glider, const GliderPath& path, const Box& area) {
    return (path.vx > 0 && glider.minX > area.maxX) || (path.vx < 0 && glider.maxX < area.minX) ||
           (path.vy > 0 && glider.minY > area.maxY) || (path.vy < 0 && glider.maxY < area.minY);
}

Box areaOf(const std::vector<LifeCell>& catalysts, const std::vector<SignalPlace>& places,
           const Box& reach) {
    Box box = boxOf(catalysts);
    box.include(reach);
    for (const SignalPlace& place : places) {
        box.include(boxOf(predecessorAt(place)));
        box.include(boxOf(herschelAt(place)));
    }
    return widened(box, kAreaMargin);
}

std::int64_t takeTime(const OutputEvent& output) {
    return output.form == OutputForm::kPredecessor ? output.time - kPredecessorLead : output.time;
}

}  // namespace

std::string_view outcomeText(Outcome outcome) {
    switch (outcome) {
        case Outcome::kRunning:
            return "still running";
        case Outcome::kRecovered:
            return "recovered";
        case Outcome::kOutputMissing:
            return "the output does not appear";
        case Outcome::kEscaped:
            return "something other than a glider leaves the conduit";
        case Outcome::kDebris:
            return "debris is left behind";
        case Outcome::kUnsettled:
            return "the conduit does not settle";
    }
    return "?";
}

Reaction::Reaction(const std::vector<LifeCell>& catalysts, const std::vector<SignalPlace>& places,
                   const Box& reach, std::int64_t startGeneration, bool trackEverAlive)
    : m_field(widened(areaOf(catalysts, places, reach), kFieldMargin)),
      m_area(areaOf(catalysts, places, reach)),
      m_lastEvent(startGeneration) {
    m_field.add(catalysts);
    auto reference = std::make_shared<Field>(m_field.box());
    reference->add(catalysts);
    m_catalysts = std::move(reference);
    m_field.setGeneration(startGeneration);
    if (trackEverAlive) {
        m_field.trackEverAlive();
    }
}

void Reaction::addInput(const InputEvent& input) {
    assert(input.time - kPredecessorLead >= generation());
    resume();
    m_inputs.push_back(input);
    m_lastEvent = std::max(m_lastEvent, input.time);
    handleEvents();
}

void Reaction::addOutput(const OutputEvent& output) {
    assert(takeTime(output) >= generation());
    resume();
    m_outputs.push_back(output);
    m_lastEvent = std::max(m_lastEvent, output.time);
    handleEvents();
}

void Reaction::resume() {
    if (m_outcome == Outcome::kRecovered) {
        m_outcome = Outcome::kRunning;
    }
}

bool Reaction::eventsPending() const {
    return !m_inputs.empty() || !m_outputs.empty() || !m_drops.empty();
}

bool Reaction::takeOutput(const OutputEvent& output) {
    const std::vector<LifeCell> cells = output.form == OutputForm::kPredecessor
                                            ? predecessorAt(output.place)
                                            : herschelAt(output.place);
    if (!isolatedIn(m_field, cells)) {
        return false;
    }
    m_field.erase(cells);
    if (output.releaseGlider && output.form == OutputForm::kHerschel) {
        const NaturalGlider& glider = firstNaturalGlider();
        GliderDrop drop;
        drop.time = output.time + glider.generation;
        drop.cells = cellsInFrame(output.place, glider.cells);
        drop.path = *gliderPath(drop.cells, drop.time);
        m_released.insert(drop.path);
        m_lastEvent = std::max(m_lastEvent, drop.time);
        m_drops.push_back(std::move(drop));
    }
    return true;
}

void Reaction::handleEvents() {
    if (m_outcome != Outcome::kRunning) {
        return;
    }
    const std::int64_t now = generation();
    for (auto it = m_outputs.begin(); it != m_outputs.end();) {
        if (takeTime(*it) != now) {
            ++it;
            continue;
        }
        if (!takeOutput(*it)) {
            m_outcome = Outcome::kOutputMissing;
            return;
        }
        it = m_outputs.erase(it);
    }
    for (auto it = m_inputs.begin(); it != m_inputs.end();) {
        if (it->time - kPredecessorLead != now) {
            ++it;
            continue;
        }
        m_field.add(predecessorAt(it->place));
        it = m_inputs.erase(it);
    }
    for (auto it = m_drops.begin(); it != m_drops.end();) {
        if (it->time != now) {
            ++it;
            continue;
        }
        m_field.add(it->cells);
        it = m_drops.erase(it);
    }
}

void Reaction::releaseDepartedGliders() {
    if (!m_field.changedOutside(m_area)) {
        return;
    }
    std::vector<LifeCell> seen;
    for (const LifeCell& start : m_field.cellsOutside(m_area)) {
        if (std::binary_search(seen.begin(), seen.end(), start)) {
            continue;
        }
        // The object around the cell, given up as soon as it cannot be a departing glider.
        std::vector<LifeCell> object = {start};
        bool candidate = true;
        for (std::size_t i = 0; i < object.size() && candidate; ++i) {
            const LifeCell cell = object[i];
            for (std::int32_t dy = -kGliderClearance; dy <= kGliderClearance && candidate; ++dy) {
                for (std::int32_t dx = -kGliderClearance; dx <= kGliderClearance; ++dx) {
                    const LifeCell near{cell.x + dx, cell.y + dy};
                    if (!m_field.get(near.x, near.y) ||
                        std::find(object.begin(), object.end(), near) != object.end()) {
                        continue;
                    }
                    object.push_back(near);
                    if (object.size() > 5 || m_area.contains(near.x, near.y)) {
                        candidate = false;
                        break;
                    }
                }
            }
        }
        std::sort(object.begin(), object.end());
        seen.insert(seen.end(), object.begin(), object.end());
        std::sort(seen.begin(), seen.end());
        if (!candidate) {
            continue;
        }
        const std::optional<GliderPath> path = gliderPath(object, generation());
        if (!path || !headsAway(boxOf(object), *path, m_area)) {
            continue;
        }
        m_field.erase(object);
        if (m_released.count(*path) == 0) {
            m_emitted.push_back({*path, generation(), object});
        }
    }
}

void Reaction::decideIfSettled() {
    if (eventsPending()) {
        // A still field makes no output: no need to wait for the generation it was due.
        if (!m_field.changed() && m_inputs.empty() && m_drops.empty()) {
            m_outcome = Outcome::kOutputMissing;
        }
        return;
    }
    if (!m_field.changed()) {
        m_outcome = m_field.sameCells(*m_catalysts) ? Outcome::kRecovered : Outcome::kDebris;
        return;
    }
    const std::int64_t now = generation();
    const std::int64_t phase = now % kSnapshotInterval;
    if (phase == 0) {
        m_snapshot = m_field;
    } else if (m_snapshot && phase >= 2 && phase <= kLongestCaughtPeriod &&
               m_snapshot->generation() == now - phase && m_snapshot->sameCells(m_field)) {
        m_outcome = Outcome::kDebris;
        return;
    }
    if (now > m_lastEvent + kSettleLimit) {
        m_outcome = Outcome::kUnsettled;
    }
}

void Reaction::stepOnce() {
    m_field.step();
    if (m_field.changedNearEdge(kEdgeBand)) {
        m_outcome = Outcome::kEscaped;
        return;
    }
    handleEvents();
    if (m_outcome != Outcome::kRunning) {
        return;
    }
    releaseDepartedGliders();
    decideIfSettled();
}

void Reaction::runTo(std::int64_t target) {
    while (m_outcome == Outcome::kRunning && generation() < target) {
        stepOnce();
    }
}

Outcome Reaction::finish() {
    while (m_outcome == Outcome::kRunning) {
        stepOnce();
    }
    return m_outcome;
}

std::vector<Sighting> Reaction::search(const std::vector<OutputWatch>& watches,
                                       std::int64_t limit) {
    std::vector<Sighting> sightings;
    std::vector<bool> taken(watches.size(), false);
    // For each watch, the generations at which its predecessor stood clean.
    std::vector<std::vector<std::int64_t>> predecessorSeen(watches.size());
    while (m_outcome == Outcome::kRunning && generation() < limit) {
        stepOnce();
        for (std::size_t i = 0; i < watches.size() && m_outcome == Outcome::kRunning; ++i) {
            if (taken[i]) {
                continue;
            }
            const std::vector<LifeCell> predecessor = predecessorAt(watches[i].place);
            const bool predecessorClean = isolatedIn(m_field, predecessor);
            if (predecessorClean) {
                predecessorSeen[i].push_back(generation());
            }
            if (watches[i].form == OutputForm::kPredecessor) {
                if (predecessorClean) {
                    m_field.erase(predecessor);
                    sightings.push_back({i, generation() + kPredecessorLead, true});
                    taken[i] = true;
                }
                continue;
            }
            const std::vector<LifeCell> herschel = herschelAt(watches[i].place);
            if (isolatedIn(m_field, herschel)) {
                const auto& seen = predecessorSeen[i];
                const bool built = std::find(seen.begin(), seen.end(),
                                             generation() - kPredecessorLead) != seen.end();
                m_field.erase(herschel);
                sightings.push_back({i, generation(), built});
                taken[i] = true;
            }
        }
    }
    return sightings;
}

}  // namespace trelkan::builder
