// Curve graphs, polygons and B-spline curves.

#include <gtest/gtest.h>

#include <unistd.h>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>

#include "tests/support/FifoTestSupport.h"
#include "wml/BSplineCurve2.h"
#include "wml/LinearComplex2.h"
#include "wml/Polygon2.h"
#include "wml/Spline3.h"

using namespace Wml;

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const double kPi = 3.14159265358979323846;

typedef LinearComplex2<float> Complex;

// Adds a closed loop through the given points; returns the first vertex.
unsigned AddLoop(Complex& c, const std::vector<Vector2f>& pts)
{
    unsigned first = c.GetNumVertices();
    for (const Vector2f& p : pts) c.AddVertex(p);
    for (unsigned i = 0; i < pts.size(); ++i) c.AddEdge(first + i, first + (i + 1) % pts.size());
    return first;
}

std::vector<Vector2f> Square(float x0, float y0, float s)
{
    return {Vector2f(x0, y0), Vector2f(x0 + s, y0), Vector2f(x0 + s, y0 + s), Vector2f(x0, y0 + s)};
}

Polygon2d MakePolygon(const std::vector<Vector2d>& pts)
{
    Polygon2d p;
    for (const Vector2d& v : pts) p.AddVertex(v);
    return p;
}

std::string TempPath(const std::string& name)
{
    return ::testing::TempDir() + "kf_curves_" + std::to_string(getpid()) + "_" + name;
}

bool Finite(const Vector2d& v)
{
    return std::isfinite(v.X()) && std::isfinite(v.Y());
}
bool Finite(const Vector3d& v)
{
    return std::isfinite(v.X()) && std::isfinite(v.Y()) && std::isfinite(v.Z());
}

}  // namespace

// ===========================================================================
// LinearComplex2

TEST(LinearComplex2, DegreeTests)
{
    Complex empty;
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_TRUE(empty.IsClosed());
    EXPECT_TRUE(empty.IsSimple());

    Complex square;
    AddLoop(square, Square(0, 0, 1));
    EXPECT_TRUE(square.IsClosed());
    EXPECT_TRUE(square.IsSimple());

    Complex chain;
    for (int i = 0; i < 4; ++i) chain.AddVertex(Vector2f(float(i), 0));
    for (unsigned i = 0; i + 1 < 4; ++i) chain.AddEdge(i, i + 1);
    EXPECT_FALSE(chain.IsClosed());
    EXPECT_TRUE(chain.IsSimple());

    // Two triangles sharing vertex 0.
    Complex eight;
    eight.AddVertex(Vector2f(0, 0));
    for (Vector2f p : {Vector2f(1, 1), Vector2f(1, -1), Vector2f(-1, 1), Vector2f(-1, -1)})
        eight.AddVertex(p);
    for (auto e : {std::make_pair(0u, 1u), {1u, 2u}, {2u, 0u}, {0u, 3u}, {3u, 4u}, {4u, 0u}})
        eight.AddEdge(e.first, e.second);
    EXPECT_EQ(eight.GetDegree(0), 4u);
    EXPECT_TRUE(eight.IsClosed());
    EXPECT_FALSE(eight.IsSimple());

    Complex two;
    AddLoop(two, Square(0, 0, 1));
    AddLoop(two, Square(5, 5, 2));
    EXPECT_TRUE(two.IsClosed());
    EXPECT_TRUE(two.IsSimple());

    // An isolated vertex is a loose end.
    two.AddVertex(Vector2f(9, 9));
    EXPECT_FALSE(two.IsClosed());
}

TEST(LinearComplex2, RefusesBadInput)
{
    Complex c;
    EXPECT_EQ(c.AddVertex(Vector2f(kNaN, 0)), Complex::INVALID_INDEX);
    EXPECT_EQ(c.AddVertex(Vector2f(0, std::numeric_limits<float>::infinity())), Complex::INVALID_INDEX);
    EXPECT_EQ(c.GetNumVertices(), 0u);

    EXPECT_EQ(c.AddVertex(Vector2f(0, 0)), 0u);
    EXPECT_EQ(c.AddVertex(Vector2f(1, 0)), 1u);
    EXPECT_EQ(c.AddEdge(0, 0), Complex::INVALID_INDEX);
    EXPECT_EQ(c.AddEdge(0, 2), Complex::INVALID_INDEX);
    EXPECT_EQ(c.AddEdge(Complex::INVALID_INDEX, 1), Complex::INVALID_INDEX);
    EXPECT_EQ(c.GetNumEdges(), 0u);
    EXPECT_EQ(c.AddEdge(1, 0), 0u);
    EXPECT_TRUE(c.HasEdge(0, 1));
    EXPECT_EQ(c.FindEdge(0, 1), 0u);

    EXPECT_FALSE(c.SetVertex(0, Vector2f(kNaN, kNaN)));
    EXPECT_FALSE(c.SetVertex(7, Vector2f(1, 1)));
    EXPECT_EQ(c.GetVertex(0), Vector2f(0, 0));
    EXPECT_EQ(c.GetVertex(99), Vector2f(0, 0));
    EXPECT_EQ(c.GetEdge(99).v[0], Complex::INVALID_INDEX);
    EXPECT_EQ(c.GetDegree(99), 0u);

    EXPECT_FALSE(c.Translate(Vector2f(kNaN, 0)));
    EXPECT_FALSE(c.Scale(kNaN));
    EXPECT_EQ(c.GetVertex(1), Vector2f(1, 0));
    // An overflowing scale is refused as a whole.
    EXPECT_TRUE(c.Scale(1e30f));
    EXPECT_FALSE(c.Scale(1e30f));
    EXPECT_EQ(c.GetVertex(1), Vector2f(1e30f, 0));
}

