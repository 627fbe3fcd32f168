// Strokes: vertex and smoothing bookkeeping, simplification, normals, value
// points, the smoothing brush and erasing by a box.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "sketch/PointSet.h"
#include "sketch/Stroke.h"
#include "tests/support/MouseStrokes.h"
#include "wml/DebugOutput.h"
#include "wml/Distance.h"
#include "wml/Segment2.h"

using namespace sketchtest;
using vynsketch::PointSet;
using vynsketch::Stroke;

namespace {

const float NaN = std::numeric_limits<float>::quiet_NaN();

Stroke MakeStroke(const std::vector<Vector2f>& points, float smoothing = 0.01f)
{
    return Stroke(points, std::vector<float>(points.size(), smoothing));
}

/// Axis-aligned box as a Box2 (centre, half sizes).
Wml::Box2<float> Box(float cx, float cy, float hx, float hy)
{
    return Wml::Box2<float>(Vector2f(cx, cy), Vector2f(1, 0), Vector2f(0, 1), hx, hy);
}

bool OnBoundary(const Wml::Box2<float>& box, const Vector2f& p, float tol = 1e-3f)
{
    const float u = std::fabs(box.Coordinate(0, p)), v = std::fabs(box.Coordinate(1, p));
    const bool within = u <= box.Extent(0) + tol && v <= box.Extent(1) + tol;
    return within && (std::fabs(u - box.Extent(0)) <= tol || std::fabs(v - box.Extent(1)) <= tol);
}

float DistanceToPolyline(const std::vector<Vector2f>& polyline, const Vector2f& p)
{
    float best = std::numeric_limits<float>::max();
    for (size_t i = 1; i < polyline.size(); ++i)
        best = std::min(
            best, Wml::SqrDistance(p, Wml::Segment2<float>::FromEndPoints(polyline[i - 1], polyline[i])));
    return std::sqrt(best);
}

std::vector<Vector2f> Circle(Vector2f centre, float radius, int n, float turns = 1.0f)
{
    std::vector<Vector2f> v;
    for (int i = 0; i <= n; ++i) {
        const float a = 2.0f * PI * turns * i / n;
        v.push_back(centre + Vector2f(std::cos(a), std::sin(a)) * radius);
    }
    return v;
}

void ExpectUnchanged(const Stroke& a, const Stroke& b)
{
    ASSERT_EQ(a.GetNumVertices(), b.GetNumVertices());
    for (unsigned i = 0; i < a.GetNumVertices(); ++i) {
        EXPECT_EQ(a.GetVertex(i), b.GetVertex(i));
        EXPECT_EQ(a.GetSmoothingParam(i), b.GetSmoothingParam(i));
    }
}

class StrokeTest : public ::testing::Test {
protected:
    Wml::ScopedDebugOutputSink sink{[this](const char* m) { messages.push_back(m); }};
    std::vector<std::string> messages;
};

}  // namespace

