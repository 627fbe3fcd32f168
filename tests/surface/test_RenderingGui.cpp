// The rendering manager's frame drawn into an offscreen framebuffer and read
// back. Needs a display (run under xvfb-run, label "gui").

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "detail/MeshCache.h"
#include "scene/SceneObjectManager.h"
#include "surface/RenderingManager.h"
#include "test_SurfaceSupport.h"
#include "tests/interact/OffscreenGL.h"
#include "wml/DebugOutput.h"
#include "wml/ExtendedWmlCamera.h"

using namespace surface_test;

namespace {

struct SphereScene : Scene {
    SphereScene() { model.AddPoint(nullptr, 0, 0, 0, 1.0f); }
};

// The default camera at (0, 0, 5) looking at the origin; the sphere's
// silhouette (radius ~0.45) covers roughly 60 pixels around the centre.
struct Rig : kftest::OffscreenGL {
    Wml::ExtendedWmlCamera camera{float(kftest::GL_WIDTH), float(kftest::GL_HEIGHT)};

    void Frame(vynui::CRenderingManager& manager, const char* screenshot)
    {
        Clear();
        manager.SetCamera(&camera);
        manager.Render();
        Read();
        if (const char* dir = std::getenv("KILNFORM_TEST_SCREENSHOT_DIR"))
            Save(std::string(dir) + "/" + screenshot);
    }
    static int Brightness(const kftest::Pixel& p) { return p.r + p.g + p.b; }
};

const int CX = kftest::GL_WIDTH / 2, CY = kftest::GL_HEIGHT / 2;

}  // namespace

TEST(RenderingGui, EmptySceneIsTheBackgroundColour)
{
    Rig gl;
    ASSERT_TRUE(gl.Make()) << "no GL 2.1 context";
    vynui::CSurfaceManager surfaces;
    vynui::CRenderingManager manager(&surfaces);
    manager.GetSettings().background = {0.2f, 0.4f, 0.6f};
    gl.Frame(manager, "render_empty.png");
    EXPECT_TRUE(gl.At(CX, CY).Near(0.2f, 0.4f, 0.6f, 2)) << gl.At(CX, CY);
    EXPECT_TRUE(gl.At(5, 5).Near(0.2f, 0.4f, 0.6f, 2)) << gl.At(5, 5);
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
}

TEST(RenderingGui, SphereIsLitFromTheLightSideInEveryMode)
{
    Rig gl;
    ASSERT_TRUE(gl.Make()) << "no GL 2.1 context";
    SphereScene scene;
    vynui::CRenderingManager manager(&scene.manager);
    manager.GetSettings().background = {0, 0, 0};
    for (int mode : {1, 2, 4}) {
        SCOPED_TRACE(mode);
        manager.GetSettings().lightingMode = mode;
        gl.Frame(manager, ("render_sphere_mode" + std::to_string(mode) + ".png").c_str());
        const kftest::Pixel centre = gl.At(CX, CY), left = gl.At(CX - 25, CY + 10),
                            right = gl.At(CX + 25, CY + 10);
        EXPECT_GT(Rig::Brightness(centre), 60) << centre;
        // Both presets put the stronger light on the left.
        EXPECT_GT(Rig::Brightness(left), Rig::Brightness(right)) << left << " " << right;
        EXPECT_TRUE(gl.At(5, 5).Near(0, 0, 0, 2));
    }
    manager.GetSettings().lightingMode = 3;
    manager.GetSettings().meshColour = {1, 0, 0};  // ignored: warm-to-cool draws white
    gl.Frame(manager, "render_sphere_warm.png");
    const kftest::Pixel centre = gl.At(CX, CY);
    EXPECT_GT(centre.g, 90) << centre;
    EXPECT_GT(centre.b, 90) << centre;
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
}

