// The "Gestures and Keys" help as data: every example stroke is read by the
// gesture engine as the gesture it illustrates, and the keys listed are the
// keys the view acts on, no more and no fewer.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "animation/AnimationManager.h"
#include "animation/AnimationPlayer.h"
#include "blobtree/cache/FieldCacheManager.h"
#include "detail/TextureManager.h"
#include "interact/DrawingScale.h"
#include "interact/GestureEngine.h"
#include "interact/InputEventStream.h"
#include "interact/Tool3DManager.h"
#include "scene/SceneManager.h"
#include "sketch/StrokeFactory.h"
#include "sketch_ui/SketchManager.h"
#include "surface/SurfaceManager.h"
#include "tests/support/FakeClock.h"
#include "tests/support/ScriptedUserInterface.h"
#include "view/HelpContent.h"
#include "view/MenuTable.h"
#include "view/ViewCore.h"

using vynui::CViewCore;
using vynui::GestureKind;
using vynui::HelpGesture;
using vynui::ViewInputAdapter;
using Wml::Vector2f;

namespace {

// What the engine offered, and with what.
struct Recorder : vynui::IGestureEventListener {
    std::vector<GestureKind> kinds;
    vynui::GestureSegment segment;
    bool OnTap(const Wml::Vector2<float>&) override { return Took(GestureKind::Tap); }
    bool OnLine(const vynui::GestureSegment& s) override
    {
        segment = s;
        return Took(GestureKind::Line);
    }
    bool OnHairpin(const vynui::GestureSegment&) override { return Took(GestureKind::Hairpin); }
    bool OnCorner(const vynui::GestureTriple&) override { return Took(GestureKind::Corner); }
    bool OnScribble(const Wml::Box2<float>&) override { return Took(GestureKind::Scribble); }
    bool OnCircle(const Wml::Box2<float>&) override { return Took(GestureKind::Circle); }
    bool OnCrossing(const vynui::GestureTriple&) override { return Took(GestureKind::Crossing); }
    bool OnStroke(const vynui::GestureStroke&) override { return Took(GestureKind::Stroke); }
    bool Took(GestureKind kind)
    {
        kinds.push_back(kind);
        return true;
    }
};

vynui::InputEvent Mouse(const Vector2f& p, bool down, bool up)
{
    vynui::InputEvent event;
    event.kind = vynui::InputEvent::MOUSE;
    event.x = int(p.X());
    event.y = int(p.Y());
    event.leftDown = down;
    event.leftUp = up;
    return event;
}

/// Press, drags and release through the points, spread evenly over seconds.
void Draw(vynui::GestureEngine& engine, kftest::FakeClock& clock, const std::vector<Vector2f>& points,
          double seconds)
{
    const double step = points.size() > 1 ? seconds / double(points.size() - 1) : seconds;
    engine.OnInputEvent(Mouse(points.front(), true, false));
    for (std::size_t i = 1; i < points.size(); ++i) {
        clock.Advance(step);
        engine.OnInputEvent(Mouse(points[i], true, true));
    }
    if (points.size() == 1) clock.Advance(step);
    engine.OnInputEvent(Mouse(points.back(), false, true));
}

const char* KindName(GestureKind kind)
{
    return vynui::GestureKindName(kind);
}

}  // namespace

// ---- gestures

TEST(HelpGestures, EachExampleIsReadAsItsGesture)
{
    const std::vector<std::string> names = {"Tap",      "Line",   "Hairpin",  "Corner",
                                            "Scribble", "Circle", "Crossing", "Flick"};
    const auto& gestures = vynui::HelpGestures();
    ASSERT_EQ(names.size(), gestures.size());
    for (std::size_t i = 0; i < gestures.size(); ++i) {
        const HelpGesture& g = gestures[i];
        SCOPED_TRACE(g.name);
        EXPECT_EQ(names[i], g.name);
        EXPECT_FALSE(g.text.empty());
        for (const Vector2f& p : g.stroke) {
            EXPECT_TRUE(p.X() >= 0.0f && p.X() <= 1.0f && p.Y() >= 0.0f && p.Y() <= 1.0f);
        }
        // From half to twice the size the pictures stand for, anywhere in a
        // view: the engine works on whole pixels with y up, the pictures
        // have y down, so both ways up are tried.
        for (float size :
             {0.5f * vynui::kHelpStrokeSize, vynui::kHelpStrokeSize, 2.0f * vynui::kHelpStrokeSize})
            for (bool flipped : {false, true}) {
                SCOPED_TRACE("size " + std::to_string(size) + (flipped ? ", flipped" : ""));
                std::vector<Vector2f> points = vynui::HelpStrokePixels(g, 37.0f, 21.0f, size);
                if (flipped)
                    for (Vector2f& p : points) p = Vector2f(p.X(), 600.0f - p.Y());
                vynui::GestureEngine engine;
                kftest::FakeClock clock(10.0);
                engine.SetTimeSource(clock.Source());
                Recorder recorder;
                engine.AddGestureListener(&recorder);
                Draw(engine, clock, points, g.seconds);
                ASSERT_EQ(1u, recorder.kinds.size());
                EXPECT_EQ(KindName(g.kind), std::string(KindName(recorder.kinds[0])));
                if (g.name == "Flick") {
                    // What makes a line a flick: leftward and quick.
                    Vector2f d = recorder.segment.end - recorder.segment.start;
                    d.Normalize();
                    EXPECT_GT(d.Dot(Vector2f(-1.0f, 0.0f)), 0.9f);
                    EXPECT_LT(recorder.segment.duration, 0.25f);
                }
            }
    }
}

