#include "wml/IntelThinPlateSpline2d.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

using Wml::IntelThinPlateSpline2d;

namespace {

struct PointSet {
    std::vector<double> x, y, value;
    unsigned Count() const { return static_cast<unsigned>(x.size()); }
};

// Scattered points in pixel-like coordinates over a smooth field.
PointSet RandomPoints(unsigned count, unsigned seed, double noise = 0.0)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> coordinate(20.0, 980.0), jitter(-1.0, 1.0);
    PointSet p;
    for (unsigned i = 0; i < count; ++i) {
        p.x.push_back(coordinate(random));
        p.y.push_back(coordinate(random));
        p.value.push_back(std::sin(p.x[i] * 0.006) * std::cos(p.y[i] * 0.004) + 0.001 * p.x[i] +
                          noise * jitter(random));
    }
    return p;
}

IntelThinPlateSpline2d Fit(const PointSet& p, double smoothing)
{
    return IntelThinPlateSpline2d(p.Count(), p.x.data(), p.y.data(), p.value.data(), smoothing);
}

IntelThinPlateSpline2d Fit(const PointSet& p, const std::vector<double>& smoothing)
{
    return IntelThinPlateSpline2d(p.Count(), p.x.data(), p.y.data(), p.value.data(), smoothing.data());
}

int FlagOf(const IntelThinPlateSpline2d& spline)
{
    return *reinterpret_cast<const int*>(&spline);
}

double Phi(double dx, double dy)
{
    const double r2 = dx * dx + dy * dy;
    return r2 > 0.0 ? 0.5 * r2 * std::log(r2) : 0.0;
}

// Direct fit in caller coordinates, no merging or rescaling: Gaussian
// elimination with partial pivoting on the full saddle-point system.
struct ReferenceSpline {
    PointSet p;
    std::vector<double> solution;  // n weights, then a0, a1, a2

    ReferenceSpline(const PointSet& points, const std::vector<double>& smoothing) : p(points)
    {
        const std::size_t n = p.Count(), size = n + 3;
        std::vector<std::vector<double>> m(size, std::vector<double>(size + 1, 0.0));
        for (std::size_t i = 0; i < n; ++i) {
            for (std::size_t j = 0; j < n; ++j)
                m[i][j] = Phi(p.x[i] - p.x[j], p.y[i] - p.y[j]) + (i == j ? smoothing[i] : 0.0);
            const double basis[3] = {1.0, p.x[i], p.y[i]};
            for (std::size_t k = 0; k < 3; ++k) m[i][n + k] = m[n + k][i] = basis[k];
            m[i][size] = p.value[i];
        }
        for (std::size_t col = 0; col < size; ++col) {
            std::size_t pivot = col;
            for (std::size_t row = col + 1; row < size; ++row)
                if (std::fabs(m[row][col]) > std::fabs(m[pivot][col])) pivot = row;
            std::swap(m[col], m[pivot]);
            for (std::size_t row = col + 1; row < size; ++row)
                for (std::size_t k = size + 1; k-- > col;) m[row][k] -= m[row][col] / m[col][col] * m[col][k];
        }
        solution.assign(size, 0.0);
        for (std::size_t row = size; row-- > 0;) {
            double sum = m[row][size];
            for (std::size_t k = row + 1; k < size; ++k) sum -= m[row][k] * solution[k];
            solution[row] = sum / m[row][row];
        }
    }

    double Value(double px, double py) const
    {
        const std::size_t n = p.Count();
        double sum = solution[n] + solution[n + 1] * px + solution[n + 2] * py;
        for (std::size_t i = 0; i < n; ++i) sum += solution[i] * Phi(px - p.x[i], py - p.y[i]);
        return sum;
    }

    double BendingEnergy() const
    {
        double sum = 0.0;
        for (std::size_t i = 0; i < p.Count(); ++i)
            for (std::size_t j = 0; j < p.Count(); ++j)
                sum += solution[i] * solution[j] * Phi(p.x[i] - p.x[j], p.y[i] - p.y[j]);
        return 8.0 * 3.14159265358979323846 * sum;
    }
};

