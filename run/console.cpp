#include "run/console.h"

#include <algorithm>

#include <unistd.h>

namespace trelkan {
namespace {

constexpr std::string_view kPatternHeader = "x = 1000, y = 1000, rule = B3/S23\n";

// Back to the start of the line, and the line cleared from there.
constexpr std::string_view kEraseLine = "\r\033[K";

}  // namespace

bool Console::LazyFile::openOnce() {
    if (m_handle) {
        return true;
    }
    if (!m_name) {
        return false;
    }
    m_handle.reset(std::fopen(m_name->c_str(), "w"));
    if (!m_handle) {
        m_name.reset();
        return false;
    }
    return true;
}

void Console::LazyFile::noteFailure(bool failed) {
    if (failed && !m_failure) {
        m_failure = m_name;
    }
}

void Console::LazyFile::write(std::string_view text) {
    noteFailure(std::fwrite(text.data(), 1, text.size(), m_handle.get()) != text.size());
}

void Console::LazyFile::flush() {
    if (m_handle) {
        noteFailure(std::fflush(m_handle.get()) != 0);
    }
}

void Console::LazyFile::close() {
    if (m_handle) {
        noteFailure(std::fclose(m_handle.release()) != 0);
    }
    m_name.reset();
}

void Console::PatternText::write(std::string_view text) {
    const bool wasOpen = m_file.isOpen();
    if (!m_file.openOnce()) {
        return;
    }
    if (!wasOpen) {
        m_file.write(kPatternHeader);
    }
    m_file.write(text);
}

void Console::ErrorText::write(std::string_view text) {
    const std::lock_guard<std::mutex> lock(m_console.m_terminal);
    m_console.eraseStatusLocked();
    std::fwrite(text.data(), 1, text.size(), stderr);
}

Console::Console() : m_outputIsTerminal(isatty(STDOUT_FILENO) == 1) {}
Console::~Console() = default;

void Console::setLogFile(std::string name) {
    if (!m_log.isOpen()) {
        m_log.setName(std::move(name));
    }
}

void Console::setPatternFile(std::string name) {
    if (!m_patternFile.isOpen()) {
        m_patternFile.setName(std::move(name));
    }
}

void Console::write(std::string_view text) {
    const std::lock_guard<std::mutex> lock(m_terminal);
    if (m_outputIsTerminal) {
        eraseStatusLocked();
    }
    if (!text.empty()) {
        m_outputAtLineStart = text.back() == '\n';
    }
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) {
        m_outputFailed = true;
    }
    if (m_log.openOnce()) {
        m_log.write(text);
    }
}

void Console::showStatus(std::string_view line) {
    const std::lock_guard<std::mutex> lock(m_terminal);
    if (m_outputIsTerminal && !m_outputAtLineStart) {
        return;
    }
    // In one write, so that the terminal never shows the line half drawn.
    char text[256];
    const int length =
        std::snprintf(text, sizeof text, "\r%.*s\033[K",
                      static_cast<int>(std::min<std::size_t>(line.size(), 200)), line.data());
    std::fwrite(text, 1, static_cast<std::size_t>(length), stderr);
    m_statusShown = true;
}

void Console::eraseStatus() {
    const std::lock_guard<std::mutex> lock(m_terminal);
    eraseStatusLocked();
}

void Console::eraseStatusLocked() {
    if (m_statusShown) {
        std::fwrite(kEraseLine.data(), 1, kEraseLine.size(), stderr);
        m_statusShown = false;
    }
}

void Console::flushOutput() {
    if (std::fflush(stdout) != 0) {
        m_outputFailed = true;
    }
}

void Console::flushFiles() {
    flushOutput();
    m_log.flush();
    m_patternFile.flush();
}

void Console::closeFiles() {
    flushOutput();
    m_log.close();
    if (m_patternFile.isOpen()) {
        m_patternText.write("!\n");
        m_patternFile.close();
    }
    reportWriteFailures();
}

void Console::reportWriteFailures() {
    if (m_outputFailed || std::ferror(stdout) != 0) {
        m_errors.write("Standard output could not be written\n");
        m_writeFailed = true;
    }
    if (const std::optional<std::string>& log = m_log.failure()) {
        m_errors.write("The log file could not be written: " + *log + "\n");
        m_writeFailed = true;
    }
    if (const std::optional<std::string>& pattern = m_patternFile.failure()) {
        m_errors.write("The pattern file could not be written: " + *pattern + "\n");
        m_writeFailed = true;
    }
}

}  // namespace trelkan