TEST(LinearComplex2, LoopsWalkSharedVertices)
{
    Complex c;
    // Loop A uses vertices 0..3 (square), an open chain 4..6, loop B 7..11
    // whose edges are stored out of order and some reversed.
    AddLoop(c, Square(0, 0, 1));
    for (int i = 0; i < 3; ++i) c.AddVertex(Vector2f(10.0f + i, 0));
    c.AddEdge(4, 5);
    c.AddEdge(5, 6);
    for (int i = 0; i < 5; ++i) {
        float a = float(2 * kPi * i / 5);
        c.AddVertex(Vector2f(20 + std::cos(a), std::sin(a)));
    }
    c.AddEdge(9, 10);
    c.AddEdge(8, 7);
    c.AddEdge(11, 7);
    c.AddEdge(10, 11);
    c.AddEdge(8, 9);
    // Two parallel edges are a two-vertex cycle, not a polygon.
    unsigned p = c.AddVertex(Vector2f(30, 0));
    unsigned q = c.AddVertex(Vector2f(31, 0));
    c.AddEdge(p, q);
    c.AddEdge(q, p);

    std::vector<Polygon2f> loops;
    ASSERT_EQ(c.GetLoops(loops), 2u);
    ASSERT_EQ(loops.size(), 2u);

    ASSERT_EQ(loops[0].VertexCount(), 4u);
    for (unsigned i = 0; i < 4; ++i) EXPECT_EQ(loops[0].Vertex(i), c.GetVertex(i));

    // Loop B starts at its lowest vertex and leaves along the edge stored
    // from it (11 -> 7 is stored towards 7, 8 -> 7 too, so the first one).
    ASSERT_EQ(loops[1].VertexCount(), 5u);
    EXPECT_EQ(loops[1].Vertex(0), c.GetVertex(7));
    for (unsigned i = 0; i < 5; ++i) {
        // Every consecutive pair is an edge of the complex.
        const Vector2f& a = loops[1].Vertex(i);
        const Vector2f& b = loops[1].Vertex((i + 1) % 5);
        unsigned ia = 7, ib = 7;
        for (unsigned v = 7; v < 12; ++v) {
            if (c.GetVertex(v) == a) ia = v;
            if (c.GetVertex(v) == b) ib = v;
        }
        EXPECT_TRUE(c.HasEdge(ia, ib)) << i;
    }

    // Loops are appended, not replacing what was there.
    EXPECT_EQ(c.GetLoops(loops), 2u);
    EXPECT_EQ(loops.size(), 4u);

    // A figure-eight is no single loop.
    Complex eight;
    AddLoop(eight, {Vector2f(0, 0), Vector2f(1, 1), Vector2f(1, -1)});
    eight.AddVertex(Vector2f(-1, 1));
    eight.AddVertex(Vector2f(-1, -1));
    eight.AddEdge(0, 3);
    eight.AddEdge(3, 4);
    eight.AddEdge(4, 0);
    loops.clear();
    EXPECT_EQ(eight.GetLoops(loops), 0u);
    EXPECT_TRUE(loops.empty());
}

TEST(LinearComplex2, NeighboursBoundsAndCopies)
{
    Complex c;
    AddLoop(c, Square(-1, 2, 3));
    std::vector<unsigned> nb;
    c.GetNeighbours(0, nb);
    ASSERT_EQ(nb.size(), 2u);
    EXPECT_EQ(nb[0], 1u);
    EXPECT_EQ(nb[1], 3u);
    c.GetNeighbours(42, nb);
    EXPECT_TRUE(nb.empty());
    c.GetIncidentEdges(2, nb);
    ASSERT_EQ(nb.size(), 2u);
    EXPECT_EQ(nb[0], 1u);
    EXPECT_EQ(nb[1], 2u);

    AxisAlignedBox2f box = c.ComputeBounds();
    EXPECT_EQ(box.Min(0), -1.0f);
    EXPECT_EQ(box.Max(0), 2.0f);
    EXPECT_EQ(box.Min(1), 2.0f);
    EXPECT_EQ(box.Max(1), 5.0f);
    EXPECT_TRUE(Complex().ComputeBounds().IsEmpty());

    Complex copy(c);
    EXPECT_TRUE(copy.Translate(Vector2f(1, 1)));
    EXPECT_TRUE(copy.Scale(2.0f));
    EXPECT_EQ(copy.GetVertex(0), Vector2f(0, 6));
    EXPECT_EQ(c.GetVertex(0), Vector2f(-1, 2));
    EXPECT_EQ(copy.GetNumEdges(), 4u);

    Complex assigned;
    assigned = c;
    c.Clear();
    EXPECT_TRUE(c.IsEmpty());
    EXPECT_EQ(assigned.GetNumVertices(), 4u);
    EXPECT_EQ(assigned.GetNumEdges(), 4u);
}

// ===========================================================================
// Polygon2