TEST_F(StrokeTest, VerticesAndSmoothingValues)
{
    Stroke empty;
    EXPECT_EQ(empty.GetNumVertices(), 0u);
    EXPECT_EQ(empty.GetLastVertex(), nullptr);
    EXPECT_EQ(empty.GetVertex(3), Vector2f(0, 0));
    EXPECT_FALSE(empty.HasNormals());

    // Non-finite points are refused with their values; missing or unusable
    // values become the default.
    Stroke s({Vector2f(1, 2), Vector2f(NaN, 0), Vector2f(3, 4), Vector2f(5, 6)}, {0.2f, 0.3f, -1.0f});
    ASSERT_EQ(s.GetNumVertices(), 3u);
    EXPECT_EQ(s.GetVertex(1), Vector2f(3, 4));
    EXPECT_FLOAT_EQ(s.GetSmoothingParam(0), 0.2f);
    EXPECT_FLOAT_EQ(s.GetSmoothingParam(1), Stroke::DEFAULT_SMOOTHING);
    EXPECT_FLOAT_EQ(s.GetSmoothingParam(2), Stroke::DEFAULT_SMOOTHING);
    EXPECT_EQ(s.GetSmoothingParam(7), 0.0f);
    s.AppendVertex(Vector2f(std::numeric_limits<float>::infinity(), 1), 0.5f);
    s.AppendVertex(Vector2f(7, 8), NaN);
    ASSERT_EQ(s.GetNumVertices(), 4u);
    EXPECT_EQ(*s.GetLastVertex(), Vector2f(7, 8));
    EXPECT_FLOAT_EQ(s.GetSmoothingParam(3), Stroke::DEFAULT_SMOOTHING);

    s.SetSmoothingParam(0.25f);
    for (unsigned i = 0; i < s.GetNumVertices(); ++i) EXPECT_FLOAT_EQ(s.GetSmoothingParam(i), 0.25f);
    s.SetSmoothingParam(NaN);
    EXPECT_FLOAT_EQ(s.GetSmoothingParam(0), 0.25f);

    // Copies are independent.
    Stroke copy(s);
    copy.AppendVertex(Vector2f(9, 9), 0.1f);
    copy.SetSmoothingParam(0.4f);
    EXPECT_EQ(s.GetNumVertices(), 4u);
    EXPECT_FLOAT_EQ(s.GetSmoothingParam(0), 0.25f);
    Stroke assigned;
    assigned = copy;
    EXPECT_EQ(assigned.GetNumVertices(), 5u);

    // The oriented box holds every vertex.
    Stroke diagonal = MakeStroke({Vector2f(0, 0), Vector2f(10, 10), Vector2f(20, 20), Vector2f(21, 19)});
    Wml::Box2<float> box = diagonal.GetBoundingBox();
    for (const Vector2f& v : diagonal.GetVertices()) EXPECT_LE(Wml::SqrDistance(v, box), 0.0f);
    EXPECT_NEAR(std::max(box.Extent(0), box.Extent(1)), std::sqrt(800.0f) / 2.0f, 0.5f);
}

TEST_F(StrokeTest, SimplifyThinsAndStaysClose)
{
    std::vector<Vector2f> input = SampleMouse(Arc(Vector2f(400, 300), 100, 0, 1.5f * PI), 2.0f, 0.3f);
    std::vector<float> smoothing;
    for (size_t i = 0; i < input.size(); ++i) smoothing.push_back(0.01f * (1 + i % 7));
    Stroke s(input, smoothing);
    s.GenerateNormals();
    messages.clear();
    s.Simplify();

    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[0], "Simplifying: " + std::to_string(input.size()) + " verts before\n");
    EXPECT_EQ(messages[1].rfind("        maxdim: ", 0), 0u);
    EXPECT_NE(messages[1].find("   tol: "), std::string::npos);
    EXPECT_EQ(messages[2].rfind("             ", 0), 0u);
    EXPECT_NE(messages[2].find(" verts after stage 1\n"), std::string::npos);
    EXPECT_EQ(messages[3], "             " + std::to_string(s.GetNumVertices()) + " verts after\n");
    float maxdim = 0, tol = 0;
    ASSERT_EQ(std::sscanf(messages[1].c_str(), " maxdim: %f tol: %f", &maxdim, &tol), 2);
    EXPECT_NEAR(tol, 0.05f * maxdim, 1e-4f);

    ASSERT_LT(s.GetNumVertices(), input.size());
    EXPECT_GE(s.GetNumVertices(), 9u);
    EXPECT_EQ(s.GetVertex(0), input.front());
    EXPECT_EQ(*s.GetLastVertex(), input.back());
    // Every input point stays within the stage-1 spacing of the result.
    for (const Vector2f& p : input) EXPECT_LE(DistanceToPolyline(s.GetVertices(), p), tol * 1.06f);
    // No kept edge is much longer than five tolerances (the split rule).
    for (unsigned i = 1; i < s.GetNumVertices(); ++i)
        EXPECT_LE((s.GetVertex(i) - s.GetVertex(i - 1)).Length(), 5.0f * tol * 1.001f);
    // Each kept vertex keeps its own smoothing value; stale normals are gone.
    for (unsigned i = 0; i < s.GetNumVertices(); ++i) {
        size_t source = 0;
        while (input[source] != s.GetVertex(i)) ++source;
        EXPECT_FLOAT_EQ(s.GetSmoothingParam(i), smoothing[source]) << i;
    }
    EXPECT_FALSE(s.HasNormals());

    // A straight line keeps its ends and splits into spans of at most an
    // eighth of its length.
    std::vector<Vector2f> line;
    for (int i = 0; i <= 200; ++i) line.push_back(Vector2f(static_cast<float>(i), 0.5f * i));
    Stroke straight = MakeStroke(line);
    straight.Simplify();
    EXPECT_EQ(straight.GetVertex(0), line.front());
    EXPECT_EQ(*straight.GetLastVertex(), line.back());
    EXPECT_GE(straight.GetNumVertices(), 9u);
    EXPECT_LE(straight.GetNumVertices(), 17u);

    // Degenerate strokes survive.
    Stroke none;
    none.Simplify();
    EXPECT_EQ(none.GetNumVertices(), 0u);
    Stroke one = MakeStroke({Vector2f(3, 3)});
    one.Simplify();
    EXPECT_EQ(one.GetNumVertices(), 1u);
    Stroke same = MakeStroke(std::vector<Vector2f>(50, Vector2f(3, 3)));
    same.Simplify();
    EXPECT_GE(same.GetNumVertices(), 1u);
    EXPECT_LE(same.GetNumVertices(), 50u);
}

