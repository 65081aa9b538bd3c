// A component: a piece of Life machinery that takes a signal in and gives it out dt generations
// later at a fixed offset and direction relative to its input, with one or more variants.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "base/box.h"
#include "base/direction.h"
#include "catalogue/componentvariant.h"

namespace trelkan {

class ComponentRegister;

class BasicComponent {
  public:
    // direction, dx and dy describe the output for an input facing F.
    BasicComponent(ComponentRegister* owner, std::int32_t index, std::string name,
                   Direction direction, std::int32_t dx, std::int32_t dy, std::int32_t dt);
    virtual ~BasicComponent();
    BasicComponent(const BasicComponent&) = delete;
    BasicComponent& operator=(const BasicComponent&) = delete;

    ComponentRegister& owner() const { return *m_register; }
    std::int32_t index() const { return m_index; }
    const std::string& name() const { return m_name; }
    std::int32_t dt() const { return m_dt; }

    // The output's offset from the input, and its direction, for an input facing o.
    Offset outOffset(Direction o) const { return {m_outDX[o], m_outDY[o]}; }
    Direction outDir(Direction o) const { return m_outDir[o]; }
    // The input's offset from the output, and its direction, for an output facing o.
    Offset backOffset(Direction o) const { return {m_backDX[o], m_backDY[o]}; }
    Direction backDir(Direction o) const { return m_backDir[o]; }

    // All variants, in file order.
    std::int32_t variantCount() const { return static_cast<std::int32_t>(m_variants.size()); }
    ComponentVariant& variant(std::int32_t i) const {
        return *m_variants[static_cast<std::size_t>(i)];
    }
    ComponentVariant& addVariant(std::unique_ptr<ComponentVariant> variant);

    // The variants active in the current run, in file order.
    std::int32_t activeCount() const { return m_activeCount; }
    ComponentVariant& activeVariant(std::int32_t i) const {
        return *m_variantList[static_cast<std::size_t>(i)];
    }

    // Rebuilds the list of active variants for a run and the box common to them.
    void prepare(std::int32_t period, std::int32_t compression);
    // Takes a variant out of the active list, keeping the order of the others.
    void removeActiveVariant(ComponentVariant& variant);

    // The box common to all active variants in orientation o.
    Box bounds(Direction o) const {
        return {m_bounds[kMinX][o], m_bounds[kMaxX][o], m_bounds[kMinY][o], m_bounds[kMaxY][o]};
    }

  private:
    enum BoundRow { kMinX, kMaxX, kMinY, kMaxY };
    using PerOrientation = std::array<std::int32_t, kDirectionCount>;

    ComponentRegister* m_register;
    std::int32_t m_index;
    std::int32_t m_dt;
    PerOrientation m_outDX{};
    PerOrientation m_outDY{};
    std::array<Direction, kDirectionCount> m_outDir{};
    PerOrientation m_backDX{};
    PerOrientation m_backDY{};
    std::array<Direction, kDirectionCount> m_backDir{};
    std::string m_name;
    std::deque<std::unique_ptr<ComponentVariant>> m_variants;
    std::vector<ComponentVariant*> m_variantList;
    std::int32_t m_activeCount = 0;
    std::array<PerOrientation, 4> m_bounds{};
};

}  // namespace trelkan
