#pragma once
// A sparse, lazily filled lattice of samples of a scalar field, interpolated
// on demand. Field caches put one behind every cached composition node, so the
// lookup path is kept allocation-free once a region is warm.

#include <atomic>
#include <cmath>
#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "implicit/ScalarField.h"
#include "wml/AxisAlignedBox3.h"
#include "wml/Vector3.h"

namespace vynimplicit {

/// Sample nodes sit at origin + (i, j, k) * voxelSize for integer i, j, k.
/// Nodes are stored in blocks of 8 x 8 x 8, allocated on first touch and kept
/// in a hash map keyed by block coordinates, so memory grows only with the
/// region that was actually evaluated. A node's sample is computed from the
/// source field the first time an interpolation needs it and is kept until it
/// is invalidated ("cells" in the statistics are these nodes, 4 bytes each).
///
/// Interpolation modes:
///  - trilinear: the value interpolates the 2 x 2 x 2 nodes around the point;
///    the gradient is the exact gradient of that interpolant (constant along
///    its own axis inside a cell, so it converges as O(voxel size));
///  - triquadratic: a quadratic B-spline over the 3 x 3 x 3 nodes nearest the
///    point. It smooths rather than interpolates the samples, but value and
///    gradient are continuous (C^1) and both converge as O(voxel size^2);
///  - nodal gradient: every node gets a gradient by fourth-order central
///    differences of the samples up to two nodes away along each axis, kept
///    once computed with the node's sample, and the gradient at a point
///    interpolates the 2 x 2 x 2 node gradients around it. Continuous and
///    O(voxel size^2) like the triquadratic gradient, at about the cost of the
///    trilinear one; the records take 16 bytes a node in a second array per
///    block, made on the first such query in the block.
///
/// Cold cells: the TrySample functions leave a query whose stencil misses m
/// samples (or node gradients) unanswered (false, nothing computed), and fill
/// the stencil when its cell is asked for the m-th time (at most the
/// ASKS_TO_FILL-th) since
/// the region was last invalidated. A caller that can evaluate the field
/// itself answers such a query directly, so a lattice coarser than the grid,
/// which asks each cell once or a few times, costs no more than evaluating
/// the field would, and a cell asked often is filled after direct answers
/// that cost about what filling it does.
///
/// Hostile input: a non-finite point answers 0 (zero gradient) without
/// touching the storage; a point more than MAX_NODE_INDEX voxels from the
/// origin is answered directly from the source and stores nothing.
///
/// Threads: the Sample and TrySample functions may run concurrently from any
/// number of threads (the source must then be safe to evaluate concurrently
/// too). Two threads missing the same sample both compute it and store the
/// same number. Everything else (SetOrigin, SetVoxelSize, Invalidate, the
/// statistics, GetAllocatedBlockCount) must run while no evaluation of this
/// grid does: callers serialise edits against evaluations.
class AdaptiveUniformGrid3D {
public:
    static constexpr int BLOCK_SHIFT = 3;
    static constexpr int BLOCK_DIM = 1 << BLOCK_SHIFT;
    static constexpr int BLOCK_NODES = BLOCK_DIM * BLOCK_DIM * BLOCK_DIM;
    /// Nodes farther than this (in voxels, per axis) from the origin are never stored.
    static constexpr int MAX_NODE_INDEX = 1 << 20;
    static constexpr unsigned MAX_RESOLUTION = 1u << 16;
    /// A cold cell is filled at the latest on this ask (TrySample functions).
    static constexpr int ASKS_TO_FILL = 15;

    /// A lattice with the given spacing anchored at centre. A non-finite or
    /// non-positive cell size gives 1; a non-finite centre gives the zero vector.
    explicit AdaptiveUniformGrid3D(float cellSize = 1.0f,
                                   const Wml::Vector3<float>& centre = Wml::Vector3<float>::ZERO);
    ~AdaptiveUniformGrid3D();
    AdaptiveUniformGrid3D(const AdaptiveUniformGrid3D&) = delete;
    AdaptiveUniformGrid3D& operator=(const AdaptiveUniformGrid3D&) = delete;

    const Wml::Vector3<float>& GetOrigin() const { return m_origin; }
    /// Moves the lattice. Stored samples are kept and move with it: a node
    /// computed for point x answers for x + (newOrigin - oldOrigin) afterwards.
    /// A non-finite origin is refused (false).
    bool SetOrigin(const Wml::Vector3<float>& origin);

