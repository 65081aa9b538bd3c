// The progress of a search on standard error while it runs: a status line redrawn in place on a
// terminal, or a plain line every few seconds for a log when asked for; then a summary at the end.
// A thread of its own reads the counts that the engine keeps, a few times a second.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>

#include "engine/searchprogress.h"

namespace trelkan {

class Console;

// What the command line asks for: progress when standard error is a terminal (the default),
// always (--progress), or never (--no-progress).
enum class ProgressChoice { kOnTerminal, kAlways, kNever };

class ProgressReporter {
  public:
    using Clock = std::chrono::steady_clock;

    // Starts reporting at once, when the choice and standard error call for it.
    ProgressReporter(Console& console, ProgressChoice choice);
    ~ProgressReporter();
    ProgressReporter(const ProgressReporter&) = delete;
    ProgressReporter& operator=(const ProgressReporter&) = delete;

    // The counts for the engine to keep; nothing when no progress is reported.
    SearchProgress* counts() { return m_mode == Mode::kOff ? nullptr : &m_counts; }
    // Ends the reports, the status line erased; at once, whatever the search is doing.
    void stop();
    // Results found, the sets searched and the time taken, when progress is reported.
    void writeSummary(std::int64_t results) const;

  private:
    enum class Mode { kOff, kTerminal, kLines };

    void watch();
    void report(Clock::time_point now);
    // The text of the reading, written into the buffer; its length.
    std::size_t describe(const SearchProgress::Reading& reading, Clock::time_point now, char* text,
                         std::size_t size) const;

    Console& m_console;
    Mode m_mode = Mode::kOff;
    SearchProgress m_counts;
    const Clock::time_point m_start = Clock::now();
    // The stage of the last report and when it was first seen, for the rate.
    SearchStage m_stage = SearchStage::kPreparing;
    Clock::time_point m_stageStart = m_start;
    // When the last plain line was written; none yet.
    bool m_lineWritten = false;
    Clock::time_point m_lastLine = m_start;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    std::thread m_thread;
};

}  // namespace trelkan
