// Parallel and sharded searches, end to end: any number of threads, and shards merged, write what
// one thread writes, in both modes, with the result limit and the sorted report.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "tests/e2e/catalogues.h"
#include "tests/e2e/parallelruns.h"
#include "tests/support/sandbox.h"

namespace trelkan::testing {
namespace {

struct ParallelCase {
    bool bundled = false;
    std::vector<std::string> arguments;
};

void PrintTo(const ParallelCase& search, std::ostream* out) {
    for (const std::string& word : search.arguments) {
        *out << word << " ";
    }
}

class ParallelSearch : public ::testing::TestWithParam<ParallelCase> {};

TEST_P(ParallelSearch, WritesWhatOneThreadWrites) {
    Sandbox box;
    GetParam().bundled ? copyBundledCatalogue(box) : writeLattice(box);
    const RunOutputs one = expectSameOnAnyThreads(box, GetParam().arguments);
    EXPECT_TRUE(one.result.out.ends_with("Search complete\n")) << one.result.out;
    EXPECT_NE(one.result.out.find("*** ("), std::string::npos) << one.result.out;
}

std::vector<ParallelCase> inBothModes(const std::vector<ParallelCase>& searches) {
    std::vector<ParallelCase> both = searches;
    for (ParallelCase search : searches) {
        search.arguments.emplace_back("-m");
        both.push_back(search);
    }
    return both;
}

// Under a sanitizer a run costs several times as much: the lattice only.
const std::vector<ParallelCase> kSearches {
    {false, {"-p", "14", "-u", "14", "-x", "14", "-s"}},
        {false, {"-p", "16", "-u", "16", "-x", "16", "-n", "5"}},
        {false, {"-p", "12", "-u", "12", "-x", "20", "-s", "-n", "4"}},
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
        {true, {"-p", "1000", "-u", "1000", "-s", "-n", "3"}}, {true, {"-p", "448", "-u", "448"}},
        {true, {"-p", "900", "-u", "900", "-x", "10000"}},
        {true, {"-p", "1000", "-u", "1000", "-n", "2"}},
        {true,
         {"-p", "448", "-d", "72", "-5", "233", "F", "-l", "200", "-u", "700", "-s", "-n", "1"}},
#endif
};

INSTANTIATE_TEST_SUITE_P(Searches, ParallelSearch, ::testing::ValuesIn(inBothModes(kSearches)));

// The merge takes only a whole set of shards of one search.
TEST(ShardMerge, RefusesShardsThatDoNotMakeOneSearch) {
    Sandbox box;
    writeLattice(box);
    const std::vector<std::string> search{"-p", "12", "-u", "12", "-x", "20"};
    for (const char* shard : {"1/2", "2/2"}) {
        std::vector<std::string> words = search;
        words.insert(words.end(), {"-k", shard});
        box.write("shard" + std::string(1, shard[0]) + ".out", box.run(words).out);
    }
    std::vector<std::string> other = search;
    other.insert(other.end(), {"-m", "-k", "2/2"});
    box.write("other.out", box.run(other).out);
    box.write("cut.out", box.read("shard2.out")->substr(0, 200));
    const struct {
        std::vector<std::string> files;
        std::string error;
    } kCases[] = {
        {{"shard1.out"}, "Shard 2 of 2 is missing\n"},
        {{"shard1.out", "shard1.out"}, "Shard 1 of 2 given twice: shard1.out\n"},
        {{"shard1.out", "other.out"}, "Shard output of another search: other.out\n"},
        {{"shard1.out", "cut.out"}, "Not a complete shard output: cut.out\n"},
        {{"shard1.out", "none.out"}, "Cannot read shard output: none.out\n"},
    };
    for (const auto& [files, error] : kCases) {
        std::vector<std::string> words = search;
        words.emplace_back("--merge");
        words.insert(words.end(), files.begin(), files.end());
        const RunResult merged = box.run(words);
        EXPECT_EQ(merged.status, 1);
        EXPECT_EQ(merged.out, "");
        EXPECT_EQ(merged.err, error);
    }
}

// The scripts of a run over many machines, on this one: GNU parallel's, with a shard cut short and
// run again, and the Slurm array job's tasks, run one by one as Slurm would.
TEST(ShardScripts, MergeIntoWhatOneRunWrites) {
    Sandbox box;
    copyBundledCatalogue(box);
    const std::vector<std::string> search{"-p", "1000", "-u", "1000", "-s", "-n", "3"};
    const RunOutputs one = runWithFiles(box, search, {});
    ASSERT_NE(one.result.out.find("*** ("), std::string::npos);
    const std::string tools = TRELKAN_SOURCE_DIR "/tools/shards/";

    std::vector<std::string> slurm;
    for (const char* task : {"1", "2", "3"}) {
        std::vector<std::string> words{"SLURM_ARRAY_TASK_ID=" + std::string(task),
                                       "SLURM_CPUS_PER_TASK=2",
                                       "TRELKAN=" TRELKAN_BINARY,
                                       "sh",
                                       tools + "trelkan-shards.sbatch",
                                       "3"};
        words.insert(words.end(), search.begin(), search.end());
        slurm.push_back("task" + std::string(task) + ".out");
        box.write(slurm.back(), box.runProgram("/usr/bin/env", words).out);
    }
    slurm.insert(slurm.begin(), "--merge");
    expectSameOutputs(runWithFiles(box, search, slurm), one, "as Slurm tasks");

    if (std::system("command -v parallel >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "GNU parallel is not installed";
    }
    std::vector<std::string> words{"-n", "3", "-b", TRELKAN_BINARY, "-d", "work", "--"};
    words.insert(words.end(), search.begin(), search.end());
    words.insert(words.end(), {"-f", "parallel.log", "-o", "parallel.rle"});
    for (const bool cut : {false, true}) {
        if (cut) {
            box.write("work/shard2.out", box.read("work/shard2.out")->substr(0, 100));
        }
        std::filesystem::remove(box.path() / "parallel.log");
        std::filesystem::remove(box.path() / "parallel.rle");
        const RunResult run = box.runProgram(tools + "trelkan-shards", words);
        EXPECT_EQ(run.err, "");
        expectSameOutputs({run, box.read("parallel.log"), box.read("parallel.rle")}, one,
                          cut ? "with GNU parallel, resumed" : "with GNU parallel");
    }
}

}  // namespace
}  // namespace trelkan::testing
