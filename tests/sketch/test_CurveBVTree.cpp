// The curve bounding-volume tree: structure, agreement with a scan of every
// edge, the distance limit, degenerate and hostile input.

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "sketch/BVTreeNode.h"
#include "sketch/CurveBVTree.h"
#include "tests/support/PolyLineShapes.h"
#include "wml/Distance.h"
#include "wml/Segment2.h"

using namespace geometry_test;
using vynsketch::BVTreeNode;
using vynsketch::CurveBVTree;

namespace {

// The reference: every edge, first of equal distances wins.
float ScanDistanceSqr(const PolyLine& line, const V2& p, unsigned& edge)
{
    float best = FLT_MAX;
    edge = 0;
    for (unsigned e = 0; e < line.GetNumEdges(); ++e) {
        const PolyLine::Edge& ed = line.GetEdge(e);
        const float d = Wml::SqrDistance(
            p, Wml::Segment2<float>::FromEndPoints(line.GetVertex(ed.v1), line.GetVertex(ed.v2)));
        if (d < best) {
            best = d;
            edge = e;
        }
    }
    return best;
}

// Walks the tree: every leaf's edges, and the largest leaf.
void CollectLeaves(BVTreeNode* node, std::vector<unsigned>& edges, size_t& largest, unsigned& leaves)
{
    if (!node) return;
    if (node->IsLeaf()) {
        EXPECT_EQ(node->GetBox(), nullptr);
        EXPECT_EQ(node->GetLeft(), nullptr);
        ++leaves;
        largest = std::max(largest, node->GetEdges()->size());
        edges.insert(edges.end(), node->GetEdges()->begin(), node->GetEdges()->end());
        return;
    }
    EXPECT_NE(node->GetBox(), nullptr);
    CollectLeaves(node->GetLeft(), edges, largest, leaves);
    CollectLeaves(node->GetRight(), edges, largest, leaves);
}

void ExpectAgreesWithScan(PolyLine& line, unsigned queries, float lo, float hi, unsigned seed)
{
    CurveBVTree tree;
    ASSERT_TRUE(tree.Create(&line));
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> coord(lo, hi);
    for (unsigned q = 0; q < queries; ++q) {
        const V2 p(coord(random), coord(random));
        unsigned edge;
        const float expected = ScanDistanceSqr(line, p, edge);
        V2 nearest(1e9f, 1e9f);
        const float d = tree.DistanceSqr(p, &nearest, FLT_MAX);
        ASSERT_NEAR(d, expected, 1e-5f * (1.0f + expected)) << "query " << q;
        // The nearest point is on the curve at that distance.
        EXPECT_NEAR((nearest - p).SquaredLength(), d, 1e-4f * (1.0f + d));
        unsigned unused;
        EXPECT_LT(ScanDistanceSqr(line, nearest, unused), 1e-6f * (1.0f + d));
    }
}

}  // namespace

TEST(CurveBVTree, EmptyTreeAnswersFloatMax)
{
    CurveBVTree tree;
    V2 nearest(7, 7);
    EXPECT_TRUE(tree.IsEmpty());
    EXPECT_EQ(tree.DistanceSqr(V2(0, 0), &nearest, 5.0f), FLT_MAX);
    EXPECT_EQ(nearest, V2(7, 7));

    EXPECT_FALSE(tree.Create(nullptr));
    PolyLine vertices;
    vertices.AddVertex(V2(0, 0));
    vertices.AddVertex(V2(1, 0));
    EXPECT_FALSE(tree.Create(&vertices));
    vertices.AddEdge(PolyLine::Edge(0, 9));  // names a missing vertex
    EXPECT_FALSE(tree.Create(&vertices));
    EXPECT_EQ(tree.DistanceSqr(V2(0, 0), &nearest), FLT_MAX);
    tree.DrawGL(10, false);  // nothing to draw; must not touch GL
}

