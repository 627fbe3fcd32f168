#include "implicit/grid/AdaptiveUniformGrid3D.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace vynimplicit {

namespace {

constexpr float NOT_COMPUTED = std::numeric_limits<float>::quiet_NaN();
constexpr int BLOCK_MASK = AdaptiveUniformGrid3D::BLOCK_DIM - 1;
// Samples and node gradients are shared between evaluating threads: relaxed
// atomic loads and stores (plain moves on the usual processors), so that two
// threads filling the same node is a harmless duplicate, not a data race.
using AtomicFloat = std::atomic<float>;
static_assert(AtomicFloat::is_always_lock_free, "samples are read without locks");
static_assert(sizeof(AtomicFloat) == sizeof(float), "samples are packed");
static_assert(AdaptiveUniformGrid3D::BLOCK_SHIFT == 3, "SPREAD covers 3 bits per axis");

inline float Load(const AtomicFloat& f)
{
    return f.load(std::memory_order_relaxed);
}

inline void Store(AtomicFloat& f, float v)
{
    f.store(v, std::memory_order_relaxed);
}

inline void FillNotComputed(AtomicFloat* first, int count)
{
    for (int n = 0; n < count; ++n) Store(first[n], NOT_COMPUTED);
}

// What the windows hold for a block (or node gradients) not made yet:
// numbers that all read as missing. Never written after they are made.
const AtomicFloat* NoBlock()
{
    static const struct Missing {
        AtomicFloat values[4 * AdaptiveUniformGrid3D::BLOCK_NODES];
        Missing() { FillNotComputed(values, 4 * AdaptiveUniformGrid3D::BLOCK_NODES); }
    } missing;
    return missing.values;
}

inline float Sanitize(float v)
{
    return std::isfinite(v) ? v : 0.0f;
}

// Quadratic B-spline weights of the nodes at offsets -1, 0, +1 for t in [-1/2, 1/2).
inline void QuadraticWeights(float t, float w[3], float dw[3])
{
    const float a = 0.5f - t, b = 0.5f + t;
    w[0] = 0.5f * a * a;
    w[1] = 0.75f - t * t;
    w[2] = 0.5f * b * b;
    dw[0] = -a;
    dw[1] = -2.0f * t;
    dw[2] = b;
}

}  // namespace

// Node gradients and samples side by side, (gx, gy, gz, value) per node in
// the blocks' Morton order, so that the eight nodes of a cell are read from a
// few cache lines. A NaN gx marks a record not computed yet.
// gx is written last (release) and read first (acquire), so that a reader
// that sees it computed sees the rest of the record too.
struct alignas(64) AdaptiveUniformGrid3D::GradientRecords {
    AtomicFloat records[4 * BLOCK_NODES];

    GradientRecords() { FillNotComputed(records, 4 * BLOCK_NODES); }

    /// The record of node index into r; false when it is not computed.
    bool Read(int index, float r[4]) const
    {
        const AtomicFloat* record = records + 4 * index;
        r[0] = record[0].load(std::memory_order_acquire);
        if (std::isnan(r[0])) return false;
        r[1] = Load(record[1]);
        r[2] = Load(record[2]);
        r[3] = Load(record[3]);
        return true;
    }
    void Write(int index, const float r[4])
    {
        AtomicFloat* record = records + 4 * index;
        Store(record[1], r[1]);
        Store(record[2], r[2]);
        Store(record[3], r[3]);
        record[0].store(r[0], std::memory_order_release);
    }
};

// Values first and the block on a cache-line boundary, so that the Morton
// groups of 2 x 2 x 2 nodes (32 bytes) never straddle two lines.
struct alignas(64) AdaptiveUniformGrid3D::Block {
    AtomicFloat values[BLOCK_NODES];
    // Made (under the grid's lock) on the first nodal gradient query here;
    // owned by the block.
    std::atomic<GradientRecords*> gradients{nullptr};
    // Four bits per anchor node and kind: how often a cold query of that
    // cell was left to the caller since the last invalidation. Counted with
    // relaxed loads and stores: an ask lost to a concurrent one only fills
    // the cell one ask later.
    std::atomic<std::uint8_t> asked[2][BLOCK_NODES / 2];
    int coord[3];

    Block(int bi, int bj, int bk) : coord{bi, bj, bk}
    {
        FillNotComputed(values, BLOCK_NODES);
        ClearAsked();
    }
    ~Block() { delete gradients.load(std::memory_order_relaxed); }
    Block(const Block&) = delete;
    Block& operator=(const Block&) = delete;

    GradientRecords* Gradients() const { return gradients.load(std::memory_order_acquire); }

    void ClearAsked()
    {
        for (auto& kind : asked)
            for (auto& pair : kind) pair.store(0, std::memory_order_relaxed);
    }

    void ForgetGradient(int index)
    {
        if (GradientRecords* g = Gradients()) Store(g->records[4 * index], NOT_COMPUTED);
        const std::uint8_t keep = (index & 1) ? 0x0F : 0xF0;
        for (int kind = 0; kind < 2; ++kind) {
            std::atomic<std::uint8_t>& pair = asked[kind][index >> 1];
            pair.store(std::uint8_t(pair.load(std::memory_order_relaxed) & keep), std::memory_order_relaxed);
        }
    }
};

AdaptiveUniformGrid3D::AdaptiveUniformGrid3D(float cellSize, const Wml::Vector3<float>& centre)
{
    static_assert(STEP[0] == SPREAD[1] - SPREAD[0] && STEP[1] == SPREAD[2] - SPREAD[1] &&
                      STEP[2] == SPREAD[3] - SPREAD[2] && STEP[3] == SPREAD[4] - SPREAD[3] &&
                      STEP[4] == SPREAD[5] - SPREAD[4] && STEP[5] == SPREAD[6] - SPREAD[5] &&
                      STEP[6] == SPREAD[7] - SPREAD[6] && STEP[7] == SPREAD[0] - SPREAD[7],
                  "STEP follows SPREAD");
    if (std::isfinite(cellSize) && cellSize > 0.0f && std::isfinite(1.0f / cellSize)) m_voxelSize = cellSize;
    m_inverseVoxelSize = 1.0f / m_voxelSize;
    m_origin = Wml::Vector3<float>::ZERO;
    SetOrigin(centre);
}