TEST_F(StrokeTest, SimplifyHandlesLongStrokes)
{
    // A long, tightly wound stroke: no deep recursion, result still close.
    std::vector<Vector2f> input;
    const Path spiral = Spiral(Vector2f(400, 300), 5, 250, 40.0f);
    for (int i = 0; i <= 50000; ++i) input.push_back(spiral(i / 50000.0f));
    Stroke s = MakeStroke(input);
    s.Simplify();
    EXPECT_GT(s.GetNumVertices(), 100u);
    EXPECT_LT(s.GetNumVertices(), input.size());
    EXPECT_EQ(*s.GetLastVertex(), input.back());
}

TEST_F(StrokeTest, NormalsPointOutwardOnCounterClockwiseStrokes)
{
    Stroke s = MakeStroke(Circle(Vector2f(50, 50), 20, 36));
    s.GenerateNormals();
    ASSERT_TRUE(s.HasNormals());
    for (unsigned i = 0; i < s.GetNumVertices(); ++i) {
        const Vector2f n = s.GetNormals()[i];
        EXPECT_NEAR(n.Length(), 1.0f, 1e-5f);
        Vector2f radial = s.GetVertex(i) - Vector2f(50, 50);
        radial.Normalize();
        EXPECT_GT(n.Dot(radial), 0.98f) << i;
    }
    // End normals come from the end edges.
    Stroke bent = MakeStroke({Vector2f(0, 0), Vector2f(10, 0), Vector2f(10, 10)});
    bent.GenerateNormals();
    EXPECT_EQ(bent.GetNormals()[0], Vector2f(0, -1));
    EXPECT_NEAR(bent.GetNormals()[1].X(), std::sqrt(0.5f), 1e-6f);
    EXPECT_NEAR(bent.GetNormals()[1].Y(), -std::sqrt(0.5f), 1e-6f);
    EXPECT_EQ(bent.GetNormals()[2], Vector2f(1, 0));
    bent.FlipNormals();
    EXPECT_EQ(bent.GetNormals()[0], Vector2f(0, 1));
    // Existing normals are kept while the count matches; an append makes
    // them stale and they are redone.
    bent.GenerateNormals();
    EXPECT_EQ(bent.GetNormals()[0], Vector2f(0, 1));
    bent.AppendVertex(Vector2f(0, 10), 0.01f);
    EXPECT_FALSE(bent.HasNormals());
    bent.GenerateNormals();
    EXPECT_TRUE(bent.HasNormals());
    EXPECT_EQ(bent.GetNormals()[0], Vector2f(0, -1));
    bent.ClearNormals();
    EXPECT_FALSE(bent.HasNormals());

    Stroke one = MakeStroke({Vector2f(1, 1)});
    one.GenerateNormals();
    EXPECT_FALSE(one.HasNormals());
}