TEST(RenderingGui, WireframeShowsItsColourAndNprShowsBlackStipples)
{
    Rig gl;
    ASSERT_TRUE(gl.Make()) << "no GL 2.1 context";
    SphereScene scene;
    vynui::CRenderingManager manager(&scene.manager);
    manager.OnCommand("Show Mesh");
    manager.OnCommand("Wireframe");
    gl.Frame(manager, "render_wireframe.png");
    int red = 0, other = 0;
    for (int y = CY - 40; y <= CY + 40; ++y)
        for (int x = CX - 40; x <= CX + 40; ++x) {
            const kftest::Pixel p = gl.At(x, y);
            if (p.NearBytes(255, 0, 0, 40))
                ++red;
            else if (!p.NearBytes(255, 255, 255, 3))
                ++other;
        }
    EXPECT_GT(red, 50);

    manager.OnCommand("Wireframe");
    manager.OnCommand("Show Mesh");
    manager.OnCommand("NPR Mode");
    gl.Frame(manager, "render_npr.png");
    int black = 0, grey = 0;
    for (int y = CY - 40; y <= CY + 40; ++y)
        for (int x = CX - 40; x <= CX + 40; ++x) {
            const kftest::Pixel p = gl.At(x, y);
            if (p.NearBytes(0, 0, 0, 30))
                ++black;
            else if (!p.NearBytes(255, 255, 255, 3))
                ++grey;
        }
    EXPECT_GT(black, 20);
    EXPECT_TRUE(gl.At(5, 5).NearBytes(255, 255, 255, 2));
    EXPECT_TRUE(manager.GetSettings().pointSetAvailable);
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
}

TEST(RenderingGui, FastPrimitiveModeAndSelectionTintUseTheCachedMeshes)
{
    Rig gl;
    ASSERT_TRUE(gl.Make()) << "no GL 2.1 context";
    SphereScene scene;
    BlobTreeNodeSceneObject* point = scene.model.AddPoint(nullptr, 0, 0, 0, 1.0f);
    vynui::SceneObjectManager objects;
    objects.AddObject(point, false);
    ASSERT_EQ(1u, objects.GetObjects().Size());
    vynui::CRenderingManager manager(&scene.manager);
    manager.SetSceneObjects(&objects);
    manager.GetSettings().background = {0, 0, 0};
    manager.GetSettings().meshColour = {1, 1, 0};

    manager.OnCommand("Fast Primitive Mode");
    const unsigned long long builds = vynui::GetMeshCache()->GetBuildCount();
    gl.Frame(manager, "render_fast.png");
    const kftest::Pixel centre = gl.At(CX, CY);
    EXPECT_GT(centre.r, 100) << centre;
    EXPECT_LT(centre.b, 20) << centre;  // the mesh colour, not the surface
    EXPECT_EQ(builds + 1, vynui::GetMeshCache()->GetBuildCount());
    gl.Frame(manager, "render_fast.png");
    EXPECT_EQ(builds + 1, vynui::GetMeshCache()->GetBuildCount());  // kept between frames

    // Back to the surface: selecting the shape tints it.
    manager.OnCommand("Fast Primitive Mode");
    manager.GetSettings().meshColour = {1, 1, 1};
    gl.Frame(manager, "render_unselected.png");
    const kftest::Pixel plain = gl.At(CX, CY);
    objects.Select(point);
    manager.OnSelectionChanged(objects.GetSelection());
    gl.Frame(manager, "render_selected.png");
    const kftest::Pixel tinted = gl.At(CX, CY);
    EXPECT_EQ(1u, manager.GetSelectionMeshes().size());
    EXPECT_LT(tinted.r, plain.r - 15) << plain << " " << tinted;
    EXPECT_GE(tinted.g, tinted.r) << tinted;
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
    vynui::GetMeshCache()->DropMesh(point);
}