AdaptiveUniformGrid3D::~AdaptiveUniformGrid3D()
{
    DropIndex();
}

bool AdaptiveUniformGrid3D::SetOrigin(const Wml::Vector3<float>& origin)
{
    if (!std::isfinite(origin.X()) || !std::isfinite(origin.Y()) || !std::isfinite(origin.Z())) return false;
    m_origin = origin;
    return true;
}

bool AdaptiveUniformGrid3D::SetVoxelSize(const Wml::AxisAlignedBox3<float>& box, unsigned resolution,
                                         bool forceInvalidate)
{
    float longest = 0.0f;
    for (int a = 0; a < 3; ++a) {
        const float extent = box.Max(a) - box.Min(a);
        if (!std::isfinite(extent) || extent < 0.0f) return false;
        longest = std::max(longest, extent);
    }
    resolution = std::min(std::max(resolution, 1u), MAX_RESOLUTION);
    const float size = longest / float(resolution);
    if (!(size > 0.0f) || !std::isfinite(1.0f / size)) return false;

    if (size != m_voxelSize) {
        m_voxelSize = size;
        m_inverseVoxelSize = 1.0f / size;
        Invalidate(true);
    } else if (forceInvalidate) {
        Invalidate(true);
    }
    PlaceWindow(box);
    return true;
}

void AdaptiveUniformGrid3D::RebuildIndex(std::size_t capacity)
{
    std::size_t size = 64;
    while (size < 2 * capacity) size *= 2;
    auto table = std::make_unique<IndexTable>();
    table->mask = size - 1;
    table->slots.reset(new IndexSlot[size]);
    for (std::size_t n = 0; n < size; ++n) {
        table->slots[n].key.store(EMPTY_KEY, std::memory_order_relaxed);
        table->slots[n].block.store(nullptr, std::memory_order_relaxed);
        table->slots[n].gradients.store(nullptr, std::memory_order_relaxed);
    }
    for (const auto& entry : m_blocks) InsertIntoIndex(*table, entry.first, entry.second.get());
    // Readers still probing the old table find fewer blocks there and take
    // the locked path, which sees this one.
    m_index.store(table.get(), std::memory_order_release);
    m_tables.push_back(std::move(table));
}

void AdaptiveUniformGrid3D::InsertIntoIndex(IndexTable& table, std::uint64_t key, Block* block)
{
    std::size_t slot = KeyHash()(key) & table.mask;
    while (table.slots[slot].key.load(std::memory_order_relaxed) != EMPTY_KEY) slot = (slot + 1) & table.mask;
    IndexSlot& entry = table.slots[slot];
    entry.block.store(block, std::memory_order_relaxed);
    entry.gradients.store(block->Gradients(), std::memory_order_relaxed);
    entry.key.store(key, std::memory_order_release);
}

long AdaptiveUniformGrid3D::WindowEntry(int bi, int bj, int bk) const
{
    const unsigned dim = unsigned(m_windowDim);
    const unsigned x = unsigned(bi - m_windowFirst[0]), y = unsigned(bj - m_windowFirst[1]),
                   z = unsigned(bk - m_windowFirst[2]);
    if (x >= dim || y >= dim || z >= dim) return -1;
    return long(x) + long(dim) * (long(y) + long(dim) * long(z));
}

void AdaptiveUniformGrid3D::PlaceWindow(const Wml::AxisAlignedBox3<float>& box)
{
    // Half the longest side in blocks, two more for stencils and growth; at
    // most 32^3 entries (256 KB a window), the middle of a finer lattice.
    double longest = 0.0, centre[3];
    for (int a = 0; a < 3; ++a) {
        const double lo = box.Min(a), hi = box.Max(a);
        if (!std::isfinite(lo) || !std::isfinite(hi) || lo > hi) return;
        longest = std::max(longest, hi - lo);
        centre[a] = (0.5 * (lo + hi) - double(m_origin[a])) * double(m_inverseVoxelSize) / double(BLOCK_DIM);
        if (!(std::fabs(centre[a]) < double(MAX_NODE_INDEX / BLOCK_DIM))) return;
    }
    const double blocks = longest * double(m_inverseVoxelSize) / double(BLOCK_DIM);
    const int half = int(std::min(16.0, std::ceil(0.5 * blocks) + 2.0));
    int first[3];
    for (int a = 0; a < 3; ++a) first[a] = int(std::floor(centre[a])) - half;
    if (m_window && 2 * half == m_windowDim && std::equal(first, first + 3, m_windowFirst)) return;
    m_windowDim = 2 * half;
    m_windowLast = m_windowDim - 1;
    for (int a = 0; a < 3; ++a) {
        m_windowFirst[a] = first[a];
        m_windowLow[a] = float(BLOCK_DIM * first[a]);
        m_windowHigh[a] = float(BLOCK_DIM * (first[a] + m_windowDim - 1));
    }
    const std::size_t entries =
        std::size_t(m_windowDim) * std::size_t(m_windowDim) * std::size_t(m_windowDim);
    m_window.reset(new std::atomic<const AtomicFloat*>[entries]);
    m_recordWindow.reset(new std::atomic<const AtomicFloat*>[entries]);
    ClearWindow();
    EnterBlocksInWindow();
}

void AdaptiveUniformGrid3D::DropIndex()
{
    m_index.store(nullptr, std::memory_order_relaxed);
    m_tables.clear();
    ClearWindow();
}

void AdaptiveUniformGrid3D::ClearWindow()
{
    if (!m_window) return;
    const std::size_t entries =
        std::size_t(m_windowDim) * std::size_t(m_windowDim) * std::size_t(m_windowDim);
    for (std::size_t n = 0; n < entries; ++n) {
        m_window[n].store(NoBlock(), std::memory_order_relaxed);
        m_recordWindow[n].store(NoBlock(), std::memory_order_relaxed);
    }
}

