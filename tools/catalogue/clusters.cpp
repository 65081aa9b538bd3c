#include "tools/catalogue/clusters.h"

#include <algorithm>
#include <deque>
#include <numeric>
#include <tuple>

namespace trelkan::builder {
namespace {

// A row counts as a ruled line when state 6 fills at least this share of it.
constexpr std::int32_t kRuleShareDivisor = 4;

std::vector<std::int32_t> ruledLineTops(const Picture& picture) {
    std::vector<std::int32_t> tops;
    bool previousRuled = false;
    for (std::int32_t y = 0; y < picture.height(); ++y) {
        std::int32_t count = 0;
        for (std::int32_t x = 0; x < picture.width(); ++x) {
            count += picture.state(x, y) == kRule ? 1 : 0;
        }
        const bool ruled = count > 0 && count >= picture.width() / kRuleShareDivisor;
        if (ruled && !previousRuled) {
            tops.push_back(y);
        }
        previousRuled = ruled;
    }
    return tops;
}

}  // namespace

ClusterMap::ClusterMap(const Picture& picture)
    : m_width(picture.width()), m_height(picture.height()) {
    std::vector<std::int32_t> labels = labelEnvelopes(picture);
    orderClusters(picture, labels);
    spreadOwnership(labels);
}

std::vector<std::int32_t> ClusterMap::labelEnvelopes(const Picture& picture) {
    std::vector<std::int32_t> labels(static_cast<std::size_t>(m_width) * m_height, -1);
    std::int32_t count = 0;
    for (std::int32_t y = 0; y < m_height; ++y) {
        for (std::int32_t x = 0; x < m_width; ++x) {
            if (picture.state(x, y) != kEnvelope || labels[at(x, y)] >= 0) {
                continue;
            }
            const std::int32_t label = count++;
            std::vector<LifeCell> pending = {{x, y}};
            labels[at(x, y)] = label;
            Box box{x, x, y, y};
            while (!pending.empty()) {
                const LifeCell cell = pending.back();
                pending.pop_back();
                box.include({cell.x, cell.x, cell.y, cell.y});
                for (std::int32_t ny = cell.y - kEnvelopeReach; ny <= cell.y + kEnvelopeReach;
                     ++ny) {
                    for (std::int32_t nx = cell.x - kEnvelopeReach; nx <= cell.x + kEnvelopeReach;
                         ++nx) {
                        if (picture.state(nx, ny) == kEnvelope && labels[at(nx, ny)] < 0) {
                            labels[at(nx, ny)] = label;
                            pending.push_back({nx, ny});
                        }
                    }
                }
            }
            m_clusters.push_back({box, 0});
        }
    }
    return labels;
}

void ClusterMap::orderClusters(const Picture& picture, std::vector<std::int32_t>& labels) {
    m_ruledLineTops = ruledLineTops(picture);
    for (Cluster& cluster : m_clusters) {
        cluster.band = bandOf(cluster.box.minY);
    }
    std::vector<std::int32_t> order(m_clusters.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [this](std::int32_t a, std::int32_t b) {
        const Cluster& p = m_clusters[static_cast<std::size_t>(a)];
        const Cluster& q = m_clusters[static_cast<std::size_t>(b)];
        return std::tie(p.band, p.box.minX, p.box.minY) < std::tie(q.band, q.box.minX, q.box.minY);
    });
    std::vector<std::int32_t> renumber(m_clusters.size());
    std::vector<Cluster> ordered;
    for (std::size_t i = 0; i < order.size(); ++i) {
        renumber[static_cast<std::size_t>(order[i])] = static_cast<std::int32_t>(i);
        ordered.push_back(m_clusters[static_cast<std::size_t>(order[i])]);
    }
    m_clusters = std::move(ordered);
    for (std::int32_t& label : labels) {
        if (label >= 0) {
            label = renumber[static_cast<std::size_t>(label)];
        }
    }
}

void ClusterMap::spreadOwnership(const std::vector<std::int32_t>& labels) {
    // Breadth first from every envelope cell at once, one king's move per round, so that each
    // cell goes to the envelope nearest to it (ties to the one met first in reading order).
    m_owner = labels;
    std::vector<std::int32_t> distance(labels.size(), -1);
    std::deque<LifeCell> queue;
    for (std::int32_t y = 0; y < m_height; ++y) {
        for (std::int32_t x = 0; x < m_width; ++x) {
            if (labels[at(x, y)] >= 0) {
                distance[at(x, y)] = 0;
                queue.push_back({x, y});
            }
        }
    }
    while (!queue.empty()) {
        const LifeCell cell = queue.front();
        queue.pop_front();
        const std::int32_t next = distance[at(cell.x, cell.y)] + 1;
        if (next > kOwnerReach) {
            continue;
        }
        for (std::int32_t ny = cell.y - 1; ny <= cell.y + 1; ++ny) {
            for (std::int32_t nx = cell.x - 1; nx <= cell.x + 1; ++nx) {
                if (nx < 0 || ny < 0 || nx >= m_width || ny >= m_height ||
                    distance[at(nx, ny)] >= 0) {
                    continue;
                }
                distance[at(nx, ny)] = next;
                m_owner[at(nx, ny)] = m_owner[at(cell.x, cell.y)];
                queue.push_back({nx, ny});
            }
        }
    }
}

std::int32_t ClusterMap::bandOf(std::int32_t y) const {
    return static_cast<std::int32_t>(
        std::lower_bound(m_ruledLineTops.begin(), m_ruledLineTops.end(), y) -
        m_ruledLineTops.begin());
}

std::int32_t ClusterMap::owner(std::int32_t x, std::int32_t y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) {
        return -1;
    }
    return m_owner[at(x, y)];
}

}  // namespace trelkan::builder
