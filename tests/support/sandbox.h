// Runs the built program in a temporary working directory of its own and captures everything it
// does: standard output, standard error, exit status and the files it leaves.
#pragma once

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

class Sandbox : public TempDir {
  public:
    // A run that takes longer than this is killed, so that a hang fails the test.
    static constexpr unsigned kTimeLimitSeconds = 60;

    RunResult run(const std::vector<std::string>& arguments) const;

  private:
    TempDir m_capture;
};

// The text the program writes on standard error for its usage.
inline constexpr const char* kUsage =
    "Usage:\n    trelkan [-p period] [-c compression] [-d dx dy dt dir] [-e <script>] "
    "[-t treesizeKB] [-m] [-l minlen] [-u maxlen] [-x maxcell] [-n maxresults] [-f outfile] "
    "[-o rlefile] [-s] [-i ignoresets]\n";

}  // namespace trelkan::testing
