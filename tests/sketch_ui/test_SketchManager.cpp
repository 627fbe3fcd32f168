// The sketch manager driven as the view drives it: mouse drags through the
// input stream and gesture engine, suggestions on its toolbar, commands,
// gestures that edit the sketch and the options dialog.

#include <cmath>

#include "SketchTestSupport.h"
#include "blobtree/RootNode.h"
#include "wml/DebugOutput.h"

using namespace sketchui_test;
using vynui::CSketchManager;

namespace {

const Vector2f kCentre(400.0f, 300.0f);

// From a to b, bulging sideways by `bow` pixels in the middle.
Path Bowed(Vector2f a, Vector2f b, float bow)
{
    return [=](float t) {
        const Vector2f d = b - a;
        const Vector2f n = Vector2f(-d.Y(), d.X()) / d.Length();
        return a + d * t + n * (bow * std::sin(PI * t));
    };
}

struct SuggestionCase {
    const char* name;
    std::function<void(SketchRig&)> draw;
    std::vector<std::string> expected;  // toolbar in order
};

// Two points far apart in the view; their blobs do not touch.
const Vector3f kLeft(-1.6f, 0.0f, 0.0f), kRight(1.6f, 0.0f, 0.0f);

const SuggestionCase kSuggestionCases[] = {
    {"closed outline in empty space",
     [](SketchRig& rig) { rig.Drag(Mouse(Ellipse(kCentre, 120.0f, 90.0f))); },
     {"ClearSketchButton", "BlobbySweepButton", "LinearSweepButton", "RevolutionButton"}},
    {"closed outline on a shape",
     [](SketchRig& rig) {
         rig.PointAt(Vector3f::ZERO);
         rig.Drag(Mouse(Ellipse(rig.PixelOf(Vector3f::ZERO), 25.0f, 20.0f)));
     },
     {"ClearSketchButton", "BlendBlobbySweepButton", "CutSurfaceButton", "SurfacePointsLineButton",
      "BlobbySweepButton", "LinearSweepButton", "RevolutionButton"}},
    {"stroke from one shape to another",
     [](SketchRig& rig) {
         rig.PointAt(kLeft);
         rig.PointAt(kRight);
         rig.Drag(Mouse(Bowed(rig.PixelOf(kLeft), rig.PixelOf(kRight), 30.0f)));
     },
     {"ClearSketchButton", "JoinUnionButton", "JoinBlendButton"}},
    {"open stroke in empty space",
     [](SketchRig& rig) { rig.Drag(Mouse(sketchtest::Arc(kCentre, 100.0f, 0.0f, 0.6f * PI))); },
     {"ClearSketchButton"}},
    {"suggestions switched off",
     [](SketchRig& rig) {
         EXPECT_TRUE(rig.sketch->OnCommand("Suggest Implicits"));
         rig.Drag(Mouse(Ellipse(kCentre, 120.0f, 90.0f)));
     },
     {"ClearSketchButton"}},
};

}  // namespace

TEST(SketchSuggestions, EachSketchOffersWhatFitsInToolbarOrder)
{
    for (const SuggestionCase& c : kSuggestionCases) {
        SCOPED_TRACE(c.name);
        SketchRig rig;
        c.draw(rig);
        EXPECT_EQ(1u, rig.sketch->GetStrokeFactory().GetNumStrokes());
        EXPECT_EQ(c.expected, rig.Buttons());
    }
}
