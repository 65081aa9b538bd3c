#include "catalogue/linereader.h"

#include <sys/stat.h>

#include <cstring>
#include <vector>

namespace trelkan {
namespace {

// Removes the comment, then trailing characters whose code as a signed char is 32 or less.
std::size_t visibleLength(const char* text) {
    std::size_t length = std::strlen(text);
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

bool LineReader::readLine(std::string& line, int size) {
    // A read of no characters would never reach the end of the file.
    if (!m_file || size < 2) {
        return false;
    }
    std::vector<char> buffer(static_cast<std::size_t>(size));
    for (;;) {
        ++m_lineNumber;
        if (std::fgets(buffer.data(), size, m_file.get()) == nullptr) {
            return false;
        }
        const std::size_t length = visibleLength(buffer.data());
        if (length > 0) {
            line.assign(buffer.data(), length);
            return true;
        }
    }
}

}  // namespace trelkan
