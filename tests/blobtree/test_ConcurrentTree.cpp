// A whole tree, with caching switched off, answers Value, Gradient and Color
// from several threads at once exactly as it does from one, starting right
// after its leaves were edited.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <vector>

#include "NodeTestSupport.h"
#include "blobtree/RootNode.h"
#include "blobtree/nodes/AllNodes.h"
#include "implicit/grid/AdaptiveUniformGrid3D.h"
#include "implicit/mesh/TriangleMesh.h"
#include "implicit/operators/HollowOperator.h"
#include "implicit/operators/MinMaxDifference.h"
#include "implicit/operators/MinMaxUnion.h"
#include "implicit/operators/MirrorOperator.h"
#include "implicit/operators/RicciBlend.h"
#include "implicit/operators/SumBlend.h"
#include "implicit/polygonizer/GG4CSGPolygonizer3D.h"
#include "implicit/primitives/Cylinder.h"
#include "implicit/primitives/FastQuadricPointSet.h"
#include "implicit/primitives/Point.h"
#include "implicit/primitives/PolyLinePrimitive.h"
#include "implicit/sweeps/DiscreteLinearSweep.h"
#include "implicit/sweeps/DiscreteRevolution.h"
#include "implicit/warps/BarrWarp.h"
#include "implicit/warps/VariationalWarp.h"
#include "tests/implicit/ConcurrentEvaluation.h"

using namespace vynbt;
using namespace nodetest;

namespace {

/// root -> { sum(tube, ball), hollow(point set), warp(blobby sweep),
///           mirror(revolution), twist(cylinder) - ball }, every field owned
/// here. The tube and the point set are edited after the tree is put
/// together, so their lazily built state is stale.
struct Tree {
    vynimplicit::PolyLinePrimitive line;
    vynimplicit::Point ball{Vec3(0.5f, 0.2f, 0.0f), 0.7f};
    vynimplicit::FastQuadricPointSet points;
    FormulaDisc disc{0.3f};
    vynimplicit::DiscreteLinearSweep sweep{&disc, Frame(Vec3(0.0f, 1.2f, 0.0f)), 0.4f};
    FormulaDisc ring{0.15f, 0.4f, 0.0f};
    vynimplicit::DiscreteRevolution revolution{&ring, Frame(Vec3(-1.2f, 0.0f, 0.3f))};
    vynimplicit::Cylinder cylinder{0.2f, 0.9f, Frame(Vec3(0.0f, -1.2f, 0.0f))};
    vynimplicit::Point notch{Vec3(0.0f, -1.2f, 0.45f), 0.5f};

    vynimplicit::SumBlend sum;
    vynimplicit::HollowOperator hollow{0.08f};
    vynimplicit::VariationalWarp warp;
    vynimplicit::MirrorOperator mirror;
    vynimplicit::BarrWarp twist{vynimplicit::BarrWarp::TWIST};
    vynimplicit::MinMaxDifference difference;
    vynimplicit::MinMaxUnion unionOp;

    PolyLineNode lineNode{&line};
    PointNode ballNode{&ball};
    FastQuadricPointSetNode pointsNode{&points};
    CappedLinearSweepNode sweepNode{&sweep};
    RevolutionNode revolutionNode{&revolution};
    CylinderNode cylinderNode{&cylinder};
    PointNode notchNode{&notch};
    SumBlendNode sumNode{&sum};
    HollowNode hollowNode{&hollow};
    VariationalWarpNode warpNode{&warp};
    MirrorNode mirrorNode{&mirror};
    BarrWarpNode twistNode{&twist};
    MinMaxDifferenceNode differenceNode{&difference};
    RootNode root{&unionOp};

