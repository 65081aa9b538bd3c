#include "catalogue/linereader.h"

#include <sys/stat.h>

#include <cstring>
#include <vector>

namespace trelkan {
namespace {

// Removes the comment, then trailing characters whose code as a signed char is 32 or less.
std::size_t visibleLength(const char* text, std::size_t length) {
    if (const char* hash = static_cast<const char*>(std::memchr(text, '#', length))) {
        length = static_cast<std::size_t>(hash - text);
    }
    while (length > 0 && static_cast<signed char>(text[length - 1]) <= 32) {
        --length;
    }
    return length;
}

}  // namespace

// Only regular files are read: a device such as /dev/zero would yield empty lines for ever, and a
// pipe would block the program while it is opened.
LineReader::LineReader(const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
        m_file.reset(std::fopen(path.c_str(), "r"));
    }
}

// Reads as fgets does, at most size - 1 characters and no further than the line end, but counts
// them: a NUL byte is a character of the line, which it would otherwise end unseen.
bool LineReader::readLine(std::string& line, int size) {
    // A read of no characters would never reach the end of the file.
    if (!m_file || size < 2) {
        return false;
    }
    std::vector<char> buffer(static_cast<std::size_t>(size));
    for (;;) {
        ++m_lineNumber;
        std::size_t count = 0;
        int c = 0;
        while (count + 1 < buffer.size() && (c = std::getc(m_file.get())) != EOF) {
            buffer[count++] = static_cast<char>(c);
            if (c == '\n') {
                break;
            }
        }
        if (count == 0) {
            return false;
        }
        const std::size_t length = visibleLength(buffer.data(), count);
        if (length > 0) {
            line.assign(buffer.data(), length);
            m_holdsNul = line.find('\0') != std::string::npos;
            return true;
        }
    }
}

}  // namespace trelkan
