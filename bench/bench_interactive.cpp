// A person dragging one shape of a 50-shape scene: every small handle step
// goes through the real tool (a vector handle picked and dragged with pick
// rays), the scene manager's notifications and the surface manager's change
// boxes, and is followed by the surface read the next repaint would make.
// Reported: drag steps per second, whole-field polygonization ("Marching
// Cubes") against bounded ("Bounded Marching Cubes"), field caching on and
// off, at the default polygonizer settings.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "blobtree/cache/FieldCacheManager.h"
#include "blobtree_ui/BlobTreeNodeSceneObject.h"
#include "blobtree_ui/BlobTreeSceneObject.h"
#include "blobtree_ui/RootNodeSceneObject.h"
#include "implicit/fields2d/DiscreteFieldGenerator2D.h"
#include "implicit/fields2d/DynDiscreteScalarField2D.h"
#include "interact/ConstraintDescription.h"
#include "interact/ConstraintTarget.h"
#include "interact/DynamicTool3D.h"
#include "interact/InputEvent.h"
#include "interact/Tool3DManager.h"
#include "interact/VectorConstraint.h"
#include "scene/IParameter.h"
#include "scene/ParameterList.h"
#include "scene/SceneManager.h"
#include "surface/SurfaceManager.h"
#include "surface/SurfaceTreeNode.h"
#include "wml/ExtendedWmlCamera.h"
#include "wml/LinearComplex2.h"

namespace {

using Vec3 = Wml::Vector3<float>;
using vynui_bt::BlobTreeNodeSceneObject;

const int WIDTH = 800, HEIGHT = 600;
const int CLUSTERS = 5, PER_CLUSTER = 10;  // 50 primitives
const int STEPS = 100;

void Set(vynui::SceneObject* object, const char* name, const std::string& text)
{
    if (vynui::IParameter* parameter = object->GetParameterList()->Find(name))
        parameter->SetValueFromText(text);
}

// The template a sketched rounded outline gets: the sketch's height field,
// 128 x 128 samples.
std::shared_ptr<vynimplicit::ScalarField2D> RoundProfile()
{
    Wml::LinearComplex2<float> outline;
    const int n = 48;
    for (int i = 0; i < n; ++i) {
        float a = 2.0f * float(M_PI) * float(i) / float(n);
        outline.AddVertex(Wml::Vector2<float>(0.22f * std::cos(a), 0.16f * std::sin(a)));
    }
    for (int i = 0; i < n; ++i) outline.AddEdge(unsigned(i), unsigned((i + 1) % n));
    Wml::AxisAlignedBox2<float> box;
    vynimplicit::DiscreteFieldGenerator2D generator(outline);
    return std::shared_ptr<vynimplicit::ScalarField2D>(generator.MakeField(128, box, 0.35f));
}

vynui::InputEvent Mouse(int x, int y, bool down, bool up)
{
    vynui::InputEvent e;
    e.kind = vynui::InputEvent::MOUSE;
    e.x = x;
    e.y = y;
    e.leftDown = down;
    e.leftUp = up;
    return e;
}

// Five blended clusters of ten primitives each (points and capped sweeps
// alternating), as a person builds them: through the scene manager, seen by
// the surface manager, in front of the start-up camera.
class InteractiveScene {
public:
    InteractiveScene(vynui::PolygonizerAlgorithm algorithm, unsigned threads)
        : camera(float(WIDTH), float(HEIGHT))
    {
        camera.SetViewport(WIDTH, HEIGHT);
        camera.SetFrustum(30.0f, float(WIDTH) / float(HEIGHT), 0.1f, 100.0f);
        camera.SetFrameLookAt(Vec3(0, 0, 9), Vec3(-1, 0, 0), Vec3(0, 1, 0), Vec3(0, 0, 0));
        tools.AddStandardTools();
        tools.SetCamera(&camera);
        scene.SetToolManager(&tools, nullptr);
        tools.AddToolActionListener(&scene);
        scene.AddChangeListener(&surfaces);
        surfaces.SetAlgorithm(algorithm);
        surfaces.GetSettings().threads = threads;
        surfaces.AddSceneSurface(scene.GetModel());

        auto profile = RoundProfile();
        for (int c = 0; c < CLUSTERS; ++c) {
            BlobTreeNodeSceneObject* blend = scene.AddNode(13, nullptr, false);  // Ricci blend
            const float cx = -2.4f + 1.2f * float(c);
            for (int i = 0; i < PER_CLUSTER; ++i) {
                const float a = 2.0f * float(M_PI) * float(i) / float(PER_CLUSTER);
                const Vec3 at(cx + 0.4f * std::cos(a), 0.9f * std::sin(a), 0.0f);
                BlobTreeNodeSceneObject* shape = nullptr;
                if (i % 2 == 0) {
                    shape = scene.AddNode(1, blend, false);  // point
                    char text[96];
                    std::snprintf(text, sizeof text, "%g %g %g", at.X(), at.Y(), at.Z());
                    Set(shape, "Position", text);
                    Set(shape, "Radius", "0.35");
                } else {
                    shape = scene.AddLinearSweep(profile, Wml::Frame3<float>(at), true, 0.3f, 0.12f);
                    scene.MoveNode(shape, blend);
                }
                shapes.push_back(shape);
            }
        }
        scene.ClearSelection();
        surfaces.GetChainTop(0)->GetMesh();
    }
    ~InteractiveScene()
    {
        tools.SetTargets({});
        target.reset();
        surfaces.RemoveSceneSurface(scene.GetModel());
    }

