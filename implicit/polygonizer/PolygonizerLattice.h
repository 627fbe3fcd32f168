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
#include "implicit/polygonizer/FlatKeyMap.h"
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
    /// The same for a cell whose corner pattern is already known (CellConfig).
    void PolygonizeCell(int i, int j, int k, int config, std::vector<LatticeTriangle>& out);
    /// Corner patterns of the cells last found by FindSurfaceCells(In), in order.
    const std::vector<uint8_t>& GetFoundConfigs() const { return m_foundConfigs; }
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
    uint64_t InteriorVertex(int i, int j, int k, int loop, const uint64_t* ring, size_t n, bool sharp);
    bool FanAgrees(uint64_t centre, const uint64_t* ring, size_t n);
    const LatticeVertex& VertexAt(uint64_t key) const { return *FindVertex(key); }
    // Index slot of an edge vertex in a 2x2x2-node brick (3 edges per node);
    // null when the brick does not exist and create is false.
    uint32_t* EdgeSlot(uint64_t key, bool create);
    const uint32_t* EdgeSlot(uint64_t key) const;
    void ContinueFrom(uint64_t cell, std::vector<uint64_t>& stack, CellKeySet& visited,
                      std::vector<uint64_t>& cells);
    bool SeedCell(const Wml::Vector3<float>& seed, int& i, int& j, int& k);
    bool InRange(int i, int j, int k) const;
    void Scan(const int from[3], const int to[3], std::vector<uint64_t>& stack, CellKeySet& visited,
              std::vector<uint64_t>& cells);
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
    // Node values in 4x4x4 bricks (NaN = not yet evaluated) found through a
    // small brick map: the cells of a surface share nodes with their
    // neighbours, so lookups stay within a few cache lines.
    float& NodeSlot(int i, int j, int k);
    FlatKeyMap<uint32_t> m_nodeBricks;
    std::vector<float> m_nodePool;
    uint64_t m_lastBrick = FlatKeyMap<uint32_t>::EMPTY;
    size_t m_lastBrickAt = 0;
    // Nodes of the coarse scan's sub-lattice, stored densely (NaN = not yet
    // evaluated): the scan touches every one of them, mostly far from the surface.
    std::vector<float> m_scanNodes;
    int m_scanDims[3] = {0, 0, 0};
    int m_strideShift = -1;                // log2 of the stride when it is a power of two
    FlatKeyMap<LatticeVertex> m_vertices;  // cell-interior vertices
    // Edge vertices: brick map -> 24 index slots each, into m_edgeVertices.
    static constexpr uint32_t NO_VERTEX = ~uint32_t(0);
    FlatKeyMap<uint32_t> m_edgeBricks;
    std::vector<uint32_t> m_edgeSlots;
    std::vector<LatticeVertex> m_edgeVertices;
    std::vector<uint32_t> m_freeEdgeVertices;  // reused after ForgetCells
    uint64_t m_lastEdgeBrick = FlatKeyMap<uint32_t>::EMPTY;
    size_t m_lastEdgeBrickAt = 0;
    std::vector<uint8_t> m_foundConfigs;
};

}  // namespace vynimplicit
