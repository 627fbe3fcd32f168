// Polylines: the curve graph, degree tests, loops and ordered vertices,
// placement in the unit square, value points and outline images.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "sketch/PointSet.h"
#include "tests/support/PolyLineShapes.h"
#include "tests/support/TempFolder.h"
#include "wml/DebugOutput.h"

using namespace geometry_test;
using vynsketch::PointSet;

namespace {

// Records the trace messages written while it lives.
class TraceLog {
public:
    TraceLog() : m_sink([this](const char* m) { lines.push_back(m); }) {}
    size_t Count(const std::string& text) const
    {
        size_t n = 0;
        for (const std::string& l : lines) n += (l == text);
        return n;
    }
    std::vector<std::string> lines;

private:
    Wml::ScopedDebugOutputSink m_sink;
};

PolyLine FigureEight()
{
    // Two squares sharing vertex 0.
    PolyLine line;
    line.AddVertex(V2(0, 0));
    for (const V2& p : {V2(1, 0), V2(1, 1), V2(0, 1), V2(-1, 0), V2(-1, -1), V2(0, -1)}) line.AddVertex(p);
    const unsigned edges[8][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {0, 4}, {4, 5}, {5, 6}, {6, 0}};
    for (const auto& e : edges) line.AddEdge(PolyLine::Edge(e[0], e[1]));
    return line;
}

}  // namespace

TEST(PolyLine, EdgesCopiesAndBadIndices)
{
    PolyLine line;
    for (const V2& p : {V2(1, 2), V2(3, 4), V2(5, 6)}) line.AddVertex(p);
    line.AddEdge(PolyLine::Edge(0, 1));
    EXPECT_EQ(line.AddEdge(PolyLine::Edge(1, 2)), 1u);
    PolyLine::Edge reversed(2, 1), fresh(2, 0);
    EXPECT_FALSE(line.IsValidEdge(reversed));
    EXPECT_TRUE(line.IsValidEdge(fresh));
    EXPECT_EQ(line.GetConnectivity(1), 2u);

    // Copies are deep.
    PolyLine copy(line);
    copy.Translate(10, 0);
    copy.AddEdge(PolyLine::Edge(2, 0));
    EXPECT_EQ(line.GetVertex(0), V2(1, 2));
    EXPECT_EQ(line.GetNumEdges(), 2u);

    // Out-of-range access answers a harmless default.
    EXPECT_EQ(line.GetVertex(99), V2(0, 0));
    EXPECT_EQ(line.GetEdge(99).v1, 0u);
}

TEST(PolyLine, DegreeTests)
{
    PolyLine empty;
    EXPECT_TRUE(empty.IsClosed());
    EXPECT_TRUE(empty.IsSimple());

    PolyLine square = Loop(Square(0, 0, 1));
    EXPECT_TRUE(square.IsClosed());
    EXPECT_TRUE(square.IsSimple());

    PolyLine open;
    for (int i = 0; i < 5; ++i) open.AddVertex(V2(float(i), 0));
    for (unsigned i = 1; i < 5; ++i) open.AddEdge(PolyLine::Edge(i - 1, i));
    EXPECT_FALSE(open.IsClosed());
    EXPECT_TRUE(open.IsSimple());

    PolyLine eight = FigureEight();
    EXPECT_TRUE(eight.IsClosed());
    EXPECT_FALSE(eight.IsSimple());
    std::vector<V2> ordered;
    EXPECT_FALSE(eight.GetOrderedVertexList(ordered, true));

    // An isolated vertex keeps a polyline from being closed.
    square.AddVertex(V2(5, 5));
    EXPECT_FALSE(square.IsClosed());
}

