#include "tools/catalogue/labelreader.h"

#include <gtest/gtest.h>

#include "tests/tools/catalogue/fixtures.h"
#include "tools/catalogue/pixelfont.h"

namespace trelkan::builder {
namespace {

using testing::PictureDrawing;

// How far below the top of a line each character's drawing starts.
std::int32_t dropOf(char character, bool inParentheses) {
    switch (character) {
        case 'x':
        case '=':
        case 'y':
            return inParentheses ? 1 : 2;
        case 'a':
        case 'c':
            return 2;
        case ',':
            return 5;
        case '-':
            return 3;
        case '_':
            return 6;
        default:
            return 0;
    }
}

void drawText(PictureDrawing& drawing, const std::string& text, std::int32_t x, std::int32_t y) {
    const bool inParentheses = !text.empty() && text.front() == '(';
    for (const char character : text) {
        const char drawn = character == '_' ? '-' : character;
        const auto glyph = std::find_if(pixelFont().begin(), pixelFont().end(),
                                        [drawn](const Glyph& g) { return g.character == drawn; });
        ASSERT_NE(glyph, pixelFont().end()) << character;
        std::int32_t row = y + dropOf(character, inParentheses);
        std::int32_t column = 0;
        std::int32_t width = 0;
        for (const char cell : glyph->rows) {
            if (cell == '/') {
                ++row;
                width = std::max(width, column);
                column = 0;
                continue;
            }
            if (cell == '#') {
                drawing.put(x + column, row, kMarking);
            }
            ++column;
        }
        x += std::max(width, column) + 1;
    }
}

Collection readWithOneConduit(const PictureDrawing& drawing) {
    std::string error;
    const Picture picture = *Picture::fromPattern(drawing.pattern(), error);
    const ClusterMap clusters(picture);
    Collection collection;
    for (std::size_t i = 0; i < clusters.clusters().size(); ++i) {
        DrawnConduit conduit;
        conduit.index = static_cast<std::int32_t>(i);
        conduit.band = clusters.clusters()[i].band;
        conduit.box = clusters.clusters()[i].box;
        collection.conduits.push_back(conduit);
    }
    readLabels(picture, clusters, {}, collection);
    return collection;
}

TEST(LabelReaderTest, ReadsNameRecoveryAndOffset) {
    PictureDrawing drawing;
    drawing.fill({50, 90, 40, 70}, kEnvelope);
    drawText(drawing, "R64a", 60, 20);
    drawText(drawing, "(153)", 55, 80);
    drawText(drawing, "(x=11,y=-9)", 45, 88);
    const Collection collection = readWithOneConduit(drawing);
    ASSERT_EQ(collection.conduits.size(), 1u);
    const ConduitLabel& label = collection.conduits[0].label;
    EXPECT_EQ(label.name, "R64a");
    EXPECT_EQ(label.recovery, 153);
    EXPECT_EQ(label.offsets, (std::vector<Offset>{{11, -9}}));
    EXPECT_TRUE(collection.notes.empty());
}

TEST(LabelReaderTest, TellsUnderscoreFromMinus) {
    PictureDrawing drawing;
    drawing.fill({50, 90, 40, 70}, kEnvelope);
    drawText(drawing, "Fx245_3c", 50, 20);
    drawText(drawing, "(x=-7,y=28)", 45, 80);
    const Collection collection = readWithOneConduit(drawing);
    EXPECT_EQ(collection.conduits[0].label.name, "Fx245_3c");
    EXPECT_FALSE(collection.conduits[0].label.recovery.has_value());
    EXPECT_EQ(collection.conduits[0].label.offsets, (std::vector<Offset>{{-7, 28}}));
}

TEST(LabelReaderTest, LabelsGoToTheNearestConduitOfTheirRow) {
    PictureDrawing drawing;
    drawing.fill({50, 90, 40, 70}, kEnvelope);
    drawing.fill({150, 190, 40, 70}, kEnvelope);
    drawText(drawing, "L112", 160, 20);
    drawText(drawing, "B60", 60, 20);
    const Collection collection = readWithOneConduit(drawing);
    ASSERT_EQ(collection.conduits.size(), 2u);
    EXPECT_EQ(collection.conduits[0].label.name, "B60");
    EXPECT_EQ(collection.conduits[1].label.name, "L112");
}

TEST(LabelReaderTest, NotesMarksThatAreNoGlyph) {
    PictureDrawing drawing;
    drawing.fill({50, 90, 40, 70}, kEnvelope);
    drawing.fill({60, 62, 20, 22}, kMarking);
    const Collection collection = readWithOneConduit(drawing);
    EXPECT_TRUE(collection.conduits[0].label.name.empty());
    ASSERT_EQ(collection.notes.size(), 1u);
    EXPECT_EQ(collection.notes[0], "9 marked cells of the labels match no glyph");
}

}  // namespace
}  // namespace trelkan::builder