TEST(RenderingGui, FastPrimitiveModeDrawsTheShapesNotTheirOperators)
{
    Rig gl;
    ASSERT_TRUE(gl.Make()) << "no GL 2.1 context";
    Model model;
    BlobTreeNodeSceneObject* blend = model.Add(nullptr, 13);
    BlobTreeNodeSceneObject* left = model.AddPoint(blend, -0.3f, 0, 0, 1.0f);
    BlobTreeNodeSceneObject* right = model.AddPoint(blend, 0.3f, 0, 0, 1.0f);
    // The registry holds the root and the operator as well as the shapes.
    vynui::SceneObject* root = model.factory->GetRootSceneObject();
    vynui::SceneObjectManager objects;
    const std::vector<vynui::SceneObject*> all = {root, blend, left, right};
    for (vynui::SceneObject* object : all) objects.AddObject(object, false);
    vynui::CRenderingManager manager;
    manager.SetSceneObjects(&objects);
    manager.GetSettings().background = {0, 0, 0};
    manager.OnCommand("Fast Primitive Mode");
    const unsigned long long builds = vynui::GetMeshCache()->GetBuildCount();
    gl.Frame(manager, "render_fast_blend.png");
    EXPECT_GT(Rig::Brightness(gl.At(CX - 30, CY)), 150) << gl.At(CX - 30, CY);
    EXPECT_GT(Rig::Brightness(gl.At(CX + 30, CY)), 150) << gl.At(CX + 30, CY);
    // One mesh per shape; the whole tree (root, blend) is never polygonized here.
    EXPECT_EQ(builds + 2, vynui::GetMeshCache()->GetBuildCount());
    EXPECT_FALSE(vynui::GetMeshCache()->HasCurrentMesh(root));
    EXPECT_FALSE(vynui::GetMeshCache()->HasCurrentMesh(blend));
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
    vynui::GetMeshCache()->DropMesh(root);
}

TEST(RenderingGui, AllPointsAndTexturedSurfaceSurviveAContextRelease)
{
    Rig gl;
    ASSERT_TRUE(gl.Make()) << "no GL 2.1 context";
    SphereScene scene;
    vynui::CRenderingManager manager(&scene.manager);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        manager.GetSettings().showSurface = false;
        manager.GetSettings().allPoints = true;
        manager.GetSettings().allPointsSize = 4.0f;
        gl.Frame(manager, "render_allpoints.png");
        int dark = 0;
        for (int y = CY - 40; y <= CY + 40; ++y)
            for (int x = CX - 40; x <= CX + 40; ++x) dark += gl.At(x, y).r < 128;
        EXPECT_GT(dark, 50);

        // The checkerboard modulates the white surface: some texels are dark.
        manager.GetSettings().allPoints = false;
        manager.GetSettings().showSurface = true;
        manager.GetSettings().texturedSurface = true;
        gl.Frame(manager, "render_textured.png");
        EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
        manager.ReleaseGL();  // the next frame makes the textures again
    }
}

TEST(RenderingGui, AllPointsDrawTheStippleImageNotPlainSquares)
{
    Rig gl;
    ASSERT_TRUE(gl.Make()) << "no GL 2.1 context";
    SphereScene scene;
    vynui::CRenderingManager manager(&scene.manager);
    manager.GetSettings().showSurface = false;
    manager.GetSettings().allPoints = true;
    manager.GetSettings().allPointsSize = 6.0f;
    // The stipple image replaces the point colour: red would mean the image
    // was not found and plain squares were drawn.
    manager.GetSettings().stippleColour = {1, 0, 0};
    gl.Frame(manager, "render_stipples.png");
    int dark = 0, red = 0;
    for (int y = CY - 40; y <= CY + 40; ++y)
        for (int x = CX - 40; x <= CX + 40; ++x) {
            const kftest::Pixel p = gl.At(x, y);
            dark += p.NearBytes(0, 0, 0, 60);
            red += p.r > 150 && p.g < 100;
        }
    EXPECT_GT(dark, 100);
    EXPECT_EQ(0, red);
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
}