    float GetVoxelSize() const { return m_voxelSize; }
    /// Voxel size = longest side of box / resolution (resolution clamped to
    /// [1, MAX_RESOLUTION]). When the size changes every sample is dropped and
    /// its memory freed; when it is unchanged the samples are kept unless
    /// forceInvalidate is true. An empty, flat or non-finite box is refused
    /// (false, nothing changes).
    bool SetVoxelSize(const Wml::AxisAlignedBox3<float>& box, unsigned resolution, bool forceInvalidate);

    /// Drops every sample. releaseMemory frees the blocks too; otherwise they
    /// stay allocated and are refilled in place.
    void Invalidate(bool releaseMemory);
    /// Drops exactly the samples that an interpolation (any mode) at some
    /// point of box may read: the nodes within 1.5 voxels of the box, per
    /// axis, and the node gradients made from them (two nodes farther), and
    /// forgets that cells there were asked. Blocks that become wholly invalid
    /// are freed. A box with a NaN is ignored.
    void Invalidate(const Wml::AxisAlignedBox3<float>& box);

    /// Interpolated value at p; missing samples are computed from source
    /// (a null source leaves them 0 and unstored).
    float SampleTriLinear(const Wml::Vector3<float>& p, ScalarField* source);
    float SampleTriQuadratic(const Wml::Vector3<float>& p, ScalarField* source);
    /// Gradient of the interpolant at p; its value is written when value is not null.
    void SampleGradientTriLinear(const Wml::Vector3<float>& p, ScalarField* source,
                                 Wml::Vector3<float>& gradient, float* value = nullptr);
    void SampleGradientTriQuadratic(const Wml::Vector3<float>& p, ScalarField* source,
                                    Wml::Vector3<float>& gradient, float* value = nullptr);
    /// The nodal gradient; the value written is the trilinear value.
    void SampleGradientNodal(const Wml::Vector3<float>& p, ScalarField* source, Wml::Vector3<float>& gradient,
                             float* value = nullptr);

    /// The trilinear value (and gradient, when gradient is not null) at p
    /// when all the samples it reads are stored: true; otherwise false and
    /// nothing is computed, stored or marked. The numbers are those of
    /// SampleTriLinear / SampleGradientTriLinear exactly: the warm path of
    /// the caches, with no cold-cell bookkeeping.
    bool TryWarmTriLinear(const Wml::Vector3<float>& p, float& value,
                          Wml::Vector3<float>* gradient = nullptr) const;
    /// As TryWarmTriLinear, for the nodal gradient (all eight node gradients stored).
    bool TryWarmNodal(const Wml::Vector3<float>& p, Wml::Vector3<float>& gradient, float* value) const;

    /// As the Sample functions, except for a cold cell (above): false, and
    /// nothing is written, computed or stored but the cell's mark.
    bool TrySampleTriLinear(const Wml::Vector3<float>& p, ScalarField* source, float& value);
    bool TrySampleTriQuadratic(const Wml::Vector3<float>& p, ScalarField* source, float& value);
    bool TrySampleGradientTriLinear(const Wml::Vector3<float>& p, ScalarField* source,
                                    Wml::Vector3<float>& gradient, float* value = nullptr);
    bool TrySampleGradientNodal(const Wml::Vector3<float>& p, ScalarField* source,
                                Wml::Vector3<float>& gradient, float* value = nullptr);

    /// Centres the window of blocks the warm paths read without hashing on
    /// box (grid coordinates), sized from its longest side. SetVoxelSize
    /// places it on its own box; a caller whose box is in other coordinates
    /// places it again. No evaluation may run. An empty or NaN box is ignored.
    void PlaceWindow(const Wml::AxisAlignedBox3<float>& box);

    /// Over the nodes lying in box: the blocks they fall in, those of them
    /// that are allocated, the nodes, and the nodes inside allocated blocks.
    void CalculateCellAllocationStats(const Wml::AxisAlignedBox3<float>& box, std::uint64_t& totalBlocks,
                                      std::uint64_t& allocatedBlocks, std::uint64_t& totalCells,
                                      std::uint64_t& allocatedCells) const;
    /// Over the nodes lying in box: all of them (a), those inside allocated
    /// blocks (b) and those holding a computed sample (c); c <= b <= a.
    void CalculateCellEvaluationStats(const Wml::AxisAlignedBox3<float>& box, std::uint64_t& nodesInBox,
                                      std::uint64_t& allocatedNodes, std::uint64_t& evaluatedNodes) const;

