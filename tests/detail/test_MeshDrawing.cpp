// An imported mesh drawn for real into an offscreen framebuffer and read
// back. Needs a display (run under xvfb-run, label "gui").

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "detail/MeshSceneObject.h"
#include "interact/ConstraintScreenGeometry.h"
#include "tests/detail/test_DetailSupport.h"
#include "tests/interact/OffscreenGL.h"
#include "tests/support/TempFolder.h"
#include "wml/ExtendedWmlCamera.h"

using V2 = Wml::Vector2<float>;
using V3 = Wml::Vector3<float>;

namespace {

// The default camera (at (0, 0, 5) looking at the origin) and a headlight.
class DrawingRig : public kftest::OffscreenGL {
public:
    Wml::ExtendedWmlCamera camera{float(kftest::GL_WIDTH), float(kftest::GL_HEIGHT)};

    void Begin()
    {
        Clear();
        glEnable(GL_DEPTH_TEST);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        const GLfloat position[4] = {0, 0, 1, 0};
        const GLfloat white[4] = {1, 1, 1, 1};
        const GLfloat black[4] = {0, 0, 0, 1};
        glLightfv(GL_LIGHT0, GL_POSITION, position);
        glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, black);
        glEnable(GL_LIGHT0);
        camera.Update();
    }
    void Read(const char* screenshot)
    {
        OffscreenGL::Read();
        if (const char* dir = std::getenv("KILNFORM_TEST_SCREENSHOT_DIR"))
            Save(std::string(dir) + "/" + screenshot);
    }
    using OffscreenGL::At;
    kftest::Pixel At(const V3& world) const
    {
        V2 p;
        if (!vynui::ProjectToScreen(camera, world, p)) return kftest::Pixel{-1, -1, -1};
        return At(int(p.X()), int(p.Y()));
    }
};

TEST(MeshDrawing, LitMeshWithSelectionTintFollowsItsFrame)
{
    DrawingRig gl;
    ASSERT_TRUE(gl.Make()) << "no GL 2.1 context";
    kftest::TempFolder folder("meshdraw");
    std::string error;
    const std::string path = folder.Write("cube.obj", kilnform_test::CubeOBJ());
    std::unique_ptr<vynui::MeshSceneObject> plain(vynui::MeshSceneObject::Import(path, error));
    std::unique_ptr<vynui::MeshSceneObject> chosen(vynui::MeshSceneObject::Import(path, error));
    ASSERT_TRUE(plain && chosen) << error;
    plain->Translate(V3(-1.2f, 0, 0), true);
    chosen->Translate(V3(1.2f, 0, 0), true);
    chosen->Scale(0.5f, 0.5f, 0.5f, true, true);

    gl.Begin();
    plain->Render(false);
    chosen->Render(true);
    gl.Read("imported_meshes.png");
    ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    // The face towards the eye is lit grey; the selected one is tinted red.
    const kftest::Pixel grey = gl.At(V3(-1.2f, 0, 0.5f));
    EXPECT_FALSE(grey.IsBackground()) << grey;
    EXPECT_GT(grey.r, 150) << grey;
    EXPECT_NEAR(grey.r, grey.g, 4) << grey;
    EXPECT_NEAR(grey.g, grey.b, 4) << grey;
    const kftest::Pixel red = gl.At(V3(1.2f, 0, 0.25f));
    EXPECT_GT(red.r, red.g + 60) << red;
    // Only where the meshes are.
    EXPECT_TRUE(gl.At(V3(0, 0, 0)).IsBackground()) << gl.At(V3(0, 0, 0));
    EXPECT_TRUE(gl.At(V3(1.2f, 0.4f, 0.25f)).IsBackground()) << gl.At(V3(1.2f, 0.4f, 0.25f));
    EXPECT_TRUE(gl.At(V3(-1.2f, 0.6f, 0.5f)).IsBackground()) << gl.At(V3(-1.2f, 0.6f, 0.5f));
}

}  // namespace
