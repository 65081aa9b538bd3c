#include "catalogue/componentregister.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/tempdir.h"

namespace trelkan {
namespace {

using testing::TempDir;

// Loads a definition file in a temporary directory that is the working directory meanwhile,
// since image paths are relative to it.
class RegisterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_previous = std::filesystem::current_path();
        std::filesystem::current_path(m_dir.path());
    }
    void TearDown() override { std::filesystem::current_path(m_previous); }

    std::unique_ptr<ComponentRegister> load(const std::string& definition) {
        m_dir.write("data.ini", definition);
        LoadError error;
        auto reg = ComponentRegister::load("data.ini", m_messages, m_errors, error);
        EXPECT_TRUE(reg) << error.text();
        m_out = m_messages.take();
        return reg;
    }

    TempDir m_dir;
    std::filesystem::path m_previous;
    StringSink m_messages;
    StringSink m_errors;
    std::string m_out;
};

TEST_F(RegisterTest, ComponentsAndVariantsInFileOrder) {
    m_dir.write("glider.rle", "#C a glider\nx = 3, y = 3\nbo$2bo$3o!\n");
    m_dir.write("wide.rle", "x = 5, y = 4\n5o$4b\n$$o!\n");
    const auto reg = load(
        "[Components]\n"
        "alpha F 117 -20 5\n"
        " alpha1 1 20 0 GS glider.rle 1 1 wide.rle 3 4\n"
        " alpha2 5 35 90 GRU =alpha1 wide.rle 0 0\n"
        "beta L 64 10 -7\n"
        " beta1 8 16 0 GSX glider.rle 2 2 =alpha1\n"
        "empty B 3 0 0\n"
        "[Pairs]\n[Sequences]\n");
    EXPECT_EQ(m_out, "Loaded 3 components, 3 variants\n");
    ASSERT_EQ(reg->componentCount(), 3);
    ASSERT_EQ(reg->variantCount(), 3);
    EXPECT_EQ(reg->maxVariants(), 2);

    const BasicComponent& beta = reg->component(1);
    EXPECT_EQ(beta.name(), "beta");
    EXPECT_EQ(beta.index(), 1);
    EXPECT_EQ(beta.dt(), 64);
    EXPECT_EQ(beta.outOffset(kF), (Offset{10, -7}));
    EXPECT_EQ(beta.outDir(kF), kL);
    EXPECT_EQ(reg->component(2).variantCount(), 0);

    const ComponentVariant& alpha2 = reg->variant(1);
    EXPECT_EQ(alpha2.name(), "alpha2");
    EXPECT_EQ(alpha2.index(), 1);
    EXPECT_EQ(alpha2.componentIndex(), 0);
    EXPECT_EQ(alpha2.period(), 5);
    EXPECT_EQ(alpha2.maxCompression(), 35);
    EXPECT_EQ(alpha2.minCompression(), 90);
    EXPECT_TRUE(alpha2.typeR());
    EXPECT_TRUE(alpha2.typeU());
    EXPECT_FALSE(alpha2.typeX());
    const ComponentVariant& beta1 = reg->variant(2);
    EXPECT_FALSE(beta1.typeR());
    EXPECT_TRUE(beta1.typeX());
    EXPECT_EQ(beta1.componentIndex(), 1);

    // "=" shares the map itself: the image of alpha1 with alpha2, its usage with beta1.
    const ComponentVariant& alpha1 = reg->variant(0);
    EXPECT_EQ(alpha2.imageMap(), alpha1.imageMap());
    EXPECT_EQ(beta1.usageMap(), alpha1.usageMap());
    EXPECT_NE(beta1.imageMap(), alpha1.imageMap());
    EXPECT_EQ(alpha1.imageMap().use_count(), 2);
    EXPECT_EQ(alpha1.usageMap().use_count(), 2);
    // The wide map: 5 columns, 4 rows, its origin at column 3 of the top row.
    EXPECT_EQ(alpha1.usageMap()->getBounds(), (Box{-3, 1, 1, 4}));
    EXPECT_EQ(alpha1.imageMap()->getBounds(), (Box{-1, 1, -1, 1}));
}

