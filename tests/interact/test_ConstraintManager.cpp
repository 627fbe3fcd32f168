// The constraint manager end to end: a real camera, tool manager and dynamic
// tool, real scene objects (tree shapes where a surface matters), strokes in
// window pixels through the input stream and the gesture engine.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "interact/AxisRotationConstraint.h"
#include "interact/ConstraintManager.h"
#include "interact/ConstraintTarget.h"
#include "interact/GestureEngine.h"
#include "interact/HUDButton.h"
#include "interact/ISurfaceRayIntersector.h"
#include "interact/InputEventStream.h"
#include "interact/PivotSO.h"
#include "interact/SurfaceAnchor.h"
#include "interact/VectorConstraint.h"
#include "scene/SceneObjectManager.h"
#include "tests/blobtree_ui/test_BaseFixtures.h"
#include "tests/interact/ToolTestSupport.h"
#include "tests/support/FakeClock.h"
#include "wml/DebugOutput.h"

using namespace vynui;
using kftest::FramedObject;
using kftest::Near;
using Vec2 = Wml::Vector2<float>;
using Vec3 = Wml::Vector3<float>;

namespace {

/// The scene side of the manager over a real object registry: selection
/// changes are told to the manager as the scene's controller tells its
/// listeners; objects handed over are owned here.
class FakeHost : public IConstraintSceneHost {
public:
    void SelectAlone(SceneObject* object) override
    {
        objects.ClearSelection();
        objects.Select(object);
        if (manager) manager->OnSelectionPicked(objects.GetSelection());
    }
    void AddToScene(SceneObject* object) override
    {
        owned.emplace_back(object);
        objects.AddObject(object, false);
        // The scene's controller ends every structural edit this way.
        if (manager) manager->OnSelectionChanged(objects.GetSelection());
    }
    void RemoveFromScene(SceneObject* object) override
    {
        objects.RemoveObject(object);
        for (auto& o : owned)
            if (o.get() == object) o.release();
        ++removed;
    }
    bool SketchHasStrokes() override { return strokes; }
    void RequestRedraw() override { ++redraws; }
    Wml::ExtendedWmlCamera* GetCamera() override { return camera; }

    /// Registers and selects object alone, as a selection by the user.
    void Select(SceneObject* object)
    {
        objects.AddObject(object, false);
        objects.ClearSelection();
        objects.Select(object);
        if (manager) manager->OnSelectionChanged(objects.GetSelection());
    }

