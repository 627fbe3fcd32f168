#pragma once
// The most recently opened or saved scene files, newest first, as the File
// menu lists them. The window stores the entries in its settings.

#include <string>
#include <vector>

namespace vynui {

class RecentFileList {
public:
    static constexpr std::size_t kSize = 4;

    /// Puts path first; an entry for the same path moves up instead of
    /// appearing twice; the oldest entry drops off past kSize. Empty paths
    /// are ignored.
    void Add(const std::string& path);
    /// Drops the entry for path (a file that could not be opened).
    void Remove(const std::string& path);
    /// Replaces the entries (from stored settings): blanks and repeats are
    /// skipped, at most kSize are kept, in the given order.
    void Assign(const std::vector<std::string>& paths);
    const std::vector<std::string>& Entries() const { return m_paths; }

    /// The menu text of entry index: "&1 path" with '&' in the path doubled
    /// and the middle of a long path elided to "...".
    std::string MenuText(std::size_t index) const;

private:
    std::vector<std::string> m_paths;
};

}  // namespace vynui
