#include "view/BlobTreeEditorModel.h"

#include <algorithm>

#include "blobtree_ui/BlobTreeNodeSceneObject.h"
#include "blobtree_ui/CompositionNodeSceneObject.h"
#include "blobtree_ui/RootNodeSceneObject.h"
#include "scene/CommandTarget.h"
#include "scene/SceneManager.h"
#include "scene/SceneObjectManager.h"
#include "wml/DebugOutput.h"

namespace vynui {

using vynui_bt::BlobTreeNodeSceneObject;
using vynui_bt::CompositionNodeSceneObject;

const char* const CBlobTreeEditorModel::kDragEnded = "Drag Ended!\n";

namespace {

/// The submenu whose commands put a new operator under the item.
const std::size_t kOperatorSubmenu = 2;

}  // namespace

const std::vector<CBlobTreeEditorModel::Submenu>& CBlobTreeEditorModel::ContextMenu()
{
    static const std::vector<Submenu> menu = {
        {"Selection", {"Clear Selection", "Remove", "Flip X", "Flip Y", "Flip Z"}},
        {"Insert", {"Insert Hollow Op", "Insert Mirror Op", "Make Part"}},
        {"Operators",
         {"Sum Blend", "Ricci Blend", "Min Max CSG Union", "Min Max CSG Intersection",
          "Min Max CSG Difference", "Barthe Sharp Union", "Barthe Sharp Intersection",
          "Barthe Sharp Difference", "Barthe Smooth Difference", "Twist", "Taper", "Bend"}},
    };
    return menu;
}

void CBlobTreeEditorModel::SetSceneManager(CSceneManager* scene)
{
    m_scene = scene;
    Rebuild();
}

void CBlobTreeEditorModel::Rebuild()
{
    m_root = Item();
    m_members.clear();
    m_hasRoot = false;
    BlobTreeNodeSceneObject* root = m_scene ? m_scene->GetRootSceneObject() : nullptr;
    if (root) {
        Fill(m_root, root);
        m_hasRoot = true;
    }
    if (m_rebuilt) m_rebuilt();
}

void CBlobTreeEditorModel::Fill(Item& item, BlobTreeNodeSceneObject* object)
{
    item.label = object->GetName();
    item.object = object;
    m_members.insert(object);
    for (SceneObject* child : object->GetChildren()) {
        // Only node objects are items; a node's children are never its own ancestors.
        auto* node = dynamic_cast<BlobTreeNodeSceneObject*>(child);
        if (!node || m_members.count(node)) continue;
        item.children.emplace_back();
        Fill(item.children.back(), node);
    }
    item.expanded = !item.children.empty();
}

bool CBlobTreeEditorModel::Contains(const SceneObject* object) const
{
    return object && m_members.count(object) != 0;
}

bool CBlobTreeEditorModel::Alive(const SceneObject* object) const
{
    // An object that left the registry may already be deleted.
    return m_scene && m_scene->GetObjectManager() &&
           m_scene->GetObjectManager()->GetObjects().Contains(const_cast<SceneObject*>(object));
}

BlobTreeNodeSceneObject* CBlobTreeEditorModel::Find(SceneObject* object) const
{
    return Contains(object) && Alive(object) ? static_cast<BlobTreeNodeSceneObject*>(object) : nullptr;
}

bool CBlobTreeEditorModel::Select(SceneObject* item)
{
    BlobTreeNodeSceneObject* object = Find(item);
    if (!object || !m_scene) return false;
    m_scene->SetSelection({object});
    return true;
}

bool CBlobTreeEditorModel::Drop(SceneObject* dragged, SceneObject* target)
{
    DebugOutput("%s", kDragEnded);
    BlobTreeNodeSceneObject* object = Find(dragged);
    BlobTreeNodeSceneObject* parent = Find(target);
    if (!object || !parent || !m_scene) return false;
    // The scene refuses targets that are no operators, the object itself and
    // its own sub-tree.
    m_scene->MoveNode(object, parent);
    return object->GetParent() == parent;
}

bool CBlobTreeEditorModel::OpenContextMenu(SceneObject* item)
{
    return Select(item);
}

bool CBlobTreeEditorModel::ContextMenuEnabled(SceneObject* item, const std::string& command) const
{
    BlobTreeNodeSceneObject* object = Find(item);
    if (!object || !m_scene) return false;
    const std::vector<Submenu>& menu = ContextMenu();
    std::size_t found = menu.size();
    for (std::size_t i = 0; i < menu.size() && found == menu.size(); ++i)
        if (std::find(menu[i].commands.begin(), menu[i].commands.end(), command) != menu[i].commands.end())
            found = i;
    if (found == menu.size()) return false;
    if (found == kOperatorSubmenu && !dynamic_cast<CompositionNodeSceneObject*>(object)) return false;
    CommandState state;
    return m_scene->OnUpdateCommand(command, state) && state.enabled;
}

bool CBlobTreeEditorModel::RunContextCommand(SceneObject* item, const std::string& command)
{
    if (!ContextMenuEnabled(item, command)) return false;
    return m_scene->OnCommand(command);
}

void CBlobTreeEditorModel::OnTreeChanged()
{
    Rebuild();
}

bool CBlobTreeEditorModel::Relabel(Item& item)
{
    bool changed = false;
    if (!Alive(item.object)) return false;
    if (item.label != item.object->GetName()) {
        item.label = item.object->GetName();
        changed = true;
    }
    for (Item& child : item.children) changed = Relabel(child) || changed;
    return changed;
}

void CBlobTreeEditorModel::OnObjectsModified(const OrderedObjectSet& /*selection*/)
{
    // A rename through the parameters changes no structure, only a label.
    if (m_hasRoot && Relabel(m_root) && m_labelsChanged) m_labelsChanged();
}

}  // namespace vynui
