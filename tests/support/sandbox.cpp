#include "tests/support/sandbox.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace trelkan::testing {
namespace {

// In the child: the working directory, the captured streams (standard error on the terminal, when
// one is given), a time limit, then the program.
[[noreturn]] void execProgram(const std::string& directory, const std::string& outPath,
                              const std::string& errPath, std::vector<char*>& argv,
                              std::uint64_t memoryLimit, int errorTerminal) {
    const int nullIn = open("/dev/null", O_RDONLY);
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = errorTerminal >= 0 ? errorTerminal
                                       : open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (nullIn < 0 || out < 0 || err < 0 || chdir(directory.c_str()) != 0 || dup2(nullIn, 0) < 0 ||
        dup2(out, 1) < 0 || dup2(err, 2) < 0) {
        _exit(127);
    }
    alarm(Sandbox::kTimeLimitSeconds);
    if (memoryLimit != 0) {
        const rlimit limit{memoryLimit, memoryLimit};
        setrlimit(RLIMIT_AS, &limit);
    }
    execv(argv[0], argv.data());
    _exit(127);
}

}  // namespace

RunResult Sandbox::run(const std::vector<std::string>& arguments) const {
    return start(arguments)->wait();
}

std::unique_ptr<RunningProgram> Sandbox::start(const std::vector<std::string>& arguments) const {
    return startProgram(TRELKAN_BINARY, arguments);
}

RunResult Sandbox::runProgram(const std::string& program,
                              const std::vector<std::string>& arguments) const {
    return startProgram(program, arguments)->wait();
}

RunResult Sandbox::runOnTerminal(const std::vector<std::string>& arguments) const {
    // Raw, so that the terminal passes on the bytes as the program writes them.
    termios raw{};
    cfmakeraw(&raw);
    winsize size{};
    size.ws_row = 24;
    size.ws_col = 100;
    int master = -1;
    int terminal = -1;
    if (openpty(&master, &terminal, nullptr, &raw, &size) != 0) {
        throw std::runtime_error("openpty failed");
    }
    fcntl(master, F_SETFD, FD_CLOEXEC);
    fcntl(terminal, F_SETFD, FD_CLOEXEC);
    const std::unique_ptr<RunningProgram> running =
        startProgram(TRELKAN_BINARY, arguments, terminal);
    close(terminal);
    // Until the program's end closes the terminal: the read then fails.
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t length = ::read(master, buffer, sizeof buffer);
        if (length > 0) {
            text.append(buffer, static_cast<std::size_t>(length));
        } else if (length == 0 || errno != EINTR) {
            break;
        }
    }
    close(master);
    RunResult result = running->wait();
    result.err = text;
    return result;
}

std::unique_ptr<RunningProgram> Sandbox::startProgram(const std::string& program,
                                                      const std::vector<std::string>& arguments,
                                                      int errorTerminal) const {
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    const std::string outPath = (m_capture.path() / "stdout").string();
    const std::string errPath = (m_capture.path() / "stderr").string();
    // Emptied before the program starts, so that no one reads the last run's output as its own.
    std::ofstream(outPath, std::ios::trunc).close();
    std::ofstream(errPath, std::ios::trunc).close();
    const pid_t child = fork();
    if (child < 0) {
        throw std::runtime_error("fork failed");
    }
    if (child == 0) {
        execProgram(path().string(), outPath, errPath, argv, m_memoryLimit, errorTerminal);
    }
    return std::make_unique<RunningProgram>(child, outPath, errPath);
}

RunningProgram::~RunningProgram() {
    if (!m_waited) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
}

void RunningProgram::signal(int number) const {
    kill(m_pid, number);
}

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

}  // namespace

bool RunningProgram::waitForOutput(const std::string& text) const {
    for (;;) {
        if (readFile(m_outPath).find(text) != std::string::npos) {
            return true;
        }
        // Ended (left waitable for wait()): what it wrote is all there is.
        siginfo_t info{};
        if (waitid(P_PID, static_cast<id_t>(m_pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0 ||
            info.si_pid == m_pid) {
            return readFile(m_outPath).find(text) != std::string::npos;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

RunResult RunningProgram::wait() {
    int waitStatus = 0;
    if (waitpid(m_pid, &waitStatus, 0) != m_pid) {
        throw std::runtime_error("waitpid failed");
    }
    m_waited = true;
    RunResult result;
    result.status = WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -WTERMSIG(waitStatus);
    result.out = readFile(m_outPath);
    result.err = readFile(m_errPath);
    return result;
}

}  // namespace trelkan::testing
