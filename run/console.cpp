#include "run/console.h"

namespace trelkan {
namespace {

constexpr std::string_view kPatternHeader = "x = 1000, y = 1000, rule = B3/S23\n";

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

void Console::LazyFile::write(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), m_handle.get());
}

void Console::LazyFile::flush() {
    if (m_handle) {
        std::fflush(m_handle.get());
    }
}

void Console::LazyFile::close() {
    m_handle.reset();
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

Console::Console() = default;
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
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (m_log.openOnce()) {
        m_log.write(text);
    }
}

void Console::flushOutput() {
    std::fflush(stdout);
}

void Console::flushFiles() {
    flushOutput();
    m_log.flush();
    m_patternFile.flush();
}

void Console::closeFiles() {
    m_log.close();
    if (m_patternFile.isOpen()) {
        m_patternText.write("!\n");
        m_patternFile.close();
    }
}

}  // namespace trelkan
