#include "interact/ResourceRoot.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>

namespace fs = std::filesystem;

namespace vynui {

namespace {

// A path file is one line; anything far larger is not one.
constexpr std::uintmax_t kMaxRootFileSize = 64 * 1024;

std::string WithTrailingSlash(std::string root)
{
    if (!root.empty() && root.back() != '/') root += '/';
    return root;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

bool IsFolder(const std::string& path)
{
    std::error_code error;
    return !path.empty() && fs::is_directory(path, error);
}

std::mutex& RootMutex()
{
    static std::mutex mutex;
    return mutex;
}

// The cached root; filled from "srcroot.txt" (or the defaults) on first use
// unless SetResourceRoot came first.
struct CachedRoot {
    std::string root;
    bool known = false;
};

CachedRoot& Cache()
{
    static CachedRoot cache;
    return cache;
}

}  // namespace

std::string ResourceRootFromText(const std::string& text)
{
    std::size_t at = 0;
    // A byte-order mark from an editor is not part of the path.
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) at = 3;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::size_t first = at, last = end;
        while (first < last && IsBlank(text[first])) ++first;
        while (last > first && IsBlank(text[last - 1])) --last;
        if (first < last) {
            const std::string line = text.substr(first, last - first);
            if (line.find('\0') != std::string::npos) return std::string();
            return WithTrailingSlash(line);
        }
        at = end + 1;
    }
    return std::string();
}

std::string InstalledResourceRoot(const std::string& exePath)
{
    if (exePath.empty()) return std::string();
    const fs::path share = (fs::path(exePath).parent_path() / ".." / "share" / "kilnform").lexically_normal();
    const std::string root = WithTrailingSlash(share.string());
    return IsFolder(root) ? root : std::string();
}

std::string DefaultResourceRoot()
{
    std::error_code error;
    const fs::path exe = fs::read_symlink("/proc/self/exe", error);
    if (!error) {
        const std::string installed = InstalledResourceRoot(exe.string());
        if (!installed.empty()) return installed;
    }
#ifdef KILNFORM_BUILD_RESOURCES
    const std::string built = WithTrailingSlash(KILNFORM_BUILD_RESOURCES);
    if (IsFolder(built)) return built;
#endif
    return std::string();
}

std::string FindResourceRoot(const std::string& srcrootFile)
{
    std::error_code error;
    const fs::file_status status = fs::status(srcrootFile, error);
    // Only a regular file of sensible size is read: a FIFO would block, a
    // folder or a huge file is not a path.
    if (!error && fs::is_regular_file(status)) {
        const std::uintmax_t size = fs::file_size(srcrootFile, error);
        if (!error && size <= kMaxRootFileSize) {
            std::ifstream in(srcrootFile, std::ios::binary);
            const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            if (!in.bad()) {
                const std::string root = ResourceRootFromText(text);
                if (!root.empty()) return root;
            }
        }
    }
    return DefaultResourceRoot();
}

const std::string& GetResourceRoot()
{
    std::lock_guard<std::mutex> lock(RootMutex());
    CachedRoot& cache = Cache();
    if (!cache.known) {
        cache.root = FindResourceRoot("srcroot.txt");
        cache.known = true;
    }
    return cache.root;
}

std::string GetIconPath(const std::string& name)
{
    return GetResourceRoot() + "icons/" + name;
}

std::string GetAnimationFolder()
{
    return GetResourceRoot() + "animations/";
}

void SetResourceRoot(const std::string& root)
{
    std::lock_guard<std::mutex> lock(RootMutex());
    Cache().root = WithTrailingSlash(root);
    Cache().known = true;
}

}  // namespace vynui
