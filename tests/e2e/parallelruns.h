// The same search with one thread, with several, and as shards merged: every output must be the
// one thread's, byte for byte.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/support/sandbox.h"

namespace trelkan::testing {

struct RunOutputs {
    RunResult result;
    std::optional<std::string> log;
    std::optional<std::string> pattern;
};

// The run with a log and a pattern file; words go last (--merge takes every word after it).
inline RunOutputs runWithFiles(const Sandbox& box, std::vector<std::string> arguments,
                               const std::vector<std::string>& words) {
    std::filesystem::remove(box.path() / "parallel.log");
    std::filesystem::remove(box.path() / "parallel.rle");
    arguments.insert(arguments.end(), {"-f", "parallel.log", "-o", "parallel.rle"});
    arguments.insert(arguments.end(), words.begin(), words.end());
    RunOutputs outputs{box.run(arguments), box.read("parallel.log"), box.read("parallel.rle")};
    return outputs;
}

inline void expectSameOutputs(const RunOutputs& actual, const RunOutputs& expected,
                              const std::string& how) {
    EXPECT_EQ(actual.result.out, expected.result.out) << how;
    EXPECT_EQ(actual.result.status, expected.result.status) << how;
    EXPECT_EQ(actual.log, expected.log) << how;
    EXPECT_EQ(actual.pattern, expected.pattern) << how;
}

// Runs the search with 1, 2 and 8 threads and as three shards merged; the one-thread run's
// outputs, which every other must equal.
inline RunOutputs expectSameOnAnyThreads(const Sandbox& box,
                                         const std::vector<std::string>& arguments) {
    const RunOutputs one = runWithFiles(box, arguments, {"-j", "1"});
    for (const char* threads : {"2", "8"}) {
        const RunOutputs many = runWithFiles(box, arguments, {"-j", threads});
        expectSameOutputs(many, one, std::string("with -j ") + threads);
        EXPECT_EQ(many.result.err, one.result.err);
    }
    std::vector<std::string> merge{"--merge"};
    for (const char* shard : {"1/3", "2/3", "3/3"}) {
        std::vector<std::string> words = arguments;
        words.insert(words.end(), {"-j", "2", "-k", shard});
        const RunResult part = box.run(words);
        EXPECT_EQ(part.status, one.result.status) << part.err;
        merge.push_back("shard" + std::string(1, shard[0]) + ".out");
        box.write(merge.back(), part.out);
    }
    expectSameOutputs(runWithFiles(box, arguments, merge), one, "as three shards merged");
    return one;
}

}  // namespace trelkan::testing
