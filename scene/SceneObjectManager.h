#pragma once
// The registry of live scene objects and the selection.
//
// Objects are not owned: whoever created an object removes it
// (RemoveObject/RemoveObjectTree) and then deletes it. The selection is kept
// twice and in step: membership in the selection and each object's
// unselected flag; only this class changes either.

#include <vector>

#include "scene/OrderedObjectSet.h"
#include "wml/Ray3.h"

namespace vynui {

class SceneObject;
class ToolTargetReceiver;

class SceneObjectManager {
public:
    virtual ~SceneObjectManager() = default;

    /// Whether FindHit finds anything.
    virtual bool HitTest(const Wml::Ray3<float>& ray);
    /// For a registered object: joins the selection and is flagged selected;
    /// true. Otherwise false and nothing changes.
    virtual bool Select(SceneObject* object);
    /// Picks with FindHit; unless add, the selection is cleared first (also
    /// when nothing is hit). Answers Select(hit); a hit that is not
    /// registered (a handle, say) is not selected and answers false.
    virtual bool SelectAt(const Wml::Ray3<float>& ray, bool add);
    /// For a registered object: leaves the selection and is flagged
    /// unselected; true. Otherwise false.
    virtual bool Deselect(SceneObject* object);
    /// Deselect(FindHit(ray)), false when nothing is hit.
    virtual bool DeselectAt(const Wml::Ray3<float>& ray);
    /// Every registered object, in registration order.
    virtual void SelectAll();
    /// Clears the sub-selection, then flags every selected object unselected
    /// and empties the selection.
    virtual void ClearSelection();
    /// Render(selected) on every registered object, in registration order.
    virtual void RenderAll();
    /// Registers object (again: no second entry) and selects it or not. A
    /// registered object added unselected also leaves the selection, so that
    /// its flag and the selection agree. Null is ignored.
    virtual void AddObject(SceneObject* object, bool selected);
    /// Unregisters object, deselecting it first. The object itself is also
    /// dropped from the sub-selection (nothing else there changes), so the
    /// manager keeps no pointer to it.
    virtual void RemoveObject(SceneObject* object);
    /// RemoveObjectTree on every child (depth first, in child order), then
    /// RemoveObject. The child lists are not changed. An object met twice
    /// (a malformed tree with a cycle) is removed once.
    virtual void RemoveObjectTree(SceneObject* object);
    /// Hands GetToolTargets() to the receiver, then lets it refresh. Null is
    /// ignored.
    virtual void UpdateToolTargets(ToolTargetReceiver* receiver);
    virtual const OrderedObjectSet& GetObjects() const { return m_objects; }
    virtual const OrderedObjectSet& GetSelection() const { return m_selection; }

    /// Every registered object's Pick, in registration order; the hit with
    /// the smallest t (the first one on ties), with that t. Null when nothing
    /// is hit (t unchanged).
    SceneObject* FindHit(const Wml::Ray3<float>& ray, float& t);
    /// When exclusive, clears the selection; selects owner when it is not
    /// selected; when exclusive, clears the sub-selection; then handle joins
    /// the sub-selection and is flagged selected.
    void SelectSubObject(SceneObject* owner, SceneObject* handle, bool exclusive);
    /// Flags every sub-selected handle unselected and empties the
    /// sub-selection.
    void ClearSubSelection();
    const OrderedObjectSet& GetSubSelection() const { return m_subSelection; }

    /// What the 3D tools act on: the sub-selection when it is not empty,
    /// else the selection, in insertion order.
    std::vector<SceneObject*> GetToolTargets() const;
    bool IsRegistered(SceneObject* object) const { return m_objects.Contains(object); }
    bool IsSelected(SceneObject* object) const { return m_selection.Contains(object); }

private:
    OrderedObjectSet m_objects;
    OrderedObjectSet m_selection;
    OrderedObjectSet m_subSelection;
};

}  // namespace vynui
