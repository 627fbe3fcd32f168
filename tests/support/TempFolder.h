#pragma once
// A fresh, empty folder under the system's temporary folder, removed with
// everything in it when the object goes away.

#include <filesystem>
#include <string>

namespace kftest {

class TempFolder {
public:
    /// Creates "<tmp>/kilnform_<tag>_<unique>".
    explicit TempFolder(const std::string& tag = "test");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    /// The path of a file named name inside the folder, as a string.
    std::string File(const std::string& name) const { return (m_path / name).string(); }
    /// Writes bytes to the file named name and answers its path.
    std::string Write(const std::string& name, const std::string& bytes) const;

private:
    std::filesystem::path m_path;
};

/// The whole content of a file; empty when it cannot be read.
std::string ReadFile(const std::string& path);

}  // namespace kftest
