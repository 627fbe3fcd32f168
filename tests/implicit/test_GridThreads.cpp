// The sampling grid asked from several threads at once, and its warm path:
// the same numbers as one thread's, whichever thread fills a sample, and
// nothing stored or marked by a query the warm path cannot answer.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <thread>
#include <vector>

#include "implicit/grid/AdaptiveUniformGrid3D.h"

using namespace vynimplicit;
using Wml::Vector3f;
using Box = Wml::AxisAlignedBox3<float>;

namespace {

/// A smooth field with no state, safe to evaluate from any thread.
class CalmWave : public ScalarField {
public:
    using ScalarField::Value;
    float Value(float x, float y, float z) override
    {
        return 0.5f + 0.25f * std::sin(x) * std::cos(1.3f * y) * std::sin(0.7f * z + 0.3f);
    }
    void FieldBounds(Box& box) override { box = Box(-4, 4, -4, 4, -4, 4); }
};

/// Value and gradient (with its value) of one interpolation.
using Result = std::array<float, 5>;

struct Mode {
    const char* name;
    std::function<Result(AdaptiveUniformGrid3D&, const Vector3f&, ScalarField*)> sample;
};

Result Pack(float value, const Vector3f& g, float gvalue)
{
    return Result{value, g.X(), g.Y(), g.Z(), gvalue};
}

const Mode MODES[] = {
    {"trilinear value", [](AdaptiveUniformGrid3D& g, const Vector3f& p,
                           ScalarField* f) { return Pack(g.SampleTriLinear(p, f), Vector3f::ZERO, 0.0f); }},
    {"triquadratic value",
     [](AdaptiveUniformGrid3D& g, const Vector3f& p, ScalarField* f) {
         return Pack(g.SampleTriQuadratic(p, f), Vector3f::ZERO, 0.0f);
     }},
    {"trilinear gradient",
     [](AdaptiveUniformGrid3D& g, const Vector3f& p, ScalarField* f) {
         Vector3f gradient;
         float v = 0.0f;
         g.SampleGradientTriLinear(p, f, gradient, &v);
         return Pack(0.0f, gradient, v);
     }},
    {"triquadratic gradient",
     [](AdaptiveUniformGrid3D& g, const Vector3f& p, ScalarField* f) {
         Vector3f gradient;
         float v = 0.0f;
         g.SampleGradientTriQuadratic(p, f, gradient, &v);
         return Pack(0.0f, gradient, v);
     }},
    {"nodal gradient",
     [](AdaptiveUniformGrid3D& g, const Vector3f& p, ScalarField* f) {
         Vector3f gradient;
         float v = 0.0f;
         g.SampleGradientNodal(p, f, gradient, &v);
         return Pack(0.0f, gradient, v);
     }},
};
constexpr int MODE_COUNT = int(sizeof MODES / sizeof MODES[0]);

std::vector<Vector3f> Points(int n, float extent, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> d(-extent, extent);
    std::vector<Vector3f> points(static_cast<size_t>(n));
    for (Vector3f& p : points) p = Vector3f(d(rng), d(rng), d(rng));
    return points;
}

/// Sized through SetVoxelSize, a grid keeps a window of blocks around its
/// origin (here covering about [-2.4, 1.6) per axis at voxel 0.1, less than
/// the points span); built with the size alone it has none.
void Size(AdaptiveUniformGrid3D& grid, bool windowed)
{
    if (windowed) {
        const float voxel = grid.GetVoxelSize();
        ASSERT_TRUE(grid.SetVoxelSize(Box(-0.8f, 0.8f, -0.8f, 0.8f, -0.8f, 0.8f),
                                      unsigned(1.6f / voxel + 0.5f), false));
        ASSERT_FLOAT_EQ(grid.GetVoxelSize(), voxel);
    }
}

void FourThreadsFillingOneGrid(bool windowed);
void WarmPathAnswersOnlyStoredCells(bool windowed);

}  // namespace