TEST(Polygon2, AreaAndOrientation)
{
    Polygon2d sq = MakePolygon({{0, 0}, {2, 0}, {2, 2}, {0, 2}});
    EXPECT_DOUBLE_EQ(sq.SignedArea(), 4.0);
    EXPECT_DOUBLE_EQ(sq.Area(), 4.0);
    EXPECT_FALSE(sq.IsClockwise());
    EXPECT_DOUBLE_EQ(sq.Perimeter(), 8.0);

    sq.FlipOrientation();
    EXPECT_TRUE(sq.IsClockwise());
    EXPECT_DOUBLE_EQ(sq.SignedArea(), -4.0);
    EXPECT_EQ(sq.Vertex(0), Vector2d(0, 0));
    EXPECT_EQ(sq.Vertex(1), Vector2d(0, 2));

    Polygon2d tri = MakePolygon({{1e6, 1e6}, {1e6 + 3, 1e6}, {1e6, 1e6 + 4}});
    EXPECT_DOUBLE_EQ(tri.Area(), 6.0);
    EXPECT_DOUBLE_EQ(tri.Perimeter(), 12.0);
    Vector2d c = tri.Centroid();
    EXPECT_NEAR(c.X(), 1e6 + 1, 1e-9);
    EXPECT_NEAR(c.Y(), 1e6 + 4.0 / 3.0, 1e-9);

    // Mirroring turns the orientation; a rotation keeps area and sign.
    EXPECT_TRUE(tri.Scale(-1.0, 1.0));
    EXPECT_TRUE(tri.IsClockwise());
    Matrix3d rot(0, -1, 5, 1, 0, -2, 0, 0, 1);
    EXPECT_TRUE(tri.Transform(rot));
    EXPECT_NEAR(tri.SignedArea(), -6.0, 1e-6);
    EXPECT_FALSE(tri.Transform(Matrix3d(1, 0, 0, 0, 1, 0, 0, 0, 0)));
    EXPECT_NEAR(tri.SignedArea(), -6.0, 1e-6);

    Polygon2d two = MakePolygon({{0, 0}, {1, 1}});
    EXPECT_EQ(two.SignedArea(), 0.0);
    EXPECT_FALSE(two.IsClockwise());
    EXPECT_EQ(two.Centroid(), Vector2d(0.5, 0.5));
    EXPECT_EQ(Polygon2d().Centroid(), Vector2d(0, 0));
    // A flat polygon has no area centroid but still a finite one.
    EXPECT_TRUE(Finite(MakePolygon({{0, 0}, {1, 0}, {2, 0}}).Centroid()));

    Polygon2d p;
    EXPECT_FALSE(p.AddVertex(Vector2d(std::nan(""), 0)));
    EXPECT_EQ(p.VertexCount(), 0u);
    EXPECT_FALSE(sq.SetVertex(0, Vector2d(0, HUGE_VAL)));
    EXPECT_FALSE(sq.Translate(Vector2d(std::nan(""), 0)));
    EXPECT_EQ(sq.Vertex(0), Vector2d(0, 0));
}

TEST(Polygon2, InsideTest)
{
    Polygon2d sq = MakePolygon({{0, 0}, {1, 0}, {1, 1}, {0, 1}});
    EXPECT_TRUE(sq.IsInside(Vector2d(0.5, 0.5)));
    EXPECT_FALSE(sq.IsInside(Vector2d(1.5, 0.5)));
    EXPECT_FALSE(sq.IsInside(Vector2d(0.5, -0.5)));
    EXPECT_FALSE(sq.IsInside(Vector2d(std::nan(""), 0.5)));
    // Boundary rule: left and bottom sides in, right and top out.
    EXPECT_TRUE(sq.IsInside(Vector2d(0, 0.5)));
    EXPECT_TRUE(sq.IsInside(Vector2d(0.5, 0)));
    EXPECT_FALSE(sq.IsInside(Vector2d(1, 0.5)));
    EXPECT_FALSE(sq.IsInside(Vector2d(0.5, 1)));
    // Orientation does not matter.
    sq.FlipOrientation();
    EXPECT_TRUE(sq.IsInside(Vector2d(0.5, 0.5)));

    // Two squares sharing a slanted edge claim each point on it exactly once.
    Polygon2d left = MakePolygon({{0, 0}, {1, 0}, {2, 3}, {0, 3}});
    Polygon2d right = MakePolygon({{1, 0}, {3, 0}, {3, 3}, {2, 3}});
    for (double s : {0.1, 0.25, 0.5, 0.9}) {
        Vector2d p(1 + s, 3 * s);
        EXPECT_NE(left.IsInside(p), right.IsInside(p)) << s;
    }

    // L shape: the notch at the upper right is outside.
    Polygon2d ell = MakePolygon({{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}});
    EXPECT_TRUE(ell.IsInside(Vector2d(0.5, 1.5)));
    EXPECT_TRUE(ell.IsInside(Vector2d(1.5, 0.5)));
    EXPECT_TRUE(ell.IsInside(Vector2d(0.5, 0.5)));
    EXPECT_FALSE(ell.IsInside(Vector2d(1.5, 1.5)));
    EXPECT_FALSE(ell.IsInside(Vector2d(3, 0.5)));
    // A ray through the reflex vertex's height must not double count.
    EXPECT_FALSE(ell.IsInside(Vector2d(-1, 1)));
    EXPECT_TRUE(ell.IsInside(Vector2d(0.5, 1)));

    EXPECT_FALSE(MakePolygon({{0, 0}, {1, 1}}).IsInside(Vector2d(0.5, 0.5)));
}

