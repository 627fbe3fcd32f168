#pragma once
// Stipple points for the non-photorealistic pass: a fixed grid of points on
// every triangle, each with a threshold the drawing pass compares with the
// triangle's shading to keep or drop it.

#include <cstdint>
#include <vector>

#include "implicit/mesh/TriangleMesh.h"

namespace vynui {

struct StipplePoint {
    Wml::Vector3<float> position;
    Wml::Vector3<float> normal;  // the triangle's unit normal (zero when degenerate)
    float threshold = 0.0f;      // in [0, 1)
};

class PointSetRenderer {
public:
    /// Rebuilds the points from the mesh: k x k points per triangle.
    void Build(const vynmesh::TriangleMesh& mesh);
    const std::vector<StipplePoint>& GetPoints() const { return m_points; }

    /// Points kept for a light direction (unit, toward the light): a point
    /// stays when its threshold is above the diffuse brightness of its
    /// triangle, so darker regions get more stipples.
    void CullByLight(const Wml::Vector3<float>& toLight, std::vector<const StipplePoint*>& out) const;

    void SetStippleDensity(int k);
    int GetStippleDensity() const { return m_density; }
    void SetDiscDensity(float d) { m_discDensity = d; }
    float GetDiscDensity() const { return m_discDensity; }
    void SetDiscSize(float s) { m_discSize = s; }
    float GetDiscSize() const { return m_discSize; }

    /// The per-triangle seeded generator: thresholds of k*k points seeded by
    /// the bit pattern of seedX.
    static void Thresholds(float seedX, int k, std::vector<float>& out);

private:
    std::vector<StipplePoint> m_points;
    int m_density = 4;
    float m_discDensity = 0.001f;
    float m_discSize = 0.03f;
};

}  // namespace vynui
