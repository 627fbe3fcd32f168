// Thin-plate sketch fields: fits, the no-fit value, row sampling, copies.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "sketch/PointSet.h"
#include "sketch/SketchField.h"

using vynsketch::PointSet;
using vynsketch::SketchField;
using V2 = Wml::Vector2<float>;

namespace {

// Values 1 inside, 0 on and -1 outside a circle of radius 10: a fit that is
// positive inside.
PointSet DiscPoints(float smoothing = 0.001f)
{
    PointSet set(0, 1, -1, 2);
    for (int k = 0; k < 24; ++k) {
        const double a = k * 2.0 * 3.14159265358979 / 24;
        const V2 dir(float(std::cos(a)), float(std::sin(a)));
        set.AddPoint(PointSet::Point(dir * 10.0f, 0.0f, smoothing));
        set.AddPoint(PointSet::Point(dir * 8.0f, 1.0f, smoothing));
        set.AddPoint(PointSet::Point(dir * 12.0f, -1.0f, smoothing));
    }
    return set;
}

}  // namespace

TEST(SketchField, WithoutFitAnswersSmallestNormalFloat)
{
    SketchField field;
    EXPECT_FALSE(field.HasFit());
    EXPECT_EQ(field.Value(0, 0), 1.17549435e-38f);
    EXPECT_EQ(field.Value(1e6f, -3), std::numeric_limits<float>::min());
    float gx = 5, gy = 5;
    field.Gradient(1, 2, gx, gy);
    EXPECT_EQ(gx, 0.0f);
    EXPECT_EQ(gy, 0.0f);
    double row[3] = {7, 7, 7};
    field.SampleRow(0, 0, row, 3, 1.0f);
    EXPECT_EQ(row[0], 7.0);
    EXPECT_EQ(row[2], 7.0);
    EXPECT_EQ(field.GetTypeName(), "SketchField");

    Wml::AxisAlignedBox2<float> box(1, 2, 3, 4);
    field.FieldBounds(box);
    EXPECT_EQ(box, Wml::AxisAlignedBox2<float>(1, 2, 3, 4));
}

TEST(SketchField, FitFollowsTheValuePoints)
{
    PointSet points = DiscPoints();
    SketchField field;
    ASSERT_TRUE(field.GenerateSketchField(points, false, 0.0));
    ASSERT_TRUE(field.HasFit());
    for (const PointSet::Point& p : points.GetPoints())
        EXPECT_NEAR(field.Value(p.position.X(), p.position.Y()), p.value, 0.02);
    EXPECT_GT(field.Value(0, 0), 0.5f);
    EXPECT_LT(field.Value(20, 0), -0.5f);

    // The gradient points inwards, where the values rise.
    float gx, gy;
    field.Gradient(10, 0, gx, gy);
    EXPECT_LT(gx, -0.1f);
    EXPECT_NEAR(gy, 0.0f, 1e-3);

    // Row sampling gives the same values as Value.
    std::vector<double> row(41);
    field.SampleRow(-20.0, 3.5, row.data(), 41, 1.0f);
    for (unsigned k = 0; k < row.size(); ++k) EXPECT_NEAR(row[k], field.Value(-20.0f + k, 3.5f), 1e-5);
    field.SampleRow(0, 0, nullptr, 5, 1.0f);  // no output buffer: nothing happens
}

TEST(SketchField, SmoothingChoosesUniformOrPerPoint)
{
    // One point that disagrees with its neighbours: heavy smoothing on it
    // lets the fit pass far from it, none makes the fit go through it.
    PointSet points = DiscPoints(0.0f);
    PointSet outlier(0, 1, -1, 1);
    for (const PointSet::Point& p : points.GetPoints()) outlier.AddPoint(p);
    outlier.AddPoint(PointSet::Point(V2(0, 0), -3.0f, 50.0f));

    SketchField perPoint, uniform;
    ASSERT_TRUE(perPoint.GenerateSketchField(outlier, false, 0.0));
    ASSERT_TRUE(uniform.GenerateSketchField(outlier, true, 0.0));
    EXPECT_NEAR(uniform.Value(0, 0), -3.0f, 1e-3);
    EXPECT_GT(perPoint.Value(0, 0), 0.0f);
}

