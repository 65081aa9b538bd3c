#include "tools/catalogue/cataloguefiles.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "catalogue/componentregister.h"
#include "tests/support/tempdir.h"
#include "tests/tools/catalogue/fixtures.h"

namespace trelkan::builder {
namespace {

// Two drawings of L112, and a made-up conduit whose one catalyst sits beside a catalyst of L112
// when it follows L112, so that pair fails.
Build smallBuild() {
    Build build;
    const ProvenConduit l112 = *proveConduit(testing::drawnL112(0, 0)).conduit;
    for (int i = 0; i < 3; ++i) {
        DrawnConduit drawn = testing::drawnL112(0, 0);
        drawn.index = i;
        build.collection.conduits.push_back(drawn);
        ProvenConduit conduit = l112;
        conduit.drawnIndex = i;
        build.proven.push_back(conduit);
        build.kept.push_back(static_cast<std::size_t>(i));
    }
    ProvenConduit& intruder = build.proven[2];
    const LifeCell beside{l112.catalysts.front().x - 1, l112.catalysts.front().y};
    intruder.catalysts = {{-(beside.y + 33), beside.x - 12}};
    intruder.output.x += 1;
    build.leftOut.push_back({1, "a reason"});
    build.pairs.emplace(build.proven, 1);
    build.plan = planCatalogue(build.proven, build.kept, build.collection);
    build.pairSection = makePairSection(build.plan, *build.pairs);
    return build;
}

class CatalogueFilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_previous = std::filesystem::current_path();
        std::filesystem::current_path(m_dir.path());
    }
    void TearDown() override { std::filesystem::current_path(m_previous); }

    std::unique_ptr<ComponentRegister> writeAndLoad(const Build& build) {
        for (const CatalogueFile& file : catalogueFiles(build, "data/sources/test.rle")) {
            m_dir.write("data/" + file.path, file.content);
        }
        StringSink messages;
        StringSink errors;
        LoadError error;
        auto catalogue = ComponentRegister::load("data/data.ini", messages, errors, error);
        EXPECT_TRUE(catalogue) << error.text();
        m_loaded = messages.take();
        return catalogue;
    }

    trelkan::testing::TempDir m_dir;
    std::filesystem::path m_previous;
    std::string m_loaded;
};

TEST_F(CatalogueFilesTest, TheLoaderReadsExactlyThePairsThatWork) {
    const Build build = smallBuild();
    const auto catalogue = writeAndLoad(build);
    // Each conduit gives a variant with the map of one passage and one with the full map.
    EXPECT_EQ(m_loaded, "Loaded 2 components, 6 variants\n");
    ASSERT_EQ(catalogue->variantCount(), 6);
    for (std::int32_t a = 0; a < 6; ++a) {
        for (std::int32_t b = 0; b < 6; ++b) {
            const VariantPlan& first = build.plan.variants[static_cast<std::size_t>(a)];
            const VariantPlan& second = build.plan.variants[static_cast<std::size_t>(b)];
            EXPECT_EQ(catalogue->canFollow(catalogue->variant(a), catalogue->variant(b)),
                      build.pairs->works(first.proven, second.proven))
                << first.name << " then " << second.name;
        }
    }
    EXPECT_FALSE(build.pairs->works(0, 2));
    EXPECT_TRUE(build.pairs->works(0, 1));
}

TEST_F(CatalogueFilesTest, VariantLinesCarryRecoveryTypeAndMaps) {
    const Build build = smallBuild();
    const auto catalogue = writeAndLoad(build);
    const ComponentVariant& variant = catalogue->variant(0);
    EXPECT_EQ(variant.name(), "L112a");
    const CellMap& image = *variant.imageMap();
    const CellMap& usage = *variant.usageMap();
    EXPECT_EQ(image.getBounds(), usage.getBounds());
    EXPECT_EQ(image.getBounds(), build.plan.variants[0].maps.rectangle);
    for (const LifeCell& cell : build.proven[0].catalysts) {
        EXPECT_EQ(image.getCell(cell.x, cell.y), 1);
        EXPECT_EQ(usage.getCell(cell.x, cell.y), 1);
    }
    const std::string definition = definitionFile(build, "data/sources/test.rle");
    const std::int64_t quiet = build.proven[0].quietSpacing();
    EXPECT_NE(definition.find("\nL112 L 112 12 -33\n L112a 1 " + std::to_string(quiet) +
                              " 0 GS data/conduits/L112a-image.rle"),
              std::string::npos);
    EXPECT_NE(definition.find("\n L112a.c 1 69 " + std::to_string(quiet - 1) +
                              " GS data/conduits/L112a.c-image.rle"),
              std::string::npos);
    EXPECT_EQ(definition.substr(definition.size() - 12), "[Sequences]\n");
}

TEST_F(CatalogueFilesTest, TheReadmeIsFilledIn) {
    const Build build = smallBuild();
    const std::vector<CatalogueFile> files = catalogueFiles(build, "data/sources/test.rle");
    EXPECT_EQ(files.size(), 1u + 2u * 6u);
    const CatalogueFile readme = readmeFile(build, "data/sources/test.rle", "| searches |\n");
    EXPECT_EQ(readme.path, "README.md");
    EXPECT_EQ(readme.content.find("{{"), std::string::npos);
    EXPECT_NE(readme.content.find("| L112 | L | 112 | (12, -33) | L112a, L112a.c |"),
              std::string::npos);
    EXPECT_NE(readme.content.find("| L112 | a reason |"), std::string::npos);
    EXPECT_NE(readme.content.find("sources/test.rle"), std::string::npos);
    EXPECT_NE(readme.content.find("\n| searches |\n"), std::string::npos);
}

}  // namespace
}  // namespace trelkan::builder
