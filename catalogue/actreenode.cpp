#include "catalogue/actreenode.h"

namespace trelkan {

ACTreeNode::ACTreeNode(std::int32_t alphabetSize, std::int32_t depth, ACTreeNode* link)
    : m_ptr(static_cast<std::size_t>(alphabetSize), nullptr), m_depth(depth), m_link(link) {}

}  // namespace trelkan
