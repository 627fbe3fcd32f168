// The implicit-model tree with and without its field caches: a three-level
// tree of 64 leaves (4 blended groups of 4 sum-blended subgroups of 4 balls
// and capsules), evaluated at 100 000 points near its surface, polygonized at
// cell size 0.05, and polygonized again after one leaf moved; its first
// polygonization with cold caches against none at three lattices; and the
// gradient of one cached Ricci blend of 50 balls in each sample mode.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "blobtree/RootNode.h"
#include "blobtree/RootNodeListener.h"
#include "blobtree/cache/FieldCache.h"
#include "blobtree/cache/FieldCacheManager.h"
#include "blobtree/nodes/CylinderNode.h"
#include "blobtree/nodes/PointNode.h"
#include "blobtree/nodes/RicciBlendNode.h"
#include "blobtree/nodes/SumBlendNode.h"
#include "implicit/Falloff.h"
#include "implicit/grid/AdaptiveUniformGrid3D.h"
#include "implicit/mesh/VFTriangleMesh.h"
#include "implicit/operators/MinMaxUnion.h"
#include "implicit/polygonizer/DynamicGG4Polygonizer3D.h"
#include "implicit/polygonizer/GG4CSGPolygonizer3D.h"

using namespace vynbt;
using Vec3 = Wml::Vector3<float>;
using Box = Wml::AxisAlignedBox3<float>;

namespace {

constexpr size_t POINT_COUNT = 100000;
constexpr float CELL_SIZE = 0.05f;
// A cold cell of a cache is answered directly until it has been asked this
// often; "warm" runs ask everything this often before timing.
constexpr int WARM_PASSES = vynimplicit::AdaptiveUniformGrid3D::ASKS_TO_FILL;

/// The tree, its primitives and the evaluation points, built once.
struct BenchTree {
    vynimplicit::MinMaxUnion rootOp;
    RootNode root{&rootOp};
    std::vector<std::unique_ptr<vynimplicit::ScalarField>> fields;
    std::vector<std::unique_ptr<BlobTreeNode>> nodes;
    std::vector<CompositionNode*> groups;
    std::vector<BlobTreeNode*> leaves;
    std::vector<Vec3> points;

    BenchTree()
    {
        std::mt19937 rng(3);
        auto uniform = [&](float a, float b) { return std::uniform_real_distribution<float>(a, b)(rng); };
        auto direction = [&] {
            for (;;) {
                const Vec3 v(uniform(-1, 1), uniform(-1, 1), uniform(-1, 1));
                if (v.Length() > 0.1f && v.Length() <= 1.0f) return v / v.Length();
            }
        };
        for (int g = 0; g < 4; ++g) {
            const Vec3 groupCentre(g % 2 ? 1.2f : -1.2f, g / 2 ? 1.2f : -1.2f, 0.0f);
            auto* ricciOp = Own(fields, std::make_unique<vynimplicit::RicciBlend>(2.0f));
            auto* group = Own(nodes, std::make_unique<RicciBlendNode>(ricciOp));
            root.AddChild(group);
            groups.push_back(group);
            for (int s = 0; s < 4; ++s) {
                const Vec3 subCentre =
                    groupCentre + Vec3(s % 2 ? 0.45f : -0.45f, s / 2 ? 0.45f : -0.45f, 0.0f);
                auto* sumOp = Own(fields, std::make_unique<vynimplicit::SumBlend>());
                auto* sub = Own(nodes, std::make_unique<SumBlendNode>(sumOp));
                group->AddChild(sub);
                groups.push_back(sub);
                for (int l = 0; l < 4; ++l) {
                    const Vec3 centre = subCentre + direction() * 0.18f;
                    BlobTreeNode* leaf;
                    if (l % 2 == 0) {
                        auto* point = Own(fields, std::make_unique<vynimplicit::Point>(centre, 1.0f / 0.5f));
                        leaf = Own(nodes, std::make_unique<PointNode>(point));
                    } else {
                        const Wml::Frame3<float> frame(centre - Vec3(0, 0, 0.2f));
                        auto* capsule =
                            Own(fields, std::make_unique<vynimplicit::Cylinder>(0.12f, 0.4f, frame));
                        leaf = Own(nodes, std::make_unique<CylinderNode>(capsule));
                    }
                    sub->AddChild(leaf);
                    leaves.push_back(leaf);
                }
            }
        }
        // Points near the surface: around the leaves at their surface radius,
        // 15% in or out, where a polygonizer or a picking ray asks.
        points.reserve(POINT_COUNT);
        while (points.size() < POINT_COUNT) {
            BlobTreeNode* leaf = leaves[rng() % leaves.size()];
            Wml::Frame3<float> frame;
            leaf->GetFrame(frame);
            const float reach = leaf->GetType() == BlobTreeNode::NodeType::Point ? 0.5f * 0.454202f : 0.12f;
            const Vec3 base =
                frame.Origin() +
                Vec3(0, 0, leaf->GetType() == BlobTreeNode::NodeType::Point ? 0.0f : uniform(0.0f, 0.4f));
            points.push_back(base + direction() * (reach * uniform(0.85f, 1.15f)));
        }
    }
    ~BenchTree()
    {
        for (CompositionNode* g : groups) g->ClearChildren();
        root.ClearChildren();
        nodes.clear();
    }