void AdaptiveUniformGrid3D::EnterBlocksInWindow()
{
    for (const auto& entry : m_blocks) {
        const Block& b = *entry.second;
        const long at = WindowEntry(b.coord[0], b.coord[1], b.coord[2]);
        if (at < 0) continue;
        m_window[at].store(b.values, std::memory_order_relaxed);
        if (const GradientRecords* g = b.Gradients())
            m_recordWindow[at].store(g->records, std::memory_order_relaxed);
    }
}

void AdaptiveUniformGrid3D::Invalidate(bool releaseMemory)
{
    if (releaseMemory) {
        DropIndex();
        m_blocks.clear();
        return;
    }
    // The tables stay (they hold exactly these blocks); only retired ones go.
    if (m_tables.size() > 1) m_tables.erase(m_tables.begin(), m_tables.end() - 1);
    for (auto& entry : m_blocks) {
        Block& b = *entry.second;
        FillNotComputed(b.values, BLOCK_NODES);
        if (GradientRecords* g = b.Gradients()) FillNotComputed(g->records, 4 * BLOCK_NODES);
        b.ClearAsked();
    }
}

bool AdaptiveUniformGrid3D::NodeRange(const Wml::AxisAlignedBox3<float>& box, int lo[3], int hi[3],
                                      bool inner) const
{
    for (int a = 0; a < 3; ++a) {
        if (std::isnan(box.Min(a)) || std::isnan(box.Max(a)) || box.Min(a) > box.Max(a)) return false;
        const double inv = double(m_inverseVoxelSize);
        const double uMin = (double(box.Min(a)) - double(m_origin[a])) * inv;
        const double uMax = (double(box.Max(a)) - double(m_origin[a])) * inv;
        // inner: the nodes lying in the box; otherwise the union of the
        // stencils of its points: trilinear reads floor(u) and floor(u) + 1,
        // triquadratic round(u) - 1 to round(u) + 1.
        double l = inner ? std::ceil(uMin) : std::floor(uMin + 0.5) - 1.0;
        double h = inner ? std::floor(uMax) : std::floor(uMax + 0.5) + 1.0;
        l = std::max(l, -double(MAX_NODE_INDEX));
        h = std::min(h, double(MAX_NODE_INDEX));
        if (l > h) return false;
        lo[a] = int(l);
        hi[a] = int(h);
    }
    return true;
}

template <class Fn>
void AdaptiveUniformGrid3D::ForEachBlockInRange(const int lo[3], const int hi[3], Fn&& fn) const
{
    int blo[3], bhi[3];
    double blockCount = 1.0;
    for (int a = 0; a < 3; ++a) {
        blo[a] = lo[a] >> BLOCK_SHIFT;
        bhi[a] = hi[a] >> BLOCK_SHIFT;
        blockCount *= double(bhi[a] - blo[a] + 1);
    }
    // Walk whichever is smaller: the block coordinates of the range or the map.
    if (blockCount <= double(m_blocks.size())) {
        for (int bk = blo[2]; bk <= bhi[2]; ++bk)
            for (int bj = blo[1]; bj <= bhi[1]; ++bj)
                for (int bi = blo[0]; bi <= bhi[0]; ++bi) {
                    auto it = m_blocks.find(PackKey(bi, bj, bk));
                    if (it != m_blocks.end()) fn(*it->second);
                }
        return;
    }
    for (const auto& entry : m_blocks) {
        const Block& b = *entry.second;
        if (b.coord[0] >= blo[0] && b.coord[0] <= bhi[0] && b.coord[1] >= blo[1] && b.coord[1] <= bhi[1] &&
            b.coord[2] >= blo[2] && b.coord[2] <= bhi[2])
            fn(*entry.second);
    }
}

void AdaptiveUniformGrid3D::Invalidate(const Wml::AxisAlignedBox3<float>& box)
{
    int lo[3], hi[3];
    if (!NodeRange(box, lo, hi, false)) return;
    // Node gradients are differences of samples up to two nodes away.
    int glo[3], ghi[3];
    for (int a = 0; a < 3; ++a) {
        glo[a] = std::max(lo[a] - 2, -MAX_NODE_INDEX);
        ghi[a] = std::min(hi[a] + 2, MAX_NODE_INDEX);
    }
    std::vector<std::uint64_t> emptied;
    ForEachBlockInRange(glo, ghi, [&](Block& b) {
        int from[3], to[3], gfrom[3], gto[3];
        bool whole = true, anyValue = true;
        for (int a = 0; a < 3; ++a) {
            const int first = b.coord[a] * BLOCK_DIM;
            from[a] = std::max(lo[a], first);
            to[a] = std::min(hi[a], first + BLOCK_MASK);
            gfrom[a] = std::max(glo[a], first);
            gto[a] = std::min(ghi[a], first + BLOCK_MASK);
            anyValue = anyValue && from[a] <= to[a];
            whole = whole && from[a] == first && to[a] == first + BLOCK_MASK;
        }
        if (whole) {
            emptied.push_back(PackKey(b.coord[0], b.coord[1], b.coord[2]));
            return;
        }
        for (int k = gfrom[2]; k <= gto[2]; ++k)
            for (int j = gfrom[1]; j <= gto[1]; ++j)
                for (int i = gfrom[0]; i <= gto[0]; ++i) b.ForgetGradient(NodeIndex(i, j, k));
        if (!anyValue) return;
        for (int k = from[2]; k <= to[2]; ++k)
            for (int j = from[1]; j <= to[1]; ++j)
                for (int i = from[0]; i <= to[0]; ++i) Store(b.values[NodeIndex(i, j, k)], NOT_COMPUTED);
    });
    if (emptied.empty()) return;
    for (std::uint64_t key : emptied) m_blocks.erase(key);
    // No evaluation runs: every table may go, the new one included in none.
    DropIndex();
    RebuildIndex(m_blocks.size());
    EnterBlocksInWindow();
}

AdaptiveUniformGrid3D::Where AdaptiveUniformGrid3D::Locate(const Wml::Vector3<float>& p, float u[3]) const
{
    bool far = false;
    for (int a = 0; a < 3; ++a) {
        if (!std::isfinite(p[a])) return Where::Invalid;
        u[a] = (p[a] - m_origin[a]) * m_inverseVoxelSize;
        far = far || !(std::fabs(u[a]) < GRID_LIMIT);
    }
    return far ? Where::Direct : Where::Grid;
}

