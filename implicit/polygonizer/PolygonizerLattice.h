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

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "implicit/ScalarField.h"
#include "implicit/mesh/TriangleMesh.h"
#include "implicit/polygonizer/WorkerPool.h"
#include "wml/AxisAlignedBox3.h"
#include "wml/Vector3.h"

namespace vynimplicit {

/// A mesh vertex owned by the lattice: on a lattice edge, or a cell-interior
/// vertex (sharp feature or fan centre).
struct LatticeVertex {
    Wml::Vector3<float> position;
    Wml::Vector3<float> normal;
};

/// A triangle over lattice vertex indices (PolygonizerLattice::GetVertex),
/// wound counter-clockwise seen from outside (outward normal = negated gradient).
struct LatticeTriangle {
    uint32_t v[3];
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
    /// Edge vertices are placed at least as accurately as n bisections would
    /// (within cell / 2^n along the edge), usually in far fewer evaluations;
    /// 0 interpolates the corner values.
    void SetEdgeBisections(unsigned n) { m_bisections = n > 32 ? 32 : n; }
    unsigned GetEdgeBisections() const { return m_bisections; }
    void SetExtended(bool on) { m_extended = on; }
    bool GetExtended() const { return m_extended; }
    /// Threads a run may use (0: every core). Field evaluations are spread
    /// over them, so the field must answer from several threads at once;
    /// the mesh does not depend on the count.
    void SetThreadCount(unsigned n) { m_threads = n; }
    unsigned GetThreadCount() const { return m_threads; }
    /// PolygonizeCells works through this many cells at a time; calls with
    /// whole blocks give the triangles and vertices one call would.
    static constexpr size_t CELL_BLOCK = 1024;

    /// Forgets node values and vertices (the lattice itself stays).
    void ClearCaches();
    unsigned long long GetNumFieldEvaluations() const
    {
        return m_evaluations + m_sharedEvaluations.load(std::memory_order_relaxed);
    }
    void ResetEvaluationCount()
    {
        m_evaluations = 0;
        m_sharedEvaluations.store(0, std::memory_order_relaxed);
    }

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
    /// The same when the corners in knownMask are known to have the signs in knownBits.
    int CellConfig(int i, int j, int k, int knownMask, int knownBits);
    static bool ConfigCrossed(int config) { return config != 0 && config != 255; }
    /// Whether the surface crosses face f (axis f/2, side f%2) of a cell with this config.
    static bool FaceCrossed(int config, int face);

    /// Appends the cell's triangles, creating (or reusing) its vertices.
    void PolygonizeCell(int i, int j, int k, std::vector<LatticeTriangle>& out);
    /// The same for a cell whose corner pattern is already known (CellConfig).
    void PolygonizeCell(int i, int j, int k, int config, std::vector<LatticeTriangle>& out);
    /// Polygonizes many cells at once (faster than one by one: their new
    /// vertices are placed together). With ends, the end of each cell's
    /// triangles in out is appended to it.
    void PolygonizeCells(const uint64_t* cells, const uint8_t* configs, size_t count,
                         std::vector<LatticeTriangle>& out, std::vector<uint32_t>* ends);
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
    /// Reorders found cells (and their patterns) brick by brick, so that
    /// polygonizing them in order touches memory in runs.
    void OrderByBrick(std::vector<uint64_t>& cells);
    /// Spacing (in cells) of the coarse scan's sub-lattice: 4, or wider on
    /// big lattices so the scan never visits more than about 33^3 nodes.
    int GetScanStride() const { return m_stride; }
    /// Continuation stops after this many cells, so a field with surface
    /// everywhere cannot take unbounded memory (the mesh is then partial).
    static constexpr size_t MAX_VISITED_CELLS = size_t(1) << 22;
    /// A lower limit for the cells one search may visit (0: MAX_VISITED_CELLS).
    void SetCellLimit(size_t n) { m_cellLimit = n == 0 || n > MAX_VISITED_CELLS ? MAX_VISITED_CELLS : n; }
    size_t GetCellLimit() const { return m_cellLimit; }
    /// Whether the last search stopped at the cell limit: its cells then
    /// miss part of the surface.
    bool ReachedCellLimit() const { return m_reachedCellLimit; }