TEST(AdaptiveUniformGrid3DThreads, FourThreadsFillingOneGridAnswerWhatOneThreadDoes)
{
    for (bool windowed : {false, true}) {
        SCOPED_TRACE(windowed ? "with a window" : "without a window");
        FourThreadsFillingOneGrid(windowed);
    }
}

TEST(AdaptiveUniformGrid3DThreads, WarmPathAnswersOnlyStoredCellsAndLeavesNoMark)
{
    for (bool windowed : {false, true}) {
        SCOPED_TRACE(windowed ? "with a window" : "without a window");
        WarmPathAnswersOnlyStoredCells(windowed);
    }
}

namespace {

void FourThreadsFillingOneGrid(bool windowed)
{
    CalmWave field;
    // Thousands of blocks, so the threads make blocks and grow the lookup
    // table while the others read it.
    const std::vector<Vector3f> points = Points(6000, 3.0f, 21);
    AdaptiveUniformGrid3D reference(0.05f, Vector3f(0.01f, -0.02f, 0.03f));
    Size(reference, windowed);
    std::vector<std::array<Result, MODE_COUNT>> expected(points.size());
    for (size_t i = 0; i < points.size(); ++i)
        for (int m = 0; m < MODE_COUNT; ++m)
            expected[i][size_t(m)] = MODES[m].sample(reference, points[i], &field);

    AdaptiveUniformGrid3D shared(0.05f, Vector3f(0.01f, -0.02f, 0.03f));
    Size(shared, windowed);
    std::vector<int> mismatches(4, 0), coldAnswers(4, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            std::vector<size_t> order(points.size());
            for (size_t i = 0; i < order.size(); ++i) order[i] = i;
            std::shuffle(order.begin(), order.end(), std::mt19937(t));
            for (size_t i : order) {
                // Cold-cell queries and the warm path interleaved with filling ones.
                float v = 0.0f;
                if (shared.TrySampleTriLinear(points[i], &field, v))
                    coldAnswers[size_t(t)] += v != expected[i][0][0];
                Vector3f g;
                if (shared.TryWarmNodal(points[i], g, &v))
                    coldAnswers[size_t(t)] += Pack(0.0f, g, v) != expected[i][4];
                for (int m = (t % 2) * 2; m < MODE_COUNT + (t % 2) * 2; ++m) {
                    const int mode = m % MODE_COUNT;
                    mismatches[size_t(t)] +=
                        MODES[mode].sample(shared, points[i], &field) != expected[i][size_t(mode)];
                }
            }
        });
    for (std::thread& thread : threads) thread.join();
    for (int t = 0; t < 4; ++t) {
        EXPECT_EQ(mismatches[size_t(t)], 0) << "thread " << t;
        EXPECT_EQ(coldAnswers[size_t(t)], 0) << "thread " << t;
    }
    EXPECT_EQ(shared.GetAllocatedBlockCount(), reference.GetAllocatedBlockCount());

    // Everything is warm now: the warm path answers every point, from every
    // thread, with the filling calls' numbers.
    std::vector<int> warmMisses(4, 0);
    threads.clear();
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (size_t i = size_t(t); i < points.size(); i += 2) {
                float v = -1.0f;
                Vector3f g;
                warmMisses[size_t(t)] += !shared.TryWarmTriLinear(points[i], v) || v != expected[i][0][0];
                warmMisses[size_t(t)] +=
                    !shared.TryWarmTriLinear(points[i], v, &g) || Pack(0.0f, g, v) != expected[i][2];
                warmMisses[size_t(t)] +=
                    !shared.TryWarmNodal(points[i], g, &v) || Pack(0.0f, g, v) != expected[i][4];
            }
        });
    for (std::thread& thread : threads) thread.join();
    for (int t = 0; t < 4; ++t) EXPECT_EQ(warmMisses[size_t(t)], 0) << "thread " << t;

    // Invalidation afterwards behaves as on a grid one thread filled.
    const Box region(-0.5f, 0.5f, -0.5f, 0.5f, -0.5f, 0.5f);
    shared.Invalidate(region);
    reference.Invalidate(region);
    EXPECT_EQ(shared.GetAllocatedBlockCount(), reference.GetAllocatedBlockCount());
    float v = 0.0f;
    EXPECT_FALSE(shared.TryWarmTriLinear(Vector3f(0.1f, 0.1f, 0.1f), v));
    for (size_t i = 0; i < points.size(); i += 7)
        EXPECT_EQ(MODES[4].sample(shared, points[i], &field), expected[i][4]);
}

