#include "tools/verify/patterndirectory.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "base/format.h"
#include "life/rlepattern.h"

namespace trelkan {

bool writeTextFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out);
}

bool PatternDirectory::prepare() const {
    if (!m_path) {
        return true;
    }
    std::error_code error;
    std::filesystem::create_directories(*m_path, error);
    if (error || !std::filesystem::is_directory(*m_path)) {
        std::fprintf(stderr, "Pattern directory cannot be made: %s\n", m_path->c_str());
        return false;
    }
    return true;
}

bool PatternDirectory::write(const ResultLine& result, const std::string& comment,
                             const std::vector<LifeCell>& cells) {
    if (!m_path) {
        return true;
    }
    const std::filesystem::path file =
        std::filesystem::path(*m_path) / formatMessage("line-%06d.rle", result.lineNumber);
    if (!writeTextFile(file.string(), writeRle(cells, {comment})) && m_writable) {
        std::fprintf(stderr, "Pattern file cannot be written: %s\n", file.c_str());
        m_writable = false;
    }
    return m_writable;
}

}  // namespace trelkan
