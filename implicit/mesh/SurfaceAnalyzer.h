#pragma once
// Curvature of a triangle mesh and the view-dependent lines drawn from it:
// radial curvature toward an eye point and suggestive contours, its zero
// crossings on front-facing regions where it grows toward the viewer.

#include <vector>

#include "implicit/mesh/TriangleMesh.h"

namespace vynmesh {

class SurfaceAnalyzer {
public:
    /// The mesh is not owned and must outlive its use here.
    void SetMesh(const TriangleMesh* mesh);
    /// The mesh changed: curvature is estimated again on the next query.
    void MeshChanged() { m_stale = true; }
    bool IsStale() const { return m_stale; }

    /// Per-vertex estimates, computed on first use after a change. k1 >= k2;
    /// positive where the surface bends away from its outward normal (a
    /// sphere of radius r gives 1/r). Directions are unit tangents.
    const std::vector<float>& GetK1();
    const std::vector<float>& GetK2();
    const std::vector<Wml::Vector3<float>>& GetDir1();
    const std::vector<Wml::Vector3<float>>& GetDir2();
    /// Unit outward vertex normals.
    const std::vector<Wml::Vector3<float>>& GetNormals();

    /// Normal curvature of each vertex in the direction of the eye projected
    /// onto its tangent plane (0 where the eye lies along the normal).
    void RadialCurvature(const Wml::Vector3<float>& eye, std::vector<float>& out);

    /// Suggestive contour segments (start, end pairs) seen from eye: zero
    /// crossings of the radial curvature inside triangles whose vertices all
    /// face the eye, kept where the derivative of the radial curvature toward
    /// the viewer, made scale-free by the square of the mesh's bounding-box
    /// diagonal, is at least low and, when high > low, at most high.
    void SuggestiveContours(const Wml::Vector3<float>& eye, float low, float high,
                            std::vector<Wml::Vector3<float>>& segments);

private:
    void Update();

    const TriangleMesh* m_mesh = nullptr;
    bool m_stale = true;
    std::vector<Wml::Vector3<float>> m_normals, m_dir1, m_dir2;
    std::vector<float> m_k1, m_k2;
    float m_scale2 = 1.0f;
};

}  // namespace vynmesh
