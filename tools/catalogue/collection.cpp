#include "tools/catalogue/collection.h"

#include <algorithm>

#include "tools/catalogue/catalystsearch.h"
#include "tools/catalogue/cellgroups.h"
#include "tools/catalogue/clusters.h"
#include "tools/catalogue/herschelsearch.h"
#include "tools/catalogue/labelreader.h"
#include "tools/catalogue/picture.h"

namespace trelkan::builder {
namespace {

std::string at(const LifeCell& cell) {
    return "(" + std::to_string(cell.x) + ", " + std::to_string(cell.y) + ")";
}

bool facesF(const SignalPlace& place) {
    return place.dir == kF;
}

// A conduit with no Herschel facing F may have its input drawn touching marks of intermediate
// signals, which the strict search rejects.
void addMarkedInputs(const Picture& picture, const ClusterMap& clusters, Collection& collection) {
    std::vector<std::vector<LifeCell>> marks(collection.conduits.size());
    for (const LifeCell& cell : picture.cellsOfState(kMarking)) {
        const std::int32_t owner = clusters.owner(cell.x, cell.y);
        if (owner >= 0) {
            marks[static_cast<std::size_t>(owner)].push_back(cell);
        }
    }
    for (DrawnConduit& conduit : collection.conduits) {
        auto& herschels = conduit.herschels;
        if (std::any_of(herschels.begin(), herschels.end(), facesF)) {
            continue;
        }
        for (const SignalPlace& place :
             findMarkedInputs(picture, marks[static_cast<std::size_t>(conduit.index)])) {
            herschels.push_back(place);
            collection.notes.push_back("the input of " + conduit.displayName() + " at " +
                                       at({place.x, place.y}) +
                                       " touches other marks; it is taken all the same");
        }
    }
}

}  // namespace

std::string DrawnConduit::displayName() const {
    if (!label.name.empty()) {
        return label.name;
    }
    return "the conduit at " + at({box.minX, box.minY});
}

std::optional<Collection> readCollection(const RlePattern& pattern, std::string& error) {
    const std::optional<Picture> picture = Picture::fromPattern(pattern, error);
    if (!picture) {
        return std::nullopt;
    }
    const ClusterMap clusters(*picture);
    if (clusters.clusters().empty()) {
        error = "the pattern draws no reaction envelope (state 2), so it holds no conduit";
        return std::nullopt;
    }
    Collection collection;
    for (std::size_t i = 0; i < clusters.clusters().size(); ++i) {
        DrawnConduit conduit;
        conduit.index = static_cast<std::int32_t>(i);
        conduit.band = clusters.clusters()[i].band;
        conduit.box = clusters.clusters()[i].box;
        collection.conduits.push_back(std::move(conduit));
    }
    const std::vector<SignalPlace> herschels = findHerschels(*picture);
    collection.herschelCount = static_cast<std::int32_t>(herschels.size());
    std::vector<LifeCell> herschelCells;
    for (const SignalPlace& place : herschels) {
        const std::int32_t owner = clusters.owner(place.x, place.y);
        if (owner < 0) {
            collection.notes.push_back("a Herschel at " + at({place.x, place.y}) +
                                       " belongs to no conduit");
            continue;
        }
        collection.conduits[static_cast<std::size_t>(owner)].herschels.push_back(place);
        const std::vector<LifeCell> cells = herschelAt(place);
        herschelCells.insert(herschelCells.end(), cells.begin(), cells.end());
    }
    // Whole objects go to one conduit, so that a still life is never cut in two.
    std::vector<std::vector<LifeCell>> live(collection.conduits.size());
    for (const std::vector<LifeCell>& object : groupCells(picture->cellsOfState(kCatalyst), 2)) {
        const std::int32_t owner = clusters.owner(object.front().x, object.front().y);
        bool split = owner < 0;
        for (const LifeCell& cell : object) {
            split = split || clusters.owner(cell.x, cell.y) != owner;
        }
        if (owner < 0) {
            collection.notes.push_back("live cells at " + at(object.front()) +
                                       " belong to no conduit");
            continue;
        }
        if (split) {
            collection.notes.push_back("live cells at " + at(object.front()) +
                                       " lie between conduits; they go with the nearest to "
                                       "their first cell");
        }
        auto& cells = live[static_cast<std::size_t>(owner)];
        cells.insert(cells.end(), object.begin(), object.end());
    }
    for (std::size_t i = 0; i < collection.conduits.size(); ++i) {
        CatalystSplit split = findCatalysts(live[i]);
        collection.conduits[i].catalysts = std::move(split.catalysts);
        collection.conduits[i].rejectedObjects = std::move(split.rejected);
    }
    readLabels(*picture, clusters, normalisedCells(std::move(herschelCells)), collection);
    // After the labels, so that the notes can name the conduits.
    addMarkedInputs(*picture, clusters, collection);
    return collection;
}

}  // namespace trelkan::builder
