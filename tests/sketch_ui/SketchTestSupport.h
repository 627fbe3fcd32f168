#pragma once
// A view's worth of managers wired as the program wires them (an 800 x 600
// camera, scene, surfaces, sketch, and the gesture engine behind an input
// stream), with outlines drawn as a mouse would draw them.

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "blobtree_ui/BlobTreeNodeSceneObject.h"
#include "blobtree_ui/BlobTreeSceneObject.h"
#include "blobtree_ui/RootNodeSceneObject.h"
#include "interact/ConstraintManager.h"
#include "interact/GestureEngine.h"
#include "interact/HUDToolbar.h"
#include "interact/InputEventStream.h"
#include "interact/Tool3DManager.h"
#include "scene/SceneManager.h"
#include "scene/SceneObjectManager.h"
#include "sketch_ui/SketchManager.h"
#include "surface/SurfaceManager.h"
#include "tests/support/FakeClock.h"
#include "tests/support/MouseStrokes.h"
#include "tests/support/ScriptedUserInterface.h"
#include "wml/ExtendedWmlCamera.h"

namespace sketchui_test {

using sketchtest::Path;
using sketchtest::PI;
using Wml::Vector2f;
using Wml::Vector3f;

struct SketchRig {
    static constexpr int W = 800;
    static constexpr int H = 600;

    Wml::ExtendedWmlCamera camera{float(W), float(H)};
    vynui::Tool3DManager tools;
    vynui::ConstraintManager constraints;
    kftest::ScriptedUserInterface ui;
    vynui::CSceneManager scene;
    vynui::CSurfaceManager surfaces;
    std::unique_ptr<vynui::CSketchManager> sketch;
    kftest::FakeClock clock{50.0};
    vynui::CInputEventStream stream;
    vynui::GestureEngine engine;

    SketchRig()
    {
        camera.SetViewport(W, H);
        tools.AddStandardTools();
        tools.SetCamera(&camera);
        scene.SetConstraintManager(&constraints);
        scene.SetToolManager(&tools, nullptr);
        scene.SetUserInterface(&ui);
        scene.AddChangeListener(&surfaces);
        surfaces.AddSceneSurface(scene.GetModel());
        sketch = std::make_unique<vynui::CSketchManager>(&scene, &surfaces, &camera);
        engine.SetTimeSource(clock.Source());
        stream.AddListener(&engine);
        engine.AddGestureListener(&scene);
        engine.AddGestureListener(sketch.get());
    }
    ~SketchRig()
    {
        sketch.reset();
        surfaces.RemoveSceneSurface(scene.GetModel());
    }

    /// Press, drag through the points (y from the bottom), release; `step`
    /// seconds between reports.
    void Drag(const std::vector<Vector2f>& points, double step = 0.01)
    {
        stream.LeftDown(int(std::lround(points[0].X())), int(std::lround(points[0].Y())));
        for (std::size_t i = 1; i < points.size(); ++i) {
            clock.Advance(step);
            stream.LeftDrag(int(std::lround(points[i].X())), int(std::lround(points[i].Y())));
        }
        clock.Advance(step);
        stream.LeftUp(int(std::lround(points.back().X())), int(std::lround(points.back().Y())));
        clock.Advance(1.0);
    }

    vynui_bt::RootNodeSceneObject* Root() { return scene.GetRootSceneObject(); }
    std::size_t TopLevelCount() { return Root()->GetChildren().size(); }

    /// A point primitive under the root at p (not selected).
    vynui_bt::BlobTreeNodeSceneObject* PointAt(const Vector3f& p)
    {
        vynui_bt::BlobTreeNodeSceneObject* point = scene.AddNode(1, Root(), false);
        point->Translate(p, false);
        scene.ClearSelection();
        return point;
    }

    /// Window pixel (y from the bottom) that shows p.
    Vector2f PixelOf(const Vector3f& p)
    {
        float x = 0, y = 0, depth = 0;
        camera.Project(p, x, y, depth);
        return Vector2f(x, y);
    }

    /// Activates a suggestion button as a line drawn across it does.
    void Press(int index)
    {
        vynui::HUDButton* button = sketch->GetButton(index);
        const Vector2f c = button->GetBox().Center();
        button->OnCross(Wml::Segment2<float>(c - Vector2f(0.1f, 0.0f), Vector2f(0.2f, 0.0f)));
    }

    std::vector<std::string> Buttons()
    {
        std::vector<std::string> names;
        for (vynui::HUDButton* button : sketch->GetToolbar()->GetItems()) names.push_back(button->GetName());
        return names;
    }
    bool Offers(const std::string& name)
    {
        const std::vector<std::string> names = Buttons();
        return std::find(names.begin(), names.end(), name) != names.end();
    }
};

/// Closed outlines as a hand draws them: once round and a little past the start.
inline Path Ellipse(Vector2f c, float rx, float ry)
{
    return [=](float t) {
        const float a = 2.0f * PI * 1.04f * t;
        return c + Vector2f(rx * std::cos(a), ry * std::sin(a));
    };
}

inline Path Star(Vector2f c, float outer, float inner, int points)
{
    return [=](float t) {
        const float u = t * 1.02f * float(2 * points);
        const int k = int(std::floor(u));
        const float f = u - float(k);
        auto corner = [&](int i) {
            const float a = PI * float(i) / float(points) + 0.5f * PI;
            const float r = (i % 2 == 0) ? outer : inner;
            return c + Vector2f(r * std::cos(a), r * std::sin(a));
        };
        return corner(k) * (1.0f - f) + corner(k + 1) * f;
    };
}

/// From a to b, bulging sideways by `bow` pixels in the middle.
inline Path Bowed(Vector2f a, Vector2f b, float bow)
{
    return [=](float t) {
        const Vector2f d = b - a;
        const Vector2f n = Vector2f(-d.Y(), d.X()) / d.Length();
        return a + d * t + n * (bow * std::sin(PI * t));
    };
}

/// A lumpy blob with a slow hand wobble.
inline Path Blob(Vector2f c, float r, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> u(0.0f, 2.0f * PI);
    const float p1 = u(rng), p2 = u(rng);
    return [=](float t) {
        const float a = 2.0f * PI * 1.04f * t;
        const float rr = r * (1.0f + 0.12f * std::sin(2.0f * a + p1) + 0.06f * std::sin(3.0f * a + p2));
        return c + Vector2f(rr * std::cos(a), rr * std::sin(a));
    };
}

inline std::vector<Vector2f> Mouse(const Path& path, unsigned seed = 7, float noise = 0.8f)
{
    return sketchtest::SampleMouse(path, 5.0f, noise, seed);
}

}  // namespace sketchui_test