TEST(Polygon2, Simplify)
{
    // Square with midpoints, a duplicate corner and a nearly collinear point.
    Polygon2d p =
        MakePolygon({{0, 0}, {0, 0}, {1, 0}, {2, 0}, {2, 1}, {2, 2}, {1, 2 + 1e-9}, {0, 2}, {0, 1}});
    EXPECT_EQ(p.Simplify(false), 5u);
    ASSERT_EQ(p.VertexCount(), 4u);
    EXPECT_DOUBLE_EQ(p.Area(), 4.0);
    EXPECT_FALSE(p.IsClockwise());
    const Vector2d corners[4] = {{0, 0}, {2, 0}, {2, 2}, {0, 2}};
    for (unsigned i = 0; i < 4; ++i) EXPECT_EQ(p.Vertex(i), corners[i]);
    EXPECT_EQ(p.Simplify(false), 0u);

    // Orientation survives.
    p.FlipOrientation();
    p.Simplify(true);
    EXPECT_TRUE(p.IsClockwise());

    // Small but real corners stay in the careful mode, go in the aggressive one.
    std::vector<Vector2d> wiggly;
    for (int i = 0; i <= 100; ++i) wiggly.push_back(Vector2d(i, (i % 2) * 1e-2));
    wiggly.push_back(Vector2d(100, 100));
    Polygon2d careful = MakePolygon(wiggly), rough = MakePolygon(wiggly);
    EXPECT_EQ(careful.Simplify(false), 0u);
    rough.Simplify(true);
    EXPECT_EQ(rough.VertexCount(), 3u);
    EXPECT_NEAR(rough.Area(), 5000.0, 1.0);

    // Never fewer than three vertices.
    Polygon2d flat = MakePolygon({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {2, 1e-12}});
    flat.Simplify(true);
    EXPECT_EQ(flat.VertexCount(), 3u);
    Polygon2d tri = MakePolygon({{0, 0}, {0, 0}, {1, 0}});
    EXPECT_EQ(tri.Simplify(true), 0u);
    EXPECT_EQ(tri.VertexCount(), 3u);
    Polygon2d point = MakePolygon({{1, 1}, {1, 1}, {1, 1}, {1, 1}});
    point.Simplify(true);
    EXPECT_EQ(point.VertexCount(), 4u);

    // A fine circle keeps its shape within the tolerance.
    std::vector<Vector2d> circle;
    for (int i = 0; i < 2000; ++i)
        circle.push_back(Vector2d(std::cos(2 * kPi * i / 2000), std::sin(2 * kPi * i / 2000)));
    Polygon2d c = MakePolygon(circle);
    c.Simplify(true);
    EXPECT_LT(c.VertexCount(), 2000u);
    EXPECT_GT(c.VertexCount(), 20u);
    EXPECT_NEAR(c.Area(), kPi, 0.01);
}

TEST(Polygon2, FileRoundTrip)
{
    Polygon2d p = MakePolygon({{0.1, -0.2}, {1e-30, 3.0}, {123456.789, 1.0 / 3.0}, {-5, 7}});
    const std::string path = TempPath("round.poly2d");
    ASSERT_TRUE(p.Save(path.c_str()));
    Polygon2d q;
    ASSERT_TRUE(q.Load(path.c_str()));
    ASSERT_EQ(q.VertexCount(), p.VertexCount());
    for (unsigned i = 0; i < p.VertexCount(); ++i) EXPECT_EQ(q.Vertex(i), p.Vertex(i));

    Polygon2f f;
    ASSERT_TRUE(f.Load(path.c_str()));
    EXPECT_EQ(f.Vertex(0), Vector2f(0.1f, -0.2f));
    std::remove(path.c_str());

    // Tolerated layout: blank lines, blanks, Windows line ends.
    std::istringstream loose("\n  poly2d   1 \r\n\n3\r\n0 0\r\n\t1 0 \n0 1\n\n");
    ASSERT_TRUE(q.Read(loose));
    EXPECT_EQ(q.VertexCount(), 3u);
    EXPECT_DOUBLE_EQ(q.Area(), 0.5);

    EXPECT_FALSE(Polygon2d().Save(path.c_str()));
    EXPECT_FALSE(p.Save((TempPath("no_such_dir") + "/x.poly2d").c_str()));
    EXPECT_FALSE(q.Load(TempPath("missing.poly2d").c_str()));
    EXPECT_FALSE(q.Load(nullptr));
}

