// The test pattern of the bundled catalogue, read back as Life cells: every variant appears twice
// in the grid's heading row and column, and every allowed pair once, each entry apart from the
// others.
#include <gtest/gtest.h>

#include <filesystem>

#include "catalogue/componentregister.h"
#include "compound/compoundcomponent.h"
#include "life/rlepattern.h"
#include "run/console.h"
#include "run/search.h"
#include "run/testpattern.h"
#include "tests/support/tempdir.h"

namespace trelkan {
namespace {

const BasicComponent& componentOf(const ComponentRegister& catalogue,
                                  const ComponentVariant& variant) {
    return catalogue.component(variant.componentIndex());
}

// The live cells of the variants put down one after the other from the origin. Conduits that
// work one after the other may share a catalyst: it is one still life in Life, drawn once.
std::int64_t liveCells(const ComponentRegister& catalogue,
                       const std::vector<ComponentVariant*>& variants) {
    CompoundComponent chain(static_cast<std::int32_t>(variants.size()), catalogue.maxVariants(), 0,
                            "");
    for (ComponentVariant* variant : variants) {
        chain.appendWithVariant(componentOf(catalogue, *variant), variant);
    }
    const Box box = chain.bounds();
    std::int64_t cells = 0;
    for (std::int32_t y = box.minY; y <= box.maxY; ++y) {
        for (std::int32_t x = box.minX; x <= box.maxX; ++x) {
            cells += chain.isCell(x, y) ? 1 : 0;
        }
    }
    return cells;
}

// Runs the test pattern in the directory and leaves it as it was.
class InDirectory {
  public:
    explicit InDirectory(const std::filesystem::path& path)
        : m_previous(std::filesystem::current_path()) {
        std::filesystem::current_path(path);
    }
    ~InDirectory() { std::filesystem::current_path(m_previous); }
    InDirectory(const InDirectory&) = delete;
    InDirectory& operator=(const InDirectory&) = delete;

  private:
    std::filesystem::path m_previous;
};

TEST(BundledTestPattern, ShowsEveryVariantAndEveryAllowedPair) {
    testing::TempDir dir;
    const std::filesystem::path data = std::filesystem::path(TRELKAN_SOURCE_DIR) / "data";
    std::filesystem::create_directories(dir.path() / "data");
    std::filesystem::copy_file(data / "data.ini", dir.path() / "data" / "data.ini");
    std::filesystem::copy(data / "conduits", dir.path() / "data" / "conduits");
    const InDirectory inside(dir.path());

    ::testing::internal::CaptureStdout();
    Console console;
    console.setPatternFile("grid.rle");
    EXPECT_EQ(TestPattern(console).draw(), 0);
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("\nGenerating test pattern...\n"), std::string::npos) << out;

    StringSink messages;
    LoadError loadError;
    const auto catalogue = ComponentRegister::load(kDefinitionFile, messages, messages, loadError);
    ASSERT_TRUE(catalogue) << loadError.text();
    catalogue->prepare(0, 0, false, false);
    std::int64_t expected = 0;
    std::int64_t pairs = 0;
    for (std::int32_t i = 0; i < catalogue->variantCount(); ++i) {
        ComponentVariant& first = catalogue->variant(i);
        expected += 2 * liveCells(*catalogue, {&first});
        for (std::int32_t j = 0; j < catalogue->variantCount(); ++j) {
            ComponentVariant& second = catalogue->variant(j);
            if (catalogue->canFollow(first, second)) {
                expected += liveCells(*catalogue, {&first, &second});
                ++pairs;
            }
        }
    }
    EXPECT_GT(pairs, 1000);

    std::string error;
    const std::optional<RlePattern> grid = readRleFile("grid.rle", error);
    ASSERT_TRUE(grid.has_value()) << error;
    EXPECT_EQ(static_cast<std::int64_t>(grid->cells.size()), expected);
}

}  // namespace
}  // namespace trelkan
