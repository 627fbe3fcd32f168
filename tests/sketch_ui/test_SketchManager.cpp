// The sketch manager driven as the view drives it: mouse drags through the
// input stream and gesture engine, suggestions on its toolbar, commands,
// gestures that edit the sketch and the options dialog.

#include <cmath>

#include "SketchTestSupport.h"
#include "blobtree/RootNode.h"
#include "sketch/Stroke.h"
#include "surface/RenderingManager.h"
#include "surface/SurfaceTreeNode.h"
#include "wml/DebugOutput.h"

using namespace sketchui_test;
using vynui::CSketchManager;

namespace {

const Vector2f kCentre(400.0f, 300.0f);

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

TEST(SketchGestures, QuickLeftFlickPopsTheLastStrokeSlowOrSketchyDoesNot)
{
    struct FlickCase {
        const char* name;
        double step;  // seconds between mouse reports
        Vector2f direction;
        unsigned strokesAfter;
    };
    const FlickCase cases[] = {
        {"quick, leftward", 0.005, Vector2f(-1.0f, 0.0f), 1},
        // Not a flick: the line stays in the sketch as a stroke.
        {"slow, leftward", 0.05, Vector2f(-1.0f, 0.0f), 3},
        {"quick, rightward", 0.005, Vector2f(1.0f, 0.0f), 3},
    };
    for (const FlickCase& c : cases) {
        SCOPED_TRACE(c.name);
        SketchRig rig;
        rig.Drag(Mouse(Ellipse(kCentre, 120.0f, 90.0f)));
        rig.Drag(Mouse(Bowed(Vector2f(300.0f, 450.0f), Vector2f(500.0f, 470.0f), 25.0f), 3));
        ASSERT_EQ(2u, rig.sketch->GetStrokeFactory().GetNumStrokes());
        std::vector<std::string> trace;
        Wml::ScopedDebugOutputSink sink([&](const char* m) { trace.push_back(m); });
        const Vector2f start(600.0f, 100.0f);
        std::vector<Vector2f> line;
        for (int i = 0; i <= 8; ++i) line.push_back(start + c.direction * (20.0f * float(i)));
        rig.Drag(line, c.step);
        EXPECT_EQ(c.strokesAfter, rig.sketch->GetStrokeFactory().GetNumStrokes());
        const bool popped = c.strokesAfter == 1;
        EXPECT_EQ(popped, std::any_of(trace.begin(), trace.end(),
                                      [](const std::string& m) { return m.rfind("Time delta: ", 0) == 0; }));
        if (popped) {
            EXPECT_TRUE(rig.sketch->HasClosedPolyLine());
        }
    }
}

TEST(SketchGestures, LeftFlickOnAnEmptySketchIsLeftToOthers)
{
    SketchRig rig;
    vynui::GestureSegment flick;
    flick.start = Vector2f(600, 100);
    flick.end = Vector2f(400, 100);
    flick.duration = 0.05f;
    EXPECT_FALSE(rig.sketch->OnLine(flick));
}

TEST(SketchGestures, ScribbleErasesOnlyOverStrokes)
{
    SketchRig rig;
    const Path scribble = sketchtest::ZigZag(Vector2f(200.0f, 240.0f), 150.0f, 12.0f, 9);
    // On an empty sketch the zig-zag is a stroke like any other.
    rig.Drag(sketchtest::SampleMouse(scribble, 4.0f, 0.35f, 21));
    EXPECT_EQ(1u, rig.sketch->GetStrokeFactory().GetNumStrokes());
    rig.sketch->OnCommand("Clear Strokes");
    EXPECT_EQ(0u, rig.sketch->GetStrokeFactory().GetNumStrokes());

    // Over a stroke it erases what lies under it; a stroke elsewhere stays.
    rig.Drag(Mouse(Bowed(Vector2f(225.0f, 280.0f), Vector2f(325.0f, 280.0f), 8.0f), 5));
    rig.Drag(Mouse(Bowed(Vector2f(500.0f, 450.0f), Vector2f(650.0f, 450.0f), 10.0f), 6));
    ASSERT_EQ(2u, rig.sketch->GetStrokeFactory().GetNumStrokes());
    rig.Drag(sketchtest::SampleMouse(scribble, 4.0f, 0.35f, 21));
    ASSERT_EQ(1u, rig.sketch->GetStrokeFactory().GetNumStrokes());
    EXPECT_GT(rig.sketch->GetStrokeFactory().GetStroke(0)->GetVertex(0).X(), 450.0f);
}

TEST(SketchGestures, LShapedStrokeAcrossAShapeSetsACuttingPlaneAndKeepsTheStrokes)
{
    SketchRig rig;
    rig.PointAt(Vector3f::ZERO);
    const Vector2f c = rig.PixelOf(Vector3f::ZERO);
    // Down from above the shape, across it, then off to the right.
    std::vector<Vector2f> l =
        Mouse(sketchtest::Line(c + Vector2f(0.0f, 200.0f), c + Vector2f(0.0f, -40.0f)), 3, 0.2f);
    const std::vector<Vector2f> leg =
        Mouse(sketchtest::Line(c + Vector2f(0.0f, -40.0f), c + Vector2f(220.0f, -40.0f)), 4, 0.2f);
    l.insert(l.end(), leg.begin() + 1, leg.end());
    rig.Drag(l);
    Wml::Frame3<float> plane;
    EXPECT_TRUE(rig.Root()->GetRootNode()->GetCuttingPlane(plane));
    EXPECT_TRUE(rig.sketch->IsCuttingPlaneActive());
    EXPECT_EQ(1u, rig.sketch->GetStrokeFactory().GetNumStrokes());
    EXPECT_EQ(0u, rig.sketch->GetNumStrokeSamples());
    // The plane passes through the shape, across the view.
    EXPECT_LT(plane.Origin().Length(), 1.0f);
    EXPECT_LT(std::fabs(plane.Z().Dot(rig.camera.GetDirection())), 0.2f);
}

TEST(SketchOperations, EveryOperationMissingWhatItNeedsAnswersNullAndChangesNothing)
{
    struct MissingCase {
        const char* name;
        int code;
        std::function<void(SketchRig&)> setUp;
    };
    const MissingCase cases[] = {
        {"blend sweep, no shape hit", CSketchManager::BlendSweepToSurface,
         [](SketchRig& rig) { rig.Drag(Mouse(Ellipse(kCentre, 100.0f, 80.0f))); }},
        {"blend revolution, no shape hit", CSketchManager::BlendRevolutionToSurface,
         [](SketchRig& rig) { rig.Drag(Mouse(Ellipse(kCentre, 100.0f, 80.0f))); }},
        {"blend revolution onto a hit shape", CSketchManager::BlendRevolutionToSurface,
         [](SketchRig& rig) {
             rig.PointAt(Vector3f::ZERO);
             rig.Drag(Mouse(Ellipse(rig.PixelOf(Vector3f::ZERO), 25.0f, 20.0f)));
         }},
        {"cut, no shape hit", CSketchManager::CutFromSurface,
         [](SketchRig& rig) { rig.Drag(Mouse(Ellipse(kCentre, 100.0f, 80.0f))); }},
        {"join, one shape", CSketchManager::JoinUnion,
         [](SketchRig& rig) {
             rig.PointAt(Vector3f::ZERO);
             rig.Drag(Mouse(Ellipse(rig.PixelOf(Vector3f::ZERO), 25.0f, 20.0f)));
         }},
        {"join blend, nothing hit", CSketchManager::JoinBlend,
         [](SketchRig& rig) { rig.Drag(Mouse(Ellipse(kCentre, 100.0f, 80.0f))); }},
        {"blobby, no sketch", CSketchManager::BlobbySweep, [](SketchRig&) {}},
        {"linear, no sketch", CSketchManager::LinearSweep, [](SketchRig&) {}},
        {"revolution, no sketch", CSketchManager::Revolution, [](SketchRig&) {}},
        {"surface points, nothing hit", CSketchManager::SurfacePointsLine,
         [](SketchRig& rig) { rig.Drag(Mouse(Ellipse(kCentre, 100.0f, 80.0f))); }},
        {"resize without points", CSketchManager::ResizeSweep,
         [](SketchRig& rig) { rig.Drag(Mouse(Ellipse(kCentre, 100.0f, 80.0f))); }},
        {"out of range", 12, [](SketchRig& rig) { rig.Drag(Mouse(Ellipse(kCentre, 100.0f, 80.0f))); }},
    };
    for (const MissingCase& c : cases) {
        SCOPED_TRACE(c.name);
        SketchRig rig;
        c.setUp(rig);
        const std::size_t objects = rig.scene.GetObjectManager()->GetObjects().Size();
        const unsigned strokes = rig.sketch->GetStrokeFactory().GetNumStrokes();
        const std::vector<std::string> buttons = rig.Buttons();
        EXPECT_EQ(nullptr, rig.sketch->RunOperation(c.code));
        EXPECT_EQ(objects, rig.scene.GetObjectManager()->GetObjects().Size());
        EXPECT_EQ(strokes, rig.sketch->GetStrokeFactory().GetNumStrokes());
        EXPECT_EQ(buttons, rig.Buttons());
    }
}

TEST(SketchOperations, JoinsUniteTheFirstAndLastShapeHit)
{
    for (int code : {int(CSketchManager::JoinUnion), int(CSketchManager::JoinBlend)}) {
        SCOPED_TRACE(code);
        SketchRig rig;
        vynui_bt::BlobTreeNodeSceneObject* a = rig.PointAt(kLeft);
        vynui_bt::BlobTreeNodeSceneObject* b = rig.PointAt(kRight);
        rig.Drag(Mouse(Bowed(rig.PixelOf(kLeft), rig.PixelOf(kRight), 30.0f)));
        const int button = code == CSketchManager::JoinUnion ? CSketchManager::JoinUnionButton
                                                             : CSketchManager::JoinBlendButton;
        ASSERT_TRUE(rig.Offers(rig.sketch->GetButton(button)->GetName()));
        rig.Press(button);
        auto* join = dynamic_cast<vynui_bt::BlobTreeNodeSceneObject*>(rig.sketch->GetLastCreatedObject());
        ASSERT_NE(nullptr, join);
        EXPECT_EQ(code, rig.sketch->GetLastOperation());
        EXPECT_EQ(join, a->GetParent());
        EXPECT_EQ(join, b->GetParent());
        EXPECT_EQ(1u, rig.TopLevelCount());
        EXPECT_EQ(code == CSketchManager::JoinBlend ? vynbt::BlobTreeNode::NodeType::RicciBlend
                                                    : join->GetNode()->GetType(),
                  join->GetNode()->GetType());
        EXPECT_EQ(0u, rig.sketch->GetStrokeFactory().GetNumStrokes());
    }
}

TEST(SketchCommands, MenuCommandsAndTheCheckMark)
{
    SketchRig rig;
    vynui::CommandState state;
    ASSERT_TRUE(rig.sketch->OnUpdateCommand("Suggest Implicits", state));
    EXPECT_TRUE(state.checked);
    rig.Drag(Mouse(Ellipse(kCentre, 120.0f, 90.0f)));
    rig.Drag(Mouse(Bowed(Vector2f(300.0f, 480.0f), Vector2f(500.0f, 500.0f), 20.0f), 3));
    EXPECT_TRUE(rig.sketch->OnCommand("Pop Stroke"));
    EXPECT_EQ(1u, rig.sketch->GetStrokeFactory().GetNumStrokes());
    EXPECT_TRUE(rig.scene.SketchHasStrokes());
    EXPECT_TRUE(rig.sketch->OnCommand("Suggest Implicits"));
    ASSERT_TRUE(rig.sketch->OnUpdateCommand("Suggest Implicits", state));
    EXPECT_FALSE(state.checked);
    EXPECT_EQ(std::vector<std::string>{"ClearSketchButton"}, rig.Buttons());
    EXPECT_TRUE(rig.sketch->OnCommand("Clear Strokes"));
    EXPECT_EQ(0u, rig.sketch->GetStrokeFactory().GetNumStrokes());
    EXPECT_FALSE(rig.scene.SketchHasStrokes());
    EXPECT_TRUE(rig.Buttons().empty());
    EXPECT_FALSE(rig.sketch->OnCommand("Open..."));
}

TEST(SketchCommands, NprModeOfTheRendererLeavesTheSurfacesOnly)
{
    SketchRig rig;
    vynui::CRenderingManager rendering(&rig.surfaces);
    // Wired as the view wires them: the renderer knows nothing of the sketch.
    rendering.SetSurfaceOnlyHook([&rig](bool on) { rig.sketch->SetSurfaceOnly(on); });
    EXPECT_FALSE(rig.sketch->GetSurfaceOnly());
    ASSERT_TRUE(rendering.OnCommand("Show Mesh"));
    EXPECT_FALSE(rig.sketch->GetSurfaceOnly());
    ASSERT_TRUE(rendering.OnCommand("NPR Mode"));
    EXPECT_TRUE(rig.sketch->GetSurfaceOnly());
    ASSERT_TRUE(rendering.OnCommand("NPR Mode"));  // sets, never toggles
    EXPECT_TRUE(rig.sketch->GetSurfaceOnly());
}

TEST(SketchCommands, ReplayFeedsTheLastStrokeAgain)
{
    SketchRig rig;
    rig.sketch->ReplayLastStroke();  // nothing remembered yet
    EXPECT_EQ(0u, rig.sketch->GetStrokeFactory().GetNumStrokes());
    rig.Drag(Mouse(Ellipse(kCentre, 120.0f, 90.0f)));
    rig.sketch->OnCommand("Clear Strokes");
    rig.sketch->ReplayLastStroke();
    EXPECT_EQ(1u, rig.sketch->GetStrokeFactory().GetNumStrokes());
    EXPECT_TRUE(rig.Offers("BlobbySweepButton"));
}

TEST(SketchToolbar, BuiltOnceAsAHorizontalRowAtTheBottom)
{
    SketchRig rig;
    vynui::HUDToolbar* toolbar = rig.sketch->GetToolbar();
    EXPECT_EQ("SuggestionListToolbar", toolbar->GetName());
    EXPECT_EQ(vynui::HUDToolbar::HORIZONTAL, toolbar->GetLayout());
    EXPECT_FALSE(toolbar->IsClosable());
    rig.Drag(Mouse(Ellipse(kCentre, 120.0f, 90.0f)));
    EXPECT_NEAR(-0.2f, toolbar->GetBox().Min(0), 1e-5f);
    EXPECT_NEAR(-1.0f, toolbar->GetBox().Min(1), 1e-5f);
    for (int i = 0; i < CSketchManager::NumButtons; ++i) {
        const Wml::AxisAlignedBox2<float> box = rig.sketch->GetButton(i)->GetBox();
        EXPECT_NEAR(vynui::HUDButton::ICON_SIZE, box.Max(0) - box.Min(0), 1e-5f);
    }
}

TEST(SketchOptionsDialog, DoubleClickRunsByTextAndTheSliderFollowsItsLabel)
{
    SketchRig rig;
    vynui::CSketchOptionsDialog& dialog = rig.sketch->GetOptionsDialog();
    for (const std::string& item : dialog.GetItems()) EXPECT_FALSE(item.empty());
    rig.Drag(Mouse(Ellipse(kCentre, 120.0f, 90.0f)));
    EXPECT_EQ(nullptr, dialog.OnItemDoubleClicked("Nothing Like It"));
    EXPECT_EQ(1u, rig.sketch->GetStrokeFactory().GetNumStrokes());
    EXPECT_NE(nullptr, dialog.OnItemDoubleClicked("Blobby Thing"));
    EXPECT_EQ(1u, rig.TopLevelCount());

    struct SliderCase {
        float minimum, maximum, value;
        const char* label;
        bool enabled;
        int position;
    };
    const SliderCase sliders[] = {
        {0.0f, 1.0f, 0.5f, "No Option", false, 500}, {0.0f, 2.0f, 0.5f, "Depth", true, 250},
        {1.0f, 2.0f, 5.0f, "Depth", true, 1000},     {1.0f, 2.0f, -5.0f, "Depth", true, 0},
        {1.0f, 1.0f, 1.0f, "Depth", true, 0},        {0.0f, 1.0f, NAN, "Depth", true, 0},
    };
    for (const SliderCase& s : sliders) {
        dialog.SetParameterSlider(s.minimum, s.maximum, s.value, s.label);
        EXPECT_EQ(s.label, dialog.GetSliderLabel());
        EXPECT_EQ(s.enabled, dialog.IsSliderEnabled());
        EXPECT_EQ(s.position, dialog.GetSliderPosition());
    }
    // A new stroke resets the slider.
    rig.Drag(Mouse(Ellipse(kCentre, 120.0f, 90.0f)));
    EXPECT_EQ("No Option", dialog.GetSliderLabel());
    EXPECT_EQ(500, dialog.GetSliderPosition());
    EXPECT_EQ(nullptr, rig.sketch->GetLastCreatedObject());
}

TEST(SketchToolbar, ConstraintManagerOffersScreenManipulationWhileItHasATarget)
{
    SketchRig rig;
    rig.constraints.SetHost(&rig.scene);
    rig.constraints.SetToolManager(&rig.tools);
    rig.sketch->AddComponent(&rig.constraints);
    rig.sketch->AddComponent(&rig.constraints);  // once only
    rig.Drag(Mouse(Ellipse(kCentre, 120.0f, 90.0f)));
    EXPECT_FALSE(rig.Offers("ScreenManipButton"));

    vynui_bt::BlobTreeNodeSceneObject* shape = rig.PointAt(Vector3f(2.0f, 1.5f, 0.0f));
    rig.scene.SelectObject(shape, true);
    rig.constraints.OnSelectionChanged(rig.scene.GetObjectManager()->GetSelection());
    ASSERT_NE(nullptr, rig.constraints.GetCurrentTarget());
    rig.Drag(Mouse(Ellipse(kCentre, 120.0f, 90.0f), 9));
    const std::vector<std::string> buttons = rig.Buttons();
    EXPECT_EQ(1, std::count(buttons.begin(), buttons.end(), "ScreenManipButton"));
    // The manager's own suggestions come first.
    EXPECT_EQ("ScreenManipButton", buttons.back());
    rig.sketch->RemoveComponent(&rig.constraints);
}

namespace {

class CountingObserver : public vynui::SketchObserver {
public:
    void OnSketchChanged() override { ++count; }
    int count = 0;
};

// Offers one named button from a toolbar of its own.
class FixedComponent : public vynui::ISketchInterfaceComponent {
public:
    FixedComponent(const std::string& name, bool exclusive) : button(name, nullptr), m_exclusive(exclusive) {}
    bool IsExclusive() override { return m_exclusive; }
    void AddSuggestions(vynui::HUDToolbar* toolbar) override { toolbar->AddButton(&button); }
    vynui::HUDButton button;

private:
    bool m_exclusive;
};

}  // namespace

TEST(SketchToolbar, ComponentsAddInOrderUnlessOneIsExclusive)
{
    SketchRig rig;
    FixedComponent first("First", false), exclusive("Exclusive", true), later("Later", true);
    rig.sketch->AddComponent(&first);
    rig.Drag(Mouse(Ellipse(kCentre, 120.0f, 90.0f)));
    EXPECT_EQ((std::vector<std::string>{"ClearSketchButton", "BlobbySweepButton", "LinearSweepButton",
                                        "RevolutionButton", "First"}),
              rig.Buttons());
    rig.sketch->AddComponent(&exclusive);
    rig.sketch->AddComponent(&later);
    rig.sketch->UpdateSuggestions();
    EXPECT_EQ((std::vector<std::string>{"ClearSketchButton", "Exclusive"}), rig.Buttons());
    rig.sketch->RemoveComponent(&exclusive);
    rig.sketch->RemoveComponent(&later);
    rig.sketch->RemoveComponent(rig.sketch.get());  // the manager itself stays
    rig.sketch->UpdateSuggestions();
    EXPECT_EQ(5u, rig.Buttons().size());
    rig.sketch->RemoveComponent(&first);
}

TEST(SketchObservers, ToldAfterEveryChangeOfTheSketch)
{
    SketchRig rig;
    CountingObserver observer;
    rig.sketch->AddObserver(&observer);
    const std::function<void()> changes[] = {
        [&] { rig.Drag(Mouse(Ellipse(kCentre, 120.0f, 90.0f))); },
        [&] { rig.sketch->OnCommand("Pop Stroke"); },
        [&] { rig.sketch->ReplayLastStroke(); },
        [&] { rig.sketch->OnCommand("Clear Strokes"); },
    };
    for (const auto& change : changes) {
        const int before = observer.count;
        change();
        EXPECT_GT(observer.count, before);
    }
    rig.sketch->RemoveObserver(&observer);
    const int before = observer.count;
    rig.Drag(Mouse(Ellipse(kCentre, 120.0f, 90.0f)));
    EXPECT_EQ(before, observer.count);
}

TEST(SketchProjection, CastsHonourTheCuttingPlaneWhileItIsSet)
{
    SketchRig rig;
    rig.PointAt(Vector3f::ZERO);
    const Vector2f c = rig.PixelOf(Vector3f::ZERO);
    // A plane through the shape facing the viewer: its front half is cut away
    // while the plane is on, so rays meet the shape deeper.
    rig.Drag(Mouse(Ellipse(c, 20.0f, 15.0f), 5));
    ASSERT_TRUE(rig.sketch->AllHit());
    const float openDepth = rig.sketch->GetContext().strokeSamples.front().surfacePoint.Z();
    rig.sketch->OnCommand("Clear Strokes");

    rig.scene.SetCuttingPlane(
        Wml::Frame3<float>::FromOriginAndNormal(Vector3f::ZERO, Vector3f(0.0f, 0.0f, 1.0f)));
    EXPECT_TRUE(rig.sketch->IsCuttingPlaneActive());
    rig.Drag(Mouse(Ellipse(c, 20.0f, 15.0f), 5));
    ASSERT_FALSE(rig.sketch->GetContext().strokeSamples.empty());
    const vynui::SketchSample& cut = rig.sketch->GetContext().strokeSamples.front();
    // Either the ray now misses or it meets the shape at or behind the plane.
    if (cut.object) {
        EXPECT_LT(cut.surfacePoint.Z(), openDepth - 0.05f);
    }
    Wml::Frame3<float> plane;
    EXPECT_TRUE(rig.Root()->GetRootNode()->GetCuttingPlane(plane));
    rig.scene.ClearCuttingPlane();
    EXPECT_FALSE(rig.sketch->IsCuttingPlaneActive());
}

TEST(SketchManagerAccess, ProcessWideManagerIsMadeOnceAndDrivesTheCurrentScene)
{
    Wml::ExtendedWmlCamera camera(800.0f, 600.0f);
    camera.SetViewport(800, 600);
    vynui::CSketchManager* manager = vynui::GetSketchManager(&camera);
    ASSERT_NE(nullptr, manager);
    EXPECT_EQ(manager, vynui::GetSketchManager());
    const unsigned area[4] = {0, 0, 1000, 500};
    manager->SetDrawingAreaSize(area);
    EXPECT_FLOAT_EQ(1000.0f, manager->GetStrokeFactory().GetDrawingAreaSize().X());
    EXPECT_FALSE(vynui::GetSceneManager()->SketchHasStrokes());
}

namespace {

// A detail layer stacked on the surface: a flat sheet at z = 0.25 inside a
// square of half size `half`.
class SheetLayer : public vynui::SurfaceTreeNode {
public:
    explicit SheetLayer(float half) : m_half(half) {}
    bool IntersectRay(const Vector3f& p0, const Vector3f& p1, Vector3f& hit, Vector3f& normal,
                      unsigned int& triangle) override
    {
        const Vector3f d = p1 - p0;
        if (std::fabs(d.Z()) < 1e-9f) return false;
        const float t = (0.25f - p0.Z()) / d.Z();
        if (t < 0.0f || t > 1.0f) return false;
        hit = p0 + d * t;
        if (std::fabs(hit.X()) > m_half || std::fabs(hit.Y()) > m_half) return false;
        normal = Vector3f(0.0f, 0.0f, 1.0f);
        triangle = 0;
        return true;
    }

private:
    float m_half;
};

}  // namespace

TEST(SketchProjection, OnADetailSurfaceTheLayerIsHitAndShapeEditsAreRefused)
{
    SketchRig rig;
    rig.PointAt(Vector3f(3.0f, 0.0f, 0.0f));  // a shape the sheet hides nothing of
    SheetLayer sheet(1.0f);
    ASSERT_TRUE(rig.surfaces.PushNode(0, &sheet));
    const Vector2f c = rig.PixelOf(Vector3f(0.0f, 0.0f, 0.25f));
    rig.Drag(Mouse(Ellipse(c, 30.0f, 25.0f), 5));
    ASSERT_TRUE(rig.sketch->AllHit());
    EXPECT_EQ(&sheet, rig.sketch->GetFirstHitObject());
    for (const auto& s : rig.sketch->GetContext().strokeSamples)
        EXPECT_NEAR(0.25f, s.surfacePoint.Z(), 1e-4f);
    EXPECT_TRUE(rig.Offers("CutSurfaceButton"));
    // The hit is a surface layer, not a shape: nothing to blend into or cut.
    const std::size_t objects = rig.scene.GetObjectManager()->GetObjects().Size();
    EXPECT_EQ(nullptr, rig.sketch->RunOperation(vynui::CSketchManager::CutFromSurface));
    EXPECT_EQ(nullptr, rig.sketch->RunOperation(vynui::CSketchManager::BlendSweepToSurface));
    EXPECT_EQ(objects, rig.scene.GetObjectManager()->GetObjects().Size());
    EXPECT_EQ(1u, rig.sketch->GetStrokeFactory().GetNumStrokes());
    ASSERT_TRUE(rig.surfaces.RemoveNode(0, &sheet));
}