TEST(Polygon2, RefusesBadFiles)
{
    const char* bad[] = {
        "",
        "poly3d 1\n3\n0 0\n1 0\n0 1\n",            // magic
        "poly2d 2\n3\n0 0\n1 0\n0 1\n",            // version
        "poly2d\n3\n0 0\n1 0\n0 1\n",              // no version
        "poly2d 1 x\n3\n0 0\n1 0\n0 1\n",          // junk on the header
        "poly2d 1\n3\n0 0\n1 0\n",                 // truncated
        "poly2d 1\n3\n0 0\n1 0\n0",                // truncated mid-line
        "poly2d 1\n99999999999\n0 0\n1 0\n0 1\n",  // huge count
        "poly2d 1\n10000001\n0 0\n1 0\n0 1\n",     // just over the cap
        "poly2d 1\n-3\n0 0\n1 0\n0 1\n",           // negative count
        "poly2d 1\n2\n0 0\n1 0\n",                 // too few for a polygon
        "poly2d 1\nthree\n0 0\n1 0\n0 1\n",        // count not a number
        "poly2d 1\n3\n0 0\n1 0\n0 1\n2 2\n",       // more than declared
        "poly2d 1\n3\n0 0\nnan 0\n0 1\n",          // NaN
        "poly2d 1\n3\n0 0\n1 inf\n0 1\n",          // infinity
        "poly2d 1\n3\n0 0\n1 1e999\n0 1\n",        // overflow
        "poly2d 1\n3\n0 0\n1\n0 1\n",              // one coordinate
        "poly2d 1\n3\n0 0\n1 0 0\n0 1\n",          // three coordinates
        "poly2d 1\n3\n0 0\n1,5 0\n0 1\n",          // comma decimal
        "poly2d 1\n3\n0 0\n1 0x\n0 1\n",           // trailing junk
    };
    Polygon2d p = MakePolygon({{5, 5}, {6, 5}, {6, 6}});
    for (const char* text : bad) {
        std::istringstream in(text);
        EXPECT_FALSE(p.Read(in)) << text;
        ASSERT_EQ(p.VertexCount(), 3u);
        EXPECT_EQ(p.Vertex(0), Vector2d(5, 5));
    }

    // The same through a file, for Load.
    const std::string path = TempPath("bad.poly2d");
    {
        std::ofstream out(path);
        out << "poly2d 1\n4\n0 0\n1 0\n1 nan\n0 1\n";
    }
    EXPECT_FALSE(p.Load(path.c_str()));
    EXPECT_EQ(p.VertexCount(), 3u);
    std::remove(path.c_str());

    // Float files refuse values beyond float range.
    Polygon2f f;
    std::istringstream big("poly2d 1\n3\n0 0\n1e200 0\n0 1\n");
    EXPECT_FALSE(f.Read(big));

    // A pipe would block the load until someone writes to it; a folder is
    // no file. Both are refused before anything is opened.
    {
        FeedingFifo fifo(TempPath("pipe.poly2d"), "poly2d 1\n3\n0 0\n1 0\n0 1\n");
        ASSERT_TRUE(fifo.Made());
        EXPECT_FALSE(p.Load(fifo.Path().c_str()));
        EXPECT_EQ(p.VertexCount(), 3u);
        EXPECT_FALSE(fifo.WasOpened());
    }
    EXPECT_FALSE(p.Load(::testing::TempDir().c_str()));
    EXPECT_EQ(p.VertexCount(), 3u);
}

// ===========================================================================
// BSplineCurve2

TEST(BSplineCurve2, OpenCurvesInterpolateEnds)
{
    std::vector<Vector2d> ctrl = {{0, 0}, {1, 2}, {3, 3}, {4, 0}, {6, 1}};
    for (int degree = 1; degree <= 4; ++degree) {
        BSplineCurve2d c(ctrl, degree, false);
        ASSERT_TRUE(c.IsValid()) << degree;
        EXPECT_EQ(c.GetDegree(), degree);
        EXPECT_FALSE(c.IsClosed());
        EXPECT_NEAR((c.GetPosition(0) - ctrl.front()).Length(), 0, 1e-12) << degree;
        EXPECT_NEAR((c.GetPosition(1) - ctrl.back()).Length(), 0, 1e-12) << degree;
        // Parameters outside [0, 1] clamp.
        EXPECT_EQ(c.GetPosition(-3), c.GetPosition(0));
        EXPECT_EQ(c.GetPosition(7), c.GetPosition(1));
        // Clamped start: the curve leaves towards the second control point.
        Vector2d d = c.GetFirstDerivative(0), e = ctrl[1] - ctrl[0];
        EXPECT_NEAR(d.Kross(e), 0, 1e-9) << degree;
        EXPECT_GT(d.Dot(e), 0) << degree;
    }
    // Degree one is the control polygon, uniformly parametrised.
    BSplineCurve2d lin(ctrl, 1, false);
    for (unsigned i = 0; i < ctrl.size(); ++i)
        EXPECT_NEAR((lin.GetPosition(i / 4.0) - ctrl[i]).Length(), 0, 1e-12);
    double polyLength = 0;
    for (unsigned i = 0; i + 1 < ctrl.size(); ++i) polyLength += (ctrl[i + 1] - ctrl[i]).Length();
    EXPECT_NEAR(lin.GetLength(), polyLength, 1e-9);
}

TEST(BSplineCurve2, DerivativesMatchFiniteDifferences)
{
    std::vector<Vector2d> ctrl = {{0, 0}, {1, 2}, {3, 3}, {4, 0}, {6, 1}, {5, -2}};
    const double h = 1e-5;
    for (bool closed : {false, true}) {
        for (int degree = 2; degree <= 5; ++degree) {
            BSplineCurve2d c(ctrl, degree, closed);
            ASSERT_TRUE(c.IsValid());
            // Away from knots, where higher derivatives jump.
            for (double t : {0.05, 0.21, 0.43, 0.61, 0.97}) {
                Vector2d fd1 = (c.GetPosition(t + h) - c.GetPosition(t - h)) / (2 * h);
                Vector2d fd2 = (c.GetFirstDerivative(t + h) - c.GetFirstDerivative(t - h)) / (2 * h);
                EXPECT_NEAR((c.GetFirstDerivative(t) - fd1).Length(), 0, 1e-4) << closed << degree << t;
                EXPECT_NEAR((c.GetSecondDerivative(t) - fd2).Length(), 0, 1e-3) << closed << degree << t;
            }
        }
    }
}