TEST(PolyLine, LoopsAreCounterClockwiseAndBigEnough)
{
    std::vector<Wml::Polygon2<float>> loops;

    // A clockwise square is kept (four vertices) and turned counter-clockwise.
    std::vector<V2> cw = Square(0, 0, 2);
    std::reverse(cw.begin(), cw.end());
    ASSERT_TRUE(Loop(cw).GetLoops(loops, false));
    ASSERT_EQ(loops.size(), 1u);
    EXPECT_EQ(loops[0].VertexCount(), 4u);
    EXPECT_FALSE(loops[0].IsClockwise());
    EXPECT_FLOAT_EQ(loops[0].Area(), 4.0f);

    // A triangle is dropped; the call still succeeds.
    ASSERT_TRUE(Loop({V2(0, 0), V2(1, 0), V2(0, 1)}).GetLoops(loops, false));
    EXPECT_TRUE(loops.empty());

    // Too few vertices or edges.
    PolyLine two;
    two.AddVertex(V2(0, 0));
    two.AddVertex(V2(1, 0));
    two.AddEdge(PolyLine::Edge(0, 1));
    EXPECT_FALSE(two.GetLoops(loops, false));

    // Outer loop and hole: both come out counter-clockwise.
    PolyLine ring;
    AddLoop(ring, Circle(20, 0, 0, 10));
    std::vector<V2> hole = Circle(12, 0, 0, 4);
    std::reverse(hole.begin(), hole.end());
    AddLoop(ring, hole);
    ASSERT_TRUE(ring.GetLoops(loops, false));
    ASSERT_EQ(loops.size(), 2u);
    EXPECT_EQ(loops[0].VertexCount(), 20u);
    EXPECT_EQ(loops[1].VertexCount(), 12u);
    EXPECT_FALSE(loops[0].IsClockwise());
    EXPECT_FALSE(loops[1].IsClockwise());

    // Simplifying drops the collinear middle vertices.
    PolyLine dense = Loop({V2(0, 0), V2(1, 0), V2(2, 0), V2(2, 2), V2(1, 2), V2(0, 2)});
    ASSERT_TRUE(dense.GetLoops(loops, true));
    ASSERT_EQ(loops.size(), 1u);
    EXPECT_EQ(loops[0].VertexCount(), 4u);

    // Edges naming missing vertices are ignored, not followed.
    PolyLine broken = Loop(Square(0, 0, 1));
    broken.AddEdge(PolyLine::Edge(2, 1000));
    broken.AddEdge(PolyLine::Edge(4000000000u, 1));
    EXPECT_TRUE(broken.GetLoops(loops, false));
    EXPECT_EQ(loops.size(), 1u);
    EXPECT_TRUE(broken.IsClosed());
    EXPECT_EQ(broken.GetConnectivity(2), 2u);
}