const AdaptiveUniformGrid3D::Block* AdaptiveUniformGrid3D::FindBlock(int bi, int bj, int bk) const
{
    const IndexSlot* slot = FindSlot(PackKey(bi, bj, bk));
    return slot ? slot->block.load(std::memory_order_relaxed) : nullptr;
}

AdaptiveUniformGrid3D::Block* AdaptiveUniformGrid3D::GetBlock(int bi, int bj, int bk)
{
    const std::uint64_t key = PackKey(bi, bj, bk);
    if (const IndexSlot* slot = FindSlot(key)) return slot->block.load(std::memory_order_relaxed);
    std::lock_guard<std::mutex> lock(m_mutex);
    // Another thread may have made it since.
    auto it = m_blocks.find(key);
    if (it != m_blocks.end()) return it->second.get();
    auto owned = std::make_unique<Block>(bi, bj, bk);
    Block* block = owned.get();
    m_blocks.emplace(key, std::move(owned));
    // Kept at most half full so that probes stay short.
    IndexTable* table = m_index.load(std::memory_order_relaxed);
    if (!table || 2 * m_blocks.size() > table->mask + 1)
        RebuildIndex(m_blocks.size());
    else
        InsertIntoIndex(*table, key, block);
    const long at = WindowEntry(bi, bj, bk);
    if (at >= 0) m_window[at].store(block->values, std::memory_order_release);
    return block;
}

const AdaptiveUniformGrid3D::GradientRecords* AdaptiveUniformGrid3D::FindRecords(int bi, int bj, int bk) const
{
    const IndexSlot* slot = FindSlot(PackKey(bi, bj, bk));
    return slot ? slot->gradients.load(std::memory_order_acquire) : nullptr;
}

AdaptiveUniformGrid3D::GradientRecords& AdaptiveUniformGrid3D::RecordsOf(Block& block)
{
    if (GradientRecords* g = block.Gradients()) return *g;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (GradientRecords* g = block.Gradients()) return *g;
    auto* records = new GradientRecords();
    block.gradients.store(records, std::memory_order_release);
    const long at = WindowEntry(block.coord[0], block.coord[1], block.coord[2]);
    if (at >= 0) m_recordWindow[at].store(records->records, std::memory_order_release);
    // Older tables keep a null here; a reader of one takes the slow path.
    const std::uint64_t key = PackKey(block.coord[0], block.coord[1], block.coord[2]);
    IndexTable* table = m_index.load(std::memory_order_relaxed);
    for (std::size_t slot = KeyHash()(key) & table->mask;; slot = (slot + 1) & table->mask)
        if (table->slots[slot].key.load(std::memory_order_relaxed) == key) {
            table->slots[slot].gradients.store(records, std::memory_order_release);
            break;
        }
    return *records;
}

float AdaptiveUniformGrid3D::ComputeNode(int i, int j, int k, ScalarField* source) const
{
    if (!source) return 0.0f;
    return Sanitize(source->Value(m_origin.X() + float(i) * m_voxelSize,
                                  m_origin.Y() + float(j) * m_voxelSize,
                                  m_origin.Z() + float(k) * m_voxelSize));
}

float AdaptiveUniformGrid3D::NodeValue(int i, int j, int k, ScalarField* source)
{
    AtomicFloat& slot =
        GetBlock(i >> BLOCK_SHIFT, j >> BLOCK_SHIFT, k >> BLOCK_SHIFT)->values[NodeIndex(i, j, k)];
    const float stored = Load(slot);
    if (!std::isnan(stored)) return stored;
    const float v = ComputeNode(i, j, k, source);
    if (source) Store(slot, v);
    return v;
}

bool AdaptiveUniformGrid3D::DueForFilling(const Anchor& anchor, int missing)
{
    // Filled once the direct answers have cost about what filling costs (the
    // missing samples, at most ASKS_TO_FILL): a coarse lattice, or a bisection homing
    // in on a vertex, asks a cell a few times and never pays for a stencil,
    // while a cell whose neighbours are filled joins them at once.
    Block* block = GetBlock(anchor.i >> BLOCK_SHIFT, anchor.j >> BLOCK_SHIFT, anchor.k >> BLOCK_SHIFT);
    const int index = NodeIndex(anchor.i, anchor.j, anchor.k);
    std::atomic<std::uint8_t>& pair = block->asked[anchor.kind][index >> 1];
    const int shift = (index & 1) * 4;
    const int both = pair.load(std::memory_order_relaxed);
    const int asked = (both >> shift) & 0x0F;
    if (asked + 1 >= std::min(missing, ASKS_TO_FILL)) return true;
    pair.store(std::uint8_t((both & ~(0x0F << shift)) | ((asked + 1) << shift)), std::memory_order_relaxed);
    return false;
}

