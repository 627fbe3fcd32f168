#pragma once
// Refinement of a polygonized mesh against the field it came from: vertex
// regularisation (R), projection onto the iso-surface (Z) and normal flow (N),
// alone or combined.

#include <vector>

#include "implicit/ScalarField.h"
#include "implicit/mesh/VFTriangleMesh.h"

namespace vynimplicit {

/// Moves the vertices of a mesh (never its connectivity) towards the 0.5
/// iso-surface of a field and towards a better shape.
///
/// - R: every interior vertex moves in the tangent plane (normal taken from
///   the field, or from the faces where the field gives none) towards the
///   area-weighted centroid of the triangles around it. Boundary vertices
///   stay put so an open rim does not shrink.
/// - Z: a damped Newton step along the gradient, p += w (0.5 - f) g / |g|^2.
/// - N: every face is turned towards the field normal at its centroid
///   (projected onto the surface): each vertex moves onto the tangent planes
///   at the centroids of its faces, area-weighted. This pulls vertices onto
///   creases that Z alone rounds off.
///
/// The weight w in (0, 1] given to the constructor damps every step: each
/// vertex moves by w times the displacement its flow asks for. Steps are also
/// capped at the mean edge length (1 % of the field's bounds for a mesh whose
/// edges all have zero length), so a vertex far from the surface or a
/// near-zero gradient cannot throw it across the model.
///
/// The mesh is referenced, not owned, and must outlive the optimizer. Vertex
/// normals are not touched; call ReComputeNormals afterwards. A null field
/// makes the flows that need it do nothing (R then uses the face normals and
/// skips the projection). Degenerate input (no triangles, isolated vertices,
/// zero-area faces, non-finite positions) leaves the affected vertices where
/// they are.
class OhtakeMeshOptimizer {
public:
    static constexpr float ISO_VALUE = 0.5f;

    /// weight is clamped into [0.01, 1]; a non-finite weight gives 0.5.
    explicit OhtakeMeshOptimizer(vynmesh::VFTriangleMesh& mesh, float weight = 0.5f);

    float GetWeight() const { return m_weight; }
    /// Same clamping as the constructor; false (unchanged) for a non-finite weight.
    bool SetWeight(float weight);

    /// Each step runs R, then Z, then N.
    void Optimize_RZNFlow(unsigned int steps, ScalarField* field);
    /// Each step runs Z, then N.
    void Optimize_ZNFlow(unsigned int steps, ScalarField* field);
    /// Each step runs R, then N.
    void Optimize_RNFlow(unsigned int steps, ScalarField* field);
    /// R alone. With projectEachStep, every vertex is also projected back
    /// onto the surface (a few full Newton steps) after each step; without it
    /// the vertices only slide in their tangent planes and drift off a curved
    /// surface by second-order amounts, which a following Z flow removes.
    void Optimize_RFlow(unsigned int steps, ScalarField* field, bool projectEachStep);
    void Optimize_ZFlow(unsigned int steps, ScalarField* field);
    void Optimize_NFlow(unsigned int steps, ScalarField* field);

private:
    enum Flow { FLOW_R = 1, FLOW_Z = 2, FLOW_N = 4, FLOW_PROJECT = 8 };
    void Run(unsigned int steps, ScalarField* field, int flows);
    void Prepare(ScalarField* field);
    void StepR(ScalarField* field, bool project);
    void StepZ(ScalarField& field);
    void StepN(ScalarField& field);

    vynmesh::VFTriangleMesh& m_mesh;
    float m_weight = 0.5f;

    // Working state of one Run: positions, triangles with valid indices and
    // the vertex-to-triangle table in compressed form.
    std::vector<Wml::Vector3<float>> m_positions;
    std::vector<Wml::Vector3<float>> m_next;
    std::vector<unsigned int> m_triangles;
    std::vector<unsigned int> m_offsets;
    std::vector<unsigned int> m_vertexTriangles;
    std::vector<char> m_fixed;
    float m_maxStep = 0.0f;
};

}  // namespace vynimplicit