    /// Blocks currently allocated (BLOCK_NODES * 4 bytes of samples each).
    std::size_t GetAllocatedBlockCount() const { return m_blocks.size(); }

private:
    struct Block;
    struct GradientRecords;
    // Samples are shared between evaluating threads, read and written with
    // relaxed atomic loads and stores (plain moves on the usual processors).
    using AtomicFloat = std::atomic<float>;
    friend struct Block;

    // Keys never equal this: block coordinates keep every packed field below 2^21.
    static constexpr std::uint64_t EMPTY_KEY = ~std::uint64_t(0);
    // Points this close to the storable limit would need nodes beyond it.
    static constexpr float GRID_LIMIT = float(MAX_NODE_INDEX - 4);
    // Nodes are stored in Morton order inside a block (the bits of i, j and k
    // interleaved), so the 2 x 2 x 2 and 3 x 3 x 3 stencils of the
    // interpolations touch fewer cache lines than a row-major layout, where
    // every step in k is a new line. SPREAD[x] places the 3 bits of x at bit
    // positions 0, 3 and 6.
    static constexpr int SPREAD[8] = {0, 1, 8, 9, 64, 65, 72, 73};
    // SPREAD[(x + 1) & 7] - SPREAD[x]: the step to the next node along an
    // axis, wrapping to the first node of the next block after the last.
    static constexpr int STEP[8] = {1, 7, 1, 55, 1, 7, 1, -73};

    // Callers keep |x| well inside the int range.
    static int FloorToInt(float x)
    {
        const int i = static_cast<int>(x);
        return x < float(i) ? i - 1 : i;
    }
    // Block coordinates lie within +-2^17; 21 bits per axis with an offset
    // keep them non-negative and the key unique.
    static std::uint64_t PackKey(int bi, int bj, int bk)
    {
        constexpr std::int64_t offset = std::int64_t(1) << 20;
        return (std::uint64_t(bi + offset) << 42) | (std::uint64_t(bj + offset) << 21) |
               std::uint64_t(bk + offset);
    }
    static int NodeIndex(int i, int j, int k)
    {
        return SPREAD[i & (BLOCK_DIM - 1)] | (SPREAD[j & (BLOCK_DIM - 1)] << 1) |
               (SPREAD[k & (BLOCK_DIM - 1)] << 2);
    }
    // The trilinear interpolation of the 2 x 2 x 2 corners c (x fastest) at
    // offsets t inside the cell; every path uses this one, so a warm answer
    // is the same number whichever path gave it.
    static float Lerp8(const float c[8], float tx, float ty, float tz)
    {
        const float c00 = c[0] + tx * (c[1] - c[0]);
        const float c10 = c[2] + tx * (c[3] - c[2]);
        const float c01 = c[4] + tx * (c[5] - c[4]);
        const float c11 = c[6] + tx * (c[7] - c[6]);
        const float c0 = c00 + ty * (c10 - c00);
        const float c1 = c01 + ty * (c11 - c01);
        return c0 + tz * (c1 - c0);
    }
    // The gradient (in sample differences per voxel) and value of the
    // trilinear interpolant of c.
    static void LerpGradient8(const float c[8], float tx, float ty, float tz, float g[3], float& value)
    {
        const float d00 = c[1] - c[0], d10 = c[3] - c[2], d01 = c[5] - c[4], d11 = c[7] - c[6];
        const float c00 = c[0] + tx * d00, c10 = c[2] + tx * d10, c01 = c[4] + tx * d01,
                    c11 = c[6] + tx * d11;
        const float c0 = c00 + ty * (c10 - c00), c1 = c01 + ty * (c11 - c01);
        const float dx0 = d00 + ty * (d10 - d00), dx1 = d01 + ty * (d11 - d01);
        g[0] = dx0 + tz * (dx1 - dx0);
        g[1] = (c10 - c00) + tz * ((c11 - c01) - (c10 - c00));
        g[2] = c1 - c0;
        value = c0 + tz * (c1 - c0);
    }
    struct KeyHash {
        std::size_t operator()(std::uint64_t k) const
        {
            k ^= k >> 31;
            k *= 0x9E3779B97F4A7C15ull;
            return static_cast<std::size_t>(k ^ (k >> 29));
        }
    };
    using BlockMap = std::unordered_map<std::uint64_t, std::unique_ptr<Block>, KeyHash>;
    /// One entry of the lookup table: a block's key, the block and its node
    /// gradients (null until made), so that a gradient query reaches them
    /// without first reading the block. The key is stored last (release) and
    /// read first (acquire), so a reader that finds a key sees its block.
    struct IndexSlot {
        std::atomic<std::uint64_t> key;
        std::atomic<Block*> block;
        std::atomic<GradientRecords*> gradients;
    };
    /// An open-addressing table over the blocks, probed linearly. Readers
    /// use it without a lock; growth makes a new one, and old ones are kept
    /// until the next invalidation or destruction, so a reader still probing
    /// one is never left with freed memory.
    struct IndexTable {
        std::size_t mask;
        std::unique_ptr<IndexSlot[]> slots;
    };

