// A temporary directory that is removed with everything in it when the object goes away.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trelkan::testing {

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }

    // Writes a file below the directory, making the directories on its way.
    std::filesystem::path write(std::string_view relative, std::string_view content) const;
    // The content of a file below the directory, or nothing when there is no such file.
    std::optional<std::string> read(std::string_view relative) const;
    // Every regular file below the directory, as sorted relative paths.
    std::vector<std::string> files() const;

  private:
    std::filesystem::path m_path;
};

}  // namespace trelkan::testing
