// Pivots and link arrows drawn for real into a 640 x 480 offscreen
// framebuffer over a known background and read back. Needs a display (run
// under xvfb-run, label "gui").

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

#include "interact/CandidateAxes.h"
#include "interact/ConstraintLink.h"
#include "interact/ConstraintScreenGeometry.h"
#include "interact/LinkArrow.h"
#include "interact/PivotSO.h"
#include "scene/BillboardSO.h"
#include "wml/ExtendedWmlCamera.h"

using V2 = Wml::Vector2<float>;
using V3 = Wml::Vector3<float>;

namespace {

const int W = 640, H = 480;
const int BG[3] = {26, 77, 26};

// One application object per process: the other GL tests of this program
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
    bool Near(int R, int G, int B, int tolerance = 6) const
    {
        return std::abs(r - R) <= tolerance && std::abs(g - G) <= tolerance && std::abs(b - B) <= tolerance;
    }
    bool IsBackground() const { return Near(BG[0], BG[1], BG[2], 3); }
};

std::ostream& operator<<(std::ostream& out, const Pixel& p)
{
    return out << "(" << p.r << ", " << p.g << ", " << p.b << ")";
}

// A GL 2.1 compatibility context on an offscreen surface, drawing into a
// framebuffer object, with the default camera (at (0, 0, 5) looking at the
// origin) loaded.
class DrawingRig {
public:
    Wml::ExtendedWmlCamera camera{float(W), float(H)};

    bool Make()
    {
        EnsureApp();
        QSurfaceFormat format;
        format.setVersion(2, 1);
        format.setProfile(QSurfaceFormat::CompatibilityProfile);
        format.setDepthBufferSize(16);
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
    ~DrawingRig()
    {
        if (m_fbo) m_context->makeCurrent(m_surface.get());
        m_fbo.reset();
        if (m_context) m_context->doneCurrent();
    }
    void Begin()
    {
        glViewport(0, 0, W, H);
        glClearColor(BG[0] / 255.0f, BG[1] / 255.0f, BG[2] / 255.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        camera.Update();
    }
    void Read(const char* screenshot)
    {
        glFinish();
        m_pixels.assign(size_t(W) * H * 4, 0);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, W, H, GL_RGBA, GL_UNSIGNED_BYTE, m_pixels.data());
        if (const char* dir = std::getenv("KILNFORM_TEST_SCREENSHOT_DIR")) {
            QImage image(m_pixels.data(), W, H, QImage::Format_RGBA8888);
            image.mirrored().save(QString::fromStdString(std::string(dir) + "/" + screenshot));
        }
    }
    // The pixel where a world point shows (rows from the bottom).
    Pixel At(const V3& world) const
    {
        V2 p;
        if (!vynui::ProjectToScreen(camera, world, p)) return Pixel{-1, -1, -1};
        return At(int(p.X()), int(p.Y()));
    }
    Pixel At(int x, int y) const
    {
        const unsigned char* p = &m_pixels[(size_t(y) * W + x) * 4];
        return Pixel{p[0], p[1], p[2]};
    }

private:
    std::unique_ptr<QOpenGLContext> m_context;
    std::unique_ptr<QOffscreenSurface> m_surface;
    std::unique_ptr<QOpenGLFramebufferObject> m_fbo;
    std::vector<unsigned char> m_pixels;
};

}  // namespace

TEST(ConstraintDrawing, PivotIsASmallMarkerTintedWhenSelected)
{
    DrawingRig gl;
    ASSERT_TRUE(gl.Make()) << "no GL 2.1 context";
    vynui::PivotSO pivot(Wml::Frame3<float>(V3(-1, 0, 0)));
    vynui::PivotSO selected(Wml::Frame3<float>(V3(1, 0, 0)));
    ASSERT_TRUE(pivot.SetSize(0.2f));
    ASSERT_TRUE(selected.SetSize(0.2f));

    gl.Begin();
    pivot.Render(false);
    selected.Render(true);
    gl.Read("pivots.png");
    ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    // Off the normal line (which runs towards the eye here), inside the marker.
    EXPECT_TRUE(gl.At(V3(-1.1f, 0.05f, 0)).Near(255, 178, 178)) << gl.At(V3(-1.1f, 0.05f, 0));
    EXPECT_TRUE(gl.At(V3(1.1f, 0.05f, 0)).Near(255, 51, 51)) << gl.At(V3(1.1f, 0.05f, 0));
    // Only the size of the marker is covered.
    EXPECT_TRUE(gl.At(V3(-1.3f, 0, 0)).IsBackground()) << gl.At(V3(-1.3f, 0, 0));
    EXPECT_TRUE(gl.At(V3(0, 0, 0)).IsBackground()) << gl.At(V3(0, 0, 0));
    EXPECT_TRUE(gl.At(V3(1, 0.3f, 0)).IsBackground()) << gl.At(V3(1, 0.3f, 0));
}

