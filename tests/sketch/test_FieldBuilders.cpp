// Outline templates: the variational, B-spline and brute-force builders put
// the 0.5 contour on the outline, 1 deep inside and 0 far outside.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "implicit/fields2d/DiscreteScalarField2D.h"
#include "sketch/PointSet.h"
#include "sketch/SketchField.h"
#include "tests/support/PolyLineShapes.h"
#include "wml/BSplineCurve2.h"
#include "wml/DebugOutput.h"

using namespace geometry_test;
using vynimplicit::DiscreteScalarField2D;
using vynsketch::PointSet;
using vynsketch::SketchField;
using Field = std::unique_ptr<DiscreteScalarField2D>;

namespace {

// Where the builders put a point of the outline: its box mapped to [1, 2]^2.
struct Placement {
    explicit Placement(const PolyLine& line, const Wml::AxisAlignedBox2<float>* box = nullptr)
    {
        PolyLine copy(line);
        b = box ? *box : line.ComputeBoundingBox();
        scale = copy.ToUnitSquare(size, ox, oy, box);
    }
    V2 operator()(const V2& p) const
    {
        return V2((p.X() - b.Min(0)) * scale + ox + 1.0f, (p.Y() - b.Min(1)) * scale + oy + 1.0f);
    }
    Wml::AxisAlignedBox2<float> b;
    float scale, size, ox, oy;
};

// The builder's samples lie on [0, 3]^2, corner to corner.
float At(DiscreteScalarField2D& field, const V2& p)
{
    field.SetInterpolation(DiscreteScalarField2D::Interpolation::Bilinear);
    field.SetBounds(Wml::AxisAlignedBox2<float>(0, 3, 0, 3));
    return field.Value(p.X(), p.Y());
}

// Checks value ~0.5 on the outline vertices and edge midpoints, and the
// inside / outside levels at the given points.
void ExpectOutlineIsHalfLevel(DiscreteScalarField2D& field, const PolyLine& line, const Placement& place,
                              float tolerance)
{
    for (unsigned e = 0; e < line.GetNumEdges(); ++e) {
        const V2 a = line.GetVertex(line.GetEdge(e).v1), b = line.GetVertex(line.GetEdge(e).v2);
        EXPECT_NEAR(At(field, place(a)), 0.5f, tolerance) << "vertex " << e;
        EXPECT_NEAR(At(field, place((a + b) * 0.5f)), 0.5f, tolerance) << "edge " << e;
    }
}

PolyLine Blob()
{
    return Loop(Radial(150, 256, 256,
                       [](double a) { return 160 * (1 + 0.15 * std::sin(3 * a) + 0.06 * std::cos(7 * a)); }));
}

// The template a dense evaluation of the same fit gives, for comparison.
std::vector<float> DenseTemplate(const PolyLine& line, unsigned n)
{
    PolyLine curve(line);
    float size, ox, oy;
    curve.ToUnitSquare(size, ox, oy, nullptr);
    curve.Translate(1, 1);
    PointSet points(0.454202f, 0.464202f, 0.444202f, 0.01f);
    EXPECT_TRUE(curve.GenPointSet(points));
    curve.AddCircleConstraint(points, V2(1.5f, 1.5f), 2, 2);
    SketchField fit;
    EXPECT_TRUE(fit.GenerateSketchField(points, true, 0.0001));
    std::vector<float> out(size_t(n) * n);
    std::vector<double> row(n);
    const double step = 3.0 / (n - 1);
    for (unsigned i = 0; i < n; ++i) {
        fit.SampleRow(0.0, i * step, row.data(), n, float(step));
        for (unsigned j = 0; j < n; ++j) {
            const double g = std::max(row[j], 0.0);
            const double w = std::max(0.0, 1.0 - g * g);
            out[size_t(i) * n + j] = float(w * w * w);
        }
    }
    return out;
}

}  // namespace

