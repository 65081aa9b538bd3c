// The program's output, owned by main: normal messages go to standard output with a copy in the
// log file, error text to standard error, and results are drawn into the pattern file.
//
// Both files are named now and opened on their first write, so that a run that never writes to
// one creates no file; a file that cannot be created is dropped silently for the rest of the run.
#pragma once

#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "base/rle.h"
#include "base/textsink.h"

namespace trelkan {

// The writer style of the pattern file: runs of one and two spelled out, lines of at most 77
// characters.
inline constexpr RleStyle kPatternFileStyle{77, true};

class Console final : public TextSink {
  public:
    Console();
    ~Console() override;
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    // A file named once it is open keeps its first name.
    void setLogFile(std::string name);
    void setPatternFile(std::string name);

    // Standard output and the log.
    void write(std::string_view text) override;
    // Standard error.
    TextSink& errors() { return m_errors; }

    // A status line on the terminal of standard error, redrawn in place, from any thread. It is
    // erased before anything else is written to standard error, or to standard output when that
    // is a terminal too; it waits while standard output is in the middle of a line there.
    void showStatus(std::string_view line);
    void eraseStatus();

    bool patternEnabled() const { return m_patternFile.isNamed(); }
    // Each pattern written ends its line; the file opens with its header line.
    RleWriter& patternWriter() { return m_patternWriter; }

    // Standard output only: a pipe or a file sees every line written so far.
    void flushOutput();
    // Standard output, the log and the pattern file.
    void flushFiles();
    // Closes the log, and the pattern file after its closing "!\n", and says on standard error
    // which output could not be written. Nothing may be written after.
    void closeFiles();
    // Some output could not be written (a file that could not be created is no failure: it is
    // skipped, as it always was).
    bool writeFailed() const { return m_writeFailed; }

  private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    // A file that is named now and opened on its first write. A failed open clears the name for
    // good, so it is attempted at most once.
    class LazyFile {
      public:
        void setName(std::string name) { m_name = std::move(name); }
        bool isNamed() const { return m_name.has_value(); }
        bool isOpen() const { return m_handle != nullptr; }
        // Opens the file if needed; true when it is open afterwards.
        bool openOnce();
        void write(std::string_view text);
        void flush();
        // Closing also forgets the name, so that a stray write cannot reopen and truncate it.
        void close();
        // A write, a flush or the closing failed; the name of the file then.
        const std::optional<std::string>& failure() const { return m_failure; }

      private:
        void noteFailure(bool failed);

        std::optional<std::string> m_name;
        std::unique_ptr<std::FILE, FileCloser> m_handle;
        std::optional<std::string> m_failure;
    };

    // The pattern file's text: its header before the first pattern.
    class PatternText final : public TextSink {
      public:
        explicit PatternText(LazyFile& file) : m_file(file) {}
        void write(std::string_view text) override;

      private:
        LazyFile& m_file;
    };

    // Standard error, after the status line has been erased.
    class ErrorText final : public TextSink {
      public:
        explicit ErrorText(Console& console) : m_console(console) {}
        void write(std::string_view text) override;

      private:
        Console& m_console;
    };

    void reportWriteFailures();
    void eraseStatusLocked();

    // Held by every write to a terminal stream, since the status line comes from another thread.
    std::mutex m_terminal;
    bool m_statusShown = false;
    const bool m_outputIsTerminal;
    // Nothing, or a whole line, was written last to standard output.
    bool m_outputAtLineStart = true;
    LazyFile m_log;
    LazyFile m_patternFile;
    ErrorText m_errors{*this};
    PatternText m_patternText{m_patternFile};
    RleWriter m_patternWriter{m_patternText, kPatternFileStyle};
    bool m_outputFailed = false;
    bool m_writeFailed = false;
};

}  // namespace trelkan
