// The sparse sampling grid: accuracy of both interpolation modes, lazy filling,
// invalidation, memory growth, statistics, moving the origin, hostile input.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "implicit/grid/AdaptiveUniformGrid3D.h"

using namespace vynimplicit;
using Wml::Vector3f;
using Box = Wml::AxisAlignedBox3<float>;

namespace {

const float NaN = std::numeric_limits<float>::quiet_NaN();

/// A smooth analytic field whose level can be shifted and which counts the
/// evaluations the grid asks of it.
class WaveField : public ScalarField {
public:
    float offset = 0.0f;
    long evaluations = 0;

    using ScalarField::Value;

    float Value(float x, float y, float z) override
    {
        ++evaluations;
        return 0.5f + offset + 0.25f * std::sin(x) * std::cos(1.3f * y) * std::sin(0.7f * z + 0.3f);
    }
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) override
    {
        gx = 0.25f * std::cos(x) * std::cos(1.3f * y) * std::sin(0.7f * z + 0.3f);
        gy = -0.25f * 1.3f * std::sin(x) * std::sin(1.3f * y) * std::sin(0.7f * z + 0.3f);
        gz = 0.25f * 0.7f * std::sin(x) * std::cos(1.3f * y) * std::cos(0.7f * z + 0.3f);
        if (value) *value = Value(x, y, z);
    }
    void FieldBounds(Box& box) override { box = Box(-4, 4, -4, 4, -4, 4); }
};

/// An affine field, which both modes must reproduce exactly.
class LinearField : public ScalarField {
public:
    using ScalarField::Value;
    float Value(float x, float y, float z) override { return 0.3f + 0.05f * x - 0.02f * y + 0.04f * z; }
    void FieldBounds(Box& box) override { box = Box(-4, 4, -4, 4, -4, 4); }
};

std::vector<Vector3f> RandomPoints(int n, float extent, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> d(-extent, extent);
    std::vector<Vector3f> points(n);
    for (Vector3f& p : points) p = Vector3f(d(rng), d(rng), d(rng));
    return points;
}

enum class Mode { Linear, Quadratic };

struct Errors {
    float value = 0.0f, gradient = 0.0f;
};

Errors MaxErrors(float voxel, Mode mode, const Vector3f& origin = Vector3f(0.1f, -0.2f, 0.05f))
{
    WaveField field;
    AdaptiveUniformGrid3D grid(voxel, origin);
    Errors e;
    for (const Vector3f& p : RandomPoints(2000, 2.5f, 3)) {
        float exact, gx, gy, gz;
        field.Gradient(p.X(), p.Y(), p.Z(), gx, gy, gz, &exact);
        Vector3f g;
        float gv = -1.0f;
        float v;
        if (mode == Mode::Linear) {
            v = grid.SampleTriLinear(p, &field);
            grid.SampleGradientTriLinear(p, &field, g, &gv);
        } else {
            v = grid.SampleTriQuadratic(p, &field);
            grid.SampleGradientTriQuadratic(p, &field, g, &gv);
        }
        EXPECT_NEAR(gv, v, 1e-6f) << "the gradient call's value differs from the value call";
        e.value = std::max(e.value, std::fabs(v - exact));
        e.gradient = std::max(e.gradient, (g - Vector3f(gx, gy, gz)).Length());
    }
    return e;
}

void Sample(AdaptiveUniformGrid3D& grid, ScalarField& field, const std::vector<Vector3f>& points)
{
    for (const Vector3f& p : points) {
        grid.SampleTriLinear(p, &field);
        grid.SampleTriQuadratic(p, &field);
    }
}

}  // namespace

// ---- accuracy ---------------------------------------------------------------

TEST(AdaptiveUniformGrid3D, InterpolationConvergesAtTheExpectedOrder)
{
    const Errors linCoarse = MaxErrors(0.2f, Mode::Linear), linFine = MaxErrors(0.1f, Mode::Linear);
    const Errors quadCoarse = MaxErrors(0.2f, Mode::Quadratic), quadFine = MaxErrors(0.1f, Mode::Quadratic);

    // Second order values: the error of a 0.1 lattice is below h^2/8 * |f''|max.
    EXPECT_LT(linFine.value, 0.1f * 0.1f / 8.0f * 0.25f * 3.2f * 1.2f);
    EXPECT_LT(quadFine.value, 0.1f * 0.1f / 8.0f * 0.25f * 3.2f * 1.2f);
    const float linRatio = linCoarse.value / linFine.value, quadRatio = quadCoarse.value / quadFine.value;
    EXPECT_GT(linRatio, 3.0f);
    EXPECT_LT(linRatio, 5.0f);
    EXPECT_GT(quadRatio, 3.0f);
    EXPECT_LT(quadRatio, 5.0f);

    // The trilinear gradient is first order, the B-spline's second order.
    EXPECT_LT(linFine.gradient, 0.05f);
    EXPECT_GT(linCoarse.gradient / linFine.gradient, 1.6f);
    EXPECT_LT(quadFine.gradient, 0.01f);
    EXPECT_GT(quadCoarse.gradient / quadFine.gradient, 3.0f);
}