TEST(SketchField, SmoothingIsReadInTheGivenUnit)
{
    // The disc and the same disc drawn 40 times larger, with the smoothing
    // read in a unit 40 times larger too: the same field, scaled.
    auto scaled = [](const PointSet& set, float k) {
        PointSet out(0, 1, -1, 2 * k);
        for (const PointSet::Point& p : set.GetPoints())
            out.AddPoint(PointSet::Point(p.position * k, p.value, p.smoothing));
        return out;
    };
    PointSet noisy = DiscPoints(1.0f);
    noisy.AddPoint(PointSet::Point(V2(3, 2), -2.0f, 1.0f));  // a stray value to smooth over
    for (bool uniform : {false, true}) {
        SketchField small, large, largeInPixels;
        PointSet big = scaled(noisy, 40.0f);
        ASSERT_TRUE(small.GenerateSketchField(noisy, uniform, 1.0, 1.0));
        ASSERT_TRUE(large.GenerateSketchField(big, uniform, 1.0, 40.0));
        ASSERT_TRUE(largeInPixels.GenerateSketchField(big, uniform, 1.0));
        float worst = 0.0f, worstInPixels = 0.0f;
        for (float x = -14; x <= 14; x += 2)
            for (float y = -14; y <= 14; y += 2) {
                worst = std::max(worst, std::fabs(small.Value(x, y) - large.Value(40 * x, 40 * y)));
                worstInPixels = std::max(worstInPixels,
                                         std::fabs(small.Value(x, y) - largeInPixels.Value(40 * x, 40 * y)));
            }
        EXPECT_LT(worst, 1e-4f) << uniform;
        // Read in the points' own units the same values hardly smooth at all.
        EXPECT_GT(worstInPixels, 0.1f) << uniform;
    }

    // A unit that is no length fits nothing.
    SketchField field;
    PointSet disc = DiscPoints();
    for (double unit : {0.0, -1.0, std::numeric_limits<double>::infinity(),
                        std::numeric_limits<double>::quiet_NaN(), 1e300}) {
        EXPECT_FALSE(field.GenerateSketchField(disc, false, 0.001, unit)) << unit;
        EXPECT_FALSE(field.HasFit());
    }
}

TEST(SketchField, FailedFitHoldsNoSpline)
{
    SketchField field;
    PointSet disc = DiscPoints();
    ASSERT_TRUE(field.GenerateSketchField(disc, true, 0.001));

    PointSet line(0, 1, -1, 1);
    for (int i = 0; i < 10; ++i) line.AddPoint(PointSet::Point(V2(float(i), 2.0f * i), float(i % 2), 0));
    EXPECT_FALSE(field.GenerateSketchField(line, true, 0.001));
    EXPECT_FALSE(field.HasFit());
    EXPECT_EQ(field.Value(0, 0), std::numeric_limits<float>::min());

    PointSet empty(0, 1, -1, 1);
    EXPECT_FALSE(field.GenerateSketchField(empty, false, 0.0));
    EXPECT_FALSE(field.GenerateSketchField(disc, true, std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(field.GenerateSketchField(disc, true, -1.0));
    EXPECT_FALSE(field.HasFit());
}

TEST(SketchField, CopiesOwnTheirFit)
{
    PointSet disc = DiscPoints();
    std::unique_ptr<SketchField> source(new SketchField());
    ASSERT_TRUE(source->GenerateSketchField(disc, true, 0.001));
    const float inside = source->Value(1, 1);

    SketchField copy(*source);
    SketchField assigned;
    assigned = *source;
    EXPECT_NE(copy.GetSpline(), source->GetSpline());
    EXPECT_NE(assigned.GetSpline(), source->GetSpline());

    // Refitting and destroying the source leaves the copies intact.
    PointSet other(0, 1, -1, 1);
    for (const PointSet::Point& p : disc.GetPoints())
        other.AddPoint(PointSet::Point(p.position, -p.value, 0.001f));
    ASSERT_TRUE(source->GenerateSketchField(other, true, 0.001));
    EXPECT_NEAR(source->Value(1, 1), -inside, 1e-4);
    source.reset();
    EXPECT_EQ(copy.Value(1, 1), inside);
    EXPECT_EQ(assigned.Value(1, 1), inside);

    // Assigning an empty field drops the fit; self-assignment keeps it.
    copy = copy;
    EXPECT_EQ(copy.Value(1, 1), inside);
    assigned = SketchField();
    EXPECT_FALSE(assigned.HasFit());
    copy.Clear();
    EXPECT_FALSE(copy.HasFit());
}
