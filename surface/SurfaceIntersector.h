#pragma once
// Intersects pick rays with the displayed surface for the 3D tools: the
// target node when one is set, else the top of the first surface chain.

#include "interact/ISurfaceRayIntersector.h"

namespace vynui {

class CSurfaceManager;
class SurfaceTreeNode;

class SurfaceIntersector : public ISurfaceRayIntersector {
public:
    bool Intersect(const Wml::Ray3<float>& ray, Wml::Vector3<float>& point,
                   Wml::Vector3<float>& normal) override;

    /// Not owned; null means the top of chain 0.
    void SetTargetNode(SurfaceTreeNode* node) { m_target = node; }
    SurfaceTreeNode* GetTargetNode() const { return m_target; }
    /// Whose chain 0 is used without a target; null means the process-wide
    /// surface manager.
    void SetSurfaceManager(CSurfaceManager* surfaces) { m_surfaces = surfaces; }

private:
    SurfaceTreeNode* m_target = nullptr;
    CSurfaceManager* m_surfaces = nullptr;
};

/// The process-wide instance, made on first use.
SurfaceIntersector* GetSurfaceIntersector();

}  // namespace vynui
