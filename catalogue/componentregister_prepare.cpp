// The variant matrix: seeded when the components are read, edited by [Pairs], and trimmed by the
// preparation for a run to the variants that can take part in a chain.
#include <algorithm>
#include <cassert>

#include "base/format.h"
#include "catalogue/componentregister.h"

namespace trelkan {
namespace {

// The type letters rule out some successions before any cells are compared: an X variant is
// never followed by an R variant, and a U variant only by R variants.
bool typesAllowSuccession(const ComponentVariant& first, const ComponentVariant& second) {
    if (first.typeX() && second.typeR()) {
        return false;
    }
    return !(first.typeU() && !second.typeR());
}

// The second variant put down at the output of the first, the first at the origin facing F:
// they fit when their usage maps share no cell. The variant with the larger index asks, as the
// overlap test of placed variants has it.
bool fitsEndToEnd(ComponentVariant& first, const BasicComponent& firstComponent,
                  ComponentVariant& second) {
    const Offset out = firstComponent.outOffset(kF);
    const Direction dir = firstComponent.outDir(kF);
    if (first.index() >= second.index()) {
        return first.isCompatible(out.x, out.y, dir, second);
    }
    const Offset back = toLocal(out.x, out.y, dir, 0, 0);
    return second.isCompatible(back.x, back.y, inverseCompose(dir, kF), first);
}

}  // namespace

void ComponentRegister::seedVariantMatrix() {
    const auto n = static_cast<std::size_t>(m_variantCount);
    m_variantMatrix.assign(n * n, 0);
    for (ComponentVariant* first : m_variantList) {
        const BasicComponent& firstComponent = component(first->componentIndex());
        for (ComponentVariant* second : m_variantList) {
            const bool allowed = typesAllowSuccession(*first, *second) &&
                                 fitsEndToEnd(*first, firstComponent, *second);
            m_variantMatrix[matrixIndex(first->index(), second->index())] = allowed ? 1 : 0;
        }
    }
}

void ComponentRegister::setFollow(const ComponentVariant& first, const ComponentVariant& second,
                                  bool allowed) {
    m_variantMatrix[matrixIndex(first.index(), second.index())] = allowed ? 1 : 0;
}

bool ComponentRegister::canFollow(const ComponentVariant& a,
                                  const BasicComponent& component) const {
    for (std::int32_t i = 0; i < component.activeCount(); ++i) {
        if (canFollow(a, component.activeVariant(i))) {
            return true;
        }
    }
    return false;
}

bool ComponentRegister::canFollow(const BasicComponent& component,
                                  const ComponentVariant& b) const {
    for (std::int32_t i = 0; i < component.activeCount(); ++i) {
        if (canFollow(component.activeVariant(i), b)) {
            return true;
        }
    }
    return false;
}

bool ComponentRegister::clearRow(std::int32_t variant) {
    bool changed = false;
    for (std::int32_t j = 0; j < m_variantCount; ++j) {
        std::uint8_t& entry = m_variantMatrix[matrixIndex(variant, j)];
        changed = changed || entry != 0;
        entry = 0;
    }
    return changed;
}

bool ComponentRegister::clearColumn(std::int32_t variant) {
    bool changed = false;
    for (std::int32_t i = 0; i < m_variantCount; ++i) {
        std::uint8_t& entry = m_variantMatrix[matrixIndex(i, variant)];
        changed = changed || entry != 0;
        entry = 0;
    }
    return changed;
}

bool ComponentRegister::hasSuccessor(std::int32_t variant) const {
    for (std::int32_t j = 0; j < m_variantCount; ++j) {
        if (m_variantMatrix[matrixIndex(variant, j)] != 0) {
            return true;
        }
    }
    return false;
}

bool ComponentRegister::hasPredecessor(std::int32_t variant) const {
    for (std::int32_t i = 0; i < m_variantCount; ++i) {
        if (m_variantMatrix[matrixIndex(i, variant)] != 0) {
            return true;
        }
    }
    return false;
}

// One pass over the variants: a variant that cannot be linked into a chain (in a loop it needs
// both a predecessor and a successor, in an open chain one of them) leaves the run. True when
// the pass cleared some entry, since that may strand other variants.
bool ComponentRegister::removeUnlinkedVariants(bool loopsOnly) {
    bool changed = false;
    for (ComponentVariant* variant : m_variantList) {
        const std::int32_t i = variant->index();
        const bool successor = hasSuccessor(i);
        const bool predecessor = hasPredecessor(i);
        const bool stays = loopsOnly ? successor && predecessor : successor || predecessor;
        if (stays) {
            continue;
        }
        component(variant->componentIndex()).removeActiveVariant(*variant);
        const bool rowChanged = clearRow(i);
        const bool columnChanged = clearColumn(i);
        changed = changed || rowChanged || columnChanged;
    }
    return changed;
}

void ComponentRegister::prepare(std::int32_t period, std::int32_t compression, bool loopsOnly,
                                bool buildCaches) {
    for (BasicComponent* component : m_componentList) {
        component->prepare(period, compression);
    }
    for (ComponentVariant* variant : m_variantList) {
        if (!variant->isActive()) {
            clearRow(variant->index());
            clearColumn(variant->index());
        }
    }
    while (removeUnlinkedVariants(loopsOnly)) {
    }

    m_maxVariants = 1;
    std::int32_t activeComponents = 0;
    for (const BasicComponent* component : m_componentList) {
        m_maxVariants = std::max(m_maxVariants, component->activeCount());
        activeComponents += component->activeCount() > 0 ? 1 : 0;
    }
    std::int32_t activeVariants = 0;
    for (ComponentVariant* variant : m_variantList) {
        if (variant->isActive()) {
            if (buildCaches) {
                variant->prepareCheckCache();
            }
            ++activeVariants;
        }
    }
    say(formatMessage("Prepared %d components, %d variants\n", activeComponents, activeVariants));
}

}  // namespace trelkan