    SceneObjectManager objects;
    Wml::ExtendedWmlCamera* camera = nullptr;
    ConstraintManager* manager = nullptr;
    std::vector<std::unique_ptr<SceneObject>> owned;
    bool strokes = false;
    int redraws = 0;
    int removed = 0;
};

/// The surface as the first crossing of the iso-surface of a field.
class FieldIntersector : public ISurfaceRayIntersector {
public:
    explicit FieldIntersector(vynimplicit::ScalarField* field) : m_field(field) {}
    bool Intersect(const Wml::Ray3<float>& ray, Vec3& point, Vec3& normal) override
    {
        Wml::Frame3<float> frame;
        if (!SurfaceAnchor::FrameAtFieldHit(*m_field, ray, frame)) return false;
        point = frame.Origin();
        normal = frame.Z();
        return true;
    }

private:
    vynimplicit::ScalarField* m_field;
};

std::vector<Vec2> Straight(Vec2 a, Vec2 b, int count)
{
    std::vector<Vec2> points;
    for (int i = 0; i < count; ++i) {
        const Vec2 p = a + (b - a) * (float(i) / float(count - 1));
        points.push_back(Vec2(std::round(p.X()), std::round(p.Y())));
    }
    return points;
}

std::vector<Vec2> Join(std::vector<Vec2> a, const std::vector<Vec2>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

/// Camera at (0, 0, 5) looking down -z at the origin, 800 x 600 pixels, so
/// the origin shows at (400, 300); a quarter of the view (150 pixels) spans
/// one view-scale unit, so a vector handle is 75 pixels long.
class ManagerRig : public ::testing::Test {
protected:
    ManagerRig() : camera(800.0f, 600.0f), object(Vec3(0, 0, 0))
    {
        camera.SetViewport(800, 600);
        tools.AddStandardTools();
        tools.SetCamera(&camera);
        tool = static_cast<DynamicTool3D*>(tools.FindTool("DynamicTool3D"));
        host.camera = &camera;
        manager.reset(new ConstraintManager(&host, &tools));
        host.manager = manager.get();
        engine.SetTimeSource(clock.Source());
        engine.AddGestureListener(manager.get());
        stream.AddListener(manager.get());
        stream.AddListener(&tools);
        stream.AddListener(&engine);
    }
    ~ManagerRig() override
    {
        // The manager lets go of the objects before they go.
        manager.reset();
    }

    /// Selects object as the scene would and hands it to the tool manager.
    void Select(SceneObject* selected)
    {
        host.Select(selected);
        tools.SetTargets({selected});
        tools.Refresh();
        tools.UpdateViewFromCamera();
    }

    /// Press, drags through the rest, release; 10 ms apart.
    void Stroke(const std::vector<Vec2>& points)
    {
        stream.LeftDown(int(points[0].X()), int(points[0].Y()));
        for (size_t i = 1; i < points.size(); ++i) {
            clock.Advance(0.01);
            stream.LeftDrag(int(points[i].X()), int(points[i].Y()));
        }
        clock.Advance(0.01);
        stream.LeftUp(int(points.back().X()), int(points.back().Y()));
    }
    void Line(Vec2 a, Vec2 b) { Stroke(Straight(a, b, 21)); }
    /// A line that does not start on anything, from (300, 500) in direction d.
    void LineAlong(Vec2 d) { Line(Vec2(300, 500), Vec2(300, 500) + d * 150.0f); }

    Vec2 Screen(const Vec3& p) const
    {
        float x, y, depth;
        camera.Project(p, x, y, depth);
        return Vec2(x, y);
    }

    std::vector<Constraint*> Handles(int kind) const { return tool->GetHandles(kind); }
    VectorConstraint* OnlyVector() const
    {
        return Handles(VECTOR_CONSTRAINT).size() == 1
                   ? static_cast<VectorConstraint*>(Handles(VECTOR_CONSTRAINT)[0])
                   : nullptr;
    }

    Wml::ExtendedWmlCamera camera;
    Tool3DManager tools;
    DynamicTool3D* tool = nullptr;
    FramedObject object;
    FramedObject other{Vec3(1, 0, 0)};
    FakeHost host;
    std::unique_ptr<ConstraintManager> manager;
    kftest::FakeClock clock{100.0};
    CInputEventStream stream;
    GestureEngine engine;
};

// ===================================================================== lines

struct AimCase {
    const char* name;
    Vec2 screenDirection;
    Vec3 axis;
    bool pivot;
};

void PrintTo(const AimCase& c, std::ostream* os)
{
    *os << c.name;
}

class LineAim : public ManagerRig, public ::testing::WithParamInterface<AimCase> {};

TEST_P(LineAim, LineAlongAnAxisMakesVectorRingAndScaleUnlessAPivot)
{
    const AimCase& c = GetParam();
    PivotSO pivot;
    Select(c.pivot ? static_cast<SceneObject*>(&pivot) : &object);
    LineAlong(c.screenDirection);

    VectorConstraint* vector = OnlyVector();
    ASSERT_NE(vector, nullptr);
    EXPECT_TRUE(Near(vector->GetAxis(), c.axis, 1e-4f));
    EXPECT_TRUE(Near(vector->GetOrigin(), Vec3(0, 0, 0), 1e-5f));
    EXPECT_EQ(vector->GetFrameMode(), FRAME_MODE_OBJECT);
    EXPECT_TRUE(vector->IsMadeByLine());
    ASSERT_EQ(Handles(AXIS_ROTATION_CONSTRAINT).size(), 1u);
    auto* ring = static_cast<AxisRotationConstraint*>(Handles(AXIS_ROTATION_CONSTRAINT)[0]);
    EXPECT_TRUE(Near(ring->GetAxis(), c.axis, 1e-4f));
    EXPECT_FLOAT_EQ(ring->GetRadius(), 0.35f);
    EXPECT_EQ(Handles(UNIFORM_SCALE_CONSTRAINT).size(), c.pivot ? 0u : 1u);
    if (!c.pivot) {
        EXPECT_EQ(Handles(UNIFORM_SCALE_CONSTRAINT)[0]->GetFrameMode(), FRAME_MODE_WORLD);
    }
    // Every handle moves the selected object.
    for (Constraint* handle : tool->GetHandles())
        EXPECT_TRUE(handle->GetTarget()->IsFor(manager->GetSelectedObject()));
    manager->ForgetObject(&pivot);
}

INSTANTIATE_TEST_SUITE_P(
    Directions, LineAim,
    ::testing::Values(AimCase{"Right", Vec2(1, 0), Vec3(1, 0, 0), false},
                      AimCase{"Left", Vec2(-1, 0), Vec3(-1, 0, 0), false},
                      AimCase{"Up", Vec2(0, 1), Vec3(0, 1, 0), false},
                      AimCase{"DownSlightlySlanted", Vec2(0.2f, -1.0f), Vec3(0, -1, 0), false},
                      AimCase{"PivotRight", Vec2(1, 0), Vec3(1, 0, 0), true}),
    [](const ::testing::TestParamInfo<AimCase>& info) { return std::string(info.param.name); });

TEST_F(ManagerRig, LineRespectsPinnedHandlesAndReplacesUnpinnedOnes)
{
    Select(&object);
    LineAlong(Vec2(1, 0));
    Constraint* first = OnlyVector();
    ASSERT_NE(first, nullptr);
    first->SetPinned(true);

    // The same axis again: the pinned vector stands for the new one.
    LineAlong(Vec2(1, 0));
    ASSERT_EQ(Handles(VECTOR_CONSTRAINT).size(), 1u);
    EXPECT_EQ(Handles(VECTOR_CONSTRAINT)[0], first);
    EXPECT_EQ(Handles(AXIS_ROTATION_CONSTRAINT).size(), 1u);
    EXPECT_EQ(Handles(UNIFORM_SCALE_CONSTRAINT).size(), 1u);

    // Another axis: the pinned one stays beside the new handles.
    LineAlong(Vec2(0, 1));
    ASSERT_EQ(Handles(VECTOR_CONSTRAINT).size(), 2u);
    EXPECT_EQ(Handles(VECTOR_CONSTRAINT)[0], first);
    EXPECT_TRUE(Near(Handles(VECTOR_CONSTRAINT)[1]->GetAxis(), Vec3(0, 1, 0), 1e-4f));
    EXPECT_EQ(Handles(AXIS_ROTATION_CONSTRAINT).size(), 1u);
}

TEST_F(ManagerRig, LineIsDeclinedWhileTheSketchHoldsStrokesOrWithoutTarget)
{
    GestureSegment line;
    line.start = Vec2(300, 500);
    line.end = Vec2(450, 500);
    EXPECT_FALSE(manager->OnLine(line));  // nothing selected
    Select(&object);
    host.strokes = true;
    EXPECT_FALSE(manager->OnLine(line));
    EXPECT_TRUE(tool->GetHandles().empty());
    host.strokes = false;
    // Straight at the viewer matches no axis.
    GestureSegment dot;
    dot.start = dot.end = Vec2(300, 500);
    EXPECT_FALSE(manager->OnLine(dot));
    EXPECT_TRUE(manager->OnLine(line));
}

// ========================================================= aiming ring drag

TEST_F(ManagerRig, AimingRingCapturesAndReaimsTheVectorHandle)
{
    Select(&object);
    LineAlong(Vec2(1, 0));
    ASSERT_NE(OnlyVector(), nullptr);
    // The ring sits 1.4 handle lengths (105 pixels) along the axis.
    const Vec2 ring = Screen(Vec3(0, 0, 0)) + Vec2(105, 0);
    EXPECT_EQ(manager->OnInputEvent(kftest::Press(int(ring.X()), int(ring.Y()))), INPUT_CAPTURE);
    EXPECT_EQ(manager->GetCapturedHandle(), OnlyVector());
    EXPECT_FALSE(manager->GetCandidateAxes().empty());
    // Towards the top of the screen: the object's y axis.
    EXPECT_EQ(manager->OnInputEvent(kftest::DragTo(400, 450)), INPUT_CONSUMED);
    EXPECT_TRUE(Near(OnlyVector()->GetAxis(), Vec3(0, 1, 0), 1e-4f));
    EXPECT_EQ(OnlyVector()->GetFrameMode(), FRAME_MODE_OBJECT);
    // On to the left: the object's -x.
    EXPECT_EQ(manager->OnInputEvent(kftest::DragTo(250, 310)), INPUT_CONSUMED);
    EXPECT_TRUE(Near(OnlyVector()->GetAxis(), Vec3(-1, 0, 0), 1e-4f));
    EXPECT_EQ(manager->OnInputEvent(kftest::Release(400, 450)), INPUT_RELEASE_CAPTURE);
    EXPECT_EQ(manager->GetCapturedHandle(), nullptr);
    // A press on the shaft is the tool manager's.
    const Vec2 shaft = Screen(Vec3(0, 0, 0)) + Vec2(0, 50);
    EXPECT_EQ(manager->OnInputEvent(kftest::Press(int(shaft.X()), int(shaft.Y()))), INPUT_NOT_HANDLED);
}

TEST_F(ManagerRig, WithoutCameraOrToolEveryEventIsNotHandled)
{
    Select(&object);
    LineAlong(Vec2(1, 0));
    InputEvent key;
    key.kind = InputEvent::KEY;
    key.key = 'a';
    const InputEvent events[] = {kftest::Press(505, 300), kftest::DragTo(400, 450), kftest::Release(400, 450),
                                 kftest::Mouse(505, 300, false, false), key};
    host.camera = nullptr;
    for (const InputEvent& e : events) EXPECT_EQ(manager->OnInputEvent(e), INPUT_NOT_HANDLED);
    host.camera = &camera;
    ConstraintManager toolless(&host, nullptr);
    for (const InputEvent& e : events) EXPECT_EQ(toolless.OnInputEvent(e), INPUT_NOT_HANDLED);
    GestureSegment line;
    line.end = Vec2(100, 0);
    EXPECT_FALSE(toolless.OnLine(line));
    EXPECT_FALSE(toolless.OnCrossing(GestureTriple()));
}

// =================================================================== corners

TEST_F(ManagerRig, CornerTurnsAVectorIntoAPlaneHandleAfterSavingTheSet)
{
    Select(&object);
    LineAlong(Vec2(1, 0));
    ASSERT_NE(OnlyVector(), nullptr);
    const size_t saved = tool->GetHistorySize();
    // First leg down across the shaft, 50 pixels along it; then right.
    Stroke(Join(Straight(Vec2(450, 340), Vec2(450, 260), 9), Straight(Vec2(460, 260), Vec2(610, 260), 16)));
    EXPECT_EQ(tool->GetHistorySize(), saved + 1);
    EXPECT_TRUE(Handles(VECTOR_CONSTRAINT).empty());
    ASSERT_EQ(Handles(PLANE_TRANSLATE_CONSTRAINT).size(), 1u);
    Constraint* plane = Handles(PLANE_TRANSLATE_CONSTRAINT)[0];
    EXPECT_TRUE(Near(plane->GetAxis(), Vec3(1, 0, 0), 1e-4f));
    EXPECT_EQ(plane->GetFrameMode(), FRAME_MODE_OBJECT);
    EXPECT_TRUE(plane->GetTarget()->IsFor(&object));
}

TEST_F(ManagerRig, CornerOverAPinnedVectorKeepsItBesideThePlane)
{
    Select(&object);
    LineAlong(Vec2(1, 0));
    OnlyVector()->SetPinned(true);
    Stroke(Join(Straight(Vec2(450, 340), Vec2(450, 260), 9), Straight(Vec2(460, 260), Vec2(610, 260), 16)));
    EXPECT_EQ(Handles(VECTOR_CONSTRAINT).size(), 1u);
    EXPECT_EQ(Handles(PLANE_TRANSLATE_CONSTRAINT).size(), 1u);
}

TEST_F(ManagerRig, CornerOverNothingRebuildsTheDefaultHandles)
{
    GestureTriple corner;
    corner.points[0] = Vec2(100, 500);
    corner.points[1] = Vec2(100, 450);
    corner.points[2] = Vec2(200, 450);
    EXPECT_FALSE(manager->OnCorner(corner));  // no target
    Select(&object);
    object.Translate(Vec3(0.1f, 0, 0), true);
    EXPECT_TRUE(manager->OnCorner(corner));
    ASSERT_EQ(Handles(PLANE_TRANSLATE_CONSTRAINT).size(), 1u);
    ASSERT_EQ(Handles(AXIS_ROTATION_CONSTRAINT).size(), 1u);
    Constraint* plane = Handles(PLANE_TRANSLATE_CONSTRAINT)[0];
    EXPECT_EQ(plane->GetFrameMode(), FRAME_MODE_MANIPULATION);
    EXPECT_TRUE(Near(plane->GetOrigin(), Vec3(0.1f, 0, 0), 1e-5f));  // the frame is re-derived
    EXPECT_TRUE(Near(plane->GetAxis(), Vec3(0, 0, 1), 1e-5f));
    EXPECT_FLOAT_EQ(static_cast<AxisRotationConstraint*>(Handles(AXIS_ROTATION_CONSTRAINT)[0])->GetRadius(),
                    0.4f);
}

TEST_F(ManagerRig, CornerTurnsARingOverAtTheCrossingPoint)
{
    Select(&object);
    ASSERT_TRUE(manager->BuildDefaultHandles());
    auto* ring = static_cast<AxisRotationConstraint*>(Handles(AXIS_ROTATION_CONSTRAINT)[0]);
    // A vector on the ring's axis turns with it.
    auto* onAxis =
        new VectorConstraint(manager->GetCurrentTarget(), Vec3(0, 0, 0), Vec3(0, 0, 1), FRAME_MODE_OBJECT);
    tool->AddHandle(onAxis);
    const size_t saved = tool->GetHistorySize();

    // The ring shows 60 pixels round the origin; the first leg crosses its
    // right side 10 pixels above the centre line.
    const Vec2 legStart(500, 310), corner(440, 310);
    Wml::Ray3<float> through = camera.GetPickRay(459, 310);
    const Vec3 under = through.PointAt(-through.Origin().Z() / through.Direction().Z());
    Vec3 r = ring->NearestRingPoint(under, tool->GetViewData());
    r.Normalize();
    Vec3 expected = r.Cross(Vec3(0, 0, 1));
    expected.Normalize();

    Stroke(Join(Straight(legStart, corner, 7), Straight(Vec2(440, 300), Vec2(440, 190), 12)));
    EXPECT_EQ(tool->GetHistorySize(), saved + 1);
    ASSERT_EQ(Handles(AXIS_ROTATION_CONSTRAINT).size(), 1u);
    auto* turned = static_cast<AxisRotationConstraint*>(Handles(AXIS_ROTATION_CONSTRAINT)[0]);
    EXPECT_NE(turned, ring);
    EXPECT_NEAR(turned->GetAxis().Dot(Vec3(0, 0, 1)), 0.0f, 1e-5f);
    EXPECT_TRUE(Near(turned->GetAxis(), expected, 0.03f));
    EXPECT_FLOAT_EQ(turned->GetRadius(), 0.4f);
    EXPECT_EQ(turned->GetFrameMode(), FRAME_MODE_MANIPULATION);
    ASSERT_EQ(Handles(VECTOR_CONSTRAINT).size(), 1u);
    EXPECT_TRUE(Near(Handles(VECTOR_CONSTRAINT)[0]->GetAxis(), turned->GetAxis(), 1e-5f));
}

// =================================================================== hairpin

TEST_F(ManagerRig, HairpinPinsAndUnpinsTakingTheHandleOut)
{
    std::vector<std::string> messages;
    Wml::ScopedDebugOutputSink sink([&](const char* m) { messages.push_back(m); });
    Select(&object);
    LineAlong(Vec2(1, 0));
    Constraint* vector = OnlyVector();
    ASSERT_NE(vector, nullptr);
    // Down across the shaft and back up.
    const std::vector<Vec2> hairpin =
        Join(Straight(Vec2(450, 380), Vec2(450, 240), 15), Straight(Vec2(454, 250), Vec2(458, 376), 13));
    Stroke(hairpin);
    EXPECT_TRUE(vector->IsPinned());
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back(), "Toggled Pin!\n");
    Stroke(hairpin);
    EXPECT_FALSE(tool->HasHandle(vector));
    EXPECT_TRUE(Handles(VECTOR_CONSTRAINT).empty());
    EXPECT_EQ(messages.back(), "Toggled Pin!\n");

    // Over nothing: declined.
    GestureSegment nothing;
    nothing.start = Vec2(100, 100);
    nothing.end = Vec2(100, 30);
    EXPECT_FALSE(manager->OnHairpin(nothing));
}

// ===================================================== uniform-scale toggle

TEST_F(ManagerRig, CrossingTheScaleDiscTogglesObjectAxisHandles)
{
    Select(&object);
    LineAlong(Vec2(1, 0));
    ASSERT_EQ(Handles(VECTOR_CONSTRAINT).size(), 1u);
    OnlyVector()->SetPinned(true);
    // A world-axis vector is left alone.
    tool->AddHandle(
        new VectorConstraint(manager->GetCurrentTarget(), Vec3(0, 0, 0), Vec3(0, 1, 0), FRAME_MODE_WORLD));
    const size_t saved = tool->GetHistorySize();

    Line(Vec2(370, 330), Vec2(430, 270));  // across the disc at the origin
    ASSERT_EQ(Handles(AXIS_SCALE_CONSTRAINT).size(), 1u);
    Constraint* scale = Handles(AXIS_SCALE_CONSTRAINT)[0];
    EXPECT_TRUE(Near(scale->GetAxis(), Vec3(1, 0, 0), 1e-5f));
    EXPECT_EQ(scale->GetFrameMode(), FRAME_MODE_OBJECT);
    EXPECT_TRUE(scale->IsPinned());
    ASSERT_EQ(Handles(VECTOR_CONSTRAINT).size(), 1u);
    EXPECT_EQ(Handles(VECTOR_CONSTRAINT)[0]->GetFrameMode(), FRAME_MODE_WORLD);
    EXPECT_EQ(tool->GetHistorySize(), saved + 1);

    Line(Vec2(370, 330), Vec2(430, 270));  // and back
    EXPECT_TRUE(Handles(AXIS_SCALE_CONSTRAINT).empty());
    EXPECT_EQ(Handles(VECTOR_CONSTRAINT).size(), 2u);
    EXPECT_EQ(tool->GetHistorySize(), saved + 2);
}

TEST_F(ManagerRig, ScaleDiscOfAGroupConsumesTheLineAndChangesNothing)
{
    kilnform_test::TestModel model;
    vynui_bt::CompositionNodeSceneObject* group = model.NewBlend();
    vynui_bt::BlobTreeNodeSceneObject* leaf = model.NewPoint(Vec3(0, 0, 0));
    model.factory->AttachSceneObject(group, leaf, -1);
    model.factory->AttachSceneObject(model.Root(), group, -1);
    Select(group);
    const Vec2 at = Screen(group->GetFrame().Origin());
    LineAlong(Vec2(1, 0));
    ASSERT_EQ(Handles(VECTOR_CONSTRAINT).size(), 1u);
    GestureSegment across;
    across.start = at + Vec2(-30, 30);
    across.end = at + Vec2(30, -30);
    EXPECT_TRUE(manager->OnLine(across));
    EXPECT_EQ(Handles(VECTOR_CONSTRAINT).size(), 1u);
    EXPECT_TRUE(Handles(AXIS_SCALE_CONSTRAINT).empty());
    manager->ForgetObject(group);
}

// =================================================================== history

TEST_F(ManagerRig, HistoryIsSavedBeforeDefaultAndCornerEditsAndRestoredFromTheNewest)
{
    Select(&object);
    EXPECT_EQ(tool->GetHistorySize(), 0u);  // an empty set is not saved
    LineAlong(Vec2(1, 0));                  // vector, ring, scale
    EXPECT_EQ(tool->GetHistorySize(), 0u);
    // The button's action saves the line's set, then builds plane + ring.
    HUDButton* button = manager->GetScreenManipButton();
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->GetName(), "ScreenManipButton");
    button->OnCross(Wml::Segment2<float>::FromEndPoints(Vec2(0.06f, 0.06f), Vec2(0.06f, 0.06f)));
    ASSERT_EQ(tool->GetHistorySize(), 1u);
    EXPECT_EQ(Handles(PLANE_TRANSLATE_CONSTRAINT).size(), 1u);
    // A corner over nothing saves the default set and rebuilds it.
    GestureTriple corner;
    corner.points[0] = Vec2(100, 500);
    corner.points[1] = Vec2(100, 450);
    corner.points[2] = Vec2(200, 450);
    ASSERT_TRUE(manager->OnCorner(corner));
    ASSERT_EQ(tool->GetHistorySize(), 2u);