void ExpectInvalid(const IntelThinPlateSpline2d& spline, const char* what)
{
    SCOPED_TRACE(what);
    EXPECT_FALSE(spline.IsValid());
    EXPECT_EQ(FlagOf(spline), 0);
    EXPECT_EQ(spline.GetCentreCount(), 0u);
    EXPECT_EQ(spline.Value(10.0, 20.0), 0.0);
    EXPECT_EQ(spline.BendingEnergy(), 0.0);
    double gx = 1.0, gy = 1.0, row[5] = {1, 1, 1, 1, 1};
    spline.Gradient(10.0, 20.0, gx, gy);
    EXPECT_EQ(gx, 0.0);
    EXPECT_EQ(gy, 0.0);
    spline.SampleRow(0.0, 0.0, row, 5, 1.0);
    for (double v : row) EXPECT_EQ(v, 0.0);
}

}  // namespace

TEST(ThinPlateSpline, InterpolatesAndMatchesDirectSolve)
{
    const PointSet points = RandomPoints(80, 1);
    const IntelThinPlateSpline2d exact = Fit(points, 0.0), tiny = Fit(points, 1e-6);
    ASSERT_TRUE(exact.IsValid());
    ASSERT_TRUE(tiny.IsValid());
    EXPECT_EQ(FlagOf(exact), 1);
    EXPECT_EQ(exact.GetCentreCount(), points.Count());
    for (unsigned i = 0; i < points.Count(); ++i) {
        EXPECT_NEAR(exact.Value(points.x[i], points.y[i]), points.value[i], 1e-9);
        EXPECT_NEAR(tiny.Value(points.x[i], points.y[i]), points.value[i], 1e-6);
    }

    // Internal rescaling must not change the function or the meaning of
    // per-point smoothing in caller units.
    const PointSet small = RandomPoints(12, 2, 0.2);
    std::vector<double> smoothing(small.Count());
    for (unsigned i = 0; i < small.Count(); ++i) smoothing[i] = (i % 3) * 2000.0;
    const ReferenceSpline reference(small, smoothing);
    const IntelThinPlateSpline2d fitted = Fit(small, smoothing);
    ASSERT_TRUE(fitted.IsValid());
    for (double px = -200.0; px <= 1200.0; px += 140.0)
        for (double py = -100.0; py <= 1100.0; py += 170.0) {
            const double expected = reference.Value(px, py);
            EXPECT_NEAR(fitted.Value(px, py), expected, 1e-7 * (1.0 + std::fabs(expected)));
        }
    EXPECT_NEAR(fitted.BendingEnergy(), reference.BendingEnergy(), 1e-7 * reference.BendingEnergy());

    // Coordinates scaled by c need c^2 times the smoothing for the same surface.
    PointSet scaled = small;
    for (unsigned i = 0; i < scaled.Count(); ++i) {
        scaled.x[i] = 0.01 * small.x[i] + 3.0;
        scaled.y[i] = 0.01 * small.y[i] - 7.0;
    }
    const IntelThinPlateSpline2d uniform = Fit(small, 500.0), uniformScaled = Fit(scaled, 500.0 * 1e-4);
    ASSERT_TRUE(uniformScaled.IsValid());
    for (unsigned i = 0; i < small.Count(); ++i)
        EXPECT_NEAR(uniform.Value(small.x[i], small.y[i]), uniformScaled.Value(scaled.x[i], scaled.y[i]),
                    1e-9);
}

TEST(ThinPlateSpline, SmoothingTradesResidualForBendingEnergy)
{
    const PointSet points = RandomPoints(60, 3, 0.3);
    double previousEnergy = std::numeric_limits<double>::infinity(), previousResidual = -1.0;
    for (double smoothing : {0.0, 10.0, 1e3, 1e5, 1e7}) {
        const IntelThinPlateSpline2d spline = Fit(points, smoothing);
        ASSERT_TRUE(spline.IsValid()) << smoothing;
        double residual = 0.0;
        for (unsigned i = 0; i < points.Count(); ++i)
            residual += std::pow(spline.Value(points.x[i], points.y[i]) - points.value[i], 2);
        EXPECT_GT(spline.BendingEnergy(), 0.0);
        EXPECT_LT(spline.BendingEnergy(), previousEnergy) << smoothing;
        EXPECT_GT(residual, previousResidual) << smoothing;
        previousEnergy = spline.BendingEnergy();
        previousResidual = residual;
    }

    // Huge smoothing flattens the surface to a plane: constant gradient.
    const IntelThinPlateSpline2d flat = Fit(points, 1e15);
    ASSERT_TRUE(flat.IsValid());
    EXPECT_LT(flat.BendingEnergy(), 1e-9);
    double gx0, gy0, gx1, gy1;
    flat.Gradient(0.0, 0.0, gx0, gy0);
    flat.Gradient(900.0, 500.0, gx1, gy1);
    EXPECT_NEAR(gx0, gx1, 1e-9);
    EXPECT_NEAR(gy0, gy1, 1e-9);
}

