#include "tests/support/TempFolder.h"

#include <unistd.h>

#include <atomic>
#include <fstream>
#include <random>
#include <sstream>

namespace kftest {

TempFolder::TempFolder(const std::string& tag)
{
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    const std::string unique =
        std::to_string(getpid()) + "_" + std::to_string(counter++) + "_" + std::to_string(random());
    m_path = std::filesystem::temp_directory_path() / ("kilnform_" + tag + "_" + unique);
    std::filesystem::create_directories(m_path);
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::string TempFolder::Write(const std::string& name, const std::string& bytes) const
{
    const std::string path = File(name);
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    return path;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

}  // namespace kftest
