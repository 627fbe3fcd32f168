// Frames per second of the rendering manager into an 800 x 600 offscreen
// framebuffer: (a) one fine polygonized surface (~200 000 triangles) in
// smooth shading, (b) fast primitive mode drawing the cached meshes of a
// 50-shape scene. Each iteration is one Render() and a glFinish(), so the
// figure includes the GL driver's work. Needs a display (xvfb-run -a).

#include <GL/gl.h>

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QSurfaceFormat>

#include <cstdio>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include "blobtree_ui/BlobTreeNodeSceneObject.h"
#include "blobtree_ui/BlobTreeSceneObject.h"
#include "blobtree_ui/CompositionNodeSceneObject.h"
#include "detail/MeshCache.h"
#include "scene/IParameter.h"
#include "scene/ParameterList.h"
#include "scene/SceneManager.h"
#include "scene/SceneObjectManager.h"
#include "surface/RenderingManager.h"
#include "surface/SurfaceManager.h"
#include "surface/SurfaceTreeNode.h"
#include "wml/ExtendedWmlCamera.h"

namespace {

using Vec3 = Wml::Vector3<float>;
const int WIDTH = 800, HEIGHT = 600;

void Set(vynui::SceneObject* object, const char* name, const std::string& text)
{
    if (vynui::IParameter* parameter = object->GetParameterList()->Find(name))
        parameter->SetValueFromText(text);
}

// A GL 2.1 compatibility context on an offscreen surface, drawing into an
// 800 x 600 framebuffer with depth. The same set-up as the window tests,
// at the benchmark's size.
class OffscreenContext {
public:
    bool Make()
    {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "bench_render";
            static char* argv[] = {name, nullptr};
            static QGuiApplication app(argc, argv);
        }
        QSurfaceFormat format;
        format.setVersion(2, 1);
        format.setProfile(QSurfaceFormat::CompatibilityProfile);
        format.setDepthBufferSize(24);
        m_context.reset(new QOpenGLContext());
        m_surface.reset(new QOffscreenSurface());
        m_context->setFormat(format);
        if (!m_context->create()) return false;
        m_surface->setFormat(m_context->format());
        m_surface->create();
        if (!m_surface->isValid() || !m_context->makeCurrent(m_surface.get())) return false;
        m_fbo.reset(new QOpenGLFramebufferObject(WIDTH, HEIGHT, QOpenGLFramebufferObject::Depth));
        if (!m_fbo->isValid() || !m_fbo->bind()) return false;
        glViewport(0, 0, WIDTH, HEIGHT);
        return true;
    }
    ~OffscreenContext()
    {
        if (m_fbo) m_context->makeCurrent(m_surface.get());
        m_fbo.reset();
        if (m_context) m_context->doneCurrent();
    }

private:
    std::unique_ptr<QOpenGLContext> m_context;
    std::unique_ptr<QOffscreenSurface> m_surface;
    std::unique_ptr<QOpenGLFramebufferObject> m_fbo;
};

// The view's start-up projection, looking at the origin from distance.
void SetUpCamera(Wml::ExtendedWmlCamera& camera, float distance)
{
    camera.SetViewport(WIDTH, HEIGHT);
    camera.SetFrustum(30.0f, float(WIDTH) / float(HEIGHT), 0.1f, 100.0f);
    camera.SetFrameLookAt(Vec3(0, 0, distance), Vec3(-1, 0, 0), Vec3(0, 1, 0), Vec3(0, 0, 0));
}

// One context for the whole run; the GL_RENDERER string goes into the
// benchmark's context so figures can be compared per driver.
OffscreenContext* Context()
{
    static OffscreenContext* context = [] {
        auto* made = new OffscreenContext();
        if (!made->Make()) {
            delete made;
            return static_cast<OffscreenContext*>(nullptr);
        }
        return made;
    }();
    return context;
}