template <int N>
bool AdaptiveUniformGrid3D::Gather(int i0, int j0, int k0, ScalarField* source, float* out,
                                   const Anchor* anchor)
{
    // A warm stencil is read without a branch per sample; any missing one
    // sends the query to the slow path, which looks the nodes up again.
    int missing = 0;
    const int li = i0 & BLOCK_MASK, lj = j0 & BLOCK_MASK, lk = k0 & BLOCK_MASK;
    if (li <= BLOCK_DIM - N && lj <= BLOCK_DIM - N && lk <= BLOCK_DIM - N) {
        // The usual case: the whole stencil lies in one block.
        const Block* block = GetBlock(i0 >> BLOCK_SHIFT, j0 >> BLOCK_SHIFT, k0 >> BLOCK_SHIFT);
        float* o = out;
        for (int c = 0; c < N; ++c)
            for (int b = 0; b < N; ++b) {
                const int offset = (SPREAD[lj + b] << 1) | (SPREAD[lk + c] << 2);
                for (int a = 0; a < N; ++a) {
                    const float v = Load(block->values[offset | SPREAD[li + a]]);
                    missing += std::isnan(v);
                    *o++ = v;
                }
            }
    } else {
        // Otherwise it spans at most two blocks per axis: look each block up
        // once, then address nodes through the small table.
        const int first[3] = {i0, j0, k0};
        int base[3], span[3], local[3][N], which[3][N];
        for (int a = 0; a < 3; ++a) {
            base[a] = first[a] >> BLOCK_SHIFT;
            for (int n = 0; n < N; ++n) {
                const int index = first[a] + n;
                which[a][n] = (index >> BLOCK_SHIFT) - base[a];
                local[a][n] = SPREAD[index & BLOCK_MASK] << a;
            }
            span[a] = which[a][N - 1];
        }
        const Block* blocks[2][2][2];
        for (int c = 0; c <= span[2]; ++c)
            for (int b = 0; b <= span[1]; ++b)
                for (int a = 0; a <= span[0]; ++a)
                    blocks[c][b][a] = GetBlock(base[0] + a, base[1] + b, base[2] + c);
        float* o = out;
        for (int c = 0; c < N; ++c)
            for (int b = 0; b < N; ++b) {
                const int offset = local[1][b] | local[2][c];
                for (int a = 0; a < N; ++a) {
                    const float v =
                        Load(blocks[which[2][c]][which[1][b]][which[0][a]]->values[offset | local[0][a]]);
                    missing += std::isnan(v);
                    *o++ = v;
                }
            }
    }
    if (!missing) return true;
    if (anchor && !DueForFilling(*anchor, missing)) return false;
    FillMissing<N>(i0, j0, k0, source, out);
    return true;
}

template <int N>
void AdaptiveUniformGrid3D::FillMissing(int i0, int j0, int k0, ScalarField* source, float* out)
{
    for (int c = 0; c < N; ++c)
        for (int b = 0; b < N; ++b)
            for (int a = 0; a < N; ++a, ++out)
                if (std::isnan(*out)) *out = NodeValue(i0 + a, j0 + b, k0 + c, source);
}

bool AdaptiveUniformGrid3D::WarmRecords(int i0, int j0, int k0, float records[8][4]) const
{
    // Every record's address first, then all eight reads: with no calls in
    // between, their cache misses overlap.
    const AtomicFloat* rows[8];
    const int li = i0 & BLOCK_MASK, lj = j0 & BLOCK_MASK, lk = k0 & BLOCK_MASK;
    if (li < BLOCK_MASK && lj < BLOCK_MASK && lk < BLOCK_MASK) {
        const GradientRecords* block = FindRecords(i0 >> BLOCK_SHIFT, j0 >> BLOCK_SHIFT, k0 >> BLOCK_SHIFT);
        if (!block) return false;
        for (int n = 0; n < 8; ++n)
            rows[n] = block->records + 4 * (SPREAD[li + (n & 1)] | (SPREAD[lj + ((n >> 1) & 1)] << 1) |
                                            (SPREAD[lk + (n >> 2)] << 2));
    } else {
        // Across a block face: each block of the stencil is looked up once.
        const int bi = i0 >> BLOCK_SHIFT, bj = j0 >> BLOCK_SHIFT, bk = k0 >> BLOCK_SHIFT;
        const int si = li == BLOCK_MASK, sj = lj == BLOCK_MASK, sk = lk == BLOCK_MASK;
        const GradientRecords* blocks[2][2][2];
        for (int c = 0; c <= sk; ++c)
            for (int b = 0; b <= sj; ++b)
                for (int a = 0; a <= si; ++a)
                    if (!(blocks[c][b][a] = FindRecords(bi + a, bj + b, bk + c))) return false;
        for (int n = 0; n < 8; ++n) {
            const int i = li + (n & 1), j = lj + ((n >> 1) & 1), k = lk + (n >> 2);
            rows[n] = blocks[k >> BLOCK_SHIFT][j >> BLOCK_SHIFT][i >> BLOCK_SHIFT]->records +
                      4 * NodeIndex(i, j, k);
        }
    }
    bool all = true;
    for (int n = 0; n < 8; ++n) {
        // As GradientRecords::Read, without a branch per record.
        records[n][0] = rows[n][0].load(std::memory_order_acquire);
        for (int c = 1; c < 4; ++c) records[n][c] = Load(rows[n][c]);
        all &= !std::isnan(records[n][0]);
    }
    return all;
}

bool AdaptiveUniformGrid3D::GatherRecords(int i0, int j0, int k0, ScalarField* source, float records[8][4],
                                          const Anchor* anchor)
{
    if (WarmRecords(i0, j0, k0, records)) return true;
    if (anchor) {
        // A block of the stencil without node gradients counts as all eight
        // missing; otherwise the records not computed count.
        int absent = 0;
        bool noRecords = false;
        for (int n = 0; n < 8; ++n) {
            const int i = i0 + (n & 1), j = j0 + ((n >> 1) & 1), k = k0 + (n >> 2);
            const GradientRecords* g = FindRecords(i >> BLOCK_SHIFT, j >> BLOCK_SHIFT, k >> BLOCK_SHIFT);
            noRecords |= !g;
            absent += g && std::isnan(g->records[4 * NodeIndex(i, j, k)].load(std::memory_order_acquire));
        }
        if (!DueForFilling(*anchor, noRecords ? 8 : absent)) return false;
    }
    for (int n = 0; n < 8; ++n) {
        const int i = i0 + (n & 1), j = j0 + ((n >> 1) & 1), k = k0 + (n >> 2);
        Block* block = GetBlock(i >> BLOCK_SHIFT, j >> BLOCK_SHIFT, k >> BLOCK_SHIFT);
        const int index = NodeIndex(i, j, k);
        if (const GradientRecords* g = block->Gradients())
            if (g->Read(index, records[n])) continue;
        // Fourth-order differences: the node gradients are then far more
        // accurate than their interpolation, for the same reads per query.
        auto d = [&](int a, int b, int c) {
            return (8.0f * (NodeValue(i + a, j + b, k + c, source) - NodeValue(i - a, j - b, k - c, source)) -
                    (NodeValue(i + 2 * a, j + 2 * b, k + 2 * c, source) -
                     NodeValue(i - 2 * a, j - 2 * b, k - 2 * c, source))) /
                   12.0f;
        };
        records[n][0] = d(1, 0, 0);
        records[n][1] = d(0, 1, 0);
        records[n][2] = d(0, 0, 1);
        records[n][3] = NodeValue(i, j, k, source);
        if (!source) continue;
        // NodeValue may have made blocks and rebuilt the index, never moved one.
        RecordsOf(*block).Write(index, records[n]);
    }
    return true;
}