    /// Vertex indices run below GetVertexCapacity(); forgotten ones are reused.
    size_t GetVertexCapacity() const { return m_vertices.size(); }
    const LatticeVertex& GetVertex(uint32_t v) const { return m_vertices[v]; }
    bool IsInteriorVertex(uint32_t v) const { return (m_vertexKeys[v] & INTERIOR_FLAG) != 0; }
    /// Swaps chords that cut across a crease for the edge joining the feature
    /// vertices on both sides (extended mode). Keeps the mesh manifold.
    void FlipTowardsFeatures(std::vector<LatticeTriangle>& triangles) const;
    /// Forgets node values of every node of cells lo..hi, the vertices of edges
    /// all of whose cells lie in lo..hi, and those cells' interior vertices.
    void ForgetCells(const int lo[3], const int hi[3]);

private:
    static constexpr uint64_t INTERIOR_FLAG = uint64_t(1) << 62;
    static constexpr uint64_t FREE_VERTEX = ~uint64_t(0);
    static constexpr uint32_t NONE = ~uint32_t(0);
    // Node values live in bricks of 8x8x8 nodes found through a dense
    // directory over the lattice: a lookup is two loads, and the cells of a
    // surface share bricks with their neighbours. Node (i, j, k) is stored at
    // (i + 1, j + 1, k + 1) so the ring at -1 has room.
    static constexpr int BRICK_SHIFT = 3, BRICK_MASK = 7, BRICK_NODES = 512;

    // counter: the caller's count of evaluations (m_evaluations on this
    // thread, a task's own in parallel parts).
    float Evaluate(const Wml::Vector3<float>& p, unsigned long long& counter) const;
    float Evaluate(const Wml::Vector3<float>& p) { return Evaluate(p, m_evaluations); }
    Wml::Vector3<float> OutwardNormal(const Wml::Vector3<float>& p, unsigned long long& counter) const;
    // Threads for a batch of about n field evaluations (1 when not worth it).
    unsigned ThreadsFor(size_t n) const;
    // Runs task(t) for t < count over ThreadsFor(work) threads; each task
    // counts its evaluations in the counter it is given. meanwhile runs on
    // this thread while the workers start (it must not touch what they do).
    void RunTasks(size_t count, size_t work, const std::function<void(size_t, unsigned long long&)>& task,
                  const std::function<void()>& meanwhile = nullptr);
    // Nodes whose values the flood fill needs: the node's slot in m_nodes
    // (marked QUEUED meanwhile) and its NodeKey.
    struct QueuedNode {
        uint64_t slot, key;
    };
    std::vector<QueuedNode> m_queued;
    // Queues the cell's corners not in knownMask whose values are unknown.
    void QueueCorners(int i, int j, int k, int knownMask);
    // Hands the queued nodes to the workers (after the batch before them is
    // done), or evaluates them here when threads are not worth it.
    void StartFlight();
    void FinishFlight();
    // Makes sure the first `queued` nodes queued in this flood are known.
    void EvaluatedUpTo(uint64_t queued);
    // Nodes queued in this flood, handed out, and known, in queueing order.
    uint64_t m_queuedUpTo = 0, m_flightUpTo = 0, m_doneUpTo = 0;
    void EvaluateNodes(const QueuedNode* nodes, size_t count, unsigned long long& counter);
    float LoadNode(size_t slot) const;
    std::unique_ptr<WorkerPool::Batch> m_flight;
    std::vector<QueuedNode> m_flightNodes;
    // Evaluates the scan nodes in [from, to] not known yet.
    void FillScanNodes(const int from[3], const int to[3]);
    uint64_t NodeKey(int i, int j, int k) const;
    bool NodeStored(int i, int j, int k) const;
    size_t BrickHome(int i, int j, int k) const
    {
        return (size_t((k + 1) >> BRICK_SHIFT) * size_t(m_dirDims[1]) + size_t((j + 1) >> BRICK_SHIFT)) *
                   size_t(m_dirDims[0]) +
               size_t((i + 1) >> BRICK_SHIFT);
    }
    // The brick holding node (i, j, k), which must be stored; allocated on first use.
    uint32_t Brick(int i, int j, int k)
    {
        const size_t home = BrickHome(i, j, k);
        const uint32_t b = m_directory[home];
        return b != NONE ? b : AllocateBrick(home);
    }
    uint32_t AllocateBrick(size_t home);
    uint32_t FindBrick(int i, int j, int k) const { return m_directory[BrickHome(i, j, k)]; }
    static int NodeInBrick(int i, int j, int k)
    {
        return ((i + 1) & BRICK_MASK) | (((j + 1) & BRICK_MASK) << 3) | (((k + 1) & BRICK_MASK) << 6);
    }
    // Value of a stored node not yet known: from the scan lattice or the field.
    float FillNode(int i, int j, int k);
    // Node value for the coarse scan: scan nodes stay out of the bricks.
    float ScanValue(int i, int j, int k);
    float* ScanSlot(int i, int j, int k);
    // An edge vertex that has its index but not yet its place.
    struct PendingEdge {
        uint32_t vertex;
        int i, j, k, axis;
        float v0, v1;  // values at the edge's ends
    };
    // Up to 16 edges, refined in lockstep.
    void PlaceEdgeVertices(const PendingEdge* edges, int count, unsigned long long& counter);
    // Appends the cell's loop vertices to m_rings, queueing new ones in m_pending.
    void CollectCellVertices(uint64_t cell, int config);
    void TriangulateLoop(int i, int j, int k, int config, int loop, const uint32_t* ring,
                         std::vector<LatticeTriangle>& out);
    std::vector<PendingEdge> m_pending, m_placing;
    std::vector<uint32_t> m_rings, m_placingRings, m_placedRings;
    uint32_t* EdgeSlot(int i, int j, int k, int axis, bool create);
    uint32_t NewVertex(const LatticeVertex& v, uint64_t key);
    uint32_t InteriorVertex(int i, int j, int k, int loop, const uint32_t* ring, size_t n, bool sharp);
    bool FanAgrees(uint32_t centre, const uint32_t* ring, size_t n) const;
    bool Visit(int i, int j, int k);  // true when the cell was not visited yet
    void ContinueFrom(uint64_t cell, std::vector<uint64_t>& stack, std::vector<uint64_t>& cells);
    bool SeedCell(const Wml::Vector3<float>& seed, int& i, int& j, int& k);
    bool InRange(int i, int j, int k) const;
    void Scan(const int from[3], const int to[3], std::vector<uint64_t>& stack, std::vector<uint64_t>& cells);
    void StartSearch();
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
    unsigned m_threads = 0;
    unsigned long long m_evaluations = 0;
    std::atomic<unsigned long long> m_sharedEvaluations{0};
    std::vector<uint64_t> m_readyAt;  // per queued cell: nodes queued up to its corners

