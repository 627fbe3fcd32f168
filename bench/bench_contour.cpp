// Contouring a sketch-like field: a thin-plate fit through the value points
// of three strokes in an 800 x 600 drawing area (zero on the strokes, +1 and
// -1 ten pixels to either side), as the sketch's stroke factory builds it.
// Seeded runs against a full scan of the same lattice; items/s = contours.

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "implicit/ScalarField2D.h"
#include "implicit/fields2d/MarchingQuads.h"
#include "wml/IntelThinPlateSpline2d.h"

using namespace vynimplicit;
using Wml::Vector2f;

namespace {

class SplineField : public ScalarField2D {
public:
    explicit SplineField(const Wml::IntelThinPlateSpline2d& spline) : m_spline(spline) {}
    float Value(float x, float y) override { return float(m_spline.Value(x, y)); }
    void Gradient(float x, float y, float& gx, float& gy) override
    {
        double dx, dy;
        m_spline.Gradient(x, y, dx, dy);
        gx = float(dx);
        gy = float(dy);
    }
    std::string GetTypeName() const override { return "SplineField"; }

private:
    const Wml::IntelThinPlateSpline2d& m_spline;
};

struct Sketch {
    std::vector<Vector2f> points;
    Wml::IntelThinPlateSpline2d spline;
};

const Sketch& SketchField()
{
    static const Sketch sketch = [] {
        // Three over-sketched strokes of a rounded outline, 33 vertices each.
        std::vector<std::vector<Vector2f>> strokes(3);
        for (int k = 0; k < 33; ++k) {
            const float t = k / 32.0f;
            const float a = 3.4f * t - 0.2f;
            strokes[0].emplace_back(400 + 220 * std::cos(a), 300 + 170 * std::sin(a));
            const float b = 3.0f + 3.3f * t;
            strokes[1].emplace_back(402 + 215 * std::cos(b), 297 + 175 * std::sin(b) + 4 * std::sin(9 * t));
            strokes[2].emplace_back(180 + 60 * t, 300 - 40 * t + 12 * std::sin(6 * t));
        }
        std::vector<double> x, y, value;
        Sketch s;
        for (const auto& stroke : strokes)
            for (size_t i = 0; i < stroke.size(); ++i) {
                const Vector2f prev = stroke[i ? i - 1 : i], next = stroke[i + 1 < stroke.size() ? i + 1 : i];
                float nx = -(next[1] - prev[1]), ny = next[0] - prev[0];
                const float len = std::hypot(nx, ny);
                nx /= len;
                ny /= len;
                const Vector2f p = stroke[i];
                const Vector2f pts[3] = {p, Vector2f(p[0] - 10 * nx, p[1] - 10 * ny),
                                         Vector2f(p[0] + 10 * nx, p[1] + 10 * ny)};
                const double vals[3] = {0.0, 1.0, -1.0};
                for (int m = 0; m < 3; ++m) {
                    x.push_back(pts[m][0]);
                    y.push_back(pts[m][1]);
                    value.push_back(vals[m]);
                    s.points.push_back(pts[m]);
                }
            }
        s.spline = Wml::IntelThinPlateSpline2d(unsigned(x.size()), x.data(), y.data(), value.data(), 0.01);
        return s;
    }();
    return sketch;
}

void Contour(benchmark::State& state, bool scanAll)
{
    const Sketch& sketch = SketchField();
    if (!sketch.spline.IsValid()) {
        state.SkipWithError("thin-plate fit failed");
        return;
    }
    SplineField field(sketch.spline);
    MarchingQuads mq(50);
    mq.SetBounds(Wml::AxisAlignedBox2<float>(0, 800, 0, 600));
    mq.SetCellResolution(unsigned(state.range(0)));
    mq.SetField(&field);
    mq.SetSeedPoints(sketch.points);
    mq.SetScanAll(scanAll);
    Wml::LinearComplex2<float> out;
    mq.SetOutput(&out);
    unsigned components = 0;
    for (auto _ : state) {
        components = mq.Run();
        benchmark::DoNotOptimize(out.GetNumEdges());
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["components"] = components;
    state.counters["vertices"] = out.GetNumVertices();
    state.counters["evaluations"] = double(mq.GetNumEvaluations());
}

void BM_ContourSketchSeeded(benchmark::State& state)
{
    Contour(state, false);
}
void BM_ContourSketchScanAll(benchmark::State& state)
{
    Contour(state, true);
}

}  // namespace

BENCHMARK(BM_ContourSketchSeeded)->Arg(100)->Arg(200)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ContourSketchScanAll)->Arg(100)->Arg(200)->Unit(benchmark::kMicrosecond);