    object.Translate(Vec3(0, 0.5f, 0), true);
    struct {
        size_t n;
        bool ok;
        size_t vectors, planes, rings, scales;
    } cases[] = {
        {0, true, 0, 1, 1, 0}, {1, true, 1, 0, 1, 1}, {2, false, 0, 0, 0, 0}, {99, false, 0, 0, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.n);
        const std::vector<Constraint*> before = tool->GetHandles();
        EXPECT_EQ(manager->RestoreHistory(c.n), c.ok);
        if (!c.ok) {
            EXPECT_EQ(tool->GetHandles(), before);
            continue;
        }
        EXPECT_EQ(Handles(VECTOR_CONSTRAINT).size(), c.vectors);
        EXPECT_EQ(Handles(PLANE_TRANSLATE_CONSTRAINT).size(), c.planes);
        EXPECT_EQ(Handles(AXIS_ROTATION_CONSTRAINT).size(), c.rings);
        EXPECT_EQ(Handles(UNIFORM_SCALE_CONSTRAINT).size(), c.scales);
        // Made again where the target is now.
        for (Constraint* handle : tool->GetHandles())
            EXPECT_TRUE(Near(handle->GetOrigin(), Vec3(0, 0.5f, 0), 1e-5f));
    }
    EXPECT_EQ(tool->GetHistorySize(), 2u);  // restoring saves nothing
    manager->SetRecording(false);
    manager->BuildDefaultHandles();
    EXPECT_EQ(tool->GetHistorySize(), 2u);
}

