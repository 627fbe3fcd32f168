#pragma once
// Stipple points for the non-photorealistic pass: a fixed grid of points on
// every triangle, each with a threshold the drawing pass compares with the
// triangle's shading to keep or drop it; and the disc set, small discs on the
// surface drawn into the depth buffer so stipples behind it stay hidden.

#include <cstddef>
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
    /// Rebuilds the points from the mesh (k x k points per triangle) and the disc set.
    void Build(const vynmesh::TriangleMesh& mesh);
    const std::vector<StipplePoint>& GetPoints() const { return m_points; }

    /// Points kept for a light direction (unit, toward the light): a point
    /// stays when its threshold is above the diffuse brightness of its
    /// triangle, so darker regions get more stipples.
    void CullByLight(const Wml::Vector3<float>& toLight, std::vector<const StipplePoint*>& out) const;

    void SetStippleDensity(int k);
    int GetStippleDensity() const { return m_density; }
    /// Discs per unit of surface area per unit of density; with the
    /// initial density 0.001 a unit of area gets 1000 discs.
    static constexpr double kDiscsPerDensity = 1e6;
    /// No more discs than this are made, however large the surface.
    static constexpr size_t kMaxDiscs = 200000;
    static constexpr int kDiscSides = 8;

    /// Takes effect at the next Build. Non-finite or non-positive values are ignored.
    void SetDiscDensity(float d);
    float GetDiscDensity() const { return m_discDensity; }
    /// Disc radius; the discs already built are remade at once. Non-finite
    /// or non-positive values are ignored.
    void SetDiscSize(float s);
    float GetDiscSize() const { return m_discSize; }

    /// The disc set: centres sampled on the surface (a count proportional to
    /// its area times the disc density, the same for the same mesh) with the
    /// unit normal of their triangle.
    size_t GetDiscCount() const { return m_discCentres.size(); }
    const std::vector<Wml::Vector3<float>>& GetDiscCentres() const { return m_discCentres; }
    const std::vector<Wml::Vector3<float>>& GetDiscNormals() const { return m_discNormals; }
    /// Each disc as a fan of kDiscSides triangles around its centre, in the
    /// plane normal to its normal, for vertex arrays: x, y, z per vertex
    /// (centre, then the rim) and three indices per triangle.
    const std::vector<float>& GetDiscVertices() const { return m_discVertices; }
    const std::vector<unsigned>& GetDiscIndices() const { return m_discIndices; }

    /// The per-triangle seeded generator: thresholds of k*k points seeded by
    /// the bit pattern of seedX.
    static void Thresholds(float seedX, int k, std::vector<float>& out);

private:
    void BuildDiscs(const vynmesh::TriangleMesh& mesh);
    void BuildDiscFans();

    std::vector<StipplePoint> m_points;
    std::vector<Wml::Vector3<float>> m_discCentres, m_discNormals;
    std::vector<float> m_discVertices;
    std::vector<unsigned> m_discIndices;
    int m_density = 4;
    float m_discDensity = 0.001f;
    float m_discSize = 0.03f;
};

}  // namespace vynui