    std::vector<uint32_t> m_directory;  // brick index per brick position, NONE = not allocated
    int m_dirDims[3] = {0, 0, 0};
    std::vector<uint32_t> m_brickHome;  // directory position of each allocated brick
    std::vector<float> m_nodes;         // BRICK_NODES values per brick, NaN = not yet evaluated
    std::vector<uint64_t> m_visited;    // one bit per cell (named by its min corner), 8 words per brick
    size_t m_visitedCount = 0;
    size_t m_cellLimit = MAX_VISITED_CELLS;
    bool m_reachedCellLimit = false;
    std::vector<uint32_t> m_edgeBlock;  // per brick: first of its 3 * BRICK_NODES edge slots, or NONE
    std::vector<uint32_t> m_edgeSlots;  // vertex index per node and axis, NONE = no vertex yet
    // Nodes of the coarse scan's sub-lattice, stored densely (NaN = not yet
    // evaluated): the scan touches every one of them, mostly far from the surface.
    std::vector<float> m_scanNodes;
    int m_scanDims[3] = {0, 0, 0};
    int m_strideShift = -1;  // log2 of the stride when it is a power of two

    std::vector<LatticeVertex> m_vertices;
    std::vector<uint64_t> m_vertexKeys;  // edge (node key << 2 | axis) or interior key; FREE_VERTEX
    std::vector<uint32_t> m_freeVertices;
    std::vector<uint8_t> m_foundConfigs;
};

/// Appends lattice triangles to a mesh, creating each referenced lattice
/// vertex once. ids maps lattice vertex indices to mesh vertices (grown as
/// needed; entries of ~0u are not yet in the mesh) and may be kept across calls.
void AppendLatticeTriangles(const PolygonizerLattice& lattice, const LatticeTriangle* triangles, size_t count,
                            std::vector<unsigned>& ids, vynmesh::TriangleMesh& mesh);

}  // namespace vynimplicit
