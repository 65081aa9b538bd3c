// Runs the built program in a temporary working directory of its own and captures everything it
// does: standard output, standard error, exit status and the files it leaves.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/tempdir.h"

namespace trelkan::testing {

struct RunResult {
    std::string out;
    std::string err;
    // The exit status, or minus the signal that ended the program.
    int status = 0;
};

// A run of the program that goes on while the test sends it signals.
class RunningProgram {
  public:
    RunningProgram(int pid, std::string outPath, std::string errPath)
        : m_pid(pid), m_outPath(std::move(outPath)), m_errPath(std::move(errPath)) {}
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;
    ~RunningProgram();

    void signal(int number) const;
    // Waits until the program's standard output holds the text, or the program has ended; true
    // in the first case. The program flushes its output at every progress line and result, so a
    // test is driven by what it prints, not by a clock.
    bool waitForOutput(const std::string& text) const;
    RunResult wait();

  private:
    int m_pid;
    std::string m_outPath;
    std::string m_errPath;
    bool m_waited = false;
};

class Sandbox : public TempDir {
  public:
    // A run that takes longer than this is killed, so that a hang fails the test. Far beyond any
    // run of the tests, however busy the machine.
    static constexpr unsigned kTimeLimitSeconds = 1800;

    RunResult run(const std::vector<std::string>& arguments) const;
    // Runs the program with standard error on a terminal of its own; err is what the terminal
    // received, byte for byte.
    RunResult runOnTerminal(const std::vector<std::string>& arguments) const;
    // Runs started from now on may take this many bytes of address space at the most.
    void limitMemory(std::uint64_t bytes) { m_memoryLimit = bytes; }
    // Starts the program without waiting for it. Only one may run at a time per sandbox.
    std::unique_ptr<RunningProgram> start(const std::vector<std::string>& arguments) const;
    // Runs another program of the project the same way.
    RunResult runProgram(const std::string& program,
                         const std::vector<std::string>& arguments) const;

  private:
    std::unique_ptr<RunningProgram> startProgram(const std::string& program,
                                                 const std::vector<std::string>& arguments,
                                                 int errorTerminal = -1) const;

    TempDir m_capture;
    std::uint64_t m_memoryLimit = 0;
};

// The text the program writes on standard error for its usage.
inline constexpr const char* kUsage =
    "Usage:\n    trelkan [-p period] [-c compression] [-d dx dy dt dir] [-e <script>] "
    "[-t treesizeKB] [-m] [-l minlen] [-u maxlen] [-x maxcell] [-n maxresults] [-f outfile] "
    "[-o rlefile] [-s] [-i ignoresets] [-j threads] [-k shard/shards] [--merge shardoutput...]\n";

}  // namespace trelkan::testing