TEST_F(StrokeTest, EndNormalsIgnoreATinyLastEdge)
{
    // The pointer twitches as the button goes up (or down): a last edge of
    // a pixel or so, in any direction, says nothing about the stroke's side.
    const std::vector<Vector2f> straight = {Vector2f(0, 0), Vector2f(12, 0), Vector2f(24, 0), Vector2f(36, 0),
                                            Vector2f(48, 0)};
    for (const Vector2f twitch :
         {Vector2f(0.3f, 0.9f), Vector2f(-0.8f, -0.6f), Vector2f(0, 1), Vector2f(-1, 0)}) {
        std::vector<Vector2f> atEnd = straight, atStart = straight;
        atEnd.push_back(straight.back() + twitch);
        atStart.insert(atStart.begin(), straight.front() - twitch);
        for (const std::vector<Vector2f>& vertices : {atEnd, atStart}) {
            Stroke s = MakeStroke(vertices);
            s.GenerateNormals();
            ASSERT_TRUE(s.HasNormals());
            for (unsigned i = 0; i < s.GetNumVertices(); ++i)
                EXPECT_GT(s.GetNormals()[i].Dot(Vector2f(0, -1)), 0.9f)
                    << i << " twitch " << twitch.X() << "," << twitch.Y();
        }
    }
    // A two-vertex stroke has only its one edge to go by, however short.
    Stroke tiny = MakeStroke({Vector2f(0, 0), Vector2f(0.5f, 0)});
    tiny.GenerateNormals();
    EXPECT_EQ(tiny.GetNormals()[1], Vector2f(0, -1));
}

TEST_F(StrokeTest, ValuePointsStraddleTheStroke)
{
    PointSet points(0.0f, 1.0f, -1.0f, 10.0f);
    Stroke s({Vector2f(0, 0), Vector2f(100, 0), Vector2f(200, 0)}, {0.01f, 0.2f, 0.3f});
    s.GetValuePoints(points);
    ASSERT_EQ(points.GetNumPoints(), 9u);
    auto find = [&points](const Vector2f& p) -> const PointSet::Point* {
        for (const PointSet::Point& q : points.GetPoints())
            if (q.position == p) return &q;
        return nullptr;
    };
    // Normal (0, -1): outside below the stroke, inside above.
    const PointSet::Point* on = find(Vector2f(100, 0));
    const PointSet::Point* out = find(Vector2f(100, -10));
    const PointSet::Point* in = find(Vector2f(100, 10));
    ASSERT_TRUE(on && out && in);
    EXPECT_EQ(on->value, 0.0f);
    EXPECT_EQ(out->value, -1.0f);
    EXPECT_EQ(in->value, 1.0f);
    EXPECT_FLOAT_EQ(in->smoothing, 0.2f);
    EXPECT_FLOAT_EQ(find(Vector2f(200, 10))->smoothing, 0.3f);

    // A second pass adds nothing: the positions are already held.
    s.GetValuePoints(points);
    EXPECT_EQ(points.GetNumPoints(), 9u);

    PointSet single(0.0f, 1.0f, -1.0f, 10.0f);
    Stroke one = MakeStroke({Vector2f(5, 5)}, 0.05f);
    one.GetValuePoints(single);
    ASSERT_EQ(single.GetNumPoints(), 1u);
    EXPECT_EQ(single.GetPoints().begin()->value, 0.0f);
}