struct HistoryDrag {
    float dy;
    int index;
    bool cleared;
};

void PrintTo(const HistoryDrag& c, std::ostream* os)
{
    *os << "dy " << c.dy << " -> " << c.index << (c.cleared ? " (cleared)" : "");
}

class HistoryButtonDrag : public ManagerRig, public ::testing::WithParamInterface<HistoryDrag> {};

TEST_P(HistoryButtonDrag, DragMapsToIndicesFromTheNewest)
{
    const HistoryDrag& c = GetParam();
    Select(&object);
    // Three saved sets: 1 vector (x), 1 vector (y), default plane.
    LineAlong(Vec2(1, 0));
    manager->BuildDefaultHandles();
    LineAlong(Vec2(0, 1));
    manager->BuildDefaultHandles();
    LineAlong(Vec2(-1, 0));
    manager->BuildDefaultHandles();
    ASSERT_EQ(tool->GetHistorySize(), 3u);
    const std::vector<std::vector<ConstraintDescription>>& history = tool->GetHistory();

    HUDButton* button = manager->GetHistoryButton();
    EXPECT_EQ(button->GetName(), "ConstraintHistory");
    ASSERT_TRUE(button->OnMouseDown(Vec2(0.06f, 0.06f)));
    EXPECT_TRUE(manager->GetHistoryHandler().IsActive());
    EXPECT_EQ(manager->GetHistoryHandler().GetIndex(), 0);
    button->OnMouseDrag(Vec2(0.06f, 0.06f + c.dy));
    EXPECT_EQ(manager->GetHistoryHandler().GetIndex(), c.index);
    if (c.cleared) {
        EXPECT_TRUE(tool->GetHandles().empty());
        EXPECT_TRUE(tool->GetToolTargets().empty());
    } else {
        const std::vector<ConstraintDescription>& set = history[history.size() - 1 - size_t(c.index)];
        ASSERT_EQ(tool->GetHandles().size(), set.size());
        EXPECT_TRUE(Near(tool->GetHandles()[0]->GetAxis(), set[0].axis, 1e-5f));
    }
    EXPECT_FLOAT_EQ(manager->GetHistoryHandler().GetFraction(nullptr), float(c.index) / 2.0f);
    button->OnMouseUp();
    EXPECT_FALSE(manager->GetHistoryHandler().IsActive());
}

