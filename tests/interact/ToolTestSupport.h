#pragma once
// A scene for the tool tests: a real camera, a real tool manager with the
// standard tools, and small scene objects that keep a full frame.

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "interact/ConstraintTarget.h"
#include "interact/DynamicTool3D.h"
#include "interact/IToolActionEventListener.h"
#include "interact/InputEvent.h"
#include "interact/Tool3DManager.h"
#include "scene/SceneObject.h"
#include "tests/support/Near.h"
#include "wml/ExtendedWmlCamera.h"

namespace kftest {

using Vec3 = Wml::Vector3<float>;

/// A scene object that is nothing but a frame; it supports the tools named
/// at construction.
class FramedObject : public vynui::SceneObject {
public:
    explicit FramedObject(const Vec3& origin = Vec3(0, 0, 0),
                          std::set<std::string> tools = {"DynamicTool3D", "Translation3D", "Rotation3D"},
                          bool pivot = false)
        : m_frame(origin), m_tools(std::move(tools)), m_pivot(pivot)
    {
    }
    Wml::Frame3<float> GetFrame() override { return m_frame; }
    bool SupportsTool(const std::string& name) override { return m_tools.count(name) > 0; }
    bool IsPivot() override { return m_pivot; }
    void DoTranslate(const Vec3& v, bool relative) override
    {
        m_frame.SetOrigin(relative ? m_frame.Origin() + v : v);
    }
    void DoRotate(const Wml::Matrix3<float>& m, bool relative) override { m_frame.Rotate(m, relative); }
    void DoScale(float sx, float sy, float sz, bool relative, bool) override
    {
        Vec3 s = m_frame.Scale();
        m_frame.SetScale(relative ? Vec3(s.X() * sx, s.Y() * sy, s.Z() * sz) : Vec3(sx, sy, sz));
    }

private:
    Wml::Frame3<float> m_frame;
    std::set<std::string> m_tools;
    bool m_pivot;
};

class CountingActionListener : public vynui::IToolActionEventListener {
public:
    void OnToolAction(vynui::ITool3D*) override { ++count; }
    int count = 0;
};

inline Wml::Matrix3<float> Rotation(const Vec3& axis, float degrees)
{
    Wml::Matrix3<float> m;
    Vec3 a = axis;
    a.Normalize();
    m.FromAxisAngle(a, degrees * float(M_PI) / 180.0f);
    return m;
}

inline vynui::InputEvent Mouse(int x, int y, bool down, bool up)
{
    vynui::InputEvent e;
    e.kind = vynui::InputEvent::MOUSE;
    e.x = x;
    e.y = y;
    e.leftDown = down;
    e.leftUp = up;
    return e;
}
inline vynui::InputEvent Press(int x, int y)
{
    return Mouse(x, y, true, false);
}
inline vynui::InputEvent DragTo(int x, int y)
{
    return Mouse(x, y, true, true);
}
inline vynui::InputEvent Release(int x, int y)
{
    return Mouse(x, y, false, true);
}

/// A pixel and the point where the camera's own pick ray through it meets
/// the plane z = planeZ.
struct ScreenPoint {
    int x, y;
};

/// Camera at (0, 0, 5) looking down -z at the origin, 800 x 600 pixels; a
/// tool manager with the standard tools; one framed object at the origin
/// as the only target, with its constraint target.
class ToolScene : public ::testing::Test {
protected:
    ToolScene() : camera(800.0f, 600.0f), object(Vec3(0, 0, 0)), target(&object)
    {
        camera.SetViewport(800, 600);
        manager.AddStandardTools();
        manager.SetCamera(&camera);
        manager.AddToolActionListener(&actions);
        tool = static_cast<vynui::DynamicTool3D*>(manager.FindTool("DynamicTool3D"));
        manager.SetTargets({&object});
        manager.Refresh();
        manager.UpdateViewFromCamera();
    }

    /// The pixel whose centre is nearest the projection of p.
    ScreenPoint PixelOf(const Vec3& p) const
    {
        float x, y, depth;
        camera.Project(p, x, y, depth);
        return {int(std::floor(x)), int(std::floor(y))};
    }
    /// Where the camera's ray through the pixel centre meets z = planeZ.
    Vec3 OnPlaneZ(ScreenPoint s, float planeZ = 0.0f) const
    {
        Wml::Ray3<float> ray = camera.GetPickRay(s.x, s.y);
        float t = (planeZ - ray.Origin().Z()) / ray.Direction().Z();
        return ray.PointAt(t);
    }
    float ViewScale() const { return manager.GetViewData().viewScale; }

    /// Press at p, drag through the offsets (pixels), release; checks the
    /// answers 2, 0 ..., 3 and one tool action per step. Answers the last
    /// pixel.
    ScreenPoint DragThrough(const Vec3& p, const std::vector<ScreenPoint>& offsets)
    {
        ScreenPoint start = PixelOf(p), at = start;
        EXPECT_EQ(manager.OnInputEvent(Press(start.x, start.y)), vynui::INPUT_CAPTURE);
        int before = actions.count;
        for (ScreenPoint d : offsets) {
            at = {start.x + d.x, start.y + d.y};
            EXPECT_EQ(manager.OnInputEvent(DragTo(at.x, at.y)), vynui::INPUT_CONSUMED);
        }
        EXPECT_EQ(actions.count - before, int(offsets.size()));
        EXPECT_EQ(manager.OnInputEvent(Release(at.x, at.y)), vynui::INPUT_RELEASE_CAPTURE);
        return at;
    }

    Wml::ExtendedWmlCamera camera;
    vynui::Tool3DManager manager;
    vynui::DynamicTool3D* tool = nullptr;
    CountingActionListener actions;
    FramedObject object;
    vynui::ConstraintTarget target;
};

}  // namespace kftest