    // Selects the middle cluster's first point and gives it a handle along x.
    void Grab()
    {
        BlobTreeNodeSceneObject* dragged = shapes[2 * PER_CLUSTER];
        scene.SelectObject(dragged, true);
        target.reset(new vynui::ConstraintTarget(dragged));
        tool = static_cast<vynui::DynamicTool3D*>(tools.FindTool("DynamicTool3D"));
        const Vec3 origin = dragged->GetFrame().Origin();
        startX = origin.X();
        tool->AddHandle(
            new vynui::VectorConstraint(target.get(), origin, Vec3(1, 0, 0), vynui::FRAME_MODE_WORLD));
        tools.UpdateViewFromCamera();
        // Press on the handle's shaft.
        const Vec3 onShaft = origin + Vec3(0.6f * tools.GetViewData().viewScale * 0.5f, 0, 0);
        float x, y, depth;
        camera.Project(onShaft, x, y, depth);
        px = int(x);
        py = int(y);
        pressed = tools.OnInputEvent(Mouse(px, py, true, false)) == vynui::INPUT_CAPTURE;
    }

    // One small step of the drag (2 pixels, back and forth), then the read.
    int Step(int i)
    {
        px += (i / 10) % 2 == 0 ? 2 : -2;
        tools.OnInputEvent(Mouse(px, py, true, true));
        const float x = shapes[2 * PER_CLUSTER]->GetFrame().Origin().X();
        travel = std::max(travel, std::fabs(x - startX));
        return surfaces.GetChainTop(0)->GetMesh()->GetNumTriangles();
    }

    Wml::ExtendedWmlCamera camera;
    vynui::Tool3DManager tools;
    vynui::CSceneManager scene;
    vynui::CSurfaceManager surfaces;
    std::vector<BlobTreeNodeSceneObject*> shapes;
    std::unique_ptr<vynui::ConstraintTarget> target;
    vynui::DynamicTool3D* tool = nullptr;
    int px = 0, py = 0;
    bool pressed = false;
    float startX = 0.0f, travel = 0.0f;
};

void Drag(benchmark::State& state, vynui::PolygonizerAlgorithm algorithm, bool caching)
{
    vynbt::FieldCacheManager::Get()->EnableCaching(caching);
    InteractiveScene rig(algorithm, unsigned(state.range(0)));
    rig.Grab();
    if (!rig.pressed) {
        state.SkipWithError("the press did not pick the handle");
        return;
    }
    int triangles = 0;
    for (auto _ : state) {
        for (int i = 0; i < STEPS; ++i) triangles = rig.Step(i);
        benchmark::DoNotOptimize(triangles);
    }
    state.counters["steps/s"] =
        benchmark::Counter(double(STEPS), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["triangles"] = triangles;
    // The shape really went along with the pointer (20 pixels each way).
    if (!(rig.travel > 0.05f)) state.SkipWithError("the drag did not move the shape");
    state.counters["travel"] = rig.travel;
    vynbt::FieldCacheManager::Get()->EnableCaching(true);
}

void BM_Drag_Full_CachingOn(benchmark::State& state)
{
    Drag(state, vynui::MarchingCubes, true);
}
void BM_Drag_Full_CachingOff(benchmark::State& state)
{
    Drag(state, vynui::MarchingCubes, false);
}
void BM_Drag_Bounded_CachingOn(benchmark::State& state)
{
    Drag(state, vynui::BoundedMarchingCubes, true);
}
void BM_Drag_Bounded_CachingOff(benchmark::State& state)
{
    Drag(state, vynui::BoundedMarchingCubes, false);
}

}  // namespace

// Argument: the polygonizer's threads (wall time: the drag waits for them).
BENCHMARK(BM_Drag_Full_CachingOn)
    ->Arg(1)
    ->Arg(2)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_Drag_Full_CachingOff)
    ->Arg(1)
    ->Arg(2)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_Drag_Bounded_CachingOn)
    ->Arg(1)
    ->Arg(2)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);
BENCHMARK(BM_Drag_Bounded_CachingOff)
    ->Arg(1)
    ->Arg(2)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);
