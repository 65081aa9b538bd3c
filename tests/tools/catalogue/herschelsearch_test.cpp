#include "tools/catalogue/herschelsearch.h"

#include <gtest/gtest.h>

#include "tests/tools/catalogue/fixtures.h"

namespace trelkan::builder {
namespace {

using testing::PictureDrawing;
using testing::pictureOf;

TEST(HerschelSearchTest, FindsEveryOrientation) {
    PictureDrawing drawing;
    std::vector<SignalPlace> drawn;
    for (const Direction dir : kDirections) {
        drawn.push_back({10 + 10 * dir, 10, dir});
        drawing.put(herschelAt(drawn.back()), kMarking);
    }
    EXPECT_EQ(findHerschels(pictureOf(drawing)), drawn);
}

TEST(HerschelSearchTest, IgnoresShapesWithMarksAroundThem) {
    PictureDrawing drawing;
    drawing.put(herschelAt({10, 10, kF}), kMarking);
    drawing.put(12, 12, kMarking);  // touches the tail
    drawing.put(herschelAt({30, 10, kF}), kMarking);
    drawing.put(30, 12, kCatalyst);  // other states do not matter
    // A glyph-like shape: a Herschel with one more cell is no Herschel.
    drawing.put(herschelAt({50, 10, kR}), kMarking);
    drawing.put(50, 8, kMarking);
    const std::vector<SignalPlace> found = findHerschels(pictureOf(drawing));
    EXPECT_EQ(found, (std::vector<SignalPlace>{{30, 10, kF}}));
}

TEST(HerschelSearchTest, FindsMarkedInputsNextToTheEnvelope) {
    PictureDrawing drawing;
    drawing.fill({0, 20, 0, 20}, kEnvelope);
    drawing.put(herschelAt({10, 10, kF}), kMarking);
    drawing.put(12, 12, kMarking);
    // Far from any envelope: label text, not an input.
    drawing.put(herschelAt({60, 10, kF}), kMarking);
    drawing.put(62, 12, kMarking);
    const Picture picture = pictureOf(drawing);
    EXPECT_TRUE(findHerschels(picture).empty());
    const std::vector<SignalPlace> found =
        findMarkedInputs(picture, picture.cellsOfState(kMarking));
    EXPECT_EQ(found, (std::vector<SignalPlace>{{10, 10, kF}}));
}

}  // namespace
}  // namespace trelkan::builder
