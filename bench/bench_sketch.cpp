// The sketch interface as a person meets it: a three-stroke outline (about
// 300 mouse reports) in an 800 x 600 view, driven through the input stream
// and gesture engine into the sketch manager. Reported: from the release of
// the last stroke to the suggestion toolbar being ready, and from pressing
// "Blobby Thing" to the first mesh of the new shape (one surface read).

#include <cmath>
#include <memory>
#include <vector>

#include <benchmark/benchmark.h>

#include "interact/ConstraintManager.h"
#include "interact/GestureEngine.h"
#include "interact/HUDButton.h"
#include "interact/HUDToolbar.h"
#include "interact/InputEventStream.h"
#include "interact/Tool3DManager.h"
#include "scene/SceneManager.h"
#include "sketch_ui/SketchManager.h"
#include "surface/SurfaceManager.h"
#include "surface/SurfaceTreeNode.h"
#include "tests/support/FakeClock.h"
#include "tests/support/MouseStrokes.h"
#include "wml/ExtendedWmlCamera.h"
#include "wml/Segment2.h"

namespace {

using Wml::Vector2f;

struct Rig {
    Wml::ExtendedWmlCamera camera{800.0f, 600.0f};
    vynui::Tool3DManager tools;
    vynui::ConstraintManager constraints;
    vynui::CSceneManager scene;
    vynui::CSurfaceManager surfaces;
    std::unique_ptr<vynui::CSketchManager> sketch;
    kftest::FakeClock clock{10.0};
    vynui::CInputEventStream stream;
    vynui::GestureEngine engine;
    std::vector<std::vector<Vector2f>> strokes;

    Rig()
    {
        camera.SetViewport(800, 600);
        tools.AddStandardTools();
        tools.SetCamera(&camera);
        scene.SetConstraintManager(&constraints);
        scene.SetToolManager(&tools, nullptr);
        scene.AddChangeListener(&surfaces);
        surfaces.AddSceneSurface(scene.GetModel());
        sketch = std::make_unique<vynui::CSketchManager>(&scene, &surfaces, &camera);
        engine.SetTimeSource(clock.Source());
        stream.AddListener(&engine);
        engine.AddGestureListener(&scene);
        engine.AddGestureListener(sketch.get());
        // An ellipse in three overlapping arcs, ~100 reports each.
        const Vector2f centre(400.0f, 300.0f);
        for (int k = 0; k < 3; ++k) {
            const float a0 = 2.0f * sketchtest::PI * (float(k) / 3.0f - 0.03f);
            const float a1 = 2.0f * sketchtest::PI * (float(k + 1) / 3.0f + 0.03f);
            const sketchtest::Path arc = [=](float t) {
                const float a = a0 + (a1 - a0) * t;
                return centre + Vector2f(170.0f * std::cos(a), 120.0f * std::sin(a));
            };
            strokes.push_back(sketchtest::SampleMouse(arc, 3.5f, 0.6f, 11 + unsigned(k)));
        }
    }
    ~Rig()
    {
        sketch.reset();
        surfaces.RemoveSceneSurface(scene.GetModel());
    }

    void Press(const std::vector<Vector2f>& points)
    {
        stream.LeftDown(int(points[0].X()), int(points[0].Y()));
        for (std::size_t i = 1; i < points.size(); ++i) {
            clock.Advance(0.01);
            stream.LeftDrag(int(points[i].X()), int(points[i].Y()));
        }
        clock.Advance(0.01);
    }
    void Release(const std::vector<Vector2f>& points)
    {
        stream.LeftUp(int(points.back().X()), int(points.back().Y()));
        clock.Advance(1.0);
    }
    void DrawAll()
    {
        for (const auto& stroke : strokes) {
            Press(stroke);
            Release(stroke);
        }
    }
};

void BM_LastStrokeToSuggestions(benchmark::State& state)
{
    Rig rig;
    for (auto _ : state) {
        state.PauseTiming();
        rig.sketch->ClearSketch();
        rig.Press(rig.strokes[0]);
        rig.Release(rig.strokes[0]);
        rig.Press(rig.strokes[1]);
        rig.Release(rig.strokes[1]);
        rig.Press(rig.strokes[2]);
        state.ResumeTiming();
        rig.Release(rig.strokes[2]);
        benchmark::DoNotOptimize(rig.sketch->GetToolbar()->GetItems().size());
    }
    if (!rig.sketch->GetToolbar()->FindItem("BlobbySweepButton")) state.SkipWithError("no blobby suggestion");
}
BENCHMARK(BM_LastStrokeToSuggestions)->Unit(benchmark::kMillisecond);

void BM_BlobbyThingToFirstMesh(benchmark::State& state)
{
    Rig rig;
    unsigned triangles = 0;
    for (auto _ : state) {
        state.PauseTiming();
        rig.scene.NewScene();
        rig.surfaces.GetChainTop(0)->GetMesh();
        rig.DrawAll();
        vynui::HUDButton* button = rig.sketch->GetButton(vynui::CSketchManager::BlobbySweepButton);
        const Vector2f c = button->GetBox().Center();
        state.ResumeTiming();
        button->OnCross(Wml::Segment2<float>(c - Vector2f(0.1f, 0.0f), Vector2f(0.2f, 0.0f)));
        triangles = rig.surfaces.GetChainTop(0)->GetMesh()->GetNumTriangles();
        benchmark::DoNotOptimize(triangles);
    }
    if (triangles == 0) state.SkipWithError("no mesh");
    state.counters["triangles"] = double(triangles);
}
BENCHMARK(BM_BlobbyThingToFirstMesh)->Unit(benchmark::kMillisecond);

}  // namespace