TEST(PolyLine, OrderedVertexList)
{
    std::vector<V2> out;
    const std::vector<V2> square = Square(0, 0, 1);

    PolyLine ccw = Loop(square);
    ASSERT_TRUE(ccw.GetOrderedVertexList(out, true));
    EXPECT_EQ(out, square);
    ASSERT_TRUE(ccw.GetOrderedVertexList(out, false));
    EXPECT_EQ(out, std::vector<V2>(square.rbegin(), square.rend()));

    // The walk starts at vertex 0 and follows the edges, not the vertex order.
    PolyLine shuffled;
    for (const V2& p : {square[0], square[2], square[1], square[3]}) shuffled.AddVertex(p);
    for (const auto& e :
         {PolyLine::Edge(0, 2), PolyLine::Edge(2, 1), PolyLine::Edge(1, 3), PolyLine::Edge(3, 0)})
        shuffled.AddEdge(e);
    ASSERT_TRUE(shuffled.GetOrderedVertexList(out, true));
    EXPECT_EQ(out, square);

    // Orientation is judged correctly far from the origin too: a fine
    // counter-clockwise circle around (100, 0) stays as it is.
    PolyLine far = Loop(Circle(100, 100, 0, 1));
    ASSERT_TRUE(far.GetOrderedVertexList(out, true));
    ASSERT_EQ(out.size(), 100u);
    EXPECT_EQ(out[1], far.GetVertex(1));
    ASSERT_TRUE(far.GetOrderedVertexList(out, false));
    EXPECT_EQ(out[1], far.GetVertex(98));

    // Two loops: the walk misses one.
    PolyLine two = Loop(Square(0, 0, 1));
    AddLoop(two, Square(5, 5, 1));
    TraceLog log;
    EXPECT_FALSE(two.GetOrderedVertexList(out, true));
    EXPECT_EQ(log.Count("Vertex marking failed...\n"), 1u);
    EXPECT_TRUE(out.empty());

    // Open and tiny polylines.
    PolyLine open;
    for (int i = 0; i < 5; ++i) open.AddVertex(V2(float(i), float(i * i)));
    for (unsigned i = 1; i < 5; ++i) open.AddEdge(PolyLine::Edge(i - 1, i));
    EXPECT_FALSE(open.GetOrderedVertexList(out, true));
    PolyLine pair;
    pair.AddVertex(V2(0, 0));
    pair.AddVertex(V2(1, 0));
    pair.AddEdge(PolyLine::Edge(0, 1));
    pair.AddEdge(PolyLine::Edge(1, 0));
    EXPECT_FALSE(pair.GetOrderedVertexList(out, true));
    // A triangle is the smallest loop it orders.
    EXPECT_TRUE(Loop({V2(0, 0), V2(0, 1), V2(1, 0)}).GetOrderedVertexList(out, true));
    EXPECT_EQ(out, (std::vector<V2>{V2(1, 0), V2(0, 1), V2(0, 0)}));
}

TEST(PolyLine, BoxCentreAndUnitSquare)
{
    PolyLine none;
    EXPECT_TRUE(none.ComputeBoundingBox().IsEmpty());
    EXPECT_EQ(none.ComputeCenterOfMass(), V2(0, 0));
    PolyLine points;
    points.AddVertex(V2(1, 1));
    points.AddVertex(V2(3, 5));
    EXPECT_TRUE(points.ComputeBoundingBox().IsEmpty());  // no edge
    EXPECT_EQ(points.ComputeCenterOfMass(), V2(2, 3));

    // 200 x 100: scale 1/200, the short side centred.
    PolyLine wide = Loop({V2(-50, 10), V2(150, 10), V2(150, 110), V2(-50, 110)});
    EXPECT_EQ(wide.ComputeBoundingBox(), Wml::AxisAlignedBox2<float>(-50, 150, 10, 110));
    float size, ox, oy;
    EXPECT_FLOAT_EQ(wide.ToUnitSquare(size, ox, oy, nullptr), 0.005f);
    EXPECT_FLOAT_EQ(size, 200.0f);
    EXPECT_FLOAT_EQ(ox, 0.0f);
    EXPECT_FLOAT_EQ(oy, 0.25f);
    EXPECT_NEAR(wide.GetVertex(0).X(), 0.0f, 1e-6);
    EXPECT_NEAR(wide.GetVertex(0).Y(), 0.25f, 1e-6);
    EXPECT_NEAR(wide.GetVertex(2).X(), 1.0f, 1e-6);
    EXPECT_NEAR(wide.GetVertex(2).Y(), 0.75f, 1e-6);

    // Tall, with an explicit box twice as large as the curve.
    PolyLine tall = Loop({V2(0, 0), V2(1, 0), V2(1, 4), V2(0, 4)});
    Wml::AxisAlignedBox2<float> box(0, 2, 0, 8);
    EXPECT_FLOAT_EQ(tall.ToUnitSquare(size, ox, oy, &box), 0.125f);
    EXPECT_FLOAT_EQ(size, 8.0f);
    EXPECT_FLOAT_EQ(ox, 0.375f);
    EXPECT_FLOAT_EQ(oy, 0.0f);
    EXPECT_FLOAT_EQ(tall.GetVertex(2).X(), 0.5f);
    EXPECT_FLOAT_EQ(tall.GetVertex(2).Y(), 0.5f);

    tall.Translate(1, -2);
    EXPECT_FLOAT_EQ(tall.GetVertex(2).X(), 1.5f);
    EXPECT_FLOAT_EQ(tall.GetVertex(2).Y(), -1.5f);

    // Nothing to scale by: vertices stay, scale 1.
    PolyLine dot = Loop({V2(3, 3), V2(3, 3), V2(3, 3)});
    EXPECT_EQ(dot.ToUnitSquare(size, ox, oy, nullptr), 1.0f);
    EXPECT_EQ(dot.GetVertex(0), V2(3, 3));
    Wml::AxisAlignedBox2<float> nanBox(0, std::numeric_limits<float>::quiet_NaN(), 0, 1);
    EXPECT_EQ(wide.ToUnitSquare(size, ox, oy, &nanBox), 1.0f);
    EXPECT_TRUE(std::isfinite(wide.GetVertex(1).X()));
}