TEST(BSplineCurve2, ClosedCurvesJoinSmoothly)
{
    // Control points on a circle of radius 2.
    const int n = 16;
    const double r = 2.0;
    std::vector<Vector2d> ctrl;
    for (int i = 0; i < n; ++i)
        ctrl.push_back(Vector2d(r * std::cos(2 * kPi * i / n), r * std::sin(2 * kPi * i / n)));
    BSplineCurve2d c(ctrl, 3, true);
    ASSERT_TRUE(c.IsValid());
    EXPECT_TRUE(c.IsClosed());

    EXPECT_EQ(c.GetPosition(0), c.GetPosition(1));
    EXPECT_NEAR((c.GetPosition(0.25) - c.GetPosition(1.25)).Length(), 0, 1e-12);
    EXPECT_NEAR((c.GetPosition(0.75) - c.GetPosition(-0.25)).Length(), 0, 1e-12);
    const double eps = 1e-7;
    EXPECT_NEAR((c.GetPosition(1 - eps) - c.GetPosition(0)).Length(), 0, 1e-5);
    EXPECT_NEAR((c.GetFirstDerivative(1 - eps) - c.GetFirstDerivative(eps)).Length(), 0, 1e-4);
    EXPECT_NEAR((c.GetSecondDerivative(1 - eps) - c.GetSecondDerivative(eps)).Length(), 0, 1e-2);

    // A cubic B-spline cuts inside its control circle, by 2.5 % at most here.
    double lo = 1e9, hi = 0;
    for (int i = 0; i < 800; ++i) {
        double d = c.GetPosition(i * 0.00125).Length();
        lo = std::min(lo, d);
        hi = std::max(hi, d);
    }
    EXPECT_GT(lo, 0.97 * r);
    EXPECT_LT(hi, r);
    EXPECT_LT(hi - lo, 0.002 * r);
    EXPECT_NEAR(c.GetLength(), 2 * kPi * (lo + hi) / 2, 0.002 * r);
    EXPECT_NEAR(c.GetLength(0, 0.5), c.GetLength() / 2, 1e-6);

    // The float curve behaves the same.
    std::vector<Vector2f> ctrlf;
    for (const Vector2d& p : ctrl) ctrlf.push_back(Vector2f(p));
    BSplineCurve2f cf(ctrlf, 3, true);
    EXPECT_EQ(cf.GetPosition(0.0f), cf.GetPosition(1.0f));
    for (float t : {0.1f, 0.45f, 0.8f}) EXPECT_NEAR(cf.GetPosition(t).Length(), (lo + hi) / 2, 1e-3);
}

TEST(BSplineCurve2, InvalidInputIsHarmless)
{
    std::vector<Vector2d> three = {{1, 2}, {3, 4}, {5, 6}};
    BSplineCurve2d few(three, 3, false);
    EXPECT_FALSE(few.IsValid());
    EXPECT_EQ(few.GetNumControlPoints(), 3u);
    EXPECT_EQ(few.GetPosition(0.5), Vector2d(1, 2));
    EXPECT_EQ(few.GetFirstDerivative(0.5), Vector2d(0, 0));
    EXPECT_EQ(few.GetLength(), 0.0);
    EXPECT_TRUE(few.GetKnots().empty());
    // Fixing nothing still leaves it invalid; the degree rule stands.
    EXPECT_TRUE(few.SetControlPoint(0, Vector2d(0, 0)));
    EXPECT_FALSE(few.IsValid());
    EXPECT_TRUE(BSplineCurve2d(three, 2, false).IsValid());
    EXPECT_TRUE(BSplineCurve2d(three, 2, true).IsValid());
    EXPECT_FALSE(BSplineCurve2d({{0, 0}, {1, 0}}, 1, true).IsValid());

    EXPECT_FALSE(BSplineCurve2d(three, 0, false).IsValid());
    EXPECT_FALSE(BSplineCurve2d(three, 99, false).IsValid());
    BSplineCurve2d empty;
    EXPECT_FALSE(empty.IsValid());
    EXPECT_EQ(empty.GetPosition(0.3), Vector2d(0, 0));
    EXPECT_EQ(empty.GetControlPoint(4), Vector2d(0, 0));

    std::vector<Vector2d> withNaN = {{std::nan(""), 0}, {1, 0}, {2, 1}, {3, 0}};
    BSplineCurve2d bad(withNaN, 3, false);
    EXPECT_FALSE(bad.IsValid());
    EXPECT_TRUE(Finite(bad.GetPosition(0.5)));
    EXPECT_FALSE(bad.SetControlPoint(1, Vector2d(HUGE_VAL, 0)));
    EXPECT_TRUE(bad.SetControlPoint(0, Vector2d(0, 0)));
    EXPECT_TRUE(bad.IsValid());

    // A valid curve asked at NaN answers with a finite point.
    BSplineCurve2d ok({{0, 0}, {1, 1}, {2, 0}, {3, 1}}, 3, false);
    EXPECT_TRUE(Finite(ok.GetPosition(std::nan(""))));
    EXPECT_TRUE(Finite(ok.GetFirstDerivative(HUGE_VAL)));
}

// ===========================================================================
// Spline3

