#include "compound/shiftedcomponent.h"

#include <gtest/gtest.h>

#include "tests/support/catalogue.h"

namespace trelkan {
namespace {

using testing::addSimpleVariant;

class Places : public ::testing::Test {
  protected:
    void SetUp() override {
        m_turn = &m_catalogue.addComponent("turn", kL, 7, -2, 20);
        m_a = &addSimpleVariant(m_catalogue, *m_turn, "a", "3o$3o$3o!", 1, 1);
        m_b = &addSimpleVariant(m_catalogue, *m_turn, "b", "o!");
        m_c = &addSimpleVariant(m_catalogue, *m_turn, "c", "2o$2o$2o!", 0, 2, 4);
        m_catalogue.finishComponents();
    }

    void prepare(std::int32_t period) { m_catalogue.prepare(period, 0, false, false); }

    ComponentRegister m_catalogue;
    BasicComponent* m_turn = nullptr;
    ComponentVariant* m_a = nullptr;
    ComponentVariant* m_b = nullptr;
    ComponentVariant* m_c = nullptr;
};

TEST_F(Places, OutputFollowsTheTurnedDisplacement) {
    ShiftedComponent place;
    place.place(*m_turn, 100, 50, kB);
    EXPECT_EQ(place.outX(), 93);
    EXPECT_EQ(place.outY(), 52);
    EXPECT_EQ(place.outDir(), combineDir(kB, kL));
    place.place(*m_turn, 0, 0, kRx);
    EXPECT_EQ(place.outX(), -2);
    EXPECT_EQ(place.outY(), 7);
}

TEST_F(Places, SelectVariantsFiltersByTheNeighbours) {
    prepare(0);
    ShiftedComponent place;
    place.init(m_catalogue.maxVariants());
    place.place(*m_turn, 0, 0, kF);
    place.selectVariants(nullptr, nullptr);
    ASSERT_EQ(place.variantCount(), 3);
    EXPECT_EQ(place.variantAt(0), m_a);
    EXPECT_EQ(place.variantAt(2), m_c);

    // Only c may follow anything, and only b may precede anything.
    for (ComponentVariant* first : {m_a, m_b, m_c}) {
        for (ComponentVariant* second : {m_a, m_b, m_c}) {
            m_catalogue.setFollow(*first, *second, second == m_c && first == m_b);
        }
    }
    place.selectVariants(m_turn, nullptr);
    ASSERT_EQ(place.variantCount(), 1);
    EXPECT_EQ(place.variantAt(0), m_c);
    place.selectVariants(nullptr, m_turn);
    ASSERT_EQ(place.variantCount(), 1);
    EXPECT_EQ(place.variantAt(0), m_b);
    place.selectVariants(m_turn, m_turn);
    EXPECT_EQ(place.variantCount(), 0);
}

TEST_F(Places, InactiveVariantsAreNeverSelected) {
    prepare(3);  // c has period 4
    ShiftedComponent place;
    place.init(m_catalogue.maxVariants());
    place.place(*m_turn, 0, 0, kF);
    place.selectVariants(nullptr, nullptr);
    EXPECT_EQ(place.variantCount(), 2);
}

TEST_F(Places, BoxesOfTheCoreAndOfTheChosenVariant) {
    prepare(0);
    ShiftedComponent place;
    place.place(*m_turn, 10, 20, kF);
    // The core is what a, b and c all cover: the single cell at the input.
    EXPECT_EQ(place.placedBox(), (Box{10, 10, 20, 20}));
    place.setVariant(m_a);
    EXPECT_EQ(place.placedBox(), (Box{9, 11, 19, 21}));
    EXPECT_EQ(place.coreBox(), (Box{10, 10, 20, 20}));
    place.place(*m_turn, 10, 20, kL);
    // a turned left is the same square; c (2 wide, 3 tall above its input) lies on its side.
    EXPECT_EQ(place.placedBox(), (Box{9, 11, 19, 21}));
    place.setVariant(m_c);
    EXPECT_EQ(place.placedBox(), (Box{10, 12, 19, 20}));
    EXPECT_TRUE(place.isImageCell(12, 19));
    EXPECT_FALSE(place.isImageCell(9, 20));
}

TEST_F(Places, EmptyBoxesStayEmptyWhereverTheyArePut) {
    ComponentVariant& blank = addSimpleVariant(m_catalogue, *m_turn, "blank", "2o 3b!", -5, 4);
    ShiftedComponent place;
    // The empty box runs from 5 back to 4 on both axes: moved this far, its least edges wrap.
    place.place(*m_turn, 2147483643, 2147483643, kF);
    place.setVariant(&blank);
    EXPECT_TRUE(place.placedBox().isEmpty());
    place.place(*m_turn, 5, 5, kR);
    EXPECT_TRUE(place.placedBox().isEmpty());
}

TEST_F(Places, CompatibilityIsSymmetric) {
    ShiftedComponent first;
    ShiftedComponent second;
    first.place(*m_turn, 0, 0, kF);
    first.setVariant(m_a);
    for (const Direction dir : kDirections) {
        for (std::int32_t x = -3; x <= 3; ++x) {
            second.place(*m_turn, x, 1, dir);
            second.setVariant(m_c);
            EXPECT_EQ(first.isCompatibleWith(second), second.isCompatibleWith(first))
                << dir << " " << x;
        }
    }
    second.place(*m_turn, 1, 0, kF);
    second.setVariant(m_b);
    EXPECT_FALSE(first.isCompatibleWith(second));
    second.place(*m_turn, 2, 0, kF);
    EXPECT_TRUE(first.isCompatibleWith(second));
}

}  // namespace
}  // namespace trelkan