    template <class T>
    static T* Own(std::vector<std::unique_ptr<vynimplicit::ScalarField>>& list, std::unique_ptr<T> p)
    {
        T* raw = p.get();
        list.push_back(std::move(p));
        return raw;
    }
    template <class T>
    static T* Own(std::vector<std::unique_ptr<BlobTreeNode>>& list, std::unique_ptr<T> p)
    {
        T* raw = p.get();
        list.push_back(std::move(p));
        return raw;
    }

    void DropCaches()
    {
        for (CompositionNode* g : groups) g->GetCache()->InvalidateAll();
    }
};

BenchTree& Tree()
{
    static BenchTree tree;
    return tree;
}

/// Sets the global caching switch for one benchmark and restores it.
struct CachingScope {
    explicit CachingScope(bool on) { FieldCacheManager::Get()->EnableCaching(on); }
    ~CachingScope() { FieldCacheManager::Get()->EnableCaching(true); }
};

float EvaluateAll(BenchTree& tree)
{
    float sum = 0.0f;
    for (const Vec3& p : tree.points) sum += tree.root.Value(p.X(), p.Y(), p.Z());
    return sum;
}

// Argument: 1 with the caches (warmed before timing), 0 without.
void BM_TreeValue(benchmark::State& state)
{
    BenchTree& tree = Tree();
    CachingScope scope(state.range(0) != 0);
    for (int i = 0; i < WARM_PASSES; ++i) benchmark::DoNotOptimize(EvaluateAll(tree));
    for (auto _ : state) benchmark::DoNotOptimize(EvaluateAll(tree));
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(tree.points.size()));
    double blocks1 = 0, blocks2 = 0;
    for (CompositionNode* g : tree.groups)
        (g->GetParent() == &tree.root ? blocks1 : blocks2) +=
            double(g->GetCache()->GetGrid()->GetAllocatedBlockCount());
    state.counters["blocks1"] = blocks1;
    state.counters["blocks2"] = blocks2;
}
BENCHMARK(BM_TreeValue)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_TreeGradient(benchmark::State& state)
{
    BenchTree& tree = Tree();
    CachingScope scope(state.range(0) != 0);
    auto pass = [&] {
        float sum = 0.0f;
        for (const Vec3& p : tree.points) {
            float gx, gy, gz, v;
            tree.root.Gradient(p.X(), p.Y(), p.Z(), gx, gy, gz, &v);
            sum += gx + v;
        }
        return sum;
    };
    for (int i = 0; i < WARM_PASSES; ++i) benchmark::DoNotOptimize(pass());
    for (auto _ : state) benchmark::DoNotOptimize(pass());
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(tree.points.size()));
}
BENCHMARK(BM_TreeGradient)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

