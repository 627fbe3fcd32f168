// Undo in a 50-shape scene (sketch-like sweeps, each with its own 128 x 128
// profile): what recording one step costs after an edit, and putting a step
// back in place (a value changed) against re-reading the scene (a shape
// added or removed). Read as ratios; the counters give the history's bytes.

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "blobtree_ui/BlobTreeNodeSceneObject.h"
#include "blobtree_ui/RootNodeSceneObject.h"
#include "implicit/fields2d/DiscreteFieldGenerator2D.h"
#include "implicit/fields2d/DynDiscreteScalarField2D.h"
#include "scene/IParameter.h"
#include "scene/ParameterList.h"
#include "scene/SceneManager.h"
#include "view/SceneSnapshot.h"
#include "view/UndoHistory.h"
#include "wml/LinearComplex2.h"

namespace {

using vynui_bt::BlobTreeNodeSceneObject;

const int SHAPES = 50;

void Set(vynui::SceneObject* object, const char* name, const std::string& text)
{
    if (vynui::IParameter* parameter = object->GetParameterList()->Find(name))
        parameter->SetValueFromText(text);
}

std::shared_ptr<vynimplicit::ScalarField2D> Profile(int k)
{
    Wml::LinearComplex2<float> outline;
    const int n = 48;
    for (int i = 0; i < n; ++i) {
        const float a = 2.0f * float(M_PI) * float(i) / float(n);
        outline.AddVertex(Wml::Vector2<float>((0.2f + 0.002f * float(k)) * std::cos(a), 0.16f * std::sin(a)));
    }
    for (int i = 0; i < n; ++i) outline.AddEdge(unsigned(i), unsigned((i + 1) % n));
    Wml::AxisAlignedBox2<float> box;
    vynimplicit::DiscreteFieldGenerator2D generator(outline);
    return std::shared_ptr<vynimplicit::ScalarField2D>(generator.MakeField(128, box, 0.35f));
}

struct FiftyShapes {
    vynui::CSceneManager scene;
    std::vector<BlobTreeNodeSceneObject*> shapes;
    FiftyShapes()
    {
        for (int k = 0; k < SHAPES; ++k) {
            const Wml::Vector3<float> at(-2.5f + 0.1f * float(k), 0.3f * std::sin(float(k)), 0.0f);
            shapes.push_back(scene.AddLinearSweep(Profile(k), Wml::Frame3<float>(at), true, 0.3f, 0.12f));
        }
        scene.ClearSelection();
    }
    std::string Text()
    {
        std::string text;
        vynui::SnapshotScene(&scene, text);
        return text;
    }
};

// An edit, then what the view does at the end of the action: the scene as
// text, compared with the current step and kept.
void BM_Undo_RecordStep(benchmark::State& state)
{
    FiftyShapes fifty;
    vynui::UndoHistory history;
    history.Reset(fifty.Text());
    int step = 0;
    for (auto _ : state) {
        Set(fifty.shapes[25], "Radius", std::to_string(0.5 + 0.001 * (step++ % 500)));
        benchmark::DoNotOptimize(history.Record(fifty.Text()));
    }
    state.counters["scene_bytes"] = double(fifty.Text().size());
    state.counters["history_bytes"] = double(history.GetBytes());
    state.counters["states"] = double(history.GetNumStates());
}

// Undo of a value: the same objects, so the value is set on the live shape.
void BM_Undo_InPlace(benchmark::State& state)
{
    FiftyShapes fifty;
    const std::string before = fifty.Text();
    Set(fifty.shapes[25], "Radius", "0.7");
    const std::string after = fifty.Text();
    bool back = true;
    for (auto _ : state) {
        const vynui::SceneRestore how = vynui::RestoreSceneText(&fifty.scene, back ? before : after);
        if (how != vynui::SceneRestore::InPlace) state.SkipWithError("not in place");
        back = !back;
    }
}

// Undo of a removal: the scene emptied and read again.
void BM_Undo_Rebuild(benchmark::State& state)
{
    FiftyShapes fifty;
    const std::string all = fifty.Text();
    fifty.scene.SelectObject(fifty.shapes.back(), true);
    fifty.scene.RemoveSelected();
    const std::string fewer = fifty.Text();
    bool back = true;
    for (auto _ : state) {
        const vynui::SceneRestore how = vynui::RestoreSceneText(&fifty.scene, back ? all : fewer);
        if (how != vynui::SceneRestore::Rebuilt) state.SkipWithError("not rebuilt");
        back = !back;
    }
}

}  // namespace

BENCHMARK(BM_Undo_RecordStep)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Undo_InPlace)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Undo_Rebuild)->Unit(benchmark::kMillisecond);
