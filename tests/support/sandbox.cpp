#include "tests/support/sandbox.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

namespace trelkan::testing {
namespace {

// In the child: the working directory, the captured streams, a time limit, then the program.
[[noreturn]] void execProgram(const std::string& directory, const std::string& outPath,
                              const std::string& errPath, std::vector<char*>& argv) {
    const int nullIn = open("/dev/null", O_RDONLY);
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (nullIn < 0 || out < 0 || err < 0 || chdir(directory.c_str()) != 0 || dup2(nullIn, 0) < 0 ||
        dup2(out, 1) < 0 || dup2(err, 2) < 0) {
        _exit(127);
    }
    alarm(Sandbox::kTimeLimitSeconds);
    execv(argv[0], argv.data());
    _exit(127);
}

}  // namespace

RunResult Sandbox::run(const std::vector<std::string>& arguments) const {
    std::vector<std::string> words{TRELKAN_BINARY};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    const std::string outPath = (m_capture.path() / "stdout").string();
    const std::string errPath = (m_capture.path() / "stderr").string();
    const pid_t child = fork();
    if (child < 0) {
        throw std::runtime_error("fork failed");
    }
    if (child == 0) {
        execProgram(path().string(), outPath, errPath, argv);
    }
    int waitStatus = 0;
    if (waitpid(child, &waitStatus, 0) != child) {
        throw std::runtime_error("waitpid failed");
    }
    RunResult result;
    result.status = WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -WTERMSIG(waitStatus);
    result.out = m_capture.read("stdout").value_or("");
    result.err = m_capture.read("stderr").value_or("");
    return result;
}

}  // namespace trelkan::testing
