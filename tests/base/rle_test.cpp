#include "base/rle.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace trelkan {
namespace {

std::vector<RleItem> itemsOf(std::string_view body, std::int64_t saturation = 1000) {
    RleItemReader reader(body, saturation);
    std::vector<RleItem> items;
    for (RleItem item; reader.next(item);) {
        items.push_back(item);
    }
    return items;
}

TEST(RleItemReader, ItemsUpToTheFirstBang) {
    const std::vector<RleItem> items = itemsOf("3o$b 12x!5o");
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[0].count, 3);
    EXPECT_TRUE(items[0].counted);
    EXPECT_EQ(items[0].tag, 'o');
    EXPECT_EQ(items[1].tag, '$');
    EXPECT_FALSE(items[1].counted);
    EXPECT_EQ(items[1].count, 1);
    // A blank is handed out like any tag; what it means is the caller's to say.
    EXPECT_EQ(items[3].tag, ' ');
    EXPECT_EQ(items[4].count, 12);
    EXPECT_EQ(items[4].tag, 'x');
    RleItemReader reader("2o", 1000);
    RleItem item;
    ASSERT_TRUE(reader.next(item));
    EXPECT_FALSE(reader.ended());
    EXPECT_TRUE(RleItemReader("o!", 1000).ended());
}

TEST(RleItemReader, CountsSaturateAndMayLackATag) {
    const std::vector<RleItem> items = itemsOf("99999999999999999999999o7", 10001);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].count, 10001);
    EXPECT_EQ(items[1].count, 7);
    EXPECT_EQ(items[1].tag, 0);
}

std::string written(RleStyle style, const std::function<void(RleWriter&)>& feed) {
    StringSink sink;
    RleWriter writer(sink, style);
    feed(writer);
    return sink.take();
}

// Cells of two rows, with dead cells at the end of each.
void twoRows(RleWriter& writer) {
    writer.putRun(2, RleWriter::kLive);
    writer.putCell(RleWriter::kDead);
    writer.putCell(RleWriter::kLive);
    writer.putRun(3, RleWriter::kDead);
    writer.putRun(2, RleWriter::kRowEnd);
    writer.putRun(2, RleWriter::kDead);
    writer.putRun(12, RleWriter::kLive);
    writer.putRun(4, RleWriter::kDead);
}

TEST(RleWriter, TwoStylesOfItems) {
    // Dead cells at the end of a row are dropped; row ends wait for the next live cell.
    EXPECT_EQ(written({77, true},
                      [](RleWriter& w) {
                          twoRows(w);
                          w.putCell(RleWriter::kRowEnd);
                          w.endPattern();
                      }),
              "oobo$$bb12o$\n");
    EXPECT_EQ(written({70, false},
                      [](RleWriter& w) {
                          twoRows(w);
                          w.finish();
                      }),
              "2obo2$2b12o!\n");
}

TEST(RleWriter, LinesEndBeforeAnItemThatWouldNotFit) {
    // Items of three characters in lines of at most 10: three to a line.
    const auto feed = [](RleWriter& w) {
        for (int i = 0; i < 5; ++i) {
            w.putRun(10, RleWriter::kLive);
            w.putRun(10, RleWriter::kDead);
        }
        w.putCell(RleWriter::kLive);
        w.endPattern();
    };
    EXPECT_EQ(written({10, true}, feed), "10o10b10o\n10b10o10b\n10o10b10o\n10bo\n");
    // Nothing pending, no line.
    EXPECT_EQ(written({10, false}, [](RleWriter& w) { w.endPattern(); }), "");
}

}  // namespace
}  // namespace trelkan