    explicit Tree(bool cuttingPlane)
    {
        for (int i = 0; i < 10; ++i)
            line.AppendVertex(Vec3(-0.6f + 0.12f * float(i), 0.2f * std::sin(0.8f * float(i)), 0.0f));
        line.SetRadius(0.12f);
        const float golden = 3.14159265f * (3.0f - std::sqrt(5.0f));
        for (int i = 0; i < 120; ++i) {
            const float y = 1.0f - 2.0f * (float(i) + 0.5f) / 120.0f;
            const float r = std::sqrt(1.0f - y * y);
            const Vec3 n(r * std::cos(golden * float(i)), y, r * std::sin(golden * float(i)));
            points.AddPoint(Vec3(1.3f, 0.0f, 0.0f) + n * 0.4f, n);
        }
        sweep.SetCapStyle(vynimplicit::CapStyle::Blobby);
        sweep.ComputeEndcapParams();
        vynimplicit::WarpPointSet targets;
        for (int k = 0; k < 2; ++k)
            for (int j = 0; j < 2; ++j)
                for (int i = 0; i < 2; ++i) {
                    const Vec3 p(-0.3f + 0.6f * float(i), 0.9f + 0.6f * float(j), -0.3f + 0.6f * float(k));
                    targets.AddPoint(p, i == 1 && j == 1 ? p + Vec3(0.1f, 0.1f, 0.0f) : p);
                }
        warp.SetWarpCenter(Vec3(0.0f, 1.2f, 0.0f));
        warp.SetWarpRadius(0.9f);
        warp.SetWarpPointSet(targets);
        mirror.SetFrame(Frame(Vec3(-1.2f, 0.0f, 0.3f)));
        twist.SetFrame(Frame(Vec3(0.0f, -1.2f, 0.0f)));
        twist.SetTwistRate(2.0f);

        sumNode.AddChild(&lineNode);
        sumNode.AddChild(&ballNode);
        hollowNode.AddChild(&pointsNode);
        warpNode.AddChild(&sweepNode);
        mirrorNode.AddChild(&revolutionNode);
        twistNode.AddChild(&cylinderNode);
        differenceNode.AddChild(&twistNode);
        differenceNode.AddChild(&notchNode);
        for (CompositionNode* group : std::initializer_list<CompositionNode*>{
                 &sumNode, &hollowNode, &warpNode, &mirrorNode, &differenceNode})
            root.AddChild(group);
        if (cuttingPlane) {
            Frame plane(Vec3(0.0f, 0.0f, 0.05f));
            root.SetCuttingPlane(plane);
            root.EnableCuttingPlane(true);
        }

        // Edits that leave the leaves' evaluation structures to be rebuilt.
        line.AppendVertex(Vec3(0.6f, 0.3f, 0.1f));
        points.AddPoint(Vec3(1.3f, 0.4f, 0.0f), Vec3(0.0f, 1.0f, 0.0f));
    }
    ~Tree()
    {
        for (CompositionNode* group : std::initializer_list<CompositionNode*>{
                 &sumNode, &hollowNode, &warpNode, &mirrorNode, &twistNode, &differenceNode, &root})
            group->ClearChildren();
    }
};

struct Case {
    const char* name;
    bool cuttingPlane;
};

}  // namespace

TEST(ConcurrentTree, UncachedTreeAnswersFromSeveralThreadsAsFromOne)
{
    CachingSwitchGuard guard;
    FieldCacheManager::Get()->EnableCaching(false);
    const unsigned threads = 4;
    for (const Case& c : {Case{"plain root", false}, Case{"root with a cutting plane", true}}) {
        SCOPED_TRACE(c.name);
        Tree reference(c.cuttingPlane);
        Box box = BoundsOf(reference.root);
        ASSERT_FALSE(box.IsEmpty());
        const std::vector<Vec3> probes = concurrent::ProbePoints(box, 3000);
        const std::vector<concurrent::Answer> expected = concurrent::AskAll(reference.root, probes);
        size_t inside = 0;
        for (const concurrent::Answer& a : expected) inside += a.value > 0.5f;
        EXPECT_GT(inside, 30u) << "the probes miss the shapes";

        Tree shared(c.cuttingPlane);
        const auto answers = concurrent::AskConcurrently(shared.root, probes, threads);
        for (unsigned t = 0; t < threads; ++t) {
            std::string first;
            EXPECT_EQ(concurrent::CountDifferences(expected, answers[t], probes, first), 0u)
                << "thread " << t << ", first " << first;
        }
    }
}

