// The constraint manager's own drawing pass, drawn for real into the
// offscreen framebuffer: link arrows white, the suggested axis red, the
// candidate axes only while a vector handle is being re-aimed. Needs a
// display (label "gui").

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdlib>
#include <string>

#include "interact/ConstraintManager.h"
#include "interact/ConstraintScreenGeometry.h"
#include "interact/DynamicTool3D.h"
#include "interact/ISurfaceRayIntersector.h"
#include "interact/Tool3DManager.h"
#include "scene/SceneObjectManager.h"
#include "tests/interact/OffscreenGL.h"
#include "tests/interact/ToolTestSupport.h"
#include "wml/ExtendedWmlCamera.h"

using V2 = Wml::Vector2<float>;
using V3 = Wml::Vector3<float>;

namespace {

const int W = kftest::GL_WIDTH, H = kftest::GL_HEIGHT;

class Host : public vynui::IConstraintSceneHost {
public:
    void SelectAlone(vynui::SceneObject*) override {}
    void AddToScene(vynui::SceneObject*) override {}
    void RemoveFromScene(vynui::SceneObject*) override {}
    bool SketchHasStrokes() override { return false; }
    void RequestRedraw() override {}
    Wml::ExtendedWmlCamera* GetCamera() override { return camera; }
    Wml::ExtendedWmlCamera* camera = nullptr;
};

/// The plane z = 0, but only left of x = 0.5.
class HalfPlane : public vynui::ISurfaceRayIntersector {
public:
    bool Intersect(const Wml::Ray3<float>& ray, V3& point, V3& normal) override
    {
        if (ray.Direction().Z() == 0.0f) return false;
        point = ray.PointAt(-ray.Origin().Z() / ray.Direction().Z());
        normal = V3(0, 0, 1);
        return point.X() < 0.5f;
    }
};

}  // namespace

TEST(ConstraintManagerDrawing, LinksWhiteSuggestedAxisRed)
{
    kftest::OffscreenGL gl;
    ASSERT_TRUE(gl.Make()) << "no GL 2.1 context";
    Wml::ExtendedWmlCamera camera{float(W), float(H)};
    camera.SetViewport(W, H);
    vynui::Tool3DManager tools;
    tools.AddStandardTools();
    tools.SetCamera(&camera);
    HalfPlane plane;
    tools.SetSurfaceIntersector(&plane);
    kftest::FramedObject selected(V3(0, 0, 0)), a(V3(-1.5f, 0.6f, 0)), b(V3(1.5f, 0.6f, 0));
    Host host;
    host.camera = &camera;
    {
        vynui::ConstraintManager manager(&host, &tools);
        vynui::SceneObjectManager objects;
        objects.AddObject(&selected, true);
        manager.OnSelectionChanged(objects.GetSelection());
        tools.SetTargets({&selected});
        tools.Refresh();
        ASSERT_TRUE(tools.UpdateViewFromCamera());
        ASSERT_TRUE(manager.GetLinks().Link(&a, &b));

        // A crossing whose first point lies on the surface and whose
        // crossing point does not leaves one suggested axis along +x.
        V2 origin, right;
        ASSERT_TRUE(vynui::ProjectToScreen(camera, V3(0, 0, 0), origin));
        ASSERT_TRUE(vynui::ProjectToScreen(camera, V3(1.5f, 0, 0), right));
        vynui::GestureTriple crossing;
        crossing.points[0] = origin;
        crossing.points[1] = right + V2(0, -50);
        crossing.points[2] = right;
        ASSERT_TRUE(manager.OnCrossing(crossing));
        ASSERT_EQ(manager.GetSuggestedAxes().size(), 1u);

        const float k = tools.GetViewData().viewScale;
        gl.Clear();
        camera.Update();
        manager.Draw();
        gl.Read();
        if (const char* dir = std::getenv("KILNFORM_TEST_SCREENSHOT_DIR"))
            gl.Save(std::string(dir) + "/constraint_manager_overlay.png");
        ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));

        V2 p;
        ASSERT_TRUE(vynui::ProjectToScreen(camera, V3(0, 0.6f, 0), p));
        EXPECT_TRUE(gl.At(int(p.X()), int(p.Y())).NearBytes(255, 255, 255)) << gl.At(int(p.X()), int(p.Y()));
        ASSERT_TRUE(vynui::ProjectToScreen(camera, V3(0.3f * k, 0, 0), p));
        EXPECT_TRUE(gl.At(int(p.X()), int(p.Y())).NearBytes(255, 0, 0)) << gl.At(int(p.X()), int(p.Y()));
        // No vector handle is captured: no candidate axes upwards.
        ASSERT_TRUE(vynui::ProjectToScreen(camera, V3(0, -0.5f, 0), p));
        EXPECT_TRUE(gl.At(int(p.X()), int(p.Y())).IsBackground()) << gl.At(int(p.X()), int(p.Y()));
        manager.GetLinks().Clear();
    }
}

TEST(ConstraintManagerDrawing, CandidateAxesShowOnlyWhileAVectorHandleIsAimed)
{
    kftest::OffscreenGL gl;
    ASSERT_TRUE(gl.Make()) << "no GL 2.1 context";
    Wml::ExtendedWmlCamera camera{float(W), float(H)};
    camera.SetViewport(W, H);
    vynui::Tool3DManager tools;
    tools.AddStandardTools();
    tools.SetCamera(&camera);
    kftest::FramedObject selected(V3(0, 0, 0));
    Host host;
    host.camera = &camera;
    vynui::ConstraintManager manager(&host, &tools);
    vynui::SceneObjectManager objects;
    objects.AddObject(&selected, true);
    manager.OnSelectionChanged(objects.GetSelection());
    tools.SetTargets({&selected});
    tools.Refresh();
    ASSERT_TRUE(tools.UpdateViewFromCamera());
    V2 origin;
    ASSERT_TRUE(vynui::ProjectToScreen(camera, V3(0, 0, 0), origin));
    vynui::GestureSegment line;
    line.start = origin + V2(-100, 150);
    line.end = origin + V2(50, 150);
    ASSERT_TRUE(manager.OnLine(line));

    // Somewhere on the upward candidate lines (2 pixels wide), not on a handle.
    auto shown = [&] {
        gl.Clear();
        camera.Update();
        manager.Draw();
        gl.Read();
        V2 p;
        vynui::ProjectToScreen(camera, V3(0, -0.6f, 0), p);
        for (int dx = -1; dx <= 1; ++dx)
            if (!gl.At(int(p.X()) + dx, int(p.Y())).IsBackground()) return true;
        return false;
    };
    EXPECT_FALSE(shown());
    // Press on the aiming ring, 1.4 handle lengths along +x.
    const float ringPixels = 1.4f * 0.5f * float(H) / 4.0f;
    EXPECT_EQ(manager.OnInputEvent(kftest::Press(int(origin.X() + ringPixels), int(origin.Y()))),
              vynui::INPUT_CAPTURE);
    EXPECT_TRUE(shown());
    if (const char* dir = std::getenv("KILNFORM_TEST_SCREENSHOT_DIR"))
        gl.Save(std::string(dir) + "/constraint_manager_candidates.png");
    EXPECT_EQ(manager.OnInputEvent(kftest::Release(int(origin.X()), int(origin.Y()))),
              vynui::INPUT_RELEASE_CAPTURE);
    EXPECT_FALSE(shown());
    ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