TEST_F(RegisterTest, LookupsByExactName) {
    m_dir.write("dot.rle", "o!\n");
    const auto reg = load(
        "[Components]\nab F 1 0 0\n ab1 1 1 0 GS dot.rle 0 0 dot.rle 0 0\n"
        "[Pairs]\n[Sequences]\n");
    EXPECT_EQ(reg->findComponent("ab", true), &reg->component(0));
    EXPECT_EQ(reg->findVariant("ab1", true), &reg->variant(0));
    EXPECT_EQ(reg->findComponent("AB", false), nullptr);
    EXPECT_EQ(reg->findVariant("ab", false), nullptr);
    EXPECT_EQ(reg->findComponent("a", true), nullptr);
    EXPECT_EQ(m_messages.take(), "Unknown component name: AB\nUnknown variant name: ab\n");
}

TEST_F(RegisterTest, HeaderLineStartingLikeDataIsData) {
    m_dir.write("odd.rle", "3o$\nbo!\n");
    m_dir.write("dot.rle", "o!\n");
    const auto reg = load(
        "[Components]\na F 1 0 0\n a1 1 1 0 GS odd.rle 0 0 dot.rle 0 0\n"
        "[Pairs]\n[Sequences]\n");
    EXPECT_EQ(reg->variant(0).imageMap()->width(), 3);
    EXPECT_EQ(reg->variant(0).imageMap()->height(), 2);
}

// The first fault ends the loading with an error naming the file and the line; the parsers'
// messages before it have gone out already.
TEST_F(RegisterTest, FaultsEndTheLoadingWithTheirPlace) {
    m_dir.write("data.ini", "[Components]\nx F 0 0 0\n[Pairs]\n");
    LoadError error;
    EXPECT_EQ(ComponentRegister::load("data.ini", m_messages, m_errors, error), nullptr);
    EXPECT_EQ(error.text(), "data.ini:2: Syntax error in component definition\n");
    EXPECT_EQ(m_messages.take(), "Integer value too small (0) - limit is 1\nInvalid DT\n");
    EXPECT_EQ(ComponentRegister::load("missing.ini", m_messages, m_errors, error), nullptr);
    EXPECT_EQ(error.text(), "Definition file cannot be opened: missing.ini\n");
    EXPECT_EQ(error.line, 0);
}

}  // namespace
}  // namespace trelkan

namespace trelkan {
namespace {

// A catalogue of far-apart single cells, where seeding allows every succession, with pair and
// sequence lines to apply.
class PairsTest : public RegisterTest {
  protected:
    std::unique_ptr<ComponentRegister> loadWith(const std::string& pairs,
                                                const std::string& sequences = "") {
        m_dir.write("dot.rle", "o!\n");
        const std::string variant = " 1 1 0 GS dot.rle 0 0 dot.rle 0 0\n";
        return load("[Components]\nA F 1 5 0\n a1" + variant + " a2" + variant + " a3" + variant +
                    "B F 1 5 0\n b1" + variant + " b2" + variant + "a1 F 1 5 0\n x" + variant +
                    "[Pairs]\n" + pairs + "[Sequences]\n" + sequences);
    }

