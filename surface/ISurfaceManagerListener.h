#pragma once
// Told when the displayed surfaces change (renderer, texture and decal managers).

namespace vynui {

class SurfaceTreeNode;

class ISurfaceManagerListener {
public:
    virtual ~ISurfaceManagerListener() = default;
    /// Every surface may have changed (the selection changed, surfaces were rebuilt).
    virtual void OnSurfacesReset() {}
    /// chainSlot: the chain-top slot that now holds node, or null when node
    /// itself changed (became invalid, was rebuilt, its mesh changed in place).
    virtual void OnSurfaceChanged(SurfaceTreeNode** /*chainSlot*/, SurfaceTreeNode* /*node*/) {}
};

}  // namespace vynui
