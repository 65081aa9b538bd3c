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
        ::testing::internal::CaptureStdout();
        auto reg = std::make_unique<ComponentRegister>("data.ini");
        m_out = ::testing::internal::GetCapturedStdout();
        return reg;
    }

    TempDir m_dir;
    std::filesystem::path m_previous;
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
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(reg->findComponent("AB", false), nullptr);
    EXPECT_EQ(reg->findVariant("ab", false), nullptr);
    EXPECT_EQ(reg->findComponent("a", true), nullptr);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "Unknown component name: AB\nUnknown variant name: ab\n");
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

using RegisterDeathTest = RegisterTest;

TEST_F(RegisterDeathTest, FaultsEndTheProgramWithStatusOne) {
    m_dir.write("data.ini", "[Components]\nx F 1 0 0 \n[Pairs]\n");
    EXPECT_EXIT(ComponentRegister("data.ini"), ::testing::ExitedWithCode(1), "");
    EXPECT_EXIT(ComponentRegister("missing.ini"), ::testing::ExitedWithCode(1), "");
}

}  // namespace
}  // namespace trelkan
