#include "compound/compoundcomponent.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "tests/support/catalogue.h"

namespace trelkan {
namespace {

using testing::addSimpleVariant;

class Chains : public ::testing::Test {
  protected:
    void SetUp() override {
        m_turn = &m_catalogue.addComponent("turn", kL, 10, 4, 30);
        m_wide = &addSimpleVariant(m_catalogue, *m_turn, "wide", "5o$5o!", 2, 0);
        m_step = &m_catalogue.addComponent("step", kF, 8, 0, 12);
        m_dot = &addSimpleVariant(m_catalogue, *m_step, "dot", "o!");
        m_catalogue.finishComponents();
        m_catalogue.prepare(0, 0, false, false);
    }

    ComponentRegister m_catalogue;
    BasicComponent* m_turn = nullptr;
    BasicComponent* m_step = nullptr;
    ComponentVariant* m_wide = nullptr;
    ComponentVariant* m_dot = nullptr;
};

TEST_F(Chains, StartAppendAndRemoveKeepTheEndPoint) {
    CompoundComponent chain(4, 1, 0, "");
    chain.start(5, 7, kR, *m_turn, m_wide);
    EXPECT_EQ(chain.count(), 1);
    EXPECT_EQ(chain.place(0).x(), 5);
    EXPECT_EQ(chain.place(0).y(), 7);
    EXPECT_EQ(chain.place(0).dir(), kR);
    EXPECT_EQ(chain.endX(), chain.place(0).outX());
    EXPECT_EQ(chain.endY(), chain.place(0).outY());
    EXPECT_EQ(chain.endDir(), chain.place(0).outDir());

    const std::int32_t x = chain.endX();
    const std::int32_t y = chain.endY();
    const Direction dir = chain.endDir();
    chain.append(*m_step);
    EXPECT_EQ(chain.place(1).x(), x);
    EXPECT_EQ(chain.place(1).dir(), dir);
    chain.removeLast();
    EXPECT_EQ(chain.count(), 1);
    EXPECT_EQ(chain.endX(), x);
    EXPECT_EQ(chain.endY(), y);
    EXPECT_EQ(chain.endDir(), dir);

    chain.clear();
    EXPECT_EQ(chain.count(), 0);
    EXPECT_EQ(chain.endX(), 0);
    EXPECT_EQ(chain.endDir(), kF);
}

TEST_F(Chains, CopyStartsAtTheOriginWithTheGivenDirection) {
    CompoundComponent chain(4, 1, 0, " (p=30)");
    chain.start(5, 7, kR, *m_turn, m_wide);
    chain.appendWithVariant(*m_step, m_dot);
    chain.appendWithVariant(*m_turn, m_wide);

    const std::unique_ptr<CompoundComponent> copy = chain.copyAt(kF);
    ASSERT_EQ(copy->count(), 3);
    EXPECT_EQ(copy->slotCount(), 0);
    EXPECT_EQ(copy->text(), " (p=30)");
    EXPECT_EQ(copy->place(0).x(), 0);
    EXPECT_EQ(copy->place(0).dir(), kF);
    EXPECT_EQ(copy->place(2).variant(), m_wide);
    // The copy is the chain turned from R back to F about its start.
    const Box original = chain.bounds();
    const Box local = transformBox(0, 0, inverseDir(kR), transformBox(-5, -7, kF, original));
    EXPECT_EQ(copy->bounds(), local);
    EXPECT_EQ(copy->area(), chain.area());
    EXPECT_EQ(copy->area(), 11 * 13);
}

TEST_F(Chains, EmptyChainMeasuresOneCell) {
    CompoundComponent chain(2, 1, 0, "");
    EXPECT_EQ(chain.bounds(), (Box{0, 0, 0, 0}));
    EXPECT_EQ(chain.coreBounds(), (Box{0, 0, 0, 0}));
    EXPECT_EQ(chain.area(), 1);
    EXPECT_EQ(chain.excessFrom(0), 0);
}

TEST_F(Chains, AreaIsKeptUntilReset) {
    CompoundComponent chain(3, 1, 0, "");
    chain.start(0, 0, kF, *m_step, m_dot);
    EXPECT_EQ(chain.area(), 1);
    chain.appendWithVariant(*m_step, m_dot);
    EXPECT_EQ(chain.area(), 1);
    chain.resetArea();
    EXPECT_EQ(chain.area(), 9);
}

TEST_F(Chains, ExcessCountsThePlacesFromTheFirstThatOverflows) {
    CompoundComponent chain(4, 1, 0, "");
    for (int i = 0; i < 4; ++i) {
        chain.append(*m_step);  // cores 1 cell each, 8 apart
    }
    EXPECT_EQ(chain.excessFrom(0), 4);
    EXPECT_EQ(chain.excessFrom(1), 3);
    EXPECT_EQ(chain.excessFrom(9), 2);
    EXPECT_EQ(chain.excessFrom(25), 0);
    EXPECT_EQ(chain.excessFrom(24), 1);
}

TEST_F(Chains, UnchosenPlacesDrawNothing) {
    CompoundComponent chain(2, 1, 0, "");
    chain.append(*m_turn);
    EXPECT_FALSE(chain.isCell(0, 0));
    chain.place(0).setVariant(m_wide);
    EXPECT_TRUE(chain.isCell(-2, 0));
    EXPECT_TRUE(chain.isCell(2, -1));
    EXPECT_FALSE(chain.isCell(3, 0));
}

std::string drawn(const CompoundComponent& chain, const std::atomic<bool>* running = nullptr) {
    StringSink text;
    RleWriter writer(text, RleStyle{77, true});
    chain.writePattern(writer, true, running);
    return text.take();
}

// Drawing visits the cells of the places, not the box: two dots a million cells apart make a
// pattern of a million rows, each written at once.
TEST_F(Chains, FarApartPlacesDrawInTheTimeOfTheirCells) {
    CompoundComponent chain(2, 1, 0, "");
    chain.start(0, 0, kF, *m_step, m_dot);
    chain.start(1000000, 1000000, kF, *m_step, m_dot);
    EXPECT_EQ(drawn(chain), "o1000000$1000000bo51$\n");
}

// A stop while a result is drawn ends its pattern where the rows had come to.
TEST_F(Chains, AStopEndsTheDrawing) {
    CompoundComponent chain(2, 1, 0, "");
    chain.start(0, 0, kF, *m_turn, m_wide);
    const std::atomic<bool> running{true};
    const std::atomic<bool> stopped{false};
    EXPECT_EQ(drawn(chain, &running), drawn(chain));
    EXPECT_EQ(drawn(chain, &running), "5o$5o51$\n");
    EXPECT_EQ(drawn(chain, &stopped), "50$\n");
}

}  // namespace
}  // namespace trelkan