TEST(PolyLine, ValuePointsStraddleEveryLoop)
{
    // Levels as the outline builders use them: surface c, "outside" c - s
    // on the material side of each boundary, "inside" c + s on the other.
    const float L = 0.1f;
    PointSet points(0.5f, 0.6f, 0.4f, L);
    PolyLine ring;
    const std::vector<V2> outer = Circle(20, 0, 0, 10), inner = Circle(12, 1, 0, 4);
    AddLoop(ring, outer);
    AddLoop(ring, inner);  // the hole, drawn counter-clockwise
    ASSERT_TRUE(ring.GenPointSet(points));
    EXPECT_EQ(points.GetNumPoints(), 3u * 32u);

    Wml::Polygon2<float> outerPoly(outer), holePoly(inner);
    auto inMaterial = [&](const V2& p) { return outerPoly.IsInside(p) && !holePoly.IsInside(p); };
    unsigned surface = 0;
    for (const PointSet::Point& p : points.GetPoints()) {
        EXPECT_FLOAT_EQ(p.smoothing, 0.0001f);
        if (p.value == 0.5f) {
            ++surface;
            continue;
        }
        // The shifted copies sit one projection length from their vertex,
        // the lower value in the material.
        EXPECT_EQ(inMaterial(p.position), p.value == 0.4f) << p.position.X() << " " << p.position.Y();
    }
    EXPECT_EQ(surface, 32u);

    PointSet none(0.5f, 0.6f, 0.4f, L);
    EXPECT_FALSE(PolyLine().GenPointSet(none));
    EXPECT_EQ(none.GetNumPoints(), 0u);
}

TEST(PolyLine, CircleConstraint)
{
    PointSet points(0, 1, -1, 1);
    PolyLine().AddCircleConstraint(points, V2(1.5f, 1.5f), 2.0f, 2.0f);
    ASSERT_EQ(points.GetNumPoints(), 15u);
    for (const PointSet::Point& p : points.GetPoints()) {
        EXPECT_NEAR((p.position - V2(1.5f, 1.5f)).Length(), 2.0f, 1e-5);
        EXPECT_EQ(p.value, 2.0f);
    }
    EXPECT_EQ(points.GetPoints().rbegin()->position, V2(3.5f, 1.5f));  // angle 0
}

// ---- outline images ---------------------------------------------------------------

class PolyLinePGM : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& bytes) { return m_dir.Write(name, bytes); }
    // A P2 or P5 image from rows of '#' (255) and '.' (0).
    std::string Image(const std::string& name, const std::vector<std::string>& rows, bool binary)
    {
        std::string data = std::string(binary ? "P5" : "P2") + "\n" + std::to_string(rows[0].size()) + " " +
                           std::to_string(rows.size()) + "\n255\n";
        for (const std::string& r : rows)
            for (char c : r) {
                const int v = c == '#' ? 255 : 0;
                data += binary ? std::string(1, char(v)) : std::to_string(v) + " ";
            }
        return Write(name, data);
    }

    kftest::TempFolder m_dir{"sketch_pgm"};
};