TEST(AdaptiveUniformGrid3D, AffineFieldsAndNodesAreReproduced)
{
    LinearField field;
    AdaptiveUniformGrid3D grid(0.3f, Vector3f(-0.05f, 0.4f, 0.0f));
    for (const Vector3f& p : RandomPoints(500, 3.0f, 5)) {
        const float exact = field.Value(p);
        Vector3f g;
        EXPECT_NEAR(grid.SampleTriLinear(p, &field), exact, 2e-6f);
        EXPECT_NEAR(grid.SampleTriQuadratic(p, &field), exact, 2e-6f);
        grid.SampleGradientTriLinear(p, &field, g);
        EXPECT_NEAR(g.X(), 0.05f, 2e-5f);
        EXPECT_NEAR(g.Y(), -0.02f, 2e-5f);
        EXPECT_NEAR(g.Z(), 0.04f, 2e-5f);
        grid.SampleGradientTriQuadratic(p, &field, g);
        EXPECT_NEAR(g.X(), 0.05f, 2e-5f);
        EXPECT_NEAR(g.Y(), -0.02f, 2e-5f);
        EXPECT_NEAR(g.Z(), 0.04f, 2e-5f);
    }
    // Trilinear interpolation passes through the samples at the nodes.
    WaveField wave;
    AdaptiveUniformGrid3D nodes(0.25f);
    for (int i = -9; i <= 9; i += 3) {
        const Vector3f p(0.25f * i, -0.25f * i, 0.5f);
        EXPECT_NEAR(nodes.SampleTriLinear(p, &wave), wave.Value(p), 1e-6f);
    }
}

TEST(AdaptiveUniformGrid3D, TriQuadraticIsContinuousAcrossCellsAndBlocks)
{
    // Walk across cell faces and the block seam at 0 in small steps: value
    // and gradient must not jump.
    WaveField field;
    AdaptiveUniformGrid3D grid(0.1f);
    Vector3f previous;
    float previousValue = 0.0f;
    const float step = 1e-3f;
    for (int s = 0; s <= 2000; ++s) {
        const Vector3f p(-1.0f + s * step, 0.37f, -0.21f);
        Vector3f g;
        float v;
        grid.SampleGradientTriQuadratic(p, &field, g, &v);
        if (s > 0) {
            EXPECT_LT(std::fabs(v - previousValue), 0.3f * step * 1.5f);
            EXPECT_LT((g - previous).Length(), 0.005f);
        }
        previous = g;
        previousValue = v;
    }
}

// ---- lazy filling and invalidation ------------------------------------------

TEST(AdaptiveUniformGrid3D, SamplesAreComputedOnceAndOnlyWhenNeeded)
{
    WaveField field;
    AdaptiveUniformGrid3D grid(0.1f);
    grid.SampleTriLinear(Vector3f(0.23f, 0.31f, 0.44f), &field);
    EXPECT_EQ(field.evaluations, 8);
    grid.SampleTriQuadratic(Vector3f(0.23f, 0.31f, 0.44f), &field);
    EXPECT_EQ(field.evaluations, 27);  // the 8 are shared with the 3x3x3 stencil

    const std::vector<Vector3f> points = RandomPoints(3000, 1.5f, 11);
    Sample(grid, field, points);
    const long filled = field.evaluations;
    Sample(grid, field, points);
    Vector3f g;
    for (const Vector3f& p : points) grid.SampleGradientTriQuadratic(p, &field, g);
    EXPECT_EQ(field.evaluations, filled);

    // Without a source a missing sample reads 0 and stays missing.
    AdaptiveUniformGrid3D empty(0.1f);
    EXPECT_EQ(empty.SampleTriLinear(Vector3f(0.3f, 0.3f, 0.3f), nullptr), 0.0f);
    EXPECT_NEAR(empty.SampleTriLinear(Vector3f(0.3f, 0.3f, 0.3f), &field), field.Value(0.3f, 0.3f, 0.3f),
                1e-6f);
}

