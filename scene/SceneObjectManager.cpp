#include "scene/SceneObjectManager.h"

#include <cstddef>
#include <unordered_set>

#include "scene/SceneObject.h"
#include "scene/ToolTargetReceiver.h"

namespace vynui {

bool SceneObjectManager::HitTest(const Wml::Ray3<float>& ray)
{
    float t = 0.0f;
    return FindHit(ray, t) != nullptr;
}

bool SceneObjectManager::Select(SceneObject* object)
{
    if (!object || !m_objects.Contains(object)) return false;
    m_selection.Insert(object);
    object->SetUnselected(false);
    return true;
}

bool SceneObjectManager::SelectAt(const Wml::Ray3<float>& ray, bool add)
{
    float t = 0.0f;
    SceneObject* hit = FindHit(ray, t);
    if (!add) ClearSelection();
    // Select flags the hit itself; flagging an unregistered hit here would
    // leave a "selected" object that no selection operation ever clears.
    return hit ? Select(hit) : false;
}

bool SceneObjectManager::Deselect(SceneObject* object)
{
    if (!object || !m_objects.Contains(object)) return false;
    m_selection.Erase(object);
    object->SetUnselected(true);
    return true;
}

bool SceneObjectManager::DeselectAt(const Wml::Ray3<float>& ray)
{
    float t = 0.0f;
    SceneObject* hit = FindHit(ray, t);
    return hit ? Deselect(hit) : false;
}

void SceneObjectManager::SelectAll()
{
    for (SceneObject* object : std::vector<SceneObject*>(m_objects.Items())) {
        object->SetUnselected(false);
        m_selection.Insert(object);
    }
}

void SceneObjectManager::ClearSelection()
{
    ClearSubSelection();
    const std::vector<SceneObject*> selected = m_selection.Items();
    m_selection.Clear();
    for (SceneObject* object : selected) object->SetUnselected(true);
}

void SceneObjectManager::ClearSubSelection()
{
    const std::vector<SceneObject*> handles = m_subSelection.Items();
    m_subSelection.Clear();
    for (SceneObject* handle : handles) handle->SetUnselected(true);
}

void SceneObjectManager::RenderAll()
{
    for (SceneObject* object : std::vector<SceneObject*>(m_objects.Items()))
        object->Render(!object->IsUnselected());
}

void SceneObjectManager::AddObject(SceneObject* object, bool selected)
{
    if (!object) return;
    object->SetUnselected(!selected);
    m_objects.Insert(object);
    if (selected)
        m_selection.Insert(object);
    else
        m_selection.Erase(object);
}

void SceneObjectManager::RemoveObject(SceneObject* object)
{
    if (!object) return;
    const bool wasSelected = m_selection.Erase(object);
    const bool wasSubSelected = m_subSelection.Erase(object);
    if (wasSelected || wasSubSelected) object->SetUnselected(true);
    m_objects.Erase(object);
}

void SceneObjectManager::RemoveObjectTree(SceneObject* object)
{
    if (!object) return;
    // Post-order walk with an explicit stack: a very deep tree must not
    // exhaust the call stack.
    struct Frame {
        SceneObject* object;
        std::vector<SceneObject*> children;
        std::size_t next;
    };
    std::unordered_set<SceneObject*> visited{object};
    std::vector<Frame> stack;
    stack.push_back(Frame{object, object->GetChildren(), 0});
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next < top.children.size()) {
            SceneObject* child = top.children[top.next++];
            if (child && visited.insert(child).second) stack.push_back(Frame{child, child->GetChildren(), 0});
            continue;
        }
        SceneObject* done = top.object;
        stack.pop_back();
        RemoveObject(done);
    }
}

void SceneObjectManager::UpdateToolTargets(ToolTargetReceiver* receiver)
{
    if (!receiver) return;
    receiver->SetTargets(GetToolTargets());
    receiver->Refresh();
}

SceneObject* SceneObjectManager::FindHit(const Wml::Ray3<float>& ray, float& t)
{
    SceneObject* best = nullptr;
    float bestT = 0.0f;
    for (SceneObject* object : std::vector<SceneObject*>(m_objects.Items())) {
        float ti = 0.0f;
        SceneObject* hit = object->Pick(ray, ti);
        if (hit && (!best || ti < bestT)) {
            best = hit;
            bestT = ti;
        }
    }
    if (best) t = bestT;
    return best;
}

void SceneObjectManager::SelectSubObject(SceneObject* owner, SceneObject* handle, bool exclusive)
{
    if (exclusive) ClearSelection();
    if (owner && !m_selection.Contains(owner)) Select(owner);
    if (exclusive) ClearSubSelection();
    if (!handle) return;
    m_subSelection.Insert(handle);
    handle->SetUnselected(false);
}

std::vector<SceneObject*> SceneObjectManager::GetToolTargets() const
{
    return m_subSelection.Empty() ? m_selection.Items() : m_subSelection.Items();
}

}  // namespace vynui
