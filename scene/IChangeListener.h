#pragma once
// What a scene's controller tells the parts that show or follow the scene.
// Every notification does nothing unless a listener overrides it.

#include "scene/OrderedObjectSet.h"
#include "wml/Frame3.h"

namespace vynui {

class IChangeListener {
public:
    virtual ~IChangeListener() = default;
    /// The set of objects or the tree changed; views redraw.
    virtual void OnSceneChanged() {}
    /// Not sent by the scene's controller.
    virtual void OnViewChanged() {}
    virtual void OnSelectionChanged(const OrderedObjectSet& /*selection*/) {}
    /// The selection changed through a tap.
    virtual void OnSelectionPicked(const OrderedObjectSet& /*selection*/) {}
    /// An object changed in place (moved, parameter edited, cutting plane moved).
    virtual void OnObjectsModified(const OrderedObjectSet& /*selection*/) {}
    /// The tree's structure changed.
    virtual void OnTreeChanged() {}
    virtual void OnRedrawRequested() {}
    virtual void OnCuttingPlaneSet(const Wml::Frame3<float>& /*frame*/) {}
    virtual void OnCuttingPlaneCleared() {}
};

}  // namespace vynui
