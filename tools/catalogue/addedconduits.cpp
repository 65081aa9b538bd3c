#include "tools/catalogue/addedconduits.h"

#include <algorithm>
#include <filesystem>

#include "tools/catalogue/catalystsearch.h"
#include "tools/catalogue/cellgroups.h"
#include "tools/catalogue/conduitproof.h"
#include "tools/catalogue/field.h"

namespace trelkan::builder {
namespace {

// Room around the drawing for the output and what it turns into after it appears.
constexpr std::int32_t kRunMargin = 64;
// The envelope of a conduit drawn in two states: where its reaction goes, as far as this beyond
// its catalysts and input.
constexpr std::int32_t kEnvelopeReach = 16;

std::string at(const SignalPlace& place) {
    return "(" + std::to_string(place.x) + ", " + std::to_string(place.y) + ")";
}

bool isLifeHistory(const RlePattern& pattern) {
    return std::any_of(pattern.cells.begin(), pattern.cells.end(),
                       [](const StateCell& cell) { return cell.state != 1; });
}

std::string conduitName(const RlePattern& pattern, const std::string& file) {
    for (const std::string& comment : pattern.comments) {
        if (comment.rfind("#N ", 0) == 0) {
            const std::size_t start = comment.find_first_not_of(' ', 3);
            const std::size_t end = comment.find_last_not_of(" \t\r");
            if (start != std::string::npos) {
                return comment.substr(start, end - start + 1);
            }
        }
    }
    return std::filesystem::path(file).stem().string();
}

bool contains(const std::vector<LifeCell>& sorted, const LifeCell& cell) {
    return std::binary_search(sorted.begin(), sorted.end(), cell);
}

// Herschels among the live cells in any direction: 7 cells alive, the 19 around them dead.
std::vector<SignalPlace> drawnHerschels(const std::vector<LifeCell>& live) {
    std::vector<SignalPlace> found;
    for (const LifeCell& cell : live) {
        for (const Direction dir : kDirections) {
            const SignalPlace place{cell.x, cell.y, dir};
            const std::vector<LifeCell> herschel = herschelAt(place);
            const std::vector<LifeCell> around = dilatedCells(herschel, 1);
            const bool clean = std::all_of(around.begin(), around.end(), [&](const LifeCell& c) {
                return contains(live, c) == contains(herschel, c);
            });
            if (clean) {
                found.push_back(place);
            }
        }
    }
    return found;
}

struct Sighting {
    SignalPlace place;
    // The Herschel's generation (for the predecessor, four after it stood clean).
    std::int64_t time = 0;
    OutputForm form = OutputForm::kHerschel;
    // Where the reaction went until then: what the collection draws as the envelope.
    Box reach = Box::none();
};

// Places where a predecessor, clean, stands for an output with the tail block: the block is
// among the catalysts, on its own, two cells ahead of the place's tail.
std::vector<SignalPlace> tailBlockPlaces(const std::vector<LifeCell>& catalysts) {
    std::vector<SignalPlace> places;
    for (const Direction dir : kDirections) {
        const LifeCell corner = normalisedCells(tailBlockAt({0, 0, dir})).front();
        for (const LifeCell& cell : catalysts) {
            const SignalPlace place{cell.x - corner.x, cell.y - corner.y, dir};
            const std::vector<LifeCell> block = normalisedCells(tailBlockAt(place));
            const std::vector<LifeCell> around = dilatedCells(block, 1);
            if (std::all_of(around.begin(), around.end(), [&](const LifeCell& c) {
                    return contains(catalysts, c) == contains(block, c);
                })) {
                places.push_back(place);
            }
        }
    }
    return places;
}

// Runs the input through the catalysts, nothing taken away, and gives every signal that stands
// clean after the input, in time order: the conduit's intermediate signals, its output, and
// whatever the output wrecks when it runs on.
std::vector<Sighting> cleanSignals(const std::vector<LifeCell>& catalysts,
                                   const SignalPlace& input) {
    const std::vector<LifeCell> predecessor = predecessorAt(input);
    Box box = boxOf(catalysts);
    box.include(boxOf(predecessor));
    Field field(widened(box, kRunMargin));
    field.add(catalysts);
    field.add(predecessor);
    field.setGeneration(-kPredecessorLead);
    const std::vector<SignalPlace> blockPlaces = tailBlockPlaces(catalysts);
    std::vector<Sighting> found;
    // Gliders that fly off are no part of the envelope.
    const Box near = widened(box, kEnvelopeReach);
    Box reach = boxOf(field.cells());
    while (field.generation() < kOutputSearchLimit) {
        field.step();
        if (!field.changed()) {
            break;
        }
        const std::vector<LifeCell> cells = field.cells();
        for (const LifeCell& cell : cells) {
            if (near.contains(cell.x, cell.y)) {
                reach.include({cell.x, cell.x, cell.y, cell.y});
            }
        }
        for (const SignalPlace& place : blockPlaces) {
            if (isolatedIn(field, predecessorAt(place))) {
                found.push_back(Sighting{place, field.generation() + kPredecessorLead,
                                         OutputForm::kPredecessor, reach});
            }
        }
        if (field.generation() <= 0) {
            continue;
        }
        for (const LifeCell& cell : cells) {
            for (const Direction dir : kDirections) {
                const SignalPlace place{cell.x, cell.y, dir};
                if (isolatedIn(field, herschelAt(place))) {
                    found.push_back(
                        Sighting{place, field.generation(), OutputForm::kHerschel, reach});
                }
            }
        }
    }
    return found;
}

DrawnConduit drawnWithOutput(const std::vector<LifeCell>& catalysts, const SignalPlace& input,
                             const Sighting& output) {
    DrawnConduit conduit;
    conduit.catalysts = catalysts;
    conduit.herschels = {input, output.place};
    std::vector<LifeCell> drawn = catalysts;
    for (const SignalPlace& place : conduit.herschels) {
        const std::vector<LifeCell> cells = herschelAt(place);
        drawn.insert(drawn.end(), cells.begin(), cells.end());
    }
    conduit.box = widened(unite(boxOf(drawn), output.reach), 2);
    return conduit;
}

// Every catalyst takes part: some cell within two of it, not a catalyst, is alive at some time.
bool everyCatalystTakesPart(const ProvenConduit& conduit) {
    for (const std::vector<LifeCell>& object : groupCells(conduit.catalysts, 2)) {
        const std::vector<LifeCell> near = dilatedCells(object, 2);
        if (std::none_of(near.begin(), near.end(), [&](const LifeCell& cell) {
                return !contains(conduit.catalysts, cell) && contains(conduit.everAlive, cell);
            })) {
            return false;
        }
    }
    return true;
}

// The output is the latest signal with which the conduit passes and uses all its catalysts: a
// later one comes from the wreck that the output makes when nothing takes it, an earlier one
// is an intermediate signal. Where none does, the latest, whose proof then tells what fails.
const Sighting& chooseOutput(const std::vector<LifeCell>& catalysts, const SignalPlace& input,
                             const std::vector<Sighting>& signals) {
    for (auto signal = signals.rbegin(); signal != signals.rend(); ++signal) {
        const ConduitProof proof = proveConduit(drawnWithOutput(catalysts, input, *signal));
        if (proof.conduit && (proof.needsConsumer || everyCatalystTakesPart(*proof.conduit))) {
            return *signal;
        }
    }
    return signals.back();
}

std::string describeCells(const std::vector<LifeCell>& cells) {
    return at({cells.front().x, cells.front().y, kF});
}

// One conduit drawn in two states: its catalysts and its input Herschel facing F.
std::optional<Collection> readPlainConduit(const RlePattern& pattern, const std::string& file,
                                           std::string& error) {
    const std::vector<LifeCell> live = normalisedCells(pattern.cellsOfState(1));
    const std::vector<SignalPlace> herschels = drawnHerschels(live);
    if (herschels.empty()) {
        error =
            "no Herschel is drawn: draw the conduit's input as the Herschel o$obo$3o$2bo! "
            "(facing F, towards +x), with no live cell touching it";
        return std::nullopt;
    }
    if (herschels.size() > 1) {
        error = std::to_string(herschels.size()) + " Herschels are drawn, at " + at(herschels[0]) +
                " and " + at(herschels[1]) +
                ": draw only the input; the builder finds the output by running it";
        return std::nullopt;
    }
    const SignalPlace input = herschels.front();
    if (input.dir != kF) {
        error = "the Herschel at " + at(input) + " faces " + std::string(directionWord(input.dir)) +
                ": draw the input facing F, as o$obo$3o$2bo! (towards +x)";
        return std::nullopt;
    }
    const std::vector<LifeCell> herschel = herschelAt(input);
    std::vector<LifeCell> rest;
    std::copy_if(live.begin(), live.end(), std::back_inserter(rest),
                 [&](const LifeCell& cell) { return !contains(herschel, cell); });
    CatalystSplit split = findCatalysts(rest);
    if (!split.rejected.empty()) {
        error = "the live cells at " + describeCells(split.rejected.front()) +
                " are not a still life: draw only the catalysts and the input Herschel";
        return std::nullopt;
    }
    const std::vector<Sighting> signals = cleanSignals(split.catalysts, input);
    if (signals.empty()) {
        error = "no Herschel comes out within " + std::to_string(kOutputSearchLimit) +
                " generations of the input Herschel at " + at(input);
        return std::nullopt;
    }
    const Sighting* output = &chooseOutput(split.catalysts, input, signals);
    DrawnConduit conduit = drawnWithOutput(split.catalysts, input, *output);
    conduit.label.name = conduitName(pattern, file);
    conduit.outputFound =
        "its output was taken to be " +
        std::string(output->form == OutputForm::kHerschel ? "a Herschel"
                                                          : "a predecessor with the tail block") +
        " at " + at(output->place) + " facing " + std::string(directionWord(output->place.dir)) +
        " at generation " + std::to_string(output->time) + ", found by running the drawing";
    Collection collection;
    collection.conduits.push_back(std::move(conduit));
    collection.herschelCount = 1;
    return collection;
}

}  // namespace

std::optional<Collection> readAddedConduits(const RlePattern& pattern, const std::string& file,
                                            std::string& error) {
    std::optional<Collection> added = isLifeHistory(pattern)
                                          ? readCollection(pattern, error)
                                          : readPlainConduit(pattern, file, error);
    if (!added) {
        return std::nullopt;
    }
    for (DrawnConduit& conduit : added->conduits) {
        conduit.addedFrom = file;
        if (conduit.label.name.empty()) {
            conduit.label.name = conduitName(pattern, file) + " at (" +
                                 std::to_string(conduit.box.minX) + ", " +
                                 std::to_string(conduit.box.minY) + ")";
        }
    }
    return added;
}

}  // namespace trelkan::builder