TEST(VariationalField, HalfLevelFollowsTheOutline)
{
    const PolyLine blob = Blob();
    std::vector<std::string> trace;
    Wml::ScopedDebugOutputSink sink([&](const char* m) { trace.push_back(m); });
    std::vector<Wml::Polygon2<float>> loops;
    Field field(blob.MakeImplicitFieldVariational(nullptr, 256, true, 0.01f, nullptr, &loops));
    ASSERT_TRUE(field);
    EXPECT_EQ(field->GetWidth(), 256u);
    EXPECT_EQ(field->GetHeight(), 256u);
    EXPECT_FALSE(field->IsReady());  // the caller places it
    EXPECT_EQ(trace, std::vector<std::string>{"Point set size is 465\n"});

    const Placement place(blob);
    ExpectOutlineIsHalfLevel(*field, blob, place, 0.03f);
    // Rising towards the middle, falling to 0 well outside.
    const float centre = At(*field, place(V2(256, 256)));
    EXPECT_GT(centre, 0.75f);
    EXPECT_GT(centre, At(*field, place(V2(256 + 100, 256))));
    EXPECT_GT(At(*field, place(V2(256 + 100, 256))), At(*field, place(V2(256 + 160, 256))));
    EXPECT_LT(At(*field, place(V2(256 + 250, 256))), At(*field, place(V2(256 + 190, 256))));
    EXPECT_LT(At(*field, place(V2(256 + 190, 256))), 0.45f);
    EXPECT_LT(At(*field, V2(2.95f, 1.5f)), 0.05f);
    EXPECT_EQ(field->GetValue(0, 0), 0.0f);
    EXPECT_EQ(field->GetValue(255, 128), 0.0f);

    // The loops come back in the unit square, counter-clockwise.
    ASSERT_EQ(loops.size(), 1u);
    const Wml::AxisAlignedBox2<float> unit = loops[0].GetBoundingBox();
    EXPECT_NEAR(std::max(unit.Extent(0), unit.Extent(1)), 1.0f, 1e-5);
    EXPECT_GE(unit.Min(0), -1e-6f);
    EXPECT_FALSE(loops[0].IsClockwise());
}

TEST(VariationalField, HolesAndTheGivenBox)
{
    // A ring: the hole is outside the material.
    PolyLine ring;
    AddLoop(ring, Circle(60, 0, 0, 10));
    AddLoop(ring, Circle(40, 0, 0, 5));
    Field field(ring.MakeImplicitFieldVariational(nullptr, 256, true, 0.01f, nullptr, nullptr));
    ASSERT_TRUE(field);
    const Placement place(ring);
    ExpectOutlineIsHalfLevel(*field, ring, place, 0.05f);
    EXPECT_LT(At(*field, place(V2(0, 0))), 0.5f);
    EXPECT_GT(At(*field, place(V2(7.5f, 0))), 0.5f);

    // A box twice the curve's size: the curve fills half of [1, 2]^2.
    const PolyLine circle = Loop(Circle(80, 0, 0, 10));
    Wml::AxisAlignedBox2<float> box(-10, 30, -10, 30);
    Field boxed(circle.MakeImplicitFieldVariational(nullptr, 256, true, 0.01f, &box, nullptr));
    ASSERT_TRUE(boxed);
    const Placement boxedPlace(circle, &box);
    ExpectOutlineIsHalfLevel(*boxed, circle, boxedPlace, 0.05f);
    EXPECT_GT(At(*boxed, V2(1.25f, 1.25f)), 0.5f);
    EXPECT_LT(At(*boxed, V2(1.75f, 1.75f)), 0.5f);
}

