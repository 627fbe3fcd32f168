#include "view/RecentFileList.h"

#include <algorithm>

namespace vynui {

namespace {

// Longer paths keep their start and their file name.
constexpr std::size_t kMaxShownLength = 60;

std::string Shortened(const std::string& path)
{
    if (path.size() <= kMaxShownLength) return path;
    const std::size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash);
    if (name.size() + 3 >= kMaxShownLength) return "..." + name.substr(name.size() - (kMaxShownLength - 3));
    return path.substr(0, kMaxShownLength - 3 - name.size()) + "..." + name;
}

}  // namespace

void RecentFileList::Add(const std::string& path)
{
    if (path.empty()) return;
    // path may be one of the entries, which Remove erases.
    const std::string entry = path;
    Remove(entry);
    m_paths.insert(m_paths.begin(), entry);
    if (m_paths.size() > kSize) m_paths.resize(kSize);
}

void RecentFileList::Remove(const std::string& path)
{
    const std::string entry = path;
    m_paths.erase(std::remove(m_paths.begin(), m_paths.end(), entry), m_paths.end());
}

void RecentFileList::Assign(const std::vector<std::string>& paths)
{
    m_paths.clear();
    for (const std::string& path : paths) {
        if (m_paths.size() == kSize) break;
        if (path.empty() || std::find(m_paths.begin(), m_paths.end(), path) != m_paths.end()) continue;
        m_paths.push_back(path);
    }
}

std::string RecentFileList::MenuText(std::size_t index) const
{
    if (index >= m_paths.size()) return std::string();
    std::string text = "&" + std::to_string(index + 1) + " ";
    for (char c : Shortened(m_paths[index])) {
        if (c == '&') text += '&';
        text += c;
    }
    return text;
}

}  // namespace vynui
