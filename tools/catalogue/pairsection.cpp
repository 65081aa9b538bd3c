#include "tools/catalogue/pairsection.h"

#include <cctype>
#include <memory>
#include <sstream>

#include "catalogue/cellmap.h"
#include "catalogue/componentregister.h"
#include "tools/catalogue/cellmapwriter.h"

namespace trelkan::builder {
namespace {

std::shared_ptr<const CellMap> mapOf(const Box& rectangle, const std::vector<LifeCell>& cells) {
    const MapOrigin origin = originIn(rectangle);
    return std::make_shared<const CellMap>(origin.column, origin.rowFromBottom,
                                           loadedMapText(mapRle(rectangle, cells, {})));
}

// The catalogue as the loader would build it from the files, with its matrix seeded.
std::unique_ptr<ComponentRegister> seededRegister(const CataloguePlan& plan) {
    auto catalogue = std::make_unique<ComponentRegister>();
    for (const ComponentPlan& component : plan.components) {
        BasicComponent& added =
            catalogue->addComponent(component.name, component.dir, component.dx, component.dy,
                                    static_cast<std::int32_t>(component.dt));
        for (const std::size_t index : component.variants) {
            const VariantPlan& variant = plan.variants[index];
            catalogue->addVariant(added, variant.name, 1,
                                  static_cast<std::int32_t>(variant.maxCompression),
                                  static_cast<std::int32_t>(variant.minCompression), variant.type,
                                  mapOf(variant.maps.rectangle, variant.maps.image),
                                  mapOf(variant.maps.rectangle, variant.maps.usage));
        }
    }
    catalogue->finishComponents();
    return catalogue;
}

}  // namespace

std::string loadedMapText(const std::string& rle) {
    std::istringstream lines(rle);
    std::string text;
    std::string line;
    while (std::getline(lines, line)) {
        line = line.substr(0, line.find('#'));
        while (!line.empty() && static_cast<signed char>(line.back()) <= 32) {
            line.pop_back();
        }
        const bool data = !line.empty() && (std::isdigit(static_cast<unsigned char>(line[0])) ||
                                            line[0] == 'b' || line[0] == 'o');
        if (line.empty() || (text.empty() && !data)) {
            continue;
        }
        text += line;
        if (line.find('!') != std::string::npos) {
            break;
        }
    }
    return text;
}

PairSection makePairSection(const CataloguePlan& plan, const PairMatrix& matrix) {
    const std::unique_ptr<ComponentRegister> catalogue = seededRegister(plan);
    PairSection section;
    for (std::size_t a = 0; a < plan.variants.size(); ++a) {
        for (std::size_t b = 0; b < plan.variants.size(); ++b) {
            const VariantPlan& first = plan.variants[a];
            const VariantPlan& second = plan.variants[b];
            const bool works = matrix.works(first.proven, second.proven);
            const bool seeded = catalogue->canFollow(*catalogue->findVariant(first.name, true),
                                                     *catalogue->findVariant(second.name, true));
            section.allowed += works ? 1 : 0;
            section.clashing += matrix.clashes(first.proven, second.proven) ? 1 : 0;
            section.seededAllowed += seeded ? 1 : 0;
            if (works && first.type.typeX && second.type.typeR) {
                ++section.workingXBeforeR;
            }
            if (works && first.type.typeU && !second.type.typeR) {
                ++section.workingUBeforeNonR;
            }
            if (works != seeded) {
                section.lines.push_back(first.name + (works ? "+" : "-") + second.name);
                ++(works ? section.permitted : section.forbidden);
            }
        }
    }
    return section;
}

}  // namespace trelkan::builder
