#include "engine/looprules.h"

#include <gtest/gtest.h>

#include "catalogue/componentregister.h"
#include "compound/compoundcomponent.h"
#include "tests/support/catalogue.h"

namespace trelkan {
namespace {

class CanonicalRotation : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : {"a", "b", "c"}) {
            m_components.push_back(&m_catalogue.addComponent(name, kF, 1, 0, 1));
        }
    }

    // The chain of the components with these indices.
    bool isCanonical(const std::vector<int>& indices) {
        CompoundComponent chain(static_cast<std::int32_t>(indices.size()), 1, 0, "");
        for (int i : indices) {
            chain.append(*m_components[static_cast<std::size_t>(i)]);
        }
        return isCanonicalRotation(chain);
    }

    ComponentRegister m_catalogue;
    std::vector<BasicComponent*> m_components;
};

TEST_F(CanonicalRotation, KeepsTheLeastRotationAmongThoseWithTheSameFirstComponent) {
    EXPECT_TRUE(isCanonical({2}));
    EXPECT_TRUE(isCanonical({2, 0, 2, 1}));
    EXPECT_FALSE(isCanonical({2, 1, 2, 0}));
    // A loop that repeats itself has equal rotations: each is canonical.
    EXPECT_TRUE(isCanonical({2, 1, 2, 1}));
    EXPECT_TRUE(isCanonical({2, 2, 2}));
    // Rotations that agree in their first places.
    EXPECT_TRUE(isCanonical({2, 1, 1, 2, 1, 2}));
    EXPECT_FALSE(isCanonical({2, 1, 2, 2, 1, 1}));
    EXPECT_FALSE(isCanonical({2, 2, 1, 2, 1, 1}));
    // Rotations that begin with another component are not compared.
    EXPECT_TRUE(isCanonical({1, 2, 0}));
}

}  // namespace
}  // namespace trelkan