TEST(VariationalField, SamplingKeepsTheContourOfADenseEvaluation)
{
    // Smooth, spiky and wide shapes at both resolutions the callers use.
    const std::vector<PolyLine> shapes = {
        Blob(),
        Loop(
            Radial(40, 0, 0,
                   [](double a) { return std::fmod(a * 20.0 / (2 * PI) + 0.25, 1.0) < 0.5 ? 40.0 : 200.0; })),
        Loop(Radial(120, 0, 0, [](double a) { return 160 * (1 + 0.5 * std::sin(5 * a)); })),
        Loop({V2(0, 0), V2(100, 0), V2(100, 3), V2(0, 3)}),
    };
    for (unsigned n : {256u, 512u}) {
        for (size_t s = 0; s < shapes.size(); ++s) {
            Field field(shapes[s].MakeImplicitFieldVariational(nullptr, n, true, 0.01f, nullptr, nullptr));
            ASSERT_TRUE(field);
            const std::vector<float> dense = DenseTemplate(shapes[s], n);
            float worst = 0.0f;
            unsigned crossings = 0;
            for (unsigned i = 0; i < n; ++i)
                for (unsigned j = 0; j < n; ++j) {
                    const float a = field->GetValue(j, i), e = dense[size_t(i) * n + j];
                    worst = std::max(worst, std::fabs(a - e));
                    ASSERT_EQ(a > 0.5f, e > 0.5f) << "shape " << s << " at " << j << "," << i;
                    // Where the level crosses a cell edge, it crosses at the
                    // same place.
                    if (j + 1 < n) {
                        const float a1 = field->GetValue(j + 1, i), e1 = dense[size_t(i) * n + j + 1];
                        if ((e > 0.5f) != (e1 > 0.5f)) {
                            ++crossings;
                            EXPECT_NEAR((0.5f - a) / (a1 - a), (0.5f - e) / (e1 - e), 0.25f);
                        }
                    }
                }
            EXPECT_LT(worst, 5e-3f) << "shape " << s;
            EXPECT_GT(crossings, 2u);
        }
    }
}

TEST(VariationalField, RefusesWhatItCannotFit)
{
    EXPECT_EQ(PolyLine().MakeImplicitFieldVariational(nullptr, 256), nullptr);
    // No loop survives: a triangle is dropped.
    EXPECT_EQ(Loop({V2(0, 0), V2(1, 0), V2(0, 1)}).MakeImplicitFieldVariational(nullptr, 64), nullptr);
    const PolyLine square = Loop(Square(0, 0, 1));
    EXPECT_EQ(square.MakeImplicitFieldVariational(nullptr, 1), nullptr);
    EXPECT_EQ(square.MakeImplicitFieldVariational(nullptr, 100000), nullptr);
    // Without the circle and at a tiny size it still works.
    Field small(square.MakeImplicitFieldVariational(nullptr, 8, false, 0.01f, nullptr, nullptr));
    ASSERT_TRUE(small);
    EXPECT_EQ(small->GetWidth(), 8u);
    // A NaN offset makes no usable points.
    EXPECT_EQ(square.MakeImplicitFieldVariational(nullptr, 16, true, std::nanf(""), nullptr, nullptr),
              nullptr);
}

TEST(BSplineField, BoxIsThreeSizesAroundTheOrigin)
{
    // The same closed curve in two places gives the same box.
    std::vector<V2> control =
        Radial(8, 0, 0, [](double a) { return std::fmod(a, 2 * PI / 4) < 0.5 ? 50.0 : 30.0; });
    for (const V2& shift : {V2(0, 0), V2(500, -200)}) {
        std::vector<V2> moved;
        for (const V2& p : control) moved.push_back(p + shift);
        Wml::BSplineCurve2<float> curve(moved, 3, true);
        ASSERT_TRUE(curve.IsValid());
        Wml::AxisAlignedBox2<float> box;
        Field field(PolyLine::GetFieldForClosedBSpline(curve, 64, box));
        ASSERT_TRUE(field);

        PolyLine samples;
        for (int i = 0; i < 800; ++i) samples.AddVertex(curve.GetPosition(i * 0.00125f));
        samples.AddEdge(PolyLine::Edge(0, 1));
        const Wml::AxisAlignedBox2<float> b = samples.ComputeBoundingBox();
        const float s = std::max(b.Extent(0), b.Extent(1));
        EXPECT_NEAR(box.Min(0), -1.5f * s, 1e-3f * s);
        EXPECT_NEAR(box.Max(0), 1.5f * s, 1e-3f * s);
        EXPECT_EQ(box.Min(1), box.Min(0));
        EXPECT_EQ(box.Max(1), box.Max(0));

        EXPECT_GT(At(*field, V2(1.5f, 1.5f)), 0.75f);
        EXPECT_EQ(field->GetValue(0, 0), 0.0f);
        const V2 onCurve = Placement(samples)(curve.GetPosition(0.0f));
        EXPECT_NEAR(At(*field, onCurve), 0.5f, 0.08f);
    }

    // An invalid curve gives nothing and leaves the box alone.
    Wml::BSplineCurve2<float> invalid(std::vector<V2>{V2(0, 0)}, 3, true);
    Wml::AxisAlignedBox2<float> box(1, 2, 3, 4);
    EXPECT_EQ(PolyLine::GetFieldForClosedBSpline(invalid, 64, box), nullptr);
    EXPECT_EQ(box, Wml::AxisAlignedBox2<float>(1, 2, 3, 4));
}