/// Points poly at the tree's root and mesh, on a lattice of the given cell
/// size over the root's bounds.
void AttachPolygonizer(vynimplicit::GG4CSGPolygonizer3D& poly, vynmesh::VFTriangleMesh& mesh, BenchTree& tree,
                       float cellSize)
{
    poly.SetScalarField(&tree.root);
    poly.SetOutputMesh(&mesh);
    Box bounds;
    tree.root.FieldBounds(bounds);
    poly.SetCellSize(bounds, cellSize);
}

// Argument: 0 without caches; 1 with warm caches (kept between runs); 2 with
// caches emptied before every run (the first polygonization of a new tree).
void BM_TreePolygonize(benchmark::State& state)
{
    BenchTree& tree = Tree();
    CachingScope scope(state.range(0) != 0);
    vynmesh::VFTriangleMesh mesh;
    vynimplicit::GG4CSGPolygonizer3D poly;
    AttachPolygonizer(poly, mesh, tree, CELL_SIZE);
    for (int i = 0; i < WARM_PASSES; ++i) poly.Polygonize();
    for (auto _ : state) {
        if (state.range(0) == 2) {
            state.PauseTiming();
            tree.DropCaches();
            state.ResumeTiming();
        }
        poly.Polygonize();
        benchmark::DoNotOptimize(mesh.GetNumTriangles());
    }
    state.counters["triangles"] = double(mesh.GetNumTriangles());
    state.counters["evaluations"] = double(poly.GetNumFieldEvaluations());
}
BENCHMARK(BM_TreePolygonize)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// One leaf moves back and forth (reported up the tree, so only its region is
// dropped from the caches); each iteration is a full polygonization after it.
// Argument: 1 with caches, 0 without.
void BM_TreePolygonizeAfterLeafEdit(benchmark::State& state)
{
    BenchTree& tree = Tree();
    CachingScope scope(state.range(0) != 0);
    vynmesh::VFTriangleMesh mesh;
    vynimplicit::GG4CSGPolygonizer3D poly;
    AttachPolygonizer(poly, mesh, tree, CELL_SIZE);
    for (int i = 0; i < WARM_PASSES; ++i) poly.Polygonize();
    BlobTreeNode* leaf = tree.leaves[21];
    bool away = false;
    for (auto _ : state) {
        leaf->Translate(away ? Vec3(-0.05f, -0.04f, 0.06f) : Vec3(0.05f, 0.04f, -0.06f), true);
        away = !away;
        poly.Polygonize();
        benchmark::DoNotOptimize(mesh.GetNumTriangles());
    }
    if (away) leaf->Translate(Vec3(-0.05f, -0.04f, 0.06f), true);
    state.counters["triangles"] = double(mesh.GetNumTriangles());
}
BENCHMARK(BM_TreePolygonizeAfterLeafEdit)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

/// Collects the regions the root reports, as the surface subsystem does.
class RegionListener : public RootNodeListener {
public:
    void OnChildModified(BlobTreeNode*, const Box& region) override { dirty.Merge(region); }
    Box dirty;
};