TEST(HelpGestures, TheFlickTakesBackTheLastSketchStroke)
{
    CViewCore view(CViewCore::Managers::Own);
    kftest::FakeClock clock(50.0);
    view.GetGestureEngine().SetTimeSource(clock.Source());
    view.Resize(800, 600);
    auto drag = [&](const std::vector<Vector2f>& points, double seconds) {
        const double step = seconds / double(points.size() - 1);
        view.MousePress(ViewInputAdapter::LEFT, int(points[0].X()), int(points[0].Y()), false);
        for (std::size_t i = 1; i < points.size(); ++i) {
            clock.Advance(step);
            view.MouseMove(int(points[i].X()), int(points[i].Y()));
        }
        view.MouseRelease(ViewInputAdapter::LEFT, int(points.back().X()), int(points.back().Y()));
        clock.Advance(1.0);
    };
    // A gentle arc in the middle of the view: a sketch stroke.
    std::vector<Vector2f> arc;
    for (int i = 0; i <= 40; ++i) {
        const float a = 3.14159265f * (0.2f + 0.5f * float(i) / 40.0f);
        arc.push_back(
            Vector2f(std::round(400.0f + 150.0f * std::cos(a)), std::round(380.0f - 150.0f * std::sin(a))));
    }
    drag(arc, 0.6);
    const vynsketch::StrokeFactory& strokes = view.GetSketchManager()->GetStrokeFactory();
    ASSERT_EQ(1u, strokes.GetNumStrokes());

    const HelpGesture& flick = vynui::HelpGestures().back();
    ASSERT_EQ("Flick", flick.name);
    drag(vynui::HelpStrokePixels(flick, 300.0f, 200.0f, vynui::kHelpStrokeSize), flick.seconds);
    EXPECT_EQ(0u, strokes.GetNumStrokes());
}

// ---- keys

namespace {

struct Counter : vynui::IRenderingListener {
    int count = 0;
    void OnRenderingChanged() override { ++count; }
};

// Everything a key of the view can change, as one comparable value.
struct ViewState {
    float cellSize = 0.0f;
    int textureMode = 0;
    float hudScale = 0.0f;
    bool caching = false;
    std::string tool;
    bool cameraMoving = false;
    bool cameraMode = false;
    bool fastPrimitives = false;
    bool playing = false;
    std::size_t windowRequests = 0;
    std::size_t prompts = 0;
    int renderingNotices = 0;
    std::size_t strokes = 0;

    bool operator==(const ViewState& o) const
    {
        return cellSize == o.cellSize && textureMode == o.textureMode && hudScale == o.hudScale &&
               caching == o.caching && tool == o.tool && cameraMoving == o.cameraMoving &&
               cameraMode == o.cameraMode && fastPrimitives == o.fastPrimitives && playing == o.playing &&
               windowRequests == o.windowRequests && prompts == o.prompts &&
               renderingNotices == o.renderingNotices && strokes == o.strokes;
    }
};

struct KeyRig {
    // Before the view: it still tells its listeners while it goes.
    Counter notices;
    kftest::ScriptedUserInterface ui;
    kftest::FakeClock clock{50.0};
    std::vector<std::string> windowRequests;
    CViewCore view{CViewCore::Managers::Own};

    KeyRig()
    {
        view.SetUserInterface(&ui);
        view.SetWindowRequest([this](const std::string& what) { windowRequests.push_back(what); });
        view.GetGestureEngine().SetTimeSource(clock.Source());
        view.GetRenderingManager().AddRenderingListener(&notices);
        view.Resize(800, 600);
        // Something for every key to act on: a selected shape for the tools,
        // a sketch stroke to draw again.
        view.GetSceneManager()->AddNode(1, nullptr, true);
        view.MousePress(ViewInputAdapter::LEFT, 300, 300, false);
        for (int i = 1; i <= 20; ++i) {
            clock.Advance(0.02);
            view.MouseMove(300 + 8 * i, 300 + int(0.2f * float(i * i)));
        }
        view.MouseRelease(ViewInputAdapter::LEFT, 460, 380);
        clock.Advance(1.0);
    }