TEST_F(StrokeTest, SmoothingBrushWorksInsideTheBoxOnly)
{
    Stroke s = MakeStroke({Vector2f(0, 0), Vector2f(10, 0), Vector2f(20, 0), Vector2f(30, 0)});
    const Wml::Box2<float> box = Box(15, 0, 5, 5);  // holds x = 10 and 20 (on its sides)
    for (int i = 0; i < 10; ++i) s.IncreaseSmoothingParam(box, 0.1f, 0.5f);
    EXPECT_FLOAT_EQ(s.GetSmoothingParam(0), 0.01f);
    EXPECT_FLOAT_EQ(s.GetSmoothingParam(1), 0.5f);
    EXPECT_FLOAT_EQ(s.GetSmoothingParam(2), 0.5f);
    EXPECT_FLOAT_EQ(s.GetSmoothingParam(3), 0.01f);
    s.DecreaseSmoothingParam(box, 0.15f, 0.3f);
    EXPECT_FLOAT_EQ(s.GetSmoothingParam(1), 0.35f);
    s.DecreaseSmoothingParam(box, 0.15f, 0.3f);
    EXPECT_FLOAT_EQ(s.GetSmoothingParam(1), 0.3f);
    s.DecreaseSmoothingParam(box, 1.0f, -5.0f);
    EXPECT_FLOAT_EQ(s.GetSmoothingParam(1), 0.0f);
    EXPECT_FLOAT_EQ(s.GetSmoothingParam(0), 0.01f);
    s.IncreaseSmoothingParam(box, NaN, 0.5f);
    EXPECT_FLOAT_EQ(s.GetSmoothingParam(1), 0.0f);

    Stroke empty;
    empty.IncreaseSmoothingParam(box, 0.1f, 0.5f);
    empty.DecreaseSmoothingParam(box, 0.1f, 0.0f);
    EXPECT_EQ(empty.GetNumVertices(), 0u);
}

TEST_F(StrokeTest, EraseAcrossTheMiddleLeavesTwoPieces)
{
    std::vector<Vector2f> line;
    for (int i = 0; i <= 40; ++i) line.push_back(Vector2f(5.0f * i, 100.0f + 0.1f * i));
    Stroke s(line, std::vector<float>(line.size(), 0.3f));
    s.GenerateNormals();
    const Stroke before(s);
    const Wml::Box2<float> box = Box(101, 100, 23, 30);

    std::vector<Stroke*> pieces;
    s.Erase(box, pieces);
    ExpectUnchanged(s, before);
    EXPECT_FALSE(s.HasNormals());
    ASSERT_EQ(pieces.size(), 2u);
    const Stroke& left = *pieces[0];
    const Stroke& right = *pieces[1];

    // The far ends are the stroke's own; the facing ends lie on the box
    // boundary with the cut smoothing value.
    EXPECT_EQ(left.GetVertex(0), line.front());
    EXPECT_FLOAT_EQ(left.GetSmoothingParam(0), 0.3f);
    EXPECT_EQ(*right.GetLastVertex(), line.back());
    const Vector2f leftEnd = *left.GetLastVertex(), rightStart = right.GetVertex(0);
    EXPECT_TRUE(OnBoundary(box, leftEnd));
    EXPECT_TRUE(OnBoundary(box, rightStart));
    EXPECT_NEAR(leftEnd.X(), 78.0f, 1e-3f);
    EXPECT_NEAR(rightStart.X(), 124.0f, 1e-3f);
    EXPECT_FLOAT_EQ(left.GetSmoothingParam(left.GetNumVertices() - 1), Stroke::CUT_SMOOTHING);
    EXPECT_FLOAT_EQ(right.GetSmoothingParam(0), Stroke::CUT_SMOOTHING);
    // Nothing of either piece lies inside the box except its cut end.
    for (unsigned i = 0; i + 1 < left.GetNumVertices(); ++i)
        EXPECT_GT(Wml::SqrDistance(left.GetVertex(i), box), 0.0f);
    for (unsigned i = 1; i < right.GetNumVertices(); ++i)
        EXPECT_GT(Wml::SqrDistance(right.GetVertex(i), box), 0.0f);
    // Every original vertex outside the box survives in a piece.
    EXPECT_EQ(left.GetNumVertices() + right.GetNumVertices(), 16u + 16u + 2u);
    for (Stroke* p : pieces) delete p;
}

