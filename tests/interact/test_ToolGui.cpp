// The handles drawn for real: the tool manager draws the dynamic tool into a
// 640 x 480 offscreen framebuffer and the pixels are read back. What is
// drawn where must be what picking finds there. Needs a display (label
// "gui").

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <QGuiApplication>
#include <QImage>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QSurfaceFormat>

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
#include "wml/ExtendedWmlCamera.h"

using namespace vynui;
using V3 = Wml::Vector3<float>;

namespace {

const int W = 640, H = 480;
const float BG[3] = {0.1f, 0.3f, 0.1f};

// One application object per process: another test file of this executable
// may have made it already.
void EnsureApp()
{
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "interact_gui_tests";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

struct Pixel {
    int r, g, b;
    bool Near(float fr, float fg, float fb, int tol = 6) const
    {
        return std::abs(r - int(fr * 255 + 0.5f)) <= tol && std::abs(g - int(fg * 255 + 0.5f)) <= tol &&
               std::abs(b - int(fb * 255 + 0.5f)) <= tol;
    }
    bool IsBackground() const { return Near(BG[0], BG[1], BG[2], 3); }
};

class ToolGLRig {
public:
    bool Make()
    {
        EnsureApp();
        QSurfaceFormat format;
        format.setVersion(2, 1);
        format.setProfile(QSurfaceFormat::CompatibilityProfile);
        format.setDepthBufferSize(16);
        format.setAlphaBufferSize(8);
        m_context.reset(new QOpenGLContext());
        m_surface.reset(new QOffscreenSurface());
        m_context->setFormat(format);
        if (!m_context->create()) return false;
        m_surface->setFormat(m_context->format());
        m_surface->create();
        if (!m_surface->isValid() || !m_context->makeCurrent(m_surface.get())) return false;
        m_fbo.reset(new QOpenGLFramebufferObject(W, H, QOpenGLFramebufferObject::Depth));
        return m_fbo->isValid() && m_fbo->bind();
    }
    ~ToolGLRig()
    {
        if (m_fbo) m_context->makeCurrent(m_surface.get());
        m_fbo.reset();
        if (m_context) m_context->doneCurrent();
    }
    void Clear()
    {
        glViewport(0, 0, W, H);
        glClearColor(BG[0], BG[1], BG[2], 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    void Read()
    {
        glFinish();
        m_pixels.assign(size_t(W) * H * 4, 0);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, W, H, GL_RGBA, GL_UNSIGNED_BYTE, m_pixels.data());
    }
    Pixel At(int x, int y) const
    {
        const unsigned char* p = &m_pixels[(size_t(y) * W + x) * 4];
        return Pixel{p[0], p[1], p[2]};
    }
    void Save(const std::string& path) const
    {
        QImage image(m_pixels.data(), W, H, QImage::Format_RGBA8888);
        image.mirrored().save(QString::fromStdString(path));
    }

private:
    std::unique_ptr<QOpenGLContext> m_context;
    std::unique_ptr<QOffscreenSurface> m_surface;
    std::unique_ptr<QOpenGLFramebufferObject> m_fbo;
    std::vector<unsigned char> m_pixels;
};

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