void Frames(benchmark::State& state, vynui::CRenderingManager& manager)
{
    manager.Render();  // first frame builds what later frames reuse
    glFinish();
    for (auto _ : state) {
        manager.Render();
        glFinish();
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    manager.ReleaseGL();
}

// (a) Three blended points polygonized at a fine cell size, drawn with
// vertex normals: the normal-mode path with one large surface.
void BM_Render_SmoothSurface(benchmark::State& state)
{
    if (!Context()) {
        state.SkipWithError("no GL 2.1 context (run under xvfb-run -a)");
        return;
    }
    vynui::CSceneManager scene;
    vynui::CSurfaceManager surfaces;
    surfaces.GetSettings().cellSize = float(state.range(0)) / 10000.0f;
    scene.AddChangeListener(&surfaces);
    surfaces.AddSceneSurface(scene.GetModel());
    vynui_bt::BlobTreeNodeSceneObject* blend = scene.AddNode(13, nullptr, false);  // Ricci blend
    const char* positions[3] = {"-0.35 0 0", "0.35 0 0", "0 0.4 0"};
    for (const char* at : positions) {
        vynui_bt::BlobTreeNodeSceneObject* point = scene.AddNode(1, blend, false);
        Set(point, "Position", at);
    }
    scene.ClearSelection();
    const vynmesh::VFTriangleMesh* mesh = surfaces.GetChainTop(0)->GetMesh();  // polygonized once, here
    {
        Wml::ExtendedWmlCamera camera{float(WIDTH), float(HEIGHT)};
        SetUpCamera(camera, 4.0f);
        vynui::CRenderingManager manager(&surfaces);
        manager.SetCamera(&camera);
        manager.SetSceneObjects(scene.GetObjectManager());
        manager.GetSettings().lightingMode = 2;
        Frames(state, manager);
    }
    state.counters["triangles"] = mesh ? double(mesh->GetNumTriangles()) : 0.0;
    surfaces.RemoveSceneSurface(scene.GetModel());
}

// (b) Fast primitive mode: 50 points on a 10 x 5 grid, each drawn from its
// own cached mesh; no polygonization of the tree.
void BM_Render_FastPrimitives50(benchmark::State& state)
{
    if (!Context()) {
        state.SkipWithError("no GL 2.1 context (run under xvfb-run -a)");
        return;
    }
    vynui::CSceneManager scene;
    for (int i = 0; i < 50; ++i) {
        vynui_bt::BlobTreeNodeSceneObject* point = scene.AddNode(1, nullptr, false);
        char at[64];
        std::snprintf(at, sizeof at, "%g %g 0", -2.25f + 0.5f * float(i % 10), -1.0f + 0.5f * float(i / 10));
        Set(point, "Position", at);
        Set(point, "Radius", "0.4");
    }
    scene.ClearSelection();
    int meshes = 0;
    long long triangles = 0;
    for (vynui::SceneObject* object : scene.GetObjectManager()->GetObjects()) {
        if (dynamic_cast<vynui_bt::CompositionNodeSceneObject*>(object)) continue;  // the root: not drawn
        if (const vynmesh::VFTriangleMesh* mesh = vynui::GetMeshCache()->GetMesh(object)) {
            ++meshes;
            triangles += mesh->GetNumTriangles();
        }
    }
    {
        Wml::ExtendedWmlCamera camera{float(WIDTH), float(HEIGHT)};
        SetUpCamera(camera, 9.0f);
        vynui::CRenderingManager manager;  // no surfaces: the cached meshes only
        manager.SetCamera(&camera);
        manager.SetSceneObjects(scene.GetObjectManager());
        manager.OnCommand("Fast Primitive Mode");
        Frames(state, manager);
    }
    state.counters["meshes"] = meshes;
    state.counters["triangles"] = double(triangles);
    for (vynui::SceneObject* object : scene.GetObjectManager()->GetObjects())
        vynui::GetMeshCache()->DropMesh(object);
}

}  // namespace

// Cell size in 1/10000 world units.
BENCHMARK(BM_Render_SmoothSurface)->Arg(90)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Render_FastPrimitives50)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    if (Context()) {
        const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
        const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
        benchmark::AddCustomContext("GL_RENDERER", renderer ? renderer : "unknown");
        benchmark::AddCustomContext("GL_VERSION", version ? version : "unknown");
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
