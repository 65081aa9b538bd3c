// The conduits of the collection, told apart by their reaction envelopes: envelope cells closer
// than a few cells belong to the same conduit, and every other drawn cell belongs to the conduit
// whose envelope lies nearest.
#pragma once

#include <cstdint>
#include <vector>

#include "base/box.h"
#include "tools/catalogue/picture.h"

namespace trelkan::builder {

struct Cluster {
    // The box of the envelope.
    Box box;
    // The row of the collection: how many ruled lines lie above the envelope.
    std::int32_t band = 0;
};

class ClusterMap {
  public:
    // Envelope cells within this many cells of each other belong to one conduit: the envelope
    // widened by 2 cells on each side.
    static constexpr std::int32_t kEnvelopeReach = 5;
    // A drawn cell farther than this from every envelope belongs to no conduit.
    static constexpr std::int32_t kOwnerReach = 12;

    explicit ClusterMap(const Picture& picture);

    // In reading order: row of the collection, then left to right.
    const std::vector<Cluster>& clusters() const { return m_clusters; }
    // The cluster whose envelope lies nearest to the cell, or -1.
    std::int32_t owner(std::int32_t x, std::int32_t y) const;
    // The row of the collection that a picture row belongs to.
    std::int32_t bandOf(std::int32_t y) const;

  private:
    std::size_t at(std::int32_t x, std::int32_t y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) +
               static_cast<std::size_t>(x);
    }
    std::vector<std::int32_t> labelEnvelopes(const Picture& picture);
    void orderClusters(const Picture& picture, std::vector<std::int32_t>& labels);
    void spreadOwnership(const std::vector<std::int32_t>& labels);

    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    std::vector<Cluster> m_clusters;
    std::vector<std::int32_t> m_ruledLineTops;
    std::vector<std::int32_t> m_owner;
};

}  // namespace trelkan::builder