TEST(BruteForceField, DistanceTemplateSignedByTheSketchField)
{
    // A circle of radius 10 and a fit that is positive inside it.
    const PolyLine circle = Loop(Circle(64, 0, 0, 10));
    PointSet points(0, 1, -1, 2);
    for (const V2& p : Circle(24, 0, 0, 10)) {
        points.AddPoint(PointSet::Point(p, 0, 0.001f));
        points.AddPoint(PointSet::Point(p * 0.8f, 1, 0.001f));
        points.AddPoint(PointSet::Point(p * 1.2f, -1, 0.001f));
    }
    SketchField sketch;
    ASSERT_TRUE(sketch.GenerateSketchField(points, true, 0.001));

    const unsigned n = 128;
    Field field(circle.MakeImplicitFieldBruteForce(&sketch, n));
    ASSERT_TRUE(field);
    EXPECT_EQ(field->GetWidth(), n);

    // Samples sit at cell centres h/2 + h*k; the curve fills [1, 2]^2.
    const float h = 3.0f / (n - 1);
    auto sample = [&](float x, float y) {
        const unsigned j = unsigned(std::lround((x - h / 2) / h)), i = unsigned(std::lround((y - h / 2) / h));
        return field->GetValue(j, i);
    };
    EXPECT_GT(sample(1.5f, 1.5f), 0.99f);  // centre: far inside
    EXPECT_EQ(sample(0.1f, 0.1f), 0.0f);   // corner: far outside
    EXPECT_EQ(sample(2.9f, 1.5f), 0.0f);
    // Near the circle the value is about (1 - 0.45^2)^3, rising inwards.
    const float onCurve = std::pow(1.0f - 0.45f * 0.45f, 3.0f);
    EXPECT_NEAR(sample(2.0f, 1.5f), onCurve, 0.1f);
    EXPECT_GT(sample(1.9f, 1.5f), sample(2.0f, 1.5f));
    EXPECT_LT(sample(2.1f, 1.5f), sample(2.0f, 1.5f));
    // The sign carried along rows keeps the far inside positive everywhere.
    for (unsigned i = 0; i < n; ++i)
        for (unsigned j = 0; j < n; ++j) {
            const float x = h / 2 + h * j - 1.5f, y = h / 2 + h * i - 1.5f;
            const float r = std::sqrt(x * x + y * y);
            if (r < 0.4f) {
                EXPECT_GT(field->GetValue(j, i), 0.6f) << j << "," << i;
            } else if (r > 0.6f) {
                EXPECT_LT(field->GetValue(j, i), 0.5f) << j << "," << i;
            }
        }

    EXPECT_EQ(circle.MakeImplicitFieldBruteForce(nullptr, n), nullptr);
    EXPECT_EQ(circle.MakeImplicitFieldBruteForce(&sketch, 0), nullptr);
    EXPECT_EQ(PolyLine().MakeImplicitFieldBruteForce(&sketch, n), nullptr);
}