void WarmPathAnswersOnlyStoredCells(bool windowed)
{
    CalmWave field;
    const std::vector<Vector3f> points = Points(400, 2.0f, 5);
    AdaptiveUniformGrid3D grid(0.1f), reference(0.1f);
    Size(grid, windowed);
    Size(reference, windowed);
    // Cold: the warm path declines, makes no block and leaves no ask behind,
    // so a cold cell still takes its full count of asks afterwards.
    for (const Vector3f& p : points) {
        float v = 0.0f;
        Vector3f g;
        EXPECT_FALSE(grid.TryWarmTriLinear(p, v));
        EXPECT_FALSE(grid.TryWarmTriLinear(p, v, &g));
        EXPECT_FALSE(grid.TryWarmNodal(p, g, &v));
    }
    EXPECT_EQ(grid.GetAllocatedBlockCount(), 0u);
    const Vector3f p(0.23f, 0.31f, 0.44f);
    float v = 0.0f;
    int asks = 1;
    while (!grid.TrySampleTriLinear(p, &field, v)) ++asks;
    EXPECT_EQ(asks, 8);

    // Warm: exactly the numbers of the filling calls, across block faces too
    // (points at nodes, on block boundaries and in between).
    std::vector<Vector3f> probes = points;
    for (int n = -9; n <= 9; ++n)
        probes.push_back(Vector3f(0.8f * float(n) / 9.0f, 0.8f, -0.8f + 0.1f * float(n)));
    for (const Vector3f& q : probes) {
        const Result value = MODES[0].sample(reference, q, &field);
        const Result linear = MODES[2].sample(reference, q, &field);
        const Result nodal = MODES[4].sample(reference, q, &field);
        Vector3f g;
        float w = -1.0f;
        ASSERT_TRUE(reference.TryWarmTriLinear(q, w));
        EXPECT_EQ(w, value[0]);
        ASSERT_TRUE(reference.TryWarmTriLinear(q, w, &g));
        EXPECT_EQ(Pack(0.0f, g, w), linear);
        ASSERT_TRUE(reference.TryWarmNodal(q, g, &w));
        EXPECT_EQ(Pack(0.0f, g, w), nodal);
    }

    // Points the grid does not store are left to the full path.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    Vector3f g;
    for (const Vector3f& q : {Vector3f(nan, 0, 0), Vector3f(0, 1e9f, 0), Vector3f(0, 0, -1e9f)}) {
        EXPECT_FALSE(reference.TryWarmTriLinear(q, v));
        EXPECT_FALSE(reference.TryWarmNodal(q, g, &v));
    }

    // A dropped region is cold again for the warm path.
    reference.Invalidate(Box(-0.2f, 0.2f, -0.2f, 0.2f, -0.2f, 0.2f));
    EXPECT_FALSE(reference.TryWarmTriLinear(Vector3f(0.05f, 0.05f, 0.05f), v));
    EXPECT_FALSE(reference.TryWarmNodal(Vector3f(0.05f, 0.05f, 0.05f), g, &v));
    reference.Invalidate(false);
    EXPECT_FALSE(reference.TryWarmTriLinear(points[0], v));
}

}  // namespace