float AdaptiveUniformGrid3D::DirectValue(const Wml::Vector3<float>& p, ScalarField* source) const
{
    return source ? Sanitize(source->Value(p.X(), p.Y(), p.Z())) : 0.0f;
}

void AdaptiveUniformGrid3D::DirectGradient(const Wml::Vector3<float>& p, ScalarField* source,
                                           Wml::Vector3<float>& gradient, float* value) const
{
    // The source may answer Value only, so differences it is; one voxel apart
    // matches the resolution the grid would have given.
    gradient = Wml::Vector3<float>::ZERO;
    if (value) *value = DirectValue(p, source);
    if (!source) return;
    const float h = m_voxelSize;
    for (int a = 0; a < 3; ++a) {
        Wml::Vector3<float> plus = p, minus = p;
        plus[a] += h;
        minus[a] -= h;
        gradient[a] = (DirectValue(plus, source) - DirectValue(minus, source)) / (plus[a] - minus[a]);
        if (!std::isfinite(gradient[a])) gradient[a] = 0.0f;
    }
}

bool AdaptiveUniformGrid3D::TriLinearValue(const Wml::Vector3<float>& p, ScalarField* source, float& value,
                                           bool mayDefer)
{
    float u[3];
    const Where where = Locate(p, u);
    if (where != Where::Grid) {
        value = where == Where::Direct ? DirectValue(p, source) : 0.0f;
        return true;
    }
    const int i0 = FloorToInt(u[0]), j0 = FloorToInt(u[1]), k0 = FloorToInt(u[2]);
    const float tx = u[0] - float(i0), ty = u[1] - float(j0), tz = u[2] - float(k0);
    float c[8];
    const Anchor anchor{i0, j0, k0, VALUE_CELLS};
    if (!Gather<2>(i0, j0, k0, source, c, mayDefer ? &anchor : nullptr)) return false;
    value = Lerp8(c, tx, ty, tz);
    return true;
}

bool AdaptiveUniformGrid3D::WarmCornersHashed(int i0, int j0, int k0, float c[8]) const
{
    const int li = i0 & BLOCK_MASK, lj = j0 & BLOCK_MASK, lk = k0 & BLOCK_MASK;
    const int bi = i0 >> BLOCK_SHIFT, bj = j0 >> BLOCK_SHIFT, bk = k0 >> BLOCK_SHIFT;
    const int si = li == BLOCK_MASK, sj = lj == BLOCK_MASK, sk = lk == BLOCK_MASK;
    const Block* blocks[2][2][2] = {};
    for (int z = 0; z <= sk; ++z)
        for (int y = 0; y <= sj; ++y)
            for (int x = 0; x <= si; ++x)
                if (!(blocks[z][y][x] = FindBlock(bi + x, bj + y, bk + z))) return false;
    bool all = true;
    for (int n = 0; n < 8; ++n) {
        const int i = li + (n & 1), j = lj + ((n >> 1) & 1), k = lk + (n >> 2);
        c[n] = Load(blocks[k >> BLOCK_SHIFT][j >> BLOCK_SHIFT][i >> BLOCK_SHIFT]->values[NodeIndex(i, j, k)]);
        all &= !std::isnan(c[n]);
    }
    return all;
}

bool AdaptiveUniformGrid3D::TryWarmOutsideWindow(const Wml::Vector3<float>& p, float& value,
                                                 Wml::Vector3<float>* gradient) const
{
    float u[3];
    for (int a = 0; a < 3; ++a) u[a] = (p[a] - m_origin[a]) * m_inverseVoxelSize;
    // A NaN or a far point is left to the full path.
    if (!(std::fabs(u[0]) < GRID_LIMIT && std::fabs(u[1]) < GRID_LIMIT && std::fabs(u[2]) < GRID_LIMIT))
        return false;
    const int i0 = FloorToInt(u[0]), j0 = FloorToInt(u[1]), k0 = FloorToInt(u[2]);
    float c[8];
    if (!WarmCornersHashed(i0, j0, k0, c)) return false;
    const float tx = u[0] - float(i0), ty = u[1] - float(j0), tz = u[2] - float(k0);
    if (!gradient) {
        value = Lerp8(c, tx, ty, tz);
        return true;
    }
    float g[3];
    LerpGradient8(c, tx, ty, tz, g, value);
    const float s = m_inverseVoxelSize;
    *gradient = Wml::Vector3<float>(g[0] * s, g[1] * s, g[2] * s);
    return true;
}

bool AdaptiveUniformGrid3D::TryWarmNodal(const Wml::Vector3<float>& p, Wml::Vector3<float>& gradient,
                                         float* value) const
{
    float u[3];
    for (int a = 0; a < 3; ++a) u[a] = (p[a] - m_origin[a]) * m_inverseVoxelSize;
    if (!(std::fabs(u[0]) < GRID_LIMIT && std::fabs(u[1]) < GRID_LIMIT && std::fabs(u[2]) < GRID_LIMIT))
        return false;
    const int i0 = FloorToInt(u[0]), j0 = FloorToInt(u[1]), k0 = FloorToInt(u[2]);
    float r[8][4];
    const unsigned last = unsigned(m_windowLast);
    const unsigned x = unsigned((i0 >> BLOCK_SHIFT) - m_windowFirst[0]);
    const unsigned y = unsigned((j0 >> BLOCK_SHIFT) - m_windowFirst[1]);
    const unsigned z = unsigned((k0 >> BLOCK_SHIFT) - m_windowFirst[2]);
    if ((x < last) & (y < last) & (z < last)) {
        // As the trilinear warm path, over the node records (4 numbers a node).
        const long dim = m_windowDim;
        const int li = i0 & BLOCK_MASK, lj = j0 & BLOCK_MASK, lk = k0 & BLOCK_MASK;
        const int base = SPREAD[li] | (SPREAD[lj] << 1) | (SPREAD[lk] << 2);
        const int step[3] = {STEP[li], STEP[lj] * 2, STEP[lk] * 4};
        const long jump[3] = {long(li == BLOCK_MASK), long(lj == BLOCK_MASK) * dim,
                              long(lk == BLOCK_MASK) * dim * dim};
        const std::atomic<const AtomicFloat*>* w =
            m_recordWindow.get() + (long(x) + dim * (long(y) + dim * long(z)));
        for (int n = 0; n < 8; ++n) {
            const int a = n & 1, b = (n >> 1) & 1, c = n >> 2;
            const AtomicFloat* block =
                w[a * jump[0] + b * jump[1] + c * jump[2]].load(std::memory_order_acquire);
            const AtomicFloat* record = block + 4 * (base + a * step[0] + b * step[1] + c * step[2]);
            r[n][0] = record[0].load(std::memory_order_acquire);
            for (int ch = 1; ch < 4; ++ch) r[n][ch] = Load(record[ch]);
        }
    } else if (!WarmRecords(i0, j0, k0, r)) {
        return false;
    }
    // A record not computed has a NaN gx, which reaches the first component.
    Wml::Vector3<float> g;
    float v;
    InterpolateRecords(r, u[0] - float(i0), u[1] - float(j0), u[2] - float(k0), g, &v);
    if (std::isnan(g.X())) return false;
    gradient = g;
    if (value) *value = v;
    return true;
}

