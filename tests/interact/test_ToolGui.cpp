// The handles drawn for real: the tool manager draws the dynamic tool into a
// 640 x 480 offscreen framebuffer and the pixels are read back. What is
// drawn where must be what picking finds there. Needs a display (label
// "gui").

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <QImage>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "interact/AxisRotationConstraint.h"
#include "interact/ConstraintTarget.h"
#include "interact/DynamicTool3D.h"
#include "interact/PlaneTranslateConstraint.h"
#include "interact/Tool3DManager.h"
#include "interact/VectorConstraint.h"
#include "scene/SceneObject.h"
#include "tests/interact/OffscreenGL.h"
#include "wml/ExtendedWmlCamera.h"

using namespace vynui;
using V3 = Wml::Vector3<float>;

namespace {

const int W = kftest::GL_WIDTH, H = kftest::GL_HEIGHT;
using kftest::Pixel;
using ToolGLRig = kftest::OffscreenGL;

class PlainObject : public SceneObject {
public:
    Wml::Frame3<float> GetFrame() override { return m_frame; }
    bool SupportsTool(const std::string&) override { return true; }
    void DoTranslate(const V3& v, bool relative) override
    {
        m_frame.SetOrigin(relative ? m_frame.Origin() + v : v);
    }

private:
    Wml::Frame3<float> m_frame;
};

InputEvent Press(int x, int y)
{
    InputEvent e;
    e.kind = InputEvent::MOUSE;
    e.x = x;
    e.y = y;
    e.leftDown = true;
    return e;
}

}  // namespace

TEST(ToolGui, HandlesAreDrawnWherePickingFindsThem)
{
    ToolGLRig gl;
    ASSERT_TRUE(gl.Make()) << "no GL 2.1 context";
    Wml::ExtendedWmlCamera camera{float(W), float(H)};
    camera.SetViewport(W, H);
    PlainObject object;
    ConstraintTarget target(&object);
    Tool3DManager manager;
    manager.AddStandardTools();
    manager.SetCamera(&camera);
    manager.SetTargets({&object});
    manager.Refresh();
    auto* tool = static_cast<DynamicTool3D*>(manager.FindTool("DynamicTool3D"));
    auto* vector = new VectorConstraint(&target, V3(0, 0, 0), V3(1, 0, 0), FRAME_MODE_OBJECT);
    auto* plane = new PlaneTranslateConstraint(&target, V3(0, 0, 0), V3(0, 0, 1), FRAME_MODE_MANIPULATION);
    auto* ring = new AxisRotationConstraint(&target, V3(0, 0, 0), V3(0, 0, 1), FRAME_MODE_OBJECT, 0.35f);
    tool->AddHandle(vector);
    tool->AddHandle(plane);
    tool->AddHandle(ring);

    gl.Clear();
    camera.Update();
    manager.Draw();
    gl.Read();
    if (const char* dir = std::getenv("KILNFORM_TEST_SCREENSHOT_DIR"))
        gl.Save(std::string(dir) + "/tool_handles.png");
    ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    // The view data were captured from GL and agree with the camera's.
    const ToolViewData& view = manager.GetViewData();
    ToolViewData fromCamera = ToolViewData::FromCamera(camera);
    EXPECT_EQ(view.viewport[2], W);
    EXPECT_EQ(view.viewport[3], H);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(view.modelview[i], fromCamera.modelview[i], 1e-5) << i;
    EXPECT_GT(view.viewScale, 0.5f);

    auto pixelOf = [&](const V3& p, int& x, int& y) {
        float fx, fy, depth;
        camera.Project(p, fx, fy, depth);
        x = int(fx);
        y = int(fy);
    };
    const float s = 0.5f * view.viewScale, c = 0.14f * 0.5f * view.viewScale;
    int x, y;
    // The shaft in the vector handle's colour.
    pixelOf(V3(0.6f * s, 0, 0), x, y);
    EXPECT_TRUE(gl.At(x, y).Near(0.7f, 1.0f, 0.7f))
        << gl.At(x, y).r << " " << gl.At(x, y).g << " " << gl.At(x, y).b;
    // The plane patch in its colour, and the cut corner empty.
    pixelOf(V3(1.6f * c, 1.6f * c, 0), x, y);
    EXPECT_TRUE(gl.At(x, y).Near(0.7f, 0.7f, 1.0f))
        << gl.At(x, y).r << " " << gl.At(x, y).g << " " << gl.At(x, y).b;
    pixelOf(V3(0.4f * c, 0.4f * c, 0), x, y);
    EXPECT_TRUE(gl.At(x, y).IsBackground());
    // The ring is drawn on its band, not inside it.
    pixelOf(V3(0, -0.35f * view.viewScale, 0), x, y);
    EXPECT_FALSE(gl.At(x, y).IsBackground());
    pixelOf(V3(0, -0.2f * view.viewScale, 0), x, y);
    EXPECT_TRUE(gl.At(x, y).IsBackground());
    // Far from the handles: background.
    EXPECT_TRUE(gl.At(20, 20).IsBackground());

    // A press where the shaft is drawn picks the vector handle.
    pixelOf(V3(0.6f * s, 0, 0), x, y);
    EXPECT_EQ(manager.OnInputEvent(Press(x, y)), INPUT_CAPTURE);
    EXPECT_EQ(tool->GetPickedHandle(), vector);
}
