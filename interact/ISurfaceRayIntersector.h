#pragma once
// Where a ray meets the scene's polygonized surface. The surface manager
// provides one; the tool manager hands it to every tool.

#include "wml/Ray3.h"
#include "wml/Vector3.h"

namespace vynui {

class ISurfaceRayIntersector {
public:
    virtual ~ISurfaceRayIntersector() = default;
    /// True when the ray meets the surface; point is the nearest meeting
    /// point along the ray and normal the unit surface normal there.
    virtual bool Intersect(const Wml::Ray3<float>& ray, Wml::Vector3<float>& point,
                           Wml::Vector3<float>& normal) = 0;
};

}  // namespace vynui