// The interactive path: one leaf moves and the incremental polygonizer redoes
// only the reported region. Argument: 1 with caches, 0 without.
void BM_TreeUpdateAfterLeafEdit(benchmark::State& state)
{
    BenchTree& tree = Tree();
    CachingScope scope(state.range(0) != 0);
    RegionListener listener;
    tree.root.AddListener(&listener);
    vynmesh::VFTriangleMesh mesh;
    vynimplicit::DynamicGG4Polygonizer3D poly;
    poly.SetScalarField(&tree.root);
    poly.SetOutputMesh(&mesh);
    poly.SetCellSize(CELL_SIZE);
    for (int i = 0; i < WARM_PASSES; ++i) poly.Polygonize(true);
    BlobTreeNode* leaf = tree.leaves[21];
    bool away = false;
    for (auto _ : state) {
        listener.dirty.MakeEmpty();
        leaf->Translate(away ? Vec3(-0.05f, -0.04f, 0.06f) : Vec3(0.05f, 0.04f, -0.06f), true);
        away = !away;
        Box bounds;
        tree.root.FieldBounds(bounds);
        poly.UpdatePolygonize(listener.dirty, bounds);
        benchmark::DoNotOptimize(mesh.GetNumTriangles());
    }
    if (away) leaf->Translate(Vec3(-0.05f, -0.04f, 0.06f), true);
    tree.root.RemoveListener(&listener);
    state.counters["triangles"] = double(mesh.GetNumTriangles());
    state.counters["evaluations"] = double(poly.GetNumFieldEvaluations());
}
BENCHMARK(BM_TreeUpdateAfterLeafEdit)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The first polygonization of a tree whose caches are empty, against the same
// polygonization without caches, on a lattice of n cells along the longest
// side. Arguments: n, then 0 without caches or 1 with caches emptied before
// every run.
void BM_TreePolygonizeCold(benchmark::State& state)
{
    BenchTree& tree = Tree();
    const bool cached = state.range(1) != 0;
    CachingScope scope(cached);
    Box bounds;
    tree.root.FieldBounds(bounds);
    float longest = 0.0f;
    for (int a = 0; a < 3; ++a) longest = std::max(longest, bounds.Max(a) - bounds.Min(a));
    vynmesh::VFTriangleMesh mesh;
    vynimplicit::GG4CSGPolygonizer3D poly;
    AttachPolygonizer(poly, mesh, tree, longest / float(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        tree.DropCaches();
        state.ResumeTiming();
        poly.Polygonize();
        benchmark::DoNotOptimize(mesh.GetNumTriangles());
    }
    state.counters["triangles"] = double(mesh.GetNumTriangles());
    state.counters["evaluations"] = double(poly.GetNumFieldEvaluations());
}
BENCHMARK(BM_TreePolygonizeCold)
    ->Args({32, 0})
    ->Args({32, 1})
    ->Args({64, 0})
    ->Args({64, 1})
    ->Args({128, 0})
    ->Args({128, 1})
    ->Unit(benchmark::kMillisecond);

/// root -> one Ricci blend of 50 balls (cached: it has a parent), and points
/// near its surface where polygonizers and picking ask for normals.
struct RicciTree {
    vynimplicit::MinMaxUnion rootOp;
    RootNode root{&rootOp};
    vynimplicit::RicciBlend blendOp{2.0f};
    RicciBlendNode blend{&blendOp};
    std::vector<std::unique_ptr<vynimplicit::Point>> points;
    std::vector<std::unique_ptr<PointNode>> leaves;
    std::vector<Vec3> queries;
    // The same points in the order of the blocks they fall in, as a walk over
    // a mesh or a lattice asks them.
    std::vector<Vec3> coherent;

    RicciTree()
    {
        std::mt19937 rng(5);
        std::uniform_real_distribution<float> position(-2.0f, 2.0f), radius(0.6f, 1.0f);
        root.AddChild(&blend);
        for (int i = 0; i < 50; ++i) {
            points.push_back(std::make_unique<vynimplicit::Point>(
                Vec3(position(rng), position(rng), position(rng)), 1.0f / radius(rng)));
            leaves.push_back(std::make_unique<PointNode>(points.back().get()));
            blend.AddChild(leaves.back().get());
        }
        Box box;
        blend.FieldBounds(box);
        while (queries.size() < 8192) {
            Vec3 p;
            for (int a = 0; a < 3; ++a)
                p[a] = std::uniform_real_distribution<float>(box.Min(a), box.Max(a))(rng);
            const float v = blendOp.Value(p.X(), p.Y(), p.Z());
            if (v > 0.3f && v < 0.7f) queries.push_back(p);
        }
        coherent = queries;
        auto cell = [&](const Vec3& p) {
            auto c = [&](int a) { return int((p[a] - box.Min(a)) / 0.4f); };
            return std::make_tuple(c(2), c(1), c(0), p.X());
        };
        std::sort(coherent.begin(), coherent.end(),
                  [&](const Vec3& a, const Vec3& b) { return cell(a) < cell(b); });
    }
    ~RicciTree()
    {
        blend.ClearChildren();
        root.ClearChildren();
    }
};

RicciTree& Ricci()
{
    static RicciTree tree;
    return tree;
}

// Runs pass over the queries until the caches are warm, then times it.
template <class Pass>
void TimeWarmPasses(benchmark::State& state, size_t queries, Pass pass)
{
    // Warm: every cell asked until filled before timing.
    for (int i = 0; i < WARM_PASSES; ++i) benchmark::DoNotOptimize(pass());
    for (auto _ : state) benchmark::DoNotOptimize(pass());
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(queries));
}

