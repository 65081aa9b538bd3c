#include "tools/catalogue/catalystsearch.h"

#include "tools/catalogue/cellgroups.h"
#include "tools/catalogue/glider.h"

namespace trelkan::builder {

CatalystSplit findCatalysts(const std::vector<LifeCell>& live) {
    CatalystSplit split;
    for (std::vector<LifeCell>& object : groupCells(live, 2)) {
        if (stepCells(object) == object) {
            split.catalysts.insert(split.catalysts.end(), object.begin(), object.end());
        } else {
            split.rejected.push_back(std::move(object));
        }
    }
    split.catalysts = normalisedCells(std::move(split.catalysts));
    return split;
}

}  // namespace trelkan::builder
