// The tool manager: which tool is active for which targets, what the tools
// target, the view data its pick rays and handle sizes come from, and the
// gizmo tools driven through it.

#include <cmath>

#include "interact/LocalRotationTool3D.h"
#include "interact/LocalTranslationTool3D.h"
#include "interact/ToolTargetGroup.h"
#include "interact/VectorConstraint.h"
#include "scene/SceneObjectManager.h"
#include "tests/interact/ToolTestSupport.h"

namespace kftest {
namespace {

using namespace vynui;

class Manager : public ToolScene {};

// ---- target group

TEST(ToolTargetGroupFrame, FollowsThePivotRulesAndTheMeanOfTheOrigins)
{
    FramedObject a(Vec3(1, 0, 0)), b(Vec3(3, 2, 0)), c(Vec3(2, 4, 6));
    FramedObject pivot1(Vec3(9, 9, 9), {"DynamicTool3D"}, true),
        pivot2(Vec3(-1, -1, -1), {"DynamicTool3D"}, true);
    b.Rotate(Rotation(Vec3(0, 0, 1), 40.0f), true);
    pivot2.Rotate(Rotation(Vec3(1, 0, 0), 25.0f), true);
    struct {
        const char* name;
        std::vector<SceneObject*> targets;
        SceneObject* pivot;
        Vec3 origin;
        Vec3 xAxis;
    } cases[] = {
        {"none", {}, nullptr, Vec3(0, 0, 0), Vec3(1, 0, 0)},
        {"one", {&b}, nullptr, Vec3(3, 2, 0), b.GetFrame().X()},
        {"several, mean", {&a, &b, &c}, nullptr, Vec3(2, 2, 2), Vec3(1, 0, 0)},
        {"last pivot", {&pivot2, &a, &pivot1, &b}, &pivot1, Vec3(9, 9, 9), Vec3(1, 0, 0)},
        {"pivot frame", {&a, &pivot2}, &pivot2, Vec3(-1, -1, -1), pivot2.GetFrame().X()},
    };
    for (const auto& tc : cases) {
        ToolTargetGroup group;
        group.SetTargets(tc.targets);
        EXPECT_EQ(group.GetPivot(), tc.pivot) << tc.name;
        Wml::Frame3<float> f = group.GetFrame();
        EXPECT_TRUE(Near(f.Origin(), tc.origin, 1e-5f)) << tc.name;
        EXPECT_TRUE(Near(f.X(), tc.xAxis, 1e-5f)) << tc.name;
    }
}

TEST(ToolTargetGroupMoves, GoToThePivotAloneOrToEveryTarget)
{
    FramedObject a(Vec3(1, 0, 0)), b(Vec3(3, 0, 0)), pivot(Vec3(0, 5, 0), {"DynamicTool3D"}, true);
    ToolTargetGroup group;
    group.SetTargets({&a, &b});
    group.Translate(Vec3(0, 1, 0), true);
    EXPECT_TRUE(Near(a.GetFrame().Origin(), Vec3(1, 1, 0), 1e-6f));
    EXPECT_TRUE(Near(b.GetFrame().Origin(), Vec3(3, 1, 0), 1e-6f));
    // An absolute move puts the group's origin there, keeping the spacing.
    group.Translate(Vec3(0, 0, 0), false);
    EXPECT_TRUE(Near(a.GetFrame().Origin(), Vec3(-1, 0, 0), 1e-6f));
    EXPECT_TRUE(Near(b.GetFrame().Origin(), Vec3(1, 0, 0), 1e-6f));
    group.Scale(2, 2, 2, true, true);
    EXPECT_TRUE(Near(a.GetFrame().Scale(), Vec3(2, 2, 2), 1e-6f));

    group.SetTargets({&a, &pivot, &b});
    group.Translate(Vec3(0, 0, 1), true);
    group.Rotate(Rotation(Vec3(0, 0, 1), 90.0f), true);
    EXPECT_TRUE(Near(pivot.GetFrame().Origin(), Vec3(0, 5, 1), 1e-6f));
    EXPECT_TRUE(Near(pivot.GetFrame().X(), Vec3(0, 1, 0), 1e-6f));
    EXPECT_TRUE(Near(a.GetFrame().Origin(), Vec3(-1, 0, 0), 1e-6f));
    EXPECT_TRUE(Near(a.GetFrame().X(), Vec3(1, 0, 0), 1e-6f));
}

// ---- tools, targets and cycling

TEST_F(Manager, ActiveToolTargetsOneObjectDirectlyAndSeveralThroughTheGroup)
{
    EXPECT_EQ(manager.GetActiveTool(), tool);
    EXPECT_EQ(tool->GetTarget(), static_cast<ITool3DTarget*>(&object));
    FramedObject other(Vec3(2, 0, 0));
    manager.SetTargets({&object, &other});
    manager.Refresh();
    EXPECT_EQ(tool->GetTarget(), static_cast<ITool3DTarget*>(&manager.GetTargetGroup()));
    EXPECT_TRUE(Near(tool->GetFrame().Origin(), Vec3(1, 0, 0), 1e-6f));
    // The tool's frame follows after a move once refreshed by a drag or a
    // tool change; a change of the tool's own targets re-targets it.
    other.Translate(Vec3(2, 0, 0), true);
    tool->AddToolTarget(&other);
    EXPECT_TRUE(Near(tool->GetFrame().Origin(), Vec3(2, 0, 0), 1e-6f));
    EXPECT_EQ(tool->GetToolTargets().size(), 1u);
}

TEST_F(Manager, ToolsAreKeptByNameOnce)
{
    std::vector<std::string> expected = {"DynamicTool3D",
                                         "Rotation3D",
                                         "SurfacePatchDeformTool",
                                         "SurfacePatchTransformTool",
                                         "SurfaceVectorEditingTool",
                                         "Translation3D"};
    EXPECT_EQ(manager.GetToolNames(), expected);
    auto* duplicate = new LocalRotationTool3D();
    EXPECT_FALSE(manager.AddTool(duplicate));
    delete duplicate;
    EXPECT_FALSE(manager.AddTool(nullptr));
    EXPECT_FALSE(manager.SetActiveTool("NoSuchTool"));
}

TEST_F(Manager, ShowAndCycleSkipToolsThatDoNotSupportTheTargets)
{
    struct {
        const char* name;
        std::set<std::string> supports;
        const char* afterShow;
        std::vector<const char*> cycle;  // active tool after each "Cycle Tool"
    } cases[] = {
        {"all three",
         {"DynamicTool3D", "Rotation3D", "Translation3D"},
         "DynamicTool3D",
         {"Rotation3D", "Translation3D", "DynamicTool3D"}},
        {"translation only", {"Translation3D"}, "Translation3D", {"Translation3D"}},
        {"rotation and dynamic",
         {"Rotation3D", "DynamicTool3D"},
         "DynamicTool3D",
         {"Rotation3D", "DynamicTool3D"}},
        {"none", {}, "DynamicTool3D", {"DynamicTool3D"}},
    };
    for (const auto& tc : cases) {
        FramedObject picky(Vec3(0, 0, 0), tc.supports);
        manager.SetActiveTool("DynamicTool3D");
        manager.SetTargets({&picky});
        manager.Refresh();
        manager.Show(true);
        ASSERT_NE(manager.GetActiveTool(), nullptr);
        EXPECT_EQ(manager.GetActiveTool()->GetName(), tc.afterShow) << tc.name;
        EXPECT_EQ(manager.GetActiveTool()->GetTarget(), static_cast<ITool3DTarget*>(&picky)) << tc.name;
        for (const char* next : tc.cycle) {
            EXPECT_EQ(manager.CycleTool(), !tc.supports.empty()) << tc.name;
            EXPECT_EQ(manager.GetActiveTool()->GetName(), next) << tc.name;
        }
    }
    manager.SetTargets({});
    manager.Refresh();
}

TEST_F(Manager, TheSelectionReachesTheToolThroughTheObjectRegistry)
{
    FramedObject other(Vec3(2, 2, 0)), unselected(Vec3(9, 9, 9));
    SceneObjectManager registry;
    registry.AddObject(&object, true);
    registry.AddObject(&unselected, false);
    registry.AddObject(&other, true);
    registry.UpdateToolTargets(&manager);
    EXPECT_EQ(manager.GetTargetGroup().GetTargets(), (std::vector<SceneObject*>{&object, &other}));
    EXPECT_EQ(tool->GetTarget(), static_cast<ITool3DTarget*>(&manager.GetTargetGroup()));
    EXPECT_TRUE(Near(tool->GetFrame().Origin(), Vec3(1, 1, 0), 1e-6f));
    registry.Deselect(&object);
    registry.UpdateToolTargets(&manager);
    EXPECT_EQ(tool->GetTarget(), static_cast<ITool3DTarget*>(&other));
    registry.RemoveObject(&object);
    registry.RemoveObject(&other);
    registry.RemoveObject(&unselected);
}

// ---- view data

TEST_F(Manager, PickRaysFromTheCapturedMatricesMatchTheCameraRays)
{
    for (bool perspective : {true, false}) {
        camera.SetPerspective(perspective);
        camera.UpdateTurntable(0.4f, 0.3f, false);
        manager.UpdateViewFromCamera();
        const ToolViewData& view = manager.GetViewData();
        EXPECT_TRUE(view.IsValid());
        EXPECT_TRUE(Near(view.viewDirection, camera.GetDirection(), 1e-5f));
        EXPECT_TRUE(Near(view.screenX, camera.GetRight(), 1e-3f));
        EXPECT_TRUE(Near(view.screenY, camera.GetUp(), 1e-3f));
        for (ScreenPoint p :
             {ScreenPoint{0, 0}, ScreenPoint{400, 300}, ScreenPoint{799, 12}, ScreenPoint{123, 577}}) {
            Wml::Ray3<float> mine = manager.GetPickRay(p.x + 0.5f, p.y + 0.5f);
            Wml::Ray3<float> theirs = camera.GetPickRay(p.x, p.y);
            EXPECT_TRUE(Near(mine.Direction(), theirs.Direction(), 1e-4f)) << perspective;
            // Both rays run through the same points (origins differ: eye
            // against near plane).
            Vec3 d = mine.Origin() - theirs.Origin();
            Vec3 off = d - theirs.Direction() * d.Dot(theirs.Direction());
            EXPECT_LT(off.Length(), 1e-3f) << perspective;
        }
    }
}

TEST_F(Manager, ViewScaleKeepsHandlesTheSameSizeOnScreen)
{
    auto* handle = new VectorConstraint(&target, Vec3(0, 0, 0), Vec3(1, 0, 0), FRAME_MODE_OBJECT);
    tool->AddHandle(handle);
    auto screenLength = [&]() {
        const ToolViewData& view = manager.GetViewData();
        float s = Constraint::HandleSize(view), x0, y0, x1, y1, d;
        view.Project(Vec3(0, 0, 0), x0, y0, d);
        view.Project(Vec3(1.2f * s, 0, 0), x1, y1, d);
        return std::hypot(x1 - x0, y1 - y0);
    };
    float atFive = screenLength();
    float scaleAtFive = ViewScale();
    // A handle of nominal size 1 spans a quarter of the view's height.
    EXPECT_NEAR(1.2f * 0.5f * 600.0f / 4.0f, atFive, 1.0f);
    camera.SetTargetDistance(10.0f);
    manager.UpdateViewFromCamera();
    EXPECT_NEAR(ViewScale() / scaleAtFive, 2.0f, 0.01f);
    EXPECT_NEAR(screenLength(), atFive, 1.0f);
    // Moving the object off centre keeps the size as well.
    object.Translate(Vec3(2, 1, 0), true);
    tool->UpdateFrame();
    manager.UpdateViewFromCamera();
    EXPECT_NEAR(screenLength() / atFive, 1.0f, 0.05f);
}

// ---- gizmo tools through the manager

TEST_F(Manager, TranslationGizmoMovesAlongTheObjectsOwnAxes)
{
    // The object's x axis lies along world +y.
    object.Rotate(Rotation(Vec3(0, 0, 1), 90.0f), true);
    ASSERT_TRUE(manager.SetActiveTool(LocalTranslationTool3D::NAME));
    manager.UpdateViewFromCamera();
    const Vec3 press(0, 0.3f * ViewScale(), 0);
    ScreenPoint start = PixelOf(press);
    ScreenPoint end = DragThrough(press, {{2, 25}, {0, 40}});
    float expected = OnPlaneZ(end).Y() - OnPlaneZ(start).Y();
    EXPECT_GT(expected, 0.1f);
    EXPECT_TRUE(Near(object.GetFrame().Origin(), Vec3(0, expected, 0), 1e-4f));
    // The gizmo moved with it.
    auto* gizmo = static_cast<LocalTranslationTool3D*>(manager.GetActiveTool());
    EXPECT_TRUE(Near(gizmo->GetHandle(0)->GetOrigin(), Vec3(0, expected, 0), 1e-4f));
    EXPECT_TRUE(Near(gizmo->GetHandle(0)->GetAxis(), Vec3(0, 1, 0), 1e-5f));
}

TEST_F(Manager, RotationGizmoTurnsAboutTheObjectsOwnAxis)
{
    object.Translate(Vec3(0.5f, 0, 0), true);
    ASSERT_TRUE(manager.SetActiveTool(LocalRotationTool3D::NAME));
    manager.UpdateViewFromCamera();
    const float r = 0.35f * ViewScale();
    const Vec3 c(0.5f, 0, 0);
    ScreenPoint start = PixelOf(c + Vec3(0, -r, 0));
    std::vector<ScreenPoint> steps;
    for (int degrees : {-80, -70, -60}) {
        float a = degrees * float(M_PI) / 180.0f;
        ScreenPoint p = PixelOf(c + Vec3(r * std::cos(a), r * std::sin(a), 0));
        steps.push_back({p.x - start.x, p.y - start.y});
    }
    ScreenPoint end = DragThrough(c + Vec3(0, -r, 0), steps);
    Vec3 s = OnPlaneZ(start) - c, e = OnPlaneZ(end) - c;
    float expected = std::atan2(e.Y(), e.X()) - std::atan2(s.Y(), s.X());
    EXPECT_NEAR(expected, 30.0f * float(M_PI) / 180.0f, 0.02f);
    Vec3 x = object.GetFrame().X();
    EXPECT_NEAR(std::atan2(x.Y(), x.X()), expected, 1e-4f);
    EXPECT_TRUE(Near(object.GetFrame().Origin(), c, 1e-6f));
}

}  // namespace
}  // namespace kftest