// Values of the 50-ball blend at the same points. Arguments: 0 direct
// (caching off), 1 from a warm trilinear cache (the default value mode); then
// 0 for the points in random order, 1 for them in block order.
void BM_RicciValue(benchmark::State& state)
{
    RicciTree& tree = Ricci();
    const std::vector<Vec3>& queries = state.range(1) ? tree.coherent : tree.queries;
    CachingScope scope(state.range(0) != 0);
    FieldCache* cache = tree.blend.GetCache();
    const FieldCache::SampleMode before = cache->GetValueSampleMode();
    cache->SetValueSampleMode(FieldCache::TriLinear);
    auto pass = [&] {
        float sum = 0.0f;
        for (const Vec3& p : queries) sum += tree.blend.Value(p.X(), p.Y(), p.Z());
        return sum;
    };
    TimeWarmPasses(state, queries.size(), pass);
    cache->SetValueSampleMode(before);
    state.SetLabel(std::string(state.range(0) == 0 ? "direct" : "trilinear") +
                   (state.range(1) ? ", block order" : ", random order"));
}
BENCHMARK(BM_RicciValue)->ArgsProduct({{0, 1}, {0, 1}});

// Gradients of the 50-ball blend at points near its surface. Arguments: 0
// direct (caching off), 1 from a warm trilinear cache, 2 from a warm smooth
// cache (the default gradient mode); then 0 for the points in random order,
// 1 for them in block order.
void BM_RicciGradient(benchmark::State& state)
{
    RicciTree& tree = Ricci();
    const std::vector<Vec3>& queries = state.range(1) ? tree.coherent : tree.queries;
    CachingScope scope(state.range(0) != 0);
    FieldCache* cache = tree.blend.GetCache();
    const FieldCache::SampleMode before = cache->GetGradientSampleMode();
    cache->SetGradientSampleMode(state.range(0) == 1 ? FieldCache::TriLinear : FieldCache::TriQuadratic);
    auto pass = [&] {
        float sum = 0.0f;
        for (const Vec3& p : queries) {
            float gx, gy, gz, v;
            tree.blend.Gradient(p.X(), p.Y(), p.Z(), gx, gy, gz, &v);
            sum += gx + gy + gz + v;
        }
        return sum;
    };
    TimeWarmPasses(state, queries.size(), pass);
    cache->SetGradientSampleMode(before);
    state.SetLabel(std::string(state.range(0) == 0   ? "direct"
                               : state.range(0) == 1 ? "trilinear"
                                                     : "smooth") +
                   (state.range(1) ? ", block order" : ", random order"));
}
BENCHMARK(BM_RicciGradient)->ArgsProduct({{0, 1, 2}, {0, 1}});

}  // namespace
