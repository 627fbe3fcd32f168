// Pivots and link arrows drawn for real into a 640 x 480 offscreen
// framebuffer over a known background and read back. Needs a display (run
// under xvfb-run, label "gui").

#include <gtest/gtest.h>

#include <GL/gl.h>

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
#include "tests/interact/OffscreenGL.h"
#include "wml/ExtendedWmlCamera.h"

using V2 = Wml::Vector2<float>;
using V3 = Wml::Vector3<float>;

namespace {

const int W = kftest::GL_WIDTH, H = kftest::GL_HEIGHT;
const int* const BG = kftest::GL_BACKGROUND_BYTES;
using kftest::Pixel;

// The offscreen rig with the default camera (at (0, 0, 5) looking at the
// origin) loaded.
class DrawingRig : public kftest::OffscreenGL {
public:
    Wml::ExtendedWmlCamera camera{float(W), float(H)};

    void Begin()
    {
        Clear();
        camera.Update();
    }
    void Read(const char* screenshot)
    {
        OffscreenGL::Read();
        if (const char* dir = std::getenv("KILNFORM_TEST_SCREENSHOT_DIR"))
            Save(std::string(dir) + "/" + screenshot);
    }
    using OffscreenGL::At;
    // The pixel where a world point shows (rows from the bottom).
    Pixel At(const V3& world) const
    {
        V2 p;
        if (!vynui::ProjectToScreen(camera, world, p)) return Pixel{-1, -1, -1};
        return At(int(p.X()), int(p.Y()));
    }
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
    EXPECT_TRUE(gl.At(V3(-1.1f, 0.05f, 0)).NearBytes(255, 178, 178)) << gl.At(V3(-1.1f, 0.05f, 0));
    EXPECT_TRUE(gl.At(V3(1.1f, 0.05f, 0)).NearBytes(255, 51, 51)) << gl.At(V3(1.1f, 0.05f, 0));
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
    EXPECT_TRUE(gl.At(V3(0, 0.5f, 0)).NearBytes(255, 255, 255)) << gl.At(V3(0, 0.5f, 0));
    V2 centre, edge;
    ASSERT_TRUE(vynui::ProjectToScreen(gl.camera, V3(0, 0.5f, 0), centre));
    ASSERT_TRUE(vynui::ProjectToScreen(gl.camera, V3(0, 0.5f + 0.015f * k, 0), edge));
    bool outlined = false;
    for (int dy = -1; dy <= 1; ++dy)
        outlined = outlined || gl.At(int(edge.X()), int(edge.Y()) + dy).NearBytes(0, 0, 0, 20);
    EXPECT_TRUE(outlined);
    EXPECT_TRUE(gl.At(V3(0, 0.5f + 0.05f * k, 0)).IsBackground());
    // The head is wider than the shaft and stops short of the pivot.
    const float w = 0.015f * k, head = 2.25f * w;
    const float headBase = 1.5f - 0.1f - head - 0.001f * k;
    const V3 inHead(headBase + 0.2f * head, 0.5f + 1.5f * w, 0);  // wider than the shaft
    EXPECT_TRUE(gl.At(inHead).NearBytes(255, 255, 255)) << gl.At(inHead);
    EXPECT_TRUE(gl.At(V3(1.5f, 0.5f, 0)).IsBackground()) << gl.At(V3(1.5f, 0.5f, 0));

    // Half visible: red blended half way over the background.
    const Pixel blend = gl.At(V3(-1.0f, -0.5f, 0));
    EXPECT_TRUE(blend.NearBytes((255 + BG[0]) / 2, BG[1] / 2, BG[2] / 2, 8)) << blend;
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
    EXPECT_TRUE(gl.At(V3(d, d, 0)).NearBytes(178, 255, 178)) << gl.At(V3(d, d, 0));  // object x: mode 1 green
    EXPECT_TRUE(gl.At(V3(0.5f, 0, 0)).NearBytes(255, 255, 255)) << gl.At(V3(0.5f, 0, 0));  // world X: white
    EXPECT_TRUE(gl.At(V3(-0.5f, 0, 0)).NearBytes(255, 255, 255)) << gl.At(V3(-0.5f, 0, 0));
    // Lines of length 1 only; the z axes point at the eye and are left out.
    EXPECT_TRUE(gl.At(V3(1.3f, 0, 0)).IsBackground()) << gl.At(V3(1.3f, 0, 0));
    EXPECT_TRUE(gl.At(V3(0.3f, 0.6f, 0)).IsBackground()) << gl.At(V3(0.3f, 0.6f, 0));
}