TEST(AdaptiveUniformGrid3D, InvalidateBoxRereadsInsideAndNowhereElse)
{
    WaveField field;
    const float h = 0.1f;
    AdaptiveUniformGrid3D grid(h, Vector3f(0.03f, 0.0f, -0.02f));
    const std::vector<Vector3f> points = RandomPoints(4000, 1.5f, 17);
    std::vector<float> oldLinear, oldQuadratic;
    for (const Vector3f& p : points) {
        oldLinear.push_back(grid.SampleTriLinear(p, &field));
        oldQuadratic.push_back(grid.SampleTriQuadratic(p, &field));
    }

    field.offset = 0.2f;
    const Box changed(-0.4f, 0.3f, -0.2f, 0.5f, 0.0f, 0.35f);
    grid.Invalidate(changed);
    Box reach = changed;
    reach.Dilate(3.1f * h);  // beyond every stencil that reads a dropped node
    int inside = 0, outside = 0;
    for (size_t n = 0; n < points.size(); ++n) {
        const Vector3f& p = points[n];
        const float lin = grid.SampleTriLinear(p, &field), quad = grid.SampleTriQuadratic(p, &field);
        if (changed.Contains(p)) {
            ++inside;
            EXPECT_NEAR(lin, oldLinear[n] + 0.2f, 1e-5f);
            EXPECT_NEAR(quad, oldQuadratic[n] + 0.2f, 1e-5f);
        } else if (!reach.Contains(p)) {
            ++outside;
            EXPECT_EQ(lin, oldLinear[n]);
            EXPECT_EQ(quad, oldQuadratic[n]);
        }
    }
    EXPECT_GT(inside, 20);
    EXPECT_GT(outside, 1000);

    // Only nodes near the box are re-read: it holds about 7 x 7 x 4 nodes, and
    // the stencil margin grows that to at most 10 x 10 x 7.
    const long before = field.evaluations;
    field.offset = 0.3f;
    grid.Invalidate(changed);
    for (const Vector3f& p : points) grid.SampleTriQuadratic(p, &field);
    EXPECT_LE(field.evaluations - before, 10 * 10 * 7);
    EXPECT_GT(field.evaluations - before, 0);

    // A box with a NaN changes nothing.
    const long settled = field.evaluations;
    grid.Invalidate(Box(NaN, 1, -1, 1, -1, 1));
    Sample(grid, field, points);
    EXPECT_EQ(field.evaluations, settled);
}

TEST(AdaptiveUniformGrid3D, InvalidateAllDropsEverySample)
{
    WaveField field;
    AdaptiveUniformGrid3D grid(0.1f);
    const std::vector<Vector3f> points = RandomPoints(500, 1.0f, 23);
    Sample(grid, field, points);
    const std::size_t blocks = grid.GetAllocatedBlockCount();
    ASSERT_GT(blocks, 0u);
    const Box all(-2, 2, -2, 2, -2, 2);
    std::uint64_t a, b, c;

    // Keeping the memory: blocks stay, no sample survives, refills are correct.
    field.offset = 0.1f;
    grid.Invalidate(false);
    EXPECT_EQ(grid.GetAllocatedBlockCount(), blocks);
    grid.CalculateCellEvaluationStats(all, a, b, c);
    EXPECT_EQ(c, 0u);
    EXPECT_GT(b, 0u);
    for (const Vector3f& p : points) EXPECT_NEAR(grid.SampleTriLinear(p, &field), field.Value(p), 0.01f);
    EXPECT_EQ(grid.GetAllocatedBlockCount(), blocks);

    // Releasing it.
    field.offset = 0.2f;
    grid.Invalidate(true);
    EXPECT_EQ(grid.GetAllocatedBlockCount(), 0u);
    grid.CalculateCellEvaluationStats(all, a, b, c);
    EXPECT_EQ(b, 0u);
    EXPECT_EQ(c, 0u);
    for (const Vector3f& p : points) EXPECT_NEAR(grid.SampleTriQuadratic(p, &field), field.Value(p), 0.01f);
}

// ---- voxel size and origin --------------------------------------------------

