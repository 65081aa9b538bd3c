#include "tests/support/tempdir.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace trelkan::testing {

TempDir::TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/trelkan-test-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a temporary directory");
    }
    m_path = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::filesystem::path TempDir::write(std::string_view relative, std::string_view content) const {
    const std::filesystem::path file = m_path / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + file.string());
    }
    return file;
}

std::optional<std::string> TempDir::read(std::string_view relative) const {
    std::ifstream in(m_path / relative, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::vector<std::string> TempDir::files() const {
    std::vector<std::string> result;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(m_path)) {
        if (entry.is_regular_file()) {
            result.push_back(std::filesystem::relative(entry.path(), m_path).string());
        }
    }
    std::sort(result.begin(), result.end());
    return result;
}

}  // namespace trelkan::testing