    // The matrix as rows of 0 and 1, variants in file order: a1 a2 a3 b1 b2 x.
    static std::vector<std::string> matrix(const ComponentRegister& reg) {
        std::vector<std::string> rows;
        for (std::int32_t i = 0; i < reg.variantCount(); ++i) {
            std::string row;
            for (std::int32_t j = 0; j < reg.variantCount(); ++j) {
                row += reg.canFollow(reg.variant(i), reg.variant(j)) ? '1' : '0';
            }
            rows.push_back(row);
        }
        return rows;
    }
};

using Matrix = std::vector<std::string>;

TEST_F(PairsTest, LinesEditTheSeededMatrixInFileOrder) {
    EXPECT_EQ(matrix(*loadWith("")), Matrix(6, "111111"));
    // A name that is a variant and a component (a1) means the variant.
    EXPECT_EQ(matrix(*loadWith("a1-B\n")),
              (Matrix{"111001", "111111", "111111", "111111", "111111", "111111"}));
    EXPECT_EQ(matrix(*loadWith("A-B\n")),
              (Matrix{"111001", "111001", "111001", "111111", "111111", "111111"}));
    EXPECT_EQ(matrix(*loadWith("*b2\n  b1*x\n")),
              (Matrix{"111101", "111101", "111101", "000000", "111101", "111101"}));
    // A later line overrides an earlier one.
    EXPECT_EQ(matrix(*loadWith("A-A\na2+a3\n")),
              (Matrix{"000111", "001111", "000111", "111111", "111111", "111111"}));
}

TEST_F(PairsTest, PlusAllowsWhatSeedingRefused) {
    m_dir.write("block.rle", "2o$2o!\n");
    // The output lies on the input: the block overlaps itself, so seeding forbids it.
    auto reg = load(
        "[Components]\nA F 1 0 0\n a1 1 1 0 GS block.rle 0 0 block.rle 0 0\n"
        "[Pairs]\n[Sequences]\n");
    EXPECT_FALSE(reg->canFollow(reg->variant(0), reg->variant(0)));
    reg = load(
        "[Components]\nA F 1 0 0\n a1 1 1 0 GS block.rle 0 0 block.rle 0 0\n"
        "[Pairs]\na1+a1\n[Sequences]\n");
    EXPECT_TRUE(reg->canFollow(reg->variant(0), reg->variant(0)));
}

TEST_F(PairsTest, TypeLettersRuleOutSuccessions) {
    m_dir.write("dot.rle", "o!\n");
    const auto reg = load(
        "[Components]\nA F 1 5 0\n r 1 1 0 GR dot.rle 0 0 dot.rle 0 0\n"
        " s 1 1 0 GS dot.rle 0 0 dot.rle 0 0\n u 1 1 0 GSU dot.rle 0 0 dot.rle 0 0\n"
        " x 1 1 0 GRX dot.rle 0 0 dot.rle 0 0\n[Pairs]\n[Sequences]\n");
    // Rows and columns r s u x: U only before R, X never before R.
    EXPECT_EQ(matrix(*reg), (Matrix{"1111", "1111", "1001", "0110"}));
}

TEST_F(PairsTest, SequencesComeOutShortestFirst) {
    auto reg = loadWith("", "A B A B\nA B a1\n\tB B B B B B B B B B\n");
    std::vector<std::int32_t> lengths;
    while (const auto sequence = reg->popSequence()) {
        lengths.push_back(static_cast<std::int32_t>(sequence->size()));
    }
    EXPECT_EQ(lengths, (std::vector<std::int32_t>{3, 4, 10}));
    EXPECT_FALSE(reg->popSequence());
}

// Preparation on catalogues built in code.
class PrepareTest : public ::testing::Test {
  protected:
    ComponentVariant& add(BasicComponent& component, const std::string& name, std::int32_t period,
                          std::int32_t maxCompression = 1, std::int32_t minCompression = 0,
                          const char* rle = "o!") {
        const auto cells = std::make_shared<const CellMap>(0, 0, rle);
        return m_catalogue.addVariant(component, name, period, maxCompression, minCompression,
                                      VariantType{}, cells, cells);
    }
    std::string prepare(std::int32_t period, std::int32_t compression, bool loopsOnly) {
        m_catalogue.prepare(period, compression, loopsOnly, false);
        return m_messages.take();
    }
    std::vector<std::string> active() const {
        std::vector<std::string> names;
        for (std::int32_t i = 0; i < m_catalogue.variantCount(); ++i) {
            if (m_catalogue.variant(i).isActive()) {
                names.push_back(m_catalogue.variant(i).name());
            }
        }
        return names;
    }
    StringSink m_messages;
    ComponentRegister m_catalogue{&m_messages};
};

using Names = std::vector<std::string>;

TEST_F(PrepareTest, PeriodsThatDivideTheRunPeriodTakePart) {
    BasicComponent& step = m_catalogue.addComponent("step", kF, 3, 0, 10);
    for (int period : {1, 2, 3, 4, 5, 6, 10, 15, 30}) {
        add(step, "p" + std::to_string(period), period);
    }
    m_catalogue.finishComponents();
    EXPECT_EQ(prepare(30, 0, true), "Prepared 1 components, 8 variants\n");
    EXPECT_EQ(active(), (Names{"p1", "p2", "p3", "p5", "p6", "p10", "p15", "p30"}));
    EXPECT_EQ(step.activeCount(), 8);
    EXPECT_EQ(m_catalogue.maxVariants(), 8);
    // The variant matrix keeps no trace of the inactive variant.
    EXPECT_FALSE(m_catalogue.canFollow(m_catalogue.variant(0), m_catalogue.variant(3)));
    EXPECT_FALSE(m_catalogue.canFollow(m_catalogue.variant(3), m_catalogue.variant(0)));
}

TEST_F(PrepareTest, CompressionWindow) {
    BasicComponent& step = m_catalogue.addComponent("step", kF, 3, 0, 10);
    add(step, "open", 1, 20, 0);
    add(step, "window", 1, 20, 40);
    m_catalogue.finishComponents();
    EXPECT_EQ(prepare(0, 19, false), "Prepared 0 components, 0 variants\n");
    EXPECT_EQ(active(), Names{});
}

TEST_F(PrepareTest, OpenChainsNeedOneNeighbour) {
    BasicComponent& first = m_catalogue.addComponent("first", kF, 3, 0, 10);
    BasicComponent& second = m_catalogue.addComponent("second", kF, 3, 0, 10);
    ComponentVariant& a = add(first, "a", 1);
    ComponentVariant& b = add(second, "b", 1);
    m_catalogue.finishComponents();
    m_catalogue.setFollow(a, a, false);
    m_catalogue.setFollow(b, a, false);
    m_catalogue.setFollow(b, b, false);
    // Only a may be followed, by b: enough for an open chain, not for a loop.
    EXPECT_EQ(prepare(0, 0, false), "Prepared 2 components, 2 variants\n");
}

TEST_F(PrepareTest, LoopsNeedBothNeighbours) {
    BasicComponent& first = m_catalogue.addComponent("first", kF, 3, 0, 10);
    BasicComponent& second = m_catalogue.addComponent("second", kF, 3, 0, 10);
    BasicComponent& lonely = m_catalogue.addComponent("lonely", kF, 0, 0, 10);
    ComponentVariant& a = add(first, "a", 1);
    ComponentVariant& b = add(second, "b", 1);
    add(lonely, "c", 1, 1, 0, "2o$2o!");
    m_catalogue.finishComponents();
    for (ComponentVariant* from : {&a, &b}) {
        for (ComponentVariant* to : {&a, &b}) {
            m_catalogue.setFollow(*from, *to, from == &a && to == &b);
        }
    }
    // a has no predecessor; once it is gone, neither has b. c overlaps itself and is cut off.
    EXPECT_EQ(prepare(0, 0, true), "Prepared 0 components, 0 variants\n");
    EXPECT_EQ(first.activeCount(), 0);
    EXPECT_EQ(lonely.activeCount(), 0);
    EXPECT_EQ(m_catalogue.maxVariants(), 1);
}

TEST_F(PrepareTest, CommonBoxIsTakenBeforeUnlinkedVariantsLeave) {
    BasicComponent& step = m_catalogue.addComponent("step", kF, 10, 0, 10);
    ComponentVariant& wide = add(step, "wide", 1, 1, 0, "5o$5o!");
    ComponentVariant& tall = add(step, "tall", 1, 1, 0, "o$o$o!");
    add(step, "slow", 7, 1, 0, "o!");
    m_catalogue.finishComponents();
    m_catalogue.setFollow(wide, wide, false);
    m_catalogue.setFollow(wide, tall, false);
    m_catalogue.setFollow(tall, wide, false);
    prepare(2, 0, true);
    EXPECT_EQ(active(), Names{"tall"});
    // wide still narrows the box, slow (inactive at period 2) does not.
    EXPECT_EQ(step.bounds(kF), (Box{0, 0, -1, 0}));
    EXPECT_EQ(step.bounds(kR), (Box{0, 1, 0, 0}));
}

}  // namespace
}  // namespace trelkan