INSTANTIATE_TEST_SUITE_P(Drags, HistoryButtonDrag,
                         ::testing::Values(HistoryDrag{0.0f, 0, false}, HistoryDrag{-0.05f, 0, false},
                                           HistoryDrag{-0.1f, 1, false}, HistoryDrag{-0.2f, 2, false},
                                           HistoryDrag{-5.0f, 2, false}, HistoryDrag{0.1f, 0, true},
                                           HistoryDrag{1e30f, 0, true}));

// ============================================================ selection, tap

TEST_F(ManagerRig, SelectionChangeResetsHandlesButKeepsPinnedOnes)
{
    Select(&object);
    LineAlong(Vec2(1, 0));
    Constraint* pinned = OnlyVector();
    pinned->SetPinned(true);
    const size_t saved = tool->GetHistorySize();
    Select(&other);
    EXPECT_EQ(tool->GetHistorySize(), saved + 1);
    ASSERT_EQ(tool->GetHandles().size(), 1u);
    EXPECT_EQ(tool->GetHandles()[0], pinned);
    EXPECT_EQ(manager->GetSelectedObject(), &other);
    ASSERT_NE(manager->GetCurrentTarget(), nullptr);
    EXPECT_TRUE(manager->GetCurrentTarget()->IsFor(&other));
    EXPECT_EQ(tool->GetToolTargets(), std::vector<SceneObject*>{&other});
    // The pinned handle still moves its own object.
    object.Translate(Vec3(0, 0.25f, 0), true);
    EXPECT_TRUE(Near(pinned->GetOrigin(), Vec3(0, 0.25f, 0), 1e-5f));

    // Nothing selected: no target.
    host.objects.ClearSelection();
    manager->OnSelectionChanged(host.objects.GetSelection());
    EXPECT_EQ(manager->GetSelectedObject(), nullptr);
    EXPECT_EQ(manager->GetCurrentTarget(), nullptr);
}

