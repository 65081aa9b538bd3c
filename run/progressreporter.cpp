#include "run/progressreporter.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <string_view>
#include <system_error>

#include <sys/ioctl.h>
#include <unistd.h>

#include "base/format.h"
#include "run/console.h"

namespace trelkan {
namespace {

// A status line is redrawn a few times a second; a line for a log is written every few seconds,
// and whenever a new stage begins.
constexpr std::chrono::milliseconds kTick{250};
constexpr std::chrono::seconds kLineInterval{5};

double secondsBetween(ProgressReporter::Clock::time_point from,
                      ProgressReporter::Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

// "55 s", "12 min 05 s", "3 h 07 min".
void formatDuration(double seconds, char* text, std::size_t size) {
    // A rate of next to nothing would promise years.
    const auto whole = static_cast<long long>(std::min(seconds, 1e9) + 0.5);
    if (whole < 60) {
        std::snprintf(text, size, "%lld s", whole);
    } else if (whole < 3600) {
        std::snprintf(text, size, "%lld min %02lld s", whole / 60, whole % 60);
    } else {
        std::snprintf(text, size, "%lld h %02lld min", whole / 3600, whole % 3600 / 60);
    }
}

// The columns of standard error's terminal, 0 when not known: a status line longer than that
// would wrap, and could not be redrawn in place.
std::size_t terminalColumns() {
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) != 0) {
        return 0;
    }
    return size.ws_col;
}

}  // namespace

ProgressReporter::ProgressReporter(Console& console, ProgressChoice choice) : m_console(console) {
    const bool terminal = isatty(STDERR_FILENO) == 1;
    if (choice == ProgressChoice::kNever || (choice == ProgressChoice::kOnTerminal && !terminal)) {
        return;
    }
    m_mode = terminal ? Mode::kTerminal : Mode::kLines;
    try {
        m_thread = std::thread([this] { watch(); });
    } catch (const std::system_error&) {
        // Without a thread, the search goes on without reports; the summary still comes.
    }
}

ProgressReporter::~ProgressReporter() {
    stop();
}

void ProgressReporter::stop() {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    if (m_thread.joinable()) {
        m_thread.join();
    }
    m_console.eraseStatus();
}

// The first report comes at once, so that even the shortest search shows one.
void ProgressReporter::watch() {
    std::unique_lock<std::mutex> lock(m_mutex);
    do {
        report(Clock::now());
    } while (!m_wake.wait_for(lock, kTick, [this] { return m_stopping; }));
}

void ProgressReporter::report(Clock::time_point now) {
    const SearchProgress::Reading reading = m_counts.read();
    const bool newStage = !m_lineWritten || reading.stage != m_stage;
    if (reading.stage != m_stage) {
        m_stage = reading.stage;
        m_stageStart = now;
    }
    char text[256];
    std::size_t length = describe(reading, now, text, sizeof text - 1);
    if (m_mode == Mode::kTerminal) {
        const std::size_t columns = terminalColumns();
        if (columns > 1) {
            length = std::min(length, columns - 1);
        }
        m_console.showStatus(std::string_view(text, length));
        m_lineWritten = true;
        return;
    }
    if (newStage || now - m_lastLine >= kLineInterval) {
        text[length++] = '\n';
        m_console.errors().write(std::string_view(text, length));
        m_lineWritten = true;
        m_lastLine = now;
    }
}

std::size_t ProgressReporter::describe(const SearchProgress::Reading& reading,
                                       Clock::time_point now, char* text, std::size_t size) const {
    // The counts are read while they change: a stage's first reading may still hold the last one's.
    const std::int64_t total = std::max<std::int64_t>(reading.total, 0);
    const std::int64_t done = std::clamp<std::int64_t>(reading.done, 0, total);
    int length = 0;
    switch (reading.stage) {
        case SearchStage::kPreparing:
            length = std::snprintf(text, size, "Preparing the search");
            break;
        case SearchStage::kGrowingMap:
        case SearchStage::kPruningMap:
            length = std::snprintf(
                text, size, "Creating search map: %" PRId64 " of %" PRId64 " generations %s", done,
                total, reading.stage == SearchStage::kGrowingMap ? "grown" : "pruned");
            break;
        case SearchStage::kCounting:
            length = reading.done <= 0
                         ? std::snprintf(text, size, "Counting component sets")
                         : std::snprintf(text, size, "Counting component sets: %" PRId64 " so far",
                                         reading.done);
            break;
        case SearchStage::kSearching: {
            const double percent =
                total == 0 ? 100.0 : 100.0 * static_cast<double>(done) / static_cast<double>(total);
            length =
                std::snprintf(text, size, "Searching: %" PRId64 " of %" PRId64 " sets (%.1f%%)",
                              done, total, percent);
            const double seconds = secondsBetween(m_stageStart, now);
            // Nothing is said of the rate until some sets are done.
            if (done > 0 && seconds > 0 && length >= 0 && static_cast<std::size_t>(length) < size) {
                const double rate = static_cast<double>(done) / seconds;
                char left[32];
                formatDuration(static_cast<double>(total - done) / rate, left, sizeof left);
                length += std::snprintf(text + length, size - static_cast<std::size_t>(length),
                                        ", %.0f sets/s, %s left", rate, left);
            }
            break;
        }
    }
    return std::min(static_cast<std::size_t>(std::max(length, 0)), size - 1);
}

void ProgressReporter::writeSummary(std::int64_t results) const {
    if (m_mode == Mode::kOff) {
        return;
    }
    char taken[32];
    const double seconds = secondsBetween(m_start, Clock::now());
    if (seconds < 60) {
        std::snprintf(taken, sizeof taken, "%.1f s", seconds);
    } else {
        formatDuration(seconds, taken, sizeof taken);
    }
    const SearchProgress::Reading reading = m_counts.read();
    const char* ending = results == 1 ? "" : "s";
    if (reading.stage != SearchStage::kSearching) {
        m_console.errors().write(formatMessage("%" PRId64 " result%s in %s; no sets searched\n",
                                               results, ending, taken));
        return;
    }
    m_console.errors().write(formatMessage(
        "%" PRId64 " result%s, %" PRId64 " of %" PRId64 " sets searched in %s\n", results, ending,
        std::clamp<std::int64_t>(reading.done, 0, reading.total), reading.total, taken));
}

}  // namespace trelkan