TEST(CurveBVTree, SmallPolylinesGetLeavesUnderTheRoot)
{
    PolyLine single;
    single.AddVertex(V2(0, 0));
    single.AddVertex(V2(4, 0));
    single.AddEdge(PolyLine::Edge(0, 1));
    CurveBVTree tree;
    ASSERT_TRUE(tree.Create(&single));
    BVTreeNode* root = tree.GetRoot();
    ASSERT_NE(root, nullptr);
    ASSERT_FALSE(root->IsLeaf());
    EXPECT_TRUE((root->GetLeft() == nullptr) != (root->GetRight() == nullptr));
    BVTreeNode* leaf = root->GetLeft() ? root->GetLeft() : root->GetRight();
    ASSERT_TRUE(leaf->IsLeaf());
    EXPECT_EQ(*leaf->GetEdges(), std::vector<unsigned>{0});

    // On an edge: distance 0, the point itself nearest.
    V2 nearest;
    EXPECT_EQ(tree.DistanceSqr(V2(1, 0), &nearest), 0.0f);
    EXPECT_EQ(nearest, V2(1, 0));
    EXPECT_FLOAT_EQ(tree.DistanceSqr(V2(6, 0), &nearest), 4.0f);
    EXPECT_EQ(nearest, V2(4, 0));

    // Five edges: only leaves below the root.
    PolyLine pentagon = Loop(Circle(5, 0, 0, 1));
    ASSERT_TRUE(tree.Create(&pentagon));
    for (BVTreeNode* child : {tree.GetRoot()->GetLeft(), tree.GetRoot()->GetRight()})
        EXPECT_TRUE(!child || child->IsLeaf());
}

TEST(CurveBVTree, EveryEdgeInExactlyOneSmallLeaf)
{
    PolyLine line = Loop(Radial(1000, 0, 0, [](double a) { return 50.0 + 20.0 * std::sin(7.0 * a); }));
    CurveBVTree tree;
    ASSERT_TRUE(tree.Create(&line));
    EXPECT_EQ(tree.GetLeafSize(), 5u);
    std::vector<unsigned> edges;
    size_t largest = 0;
    unsigned leaves = 0;
    CollectLeaves(tree.GetRoot(), edges, largest, leaves);
    std::sort(edges.begin(), edges.end());
    ASSERT_EQ(edges.size(), 1000u);
    for (unsigned i = 0; i < 1000; ++i) ASSERT_EQ(edges[i], i);
    EXPECT_LE(largest, 5u);
    EXPECT_GE(leaves, 200u);
}

TEST(CurveBVTree, AgreesWithALinearScan)
{
    // One wiggly loop, queried inside, on and far outside.
    PolyLine wiggle = Loop(Radial(
        700, 0, 0, [](double a) { return 30.0 + 8.0 * std::sin(11.0 * a) + 3.0 * std::cos(5.0 * a); }));
    ExpectAgreesWithScan(wiggle, 3000, -60.0f, 60.0f, 1);

    // Several loops and random open segments: the tree needs no connectivity.
    PolyLine loose;
    AddLoop(loose, Circle(40, 0, 0, 10));
    AddLoop(loose, Circle(25, 30, 5, 4));
    std::mt19937 random(9);
    std::uniform_real_distribution<float> coord(-20.0f, 40.0f);
    for (int i = 0; i < 300; ++i) {
        const unsigned a = loose.AddVertex(V2(coord(random), coord(random)));
        const unsigned b =
            loose.AddVertex(loose.GetVertex(a) + V2(coord(random) * 0.05f, coord(random) * 0.05f));
        loose.AddEdge(PolyLine::Edge(a, b));
    }
    ExpectAgreesWithScan(loose, 3000, -50.0f, 70.0f, 2);
}

