// Silences standard output while it lives: catalogue preparation and tree building report there,
// and a report per benchmark iteration would drown the benchmark's own.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace trelkan {

class QuietStdout {
  public:
    QuietStdout() : m_saved(dup(STDOUT_FILENO)) {
        std::fflush(stdout);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        close(null);
    }
    ~QuietStdout() {
        std::fflush(stdout);
        dup2(m_saved, STDOUT_FILENO);
        close(m_saved);
    }
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;

  private:
    int m_saved;
};

}  // namespace trelkan