TEST(AdaptiveUniformGrid3D, SetVoxelSizeKeepsSamplesOnlyWhenUnchanged)
{
    WaveField field;
    AdaptiveUniformGrid3D grid(1.0f);
    const Box bounds(-1, 1, -0.5f, 0.5f, 0, 0.2f);
    EXPECT_TRUE(grid.SetVoxelSize(bounds, 20, false));
    EXPECT_FLOAT_EQ(grid.GetVoxelSize(), 0.1f);
    const std::vector<Vector3f> points = RandomPoints(300, 1.0f, 29);
    Sample(grid, field, points);
    const long filled = field.evaluations;

    EXPECT_TRUE(grid.SetVoxelSize(bounds, 20, false));  // same size: samples stay
    Sample(grid, field, points);
    EXPECT_EQ(field.evaluations, filled);
    EXPECT_TRUE(grid.SetVoxelSize(bounds, 20, true));  // forced: dropped
    EXPECT_EQ(grid.GetAllocatedBlockCount(), 0u);
    Sample(grid, field, points);
    EXPECT_EQ(field.evaluations, 2 * filled);

    // A new size drops the samples, which would answer for the wrong points.
    field.offset = 0.1f;
    EXPECT_TRUE(grid.SetVoxelSize(bounds, 40, false));
    EXPECT_FLOAT_EQ(grid.GetVoxelSize(), 0.05f);
    EXPECT_EQ(grid.GetAllocatedBlockCount(), 0u);
    for (const Vector3f& p : points) EXPECT_NEAR(grid.SampleTriLinear(p, &field), field.Value(p), 0.003f);

    // Refused boxes leave everything as it was; resolution 0 counts as 1.
    const std::size_t blocks = grid.GetAllocatedBlockCount();
    EXPECT_FALSE(grid.SetVoxelSize(Box(), 20, true));
    EXPECT_FALSE(grid.SetVoxelSize(Box(0, 0, 1, 1, 2, 2), 20, true));
    EXPECT_FALSE(grid.SetVoxelSize(Box(0, NaN, 0, 1, 0, 1), 20, true));
    EXPECT_FALSE(grid.SetVoxelSize(Box(0, std::numeric_limits<float>::infinity(), 0, 1, 0, 1), 20, true));
    EXPECT_FLOAT_EQ(grid.GetVoxelSize(), 0.05f);
    EXPECT_EQ(grid.GetAllocatedBlockCount(), blocks);
    EXPECT_TRUE(grid.SetVoxelSize(bounds, 0, false));
    EXPECT_FLOAT_EQ(grid.GetVoxelSize(), 2.0f);

    // A bad constructor size falls back to 1.
    EXPECT_EQ(AdaptiveUniformGrid3D(-3.0f).GetVoxelSize(), 1.0f);
    EXPECT_EQ(AdaptiveUniformGrid3D(NaN).GetVoxelSize(), 1.0f);
}

