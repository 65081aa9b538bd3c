// The definition file and its images, end to end: what loads, and the exact report of every
// fault that ends the program.
#include <gtest/gtest.h>

#include "tests/e2e/catalogues.h"
#include "tests/support/sandbox.h"

namespace trelkan::testing {
namespace {

const std::string kAccepted = "Accepted 1 target\n";

// Runs a search with one loop target on the given definition file.
RunResult load(const std::string& definition,
               const std::vector<std::pair<std::string, std::string>>& images = {}) {
    Sandbox box;
    writeCatalogue(box, definition);
    for (const auto& [name, content] : images) {
        box.write(name, content);
    }
    return box.run({"-p", "10", "-u", "10"});
}

// A definition file made of one component section and empty pairs and sequences.
std::string components(const std::string& lines) {
    return "[Components]\n" + lines + "[Pairs]\n[Sequences]\n";
}

void expectFatal(const RunResult& result, const std::string& messages) {
    EXPECT_EQ(result.out, kAccepted + messages);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 1);
}

void expectLoaded(const RunResult& result, const std::string& loaded, const std::string& err = "") {
    EXPECT_EQ(result.out, kAccepted + loaded + "Search complete\n");
    EXPECT_EQ(result.err, err);
    EXPECT_EQ(result.status, 0);
}

// The lines after "Loaded" when the one component has no displacement: its variant's usage
// lies on itself when it follows itself, so it can take no part, and the component is forbidden.
const std::string kNothingTakesPart =
    "Prepared 0 components, 0 variants\n"
    "Building Aho/Corasick tree...\n"
    "Tree built: 1 nodes, 1 sequences, complete to depth 10\n";

const std::string kLoadedOne = "Loaded 1 components, 1 variants\n";

TEST(DefinitionFile, MissingFile) {
    Sandbox box;
    expectFatal(box.run({"-p", "10", "-u", "10"}),
                "Definition file cannot be opened: data/data.ini\n");
}

TEST(DefinitionFile, OnlyRegularFilesAreRead) {
    Sandbox box;
    box.write("data/data.ini/inside", "");
    expectFatal(box.run({"-p", "10", "-u", "10"}),
                "Definition file cannot be opened: data/data.ini\n");
    // A device would feed empty lines for ever.
    expectFatal(load(components("a F 10 0 0\n v1 1 1 0 GS /dev/zero 0 0 block.rle 0 0\n")),
                "Invalid image filename: /dev/zero\nInvalid variant image\n"
                "data/data.ini:3: Syntax error in variant definition\n");
}

TEST(DefinitionFile, Sections) {
    // Comments, trailing blanks and blank lines are invisible; an empty [Sequences] is fine.
    expectLoaded(load("\n# catalogue\n[Components]   # the parts\t \n\nturn L 64 12 -33\n"
                      " turn1 1 1 0 GS block.rle 0 0 block.rle 0 0\r\n[Pairs]\n[Sequences]\n"),
                 kLoadedOne +
                     "Prepared 1 components, 1 variants\nBuilding Aho/Corasick tree...\n"
                     "Tree built: 5 nodes, 1 sequences, complete to depth 10\n"
                     "Counting component sets...\nFound 0 component sets\nSearching...\n");
    expectFatal(load(" [Components]\n[Pairs]\n[Sequences]\n"),
                "data/data.ini:1: [Components] expected\n");
    expectFatal(load(""), "data/data.ini:1: Unexpected end of file\n");
    // The end of the file is one line past the last line.
    expectFatal(load("[Components]\nturn L 64 12 -33\n"),
                "data/data.ini:3: Unexpected end of file\n");
    expectFatal(load("[Components]\n[Pairs]\n\n"), "data/data.ini:4: Unexpected end of file\n");
    expectFatal(load("[Components]\n turn1 1 1 0 GS block.rle 0 0 block.rle 0 0\n"),
                "data/data.ini:2: Variant definition should be preceded by a component "
                "definition\n");
}

TEST(DefinitionFile, ComponentLines) {
    // A component without variants is accepted.
    expectLoaded(load(components("a F 1 -1000000 1000000\nb Rx 1000000 0 0\n")),
                 "Loaded 2 components, 0 variants\nPrepared 0 components, 0 variants\n"
                 "Building Aho/Corasick tree...\n"
                 "Tree built: 2 nodes, 2 sequences, complete to depth 10\n");
    const std::string fault = "data/data.ini:2: Syntax error in component definition\n";
    expectFatal(load(components("a F 0 0 0\n")),
                "Integer value too small (0) - limit is 1\nInvalid DT\n" + fault);
    expectFatal(load(components("a F 10 1000001 0\n")),
                "Integer value too great (1000001) - limit is 1000000\nInvalid DX\n" + fault);
    expectFatal(load(components("a F 10 0 -99999999999\n")),
                "Integer value too small (-2147483648) - limit is -1000000\nInvalid DY\n" + fault);
    expectFatal(load(components("a F 2147483648 0 0\n")),
                "Integer value too great (2147483647) - limit is 1000000\nInvalid DT\n" + fault);
    expectFatal(load(components("a F 5x 0 0\n")), "Invalid integer: 5x\nInvalid DT\n" + fault);
    expectFatal(load(components("a F 5 0\n")), "Missing integer value\nInvalid DY\n" + fault);
    expectFatal(load(components("a f 5 0 0\n")), "Unrecognized direction: f\n" + fault);
    expectFatal(load(components("a\n")), "Missing direction\n" + fault);
    expectFatal(load(components("a F 5 +1 -1\na L 5 0 0\n")),
                "Duplicate component name: a\ndata/data.ini:3: Syntax error in component "
                "definition\n");
    // Read up to the NUL the line would say dy -3.
    expectFatal(load(components(std::string("a L 112 12 -3\0"
                                            "3\n",
                                            16))),
                "data/data.ini:2: NUL byte in line\n");
}

TEST(DefinitionFile, VariantLines) {
    const std::string fault = "data/data.ini:3: Syntax error in variant definition\n";
    const auto variant = [](const std::string& line) {
        return load(components("a F 10 0 0\n" + line + "\n"));
    };
    const std::string maps = " block.rle 0 0 block.rle 0 0";
    expectLoaded(variant(" v1 10 20 0 GRU" + maps), kLoadedOne + kNothingTakesPart);
    expectLoaded(variant("\tv1 10 20 20 GSX" + maps + " extra tokens"),
                 kLoadedOne + kNothingTakesPart);
    expectFatal(variant(" v1 0 20 0 GR" + maps),
                "Integer value too small (0) - limit is 1\nInvalid period\n" + fault);
    expectFatal(variant(" v1 5 1000001 0 GR" + maps),
                "Integer value too great (1000001) - limit is 1000000\nInvalid maximum "
                "compression\n" +
                    fault);
    expectFatal(variant(" v1 5 20 10 GR" + maps), "Invalid minimum compression\n" + fault);
    expectFatal(variant(" v1 5 20 -1 GR" + maps),
                "Integer value too small (-1) - limit is 0\nInvalid minimum compression\n" + fault);
    for (const std::string type : {"G", "GRUX", "GT", "gr", "GSS", "GRUU"}) {
        expectFatal(variant(" v1 5 20 0 " + type + maps), "Invalid variant type\n" + fault);
    }
    expectFatal(variant(" v1 5 20 0"), "Invalid variant type\n" + fault);
    expectFatal(variant(" v1 5 20 0 GR"), "Missing cell map\nInvalid variant image\n" + fault);
    expectFatal(variant(" v1 5 20 0 GR block.rle 0 0"),
                "Missing cell map\nInvalid variant usage\n" + fault);
    // Variant names are unique across components; a variant may bear a component's name.
    expectFatal(load(components("a F 10 0 0\n v1 1 1 0 GS" + maps + "\nb F 10 0 0\n v1 1 1 0 GS" +
                                maps + "\n")),
                "Duplicate variant name: v1\ndata/data.ini:5: Syntax error in variant "
                "definition\n");
    expectLoaded(load(components("a F 10 0 0\n a 1 1 0 GS" + maps + "\n")),
                 kLoadedOne + kNothingTakesPart);
}

TEST(DefinitionFile, CellMapReferences) {
    const std::string fault = "data/data.ini:4: Syntax error in variant definition\n";
    const std::string first = "a F 10 0 0\n v1 1 1 0 GS block.rle 0 0 block.rle 1 1\n";
    expectLoaded(load(components(first + " v2 1 1 0 GS =v1 =v1\n")),
                 "Loaded 1 components, 2 variants\n" + kNothingTakesPart);
    expectFatal(
        load(components(first + " v2 1 1 0 GS =v3 =v1\n")),
        "Unknown variant name: v3\nInvalid variant name: v3\nInvalid variant image\n" + fault);
    // A variant cannot name itself: it does not exist before its line is read.
    expectFatal(
        load(components(first + " v2 1 1 0 GS =v1 =v2\n")),
        "Unknown variant name: v2\nInvalid variant name: v2\nInvalid variant usage\n" + fault);
    expectFatal(load(components(first + " v2 1 1 0 GS missing.rle 0 0 =v1\n")),
                "Invalid image filename: missing.rle\nInvalid variant image\n" + fault);
    expectFatal(load(components(first + " v2 1 1 0 GS block.rle 0 =v1\n")),
                "Invalid integer: =v1\nInvalid cell map DY\nInvalid variant image\n" + fault);
    expectFatal(load(components(first + " v2 1 1 0 GS block.rle 1000001 0 =v1\n")),
                "Integer value too great (1000001) - limit is 1000000\nInvalid cell map DX\n"
                "Invalid variant image\n" +
                    fault);
}

TEST(DefinitionFile, RleImages) {
    const std::string line = components("a F 10 0 0\n v1 1 1 0 GS image.rle 0 0 block.rle 0 0\n");
    const std::string fault = "data/data.ini:3: Syntax error in variant definition\n";
    const std::string read = kLoadedOne + kNothingTakesPart;
    // A variant whose image was refused is never placed: its empty map would overlap nothing.
    const std::string unread = read;
    const std::string never =
        "Variant v1 is never placed: its image (image.rle) could not be read\n";
    // Comment and header lines before the data are skipped; data may span lines.
    expectLoaded(load(line, {{"image.rle", "#N name\nx = 3, y = 2\nbo$\n\n3o!\n"}}), read);
    // A first row left empty is data too; other lines before the data are skipped by name.
    expectLoaded(load(line, {{"image.rle", "x = 1, y = 2\n$o!\n"}}), read);
    expectLoaded(load(line, {{"image.rle", "x = 1\nrule B3/S23\n\n-\x01x\n3o!\n"}}), read,
                 "image.rle:2: Line before the pattern skipped: rule B3/S23\n"
                 "image.rle:4: Line before the pattern skipped: -?x\n");
    // A NUL byte is a character of the text, which no pattern may hold.
    expectLoaded(load(line, {{"image.rle", std::string("2o\0o!\n", 6)}}), unread,
                 "Error reading RLE\n" + never);
    expectFatal(load(line, {{"image.rle", "x = 1, y = 1\n3o$\n"}}),
                "Invalid image file: image.rle\nInvalid variant image\n" + fault);
    expectFatal(load(line, {{"image.rle", ""}}),
                "Invalid image file: image.rle\nInvalid variant image\n" + fault);
    // Faults inside the pattern text are reported on standard error and are not fatal.
    expectLoaded(load(line, {{"image.rle", "2o 3b!\n"}}), unread, "Error reading RLE\n" + never);
    expectLoaded(load(line, {{"image.rle", "3A!\n"}}), unread, "Error reading RLE\n" + never);
    expectLoaded(load(line, {{"image.rle", "100o$98$!\n"}}), read);
    // "RLE too big" has no line end of its own.
    expectLoaded(load(line, {{"image.rle", "101o$98$!\n"}}), unread, "RLE too big\n" + never);
    // Huge run counts neither wrap around nor overflow.
    expectLoaded(load(line, {{"image.rle", "4294967297o!\n"}}), unread, "RLE too big\n" + never);
    expectLoaded(load(line, {{"image.rle", "99999999999999999999999$o!\n"}}), unread,
                 "RLE too big\n" + never);
}

// A map that could not be read is empty; a variant with one would overlap nothing and be drawn
// as nothing, so it is never placed, and standard error says so once.
TEST(DefinitionFile, UnreadableMapsAreNeverPlaced) {
    const std::string block = "x = 2, y = 2, rule = B3/S23\n2o$2o!\n";
    const std::string blank = "x = 2, y = 2, rule = B3/S23\n2o $2o!\n";
    const std::string huge = "101o$98$!\n";
    const std::string turn = "[Components]\nturn L 64 12 -33\n";
    struct Case {
        std::string variants;
        std::string err;
    };
    const std::vector<Case> cases = {
        {" turn1 1 1 0 GS blank.rle 0 0 blank.rle 0 0\n",
         "Error reading RLE\nError reading RLE\n"
         "Variant turn1 is never placed: its image (blank.rle) and usage map (blank.rle) could "
         "not be read\n"},
        {" turn1 1 1 0 GS block.rle 0 0 huge.rle 0 0\n",
         "RLE too big\nVariant turn1 is never placed: its usage map (huge.rle) could not be "
         "read\n"},
        {" turn1 1 1 0 GS huge.rle 0 0 block.rle 0 0\n turn2 1 1 0 GS =turn1 =turn1\n",
         "RLE too big\nVariant turn1 is never placed: its image (huge.rle) could not be read\n"
         "Variant turn2 is never placed: its image (huge.rle) could not be read\n"},
    };
    for (const Case& c : cases) {
        Sandbox box;
        box.write("data/data.ini", turn + c.variants + "[Pairs]\n[Sequences]\n");
        box.write("block.rle", block);
        box.write("blank.rle", blank);
        box.write("huge.rle", huge);
        const RunResult result = box.run({"-p", "256", "-u", "256"});
        EXPECT_EQ(result.err, c.err) << c.variants;
        EXPECT_NE(result.out.find("Prepared 0 components, 0 variants\n"), std::string::npos)
            << result.out;
        EXPECT_EQ(result.out.find("***"), std::string::npos) << result.out;
    }
    // With the block read, the four turns close a loop.
    Sandbox box;
    box.write("data/data.ini",
              turn + " turn1 1 1 0 GS block.rle 0 0 block.rle 0 0\n" + "[Pairs]\n[Sequences]\n");
    box.write("block.rle", block);
    const RunResult result = box.run({"-p", "256", "-u", "256"});
    EXPECT_NE(result.out.find(") turn1 turn1 turn1 turn1\n"), std::string::npos) << result.out;
}

TEST(DefinitionFile, RleTextRoom) {
    const std::string line = components("a F 10 0 0\n v1 1 1 0 GS image.rle 0 0 block.rle 0 0\n");
    const std::string loaded = kLoadedOne + kNothingTakesPart;
    // 9998 characters of data and the "!" fill the room exactly; one more does not fit.
    std::string data;
    for (int i = 0; i < 4999; ++i) {
        data += "o$";
    }
    ASSERT_EQ(data.size(), 9998u);
    expectLoaded(load(line, {{"image.rle", data + "!\n"}}), loaded);
    expectFatal(load(line, {{"image.rle", "b" + data + "!\n"}}),
                "Invalid image file: image.rle\nInvalid variant image\n"
                "data/data.ini:3: Syntax error in variant definition\n");
    // Split over many lines the same room applies.
    std::string lines;
    for (int i = 0; i < 4999; ++i) {
        lines += "o$\n";
    }
    expectLoaded(load(line, {{"image.rle", lines + "!\n"}}), loaded);
}

TEST(DefinitionFile, LongLinesArePieces) {
    // A comment line of 3000 characters is read as a comment of 1999 and a line of 1001 'x'.
    const std::string longComment = "#" + std::string(2999, 'x') + "\n";
    expectFatal(load("[Components]\n" + longComment + "[Pairs]\n[Sequences]\n"),
                "Missing direction\ndata/data.ini:3: Syntax error in component definition\n");
    // Trailing blanks beyond the buffer make an empty piece, which still counts as a line.
    const std::string padded = "a F 10 0 0" + std::string(4500, ' ') + "\n";
    expectFatal(load("[Components]\n" + padded + "[Pairs]\n"),
                "data/data.ini:6: Unexpected end of file\n");
}

}  // namespace
}  // namespace trelkan::testing