TEST_F(PolyLinePGM, ReadsAOnePixelOutline)
{
    const std::vector<std::string> diamond = {
        "......",  //
        "..##..",  //
        ".#..#.",  //
        "..##..",  //
    };
    for (bool binary : {false, true}) {
        PolyLine line;
        TraceLog log;
        ASSERT_TRUE(line.InitializeFromPGM(Image(binary ? "d.pgm" : "a.pgm", diamond, binary).c_str(), 255));
        ASSERT_EQ(line.GetNumVertices(), 6u);
        EXPECT_EQ(line.GetVertex(0), V2(2.5f, 1.5f));
        EXPECT_EQ(line.GetVertex(2), V2(1.5f, 2.5f));
        EXPECT_EQ(line.GetVertex(5), V2(3.5f, 3.5f));
        EXPECT_EQ(line.GetNumEdges(), 6u);
        // Right neighbour first, then the diagonals below.
        EXPECT_EQ(line.GetEdge(0).v1, 0u);
        EXPECT_EQ(line.GetEdge(0).v2, 1u);
        EXPECT_EQ(line.GetEdge(1).v2, 2u);
        EXPECT_TRUE(line.IsClosed());
        EXPECT_TRUE(line.IsSimple());
        EXPECT_TRUE(log.lines.empty());
        std::vector<V2> ordered;
        EXPECT_TRUE(line.GetOrderedVertexList(ordered, true));
    }

    // Another grey value picks other pixels; none at all is fine.
    PolyLine none;
    EXPECT_TRUE(none.InitializeFromPGM(Image("n.pgm", diamond, true).c_str(), 17));
    EXPECT_TRUE(none.IsEmpty());
}

TEST_F(PolyLinePGM, ReportsBadConnectivity)
{
    // A 2 x 2 block: every pixel joins its neighbours and the diagonals.
    PolyLine block;
    TraceLog log;
    ASSERT_TRUE(block.InitializeFromPGM(Image("b.pgm", {"##", "##"}, false).c_str(), 255));
    EXPECT_EQ(block.GetNumEdges(), 6u);
    EXPECT_EQ(log.Count("Invalid configuration at pixel 0,0\n"), 1u);
    EXPECT_EQ(log.Count("Invalid configuration at pixel 1,0\n"), 1u);
    // Pixel (1,0) already has its edge from (0,0), and (0,1) two edges by the time
    // (1,0) links to it.
    EXPECT_EQ(log.Count("Connectivity Badness at either (1,0) or (0,1)!\n"), 1u);
    EXPECT_EQ(log.Count("Connectivity Badness at either (0,0) or (1,1)!\n"), 1u);
    EXPECT_EQ(log.Count("Connectivity Badness at either (0,1) or (1,1)!\n"), 1u);
    EXPECT_FALSE(block.IsSimple());
}

TEST_F(PolyLinePGM, RefusesBadFiles)
{
    const std::string pixels(12, char(255));
    const std::vector<std::string> refused = {
        Write("magic.pgm", "P6\n3 4\n255\n" + pixels),
        Write("max.pgm", "P5\n3 4\n65535\n" + pixels),
        Write("max15.pgm", "P5\n3 4\n15\n" + pixels),
        Write("short5.pgm", "P5\n3 4\n255\n" + pixels.substr(0, 7)),
        Write("short2.pgm", "P2\n3 4\n255\n255 0 255 0 255\n"),
        Write("badpixel.pgm", "P2\n2 1\n255\n255 300\n"),
        Write("junk.pgm", "P2\n2 1\n255\n255 x\n"),
        Write("huge.pgm", "P5\n4000000000 4000000000\n255\n" + pixels),
        Write("big.pgm", "P5\n16384 16384\n255\n" + pixels),
        Write("negative.pgm", "P2\n-3 4\n255\n"),
        Write("zero.pgm", "P5\n0 4\n255\n"),
        Write("noheader.pgm", "P5"),
        Write("empty.pgm", ""),
    };
    for (const std::string& path : refused) {
        PolyLine line;
        EXPECT_FALSE(line.InitializeFromPGM(path.c_str(), 255)) << path;
        EXPECT_TRUE(line.IsEmpty()) << path;
    }
    PolyLine line;
    EXPECT_FALSE(line.InitializeFromPGM(m_dir.File("missing.pgm").c_str(), 255));
    EXPECT_FALSE(line.InitializeFromPGM(nullptr, 255));

    // A failed read leaves what was there.
    line.AddVertex(V2(1, 1));
    EXPECT_FALSE(line.InitializeFromPGM(refused[0].c_str(), 255));
    EXPECT_EQ(line.GetNumVertices(), 1u);
}