void AdaptiveUniformGrid3D::InterpolateRecords(const float r[8][4], float tx, float ty, float tz,
                                               Wml::Vector3<float>& gradient, float* value) const
{
    // The same order of operations as the trilinear value, so the value
    // written here is that value exactly.
    float out[4];
    for (int ch = 0; ch < 4; ++ch) {
        const float c[8] = {r[0][ch], r[1][ch], r[2][ch], r[3][ch], r[4][ch], r[5][ch], r[6][ch], r[7][ch]};
        out[ch] = Lerp8(c, tx, ty, tz);
    }
    const float s = m_inverseVoxelSize;
    gradient = Wml::Vector3<float>(out[0] * s, out[1] * s, out[2] * s);
    if (value) *value = out[3];
}

bool AdaptiveUniformGrid3D::AnswerOffGrid(const Wml::Vector3<float>& p, ScalarField* source,
                                          Wml::Vector3<float>& gradient, float* value, float u[3])
{
    const Where where = Locate(p, u);
    if (where == Where::Grid) return false;
    if (where == Where::Direct) {
        DirectGradient(p, source, gradient, value);
    } else {
        gradient = Wml::Vector3<float>::ZERO;
        if (value) *value = 0.0f;
    }
    return true;
}

bool AdaptiveUniformGrid3D::TriLinearGradient(const Wml::Vector3<float>& p, ScalarField* source,
                                              Wml::Vector3<float>& gradient, float* value, bool mayDefer)
{
    float u[3];
    if (AnswerOffGrid(p, source, gradient, value, u)) return true;
    const int i0 = FloorToInt(u[0]), j0 = FloorToInt(u[1]), k0 = FloorToInt(u[2]);
    const float tx = u[0] - float(i0), ty = u[1] - float(j0), tz = u[2] - float(k0);
    float c[8];
    const Anchor anchor{i0, j0, k0, VALUE_CELLS};
    if (!Gather<2>(i0, j0, k0, source, c, mayDefer ? &anchor : nullptr)) return false;
    float g[3], v;
    LerpGradient8(c, tx, ty, tz, g, v);
    const float s = m_inverseVoxelSize;
    gradient = Wml::Vector3<float>(g[0] * s, g[1] * s, g[2] * s);
    if (value) *value = v;
    return true;
}

bool AdaptiveUniformGrid3D::TriQuadraticValue(const Wml::Vector3<float>& p, ScalarField* source, float& value,
                                              bool mayDefer)
{
    float u[3];
    const Where where = Locate(p, u);
    if (where != Where::Grid) {
        value = where == Where::Direct ? DirectValue(p, source) : 0.0f;
        return true;
    }
    const int i = FloorToInt(u[0] + 0.5f), j = FloorToInt(u[1] + 0.5f), k = FloorToInt(u[2] + 0.5f);
    float wx[3], wy[3], wz[3], dw[3];
    QuadraticWeights(u[0] - float(i), wx, dw);
    QuadraticWeights(u[1] - float(j), wy, dw);
    QuadraticWeights(u[2] - float(k), wz, dw);
    float c[27];
    const Anchor anchor{i, j, k, VALUE_CELLS};
    if (!Gather<3>(i - 1, j - 1, k - 1, source, c, mayDefer ? &anchor : nullptr)) return false;
    float result = 0.0f;
    for (int z = 0; z < 3; ++z) {
        float slice = 0.0f;
        for (int y = 0; y < 3; ++y) {
            const float* row = c + 9 * z + 3 * y;
            slice += wy[y] * (wx[0] * row[0] + wx[1] * row[1] + wx[2] * row[2]);
        }
        result += wz[z] * slice;
    }
    value = result;
    return true;
}

bool AdaptiveUniformGrid3D::NodalGradient(const Wml::Vector3<float>& p, ScalarField* source,
                                          Wml::Vector3<float>& gradient, float* value, bool mayDefer)
{
    float u[3];
    if (AnswerOffGrid(p, source, gradient, value, u)) return true;
    const int i0 = FloorToInt(u[0]), j0 = FloorToInt(u[1]), k0 = FloorToInt(u[2]);
    const float tx = u[0] - float(i0), ty = u[1] - float(j0), tz = u[2] - float(k0);
    float r[8][4];
    const Anchor anchor{i0, j0, k0, GRADIENT_CELLS};
    if (!GatherRecords(i0, j0, k0, source, r, mayDefer ? &anchor : nullptr)) return false;
    InterpolateRecords(r, tx, ty, tz, gradient, value);
    return true;
}

float AdaptiveUniformGrid3D::SampleTriLinear(const Wml::Vector3<float>& p, ScalarField* source)
{
    float value = 0.0f;
    TriLinearValue(p, source, value, false);
    return value;
}

