#pragma once
// The "BlobTree Editor" panel without the window toolkit: a tree of the
// model's node objects (depth first from the root, children in order),
// rebuilt when the scene is set and when the tree's structure changes.
// Choosing an item selects its object alone, dropping one item on another
// moves the object under the target (the scene refuses targets that are no
// operators), and the item's context menu sends scene commands.
//
// Items are named by their objects; every call checks that the object is an
// item of the current tree, so a stale pointer from the window does nothing.

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "scene/IChangeListener.h"

namespace vynui_bt {
class BlobTreeNodeSceneObject;
}

namespace vynui {

class CSceneManager;
class SceneObject;

class CBlobTreeEditorModel : public IChangeListener {
public:
    struct Item {
        std::string label;
        vynui_bt::BlobTreeNodeSceneObject* object = nullptr;
        std::vector<Item> children;
        bool expanded = false;  ///< true when it has children
    };

    /// One submenu of the item context menu.
    struct Submenu {
        const char* title;
        std::vector<std::string> commands;
    };
    /// The context menu: its submenus in order; the commands of the third
    /// ("Operators") add an operator under the item and need an operator item.
    static const std::vector<Submenu>& ContextMenu();
    static const char* const kDragEnded;

    /// Not owned; null empties the tree.
    void SetSceneManager(CSceneManager* scene);
    CSceneManager* GetSceneManager() const { return m_scene; }
    /// Called after every rebuild (the window refills its tree).
    void SetRebuiltHook(std::function<void()> hook) { m_rebuilt = std::move(hook); }
    /// Called when labels changed without a rebuild (an object was renamed).
    void SetLabelsChangedHook(std::function<void()> hook) { m_labelsChanged = std::move(hook); }

    /// The root's item, or null while the tree is empty.
    const Item* GetRoot() const { return m_hasRoot ? &m_root : nullptr; }
    bool Contains(const SceneObject* object) const;
    void Rebuild();

    /// Selects the item's object alone; false for an object that is no item.
    bool Select(SceneObject* item);
    /// The end of a drag: writes the debug line and moves dragged under target
    /// (null: released over no item). True when the tree changed.
    bool Drop(SceneObject* dragged, SceneObject* target);
    /// The right click: selects the item's object (the menu's target).
    bool OpenContextMenu(SceneObject* item);
    /// Whether command is shown enabled in item's context menu.
    bool ContextMenuEnabled(SceneObject* item, const std::string& command) const;
    /// Runs a context-menu command for item through the scene; false when the
    /// command is greyed or unknown.
    bool RunContextCommand(SceneObject* item, const std::string& command);

    // IChangeListener
    void OnTreeChanged() override;
    void OnObjectsModified(const OrderedObjectSet& selection) override;

private:
    void Fill(Item& item, vynui_bt::BlobTreeNodeSceneObject* object);
    bool Relabel(Item& item);
    bool Alive(const SceneObject* object) const;
    vynui_bt::BlobTreeNodeSceneObject* Find(SceneObject* object) const;

    CSceneManager* m_scene = nullptr;
    Item m_root;
    bool m_hasRoot = false;
    std::set<const SceneObject*> m_members;
    std::function<void()> m_rebuilt;
    std::function<void()> m_labelsChanged;
};

}  // namespace vynui
