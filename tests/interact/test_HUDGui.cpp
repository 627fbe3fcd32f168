// The HUD drawn for real: the manager's view toolbar rendered into a 640 x 480
// offscreen framebuffer over a known background and read back. Needs a
// display (run under xvfb-run, label "gui").

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <QColor>
#include <QImage>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "interact/HUDManager.h"
#include "interact/HUDViewToolbar.h"
#include "interact/ResourceRoot.h"
#include "tests/interact/OffscreenGL.h"
#include "tests/support/TempFolder.h"
#include "wml/ExtendedWmlCamera.h"

using namespace vynui;
using V2 = Wml::Vector2<float>;
using V3 = Wml::Vector3<float>;
namespace fs = std::filesystem;

namespace {

const int W = kftest::GL_WIDTH, H = kftest::GL_HEIGHT;
using kftest::Pixel;
using GLRig = kftest::OffscreenGL;

// The icons the build makes when they are there; otherwise plain ones written here.
std::string IconRoot(const kftest::TempFolder& folder)
{
    const fs::path built = fs::path(KILNFORM_BUILD_ROOT) / "resources";
    bool haveBuilt = true;
    for (const char* name : {"zoom.png", "pan.png", "closeX.png"})
        haveBuilt = haveBuilt && fs::is_regular_file(built / "icons" / name);
    if (haveBuilt) return built.string();
    fs::create_directories(folder.Path() / "icons");
    struct {
        const char* name;
        QColor color;
    } icons[] = {{"zoom.png", QColor(230, 200, 40)},
                 {"pan.png", QColor(200, 60, 200)},
                 {"closeX.png", QColor(240, 240, 240)}};
    for (const auto& icon : icons) {
        QImage image(32, 32, QImage::Format_RGBA8888);
        image.fill(icon.color);
        image.save(QString::fromStdString((folder.Path() / "icons" / icon.name).string()));
    }
    return folder.Path().string();
}

struct Scene {
    Wml::ExtendedWmlCamera camera{float(W), float(H)};
    ViewController controller{&camera};
    std::unique_ptr<CHUDManager> hud;
    explicit Scene(const std::string& root)
    {
        SetResourceRoot(root);
        camera.SetFrameLookAt(V3(0, 0, 5), V3(-1, 0, 0), V3(0, 1, 0), V3(0, 0, 0));
        camera.SetViewport(W, H);
        hud.reset(new CHUDManager());
        hud->SetViewController(&controller);
    }
    // The pixel rectangle of an item, shrunk by margin on every side.
    void Rect(const HUDItem& item, int margin, int& x0, int& y0, int& x1, int& y1) const
    {
        V2 lo = hud->HUDToPixel(item.GetBox().MinCorner()), hi = hud->HUDToPixel(item.GetBox().MaxCorner());
        x0 = int(std::ceil(lo.X())) + margin;
        y0 = int(std::ceil(lo.Y())) + margin;
        x1 = int(std::floor(hi.X())) - 1 - margin;
        y1 = std::min(int(std::floor(hi.Y())) - 1, H - 1) - margin;
    }
};

double ForegroundShare(const GLRig& gl, const Scene& scene, const HUDItem& item)
{
    int x0, y0, x1, y1, n = 0, fg = 0;
    scene.Rect(item, 2, x0, y0, x1, y1);
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x, ++n) fg += gl.At(x, y).IsBackground() ? 0 : 1;
    return n ? double(fg) / n : 0.0;
}

}  // namespace

TEST(HUDGui, TheViewToolbarIsDrawnAtTheTopLeftOfCentre)
{
    GLRig gl;
    ASSERT_TRUE(gl.Make()) << "no GL 2.1 context";
    kftest::TempFolder folder("hud_gui");
    Scene scene(IconRoot(folder));
    HUDToolbar& toolbar = scene.hud->GetViewToolbar();

    gl.Clear();
    scene.hud->Draw();
    gl.Read();
    if (const char* dir = std::getenv("KILNFORM_TEST_SCREENSHOT_DIR"))
        gl.Save(std::string(dir) + "/hud_view_toolbar.png");
    ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    // Each button's box is filled by its icon; the cube fills the middle of its own.
    for (const HUDButton* button : toolbar.GetItems()) {
        double share = ForegroundShare(gl, scene, *button);
        EXPECT_GT(share, button == scene.hud->GetSnapTumbleButton() ? 0.2 : 0.5) << button->GetName();
    }
    // In the row through the buttons, everything outside the toolbar is background,
    // and so are the gaps between the buttons.
    int x0, y0, x1, y1;
    scene.Rect(toolbar, -2, x0, y0, x1, y1);
    const int row = int(scene.hud->HUDToPixel(toolbar.GetItems()[0]->GetBox().Center()).Y());
    EXPECT_GT(row, H * 0.85);                                                   // at the top of the view
    EXPECT_LT(scene.hud->HUDToPixel(toolbar.GetBox().MinCorner()).X(), W / 2);  // starting left of centre
    int stray = 0;
    for (int x = 0; x < W; ++x)
        if ((x < x0 || x > x1) && !gl.At(x, row).IsBackground()) ++stray;
    EXPECT_EQ(stray, 0);
    for (size_t i = 1; i < toolbar.GetItems().size(); ++i) {
        float gapMid =
            0.5f * (toolbar.GetItems()[i - 1]->GetBox().Max(0) + toolbar.GetItems()[i]->GetBox().Min(0));
        int gx = int(scene.hud->HUDToPixel(V2(gapMid, 0)).X());
        EXPECT_TRUE(gl.At(gx, row).IsBackground()) << "gap " << i;
    }
    // Below the toolbar the view is untouched.
    for (int x = 0; x < W; x += 7) EXPECT_TRUE(gl.At(x, H / 2).IsBackground()) << x;

    // The cube shows the snap colour: bluish while off, reddish once a click turns snap on.
    SnapRotateButton& snap = *scene.hud->GetSnapTumbleButton();
    V2 centre = scene.hud->HUDToPixel(snap.GetBox().Center());
    Pixel off = gl.At(int(centre.X()), int(centre.Y()));
    EXPECT_GT(off.b, off.r + 40) << off.r << "," << off.g << "," << off.b;
    EXPECT_TRUE(scene.hud->OnTap(centre));
    gl.Clear();
    scene.hud->Draw();
    gl.Read();
    Pixel on = gl.At(int(centre.X()), int(centre.Y()));
    EXPECT_GT(on.r, on.b + 40) << on.r << "," << on.g << "," << on.b;
    // Drawing the HUD leaves the GL state as it found it.
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], W);
    EXPECT_EQ(viewport[3], H);
}

TEST(HUDGui, AMissingIconDrawsAPlainWhiteQuad)
{
    GLRig gl;
    ASSERT_TRUE(gl.Make()) << "no GL 2.1 context";
    kftest::TempFolder empty("hud_gui_empty");
    Scene scene(empty.Path().string());
    gl.Clear();
    scene.hud->Draw();
    gl.Read();
    V2 c = scene.hud->HUDToPixel(scene.hud->GetPanButton()->GetBox().Center());
    Pixel p = gl.At(int(c.X()), int(c.Y()));
    EXPECT_GE(p.r, 250);
    EXPECT_GE(p.g, 250);
    EXPECT_GE(p.b, 250);
}