TEST(AdaptiveUniformGrid3D, MovingTheOriginCarriesTheSamples)
{
    WaveField field;
    AdaptiveUniformGrid3D grid(0.1f, Vector3f(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(grid.GetOrigin(), Vector3f(1.0f, 2.0f, 3.0f));
    const std::vector<Vector3f> points = RandomPoints(500, 1.0f, 31);
    std::vector<float> linear, quadratic;
    std::vector<Vector3f> gradients;
    for (const Vector3f& p : points) {
        linear.push_back(grid.SampleTriLinear(p, &field));
        quadratic.push_back(grid.SampleTriQuadratic(p, &field));
        Vector3f g;
        grid.SampleGradientTriQuadratic(p, &field, g);
        gradients.push_back(g);
    }
    const long filled = field.evaluations;

    const Vector3f d(0.5f, -0.25f, 0.75f);  // whole voxels: exact in float
    EXPECT_TRUE(grid.SetOrigin(grid.GetOrigin() + d));
    for (size_t n = 0; n < points.size(); ++n) {
        const Vector3f q = points[n] + d;
        EXPECT_NEAR(grid.SampleTriLinear(q, &field), linear[n], 1e-5f);
        EXPECT_NEAR(grid.SampleTriQuadratic(q, &field), quadratic[n], 1e-5f);
        Vector3f g;
        grid.SampleGradientTriQuadratic(q, &field, g);
        EXPECT_LT((g - gradients[n]).Length(), 1e-3f);
    }
    EXPECT_EQ(field.evaluations, filled);
    EXPECT_FALSE(grid.SetOrigin(Vector3f(NaN, 0, 0)));
    EXPECT_EQ(grid.GetOrigin(), Vector3f(1.5f, 1.75f, 3.75f));
}

// ---- memory and statistics --------------------------------------------------

TEST(AdaptiveUniformGrid3D, MemoryGrowsOnlyWithTheTouchedRegion)
{
    WaveField field;
    AdaptiveUniformGrid3D grid(0.1f);
    // A point in the middle of a block's nodes touches that block only.
    grid.SampleTriQuadratic(Vector3f(0.35f, 0.35f, 0.35f), &field);
    EXPECT_EQ(grid.GetAllocatedBlockCount(), 1u);
    // A stencil straddling the corner of eight blocks touches all of them.
    grid.SampleTriLinear(Vector3f(-0.05f, -0.05f, -0.05f), &field);
    EXPECT_EQ(grid.GetAllocatedBlockCount(), 8u);

    // A dense cloud in a small ball uses the blocks around it, however many
    // points are asked.
    AdaptiveUniformGrid3D cloud(0.1f);
    for (const Vector3f& p : RandomPoints(20000, 0.35f, 37)) cloud.SampleTriQuadratic(p, &field);
    EXPECT_LE(cloud.GetAllocatedBlockCount(), 8u);
    // A segment far away, 80 voxels long, adds only the blocks along it (its
    // stencils straddle a block face in z).
    for (int s = 0; s <= 1000; ++s)
        cloud.SampleTriQuadratic(Vector3f(50.0f + 0.008f * s, 20.3f, -7.3f), &field);
    EXPECT_LE(cloud.GetAllocatedBlockCount(), 8u + 2u * 12u);
}

TEST(AdaptiveUniformGrid3D, StatisticsCountBlocksNodesAndEvaluations)
{
    WaveField field;
    AdaptiveUniformGrid3D grid(0.5f);
    const Box oneBlock(0.0f, 3.5f, 0.0f, 3.5f, 0.0f, 3.5f);  // nodes 0..7 on each axis
    std::uint64_t tb, ab, tc, ac, a, b, c;
    grid.CalculateCellAllocationStats(oneBlock, tb, ab, tc, ac);
    EXPECT_EQ(tb, 1u);
    EXPECT_EQ(ab, 0u);
    EXPECT_EQ(tc, 512u);
    EXPECT_EQ(ac, 0u);

    grid.SampleTriLinear(Vector3f(1.2f, 1.7f, 0.9f), &field);
    grid.CalculateCellAllocationStats(oneBlock, tb, ab, tc, ac);
    EXPECT_EQ(ab, 1u);
    EXPECT_EQ(ac, 512u);
    grid.CalculateCellEvaluationStats(oneBlock, a, b, c);
    EXPECT_EQ(a, 512u);
    EXPECT_EQ(b, 512u);
    EXPECT_EQ(c, 8u);

    // Half a block of nodes (x in 0..3) spanning two blocks in y (nodes 4..11).
    const Box straddling(0.0f, 1.5f, 2.0f, 5.5f, 0.5f, 0.5f);
    grid.CalculateCellAllocationStats(straddling, tb, ab, tc, ac);
    EXPECT_EQ(tb, 2u);
    EXPECT_EQ(ab, 1u);
    EXPECT_EQ(tc, 4u * 8u * 1u);
    EXPECT_EQ(ac, 4u * 4u * 1u);
    grid.CalculateCellEvaluationStats(straddling, a, b, c);
    EXPECT_EQ(c, 2u);  // of the sampled nodes 2..3 x 3..4 x 1..2, those with y = 4, z = 1
}

// ---- hostile input ------------------------------------------------------------

TEST(AdaptiveUniformGrid3D, HostilePointsAndBoxesAreHarmless)
{
    WaveField field;
    AdaptiveUniformGrid3D grid(0.1f);
    Vector3f g(1, 1, 1);
    float v = 1.0f;
    const Vector3f bad[] = {Vector3f(NaN, 0, 0), Vector3f(0, NaN, 0), Vector3f(0, 0, NaN),
                            Vector3f(std::numeric_limits<float>::infinity(), 0, 0)};
    for (const Vector3f& p : bad) {
        EXPECT_EQ(grid.SampleTriLinear(p, &field), 0.0f);
        EXPECT_EQ(grid.SampleTriQuadratic(p, &field), 0.0f);
        grid.SampleGradientTriLinear(p, &field, g, &v);
        EXPECT_EQ(g, Vector3f::ZERO);
        EXPECT_EQ(v, 0.0f);
        grid.SampleGradientTriQuadratic(p, &field, g, &v);
        EXPECT_EQ(g, Vector3f::ZERO);
    }
    EXPECT_EQ(field.evaluations, 0);
    EXPECT_EQ(grid.GetAllocatedBlockCount(), 0u);

    // Far beyond the storable lattice: answered from the source, nothing stored.
    const Vector3f far(1e6f, 3.0f, -2.0f);
    EXPECT_NEAR(grid.SampleTriLinear(far, &field), field.Value(far), 1e-6f);
    EXPECT_NEAR(grid.SampleTriQuadratic(far, &field), field.Value(far), 1e-6f);
    grid.SampleGradientTriQuadratic(far, &field, g, &v);
    float gx, gy, gz;
    field.Gradient(far.X(), far.Y(), far.Z(), gx, gy, gz, nullptr);
    EXPECT_LT((g - Vector3f(gx, gy, gz)).Length(), 0.02f);
    EXPECT_EQ(grid.GetAllocatedBlockCount(), 0u);

    // Huge and inverted boxes: bounded work, sane counts.
    std::uint64_t tb, ab, tc, ac;
    const float inf = std::numeric_limits<float>::infinity();
    grid.SampleTriLinear(Vector3f(0.3f, 0.3f, 0.3f), &field);
    grid.CalculateCellAllocationStats(Box(-inf, inf, -inf, inf, -inf, inf), tb, ab, tc, ac);
    EXPECT_EQ(ab, 1u);
    EXPECT_GT(tb, 1000000u);
    grid.CalculateCellAllocationStats(Box(1, 0, 0, 1, 0, 1), tb, ab, tc, ac);
    EXPECT_EQ(tb + ab + tc + ac, 0u);
    grid.CalculateCellAllocationStats(Box(0, 1, NaN, 1, 0, 1), tb, ab, tc, ac);
    EXPECT_EQ(tb + ab + tc + ac, 0u);
    grid.Invalidate(Box(-inf, inf, -inf, inf, -inf, inf));
    EXPECT_EQ(grid.GetAllocatedBlockCount(), 0u);

    // A source answering NaN is stored as 0, not retried forever.
    class NaNField : public ScalarField {
    public:
        long evaluations = 0;
        float Value(float, float, float) override
        {
            ++evaluations;
            return NaN;
        }
        void FieldBounds(Box& box) override { box = Box(-1, 1, -1, 1, -1, 1); }
    } broken;
    EXPECT_EQ(grid.SampleTriLinear(Vector3f(0.31f, 0.2f, 0.1f), &broken), 0.0f);
    EXPECT_EQ(grid.SampleTriLinear(Vector3f(0.31f, 0.2f, 0.1f), &broken), 0.0f);
    EXPECT_EQ(broken.evaluations, 8);
}

TEST(AdaptiveUniformGrid3D, ThousandsOfBlocksAreFoundAgainAfterGrowthAndFreeing)
{
    // Enough blocks that the lookup table is regrown several times, then a
    // box that frees whole blocks in the middle of it.
    WaveField field;
    const float h = 0.02f;
    AdaptiveUniformGrid3D grid(h, Vector3f(0.005f, -0.003f, 0.001f));
    const std::vector<Vector3f> points = RandomPoints(20000, 1.2f, 31);
    std::vector<float> old;
    for (const Vector3f& p : points) old.push_back(grid.SampleTriLinear(p, &field));
    ASSERT_GT(grid.GetAllocatedBlockCount(), 2000u);
    const long filled = field.evaluations;
    for (size_t n = 0; n < points.size(); n += 7) EXPECT_EQ(grid.SampleTriLinear(points[n], &field), old[n]);
    EXPECT_EQ(field.evaluations, filled);

    const std::size_t blocks = grid.GetAllocatedBlockCount();
    field.offset = 0.1f;
    const Box changed(-0.6f, 0.5f, -0.7f, 0.4f, -0.5f, 0.6f);
    grid.Invalidate(changed);
    EXPECT_LT(grid.GetAllocatedBlockCount(), blocks);
    Box reach = changed;
    reach.Dilate(3.1f * h);  // beyond every stencil that reads a dropped node
    for (size_t n = 0; n < points.size(); ++n) {
        const float v = grid.SampleTriLinear(points[n], &field);
        if (changed.Contains(points[n])) {
            EXPECT_NEAR(v, old[n] + 0.1f, 1e-5f) << n;
        } else if (!reach.Contains(points[n])) {
            EXPECT_EQ(v, old[n]) << n;
        }
    }
}

// ---- node gradients ---------------------------------------------------------

namespace {

/// The wave plus a soft bump of the given height around centre (radius r), so
/// that a change can be confined to a box.
class BumpedWave : public WaveField {
public:
    float height = 0.0f, r = 0.3f;
    Vector3f centre = Vector3f(0.2f, -0.1f, 0.15f);

    using ScalarField::Value;
    float Value(float x, float y, float z) override
    {
        const float d2 = ((Vector3f(x, y, z) - centre).SquaredLength()) / (r * r);
        const float bump = d2 < 1.0f ? height * (1.0f - d2) * (1.0f - d2) * (1.0f - d2) : 0.0f;
        return WaveField::Value(x, y, z) + bump;
    }
    Box BumpBox() const
    {
        return Box(centre.X() - r, centre.X() + r, centre.Y() - r, centre.Y() + r, centre.Z() - r,
                   centre.Z() + r);
    }
};

float MaxNodalGradientError(float voxel)
{
    WaveField field;
    AdaptiveUniformGrid3D grid(voxel, Vector3f(0.1f, -0.2f, 0.05f));
    float worst = 0.0f;
    for (const Vector3f& p : RandomPoints(2000, 2.5f, 3)) {
        float gx, gy, gz;
        field.Gradient(p.X(), p.Y(), p.Z(), gx, gy, gz, nullptr);
        Vector3f g;
        float v = -1.0f;
        grid.SampleGradientNodal(p, &field, g, &v);
        EXPECT_EQ(v, grid.SampleTriLinear(p, &field)) << "the value written is the trilinear value";
        worst = std::max(worst, (g - Vector3f(gx, gy, gz)).Length());
    }
    return worst;
}

}  // namespace

TEST(AdaptiveUniformGrid3D, NodalGradientIsSecondOrderExactForAffineFieldsAndContinuous)
{
    const float coarse = MaxNodalGradientError(0.2f), fine = MaxNodalGradientError(0.1f);
    EXPECT_LT(fine, 0.01f);  // as good as the B-spline's gradient
    EXPECT_GT(coarse / fine, 3.0f);
    EXPECT_LT(fine, MaxErrors(0.1f, Mode::Quadratic).gradient * 1.5f);

    LinearField affine;
    AdaptiveUniformGrid3D grid(0.3f, Vector3f(-0.05f, 0.4f, 0.0f));
    for (const Vector3f& p : RandomPoints(300, 3.0f, 5)) {
        Vector3f g;
        grid.SampleGradientNodal(p, &affine, g);
        EXPECT_NEAR(g.X(), 0.05f, 2e-5f);
        EXPECT_NEAR(g.Y(), -0.02f, 2e-5f);
        EXPECT_NEAR(g.Z(), 0.04f, 2e-5f);
    }

    // Across cell faces and the block seam at 0: no jumps.
    WaveField wave;
    AdaptiveUniformGrid3D walk(0.1f);
    Vector3f previous;
    for (int s = 0; s <= 2000; ++s) {
        Vector3f g;
        walk.SampleGradientNodal(Vector3f(-1.0f + s * 1e-3f, 0.37f, -0.21f), &wave, g);
        if (s > 0) {
            EXPECT_LT((g - previous).Length(), 0.005f) << s;
        }
        previous = g;
    }
}

TEST(AdaptiveUniformGrid3D, InvalidatingAChangedBoxLeavesNoStaleNodeGradient)
{
    // The field changes only inside the bump's box; after invalidating that
    // box every answer must be the one a fresh grid gives for the new field.
    const float h = 0.05f;
    BumpedWave field;
    AdaptiveUniformGrid3D grid(h, Vector3f(0.01f, 0.02f, -0.03f));
    const std::vector<Vector3f> points = RandomPoints(6000, 0.8f, 29);
    Vector3f g;
    for (const Vector3f& p : points) {
        grid.SampleGradientNodal(p, &field, g);
        grid.SampleTriLinear(p, &field);
    }
    field.height = 0.3f;
    grid.Invalidate(field.BumpBox());

    AdaptiveUniformGrid3D fresh(h, Vector3f(0.01f, 0.02f, -0.03f));
    int changed = 0;
    for (const Vector3f& p : points) {
        Vector3f expected, actual;
        float expectedValue = 0.0f, actualValue = 0.0f;
        fresh.SampleGradientNodal(p, &field, expected, &expectedValue);
        grid.SampleGradientNodal(p, &field, actual, &actualValue);
        ASSERT_EQ(actual, expected) << p.X() << " " << p.Y() << " " << p.Z();
        ASSERT_EQ(actualValue, expectedValue);
        if (field.BumpBox().Contains(p)) ++changed;
    }
    EXPECT_GT(changed, 50);
}

// ---- cold cells ---------------------------------------------------------------

namespace {

/// How many asks a TrySample call needs before it answers (0: never within 40).
template <class Ask>
int AsksUntilAnswered(Ask&& ask)
{
    for (int n = 1; n <= 40; ++n)
        if (ask()) return n;
    return 0;
}

}  // namespace

TEST(AdaptiveUniformGrid3D, ColdCellsAreLeftToTheCallerUntilDirectAnswersCostWhatFillingDoes)
{
    WaveField field;
    AdaptiveUniformGrid3D grid(0.1f), reference(0.1f);
    const Vector3f p(0.23f, 0.31f, 0.44f);
    float v = -1.0f;
    Vector3f g(7, 7, 7);

    // A cold ask computes and writes nothing.
    EXPECT_FALSE(grid.TrySampleTriLinear(p, &field, v));
    EXPECT_FALSE(grid.TrySampleGradientNodal(p, &field, g, &v));
    EXPECT_EQ(field.evaluations, 0);
    EXPECT_EQ(v, -1.0f);
    EXPECT_EQ(g, Vector3f(7, 7, 7));
    // A stencil missing m samples is filled on the m-th ask: 8 for a
    // trilinear cell, 8 node gradients, and at most ASKS_TO_FILL.
    EXPECT_EQ(AsksUntilAnswered([&] { return grid.TrySampleTriLinear(p, &field, v); }), 8 - 1);
    EXPECT_EQ(field.evaluations, 8);
    EXPECT_EQ(v, reference.SampleTriLinear(p, &field));
    EXPECT_EQ(AsksUntilAnswered([&] { return grid.TrySampleGradientNodal(p, &field, g, &v); }), 8 - 1);
    Vector3f expected;
    reference.SampleGradientNodal(p, &field, expected);
    EXPECT_EQ(g, expected);
    const Vector3f q = p + Vector3f(0.7f, 0.0f, 0.0f);
    EXPECT_EQ(AsksUntilAnswered([&] { return grid.TrySampleTriQuadratic(q, &field, v); }),
              AdaptiveUniformGrid3D::ASKS_TO_FILL);
    EXPECT_EQ(v, reference.SampleTriQuadratic(q, &field));
    // The trilinear gradient reads the value cell, which is warm now.
    EXPECT_TRUE(grid.TrySampleGradientTriLinear(p, &field, g, &v));
    // A cell sharing a face with a filled one misses four samples.
    AdaptiveUniformGrid3D second(0.1f);
    EXPECT_EQ(AsksUntilAnswered([&] { return second.TrySampleTriLinear(p, &field, v); }), 8);
    EXPECT_EQ(
        AsksUntilAnswered([&] { return second.TrySampleTriLinear(p + Vector3f(0.1f, 0, 0), &field, v); }), 4);

    // A cell warmed by the filling calls answers at once.
    const Vector3f w(-0.77f, 0.12f, 0.5f);
    grid.SampleTriLinear(w, &field);
    EXPECT_TRUE(grid.TrySampleTriLinear(w, &field, v));

    // Invalidation forgets the asks: the count starts again.
    const Vector3f r(1.13f, -0.4f, 0.2f);
    for (int n = 0; n < 6; ++n) EXPECT_FALSE(grid.TrySampleTriLinear(r, &field, v));
    grid.Invalidate(Box(1.0f, 1.2f, -0.5f, -0.3f, 0.1f, 0.3f));
    EXPECT_EQ(AsksUntilAnswered([&] { return grid.TrySampleTriLinear(r, &field, v); }), 8);
    grid.Invalidate(false);
    for (int n = 0; n < 6; ++n) EXPECT_FALSE(grid.TrySampleTriLinear(r, &field, v));
    grid.Invalidate(true);
    EXPECT_EQ(AsksUntilAnswered([&] { return grid.TrySampleTriLinear(r, &field, v); }), 8);

    // Points the grid never stores are answered as before, at once.
    EXPECT_TRUE(grid.TrySampleTriLinear(Vector3f(NaN, 0, 0), &field, v));
    EXPECT_EQ(v, 0.0f);
    const Vector3f far(1e7f, 0, 0);
    EXPECT_TRUE(grid.TrySampleTriLinear(far, &field, v));
    EXPECT_EQ(v, field.Value(far));
}