float AdaptiveUniformGrid3D::SampleTriQuadratic(const Wml::Vector3<float>& p, ScalarField* source)
{
    float value = 0.0f;
    TriQuadraticValue(p, source, value, false);
    return value;
}

void AdaptiveUniformGrid3D::SampleGradientTriLinear(const Wml::Vector3<float>& p, ScalarField* source,
                                                    Wml::Vector3<float>& gradient, float* value)
{
    TriLinearGradient(p, source, gradient, value, false);
}

void AdaptiveUniformGrid3D::SampleGradientNodal(const Wml::Vector3<float>& p, ScalarField* source,
                                                Wml::Vector3<float>& gradient, float* value)
{
    NodalGradient(p, source, gradient, value, false);
}

bool AdaptiveUniformGrid3D::TrySampleTriLinear(const Wml::Vector3<float>& p, ScalarField* source,
                                               float& value)
{
    return TriLinearValue(p, source, value, true);
}

bool AdaptiveUniformGrid3D::TrySampleTriQuadratic(const Wml::Vector3<float>& p, ScalarField* source,
                                                  float& value)
{
    return TriQuadraticValue(p, source, value, true);
}

bool AdaptiveUniformGrid3D::TrySampleGradientTriLinear(const Wml::Vector3<float>& p, ScalarField* source,
                                                       Wml::Vector3<float>& gradient, float* value)
{
    return TriLinearGradient(p, source, gradient, value, true);
}

bool AdaptiveUniformGrid3D::TrySampleGradientNodal(const Wml::Vector3<float>& p, ScalarField* source,
                                                   Wml::Vector3<float>& gradient, float* value)
{
    return NodalGradient(p, source, gradient, value, true);
}

void AdaptiveUniformGrid3D::SampleGradientTriQuadratic(const Wml::Vector3<float>& p, ScalarField* source,
                                                       Wml::Vector3<float>& gradient, float* value)
{
    float u[3];
    const Where where = Locate(p, u);
    if (where == Where::Invalid) {
        gradient = Wml::Vector3<float>::ZERO;
        if (value) *value = 0.0f;
        return;
    }
    if (where == Where::Direct) return DirectGradient(p, source, gradient, value);
    const int i = FloorToInt(u[0] + 0.5f), j = FloorToInt(u[1] + 0.5f), k = FloorToInt(u[2] + 0.5f);
    float wx[3], wy[3], wz[3], dx[3], dy[3], dz[3];
    QuadraticWeights(u[0] - float(i), wx, dx);
    QuadraticWeights(u[1] - float(j), wy, dy);
    QuadraticWeights(u[2] - float(k), wz, dz);
    float c[27];
    Gather<3>(i - 1, j - 1, k - 1, source, c, nullptr);
    float v = 0.0f, gx = 0.0f, gy = 0.0f, gz = 0.0f;
    for (int z = 0; z < 3; ++z) {
        float sv = 0.0f, sx = 0.0f, sy = 0.0f;
        for (int y = 0; y < 3; ++y) {
            const float* row = c + 9 * z + 3 * y;
            const float rv = wx[0] * row[0] + wx[1] * row[1] + wx[2] * row[2];
            const float rx = dx[0] * row[0] + dx[1] * row[1] + dx[2] * row[2];
            sv += wy[y] * rv;
            sx += wy[y] * rx;
            sy += dy[y] * rv;
        }
        v += wz[z] * sv;
        gx += wz[z] * sx;
        gy += wz[z] * sy;
        gz += dz[z] * sv;
    }
    const float s = m_inverseVoxelSize;
    gradient = Wml::Vector3<float>(gx * s, gy * s, gz * s);
    if (value) *value = v;
}

void AdaptiveUniformGrid3D::CalculateCellAllocationStats(const Wml::AxisAlignedBox3<float>& box,
                                                         std::uint64_t& totalBlocks,
                                                         std::uint64_t& allocatedBlocks,
                                                         std::uint64_t& totalCells,
                                                         std::uint64_t& allocatedCells) const
{
    totalBlocks = allocatedBlocks = totalCells = allocatedCells = 0;
    int lo[3], hi[3];
    if (!NodeRange(box, lo, hi, true)) return;
    totalBlocks = totalCells = 1;
    for (int a = 0; a < 3; ++a) {
        totalBlocks *= std::uint64_t((hi[a] >> BLOCK_SHIFT) - (lo[a] >> BLOCK_SHIFT) + 1);
        totalCells *= std::uint64_t(hi[a] - lo[a] + 1);
    }
    ForEachBlockInRange(lo, hi, [&](const Block& b) {
        std::uint64_t cells = 1;
        for (int a = 0; a < 3; ++a) {
            const int first = b.coord[a] * BLOCK_DIM;
            cells *= std::uint64_t(std::min(hi[a], first + BLOCK_MASK) - std::max(lo[a], first) + 1);
        }
        ++allocatedBlocks;
        allocatedCells += cells;
    });
}

void AdaptiveUniformGrid3D::CalculateCellEvaluationStats(const Wml::AxisAlignedBox3<float>& box,
                                                         std::uint64_t& nodesInBox,
                                                         std::uint64_t& allocatedNodes,
                                                         std::uint64_t& evaluatedNodes) const
{
    std::uint64_t totalBlocks = 0, allocatedBlocks = 0;
    CalculateCellAllocationStats(box, totalBlocks, allocatedBlocks, nodesInBox, allocatedNodes);
    evaluatedNodes = 0;
    int lo[3], hi[3];
    if (!NodeRange(box, lo, hi, true)) return;
    ForEachBlockInRange(lo, hi, [&](const Block& b) {
        int from[3], to[3];
        for (int a = 0; a < 3; ++a) {
            const int first = b.coord[a] * BLOCK_DIM;
            from[a] = std::max(lo[a], first);
            to[a] = std::min(hi[a], first + BLOCK_MASK);
        }
        for (int k = from[2]; k <= to[2]; ++k)
            for (int j = from[1]; j <= to[1]; ++j)
                for (int i = from[0]; i <= to[0]; ++i)
                    if (!std::isnan(Load(b.values[NodeIndex(i, j, k)]))) ++evaluatedNodes;
    });
}

}  // namespace vynimplicit