// ===================================================== crossing and pivots

class ShapeRig : public ManagerRig {
protected:
    ShapeRig() : shape(model.NewPoint(Vec3(0, 0, 0))), intersector(shape->GetNode())
    {
        model.factory->AttachSceneObject(model.Root(), shape, -1);
        tools.SetSurfaceIntersector(&intersector);
    }
    ~ShapeRig() override
    {
        manager->ForgetObject(shape);
        tools.SetSurfaceIntersector(nullptr);
    }
    /// The crossing stroke: right, round a loop, down through the first leg.
    void Crossing(Vec2 at, float size)
    {
        const Vec2 a = at + Vec2(-size, 0);
        Stroke(Join(Join(Straight(a, at + Vec2(size, 0), 11),
                         Straight(at + Vec2(size, 0.6f * size), at + Vec2(0, 0.6f * size), 2)),
                    Straight(at + Vec2(0, 0.5f * size), at + Vec2(0, -1.1f * size), 12)));
    }
    PivotSO* MadePivot() const
    {
        for (SceneObject* o : host.objects.GetObjects())
            if (auto* p = dynamic_cast<PivotSO*>(o)) return p;
        return nullptr;
    }

    kilnform_test::TestModel model;
    vynui_bt::BlobTreeNodeSceneObject* shape;
    FieldIntersector intersector;
};

TEST_F(ShapeRig, CrossingOnAShapeDropsAPivotOnItsSurfaceAndLinksTheShape)
{
    Select(shape);
    Crossing(Vec2(400, 300), 30.0f);
    PivotSO* pivot = MadePivot();
    ASSERT_NE(pivot, nullptr);
    EXPECT_FALSE(host.objects.IsSelected(pivot));
    EXPECT_EQ(manager->GetSelectedObject(), shape);  // the scene's own notice did not reset us
    ASSERT_NE(pivot->GetAnchor(), nullptr);
    const Vec3 p = pivot->GetFrame().Origin();
    EXPECT_NEAR(shape->GetNode()->Value(p), 0.5f, 1e-3f);
    EXPECT_GT(p.Z(), 0.1f);
    // Its z axis is the outward normal there.
    Vec3 outward = p;
    outward.Normalize();
    EXPECT_TRUE(Near(pivot->GetFrame().Z(), outward, 0.02f));
    EXPECT_EQ(tool->GetToolTargets(), (std::vector<SceneObject*>{shape, pivot}));
    ASSERT_NE(manager->GetCurrentTarget(), nullptr);
    EXPECT_TRUE(manager->GetCurrentTarget()->IsFor(pivot));
    const ConstraintLink* link = manager->GetLinks().Find(shape);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->target, pivot);
}

TEST_F(ShapeRig, CrossingOffTheSurfaceSuggestsOneAxisOrIsDeclined)
{
    GestureTriple triple;
    triple.points[0] = Vec2(400, 300);
    triple.points[1] = Vec2(700, 100);
    triple.points[2] = Vec2(700, 300);          // off the shape
    EXPECT_FALSE(manager->OnCrossing(triple));  // no target
    Select(shape);
    ASSERT_TRUE(manager->OnCrossing(triple));
    ASSERT_EQ(manager->GetSuggestedAxes().size(), 1u);
    const ConstraintDescription& s = manager->GetSuggestedAxes()[0];
    EXPECT_TRUE(Near(s.axis, Vec3(1, 0, 0), 0.05f));
    EXPECT_TRUE(Near(manager->GetManipulationFrame().Origin(), s.origin, 1e-6f));
    EXPECT_EQ(MadePivot(), nullptr);

    // A line from the axis origin along it makes a vector there.
    GestureSegment along;
    along.start = Screen(s.origin) + Vec2(3, 0);
    along.end = along.start + Vec2(120, 2);
    EXPECT_TRUE(manager->OnLine(along));
    ASSERT_NE(OnlyVector(), nullptr);
    EXPECT_TRUE(Near(OnlyVector()->GetAxis(), s.axis, 1e-4f));
    EXPECT_TRUE(Near(OnlyVector()->GetOrigin(), s.origin, 1e-4f));
    EXPECT_TRUE(manager->GetSuggestedAxes().empty());

    triple.points[0] = Vec2(50, 50);  // both off
    EXPECT_FALSE(manager->OnCrossing(triple));
}

TEST_F(ShapeRig, ScribbleOverThePivotRemovesIt)
{
    Select(shape);
    Crossing(Vec2(400, 300), 30.0f);
    PivotSO* pivot = MadePivot();
    ASSERT_NE(pivot, nullptr);
    const Vec2 at = Screen(pivot->GetFrame().Origin());
    Wml::Box2<float> far;
    far.Center() = at + Vec2(200, 0);
    far.Axis(0) = Vec2(1, 0);
    far.Axis(1) = Vec2(0, 1);
    far.Extent(0) = 20;
    far.Extent(1) = 10;
    EXPECT_FALSE(manager->OnScribble(far));
    Wml::Box2<float> near = far;
    near.Center() = at + Vec2(15, 15);  // within sqrt(20² + 10²) of the pivot
    EXPECT_TRUE(manager->OnScribble(near));
    EXPECT_EQ(MadePivot(), nullptr);
    EXPECT_EQ(host.removed, 1);
    EXPECT_EQ(tool->GetToolTargets(), std::vector<SceneObject*>{shape});
    EXPECT_EQ(manager->GetLinks().Find(shape), nullptr);
    ASSERT_NE(manager->GetCurrentTarget(), nullptr);
    EXPECT_TRUE(manager->GetCurrentTarget()->IsFor(shape));
    // Not a pivot any more: declined.
    EXPECT_FALSE(manager->OnScribble(near));
}