    enum class Where { Grid, Direct, Invalid };
    /// Which marks a cold query leaves: cells of the value stencils, or of the
    /// node gradients.
    enum AskKind { VALUE_CELLS = 0, GRADIENT_CELLS = 1 };
    /// The node whose mark stands for a query's cell, and the kind of mark;
    /// a null anchor fills at once.
    struct Anchor {
        int i, j, k;
        AskKind kind;
    };
    Where Locate(const Wml::Vector3<float>& p, float u[3]) const;
    /// Answers a gradient query that does not read the lattice (outside the
    /// grid, or in a region still answered directly) and says so; otherwise
    /// leaves u at the point's lattice coordinates and answers false.
    bool AnswerOffGrid(const Wml::Vector3<float>& p, ScalarField* source, Wml::Vector3<float>& gradient,
                       float* value, float u[3]);
    /// The block, made when missing (under the lock, looked up again inside it).
    Block* GetBlock(int bi, int bj, int bk);
    /// The block, or null when it does not exist; never waits and never allocates.
    const Block* FindBlock(int bi, int bj, int bk) const;
    /// The node gradients of a block, or null when the block or they do not exist.
    const GradientRecords* FindRecords(int bi, int bj, int bk) const;
    /// The slot holding key in the published table, or null.
    const IndexSlot* FindSlot(std::uint64_t key) const;
    /// The 2 x 2 x 2 samples from (i0, j0, k0), x fastest, through the table;
    /// false when one is missing.
    bool WarmCornersHashed(int i0, int j0, int k0, float c[8]) const;
    /// TryWarmTriLinear for a cell outside the window.
    bool TryWarmOutsideWindow(const Wml::Vector3<float>& p, float& value,
                              Wml::Vector3<float>* gradient) const;
    /// The window's entry for block (bi, bj, bk), or -1 outside it.
    long WindowEntry(int bi, int bj, int bk) const;
    /// Every entry of both windows back to the missing block; then the blocks
    /// (and their node gradients) entered again.
    void ClearWindow();
    void EnterBlocksInWindow();
    /// The 2 x 2 x 2 node records from (i0, j0, k0), when all are stored.
    bool WarmRecords(int i0, int j0, int k0, float records[8][4]) const;
    /// The nodal gradient and value at offsets t inside the cell of records r.
    void InterpolateRecords(const float r[8][4], float tx, float ty, float tz, Wml::Vector3<float>& gradient,
                            float* value) const;
    /// The block's node gradients, made (not computed) when missing.
    GradientRecords& RecordsOf(Block& block);
    float ComputeNode(int i, int j, int k, ScalarField* source) const;
    /// The sample of node (i, j, k), computed and stored when missing.
    float NodeValue(int i, int j, int k, ScalarField* source);
    /// True when the anchor's cell, with missing samples (or node gradients)
    /// absent, should be filled now; otherwise counts the ask.
    bool DueForFilling(const Anchor& anchor, int missing);
    /// Fills out with the N^3 samples at (i0 + a, j0 + b, k0 + c), x fastest.
    /// With an anchor, a stencil with missing samples asked for the first
    /// time is left alone: false.
    template <int N>
    bool Gather(int i0, int j0, int k0, ScalarField* source, float* out, const Anchor* anchor);
    template <int N>
    void FillMissing(int i0, int j0, int k0, ScalarField* source, float* out);
    /// The node gradients (in sample differences per voxel) and samples of
    /// the 2 x 2 x 2 nodes from (i0, j0, k0), x fastest; as Gather.
    bool GatherRecords(int i0, int j0, int k0, ScalarField* source, float records[8][4],
                       const Anchor* anchor);
    bool TriLinearValue(const Wml::Vector3<float>& p, ScalarField* source, float& value, bool mayDefer);
    bool TriQuadraticValue(const Wml::Vector3<float>& p, ScalarField* source, float& value, bool mayDefer);
    bool TriLinearGradient(const Wml::Vector3<float>& p, ScalarField* source, Wml::Vector3<float>& gradient,
                           float* value, bool mayDefer);
    bool NodalGradient(const Wml::Vector3<float>& p, ScalarField* source, Wml::Vector3<float>& gradient,
                       float* value, bool mayDefer);
    float DirectValue(const Wml::Vector3<float>& p, ScalarField* source) const;
    void DirectGradient(const Wml::Vector3<float>& p, ScalarField* source, Wml::Vector3<float>& gradient,
                        float* value) const;
    /// Node index range of box (inclusive), clamped to the storable range;
    /// false when empty.
    bool NodeRange(const Wml::AxisAlignedBox3<float>& box, int lo[3], int hi[3], bool inner) const;
    template <class Fn>
    void ForEachBlockInRange(const int lo[3], const int hi[3], Fn&& fn) const;
    /// Rebuilds the lookup table from the map, sized for about twice the
    /// blocks, and publishes it; the old one is retired. Under the lock.
    void RebuildIndex(std::size_t capacity);
    void InsertIntoIndex(IndexTable& table, std::uint64_t key, Block* block);
    /// Frees the retired tables and the published one (no evaluation runs).
    void DropIndex();

