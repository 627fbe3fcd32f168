#pragma once
// One round of refinement by subdivision: every triangle split into four,
// the new vertices moved onto the iso-surface.

#include <functional>
#include <utility>
#include <vector>

#include "implicit/ScalarField.h"
#include "implicit/mesh/VFTriangleMesh.h"

namespace vynimplicit {

/// Splits every triangle of a mesh into four at its edge midpoints (one new
/// vertex per edge, shared by the triangles on both sides, so a closed mesh
/// stays closed) and projects the new vertices onto the 0.5 iso-surface.
///
/// The weight in (0, 1] given to the constructor damps the Newton steps of
/// that projection: each step moves w times the full Newton step and is kept
/// only when it brings the value closer to 0.5, which trades a few more
/// iterations for robustness where the field is far from linear.
///
/// The mesh is referenced, not owned. Colours and texture coordinates, when
/// present, are interpolated at the midpoints; new normals are the field's.
class IterativeMeshOptimizer {
public:
    static constexpr float ISO_VALUE = 0.5f;
    /// Told the fraction done in [0, 1]; answering false cancels.
    typedef std::function<bool(float progress)> ProgressCallback;
    /// Never cancels.
    static bool DefaultIterationCallback(float progress);

    /// weight is clamped into [0.01, 1]; a non-finite weight gives 0.5.
    explicit IterativeMeshOptimizer(vynmesh::VFTriangleMesh& mesh, float weight = 0.5f);

    float GetWeight() const { return m_weight; }

    /// Collects the edges of the current mesh. DoOptimize calls it itself
    /// when the mesh changed since (or it was never called).
    void InitializeOptimize();

    /// Subdivides once. The callback is asked while the new vertices are
    /// projected; when it cancels, the mesh is left exactly as it was and the
    /// answer is false. A null field splits without projecting. True when the
    /// mesh was subdivided (also for a mesh without triangles, which stays
    /// as it is).
    bool DoOptimize(ScalarField* field, const ProgressCallback& callback = &DefaultIterationCallback);

private:
    vynmesh::VFTriangleMesh& m_mesh;
    float m_weight = 0.5f;
    // Unique edges (smaller id first) and, per triangle corner i, the edge
    // from corner i to corner i+1.
    std::vector<std::pair<unsigned int, unsigned int>> m_edges;
    std::vector<unsigned int> m_triangleEdges;
    // The triangles the edge table was built from, to notice later edits.
    std::vector<unsigned int> m_initializedIndices;
    unsigned int m_initializedVertices = 0;
    bool m_initialized = false;
};

}  // namespace vynimplicit
