#include "surface/SurfaceIntersector.h"

#include "surface/SurfaceManager.h"
#include "surface/SurfaceTreeNode.h"

namespace vynui {

bool SurfaceIntersector::Intersect(const Wml::Ray3<float>& ray, Wml::Vector3<float>& point,
                                   Wml::Vector3<float>& normal)
{
    CSurfaceManager* surfaces = m_surfaces ? m_surfaces : GetSurfaceManager();
    SurfaceTreeNode* node = m_target ? m_target : surfaces->GetChainTop(0);
    if (!node) return false;
    unsigned int triangle = 0;
    return node->IntersectRay(ray.Origin(), ray.Direction(), point, normal, triangle);
}

SurfaceIntersector* GetSurfaceIntersector()
{
    static SurfaceIntersector* intersector = new SurfaceIntersector();
    return intersector;
}

}  // namespace vynui
