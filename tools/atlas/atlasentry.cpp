#include "tools/atlas/atlasentry.h"

#include <tuple>

namespace trelkan {

std::string AtlasEntry::chain() const {
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : " ") + name;
    }
    return text;
}

bool comesBefore(const AtlasEntry& first, const AtlasEntry& second) {
    return std::forward_as_tuple(first.area, first.names.size(), first.names) <
           std::forward_as_tuple(second.area, second.names.size(), second.names);
}

}  // namespace trelkan
