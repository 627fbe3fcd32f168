// The parameter toolbars drawn for real over a known background: selecting a
// shape puts its parameter buttons in a column at the left of the view.
// Needs a display (label "gui").

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <QColor>
#include <QImage>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "blobtree_ui/ShapeTypeTable.h"
#include "interact/HUDManager.h"
#include "interact/ResourceRoot.h"
#include "interact/ViewController.h"
#include "scene/ParameterEditor.h"
#include "tests/interact/OffscreenGL.h"
#include "tests/scene/test_SceneManagerSupport.h"
#include "tests/support/TempFolder.h"

using namespace vynui;
using V2 = Wml::Vector2<float>;
namespace fs = std::filesystem;

namespace {

const int W = kftest::GL_WIDTH, H = kftest::GL_HEIGHT;

// The icons the build makes when they are there; otherwise plain ones written here.
std::string ParameterIconRoot(const kftest::TempFolder& folder)
{
    const fs::path built = fs::path(KILNFORM_BUILD_ROOT) / "resources";
    if (fs::is_regular_file(built / "icons" / "sphereRadius.png") &&
        fs::is_regular_file(built / "icons" / "closeX.png"))
        return built.string();
    fs::create_directories(folder.Path() / "icons");
    for (const char* name : {"sphereRadius.png", "closeX.png", "meshResolution.png", "manipHistory.png"}) {
        QImage image(32, 32, QImage::Format_RGBA8888);
        image.fill(QColor(220, 180, 60));
        image.save(QString::fromStdString((folder.Path() / "icons" / name).string()));
    }
    return folder.Path().string();
}

// Share of the pixels inside box (shrunk by 2 pixels) that are not background.
double ForegroundShare(const kftest::OffscreenGL& gl, const CHUDManager& hud,
                       const Wml::AxisAlignedBox2<float>& box)
{
    const V2 lo = hud.HUDToPixel(box.MinCorner()), hi = hud.HUDToPixel(box.MaxCorner());
    int n = 0, fg = 0;
    for (int y = int(std::ceil(lo.Y())) + 2; y <= int(std::floor(hi.Y())) - 3; ++y)
        for (int x = int(std::ceil(lo.X())) + 2; x <= int(std::floor(hi.X())) - 3; ++x, ++n)
            fg += gl.At(x, y).IsBackground() ? 0 : 1;
    return n ? double(fg) / n : 0.0;
}

}  // namespace

TEST(ParameterEditorGui, TheSelectionToolbarDrawsItsIconsAtTheLeft)
{
    kftest::OffscreenGL gl;
    ASSERT_TRUE(gl.Make()) << "no GL 2.1 context";
    kftest::TempFolder folder("parameter_gui");
    SetResourceRoot(ParameterIconRoot(folder));

    scenemgr_test::SceneRig rig;
    ParameterEditor editor(rig.scene.get(), nullptr, &rig.constraints);
    Wml::ExtendedWmlCamera camera{float(W), float(H)};
    camera.SetViewport(W, H);
    ViewController controller{&camera};
    CHUDManager hud;
    hud.SetViewController(&controller);
    hud.AddToolbar(&editor.GetSelectionToolbar());
    hud.AddToolbar(&editor.GetGlobalToolbar());

    // Where the first parameter button will go: below the close button.
    const HUDButton& close = editor.GetSelectionToolbar().GetCloseButton();
    const float top = close.GetBox().Min(1) - HUDToolbar::SPACING;
    const Wml::AxisAlignedBox2<float> slot(
        close.GetBox().Min(0), close.GetBox().Min(0) + HUDButton::ICON_SIZE, top - HUDButton::ICON_SIZE, top);

    gl.Clear();
    hud.Draw();
    gl.Read();
    EXPECT_LT(ForegroundShare(gl, hud, slot), 0.01);  // nothing selected, no button

    rig.scene->AddNode(vynui_bt::ShapeCode::Point, rig.Root(), true);
    ASSERT_EQ(editor.GetSelectionToolbar().GetItems().size(), 1u);
    const HUDButton* radius = editor.GetSelectionToolbar().GetItems()[0];
    EXPECT_FLOAT_EQ(radius->GetBox().Min(0), slot.Min(0));
    EXPECT_FLOAT_EQ(radius->GetBox().Max(1), slot.Max(1));

    gl.Clear();
    hud.Draw();
    gl.Read();
    if (const char* dir = std::getenv("KILNFORM_TEST_SCREENSHOT_DIR"))
        gl.Save(std::string(dir) + "/parameter_toolbar.png");
    ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_GT(ForegroundShare(gl, hud, radius->GetBox()), 0.5);
    const V2 lo = hud.HUDToPixel(radius->GetBox().MinCorner()),
             hi = hud.HUDToPixel(radius->GetBox().MaxCorner());
    EXPECT_LT(hi.X(), W / 4);  // in the left part of the view
    // In the row through the button, nothing is drawn right of it.
    const int row = int(0.5f * (lo.Y() + hi.Y()));
    int stray = 0;
    for (int x = int(hi.X()) + 2; x < W; ++x) stray += gl.At(x, row).IsBackground() ? 0 : 1;
    EXPECT_EQ(stray, 0);
    // The global row sits at the top of the view.
    for (const HUDButton* button : editor.GetGlobalToolbar().GetItems())
        EXPECT_GT(ForegroundShare(gl, hud, button->GetBox()), 0.5) << button->GetName();
    EXPECT_GT(hud.HUDToPixel(editor.GetMeshResolutionButton()->GetBox().Center()).Y(), 0.9f * H);

    hud.RemoveToolbar(&editor.GetSelectionToolbar());
    hud.RemoveToolbar(&editor.GetGlobalToolbar());
}
