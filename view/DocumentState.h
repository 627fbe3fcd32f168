#pragma once
// Whether the scene of a view holds changes that no file has: set by the
// scene's change notifications, cleared when the scene is saved, read or
// started anew. It also knows the scene's file and the window title that
// goes with both ("Kilnform B5 - demo.xml[*]").

#include <cstdint>
#include <functional>
#include <string>

#include "scene/IChangeListener.h"

namespace vynui {

class DocumentState : public IChangeListener {
public:
    /// The program's title, the start of the window title.
    static const char* const kApplicationTitle;

    bool IsModified() const { return m_modified; }
    /// The scene's file; empty while it has none.
    const std::string& GetPath() const { return m_path; }
    /// Counts the changes; a snapshot taken at one count is current until
    /// the next change.
    std::uint64_t GetGeneration() const { return m_generation; }

    /// The scene now is what path holds (saved or read); an empty path
    /// keeps the scene without a file.
    void MarkClean(const std::string& path);
    /// The scene holds changes no file has; path as for MarkClean.
    void MarkModified(const std::string& path);

    /// "Kilnform B5[*]" or "Kilnform B5 - NAME[*]" with the file's name; the
    /// window shows the "[*]" as its unsaved-changes mark.
    std::string WindowTitle() const;

    /// Called whenever the flag or the file changes.
    void SetStateSink(std::function<void()> sink) { m_sink = std::move(sink); }

    // Edits of the scene; selection changes and redraws are no edits.
    void OnSceneChanged() override { Touch(); }
    void OnObjectsModified(const OrderedObjectSet&) override { Touch(); }
    void OnTreeChanged() override { Touch(); }

private:
    void Touch();
    void Set(bool modified, const std::string& path);

    bool m_modified = false;
    std::string m_path;
    std::uint64_t m_generation = 0;
    std::function<void()> m_sink;
};

}  // namespace vynui