namespace {

/// Every undirected edge of a closed 2-manifold is shared by two triangles.
bool ClosedManifold(const vynmesh::TriangleMesh& mesh)
{
    std::map<std::pair<unsigned, unsigned>, int> uses;
    for (unsigned t = 0; t < mesh.GetNumTriangles(); ++t) {
        unsigned v[3];
        mesh.GetTriangle(t, v);
        for (int c = 0; c < 3; ++c) ++uses[std::minmax(v[c], v[(c + 1) % 3])];
    }
    for (const auto& use : uses)
        if (use.second != 2) return false;
    return !uses.empty();
}

}  // namespace

// Polygonizing over the cores reads the caches from several threads while
// they fill. Cold, the mesh is whole; once every cell asked has been filled
// the answers no longer depend on who asked first, and the mesh is the very
// one a single thread makes.
TEST(ConcurrentTree, CachedTreePolygonizedOverThreads)
{
    CachingSwitchGuard guard;
    FieldCacheManager::Get()->EnableCaching(true);
    vynimplicit::MinMaxUnion rootOp;
    RootNode root(&rootOp);
    vynimplicit::SumBlend sumOp;
    SumBlendNode sum(&sumOp);
    root.AddChild(&sum);
    std::vector<std::unique_ptr<vynimplicit::RicciBlend>> blendOps;
    std::vector<std::unique_ptr<RicciBlendNode>> blends;
    std::vector<std::unique_ptr<vynimplicit::Point>> balls;
    std::vector<std::unique_ptr<PointNode>> leaves;
    std::mt19937 rng(9);
    std::uniform_real_distribution<float> position(-1.2f, 1.2f), size(1.2f, 1.8f);
    for (int g = 0; g < 2; ++g) {
        blendOps.push_back(std::make_unique<vynimplicit::RicciBlend>(2.0f));
        blends.push_back(std::make_unique<RicciBlendNode>(blendOps.back().get()));
        sum.AddChild(blends.back().get());
        for (int b = 0; b < 15; ++b) {
            balls.push_back(std::make_unique<vynimplicit::Point>(
                Vec3(position(rng) + (g ? 0.8f : -0.8f), position(rng), position(rng)), size(rng)));
            leaves.push_back(std::make_unique<PointNode>(balls.back().get()));
            blends.back()->AddChild(leaves.back().get());
        }
    }
    auto run = [&](unsigned threads, vynmesh::TriangleMesh& mesh) {
        vynimplicit::GG4CSGPolygonizer3D poly;
        poly.SetScalarField(&root);
        poly.SetOutputMesh(&mesh);
        poly.SetGridCells(40);
        poly.SetThreadCount(threads);
        EXPECT_TRUE(poly.Polygonize());
    };
    vynmesh::TriangleMesh cold;
    run(0, cold);
    EXPECT_GT(cold.GetNumTriangles(), 2000u);
    EXPECT_TRUE(ClosedManifold(cold));
    for (int pass = 0; pass < vynimplicit::AdaptiveUniformGrid3D::ASKS_TO_FILL; ++pass) run(0, cold);
    vynmesh::TriangleMesh one, many;
    run(1, one);
    run(0, many);
    ASSERT_EQ(one.GetNumVertices(), many.GetNumVertices());
    ASSERT_EQ(one.GetNumTriangles(), many.GetNumTriangles());
    EXPECT_TRUE(one.GetPositions() == many.GetPositions());
    EXPECT_TRUE(one.GetNormals() == many.GetNormals());
    EXPECT_TRUE(one.GetIndices() == many.GetIndices());
    EXPECT_TRUE(ClosedManifold(many));
    for (auto& blend : blends) blend->ClearChildren();
    sum.ClearChildren();
    root.ClearChildren();
}