TEST_F(ShapeRig, TapOnAToolTargetSelectsItAlone)
{
    Select(shape);
    Crossing(Vec2(400, 300), 30.0f);
    PivotSO* pivot = MadePivot();
    ASSERT_NE(pivot, nullptr);
    EXPECT_TRUE(manager->OnTap(Screen(pivot->GetFrame().Origin())));
    EXPECT_TRUE(host.objects.IsSelected(pivot));
    EXPECT_EQ(host.objects.GetSelection().Size(), 1u);
    EXPECT_EQ(manager->GetSelectedObject(), pivot);
    EXPECT_FALSE(manager->OnTap(Vec2(20, 20)));
}

TEST_F(ShapeRig, LinkedShapeFollowsItsPivotDraggedWithTheTool)
{
    Select(shape);
    Crossing(Vec2(400, 300), 30.0f);
    PivotSO* pivot = MadePivot();
    ASSERT_NE(pivot, nullptr);
    const Vec3 pivotStart = pivot->GetFrame().Origin();
    LineAlong(Vec2(1, 0));  // a vector on the pivot, no scale disc
    ASSERT_NE(OnlyVector(), nullptr);
    EXPECT_TRUE(OnlyVector()->GetTarget()->IsFor(pivot));
    EXPECT_TRUE(Handles(UNIFORM_SCALE_CONSTRAINT).empty());
    ASSERT_NE(manager->GetLinks().Find(shape), nullptr);

    const Vec2 shaft = Screen(pivotStart) + Vec2(50, 0);
    Stroke(Straight(shaft, shaft + Vec2(60, 0), 7));
    const Vec3 moved = pivot->GetFrame().Origin() - pivotStart;
    EXPECT_GT(moved.X(), 0.05f);
    EXPECT_NEAR(moved.Y(), 0.0f, 1e-5f);
    EXPECT_TRUE(Near(shape->GetFrame().Origin(), moved, 1e-4f));
}

TEST_F(ShapeRig, LineFromTheShapeToAToolTargetLinksAndACrossingLineAppliesTheLink)
{
    Select(shape);
    PivotSO pivot(Wml::Frame3<float>(Vec3(1.5f, 0.5f, 0)));
    host.objects.AddObject(&pivot, false);
    tool->AddToolTarget(&pivot);
    const Vec2 from = Screen(Vec3(0, 0, 0)), to = Screen(pivot.GetFrame().Origin());
    Line(from, to);
    const ConstraintLink* link = manager->GetLinks().Find(shape);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->target, &pivot);
    EXPECT_TRUE(tool->GetHandles().empty());  // taken as a link, no handles

    // The shape now follows the pivot.
    pivot.Translate(Vec3(0, 0.25f, 0), true);
    EXPECT_TRUE(Near(shape->GetFrame().Origin(), Vec3(0, 0.25f, 0), 1e-5f));

    // A corner whose first leg crosses the link's arrow steeply applies it:
    // the shape jumps onto the pivot.
    const Vec2 a = Screen(shape->GetFrame().Origin()), b = Screen(pivot.GetFrame().Origin());
    const Vec2 mid = (a + b) * 0.5f;
    Vec2 across(a.Y() - b.Y(), b.X() - a.X());
    across.Normalize();
    GestureTriple corner;
    corner.points[0] = mid + across * 40.0f;
    corner.points[1] = mid - across * 40.0f;
    corner.points[2] = corner.points[1] + Vec2(100, 0);
    EXPECT_TRUE(manager->OnCorner(corner));
    EXPECT_TRUE(Near(shape->GetFrame().Origin(), pivot.GetFrame().Origin(), 1e-4f));
    EXPECT_TRUE(tool->GetHandles().empty());  // no default handles: the link took it
    manager->ForgetObject(&pivot);
}

TEST_F(ShapeRig, LineFromTheShapeOntoASurfaceLinksToAFixedFrameThere)
{
    Select(shape);
    const Vec2 centre = Screen(Vec3(0, 0, 0));
    // Starts on the shape and ends within its disc (about 70 pixels across):
    // the surface, not a tool target.
    Line(centre - Vec2(40, 0), centre + Vec2(40, 0));
    const ConstraintLink* link = manager->GetLinks().Find(shape);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->target, nullptr);
    EXPECT_NEAR(shape->GetNode()->Value(link->fixedFrame.Origin()), 0.5f, 1e-3f);
    // A line that starts off the shape makes handles instead, and keeps the link.
    LineAlong(Vec2(1, 0));
    EXPECT_NE(OnlyVector(), nullptr);
    EXPECT_NE(manager->GetLinks().Find(shape), nullptr);
}

TEST_F(ShapeRig, LineThroughAnotherToolTargetRelinksAndRetargets)
{
    Select(shape);
    PivotSO first(Wml::Frame3<float>(Vec3(1.5f, 0, 0)));
    PivotSO second(Wml::Frame3<float>(Vec3(-1.5f, 0, 0)));
    for (PivotSO* p : {&first, &second}) {
        host.objects.AddObject(p, false);
        tool->AddToolTarget(p);
    }
    const Vec2 at = Screen(first.GetFrame().Origin());
    Line(at + Vec2(-20, 120), at + Vec2(5, -100));
    ASSERT_NE(manager->GetCurrentTarget(), nullptr);
    EXPECT_TRUE(manager->GetCurrentTarget()->IsFor(&first));
    ASSERT_NE(manager->GetLinks().Find(shape), nullptr);
    EXPECT_EQ(manager->GetLinks().Find(shape)->target, &first);
    EXPECT_TRUE(tool->GetHandles().empty());

    // Handles made now move the pivot, and the shape comes along.
    LineAlong(Vec2(0, 1));
    ASSERT_NE(OnlyVector(), nullptr);
    EXPECT_TRUE(OnlyVector()->GetTarget()->IsFor(&first));

    // Through the other one: the shape follows that one instead.
    const Vec2 other = Screen(second.GetFrame().Origin());
    Line(other + Vec2(20, 120), other + Vec2(-5, -100));
    EXPECT_TRUE(manager->GetCurrentTarget()->IsFor(&second));
    EXPECT_EQ(manager->GetLinks().Find(shape)->target, &second);
    EXPECT_EQ(manager->GetLinks().GetLinks().size(), 1u);
    first.Translate(Vec3(1, 0, 0), true);
    EXPECT_TRUE(Near(shape->GetFrame().Origin(), Vec3(0, 0, 0), 1e-5f));
    manager->ForgetObject(&first);
    manager->ForgetObject(&second);
}

