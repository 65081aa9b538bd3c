#include "tools/catalogue/builder.h"

#include <algorithm>
#include <chrono>

#include "tools/catalogue/parallel.h"

namespace trelkan::builder {
namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Consumers were found among the first round; their positions shift once all are sorted.
void renumberConsumers(Build& build, const std::vector<ProvenConduit>& firstRound) {
    for (ProvenConduit& conduit : build.proven) {
        if (conduit.consumer < 0) {
            continue;
        }
        const std::int32_t drawnIndex =
            firstRound[static_cast<std::size_t>(conduit.consumer)].drawnIndex;
        const auto found = std::find_if(
            build.proven.begin(), build.proven.end(),
            [drawnIndex](const ProvenConduit& c) { return c.drawnIndex == drawnIndex; });
        conduit.consumer = static_cast<std::int32_t>(found - build.proven.begin());
    }
}

// Proves every drawn conduit: first on its own, then those whose output needs a real consumer,
// with the conduits proven in the first round as candidates.
void proveAll(Build& build, unsigned threads) {
    const std::vector<DrawnConduit>& drawn = build.collection.conduits;
    std::vector<ConduitProof> proofs(drawn.size());
    forEachIndex(drawn.size(), threads, [&](std::size_t i) { proofs[i] = proveConduit(drawn[i]); });
    std::vector<std::size_t> waiting;
    for (std::size_t i = 0; i < proofs.size(); ++i) {
        if (proofs[i].needsConsumer) {
            waiting.push_back(i);
        } else if (proofs[i].conduit) {
            build.proven.push_back(*proofs[i].conduit);
        }
    }
    // Consumers come from the first round only, so the outcome does not depend on order.
    const std::vector<ProvenConduit> firstRound = build.proven;
    forEachIndex(waiting.size(), threads, [&](std::size_t k) {
        ConduitProof& proof = proofs[waiting[k]];
        proof = proveWithConsumer(std::move(*proof.conduit), firstRound);
    });
    for (const std::size_t i : waiting) {
        if (proofs[i].conduit) {
            build.proven.push_back(*proofs[i].conduit);
        }
    }
    std::sort(
        build.proven.begin(), build.proven.end(),
        [](const ProvenConduit& a, const ProvenConduit& b) { return a.drawnIndex < b.drawnIndex; });
    renumberConsumers(build, firstRound);
    for (std::size_t i = 0; i < proofs.size(); ++i) {
        if (!proofs[i].conduit) {
            build.leftOut.push_back({static_cast<std::int32_t>(i), proofs[i].failure});
        }
    }
}

// A conduit drawn twice with the same catalysts is the same conduit: it is kept once.
void keepDistinct(Build& build) {
    for (std::size_t i = 0; i < build.proven.size(); ++i) {
        const ProvenConduit& conduit = build.proven[i];
        const auto twin = std::find_if(build.kept.begin(), build.kept.end(), [&](std::size_t k) {
            const ProvenConduit& other = build.proven[k];
            return other.catalysts == conduit.catalysts && other.output == conduit.output &&
                   other.dt == conduit.dt;
        });
        if (twin == build.kept.end()) {
            build.kept.push_back(i);
            continue;
        }
        const DrawnConduit& original =
            build.collection.conduits[static_cast<std::size_t>(build.proven[*twin].drawnIndex)];
        build.leftOut.push_back(
            {conduit.drawnIndex,
             "it draws the same catalysts as " + original.displayName() + ", which is kept"});
    }
    std::sort(build.leftOut.begin(), build.leftOut.end(),
              [](const LeftOut& a, const LeftOut& b) { return a.drawnIndex < b.drawnIndex; });
}

// Added conduits follow the collection's, numbered on from them; their notes name their file.
void addConduits(Collection& collection, std::vector<Collection> added) {
    for (Collection& file : added) {
        for (DrawnConduit& conduit : file.conduits) {
            conduit.index = static_cast<std::int32_t>(collection.conduits.size());
            collection.conduits.push_back(std::move(conduit));
        }
        for (const std::string& note : file.notes) {
            collection.notes.push_back(file.conduits.front().addedFrom + ": " + note);
        }
        collection.herschelCount += file.herschelCount;
    }
}

// A conduit the user added is never left out in silence.
bool addedAllKept(const Build& build, std::string& error, std::string& errorFile) {
    for (const LeftOut& conduit : build.leftOut) {
        const DrawnConduit& drawn =
            build.collection.conduits[static_cast<std::size_t>(conduit.drawnIndex)];
        if (!drawn.addedFrom.empty()) {
            errorFile = drawn.addedFrom;
            error = drawn.displayName() + " does not pass as a conduit: " + conduit.reason +
                    (drawn.outputFound.empty() ? "" : " (" + drawn.outputFound + ")");
            return false;
        }
    }
    return true;
}

}  // namespace

std::vector<AddedConduit> addedConduits(const Build& build) {
    std::vector<AddedConduit> added;
    for (const ComponentPlan& component : build.plan.components) {
        for (const std::size_t index : component.variants) {
            const VariantPlan& variant = build.plan.variants[index];
            const DrawnConduit& drawn =
                build.collection
                    .conduits[static_cast<std::size_t>(build.proven[variant.proven].drawnIndex)];
            if (variant.onePassage && !drawn.addedFrom.empty()) {
                added.push_back({&drawn, &component, &variant});
            }
        }
    }
    std::sort(added.begin(), added.end(), [](const AddedConduit& a, const AddedConduit& b) {
        return a.drawn->index < b.drawn->index;
    });
    return added;
}

std::optional<Build> buildCatalogue(const RlePattern& pattern, unsigned threads,
                                    std::string& error) {
    std::string errorFile;
    return buildCatalogue(pattern, {}, threads, error, errorFile);
}

std::optional<Build> buildCatalogue(const RlePattern& pattern, std::vector<Collection> added,
                                    unsigned threads, std::string& error, std::string& errorFile) {
    std::optional<Collection> collection = readCollection(pattern, error);
    if (!collection) {
        return std::nullopt;
    }
    Build build;
    build.collection = std::move(*collection);
    build.collectionSize = build.collection.conduits.size();
    addConduits(build.collection, std::move(added));

    const auto proving = std::chrono::steady_clock::now();
    proveAll(build, threads);
    keepDistinct(build);
    build.provingSeconds = secondsSince(proving);
    if (!addedAllKept(build, error, errorFile)) {
        return std::nullopt;
    }
    if (build.kept.empty()) {
        error = "no conduit of the collection passes";
        return std::nullopt;
    }

    const auto pairing = std::chrono::steady_clock::now();
    build.pairs.emplace(build.proven, threads);
    build.pairSeconds = secondsSince(pairing);

    build.plan = planCatalogue(build.proven, build.kept, build.collection);
    build.pairSection = makePairSection(build.plan, *build.pairs);
    return build;
}

}  // namespace trelkan::builder