TEST(ThinPlateSpline, RowSamplerAndGradientAgreeWithValue)
{
    PointSet points = RandomPoints(150, 4);
    // A centre exactly on a sample, to hit r = 0.
    points.x.push_back(100.0);
    points.y.push_back(250.0);
    points.value.push_back(0.5);
    const IntelThinPlateSpline2d spline = Fit(points, 0.5);
    ASSERT_TRUE(spline.IsValid());

    // Lengths around the internal block size, and a reversed direction.
    struct Row {
        double x0, y, dx;
        unsigned count;
    };
    for (const Row& row :
         {Row{0.0, 250.0, 4.0, 300}, Row{-50.0, -80.0, 3.7, 256}, Row{1500.0, 610.5, -2.5, 513},
          Row{400.0, 400.0, 0.0, 3}, Row{12.0, 34.0, 1.0, 1}}) {
        std::vector<double> sampled(row.count + 1, -12345.0);
        spline.SampleRow(row.x0, row.y, sampled.data(), row.count, row.dx);
        EXPECT_EQ(sampled[row.count], -12345.0) << "wrote past the row";
        for (unsigned k = 0; k < row.count; ++k) {
            const double expected = spline.Value(row.x0 + k * row.dx, row.y);
            ASSERT_NEAR(sampled[k], expected, 1e-11 * (1.0 + std::fabs(expected))) << k;
        }
    }

    // Central differences, midway between centres and right on centres.
    const double h = 1e-3;
    for (unsigned i = 0; i < 40; ++i) {
        const double px = i % 2 ? points.x[i] : 0.5 * (points.x[i] + points.x[i + 1]);
        const double py = i % 2 ? points.y[i] : 0.5 * (points.y[i] + points.y[i + 1]);
        double gx, gy;
        spline.Gradient(px, py, gx, gy);
        const double fx = (spline.Value(px + h, py) - spline.Value(px - h, py)) / (2 * h);
        const double fy = (spline.Value(px, py + h) - spline.Value(px, py - h)) / (2 * h);
        const double tolerance = 1e-5 * (std::fabs(fx) + std::fabs(fy) + 1e-3);
        EXPECT_NEAR(gx, fx, tolerance) << i;
        EXPECT_NEAR(gy, fy, tolerance) << i;
    }
}

TEST(ThinPlateSpline, ReproducesAffineFunctions)
{
    PointSet points = RandomPoints(40, 5);
    for (unsigned i = 0; i < points.Count(); ++i)
        points.value[i] = 2.0 + 0.5 * points.x[i] - 0.25 * points.y[i];
    for (double smoothing : {0.0, 30.0}) {
        const IntelThinPlateSpline2d spline = Fit(points, smoothing);
        ASSERT_TRUE(spline.IsValid());
        EXPECT_NEAR(spline.BendingEnergy(), 0.0, 1e-12);
        for (double px : {-3000.0, 0.0, 333.3, 5000.0})
            for (double py : {-800.0, 17.0, 999.0}) {
                const double expected = 2.0 + 0.5 * px - 0.25 * py;
                EXPECT_NEAR(spline.Value(px, py), expected, 1e-9 * (1.0 + std::fabs(expected)));
                double gx, gy;
                spline.Gradient(px, py, gx, gy);
                EXPECT_NEAR(gx, 0.5, 1e-10);
                EXPECT_NEAR(gy, -0.25, 1e-10);
            }
    }
    // Three points determine a plane exactly.
    const double x[3] = {0, 10, 0}, y[3] = {0, 0, 10}, v[3] = {1, 2, 3};
    const IntelThinPlateSpline2d triangle(3, x, y, v, 0.0);
    ASSERT_TRUE(triangle.IsValid());
    EXPECT_NEAR(triangle.Value(5, 5), 2.5, 1e-12);
}

