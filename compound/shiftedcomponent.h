// One place in a chain: a component put down with its input at a cell and orientation, the
// variants that may be used there, and the variant chosen.
#pragma once

#include <cstdint>
#include <vector>

#include "base/box.h"
#include "base/textsink.h"
#include "catalogue/basiccomponent.h"
#include "catalogue/componentvariant.h"

namespace trelkan {

class ShiftedComponent {
  public:
    ShiftedComponent() = default;
    virtual ~ShiftedComponent() = default;
    ShiftedComponent(const ShiftedComponent&) = default;
    ShiftedComponent& operator=(const ShiftedComponent&) = default;
    ShiftedComponent(ShiftedComponent&&) = default;
    ShiftedComponent& operator=(ShiftedComponent&&) = default;

    // Room for the variants that may be used here; every later operation works within it.
    void init(std::int32_t capacity);

    // Puts the component's input at (x, y) facing dir. The chosen variant stays as it was.
    void place(const BasicComponent& component, std::int32_t x, std::int32_t y, Direction dir);

    // The active variants of the component that may follow some active variant of prev (when
    // given) and be followed by some active variant of next (when given), in list order.
    void selectVariants(const BasicComponent* prev, const BasicComponent* next);

    void selectVariant(std::int32_t i) { m_variant = m_variantList[static_cast<std::size_t>(i)]; }
    void setVariant(ComponentVariant* variant) { m_variant = variant; }
    void saveVariant() { m_savedVariant = m_variant; }
    void restoreVariant() { m_variant = m_savedVariant; }

    std::int32_t x() const { return m_x; }
    std::int32_t y() const { return m_y; }
    Direction dir() const { return m_dir; }
    std::int32_t outX() const { return m_outX; }
    std::int32_t outY() const { return m_outY; }
    Direction outDir() const { return m_outDir; }
    const BasicComponent* component() const { return m_component; }
    ComponentVariant* variant() const { return m_variant; }
    std::int32_t variantCount() const { return m_variantCount; }
    ComponentVariant* variantAt(std::int32_t i) const {
        return m_variantList[static_cast<std::size_t>(i)];
    }

    // The chosen variant's box, or the component's core box while none is chosen.
    Box placedBox() const;
    // The box common to the component's active variants, wherever the variant.
    Box coreBox() const;

    bool isImageCell(std::int32_t x, std::int32_t y) const;

    // The usage maps of the two chosen variants share no cell. The variant with the larger
    // index asks, as the verdict cache of the variants requires.
    bool isCompatibleWith(const ShiftedComponent& other) const;

    // Writes the chosen variant's name.
    virtual void printName(TextSink& out) const;

  private:
    ComponentVariant* m_savedVariant = nullptr;
    std::int32_t m_variantCount = 0;
    std::int32_t m_x = 0;
    std::int32_t m_y = 0;
    std::int32_t m_outX = 0;
    std::int32_t m_outY = 0;
    Direction m_dir = kF;
    Direction m_outDir = kF;
    const BasicComponent* m_component = nullptr;
    ComponentVariant* m_variant = nullptr;
    std::vector<ComponentVariant*> m_variantList;
};

}  // namespace trelkan