TEST(CurveBVTree, DistanceLimit)
{
    PolyLine square = Loop(Square(0, 0, 10));
    CurveBVTree tree;
    ASSERT_TRUE(tree.Create(&square));

    // Closer than the limit: the limit does not matter.
    V2 nearest;
    EXPECT_FLOAT_EQ(tree.DistanceSqr(V2(5, 12), &nearest, 100.0f), 4.0f);
    EXPECT_EQ(nearest, V2(5, 10));

    // Nothing closer than the limit: the limit comes back and the nearest
    // point is taken on edge 0, (0,0)-(10,0).
    EXPECT_EQ(tree.DistanceSqr(V2(5, 12), &nearest, 1.0f), 1.0f);
    EXPECT_EQ(nearest, V2(5, 0));
    EXPECT_EQ(tree.DistanceSqr(V2(-3, 30), &nearest, 2.5f), 2.5f);
    EXPECT_EQ(nearest, V2(0, 0));

    // Random queries against the scan with random limits.
    std::mt19937 random(5);
    std::uniform_real_distribution<float> coord(-10.0f, 20.0f), limit(0.0f, 50.0f);
    for (int q = 0; q < 2000; ++q) {
        const V2 p(coord(random), coord(random));
        const float m = limit(random);
        unsigned edge;
        const float expected = std::min(ScanDistanceSqr(square, p, edge), m);
        ASSERT_NEAR(tree.DistanceSqr(p, nullptr, m), expected, 1e-5f * (1.0f + expected));
    }

    // Limits above FLT_MAX or NaN mean no limit.
    EXPECT_FLOAT_EQ(tree.DistanceSqr(V2(5, 12), nullptr, std::numeric_limits<float>::infinity()), 4.0f);
    EXPECT_FLOAT_EQ(tree.DistanceSqr(V2(5, 12), nullptr, std::numeric_limits<float>::quiet_NaN()), 4.0f);
}

TEST(CurveBVTree, CoincidentEdgesEndInALeaf)
{
    // Sixty copies of one edge: no split can separate them.
    PolyLine same;
    same.AddVertex(V2(0, 0));
    same.AddVertex(V2(3, 4));
    for (int i = 0; i < 60; ++i) same.AddEdge(PolyLine::Edge(i % 2, 1 - i % 2));
    CurveBVTree tree;
    ASSERT_TRUE(tree.Create(&same));
    std::vector<unsigned> edges;
    size_t largest = 0;
    unsigned leaves = 0;
    CollectLeaves(tree.GetRoot(), edges, largest, leaves);
    EXPECT_EQ(edges.size(), 60u);
    V2 nearest;
    EXPECT_FLOAT_EQ(tree.DistanceSqr(V2(3, 0), &nearest), 5.76f);
    EXPECT_NEAR(nearest.X(), 1.08f, 1e-5);

    // A star of long edges all crossing the centre, plus a cluster of
    // coincident points next to a normal loop.
    PolyLine star = Loop(Circle(30, 0, 0, 5));
    for (int i = 0; i < 40; ++i) {
        const double a = i * 0.0785;
        const unsigned v = star.AddVertex(V2(float(20 * std::cos(a)), float(20 * std::sin(a))));
        const unsigned w = star.AddVertex(V2(float(-20 * std::cos(a)), float(-20 * std::sin(a))));
        star.AddEdge(PolyLine::Edge(v, w));
    }
    const unsigned dot = star.AddVertex(V2(8, 8));
    for (int i = 0; i < 25; ++i) star.AddEdge(PolyLine::Edge(dot, dot));
    ExpectAgreesWithScan(star, 1500, -25.0f, 25.0f, 3);
}

TEST(CurveBVTree, RebuildAndHostileInput)
{
    PolyLine first = Loop(Circle(50, 0, 0, 10));
    PolyLine second = Loop(Circle(50, 100, 0, 10));
    CurveBVTree tree;
    ASSERT_TRUE(tree.Create(&first));
    ASSERT_TRUE(tree.Create(&second));  // the first tree is released
    EXPECT_EQ(tree.GetPolyLine(), &second);
    EXPECT_NEAR(tree.DistanceSqr(V2(100, 0)), 100.0f, 0.5f);
    tree.Destroy();
    EXPECT_TRUE(tree.IsEmpty());
    EXPECT_EQ(tree.DistanceSqr(V2(100, 0)), FLT_MAX);

    // NaN vertices and queries answer without crashing; the usable edges
    // still count.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    PolyLine odd = Loop(Square(0, 0, 1));
    const unsigned bad = odd.AddVertex(V2(nan, 0));
    odd.AddEdge(PolyLine::Edge(bad, 0));
    odd.AddEdge(PolyLine::Edge(2, 77));
    ASSERT_TRUE(tree.Create(&odd));
    EXPECT_FLOAT_EQ(tree.DistanceSqr(V2(0.5f, -1)), 1.0f);
    V2 nearest;
    const float d = tree.DistanceSqr(V2(nan, 1), &nearest);
    EXPECT_TRUE(d == FLT_MAX || std::isnan(d));
}