namespace {

std::vector<Vector3d> HelixPoints(int n)
{
    std::vector<Vector3d> pts;
    for (int i = 0; i < n; ++i) pts.push_back(Vector3d(std::cos(0.7 * i), std::sin(0.7 * i), 0.3 * i));
    return pts;
}

void ExpectOrthonormalFrame(const Vector3d& t, const Vector3d& n, const Vector3d& b, const char* where,
                            double tol = 1e-9)
{
    EXPECT_NEAR(t.Length(), 1, tol) << where;
    EXPECT_NEAR(n.Length(), 1, tol) << where;
    EXPECT_NEAR(b.Length(), 1, tol) << where;
    EXPECT_NEAR(t.Dot(n), 0, tol) << where;
    EXPECT_NEAR(t.Dot(b), 0, tol) << where;
    EXPECT_NEAR(n.Dot(b), 0, tol) << where;
    EXPECT_NEAR((t.Cross(n) - b).Length(), 0, tol) << where;
}

}  // namespace

TEST(Spline3, EvaluationAndLength)
{
    std::vector<Vector3d> ctrl = HelixPoints(7);
    Spline3d open(ctrl, 3, false);
    ASSERT_TRUE(open.IsValid());
    EXPECT_NEAR((open.GetPosition(0) - ctrl.front()).Length(), 0, 1e-12);
    EXPECT_NEAR((open.GetPosition(1) - ctrl.back()).Length(), 0, 1e-12);
    const std::vector<double>& knots = open.GetKnots();
    ASSERT_EQ(knots.size(), ctrl.size() + 4);
    EXPECT_EQ(knots[3], 0.0);
    EXPECT_EQ(knots[ctrl.size()], 1.0);

    Spline3d closed(ctrl, 3, true);
    ASSERT_TRUE(closed.IsValid());
    EXPECT_EQ(closed.GetKnots().size(), ctrl.size() + 7);
    EXPECT_EQ(closed.GetPosition(0), closed.GetPosition(1));
    EXPECT_NEAR((closed.GetFirstDerivative(1 - 1e-8) - closed.GetFirstDerivative(0)).Length(), 0, 1e-5);

    const double h = 1e-5;
    for (const Spline3d* s : {&open, &closed}) {
        for (double t : {0.1, 0.33, 0.5, 0.8}) {
            Vector3d fd = (s->GetPosition(t + h) - s->GetPosition(t - h)) / (2 * h);
            EXPECT_NEAR((s->GetFirstDerivative(t) - fd).Length(), 0, 1e-4);
            Vector3d fd2 = (s->GetFirstDerivative(t + h) - s->GetFirstDerivative(t - h)) / (2 * h);
            EXPECT_NEAR((s->GetSecondDerivative(t) - fd2).Length(), 0, 1e-3);
            Vector3d tan = s->GetTangent(t), d = s->GetFirstDerivative(t);
            EXPECT_NEAR((tan - d / d.Length()).Length(), 0, 1e-12);
        }
        // The length is the limit of fine chords.
        double chords = 0;
        for (int i = 0; i < 20000; ++i)
            chords += (s->GetPosition((i + 1) / 20000.0) - s->GetPosition(i / 20000.0)).Length();
        EXPECT_NEAR(s->GetLength(), chords, 1e-5 * chords);
    }

    // A straight cubic through evenly spaced points has the chord's length.
    Spline3d line({{0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {3, 3, 3}, {4, 4, 4}}, 3, false);
    EXPECT_NEAR(line.GetLength(), 4 * std::sqrt(3.0), 1e-9);
}

TEST(Spline3, KnotsAndStorageRoundTrip)
{
    std::vector<Vector3d> ctrl = HelixPoints(6);
    std::vector<double> knots = {0, 0, 0, 0, 0.2, 0.7, 1, 1, 1, 1};
    Spline3d s;
    EXPECT_FALSE(s.IsValid());
    ASSERT_TRUE(s.Set(ctrl, 3, false, knots));
    EXPECT_EQ(s.GetKnots(), knots);

    // What storage keeps rebuilds the same curve.
    Spline3d restored;
    ASSERT_TRUE(restored.Set(s.GetControlPoints(), s.GetDegree(), s.IsClosed(), s.GetKnots()));
    for (double t : {0.0, 0.15, 0.5, 0.9, 1.0}) EXPECT_EQ(restored.GetPosition(t), s.GetPosition(t));
    // Non-uniform knots move the curve compared with the uniform default.
    Spline3d uniform(ctrl, 3, false);
    EXPECT_GT((uniform.GetPosition(0.5) - s.GetPosition(0.5)).Length(), 1e-3);

    Spline3d closed(ctrl, 2, true);
    Spline3d closedCopy;
    ASSERT_TRUE(closedCopy.Set(closed.GetControlPoints(), 2, true, closed.GetKnots()));
    EXPECT_EQ(closedCopy.GetPosition(0.4), closed.GetPosition(0.4));

    // Refused knot vectors leave the spline as it was.
    const Vector3d before = s.GetPosition(0.5);
    std::vector<double> shortKnots(knots.begin(), knots.end() - 1);
    std::vector<double> decreasing = {0, 0, 0, 0, 0.7, 0.2, 1, 1, 1, 1};
    std::vector<double> nanKnots = {0, 0, 0, 0, std::nan(""), 0.7, 1, 1, 1, 1};
    std::vector<double> tooMany = {0, 0, 0, 0, 0, 0.7, 1, 1, 1, 1};
    std::vector<double> emptyDomain = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1};
    for (const auto& k : {shortKnots, decreasing, nanKnots, tooMany, emptyDomain})
        EXPECT_FALSE(s.Set(ctrl, 3, false, k));
    // Closed knots must repeat their spacing.
    std::vector<double> periodic = closed.GetKnots();
    periodic[1] += 0.01;
    EXPECT_FALSE(s.Set(ctrl, 2, true, periodic));
    EXPECT_FALSE(s.Set(ctrl, 9, false));
    EXPECT_FALSE(s.Set({{0, 0, 0}, {1, 0, 0}}, 2, false));
    EXPECT_FALSE(s.Set({{0, 0, 0}, {1, 0, 0}, {1, std::nan(""), 0}, {2, 0, 0}}, 3, false));
    EXPECT_EQ(s.GetPosition(0.5), before);
    EXPECT_EQ(s.GetKnots(), knots);

    // Moving a control point keeps the stored knots.
    ASSERT_TRUE(s.SetControlPoint(2, Vector3d(9, 9, 9)));
    EXPECT_EQ(s.GetKnots(), knots);
    EXPECT_FALSE(s.SetControlPoint(6, Vector3d(0, 0, 0)));
    EXPECT_FALSE(s.SetControlPoint(0, Vector3d(0, HUGE_VAL, 0)));
}

