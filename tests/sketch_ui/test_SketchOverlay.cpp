// The sketch overlay drawn into an offscreen framebuffer: a pale red tint
// over the view while there are strokes, the strokes in translucent blue,
// nothing at all on an empty sketch.

#include "SketchTestSupport.h"
#include "tests/interact/OffscreenGL.h"

using namespace sketchui_test;

TEST(SketchOverlay, TintsTheViewAndDrawsTheStrokesOnlyWhileThereAreStrokes)
{
    kftest::OffscreenGL gl;
    ASSERT_TRUE(gl.Make()) << "no GL 2.1 context";
    SketchRig rig;
    rig.camera.SetViewport(kftest::GL_WIDTH, kftest::GL_HEIGHT);
    const unsigned area[4] = {0, 0, unsigned(kftest::GL_WIDTH), unsigned(kftest::GL_HEIGHT)};
    rig.sketch->SetDrawingAreaSize(area);

    gl.Clear();
    rig.sketch->Draw();
    gl.Read();
    EXPECT_TRUE(gl.At(20, 20).IsBackground()) << gl.At(20, 20);
    EXPECT_TRUE(gl.At(320, 240).IsBackground()) << gl.At(320, 240);

    const Vector2f centre(320.0f, 240.0f);
    rig.Drag(Mouse(Ellipse(centre, 120.0f, 90.0f), 3, 0.0f));
    ASSERT_EQ(1u, rig.sketch->GetStrokeFactory().GetNumStrokes());
    gl.Clear();
    rig.sketch->Draw();
    gl.Read();
    // Background under a quarter of (1, 0.45, 0.45).
    const float tint[3] = {0.75f * kftest::GL_BACKGROUND[0] + 0.25f,
                           0.75f * kftest::GL_BACKGROUND[1] + 0.1125f,
                           0.75f * kftest::GL_BACKGROUND[2] + 0.1125f};
    EXPECT_TRUE(gl.At(20, 20).Near(tint[0], tint[1], tint[2])) << gl.At(20, 20);
    EXPECT_TRUE(gl.At(320, 240).Near(tint[0], tint[1], tint[2])) << gl.At(320, 240);
    // Along the stroke the blue (or the dashed contour) shows over the tint.
    int marked = 0;
    for (int a = 0; a < 36; ++a) {
        const float angle = 2.0f * PI * float(a) / 36.0f;
        const kftest::Pixel p =
            gl.At(int(centre.X() + 120.0f * std::cos(angle)), int(centre.Y() + 90.0f * std::sin(angle)));
        if (p.b > p.r + 20 || (p.r < 20 && p.g < 20 && p.b < 20)) ++marked;
    }
    EXPECT_GE(marked, 30);
    // State is left as found.
    GLboolean depth = GL_FALSE;
    glGetBooleanv(GL_DEPTH_TEST, &depth);
    EXPECT_EQ(GL_FALSE, depth);
    glEnable(GL_DEPTH_TEST);
    rig.sketch->Draw();
    glGetBooleanv(GL_DEPTH_TEST, &depth);
    EXPECT_EQ(GL_TRUE, depth);
}
