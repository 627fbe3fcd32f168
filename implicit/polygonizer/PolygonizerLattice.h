#pragma once
// The lattice shared by the polygonizers: cubic cells aligned to the field
// bounds' min corner, a cache of node values, one vertex per crossed lattice
// edge, and the per-cell polygon extraction.
//
// Cell polygons come from a case table built at start-up from the cube's
// edge/face connectivity: on every face the crossed edges are joined by
// segments (on a face with four crossings each inside corner is cut off on
// its own, a rule that only depends on that face so both cells sharing it
// agree), and the segments are chained into closed loops. Each loop is
// triangulated as a fan; since neighbouring cells see identical face
// segments, a closed surface inside the lattice gives a closed 2-manifold.

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "implicit/ScalarField.h"
#include "wml/AxisAlignedBox3.h"
#include "wml/Vector3.h"

namespace vynimplicit {

/// A mesh vertex owned by the lattice: on a lattice edge, or a cell-interior
/// vertex (sharp feature or fan centre).
struct LatticeVertex {
    Wml::Vector3<float> position;
    Wml::Vector3<float> normal;
};

/// A triangle over lattice vertex keys, wound counter-clockwise seen from
/// outside (outward normal = negated gradient).
struct LatticeTriangle {
    uint64_t v[3];
};

class PolygonizerLattice {
public:
    /// Cells per axis are capped so that a tiny size cannot ask for an
    /// unbounded lattice; the cell size grows instead.
    static constexpr int MAX_CELLS_PER_AXIS = 2048;
    static constexpr float MIN_CELL_SIZE = 0.001f;

    /// Cubic cells of the given size from box's min corner. False (nothing
    /// changed) for an empty or non-finite box or a non-finite size.
    bool SetCellSize(const Wml::AxisAlignedBox3<float>& box, float size);
    /// n cells along the box's longest side (n clamped to [1, MAX_CELLS_PER_AXIS]).
    bool SetCellCount(const Wml::AxisAlignedBox3<float>& box, unsigned n);
    bool IsValid() const { return m_valid; }
    float GetCellSize() const { return m_size; }
    const Wml::Vector3<float>& GetOrigin() const { return m_origin; }
    /// Cells covering the box along an axis; the lattice also has one ring of
    /// cells around them (indices -1 and count) so the box's faces are inside.
    int GetCellCount(int axis) const { return m_count[axis]; }

    void SetField(ScalarField* field) { m_field = field; }
    ScalarField* GetField() const { return m_field; }
    void SetIsoValue(float iso) { m_iso = iso; }
    float GetIsoValue() const { return m_iso; }
    void SetEdgeBisections(unsigned n) { m_bisections = n > 32 ? 32 : n; }
    unsigned GetEdgeBisections() const { return m_bisections; }
    void SetExtended(bool on) { m_extended = on; }
    bool GetExtended() const { return m_extended; }

    /// Forgets node values and vertices (the lattice itself stays).
    void ClearCaches();
    unsigned long long GetNumFieldEvaluations() const { return m_evaluations; }
    void ResetEvaluationCount() { m_evaluations = 0; }

    bool CellInLattice(int i, int j, int k) const;
    uint64_t CellKey(int i, int j, int k) const;
    void CellFromKey(uint64_t key, int& i, int& j, int& k) const;
    /// Lattice cell containing p (may lie outside the lattice).
    void CellOf(const Wml::Vector3<float>& p, int& i, int& j, int& k) const;
    Wml::Vector3<float> NodePosition(int i, int j, int k) const;

    /// Cached field value at a lattice node (outside the lattice: 0).
    float NodeValue(int i, int j, int k);
    /// Bit c set when corner c (x = c&1, y = c>>1&1, z = c>>2&1) is inside.
    int CellConfig(int i, int j, int k);
    static bool ConfigCrossed(int config) { return config != 0 && config != 255; }
    /// Whether the surface crosses face f (axis f/2, side f%2) of a cell with this config.
    static bool FaceCrossed(int config, int face);

    /// Appends the cell's triangles, creating (or reusing) its vertices.
    void PolygonizeCell(int i, int j, int k, std::vector<LatticeTriangle>& out);
    /// Every crossed cell reachable from the seeds and from a coarse scan of
    /// the lattice (which finds pieces no seed reaches, as long as they cross
    /// a line of the scan's sub-lattice between nodes of different sides).
    void FindSurfaceCells(const std::vector<Wml::Vector3<float>>& seeds, std::vector<uint64_t>& cells);
    /// The same limited to cells lo..hi, also continuing from the given
    /// start cells; the coarse scan covers the range widened to its stride.
    void FindSurfaceCellsIn(const int lo[3], const int hi[3], const std::vector<Wml::Vector3<float>>& seeds,
                            const std::vector<uint64_t>& starts, std::vector<uint64_t>& cells);
    /// Spacing (in cells) of the coarse scan's sub-lattice: 4, or wider on
    /// big lattices so the scan never visits more than about 65^3 nodes.
    int GetScanStride() const { return m_stride; }
    /// Continuation stops after this many cells, so a field with surface
    /// everywhere cannot take unbounded memory (the mesh is then partial).
    static constexpr size_t MAX_VISITED_CELLS = size_t(1) << 22;

    const LatticeVertex* FindVertex(uint64_t key) const;
    /// Swaps chords that cut across a crease for the edge joining the feature
    /// vertices on both sides (extended mode). Keeps the mesh manifold.
    void FlipTowardsFeatures(std::vector<LatticeTriangle>& triangles) const;
    /// Forgets node values of every node of cells lo..hi, the vertices of edges
    /// all of whose cells lie in lo..hi, and those cells' interior vertices.
    void ForgetCells(const int lo[3], const int hi[3]);

    static bool IsEdgeKey(uint64_t key) { return (key >> 62) == 0; }

private:
    float Evaluate(const Wml::Vector3<float>& p);
    Wml::Vector3<float> OutwardNormal(const Wml::Vector3<float>& p);
    uint64_t NodeKey(int i, int j, int k) const;
    uint64_t EdgeVertex(int i, int j, int k, int axis);
    uint64_t InteriorVertex(int i, int j, int k, int loop, const std::vector<uint64_t>& ring, bool sharp);
    bool FanAgrees(uint64_t centre, const std::vector<uint64_t>& ring);
    void ContinueFrom(uint64_t cell, std::vector<uint64_t>& stack,
                      std::unordered_map<uint64_t, char>& visited, std::vector<uint64_t>& cells);
    bool SeedCell(const Wml::Vector3<float>& seed, int& i, int& j, int& k);
    bool InRange(int i, int j, int k) const;
    void Scan(const int from[3], const int to[3], std::vector<uint64_t>& stack,
              std::unordered_map<uint64_t, char>& visited, std::vector<uint64_t>& cells);
    // Limits continuation (and seed walks) to a block of cells while set.
    bool m_limited = false;
    int m_lo[3] = {0, 0, 0}, m_hi[3] = {0, 0, 0};

    bool m_valid = false;
    Wml::Vector3<float> m_origin;
    float m_size = 0.1f;
    int m_count[3] = {0, 0, 0};
    int m_stride = 4;
    ScalarField* m_field = nullptr;
    float m_iso = 0.5f;
    unsigned m_bisections = 8;
    bool m_extended = false;
    unsigned long long m_evaluations = 0;
    std::unordered_map<uint64_t, float> m_nodes;
    std::unordered_map<uint64_t, LatticeVertex> m_vertices;
};

}  // namespace vynimplicit
