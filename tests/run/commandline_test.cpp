#include "run/commandline.h"

#include <gtest/gtest.h>

#include <vector>

namespace trelkan {
namespace {

struct Reading {
    RunSettings settings;
    std::string err;
};

Reading readWords(std::vector<const char*> words) {
    Console console;
    ::testing::internal::CaptureStderr();
    Reading reading{readCommandLine(words, console), ""};
    reading.err = ::testing::internal::GetCapturedStderr();
    return reading;
}

TEST(CommandLine, Defaults) {
    const RunSettings s = readWords({"-p", "30"}).settings;
    EXPECT_EQ(s.period, 30);
    EXPECT_EQ(s.compression, 30);
    EXPECT_EQ(s.minLen, 1);
    EXPECT_EQ(s.maxLen, 1500);
    EXPECT_EQ(s.treeSizeKB, 1000);
    EXPECT_EQ(s.maxCell, 0);
    EXPECT_EQ(s.maxResults, 0);
    EXPECT_EQ(s.ignoreSets, 0);
    EXPECT_EQ(s.dir, kF);
    EXPECT_FALSE(s.showUsage || s.sortResults || s.mapMode || s.patternOutput || s.scriptGiven);
}

TEST(CommandLine, SideRulesOfTheLimits) {
    RunSettings s = readWords({"-p", "1", "-u", "10", "-l", "20"}).settings;
    EXPECT_EQ(s.minLen, 20);
    EXPECT_EQ(s.maxLen, 20);
    s = readWords({"-p", "1", "-l", "20", "-u", "10"}).settings;
    EXPECT_EQ(s.minLen, 10);
    EXPECT_EQ(s.maxLen, 10);
    EXPECT_EQ(readWords({"-p", "1", "-l", "0"}).settings.minLen, 1);
    EXPECT_EQ(readWords({"-p", "1", "-l", "-3"}).settings.minLen, 1);
    // -u may take minlen below 1; such delays never become targets.
    EXPECT_EQ(readWords({"-p", "1", "-u", "-4"}).settings.minLen, -4);
    EXPECT_EQ(readWords({"-p", "1", "-t", "200000"}).settings.treeSizeKB, 100000);
    EXPECT_EQ(readWords({"-p", "1", "-t", "-5"}).settings.treeSizeKB, 0);
}

TEST(CommandLine, ValueBeforeTheBadCharacterIsStored) {
    const Reading reading = readWords({"-p", "12x", "-x", "300cells"});
    EXPECT_EQ(reading.settings.period, 12);
    EXPECT_EQ(reading.settings.maxCell, 300);
    EXPECT_TRUE(reading.settings.showUsage);
    EXPECT_EQ(reading.err, "Invalid argument for -p switch\nInvalid argument for -x switch\n");
}

TEST(CommandLine, DisplacementReadsOnPastABadWord) {
    const Reading reading = readWords({"-p", "9", "-d", "4", "y", "-6", "Rx", "-s"});
    EXPECT_EQ(reading.settings.dx, 4);
    EXPECT_EQ(reading.settings.dy, 0);
    EXPECT_EQ(reading.settings.dt, -6);
    EXPECT_EQ(reading.settings.dir, kRx);
    EXPECT_TRUE(reading.settings.sortResults);
    EXPECT_EQ(reading.err, "Invalid DY argument for -d switch\n");
    // A bad direction word leaves the direction as it was.
    EXPECT_EQ(
        readWords({"-p", "9", "-d", "1", "2", "3", "R", "-d", "1", "2", "3", "r"}).settings.dir,
        kR);
}

TEST(CommandLine, PeriodZeroSelectsTheTestPatternOnlyWithAPatternFile) {
    EXPECT_TRUE(readWords({}).settings.showUsage);
    EXPECT_TRUE(readWords({"-p", "0"}).settings.showUsage);
    const RunSettings s = readWords({"-o", ""}).settings;
    EXPECT_FALSE(s.showUsage);
    EXPECT_TRUE(s.patternOutput);
    EXPECT_EQ(s.period, 0);
}

TEST(CommandLine, RunParametersCarryTheSettings) {
    const RunSettings s = readWords({"-p", "30", "-c", "20", "-x", "400", "-n", "-1", "-s", "-t",
                                     "7", "-i", "3", "-m"})
                              .settings;
    const RunParameters p = s.runParameters();
    EXPECT_EQ(p.period, 30);
    EXPECT_EQ(p.compression, 20);
    EXPECT_EQ(p.maxCells, 400);
    EXPECT_EQ(p.maxResults, 4294967295u);
    EXPECT_TRUE(p.sortResults);
    EXPECT_EQ(p.treeSizeKB, 7);
    EXPECT_EQ(p.ignoreSets, 3);
    EXPECT_TRUE(p.mapMode);
}

std::vector<std::int32_t> seriesDelays(std::vector<const char*> words) {
    const RunSettings settings = readWords(std::move(words)).settings;
    std::vector<std::int32_t> delays;
    for (const Target& target : settings.targets.targets()) {
        delays.push_back(target.dt);
    }
    return delays;
}

TEST(CommandLine, TargetSeries) {
    EXPECT_EQ(seriesDelays({"-p", "30", "-d", "5", "3", "7", "L", "-l", "40", "-u", "100"}),
              (std::vector<std::int32_t>{67, 97}));
    EXPECT_EQ(seriesDelays({"-p", "30"}).size(), 50u);
    EXPECT_EQ(seriesDelays({"-p", "10", "-d", "0", "0", "5", "F", "-u", "30"}),
              (std::vector<std::int32_t>{5, 15, 25}));
    // The series starts at its first delay from minlen on, however far below it begins.
    EXPECT_EQ(seriesDelays({"-p", "7", "-d", "0", "0", "-2147483648", "F", "-u", "20"}),
              (std::vector<std::int32_t>{5, 12, 19}));
    EXPECT_EQ(seriesDelays({"-p", "2147483647", "-u", "2147483647"}),
              (std::vector<std::int32_t>{2147483647}));
}

TEST(CommandLine, OversizedSeriesIsRefused) {
    const Reading reading = readWords({"-p", "1", "-u", "1000001"});
    EXPECT_TRUE(reading.settings.showUsage);
    EXPECT_EQ(reading.err, "Too many targets: 1000001 up to t=1000001 (at most 1000000)\n");
    EXPECT_FALSE(readWords({"-p", "1", "-u", "1000000"}).settings.showUsage);
    // A script makes its own targets, so the series is not counted.
    EXPECT_FALSE(readWords({"-p", "1", "-u", "2000000", "-e", "F10[0,0]"}).settings.showUsage);
}

}  // namespace
}  // namespace trelkan
