#pragma once
// A sparse, lazily filled lattice of samples of a scalar field, interpolated
// on demand. Field caches put one behind every cached composition node, so the
// lookup path is kept allocation-free once a region is warm.

#include <cstdint>
#include <memory>
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
/// Not thread safe: callers serialise evaluations of one grid.
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

    /// As the Sample functions, except for a cold cell (above): false, and
    /// nothing is written, computed or stored but the cell's mark.
    bool TrySampleTriLinear(const Wml::Vector3<float>& p, ScalarField* source, float& value);
    bool TrySampleTriQuadratic(const Wml::Vector3<float>& p, ScalarField* source, float& value);
    bool TrySampleGradientTriLinear(const Wml::Vector3<float>& p, ScalarField* source,
                                    Wml::Vector3<float>& gradient, float* value = nullptr);
    bool TrySampleGradientNodal(const Wml::Vector3<float>& p, ScalarField* source,
                                Wml::Vector3<float>& gradient, float* value = nullptr);

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
    /// without first reading the block.
    struct IndexSlot {
        std::uint64_t key;
        Block* block;
        GradientRecords* gradients;
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
    Block* GetBlock(int bi, int bj, int bk);
    /// The node gradients of a block, or null when the block or they do not exist.
    const GradientRecords* FindRecords(int bi, int bj, int bk);
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
    void ClearBlockCache();
    /// Rebuilds the lookup table from the map, sized for about twice the blocks.
    void RebuildIndex(std::size_t capacity);
    void InsertIntoIndex(std::uint64_t key, Block* block);

    Wml::Vector3<float> m_origin;
    float m_voxelSize = 1.0f;
    float m_inverseVoxelSize = 1.0f;
    BlockMap m_blocks;  // owns the blocks
    // Open-addressing table over the same blocks, probed linearly: a lookup
    // costs one cache line instead of the map's chain of pointers, which is
    // what random queries over a large warm grid pay for.
    std::vector<IndexSlot> m_index;
    // The last block looked up, so consecutive queries in one block skip the hash map.
    std::uint64_t m_cachedKey = ~std::uint64_t(0);
    Block* m_cachedBlock = nullptr;
};

}  // namespace vynimplicit
