// Evaluation speed of the operators over two soft balls, of a Ricci blend of
// fifty balls (the reference for later speed-ups) and of the Bezier tube in
// both modes. items_per_second is evaluations per second.

#include <benchmark/benchmark.h>

#include "FieldBench.h"

#include <memory>
#include <random>
#include <vector>

#include "implicit/Falloff.h"
#include "implicit/operators/BartheSharpDifference.h"
#include "implicit/operators/BartheSharpIntersection.h"
#include "implicit/operators/BartheSharpUnion.h"
#include "implicit/operators/BartheSmoothDifference.h"
#include "implicit/operators/BezierCurve.h"
#include "implicit/operators/HollowOperator.h"
#include "implicit/operators/MinMaxDifference.h"
#include "implicit/operators/MinMaxIntersection.h"
#include "implicit/operators/MinMaxUnion.h"
#include "implicit/operators/MirrorOperator.h"
#include "implicit/operators/QuillonUnion.h"
#include "implicit/operators/RicciBlend.h"
#include "implicit/operators/SumBlend.h"

using namespace vynimplicit;
using Wml::Vector3f;

namespace {

using fieldbench::RunGradient;
using fieldbench::RunValue;

/// Soft ball with an analytic gradient, as cheap as a primitive gets.
class BenchBall : public ScalarField {
public:
    BenchBall(const Vector3f& c, float R) : m_c(c), m_inverseR2(1.0f / (R * R)), m_R(R) {}
    float Value(float x, float y, float z) override
    {
        return FalloffSquared((Vector3f(x, y, z) - m_c).SquaredLength() * m_inverseR2);
    }
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) override
    {
        const Vector3f d = Vector3f(x, y, z) - m_c;
        const float r2 = d.SquaredLength() * m_inverseR2;
        const float s = 2.0f * m_inverseR2 * FalloffSquaredDerivative(r2);
        gx = s * d.X();
        gy = s * d.Y();
        gz = s * d.Z();
        if (value) *value = FalloffSquared(r2);
    }
    void FieldBounds(Wml::AxisAlignedBox3<float>& box) override
    {
        box = Wml::AxisAlignedBox3<float>(m_c.X() - m_R, m_c.X() + m_R, m_c.Y() - m_R, m_c.Y() + m_R,
                                          m_c.Z() - m_R, m_c.Z() + m_R);
    }

private:
    Vector3f m_c;
    float m_inverseR2, m_R;
};

/// Fixed random points over the field's bounds, so every run sees the same mix
/// of inside, outside and blend-region points.
/// An operator of type Op over two overlapping balls.
template <class Op>
struct TwoBalls {
    BenchBall a{Vector3f(-0.3f, 0.0f, 0.0f), 1.0f};
    BenchBall b{Vector3f(0.3f, 0.1f, 0.0f), 0.9f};
    Op op;
    TwoBalls()
    {
        op.AddChild(&a);
        op.AddChild(&b);
    }
};

template <class Op>
void BM_Operators_Value(benchmark::State& state)
{
    TwoBalls<Op> setup;
    RunValue(state, setup.op);
}

template <class Op>
void BM_Operators_Gradient(benchmark::State& state)
{
    TwoBalls<Op> setup;
    RunGradient(state, setup.op);
}

#define OPERATOR_BENCHMARKS(Op)                 \
    BENCHMARK_TEMPLATE(BM_Operators_Value, Op); \
    BENCHMARK_TEMPLATE(BM_Operators_Gradient, Op)

OPERATOR_BENCHMARKS(SumBlend);
OPERATOR_BENCHMARKS(RicciBlend);
OPERATOR_BENCHMARKS(QuillonUnion);
OPERATOR_BENCHMARKS(MinMaxUnion);
OPERATOR_BENCHMARKS(MinMaxIntersection);
OPERATOR_BENCHMARKS(MinMaxDifference);
OPERATOR_BENCHMARKS(BartheSharpUnion);
OPERATOR_BENCHMARKS(BartheSharpIntersection);
OPERATOR_BENCHMARKS(BartheSharpDifference);
OPERATOR_BENCHMARKS(BartheSmoothDifference);
OPERATOR_BENCHMARKS(HollowOperator);
OPERATOR_BENCHMARKS(MirrorOperator);

/// Fifty balls on a loose grid under a Ricci blend of power 6.
struct FiftyBalls {
    std::vector<std::unique_ptr<BenchBall>> balls;
    RicciBlend blend{6.0f};
    FiftyBalls()
    {
        for (int i = 0; i < 50; ++i) {
            balls.push_back(std::make_unique<BenchBall>(
                Vector3f(0.4f * float(i % 5), 0.4f * float((i / 5) % 5), 0.4f * float(i / 25)), 0.6f));
            blend.AddChild(balls.back().get());
        }
    }
};

void BM_Operators_Ricci50_Value(benchmark::State& state)
{
    FiftyBalls setup;
    RunValue(state, setup.blend);
}
BENCHMARK(BM_Operators_Ricci50_Value);

void BM_Operators_Ricci50_Gradient(benchmark::State& state)
{
    FiftyBalls setup;
    RunGradient(state, setup.blend);
}
BENCHMARK(BM_Operators_Ricci50_Gradient);

/// The default cubic, radius 0.15; argument 0 = exact mode, 1 = segments at
/// approximation level 5.
void SetUpCurve(BezierCurve& curve, int mode)
{
    curve.SetRadius(0.15f);
    curve.SetEvaluationMode(mode);
    curve.SetApproximationLevel(5);
}

void BM_Operators_Bezier_Value(benchmark::State& state)
{
    BezierCurve curve;
    SetUpCurve(curve, static_cast<int>(state.range(0)));
    RunValue(state, curve);
}
BENCHMARK(BM_Operators_Bezier_Value)->Arg(0)->Arg(1);

void BM_Operators_Bezier_Gradient(benchmark::State& state)
{
    BezierCurve curve;
    SetUpCurve(curve, static_cast<int>(state.range(0)));
    RunGradient(state, curve);
}
BENCHMARK(BM_Operators_Bezier_Gradient)->Arg(0)->Arg(1);

}  // namespace
