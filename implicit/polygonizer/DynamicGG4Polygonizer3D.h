#pragma once
// Polygonizer that keeps its lattice, node values, edge vertices and the
// triangles of every cell between runs, so a local change of the field is
// re-polygonized by redoing only the cells around the changed box.

#include <vector>

#include "implicit/ScalarField.h"
#include "implicit/mesh/TriangleMesh.h"
#include "implicit/polygonizer/FlatKeyMap.h"
#include "implicit/polygonizer/PolygonizerLattice.h"

namespace vynimplicit {

class DynamicGG4Polygonizer3D {
public:
    void SetIsoValue(float iso);
    /// Cell size; the lattice is aligned to the field bounds at a full run.
    void SetCellSize(float size);
    /// Cell-count mode: n cells along the longest side of the field bounds.
    void SetGridCells(unsigned n);
    void SetEdgeBisections(unsigned n);
    /// Threads a run may use (0: every core); the mesh is the same for any count.
    void SetThreadCount(unsigned n) { m_lattice.SetThreadCount(n); }
    /// Cells one search may visit (0: the lattice's own limit).
    void SetCellLimit(size_t n) { m_lattice.SetCellLimit(n); }
    /// The field is not owned.
    void SetScalarField(ScalarField* field) { m_lattice.SetField(field); }
    /// The mesh is not owned; it is rebuilt from the kept cells after every run.
    void SetOutputMesh(vynmesh::TriangleMesh* mesh) { m_mesh = mesh; }

    /// full: a new lattice on the current field bounds, every cache dropped.
    /// Otherwise the kept cells are written to the mesh again (a full run
    /// when nothing is kept yet). False without a field, mesh or usable bounds.
    bool Polygonize(bool full = true);
    /// Redoes the cells touching dirtyBox (one cell of margin) and keeps the
    /// others. When fieldBox no longer fits the lattice a full run is done.
    bool UpdatePolygonize(const Wml::AxisAlignedBox3<float>& dirtyBox,
                          const Wml::AxisAlignedBox3<float>& fieldBox);

    /// Evaluations of the last run.
    unsigned long long GetNumFieldEvaluations() const { return m_lattice.GetNumFieldEvaluations(); }
    size_t GetNumKeptCells() const { return m_cells.size(); }
    const PolygonizerLattice& GetLattice() const { return m_lattice; }

private:
    bool SetUpLattice(const Wml::AxisAlignedBox3<float>& box);
    void WriteMesh();
    // Polygonizes the found cells, keeping each one's triangles.
    void KeepCells(std::vector<uint64_t>& cells);
    void DropCell(uint64_t key);

    PolygonizerLattice m_lattice;
    vynmesh::TriangleMesh* m_mesh = nullptr;
    bool m_countMode = false;
    unsigned m_gridCells = 32;
    float m_size = 0.1f;
    bool m_built = false;
    // Triangles of every kept cell, as a range of m_triangles; triangles of
    // dropped cells stay behind, marked, until they outweigh the rest.
    static constexpr uint32_t DROPPED = ~uint32_t(0);
    struct CellTriangles {
        uint32_t first = 0, count = 0;
    };
    FlatKeyMap<CellTriangles> m_cells;
    std::vector<LatticeTriangle> m_triangles;
    size_t m_garbage = 0;
    std::vector<unsigned> m_ids;
};

}  // namespace vynimplicit