TEST(ConstraintDrawing, LinkArrowIsFilledOutlinedAndFades)
{
    DrawingRig gl;
    ASSERT_TRUE(gl.Make()) << "no GL 2.1 context";
    vynui::BillboardSO object;
    object.Translate(V3(-1.5f, 0.5f, 0), false);
    vynui::PivotSO pivot(Wml::Frame3<float>(V3(1.5f, 0.5f, 0)));
    ASSERT_TRUE(pivot.SetSize(0.1f));
    vynui::ConstraintLink link;
    link.linked = &object;
    link.target = &pivot;
    const float k = 4.0f;  // shaft 0.12 wide
    const vynui::ArrowGeometry arrow =
        vynui::ComputeLinkArrow(link, gl.camera.GetLocation(), gl.camera.GetDirection(), k);
    ASSERT_TRUE(arrow.valid);
    // A suggested axis below, drawn half faded.
    vynui::ArrowGeometry faded = vynui::ComputeSuggestedAxisArrow(
        V3(-1.5f, -0.5f, 0), V3(1, 0, 0), gl.camera.GetLocation(), gl.camera.GetDirection(), k);
    ASSERT_TRUE(faded.valid);
    faded.visibility = 0.5f;

    gl.Begin();
    vynui::DrawArrow(arrow, Wml::ColorRGBA(1, 1, 1, 1), 1.0f);
    vynui::DrawArrow(faded, Wml::ColorRGBA(1, 0, 0, 1), 1.0f);
    gl.Read("link_arrows.png");
    ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    // White shaft, black outline just outside the fill, background beyond.
    EXPECT_TRUE(gl.At(V3(0, 0.5f, 0)).Near(255, 255, 255)) << gl.At(V3(0, 0.5f, 0));
    V2 centre, edge;
    ASSERT_TRUE(vynui::ProjectToScreen(gl.camera, V3(0, 0.5f, 0), centre));
    ASSERT_TRUE(vynui::ProjectToScreen(gl.camera, V3(0, 0.5f + 0.015f * k, 0), edge));
    bool outlined = false;
    for (int dy = -1; dy <= 1; ++dy)
        outlined = outlined || gl.At(int(edge.X()), int(edge.Y()) + dy).Near(0, 0, 0, 20);
    EXPECT_TRUE(outlined);
    EXPECT_TRUE(gl.At(V3(0, 0.5f + 0.05f * k, 0)).IsBackground());
    // The head is wider than the shaft and stops short of the pivot.
    const float w = 0.015f * k, head = 2.25f * w;
    const float headBase = 1.5f - 0.1f - head - 0.001f * k;
    const V3 inHead(headBase + 0.2f * head, 0.5f + 1.5f * w, 0);  // wider than the shaft
    EXPECT_TRUE(gl.At(inHead).Near(255, 255, 255)) << gl.At(inHead);
    EXPECT_TRUE(gl.At(V3(1.5f, 0.5f, 0)).IsBackground()) << gl.At(V3(1.5f, 0.5f, 0));

    // Half visible: red blended half way over the background.
    const Pixel blend = gl.At(V3(-1.0f, -0.5f, 0));
    EXPECT_TRUE(blend.Near((255 + BG[0]) / 2, BG[1] / 2, BG[2] / 2, 8)) << blend;
}

TEST(ConstraintDrawing, CandidateAxesAreLinesInTheirModeColours)
{
    DrawingRig gl;
    ASSERT_TRUE(gl.Make()) << "no GL 2.1 context";
    // Object axes turned 45 degrees about z, then the world axes.
    Wml::Matrix3<float> turn;
    turn.FromAxisAngle(V3(0, 0, 1), 0.25f * 3.14159265f);
    Wml::Frame3<float> object;
    object.Rotate(turn, true);
    const auto candidates = vynui::BuildCandidateAxes(object, nullptr, V3::ZERO);

    gl.Begin();
    vynui::DrawCandidateAxes(candidates, gl.camera.GetDirection(), 3.0f);
    gl.Read("candidate_axes.png");
    ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    const float d = 0.5f * std::sqrt(0.5f);
    EXPECT_TRUE(gl.At(V3(d, d, 0)).Near(178, 255, 178)) << gl.At(V3(d, d, 0));  // object x: mode 1 green
    EXPECT_TRUE(gl.At(V3(0.5f, 0, 0)).Near(255, 255, 255)) << gl.At(V3(0.5f, 0, 0));  // world X: white
    EXPECT_TRUE(gl.At(V3(-0.5f, 0, 0)).Near(255, 255, 255)) << gl.At(V3(-0.5f, 0, 0));
    // Lines of length 1 only; the z axes point at the eye and are left out.
    EXPECT_TRUE(gl.At(V3(1.3f, 0, 0)).IsBackground()) << gl.At(V3(1.3f, 0, 0));
    EXPECT_TRUE(gl.At(V3(0.3f, 0.6f, 0)).IsBackground()) << gl.At(V3(0.3f, 0.6f, 0));
}