TEST(RenderingGui, HiddenSurfaceDrawsNothingAndCsgEdgesOnlyWriteTheNotice)
{
    Rig gl;
    ASSERT_TRUE(gl.Make()) << "no GL 2.1 context";
    SphereScene scene;
    vynui::CRenderingManager manager(&scene.manager);
    manager.GetSettings().background = {0, 0, 0};
    std::string written;
    Wml::ScopedDebugOutputSink sink([&](const char* text) { written += text; });
    manager.OnCommand("Show Mesh");
    manager.OnCommand("Toggle CSG Edges");
    gl.Frame(manager, "render_csg.png");
    EXPECT_NE(std::string::npos, written.find("RenderSharpEdges disabled due to VFTriangleMesh conversion"));
    // Nothing else is drawn: no surface, and with the points off no stipples.
    EXPECT_TRUE(gl.At(CX, CY).Near(0, 0, 0, 2)) << gl.At(CX, CY);

    // Without any NPR pass the notice is not written.
    manager.OnCommand("Toggle CSG Edges");
    written.clear();
    gl.Frame(manager, "render_hidden.png");
    EXPECT_TRUE(written.empty()) << written;
    EXPECT_TRUE(gl.At(CX, CY).Near(0, 0, 0, 2)) << gl.At(CX, CY);
}

TEST(RenderingGui, NprModeOutlinesTheSphereInBlackAndFreezeKeepsTheOutline)
{
    Rig gl;
    ASSERT_TRUE(gl.Make()) << "no GL 2.1 context";
    SphereScene scene;
    vynui::CRenderingManager manager(&scene.manager);
    // The outline radius in pixels, from the lit sphere on black.
    manager.GetSettings().background = {0, 0, 0};
    gl.Frame(manager, "render_outline_reference.png");
    int radius = 0;
    while (radius < CX && Rig::Brightness(gl.At(CX + radius + 1, CY)) > 30) ++radius;
    ASSERT_GT(radius, 20);

    manager.GetSettings().background = {1, 1, 1};
    manager.OnCommand("NPR Mode");
    manager.GetSettings().lightCulledPoints = false;  // the contours alone
    gl.Frame(manager, "render_npr_outline.png");
    EXPECT_FALSE(manager.GetSilhouetteSegments().empty());
    EXPECT_TRUE(manager.GetSuggestiveSegments().empty());  // a sphere has none
    int ringHits = 0, insideDark = 0;
    for (int a = 0; a < 36; ++a) {
        const double angle = a * 3.14159265 / 18.0, c = std::cos(angle), s = std::sin(angle);
        bool hit = false;
        for (int r = radius - 4; r <= radius + 3 && !hit; ++r)
            hit = Rig::Brightness(gl.At(CX + int(std::lround(r * c)), CY + int(std::lround(r * s)))) < 150;
        ringHits += hit;
        for (int r = 0; r < radius - 6; ++r)
            insideDark +=
                Rig::Brightness(gl.At(CX + int(std::lround(r * c)), CY + int(std::lround(r * s)))) < 600;
    }
    EXPECT_EQ(36, ringHits);
    EXPECT_EQ(0, insideDark);  // the discs write depth only: the inside stays white
    EXPECT_TRUE(gl.At(5, 5).NearBytes(255, 255, 255, 2));

    // Frozen, the outline stays where it was while the camera moves away.
    manager.GetSettings().freezeSilhouette = true;
    const std::vector<Wml::Vector3<float>> before = manager.GetSilhouetteSegments();
    gl.camera.SetFrameLookAt(Wml::Vector3<float>(4, 1, 3), Wml::Vector3<float>(0, 0, 0),
                             Wml::Vector3<float>(0, 1, 0), Wml::Vector3<float>(0, 0, 0));
    gl.Frame(manager, "render_npr_frozen.png");
    EXPECT_TRUE(before == manager.GetSilhouetteSegments());
    manager.GetSettings().freezeSilhouette = false;
    gl.Frame(manager, "render_npr_moved.png");
    EXPECT_FALSE(before == manager.GetSilhouetteSegments());
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
}
