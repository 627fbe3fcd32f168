#include "view/DocumentState.h"

#include <filesystem>

namespace vynui {

const char* const DocumentState::kApplicationTitle = "Kilnform B5";

void DocumentState::Touch()
{
    ++m_generation;
    if (!m_modified) Set(true, m_path);
}

void DocumentState::MarkClean(const std::string& path)
{
    Set(false, path);
}

void DocumentState::MarkModified(const std::string& path)
{
    ++m_generation;
    Set(true, path);
}

void DocumentState::Set(bool modified, const std::string& path)
{
    const bool changed = modified != m_modified || path != m_path;
    m_modified = modified;
    m_path = path;
    if (changed && m_sink) m_sink();
}

std::string DocumentState::WindowTitle() const
{
    std::string title = kApplicationTitle;
    if (!m_path.empty()) title += " - " + std::filesystem::path(m_path).filename().string();
    return title + "[*]";
}

}  // namespace vynui