    Wml::Vector3<float> m_origin;
    float m_voxelSize = 1.0f;
    float m_inverseVoxelSize = 1.0f;
    BlockMap m_blocks;  // owns the blocks; changed under m_mutex
    // The table readers probe (one cache line per lookup instead of the
    // map's chain of pointers), and every table made since the last
    // invalidation, the published one last.
    std::atomic<IndexTable*> m_index{nullptr};
    std::vector<std::unique_ptr<IndexTable>> m_tables;
    // Taken only to make blocks or their node gradients; reads never wait.
    std::mutex m_mutex;
    // A dense cube of blocks centred on the origin, covering the source's
    // bounds (or their middle, when they hold more blocks than 32^3): the
    // samples of each block there, or a block of NaN for one not made yet. A warm value reaches its
    // samples through it by arithmetic alone, whichever blocks the cell's
    // corners fall in; anything outside goes through the table.
    int m_windowFirst[3] = {0, 0, 0};  // block coordinates of its first block
    int m_windowDim = 0;
    int m_windowLast = 0;  // m_windowDim - 1, or 0 without a window
    // The lattice coordinates whose cells have both blocks per axis in the
    // window: [low, high) per axis; empty without a window.
    float m_windowLow[3] = {0.0f, 0.0f, 0.0f}, m_windowHigh[3] = {0.0f, 0.0f, 0.0f};
    std::unique_ptr<std::atomic<const AtomicFloat*>[]> m_window;
    // The same for the blocks' node gradients (their records).
    std::unique_ptr<std::atomic<const AtomicFloat*>[]> m_recordWindow;
};

// ---- the warm path, inline: the caches call it on every evaluation ---------

inline const AdaptiveUniformGrid3D::IndexSlot* AdaptiveUniformGrid3D::FindSlot(std::uint64_t key) const
{
    const IndexTable* table = m_index.load(std::memory_order_acquire);
    if (!table) return nullptr;
    for (std::size_t slot = KeyHash()(key) & table->mask;; slot = (slot + 1) & table->mask) {
        const IndexSlot& entry = table->slots[slot];
        const std::uint64_t found = entry.key.load(std::memory_order_acquire);
        if (found == key) return &entry;
        if (found == EMPTY_KEY) return nullptr;
    }
}

// Inlined into the caches' Value and Gradient even though it is long: the
// calls and register saves would cost a good part of a warm lookup.
__attribute__((always_inline)) inline bool AdaptiveUniformGrid3D::TryWarmTriLinear(
    const Wml::Vector3<float>& p, float& value, Wml::Vector3<float>* gradient) const
{
    // Locate's arithmetic. The window holds the cell's first block and the
    // next one along each axis, and lies well inside the storable range: one
    // test per axis, which a NaN fails too, leaves the rest to the full path.
    float u[3];
    for (int a = 0; a < 3; ++a) u[a] = (p[a] - m_origin[a]) * m_inverseVoxelSize;
    const float* low = m_windowLow;
    const float* high = m_windowHigh;
    if (!((u[0] >= low[0]) & (u[0] < high[0]) & (u[1] >= low[1]) & (u[1] < high[1]) & (u[2] >= low[2]) &
          (u[2] < high[2])))
        return TryWarmOutsideWindow(p, value, gradient);
    const int i0 = FloorToInt(u[0]), j0 = FloorToInt(u[1]), k0 = FloorToInt(u[2]);
    const long dim = m_windowDim;
    const unsigned x = unsigned((i0 >> BLOCK_SHIFT) - m_windowFirst[0]);
    const unsigned y = unsigned((j0 >> BLOCK_SHIFT) - m_windowFirst[1]);
    const unsigned z = unsigned((k0 >> BLOCK_SHIFT) - m_windowFirst[2]);
    constexpr int mask = BLOCK_DIM - 1;
    const int li = i0 & mask, lj = j0 & mask, lk = k0 & mask;
    // Corner (a, b, c) lies at base + a dx + b dy + c dz in its block (the
    // Morton fields add without carries into each other); past a block face
    // the step wraps to the next block's first node.
    const int base = SPREAD[li] | (SPREAD[lj] << 1) | (SPREAD[lk] << 2);
    const int dx = STEP[li], dy = STEP[lj] * 2, dz = STEP[lk] * 4;
    const std::atomic<const AtomicFloat*>* w = m_window.get() + (long(x) + dim * (long(y) + dim * long(z)));
    constexpr auto relaxed = std::memory_order_relaxed;
    float c[8];
    // Blocks not made yet are entered as a block of NaN samples, so they
    // need no test of their own.
    if ((li != mask) & (lj != mask) & (lk != mask)) {
        // The usual case: the whole cell in one block.
        const AtomicFloat* v = w[0].load(std::memory_order_acquire) + base;
        c[0] = v[0].load(relaxed);
        c[1] = v[dx].load(relaxed);
        c[2] = v[dy].load(relaxed);
        c[3] = v[dx + dy].load(relaxed);
        c[4] = v[dz].load(relaxed);
        c[5] = v[dx + dz].load(relaxed);
        c[6] = v[dy + dz].load(relaxed);
        c[7] = v[dx + dy + dz].load(relaxed);
    } else {
        const long sx = long(li == mask), sy = long(lj == mask) * dim, sz = long(lk == mask) * dim * dim;
        // Acquire pairs with the release that entered each block: its samples are seen.
        constexpr auto acquire = std::memory_order_acquire;
        const AtomicFloat* p000 = w[0].load(acquire);
        const AtomicFloat* p100 = w[sx].load(acquire);
        const AtomicFloat* p010 = w[sy].load(acquire);
        const AtomicFloat* p110 = w[sx + sy].load(acquire);
        const AtomicFloat* p001 = w[sz].load(acquire);
        const AtomicFloat* p101 = w[sx + sz].load(acquire);
        const AtomicFloat* p011 = w[sy + sz].load(acquire);
        const AtomicFloat* p111 = w[sx + sy + sz].load(acquire);
        c[0] = p000[base].load(relaxed);
        c[1] = p100[base + dx].load(relaxed);
        c[2] = p010[base + dy].load(relaxed);
        c[3] = p110[base + dx + dy].load(relaxed);
        c[4] = p001[base + dz].load(relaxed);
        c[5] = p101[base + dx + dz].load(relaxed);
        c[6] = p011[base + dy + dz].load(relaxed);
        c[7] = p111[base + dx + dy + dz].load(relaxed);
    }
    const float tx = u[0] - float(i0), ty = u[1] - float(j0), tz = u[2] - float(k0);
    // Every corner reaches the value, so a missing sample (NaN) shows there:
    // one test instead of eight.
    float v;
    if (!gradient) {
        v = Lerp8(c, tx, ty, tz);
        if (std::isnan(v)) return false;
        value = v;
        return true;
    }
    float g[3];
    LerpGradient8(c, tx, ty, tz, g, v);
    if (std::isnan(v)) return false;
    value = v;
    const float s = m_inverseVoxelSize;
    *gradient = Wml::Vector3<float>(g[0] * s, g[1] * s, g[2] * s);
    return true;
}

}  // namespace vynimplicit