TEST_F(ManagerRig, ForgottenObjectLeavesNoHandleTargetOrLink)
{
    Select(&object);
    LineAlong(Vec2(1, 0));
    OnlyVector()->SetPinned(true);
    ASSERT_TRUE(manager->GetLinks().Link(&other, &object));
    {
        auto doomed = std::make_unique<FramedObject>(Vec3(0, 1, 0));
        Select(doomed.get());
        LineAlong(Vec2(0, 1));
        ASSERT_EQ(Handles(VECTOR_CONSTRAINT).size(), 2u);
        manager->ForgetObject(doomed.get());
        host.objects.RemoveObject(doomed.get());
    }
    EXPECT_EQ(manager->GetSelectedObject(), nullptr);
    EXPECT_EQ(manager->GetCurrentTarget(), nullptr);
    ASSERT_EQ(tool->GetHandles().size(), 1u);  // the first object's pinned vector
    EXPECT_TRUE(tool->GetHandles()[0]->GetTarget()->IsFor(&object));
    EXPECT_TRUE(tool->GetToolTargets().empty());
    // Gestures after it are harmless.
    GestureTriple corner;
    corner.points[0] = Vec2(100, 500);
    corner.points[1] = Vec2(100, 450);
    corner.points[2] = Vec2(200, 450);
    EXPECT_FALSE(manager->OnCorner(corner));
    object.Translate(Vec3(0, 0, 0.5f), true);
    EXPECT_TRUE(Near(tool->GetHandles()[0]->GetOrigin(), Vec3(0, 0, 0.5f), 1e-5f));
}

TEST_F(ShapeRig, GesturesWithNonFiniteOrWildPointsChangeNothing)
{
    Select(shape);
    LineAlong(Vec2(1, 0));
    const std::vector<Constraint*> handles = tool->GetHandles();
    const float nan = std::nanf(""), inf = INFINITY;
    for (float bad : {nan, inf, -inf}) {
        SCOPED_TRACE(bad);
        GestureSegment segment;
        segment.start = Vec2(bad, 300);
        segment.end = Vec2(400, bad);
        GestureTriple triple;
        triple.points[0] = Vec2(400, 300);
        triple.points[1] = Vec2(bad, 10);
        triple.points[2] = Vec2(400, bad);
        Wml::Box2<float> box;
        box.Center() = Screen(Vec3(0, 0, 0));
        box.Axis(0) = Vec2(1, 0);
        box.Axis(1) = Vec2(0, 1);
        box.Extent(0) = bad;
        box.Extent(1) = 10;
        EXPECT_FALSE(manager->OnTap(Vec2(bad, bad)));
        EXPECT_FALSE(manager->OnLine(segment));
        EXPECT_FALSE(manager->OnHairpin(segment));
        EXPECT_FALSE(manager->OnCorner(triple));
        EXPECT_FALSE(manager->OnCrossing(triple));
        EXPECT_FALSE(manager->OnScribble(box));
        EXPECT_EQ(tool->GetHandles(), handles);
    }
    // Points far outside the window: no pivot, nothing lost.
    GestureTriple far;
    far.points[0] = Vec2(1e30f, -1e30f);
    far.points[1] = Vec2(-1e30f, 1e30f);
    far.points[2] = Vec2(1e30f, 1e30f);
    EXPECT_FALSE(manager->OnCrossing(far));
    EXPECT_EQ(host.objects.GetObjects().Size(), 1u);
    EXPECT_EQ(manager->GetSelectedObject(), shape);
}

TEST(ConstraintManagerInstance, OneProcessWideManagerThatIdlesWithoutAView)
{
    ConstraintManager& manager = GetConstraintManager();
    EXPECT_EQ(&manager, &GetConstraintManager());
    EXPECT_TRUE(manager.IsRecording());
    EXPECT_EQ(manager.OnInputEvent(kftest::Press(10, 10)), INPUT_NOT_HANDLED);
    EXPECT_FALSE(manager.OnTap(Vec2(10, 10)));
    EXPECT_FALSE(manager.BuildDefaultHandles());
    EXPECT_FALSE(manager.RestoreHistory(0));
    ASSERT_NE(manager.GetScreenManipButton(), nullptr);
    ASSERT_NE(manager.GetHistoryButton(), nullptr);
    EXPECT_EQ(manager.GetHistoryButton()->GetWidgets().size(), 1u);
}

// ================================================================ end to end

TEST_F(ShapeRig, LineAlongTheShapeXAxisThenDragMovesTheShapeAlongX)
{
    Select(shape);
    LineAlong(Vec2(1, 0));
    VectorConstraint* vector = OnlyVector();
    ASSERT_NE(vector, nullptr);
    EXPECT_TRUE(Near(vector->GetAxis(), Vec3(1, 0, 0), 1e-4f));

    // Press on the arrow's shaft and drag 90 pixels right.
    const Vec2 shaft = Screen(Vec3(0, 0, 0)) + Vec2(50, 0);
    EXPECT_EQ(manager->OnInputEvent(kftest::Press(int(shaft.X()), int(shaft.Y()))), INPUT_NOT_HANDLED);
    Stroke(Straight(shaft, shaft + Vec2(90, 0), 10));
    const Vec3 origin = shape->GetFrame().Origin();
    const Vec3 expected =
        (Wml::Ray3<float>(camera.GetPickRay(int(shaft.X()) + 90, int(shaft.Y())))).PointAt(5.0f) -
        camera.GetPickRay(int(shaft.X()), int(shaft.Y())).PointAt(5.0f);
    EXPECT_NEAR(origin.X(), expected.X(), 0.02f);
    EXPECT_GT(origin.X(), 0.1f);
    EXPECT_NEAR(origin.Y(), 0.0f, 1e-5f);
    EXPECT_NEAR(origin.Z(), 0.0f, 1e-5f);
    // The handle followed its shape.
    EXPECT_TRUE(Near(vector->GetOrigin(), origin, 1e-5f));
}

}  // namespace