TEST_F(PolyLinePGM, AppendsToAnExistingPolyline)
{
    PolyLine line = Loop(Square(-5, -5, 1));
    ASSERT_TRUE(line.InitializeFromPGM(Image("s.pgm", {"##", ".."}, true).c_str(), 255));
    ASSERT_EQ(line.GetNumVertices(), 6u);
    ASSERT_EQ(line.GetNumEdges(), 5u);
    EXPECT_EQ(line.GetEdge(4).v1, 4u);
    EXPECT_EQ(line.GetEdge(4).v2, 5u);
}

TEST_F(PolyLinePGM, RefusesAFilledImageButReadsALargeOutline)
{
    // Every pixel set: one more marked pixel than an outline may have.
    const unsigned side = 2049;
    ASSERT_GT(size_t(side) * side, size_t(PolyLine::MAX_PGM_OUTLINE_PIXELS));
    const std::string header = "P5\n" + std::to_string(side) + " " + std::to_string(side) + "\n255\n";
    const std::string filled = Write("filled.pgm", header + std::string(size_t(side) * side, char(255)));
    PolyLine line = Loop(Square(-5, -5, 1));
    const unsigned vertices = line.GetNumVertices(), edges = line.GetNumEdges();
    {
        TraceLog log;
        EXPECT_FALSE(line.InitializeFromPGM(filled.c_str(), 255));
        ASSERT_EQ(log.lines.size(), 1u);
        EXPECT_NE(log.lines[0].find(std::to_string(PolyLine::MAX_PGM_OUTLINE_PIXELS)), std::string::npos)
            << log.lines[0];
        EXPECT_NE(log.lines[0].find(std::to_string(size_t(side) * side)), std::string::npos) << log.lines[0];
    }
    EXPECT_EQ(line.GetNumVertices(), vertices);
    EXPECT_EQ(line.GetNumEdges(), edges);
    // Another grey value marks nothing in the same image.
    EXPECT_TRUE(line.InitializeFromPGM(filled.c_str(), 0));
    EXPECT_EQ(line.GetNumVertices(), vertices);

    // A square outline with cut corners across a large image is read whole.
    const unsigned big = 3000, first = 10, last = big - 11;
    std::string pixels(size_t(big) * big, char(0));
    for (unsigned k = first + 1; k < last; ++k) {
        pixels[size_t(first) * big + k] = pixels[size_t(last) * big + k] = char(255);
        pixels[size_t(k) * big + first] = pixels[size_t(k) * big + last] = char(255);
    }
    const std::string square =
        Write("square.pgm", "P5\n" + std::to_string(big) + " " + std::to_string(big) + "\n255\n" + pixels);
    PolyLine outline;
    ASSERT_TRUE(outline.InitializeFromPGM(square.c_str(), 255));
    EXPECT_EQ(outline.GetNumVertices(), 4u * (last - first - 1));
    EXPECT_EQ(outline.GetNumEdges(), 4u * (last - first - 1));
    EXPECT_TRUE(outline.IsClosed());
    EXPECT_TRUE(outline.IsSimple());
}
