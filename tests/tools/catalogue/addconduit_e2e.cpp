// Adds a conduit of the user's own to a collection that draws L112 alone, as data/README.md
// shows: two L112 one after the other, drawn as one plain pattern with its input Herschel. The
// catalogue the builder makes lets trelkan close loops through it; files that draw no usable
// conduit stop the build, naming the file and what is wrong.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/sandbox.h"
#include "tests/tools/catalogue/fixtures.h"

namespace trelkan::builder {
namespace {

using trelkan::testing::RunResult;
using trelkan::testing::Sandbox;

// A LifeHistory RLE of the states, one character per cell, in lines of at most 70.
std::string lifeHistoryRle(const RlePattern& pattern) {
    std::int32_t width = 0;
    std::int32_t height = 0;
    for (const StateCell& cell : pattern.cells) {
        width = std::max(width, cell.x + 1);
        height = std::max(height, cell.y + 1);
    }
    std::vector<std::string> rows(static_cast<std::size_t>(height),
                                  std::string(static_cast<std::size_t>(width), '.'));
    for (const StateCell& cell : pattern.cells) {
        rows[static_cast<std::size_t>(cell.y)][static_cast<std::size_t>(cell.x)] =
            static_cast<char>('A' + cell.state - 1);
    }
    std::string body;
    for (const std::string& row : rows) {
        body += (body.empty() ? "" : "$") + row;
    }
    body += "!";
    std::string text = "x = " + std::to_string(width) + ", y = " + std::to_string(height) +
                       ", rule = LifeHistory\n";
    for (std::size_t at = 0; at < body.size(); at += 70) {
        text += body.substr(at, 70) + "\n";
    }
    return text;
}

// L112 drawn as the collection draws a conduit: an envelope around it, its catalysts, and its
// input and output Herschels.
std::string l112Collection() {
    const DrawnConduit l112 = testing::drawnL112(20, 50);
    testing::PictureDrawing drawing;
    Box envelope = l112.box;
    for (const SignalPlace& place : l112.herschels) {
        envelope.include(widened(boxOf(herschelAt(place)), 1));
    }
    drawing.fill(envelope, kEnvelope);
    drawing.put(l112.catalysts, kCatalyst);
    for (const SignalPlace& place : l112.herschels) {
        drawing.put(herschelAt(place), kMarking);
    }
    return lifeHistoryRle(drawing.pattern());
}

// The catalysts of two L112, the second at the first one's output.
std::vector<LifeCell> twoL112Catalysts() {
    std::vector<LifeCell> cells = testing::l112Catalysts(0, 0);
    const std::vector<LifeCell> second = cellsInFrame({12, -33, kL}, testing::l112Catalysts(0, 0));
    cells.insert(cells.end(), second.begin(), second.end());
    return cells;
}

std::string plainRle(std::vector<LifeCell> cells, const std::vector<SignalPlace>& herschels) {
    for (const SignalPlace& place : herschels) {
        const std::vector<LifeCell> herschel = herschelAt(place);
        cells.insert(cells.end(), herschel.begin(), herschel.end());
    }
    return writeRle(normalisedCells(std::move(cells)), {"#N B224"});
}

RunResult build(const Sandbox& box, const std::string& added) {
    box.write("collection.rle", l112Collection());
    box.write("b224.rle", added);
    return box.runProgram(TRELKAN_BUILDER, {"collection.rle", "data", "-a", "b224.rle"});
}

TEST(CatalogueAdd, AnAddedConduitClosesLoops) {
    Sandbox box;
    const RunResult built = build(box, plainRle(twoL112Catalysts(), {{0, 0, kF}}));
    ASSERT_EQ(built.status, 0) << built.err;
    EXPECT_EQ(built.err, "");
    EXPECT_NE(built.out.find("Conduits added from other files: 1\n  B224 (added from b224.rle): "
                             "B224a, turn B, 224 generations, output at (-21, -45)\n"),
              std::string::npos)
        << built.out;
    EXPECT_NE(box.read("data/data.ini")
                  ->find("# With conduits added from b224.rle.\n"
                         "# Components:"),
              std::string::npos);
    EXPECT_NE(
        box.read("data/README.md")->find("| B224 | `b224.rle` | B224a | B | 224 | (-21, -45) |"),
        std::string::npos);

    const RunResult search = box.run({"-p", "448", "-u", "448", "-s"});
    EXPECT_EQ(search.status, 0) << search.err;
    const std::size_t sorted = search.out.find("... Sorting ...\n");
    ASSERT_NE(sorted, std::string::npos) << search.out;
    const std::string results = search.out.substr(sorted);
    EXPECT_EQ(results,
              "... Sorting ...\n"
              "*** (4356) L112a L112a L112a L112a\n"
              "*** (4356) B224a L112a L112a\n"
              "*** (4356) B224a B224a\n"
              "Search complete\n");
}

struct BadFile {
    const char* what;
    std::string content;
    std::string error;
};

std::vector<BadFile> badFiles() {
    const std::vector<LifeCell> catalysts = twoL112Catalysts();
    std::vector<LifeCell> withBlinker = catalysts;
    withBlinker.insert(withBlinker.end(), {{60, 0}, {61, 0}, {62, 0}});
    // Without the first object in reading order: a catalyst of the second L112, which lies above.
    std::vector<std::vector<LifeCell>> objects = groupCells(catalysts, 2);
    objects.erase(objects.begin());
    std::vector<LifeCell> oneCatalystLess;
    for (const std::vector<LifeCell>& object : objects) {
        oneCatalystLess.insert(oneCatalystLess.end(), object.begin(), object.end());
    }
    const std::string prefix = "trelkan-build-catalogue: b224.rle: ";
    return {
        {"no Herschel", plainRle(catalysts, {}),
         prefix + "no Herschel is drawn: draw the conduit's input as the Herschel o$obo$3o$2bo! "
                  "(facing F, towards +x), with no live cell touching it\n"},
        {"the output drawn too", plainRle(catalysts, {{0, 0, kF}, {-21, -45, kB}}),
         prefix + "2 Herschels are drawn, at (1, 8) and (22, 53): draw only the input; the "
                  "builder finds the output by running it\n"},
        {"the input facing B", plainRle(catalysts, {{0, 0, kB}}),
         prefix + "the Herschel at (10, 53) faces B: draw the input facing F, as o$obo$3o$2bo! "
                  "(towards +x)\n"},
        {"a blinker", plainRle(withBlinker, {{0, 0, kF}}),
         prefix + "the live cells at (70, 53) are not a still life: draw only the catalysts and "
                  "the input Herschel\n"},
        {"no catalysts", plainRle({}, {{0, 0, kF}}),
         prefix + "no Herschel comes out within 400 generations of the input Herschel at (1, 2)\n"},
        {"a catalyst missing", plainRle(oneCatalystLess, {{0, 0, kF}}),
         prefix +
             "B224 does not pass as a conduit: after the output at generation 353, something other "
             "than a glider leaves the conduit (generation 715) (its output was taken to be a "
             "Herschel at (47, 6) facing F at generation 353, found by running the drawing)\n"},
        {"L112 again", plainRle(testing::l112Catalysts(0, 0), {{0, 0, kF}}),
         prefix +
             "B224 does not pass as a conduit: it draws the same catalysts as the conduit at "
             "(8, 15), which is kept (its output was taken to be a Herschel at (22, -17) facing "
             "L at generation 112, found by running the drawing)\n"},
        {"L112 again, as the collection draws it", l112Collection(),
         prefix + "b224 at (8, 15) does not pass as a conduit: it draws the same catalysts as the "
                  "conduit at (8, 15), which is kept\n"},
    };
}

TEST(CatalogueAdd, AFileWithoutAWorkingConduitStopsTheBuild) {
    for (const BadFile& file : badFiles()) {
        SCOPED_TRACE(file.what);
        Sandbox box;
        const RunResult built = build(box, file.content);
        EXPECT_EQ(built.status, 1);
        EXPECT_EQ(built.err, file.error);
        EXPECT_EQ(built.out, "");
        EXPECT_FALSE(box.read("data/data.ini").has_value());
    }
}

TEST(CatalogueAdd, TheFileMustBeThere) {
    Sandbox box;
    box.write("collection.rle", l112Collection());
    const RunResult missing =
        box.runProgram(TRELKAN_BUILDER, {"collection.rle", "data", "--add", "none.rle"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "trelkan-build-catalogue: none.rle: cannot be read\n");
    const RunResult unnamed = box.runProgram(TRELKAN_BUILDER, {"collection.rle", "data", "-a"});
    EXPECT_EQ(unnamed.status, 2);
    EXPECT_EQ(unnamed.err.rfind(
                  "Usage: trelkan-build-catalogue [collection.rle [output-directory]]\n", 0),
              0u);
    EXPECT_EQ(box.files(), (std::vector<std::string>{"collection.rle"}));
}

}  // namespace
}  // namespace trelkan::builder