TEST_F(StrokeTest, EraseEdgeCases)
{
    const Wml::Box2<float> box = Box(50, 50, 10, 10);
    std::vector<Stroke*> pieces;

    // Entirely outside: one copy. Entirely inside: nothing.
    Stroke outside = MakeStroke({Vector2f(0, 0), Vector2f(10, 5), Vector2f(20, 0)}, 0.2f);
    outside.Erase(box, pieces);
    ASSERT_EQ(pieces.size(), 1u);
    ExpectUnchanged(*pieces[0], outside);
    delete pieces[0];
    pieces.clear();
    MakeStroke({Vector2f(45, 45), Vector2f(50, 52), Vector2f(55, 45), Vector2f(48, 48)}).Erase(box, pieces);
    EXPECT_TRUE(pieces.empty());

    // One long edge straight through the box: both parts kept, with the
    // edge's far vertex.
    Stroke through = MakeStroke({Vector2f(0, 50), Vector2f(100, 50), Vector2f(100, 90)}, 0.2f);
    through.Erase(box, pieces);
    ASSERT_EQ(pieces.size(), 2u);
    ASSERT_EQ(pieces[0]->GetNumVertices(), 2u);
    EXPECT_NEAR(pieces[0]->GetVertex(1).X(), 40.0f, 1e-3f);
    ASSERT_EQ(pieces[1]->GetNumVertices(), 3u);
    EXPECT_NEAR(pieces[1]->GetVertex(0).X(), 60.0f, 1e-3f);
    EXPECT_EQ(pieces[1]->GetVertex(1), Vector2f(100, 50));
    EXPECT_FLOAT_EQ(pieces[1]->GetSmoothingParam(1), 0.2f);
    for (Stroke* p : pieces) delete p;
    pieces.clear();

    // Starting inside: the piece starts where the pen leaves the box.
    MakeStroke({Vector2f(50, 50), Vector2f(55, 50), Vector2f(80, 50), Vector2f(90, 50)}).Erase(box, pieces);
    ASSERT_EQ(pieces.size(), 1u);
    ASSERT_EQ(pieces[0]->GetNumVertices(), 3u);
    EXPECT_NEAR(pieces[0]->GetVertex(0).X(), 60.0f, 1e-3f);
    EXPECT_TRUE(OnBoundary(box, pieces[0]->GetVertex(0)));
    delete pieces[0];
    pieces.clear();

    // In and out three times: four pieces, none reaching into the box.
    std::vector<Vector2f> weave;
    for (int i = 0; i <= 60; ++i)
        weave.push_back(Vector2f(20.0f + i, 50.0f + 25.0f * std::sin(i * PI / 10.0f)));
    MakeStroke(weave).Erase(box, pieces);
    EXPECT_GE(pieces.size(), 3u);
    for (Stroke* p : pieces) {
        EXPECT_GE(p->GetNumVertices(), 2u);
        for (unsigned i = 1; i + 1 < p->GetNumVertices(); ++i)
            EXPECT_GT(Wml::SqrDistance(p->GetVertex(i), box), 0.0f);
        delete p;
    }
    pieces.clear();

    // Grazing a corner or a box without area cuts nothing; a NaN box neither.
    MakeStroke({Vector2f(30, 50), Vector2f(50, 70)}).Erase(box, pieces);
    ASSERT_EQ(pieces.size(), 1u);
    delete pieces[0];
    pieces.clear();
    const Wml::Box2<float> flat = Box(50, 50, 10, 0);
    MakeStroke({Vector2f(50, 0), Vector2f(50, 100)}).Erase(flat, pieces);
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0]->GetNumVertices(), 2u);
    delete pieces[0];
    pieces.clear();
    MakeStroke({Vector2f(50, 0), Vector2f(50, 100)}).Erase(Box(NaN, 50, 10, 10), pieces);
    ASSERT_EQ(pieces.size(), 1u);
    delete pieces[0];
    pieces.clear();

    // Fewer than two vertices: nothing.
    MakeStroke({Vector2f(0, 0)}).Erase(box, pieces);
    Stroke().Erase(box, pieces);
    EXPECT_TRUE(pieces.empty());
}
