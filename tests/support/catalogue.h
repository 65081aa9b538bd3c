// Catalogues built in code for unit tests.
#pragma once

#include <memory>
#include <string>

#include "catalogue/componentregister.h"

namespace trelkan::testing {

inline std::shared_ptr<const CellMap> map(std::int32_t dx, std::int32_t dy, const char* rle) {
    return std::make_shared<const CellMap>(dx, dy, rle);
}

// A variant whose image and usage are the same map, with the given period.
inline ComponentVariant& addSimpleVariant(ComponentRegister& catalogue, BasicComponent& component,
                                          std::string name, const char* rle, std::int32_t dx = 0,
                                          std::int32_t dy = 0, std::int32_t period = 1) {
    const auto cells = map(dx, dy, rle);
    return catalogue.addVariant(component, std::move(name), period, 1, 0, VariantType{}, cells,
                                cells);
}

}  // namespace trelkan::testing
