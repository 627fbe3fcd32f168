#pragma once
// Polygonizer that visits only the cells near the surface, by continuation
// from the field's seed points plus a coarse scan for pieces no seed reaches.
// In extended mode, cells crossed by a crease get one extra vertex at the
// least-squares meeting point of the tangent planes, keeping CSG edges and
// corners sharp.

#include <functional>

#include "implicit/ScalarField.h"
#include "implicit/mesh/TriangleMesh.h"
#include "implicit/polygonizer/PolygonizerLattice.h"

namespace vynimplicit {

class GG4CSGPolygonizer3D {
public:
    void SetIsoValue(float iso) { m_lattice.SetIsoValue(iso); }
    /// Cubic cells of the given size, aligned to box's min corner. With no
    /// box set, the field's bounds are used at Polygonize time.
    void SetCellSize(const Wml::AxisAlignedBox3<float>& box, float size);
    /// Cell-count mode: n cells along the longest side of the field bounds.
    void SetGridCells(unsigned n);
    void SetEdgeBisections(unsigned n) { m_lattice.SetEdgeBisections(n); }
    void SetExtended(bool on) { m_lattice.SetExtended(on); }
    /// Threads a run may use (0: every core); the mesh is the same for any count.
    void SetThreadCount(unsigned n) { m_lattice.SetThreadCount(n); }
    /// Cells one search may visit (0: the lattice's own limit).
    void SetCellLimit(size_t n) { m_lattice.SetCellLimit(n); }
    /// The field is not owned.
    void SetScalarField(ScalarField* field) { m_lattice.SetField(field); }
    /// The mesh is not owned; it may be a VFTriangleMesh.
    void SetOutputMesh(vynmesh::TriangleMesh* mesh) { m_mesh = mesh; }

    /// Told the share of a run done, from 0 to 1, a few dozen times per run;
    /// empty (the default) for none. It must not touch the field or mesh.
    void SetProgress(std::function<void(float)> progress) { m_progress = std::move(progress); }

    /// Clears the output mesh and fills it. False (mesh left empty) without a
    /// field, a mesh, or usable bounds.
    bool Polygonize();

    unsigned long long GetNumFieldEvaluations() const { return m_lattice.GetNumFieldEvaluations(); }
    const PolygonizerLattice& GetLattice() const { return m_lattice; }

private:
    bool SetUpLattice();

    PolygonizerLattice m_lattice;
    vynmesh::TriangleMesh* m_mesh = nullptr;
    bool m_countMode = false;
    unsigned m_cells = 32;
    bool m_haveBox = false;
    Wml::AxisAlignedBox3<float> m_box;
    float m_size = 0.1f;
    std::function<void(float)> m_progress;
    // Working storage kept between runs so repeated runs do not fault in
    // fresh memory each time.
    std::vector<uint64_t> m_foundCells;
    std::vector<LatticeTriangle> m_triangles;
    std::vector<unsigned> m_ids;
};

}  // namespace vynimplicit