TEST(Spline3, RotationMinimisingFrame)
{
    Spline3d helix(HelixPoints(9), 3, false);
    Vector3d t, n, b;
    const double h = 1e-4;
    for (double u : {0.0, 0.1, 0.37, 0.5, 0.77, 1.0}) {
        ASSERT_TRUE(helix.GetFrame(u, t, n, b));
        ExpectOrthonormalFrame(t, n, b, "helix");
        EXPECT_NEAR((t - helix.GetTangent(u)).Length(), 0, 1e-12);
        // No twist: the normal turns only towards the tangent, never about it.
        if (u + h <= 1.0) {
            Vector3d t2, n2, b2;
            helix.GetFrame(u + h, t2, n2, b2);
            EXPECT_NEAR((n2 - n).Dot(b) / h, 0, 1e-3) << u;
        }
    }

    // A planar curve keeps its normal out of the plane... or in it: either
    // way the normal keeps its angle with the plane.
    Spline3d planar({{0, 0, 0}, {1, 2, 0}, {3, -1, 0}, {5, 2, 0}, {6, 0, 0}}, 3, false);
    planar.GetFrame(0, t, n, b);
    const double z0 = n.Z();
    for (double u = 0; u <= 1.0; u += 0.05) {
        planar.GetFrame(u, t, n, b);
        EXPECT_NEAR(n.Z(), z0, 1e-6) << u;
    }

    // Closed: the frame comes back to where it started.
    Spline3d loop(HelixPoints(8), 3, true);
    Vector3d t0, n0, b0, t1, n1, b1;
    ASSERT_TRUE(loop.GetFrame(0, t0, n0, b0));
    ASSERT_TRUE(loop.GetFrame(1 - 1e-7, t1, n1, b1));
    EXPECT_NEAR((n1 - n0).Length(), 0, 1e-4);
    EXPECT_NEAR((t1 - t0).Length(), 0, 1e-4);
    for (double u = 0; u < 1.0; u += 0.0625) {
        loop.GetFrame(u, t, n, b);
        ExpectOrthonormalFrame(t, n, b, "loop");
    }

    std::vector<Vector3f> ctrlf;
    for (const Vector3d& p : HelixPoints(8)) ctrlf.push_back(Vector3f(p));
    Spline3f loopf(ctrlf, 3, true);
    Vector3f tf, nf, bf;
    for (float u : {0.0f, 0.3f, 0.99f}) {
        ASSERT_TRUE(loopf.GetFrame(u, tf, nf, bf));
        ExpectOrthonormalFrame(Vector3d(tf), Vector3d(nf), Vector3d(bf), "float", 1e-6);
    }
}

TEST(Spline3, DegenerateCurves)
{
    // Doubled control points stop the curve for an instant; the tangent
    // still points the way it goes.
    Spline3d cusp({{0, 0, 0}, {1, 0, 0}, {1, 0, 0}, {1, 0, 0}, {1, 1, 0}}, 3, false);
    ASSERT_TRUE(cusp.IsValid());
    Vector3d tan = cusp.GetTangent(0.5);
    EXPECT_NEAR(tan.Length(), 1, 1e-9);
    Vector3d t, n, b;
    EXPECT_TRUE(cusp.GetFrame(0.5, t, n, b));
    EXPECT_TRUE(Finite(n) && Finite(b));

    Spline3d still({{2, 2, 2}, {2, 2, 2}, {2, 2, 2}, {2, 2, 2}}, 3, false);
    EXPECT_TRUE(still.IsValid());
    EXPECT_EQ(still.GetTangent(0.5), Vector3d(0, 0, 0));
    EXPECT_NEAR(still.GetLength(), 0.0, 1e-12);
    EXPECT_FALSE(still.GetFrame(0.5, t, n, b));
    ExpectOrthonormalFrame(t, n, b, "still");

    Spline3d invalid({{1, 2, 3}, {4, 5, 6}}, 3, false);
    EXPECT_FALSE(invalid.IsValid());
    EXPECT_EQ(invalid.GetPosition(0.7), Vector3d(1, 2, 3));
    EXPECT_EQ(invalid.GetFirstDerivative(0.7), Vector3d(0, 0, 0));
    EXPECT_FALSE(invalid.GetFrame(0.2, t, n, b));
    Spline3d nanCurve({{std::nan(""), 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}}, 3, false);
    EXPECT_FALSE(nanCurve.IsValid());
    EXPECT_TRUE(Finite(nanCurve.GetPosition(0.5)));
    EXPECT_TRUE(Finite(Spline3d(HelixPoints(5)).GetPosition(std::nan(""))));
}
