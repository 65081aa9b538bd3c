#include "tools/catalogue/passage.h"

#include <algorithm>
#include <cassert>
#include <iterator>

#include "tools/catalogue/cellgroups.h"
#include "tools/catalogue/conduitproof.h"
#include "tools/catalogue/glider.h"
#include "tools/catalogue/naturalglider.h"

namespace trelkan::builder {
namespace {

const SignalPlace kInput{0, 0, kF};

std::vector<EmittedGlider> strayGliders(const std::vector<EmittedGlider>& emitted,
                                        const std::vector<GliderPath>& expected) {
    std::vector<EmittedGlider> stray;
    for (const EmittedGlider& glider : emitted) {
        if (std::find(expected.begin(), expected.end(), glider.path) == expected.end()) {
            stray.push_back(glider);
        }
    }
    return stray;
}

std::vector<GliderPath> pathsOf(const std::vector<EmittedGlider>& gliders) {
    std::vector<GliderPath> paths;
    for (const EmittedGlider& glider : gliders) {
        paths.push_back(glider.path);
    }
    return paths;
}

OutputEvent delayed(OutputEvent output, std::int64_t delay) {
    output.time += delay;
    return output;
}

// Each Herschel may send out what one Herschel alone sends out, and nothing else.
bool onlyRepeatedGliders(const Reaction& reaction, const PassageRun& single, std::int64_t spacing) {
    std::vector<GliderPath> allowed = pathsOf(single.last().emittedGliders());
    for (const EmittedGlider& glider : single.last().emittedGliders()) {
        allowed.push_back(movedPath(glider.path, kF, 0, 0, spacing));
    }
    return strayGliders(reaction.emittedGliders(), allowed).empty();
}

// A second Herschel fed in `spacing` generations after the first. Once the first one's events
// are over and the field equals the single run's field `spacing` generations earlier, the rest
// repeats the single run, which recovered.
bool spacingWorks(const Passage& passage, const PassageRun& single, std::int64_t spacing,
                  std::vector<LifeCell>& everAlive) {
    const auto startIndex = static_cast<std::size_t>(spacing);
    assert(startIndex < single.states.size());
    Reaction reaction = single.states[startIndex];
    reaction.addInput({kInput, spacing});
    reaction.addOutput(delayed(passage.output, spacing));
    while (reaction.outcome() == Outcome::kRunning) {
        reaction.runTo(reaction.generation() + 1);
        const std::int64_t now = reaction.generation();
        const std::int64_t singleIndex = now - spacing + kPredecessorLead;
        if (reaction.outcome() == Outcome::kRunning && now > passage.lastEvent &&
            singleIndex < static_cast<std::int64_t>(single.states.size()) &&
            reaction.sameCellsAs(single.states[static_cast<std::size_t>(singleIndex)])) {
            break;
        }
    }
    if (reaction.outcome() != Outcome::kRunning && reaction.outcome() != Outcome::kRecovered) {
        return false;
    }
    if (!onlyRepeatedGliders(reaction, single, spacing)) {
        return false;
    }
    const std::vector<LifeCell> cells = reaction.everAlive();
    everAlive.insert(everAlive.end(), cells.begin(), cells.end());
    return true;
}

}  // namespace

Passage makePassage(const std::vector<const ProvenConduit*>& chain, bool firstGlidersKnown) {
    assert(!chain.empty());
    Passage passage;
    passage.places.push_back(kInput);
    SignalPlace frame = kInput;
    std::int64_t time = 0;
    for (std::size_t i = 0; i < chain.size(); ++i) {
        const ProvenConduit& conduit = *chain[i];
        const std::vector<LifeCell> catalysts = cellsInFrame(frame, conduit.catalysts);
        passage.reach.include(boxInFrame(frame, conduit.reach));
        passage.catalysts.insert(passage.catalysts.end(), catalysts.begin(), catalysts.end());
        if (i > 0 || firstGlidersKnown) {
            for (const EmittedGlider& glider : conduit.gliders) {
                passage.expectedGliders.push_back(
                    movedPath(glider.path, frame.dir, frame.x, frame.y, time));
            }
        }
        const SignalPlace output = placeInFrame(frame, conduit.output);
        passage.places.push_back(output);
        time += conduit.dt;
        frame = output;
        if (i + 1 == chain.size()) {
            passage.output = {output, conduit.form, time, conduit.releasesGlider()};
            passage.lastEvent =
                passage.output.releaseGlider && passage.output.form == OutputForm::kHerschel
                    ? time + firstNaturalGlider().generation
                    : time;
        }
    }
    passage.catalysts = normalisedCells(std::move(passage.catalysts));
    passage.catalystsClash = stepCells(passage.catalysts) != passage.catalysts;
    return passage;
}

PassageRun runPassage(const Passage& passage, bool keepStates, bool trackEverAlive) {
    Reaction reaction(passage.catalysts, passage.places, passage.reach, -kPredecessorLead,
                      trackEverAlive);
    reaction.addInput({kInput, 0});
    reaction.addOutput(passage.output);
    PassageRun run;
    if (keepStates) {
        run.states.push_back(reaction);
        while (reaction.outcome() == Outcome::kRunning) {
            reaction.runTo(reaction.generation() + 1);
            run.states.push_back(reaction);
        }
    } else {
        reaction.finish();
        run.states.push_back(std::move(reaction));
    }
    run.outcome = run.last().outcome();
    run.strayGliders = strayGliders(run.last().emittedGliders(), passage.expectedGliders);
    return run;
}

PassageRun runAfterPassing(const Passage& passage, const PassageRun& single, std::int64_t spacing) {
    assert(single.outcome == Outcome::kRecovered);
    assert(spacing - kPredecessorLead >= single.last().generation());
    Reaction reaction = single.last();
    reaction.addInput({kInput, spacing});
    reaction.addOutput(delayed(passage.output, spacing));
    PassageRun run;
    run.states.push_back(reaction);
    while (reaction.outcome() == Outcome::kRunning) {
        reaction.runTo(reaction.generation() + 1);
        run.states.push_back(reaction);
    }
    run.outcome = reaction.outcome();
    if (run.outcome == Outcome::kRecovered && !onlyRepeatedGliders(reaction, single, spacing)) {
        run.outcome = Outcome::kEscaped;
    }
    return run;
}

std::vector<LifeCell> cellsOfThePassage(const Passage& passage, const PassageRun& run,
                                        const std::vector<std::int64_t>& inputTimes) {
    std::vector<std::pair<std::int64_t, GliderPath>> released;
    if (passage.output.releaseGlider && passage.output.form == OutputForm::kHerschel) {
        const NaturalGlider& glider = firstNaturalGlider();
        const std::int64_t drop = passage.output.time + glider.generation;
        const GliderPath path = *gliderPath(cellsInFrame(passage.output.place, glider.cells), drop);
        for (const std::int64_t time : inputTimes) {
            released.emplace_back(drop + time, movedPath(path, kF, 0, 0, time));
        }
    }
    std::vector<LifeCell> cells;
    for (const Reaction& state : run.states) {
        std::vector<LifeCell> now = state.cells();
        for (const auto& [drop, path] : released) {
            if (state.generation() < drop) {
                continue;
            }
            std::vector<LifeCell> glider = gliderCells(path, state.generation());
            std::sort(glider.begin(), glider.end());
            if (std::includes(now.begin(), now.end(), glider.begin(), glider.end())) {
                std::vector<LifeCell> rest;
                std::set_difference(now.begin(), now.end(), glider.begin(), glider.end(),
                                    std::back_inserter(rest));
                now = std::move(rest);
            }
        }
        cells.insert(cells.end(), now.begin(), now.end());
    }
    return normalisedCells(std::move(cells));
}

std::int64_t measureRecovery(const Passage& passage, const PassageRun& single,
                             std::vector<LifeCell>& everAlive) {
    // From this spacing on, the second Herschel meets nothing but the catalysts.
    const std::int64_t settled = single.last().generation();
    for (std::int64_t spacing = settled + kPredecessorLead; spacing >= 1; --spacing) {
        if (!spacingWorks(passage, single, spacing, everAlive)) {
            return spacing + 1;
        }
    }
    return 1;
}

}  // namespace trelkan::builder
