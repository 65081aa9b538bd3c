#include "tools/catalogue/conduitproof.h"

#include <algorithm>
#include <cassert>
#include <tuple>

#include "tools/catalogue/cellgroups.h"
#include "tools/catalogue/passage.h"

namespace trelkan::builder {
namespace {

const SignalPlace kInput{0, 0, kF};

// Cells of a U conduit's runs within this margin of its own drawing are its own even where the
// consumer's reaction reaches them too.
constexpr std::int32_t kOwnMargin = 3;

// The drawing seen from one of its Herschels taken as the input.
struct Framing {
    SignalPlace drawnInput;
    std::vector<LifeCell> catalysts;
    std::vector<SignalPlace> others;
    // The drawn envelope's box.
    Box reach;
};

Framing frameAt(const DrawnConduit& drawn, const SignalPlace& input) {
    Framing framing;
    framing.drawnInput = input;
    framing.reach = {drawn.box.minX - input.x, drawn.box.maxX - input.x, drawn.box.minY - input.y,
                     drawn.box.maxY - input.y};
    framing.catalysts = movedCells(drawn.catalysts, -input.x, -input.y);
    for (const SignalPlace& place : drawn.herschels) {
        if (place != input) {
            framing.others.push_back({place.x - input.x, place.y - input.y, place.dir});
        }
    }
    return framing;
}

// A block exactly at the tail-block place: its four cells alive and the cells around them dead.
bool hasTailBlock(const std::vector<LifeCell>& catalysts, const SignalPlace& place) {
    const std::vector<LifeCell> block = tailBlockAt(place);
    for (const LifeCell& cell : dilatedCells(block, 1)) {
        const bool inBlock = std::binary_search(block.begin(), block.end(), cell);
        if (std::binary_search(catalysts.begin(), catalysts.end(), cell) != inBlock) {
            return false;
        }
    }
    return true;
}

std::string describe(const SignalPlace& place) {
    return "(" + std::to_string(place.x) + ", " + std::to_string(place.y) + ") facing " +
           std::string(directionWord(place.dir));
}

struct Appearance {
    Framing framing;
    std::vector<OutputWatch> watches;
    std::vector<Sighting> sightings;
};

// Tries the Herschels facing F as the input, left to right, until one makes a drawn Herschel
// appear.
std::optional<Appearance> findInputAndOutput(const DrawnConduit& drawn) {
    std::vector<SignalPlace> inputs;
    for (const SignalPlace& place : drawn.herschels) {
        if (place.dir == kF) {
            inputs.push_back(place);
        }
    }
    std::sort(inputs.begin(), inputs.end(), [](const SignalPlace& a, const SignalPlace& b) {
        return std::tie(a.x, a.y) < std::tie(b.x, b.y);
    });
    for (const SignalPlace& input : inputs) {
        Appearance appearance;
        appearance.framing = frameAt(drawn, input);
        std::vector<SignalPlace> places = {kInput};
        for (const SignalPlace& other : appearance.framing.others) {
            const bool block = hasTailBlock(appearance.framing.catalysts, other);
            appearance.watches.push_back(
                {other, block ? OutputForm::kPredecessor : OutputForm::kHerschel});
            places.push_back(other);
        }
        Reaction reaction(appearance.framing.catalysts, places, appearance.framing.reach,
                          -kPredecessorLead, false);
        reaction.addInput({kInput, 0});
        appearance.sightings = reaction.search(appearance.watches, kOutputSearchLimit);
        if (!appearance.sightings.empty()) {
            return appearance;
        }
    }
    return std::nullopt;
}

std::string runFailure(const PassageRun& run) {
    return std::string(outcomeText(run.outcome)) + " (generation " +
           std::to_string(run.last().generation()) + ")";
}

// Recovery and cells of a conduit from a passage run that passed; a second run that passed
// (with the other treatment of the output's glider) can only raise the recovery.
std::int64_t measure(ProvenConduit& conduit, const Passage& passage, const PassageRun& run) {
    conduit.settledAt = std::max(conduit.settledAt, run.last().generation());
    const std::vector<LifeCell> cells = run.last().everAlive();
    conduit.everAlive.insert(conduit.everAlive.end(), cells.begin(), cells.end());
    const std::vector<LifeCell> passed = cellsOfThePassage(passage, run, {0});
    conduit.passageAlive.insert(conduit.passageAlive.end(), passed.begin(), passed.end());
    conduit.passageAlive.insert(conduit.passageAlive.end(), conduit.catalysts.begin(),
                                conduit.catalysts.end());
    conduit.passageAlive = normalisedCells(std::move(conduit.passageAlive));
    const std::int64_t recovery = measureRecovery(passage, run, conduit.everAlive);
    conduit.recovery = std::max(conduit.recovery, recovery);
    conduit.everAlive.insert(conduit.everAlive.end(), conduit.catalysts.begin(),
                             conduit.catalysts.end());
    conduit.everAlive = normalisedCells(std::move(conduit.everAlive));
    conduit.reach.include(boxOf(conduit.everAlive));
    return recovery;
}

// The conduit's own share of a run with its consumer: what the consumer does not do alone,
// and everything near the conduit's own drawing.
std::vector<LifeCell> ownCells(const ProvenConduit& conduit, const ProvenConduit& consumer,
                               const std::vector<LifeCell>& cells);

// A second Herschel put down once the first has passed repeats the first one's passage, so the
// cells of one passage serve every spacing from the quiet spacing on. Proven at that spacing:
// both pass, and no cell of the conduit's own lies outside those of one passage.
bool repeatsOnceQuiet(const ProvenConduit& conduit, const Passage& passage, const PassageRun& run,
                      const ProvenConduit* consumer) {
    const std::int64_t spacing = conduit.quietSpacing();
    const PassageRun again = runAfterPassing(passage, run, spacing);
    if (again.outcome != Outcome::kRecovered) {
        return false;
    }
    const std::vector<LifeCell> cells = cellsOfThePassage(passage, again, {0, spacing});
    const std::vector<LifeCell> own = consumer ? ownCells(conduit, *consumer, cells) : cells;
    return std::includes(conduit.passageAlive.begin(), conduit.passageAlive.end(), own.begin(),
                         own.end());
}

std::string quietFailure(const ProvenConduit& conduit) {
    return "two Herschels " + std::to_string(conduit.quietSpacing()) +
           " generations apart, the second after the first has passed, do not pass alike";
}

// Proves a conduit whose output Herschel the stand-in takes, once letting the output's first
// natural glider go and once swallowing it; the conduit passes if either way recovers.
ConduitProof proveWithStandIn(ProvenConduit conduit) {
    ConduitProof proof;
    conduit.gliderNeed = GliderNeed::kRelease;
    const Passage releasing = makePassage({&conduit}, false);
    PassageRun released = runPassage(releasing, true, true);
    conduit.gliderNeed = GliderNeed::kSwallow;
    const Passage swallowing = makePassage({&conduit}, false);
    PassageRun swallowed = runPassage(swallowing, true, true);
    const bool releaseWorks = released.outcome == Outcome::kRecovered;
    const bool swallowWorks = swallowed.outcome == Outcome::kRecovered;
    if (!releaseWorks && !swallowWorks) {
        proof.failure = "after the output at generation " + std::to_string(conduit.dt) + ", " +
                        runFailure(released);
        return proof;
    }
    conduit.gliderNeed = !swallowWorks  ? GliderNeed::kRelease
                         : releaseWorks ? GliderNeed::kEither
                                        : GliderNeed::kSwallow;
    // The conduit's own gliders are those sent out while the stand-in swallows the output's.
    conduit.gliders = (swallowWorks ? swallowed : released).last().emittedGliders();
    // Whatever the next conduit does with the glider, the recovery time must hold.
    if (swallowWorks) {
        conduit.recoverySwallowing = measure(conduit, swallowing, swallowed);
    }
    if (releaseWorks) {
        conduit.recoveryReleasing = measure(conduit, releasing, released);
    }
    if ((swallowWorks && !repeatsOnceQuiet(conduit, swallowing, swallowed, nullptr)) ||
        (releaseWorks && !repeatsOnceQuiet(conduit, releasing, released, nullptr))) {
        proof.failure = quietFailure(conduit);
        return proof;
    }
    proof.conduit = std::move(conduit);
    return proof;
}

// A consumer for an output with the tail block: it has the block at its input and an output
// Herschel of its own, taken by the stand-in.
bool canConsume(const ProvenConduit& candidate) {
    return candidate.inputBlock && candidate.form == OutputForm::kHerschel;
}

std::vector<LifeCell> ownCells(const ProvenConduit& conduit, const ProvenConduit& consumer,
                               const std::vector<LifeCell>& cells) {
    Box own = boxOf(conduit.catalysts);
    own.include(boxOf(predecessorCells(0, 0, kF)));
    own.include(boxOf(predecessorAt(conduit.output)));
    own = widened(own, kOwnMargin);
    const std::vector<LifeCell> consumerCells = cellsInFrame(conduit.output, consumer.everAlive);
    std::vector<LifeCell> result;
    for (const LifeCell& cell : cells) {
        if (own.contains(cell.x, cell.y) ||
            !std::binary_search(consumerCells.begin(), consumerCells.end(), cell)) {
            result.push_back(cell);
        }
    }
    return result;
}

}  // namespace

std::vector<const ProvenConduit*> withConsumer(std::vector<const ProvenConduit*> chain,
                                               const std::vector<ProvenConduit>& proven) {
    const ProvenConduit& last = *chain.back();
    if (last.form == OutputForm::kPredecessor) {
        assert(last.consumer >= 0);
        chain.push_back(&proven[static_cast<std::size_t>(last.consumer)]);
    }
    return chain;
}

ConduitProof proveConduit(const DrawnConduit& drawn) {
    ConduitProof proof;
    if (drawn.herschels.size() < 2) {
        proof.failure = "fewer than two Herschels are drawn";
        return proof;
    }
    const std::optional<Appearance> appearance = findInputAndOutput(drawn);
    if (!appearance) {
        proof.failure = "no drawn Herschel appears when a drawn Herschel facing F is the input";
        return proof;
    }
    const Sighting& first = appearance->sightings.front();
    if (appearance->sightings.size() > 1) {
        const Sighting& second = appearance->sightings[1];
        proof.failure = "a second Herschel appears at " +
                        describe(appearance->watches[second.watch].place) + " at generation " +
                        std::to_string(second.time) + ", and nothing takes it";
        return proof;
    }
    ProvenConduit conduit;
    conduit.drawnIndex = drawn.index;
    conduit.drawnInput = appearance->framing.drawnInput;
    conduit.catalysts = appearance->framing.catalysts;
    conduit.reach = appearance->framing.reach;
    conduit.output = appearance->watches[first.watch].place;
    conduit.form = appearance->watches[first.watch].form;
    conduit.dt = first.time;
    conduit.builtFromPredecessor = first.builtFromPredecessor;
    conduit.inputBlock = hasTailBlock(conduit.catalysts, kInput);
    if (conduit.form == OutputForm::kPredecessor) {
        conduit.gliderNeed = GliderNeed::kNone;
        proof.conduit = std::move(conduit);
        proof.needsConsumer = true;
        return proof;
    }
    return proveWithStandIn(std::move(conduit));
}

ConduitProof proveWithConsumer(ProvenConduit conduit, const std::vector<ProvenConduit>& proven) {
    ConduitProof proof;
    for (std::size_t i = 0; i < proven.size(); ++i) {
        const ProvenConduit& consumer = proven[i];
        if (!canConsume(consumer)) {
            continue;
        }
        const Passage passage = makePassage({&conduit, &consumer}, false);
        if (passage.catalystsClash) {
            continue;
        }
        PassageRun run = runPassage(passage, true, true);
        if (run.outcome != Outcome::kRecovered) {
            continue;
        }
        // What the consumer does not send out on its own is the conduit's.
        const Box drawnReach = conduit.reach;
        conduit.consumer = static_cast<std::int32_t>(i);
        conduit.gliders = run.strayGliders;
        conduit.recoverySwallowing = measure(conduit, passage, run);
        conduit.everAlive = ownCells(conduit, consumer, conduit.everAlive);
        conduit.passageAlive = ownCells(conduit, consumer, conduit.passageAlive);
        conduit.reach = unite(drawnReach, boxOf(conduit.everAlive));
        if (!repeatsOnceQuiet(conduit, passage, run, &consumer)) {
            proof.failure = quietFailure(conduit);
            return proof;
        }
        proof.conduit = std::move(conduit);
        return proof;
    }
    proof.failure =
        "its output has the tail block, and no conduit with that block at its input "
        "takes it";
    return proof;
}

}  // namespace trelkan::builder
