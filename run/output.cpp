#include "run/output.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

namespace trelkan {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// A file that is named now and opened on its first write. A failed open clears the name for
// good, so it is attempted at most once.
class LazyFile {
  public:
    void setName(std::string name) { m_name = std::move(name); }
    bool isNamed() const { return m_name.has_value(); }
    bool isOpen() const { return m_handle != nullptr; }

    // Opens the file if needed; true when it is open afterwards.
    bool openOnce() {
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

    void write(std::string_view text) { std::fwrite(text.data(), 1, text.size(), m_handle.get()); }
    void flush() {
        if (m_handle) {
            std::fflush(m_handle.get());
        }
    }
    // Closing also forgets the name, so that a stray write cannot reopen and truncate the file.
    void close() {
        m_handle.reset();
        m_name.reset();
    }

  private:
    std::optional<std::string> m_name;
    FileHandle m_handle;
};

LazyFile g_log;
LazyFile g_pattern;

constexpr std::string_view kPatternHeader = "x = 1000, y = 1000, rule = B3/S23\n";

}  // namespace

void setLogFile(std::string name) {
    if (!g_log.isOpen()) {
        g_log.setName(std::move(name));
    }
}

void setPatternFile(std::string name) {
    if (!g_pattern.isOpen()) {
        g_pattern.setName(std::move(name));
    }
}

void writeOutput(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (g_log.openOnce()) {
        g_log.write(text);
    }
}

TextSink& consoleOutput() {
    class Console final : public TextSink {
      public:
        void write(std::string_view text) override { writeOutput(text); }
    };
    static Console console;
    return console;
}

bool patternEnabled() {
    return g_pattern.isNamed();
}

void writePatternText(std::string_view text) {
    const bool wasOpen = g_pattern.isOpen();
    if (!g_pattern.openOnce()) {
        return;
    }
    if (!wasOpen) {
        g_pattern.write(kPatternHeader);
    }
    g_pattern.write(text);
}

void flushFiles() {
    g_log.flush();
    g_pattern.flush();
}

void closeFiles() {
    g_log.close();
    if (g_pattern.isOpen()) {
        writePatternText("!\n");
        g_pattern.close();
    }
}

}  // namespace trelkan
