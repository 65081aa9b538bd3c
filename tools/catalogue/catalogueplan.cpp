#include "tools/catalogue/catalogueplan.h"

#include <algorithm>
#include <map>
#include <tuple>

namespace trelkan::builder {
namespace {

// The order of the rows of the collection, which the catalogue keeps.
constexpr int kDirectionOrder[kDirectionCount] = {kF, kFx, kR, kRx, kL, kLx, kB, kBx};

int directionRank(Direction dir) {
    return static_cast<int>(std::find(std::begin(kDirectionOrder), std::end(kDirectionOrder), dir) -
                            std::begin(kDirectionOrder));
}

VariantType typeOf(const ProvenConduit& conduit) {
    VariantType type;
    type.typeR = conduit.inputBlock;
    type.typeU = conduit.form == OutputForm::kPredecessor;
    type.typeX = !type.typeU && !conduit.builtFromPredecessor;
    return type;
}

struct Displacement {
    Direction dir;
    std::int64_t dt;
    std::int32_t dx;
    std::int32_t dy;
    friend bool operator<(const Displacement& a, const Displacement& b) {
        return std::tie(a.dir, a.dt, a.dx, a.dy) < std::tie(b.dir, b.dt, b.dx, b.dy);
    }
};

}  // namespace

std::string VariantPlan::typeText() const {
    return std::string(type.typeR ? "GR" : "GS") + (type.typeU ? "U" : type.typeX ? "X" : "");
}

std::string variantSuffix(std::size_t position) {
    std::string suffix;
    for (std::size_t n = position + 1; n > 0; n = (n - 1) / 26) {
        suffix.insert(suffix.begin(), static_cast<char>('a' + (n - 1) % 26));
    }
    return suffix;
}

CataloguePlan planCatalogue(const std::vector<ProvenConduit>& proven,
                            const std::vector<std::size_t>& kept, const Collection& collection) {
    // Components in the first-seen order of the collection within each (direction, dt), so
    // that suffixes follow the drawing; then sorted by direction row and travel time.
    std::map<Displacement, std::vector<std::size_t>> groups;
    std::vector<Displacement> firstSeen;
    for (const std::size_t index : kept) {
        const ProvenConduit& conduit = proven[index];
        const Displacement key{conduit.output.dir, conduit.dt, conduit.output.x, conduit.output.y};
        if (groups.find(key) == groups.end()) {
            firstSeen.push_back(key);
        }
        groups[key].push_back(index);
    }
    std::map<std::pair<int, std::int64_t>, int> sameTurnAndTime;
    std::vector<std::pair<Displacement, std::string>> named;
    for (const Displacement& key : firstSeen) {
        const int count = ++sameTurnAndTime[{key.dir, key.dt}];
        std::string name = std::string(directionWord(key.dir)) + std::to_string(key.dt);
        if (count > 1) {
            name += "_" + std::to_string(count);
        }
        named.emplace_back(key, std::move(name));
    }
    std::stable_sort(named.begin(), named.end(), [](const auto& a, const auto& b) {
        return std::make_pair(directionRank(a.first.dir), a.first.dt) <
               std::make_pair(directionRank(b.first.dir), b.first.dt);
    });

    CataloguePlan plan;
    for (const auto& [key, name] : named) {
        ComponentPlan component{name, key.dir, key.dt, key.dx, key.dy, {}};
        const std::vector<std::size_t>& members = groups[key];
        for (std::size_t i = 0; i < members.size(); ++i) {
            const ProvenConduit& conduit = proven[members[i]];
            const DrawnConduit& drawn =
                collection.conduits[static_cast<std::size_t>(conduit.drawnIndex)];
            VariantPlan full;
            full.name = name + variantSuffix(i) + kFullMapSuffix;
            full.proven = members[i];
            full.drawnName = drawn.displayName();
            full.printedRecovery = drawn.label.recovery;
            full.recovery =
                std::max<std::int64_t>(conduit.recovery, drawn.label.recovery.value_or(0));
            full.type = typeOf(conduit);
            full.maps = buildVariantMaps(conduit);
            full.onePassage = false;
            VariantPlan passage = full;
            passage.name = name + variantSuffix(i);
            passage.onePassage = true;
            passage.maps = buildPassageMaps(conduit, full.maps.rectangle);
            passage.maxCompression = std::max(conduit.quietSpacing(), full.recovery);
            full.maxCompression = full.recovery;
            full.minCompression = passage.maxCompression - 1;
            component.variants.push_back(plan.variants.size());
            plan.variants.push_back(std::move(passage));
            if (full.minCompression >= full.maxCompression) {
                component.variants.push_back(plan.variants.size());
                plan.variants.push_back(std::move(full));
            }
        }
        plan.components.push_back(std::move(component));
    }
    return plan;
}

}  // namespace trelkan::builder