    ViewState State()
    {
        ViewState s;
        s.cellSize = view.GetSurfaceManager()->GetSettings().cellSize;
        s.textureMode = view.GetTextureManager().GetMode();
        s.hudScale = vynui::GetHUDScaleFactor();
        s.caching = vynbt::FieldCacheManager::Get()->IsCachingEnabled();
        s.tool =
            view.GetToolManager().GetActiveTool() ? view.GetToolManager().GetActiveTool()->GetName() : "";
        s.cameraMoving = view.IsCameraMoving();
        s.cameraMode = view.GetInputAdapter().IsCameraMode();
        s.fastPrimitives = view.GetRenderingManager().GetSettings().fastPrimitiveMode;
        s.playing = view.GetAnimationPlayer().IsPlaying();
        s.windowRequests = windowRequests.size();
        s.prompts = ui.Events().size();
        s.renderingNotices = notices.count;
        s.strokes = view.GetSketchManager()->GetStrokeFactory().GetNumStrokes();
        return s;
    }
};

}  // namespace

TEST(HelpKeys, TheListedCharactersAreTheOnesTheViewActsOn)
{
    KeyRig rig;
    ASSERT_EQ(1u, rig.State().strokes);
    const bool caching = vynbt::FieldCacheManager::Get()->IsCachingEnabled();
    const float hudScale = vynui::GetHUDScaleFactor();
    const vynui::CInputEventStream& stream = rig.view.GetInputStream();

    for (int c = 1; c < 128; ++c) {
        const vynui::ViewKey* key = vynui::FindCharacterKey(c);
        SCOPED_TRACE(std::string("key ") + char(c) + " (" + std::to_string(c) + ")");
        // Each digit needs a surface-detail mode to change from.
        rig.view.GetTextureManager().SetMode(c == '1' ? 1 : 0);
        const ViewState before = rig.State();
        rig.view.Character(c);
        const ViewState after = rig.State();
        const bool sentOn =
            stream.GetLastEvent().kind == vynui::InputEvent::KEY && stream.GetLastEvent().key == c;
        if (!key) {
            EXPECT_TRUE(sentOn) << "the view keeps a key its table does not list";
            EXPECT_TRUE(before == after) << "an unlisted key changed the view";
            continue;
        }
        EXPECT_EQ(key->passedOn, sentOn);
        if (key->noOp)
            EXPECT_TRUE(before == after) << "listed as doing nothing, but it did something";
        else
            EXPECT_FALSE(before == after) << "listed as doing something, but nothing changed";
    }
    vynbt::FieldCacheManager::Get()->EnableCaching(caching);
    vynui::SetHUDScaleFactor(hudScale);
}

TEST(HelpKeys, SpaceEscapeAndAltAreListedAndDoWhatTheListSays)
{
    KeyRig rig;
    for (int special : {int(CViewCore::KEY_SPACE), int(CViewCore::KEY_ESCAPE), int(CViewCore::KEY_ALT)})
        EXPECT_NE(nullptr, vynui::FindSpecialKey(special)) << special;
    // No other special key means anything to the view.
    for (int special : {0, 4, 99}) {
        EXPECT_EQ(nullptr, vynui::FindSpecialKey(special));
        const ViewState before = rig.State();
        rig.view.SpecialKeyDown(special, false);
        rig.view.SpecialKeyUp(special, false);
        EXPECT_TRUE(before == rig.State()) << special;
    }

    rig.view.SpecialKeyDown(CViewCore::KEY_SPACE, false);
    EXPECT_TRUE(rig.State().fastPrimitives);
    rig.view.SpecialKeyUp(CViewCore::KEY_SPACE, false);
    EXPECT_FALSE(rig.State().fastPrimitives);

    rig.view.SpecialKeyDown(CViewCore::KEY_ALT, false);
    EXPECT_TRUE(rig.State().cameraMode);
    rig.view.SpecialKeyUp(CViewCore::KEY_ALT, false);
    EXPECT_FALSE(rig.State().cameraMode);

    rig.view.GetAnimationManager().SetLength(5);
    rig.view.GetAnimationPlayer().Play();
    ASSERT_TRUE(rig.State().playing);
    rig.view.SpecialKeyDown(CViewCore::KEY_ESCAPE, false);
    EXPECT_FALSE(rig.State().playing);

    // Every entry says what it does; the help shows the same list.
    for (const vynui::ViewKey& key : vynui::HelpKeys()) {
        EXPECT_FALSE(key.label.empty());
        EXPECT_FALSE(key.effect.empty()) << key.label;
        EXPECT_NE(key.character == 0, key.special == 0) << key.label;
    }
    EXPECT_EQ(&vynui::ViewKeyTable(), &vynui::HelpKeys());
}

TEST(HelpKeys, TheHelpMenuAsksTheWindowForGesturesAndKeys)
{
    KeyRig rig;
    const vynui::MenuEntry* entry = vynui::FindMenuCommand(vynui::kGesturesAndKeysTitle);
    ASSERT_NE(nullptr, entry);
    EXPECT_EQ("Help", entry->path);
    vynui::CommandState state;
    ASSERT_TRUE(rig.view.UpdateCommand(vynui::kGesturesAndKeysTitle, state));
    EXPECT_TRUE(state.enabled);
    EXPECT_TRUE(rig.view.RouteCommand(vynui::kGesturesAndKeysTitle));
    ASSERT_EQ(1u, rig.windowRequests.size());
    EXPECT_EQ(vynui::kGesturesAndKeysTitle, rig.windowRequests[0]);
}