TEST(ThinPlateSpline, DegenerateInputIsRefusedWithoutNaN)
{
    const double nan = std::numeric_limits<double>::quiet_NaN(),
                 inf = std::numeric_limits<double>::infinity();
    const PointSet good = RandomPoints(10, 6);

    ExpectInvalid(IntelThinPlateSpline2d(), "default");
    ExpectInvalid(Fit(PointSet{}, 0.0), "no points");
    ExpectInvalid(IntelThinPlateSpline2d(2, good.x.data(), good.y.data(), good.value.data(), 0.0),
                  "two points");
    ExpectInvalid(IntelThinPlateSpline2d(3, nullptr, good.y.data(), good.value.data(), 0.0), "null x");

    PointSet line, same;
    for (int i = 0; i < 20; ++i) {
        line.x.push_back(100.0 + 13.0 * i);
        line.y.push_back(50.0 - 7.0 * i);
        line.value.push_back(i % 2);
        same.x.push_back(42.0);
        same.y.push_back(17.0);
        same.value.push_back(i);
    }
    ExpectInvalid(Fit(line, 0.0), "collinear");
    ExpectInvalid(Fit(line, 100.0), "collinear, smoothed");
    ExpectInvalid(Fit(same, 0.0), "one point repeated");
    same.x[0] = 43.0;
    ExpectInvalid(Fit(same, 0.0), "two places");

    for (int field = 0; field < 4; ++field)
        for (double bad : {nan, inf, -inf}) {
            PointSet p = good;
            std::vector<double> smoothing(p.Count(), 1.0);
            (field == 0 ? p.x : field == 1 ? p.y : field == 2 ? p.value : smoothing)[4] = bad;
            ExpectInvalid(Fit(p, smoothing), "non-finite input");
        }
    ExpectInvalid(Fit(good, -1.0), "negative smoothing");

    std::vector<double> many(IntelThinPlateSpline2d::MaxPoints + 1, 1.0);
    ExpectInvalid(IntelThinPlateSpline2d(static_cast<unsigned>(many.size()), many.data(), many.data(),
                                         many.data(), 0.0),
                  "too many points");

    PointSet wide = good;
    wide.x[0] = -1.7e308;
    wide.x[1] = 1.7e308;
    ExpectInvalid(Fit(wide, 0.0), "overflowing extent");

    // Nearly coincident but unmerged points with conflicting values and no
    // smoothing cannot be fitted to any useful accuracy; smoothing fixes it.
    PointSet close = good;
    close.x[1] = close.x[0] + 1e-5;
    close.y[1] = close.y[0];
    close.value[1] = close.value[0] + 1.0;
    ExpectInvalid(Fit(close, 0.0), "conflicting near-duplicates");
    EXPECT_TRUE(Fit(close, 1.0).IsValid());
}

TEST(ThinPlateSpline, DuplicatePointsAreMerged)
{
    PointSet points = RandomPoints(20, 7);
    const unsigned n = points.Count();
    // An exact duplicate and one within rounding, with other values.
    points.x.push_back(points.x[0]);
    points.y.push_back(points.y[0]);
    points.value.push_back(points.value[0] + 2.0);
    points.x.push_back(points.x[5] * (1.0 + 1e-15));
    points.y.push_back(points.y[5]);
    points.value.push_back(points.value[5] - 1.0);

    const IntelThinPlateSpline2d spline = Fit(points, 0.0);
    ASSERT_TRUE(spline.IsValid());
    EXPECT_EQ(spline.GetCentreCount(), n);
    EXPECT_NEAR(spline.Value(points.x[0], points.y[0]), points.value[0] + 1.0, 1e-9);
    EXPECT_NEAR(spline.Value(points.x[5], points.y[5]), points.value[5] - 0.5, 1e-9);

    // With positive, unequal smoothing the unmerged system is regular and
    // merging must reproduce its surface.
    points.x.back() = points.x[5];
    std::vector<double> smoothing(points.Count());
    for (unsigned i = 0; i < points.Count(); ++i) smoothing[i] = 100.0 + 50.0 * (i % 3);
    const ReferenceSpline reference(points, smoothing);
    const IntelThinPlateSpline2d smoothed = Fit(points, smoothing);
    ASSERT_TRUE(smoothed.IsValid());
    for (unsigned i = 0; i < points.Count(); ++i)
        EXPECT_NEAR(smoothed.Value(points.x[i], points.y[i]), reference.Value(points.x[i], points.y[i]),
                    1e-8);

    // An interpolated duplicate wins over a smoothed one.
    smoothing.back() = 0.0;
    const IntelThinPlateSpline2d mixed = Fit(points, smoothing);
    ASSERT_TRUE(mixed.IsValid());
    EXPECT_NEAR(mixed.Value(points.x[5], points.y[5]), points.value.back(), 1e-9);

    // Copies keep working after the original is gone.
    IntelThinPlateSpline2d copy;
    {
        const IntelThinPlateSpline2d original = mixed;
        copy = original;
    }
    EXPECT_EQ(FlagOf(copy), 1);
    EXPECT_EQ(copy.Value(321.0, 123.0), mixed.Value(321.0, 123.0));
}
