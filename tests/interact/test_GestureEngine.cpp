// The gesture engine behind a real input stream: capture for the drag, the
// point filter and times, stroke observers, and how gestures are offered.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "interact/GestureEngine.h"
#include "interact/InputEventStream.h"
#include "tests/support/FakeClock.h"

using vynui::CInputEventStream;
using vynui::GestureEngine;
using vynui::GestureSegment;
using vynui::GestureStroke;
using vynui::GestureTriple;
using vynui::InputEvent;
using Wml::Vector2f;

namespace {

// Logs every gesture it is offered as "name:kind" and takes those listed.
class RecordingListener : public vynui::IGestureEventListener {
public:
    RecordingListener(std::string name, std::vector<std::string>* log, std::vector<std::string> takes = {})
        : m_name(std::move(name)), m_log(log), m_takes(std::move(takes))
    {
    }
    bool OnTap(const Vector2f& p) override
    {
        return Hear("tap", [&] { tap = p; });
    }
    bool OnLine(const GestureSegment& s) override
    {
        return Hear("line", [&] { segment = s; });
    }
    bool OnHairpin(const GestureSegment& s) override
    {
        return Hear("hairpin", [&] { segment = s; });
    }
    bool OnCorner(const GestureTriple& t) override
    {
        return Hear("corner", [&] { triple = t; });
    }
    bool OnScribble(const Wml::Box2<float>&) override
    {
        return Hear("scribble", [] {});
    }
    bool OnCircle(const Wml::Box2<float>&) override
    {
        return Hear("circle", [] {});
    }
    bool OnCrossing(const GestureTriple& t) override
    {
        return Hear("crossing", [&] { triple = t; });
    }
    bool OnStroke(const GestureStroke& s) override
    {
        return Hear("stroke", [&] {
            strokePoints = s.points;
            featurePoint = s.featurePoint;
        });
    }

    Vector2f tap, featurePoint;
    GestureSegment segment;
    GestureTriple triple;
    std::vector<Vector2f> strokePoints;

private:
    template <class F>
    bool Hear(const std::string& kind, F keep)
    {
        m_log->push_back(m_name + ":" + kind);
        keep();
        return std::find(m_takes.begin(), m_takes.end(), kind) != m_takes.end();
    }
    std::string m_name;
    std::vector<std::string>* m_log;
    std::vector<std::string> m_takes;
};

class RecordingObserver : public vynui::IGestureStrokeObserver {
public:
    explicit RecordingObserver(bool takes) : m_takes(takes) {}
    void OnStrokePoint(const GestureStroke& stroke) override { pointCounts.push_back(stroke.PointCount()); }
    bool OnStrokeEnd(const GestureStroke& stroke) override
    {
        endedWith = stroke.PointCount();
        return m_takes;
    }
    std::vector<int> pointCounts;
    int endedWith = -1;

private:
    bool m_takes;
};

// An input listener that answers fixed codes for presses and for all else.
class FixedInputListener : public vynui::IInputEventListener {
public:
    FixedInputListener(int onPress, int otherwise) : m_onPress(onPress), m_otherwise(otherwise) {}
    int OnInputEvent(const InputEvent& event) override
    {
        ++heard;
        return event.IsLeftPress() ? m_onPress : m_otherwise;
    }
    int heard = 0;

private:
    int m_onPress, m_otherwise;
};

struct Rig {
    Rig()
    {
        engine.SetTimeSource(clock.Source());
        stream.AddListener(&engine);
    }
    // Press, drags through the rest, release at the last point; 10 ms apart.
    void Drag(const std::vector<Vector2f>& points)
    {
        stream.LeftDown(int(points[0].X()), int(points[0].Y()));
        for (size_t i = 1; i < points.size(); ++i) {
            clock.Advance(0.01);
            stream.LeftDrag(int(points[i].X()), int(points[i].Y()));
        }
        clock.Advance(0.01);
        stream.LeftUp(int(points.back().X()), int(points.back().Y()));
    }
    kftest::FakeClock clock{100.0};
    CInputEventStream stream;
    GestureEngine engine;
};

std::vector<Vector2f> Straight(Vector2f a, Vector2f b, int count)
{
    std::vector<Vector2f> points;
    for (int i = 0; i < count; ++i) {
        const Vector2f p = a + (b - a) * (float(i) / float(count - 1));
        points.push_back(Vector2f(std::round(p.X()), std::round(p.Y())));  // whole pixels, as a mouse gives
    }
    return points;
}

}  // namespace

TEST(GestureEngine, PressCapturesTheStreamAndReleaseFreesIt)
{
    Rig rig;
    // A listener before the engine that would consume every drag.
    CInputEventStream stream;
    FixedInputListener greedy(1, 0);
    stream.AddListener(&greedy);
    stream.AddListener(&rig.engine);

    stream.LeftDown(10, 10);
    EXPECT_EQ(&rig.engine, stream.GetCapturedListener());
    ASSERT_NE(nullptr, rig.engine.GetCurrentStroke());
    stream.LeftDrag(30, 10);
    stream.LeftDrag(60, 10);
    EXPECT_EQ(3, rig.engine.GetCurrentStroke()->PointCount());
    stream.LeftUp(90, 10);
    EXPECT_EQ(1, greedy.heard);  // only the press
    EXPECT_EQ(nullptr, stream.GetCapturedListener());
    EXPECT_EQ(nullptr, rig.engine.GetCurrentStroke());
}

TEST(GestureEngine, AnswersEachKindOfEvent)
{
    GestureEngine engine;
    auto mouse = [](bool leftDown, bool leftUp, bool rightDown, bool rightUp) {
        InputEvent e;
        e.kind = InputEvent::MOUSE;
        e.x = e.y = 5;
        e.leftDown = leftDown;
        e.leftUp = leftUp;
        e.rightDown = rightDown;
        e.rightUp = rightUp;
        return e;
    };
    InputEvent key;
    key.kind = InputEvent::KEY;
    key.key = 'a';
    // Without a stroke, drags and releases are someone else's.
    EXPECT_EQ(vynui::INPUT_NOT_HANDLED, engine.OnInputEvent(mouse(true, true, false, false)));
    EXPECT_EQ(vynui::INPUT_NOT_HANDLED, engine.OnInputEvent(mouse(false, true, false, false)));
    EXPECT_EQ(vynui::INPUT_CAPTURE, engine.OnInputEvent(mouse(true, false, false, false)));
    EXPECT_EQ(vynui::INPUT_CONSUMED, engine.OnInputEvent(mouse(true, true, false, false)));
    // Other buttons and keys pass on even during a stroke.
    EXPECT_EQ(vynui::INPUT_NOT_HANDLED, engine.OnInputEvent(mouse(false, false, true, false)));
    EXPECT_EQ(vynui::INPUT_NOT_HANDLED, engine.OnInputEvent(mouse(false, false, true, true)));
    EXPECT_EQ(vynui::INPUT_NOT_HANDLED, engine.OnInputEvent(mouse(false, false, false, true)));
    EXPECT_EQ(vynui::INPUT_NOT_HANDLED, engine.OnInputEvent(key));
    EXPECT_NE(nullptr, engine.GetCurrentStroke());
    EXPECT_EQ(vynui::INPUT_RELEASE_CAPTURE, engine.OnInputEvent(mouse(false, true, false, false)));
    EXPECT_EQ(nullptr, engine.GetCurrentStroke());
}

TEST(GestureEngine, ReleaseWithoutStrokeReachesTheNextListener)
{
    CInputEventStream stream;
    GestureEngine engine;
    FixedInputListener after(1, 1);
    stream.AddListener(&engine);
    stream.AddListener(&after);
    stream.LeftUp(4, 4);
    stream.LeftDrag(5, 5);
    EXPECT_EQ(2, after.heard);
}

TEST(GestureEngine, PointsWithinThreePixelsOnlyStretchTheLastTime)
{
    struct Case {
        Vector2f next;
        bool stored;
    };
    // Squared distances 9 and 8 fall inside, 10 outside.
    const Case cases[] = {{{3, 0}, false}, {{0, -3}, false}, {{2, 2}, false},
                          {{3, 1}, true},  {{-1, 3}, true},  {{4, 0}, true}};
    for (const Case& c : cases) {
        Rig rig;
        rig.stream.LeftDown(100, 100);
        rig.clock.Advance(0.25);
        rig.stream.LeftDrag(100 + int(c.next.X()), 100 + int(c.next.Y()));
        const GestureStroke* stroke = rig.engine.GetCurrentStroke();
        ASSERT_NE(nullptr, stroke);
        ASSERT_EQ(c.stored ? 2 : 1, stroke->PointCount()) << c.next.X() << "," << c.next.Y();
        ASSERT_EQ(stroke->points.size(), stroke->times.size());
        EXPECT_FLOAT_EQ(0.25f, stroke->times.back());
        if (c.stored) {
            EXPECT_FLOAT_EQ(0.0f, stroke->times.front());
        }
    }
}

TEST(GestureEngine, TimesCountFromTheFirstPointOfEachStroke)
{
    Rig rig;
    rig.stream.LeftDown(0, 0);
    rig.clock.Advance(0.1);
    rig.stream.LeftDrag(50, 0);
    rig.clock.Advance(0.2);
    rig.stream.LeftDrag(100, 0);
    rig.clock.Advance(0.05);
    rig.stream.LeftDrag(101, 1);  // filtered: the end time moves on
    const GestureStroke* stroke = rig.engine.GetCurrentStroke();
    ASSERT_EQ(3, stroke->PointCount());
    EXPECT_NEAR(0.1f, stroke->times[1], 1e-5f);
    EXPECT_NEAR(0.35f, stroke->times[2], 1e-5f);

    rig.clock.Advance(5.0);
    rig.stream.LeftDown(0, 0);  // a new press restarts the clock and the stroke
    rig.clock.Advance(0.5);
    rig.stream.LeftDrag(0, 20);
    stroke = rig.engine.GetCurrentStroke();
    ASSERT_EQ(2, stroke->PointCount());
    EXPECT_NEAR(0.5f, stroke->times[1], 1e-5f);
}

TEST(GestureEngine, ObserversSeeEveryStoredPointAndMayTakeTheStroke)
{
    for (bool takes : {false, true}) {
        Rig rig;
        std::vector<std::string> log;
        RecordingListener listener("a", &log, {"line"});
        RecordingObserver observer(takes), after(false);
        rig.engine.AddGestureListener(&listener);
        rig.engine.AddStrokeObserver(&observer);
        rig.engine.AddStrokeObserver(&observer);  // added once
        rig.engine.AddStrokeObserver(&after);
        rig.Drag({{0, 0}, {1, 1}, {40, 0}, {80, 0}, {120, 0}});
        EXPECT_EQ((std::vector<int>{1, 2, 3, 4}), observer.pointCounts);
        EXPECT_EQ(4, observer.endedWith);
        EXPECT_EQ(4, after.endedWith);  // told even when the stroke was taken
        EXPECT_EQ(takes ? std::vector<std::string>{} : std::vector<std::string>{"a:line"}, log);
    }
}

TEST(GestureEngine, FirstListenerThatTakesTheGestureEndsTheOffer)
{
    struct Case {
        std::vector<std::vector<std::string>> takes;  // per listener
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {{{}, {"tap"}, {"tap"}}, {"a:tap", "b:tap"}},
        {{{"tap"}, {"tap"}, {}}, {"a:tap"}},
        // Nobody wants the tap: the plain stroke goes round the same way.
        {{{}, {"stroke"}, {"stroke"}}, {"a:tap", "b:tap", "c:tap", "a:stroke", "b:stroke"}},
        {{{}, {}, {}}, {"a:tap", "b:tap", "c:tap", "a:stroke", "b:stroke", "c:stroke"}},
    };
    for (const Case& c : cases) {
        Rig rig;
        std::vector<std::string> log;
        std::vector<std::unique_ptr<RecordingListener>> listeners;
        const char* names[] = {"a", "b", "c"};
        for (size_t i = 0; i < c.takes.size(); ++i) {
            listeners.emplace_back(new RecordingListener(names[i], &log, c.takes[i]));
            rig.engine.AddGestureListener(listeners.back().get());
        }
        rig.engine.AddGestureListener(listeners[0].get());  // added once
        rig.Drag({{200, 200}, {202, 201}, {199, 203}});
        EXPECT_EQ(c.expected, log);
        EXPECT_EQ(Vector2f(200, 200), listeners[0]->tap);
    }
}

TEST(GestureEngine, RemovedListenersAreNotAsked)
{
    Rig rig;
    std::vector<std::string> log;
    RecordingListener a("a", &log), b("b", &log);
    rig.engine.AddGestureListener(&a);
    rig.engine.AddGestureListener(&b);
    rig.engine.RemoveGestureListener(&a);
    rig.Drag({{5, 5}});
    EXPECT_EQ((std::vector<std::string>{"b:tap", "b:stroke"}), log);
}

TEST(GestureEngine, GesturesCarryTheirArguments)
{
    Rig rig;
    std::vector<std::string> log;
    RecordingListener listener("a", &log, {"line", "hairpin", "corner", "crossing", "stroke"});
    rig.engine.AddGestureListener(&listener);

    rig.Drag(Straight({10, 20}, {210, 20}, 21));
    EXPECT_EQ("a:line", log.back());
    EXPECT_EQ(Vector2f(10, 20), listener.segment.start);
    EXPECT_EQ(Vector2f(210, 20), listener.segment.end);
    EXPECT_NEAR(0.21f, listener.segment.duration, 1e-5f);

    // Out and straight back along the same path: a hairpin.
    std::vector<Vector2f> hairpin = Straight({100, 100}, {300, 100}, 21);
    for (const Vector2f& p : Straight({290, 104}, {110, 108}, 19)) hairpin.push_back(p);
    rig.Drag(hairpin);
    EXPECT_EQ("a:hairpin", log.back());
    EXPECT_EQ(Vector2f(105, 104), listener.segment.start);
    EXPECT_EQ(Vector2f(300, 100), listener.segment.end);

    // An L with arms 1 : 2.
    std::vector<Vector2f> corner = Straight({100, 300}, {100, 200}, 11);
    for (const Vector2f& p : Straight({110, 200}, {300, 200}, 20)) corner.push_back(p);
    rig.Drag(corner);
    EXPECT_EQ("a:corner", log.back());
    EXPECT_EQ(Vector2f(100, 200), listener.triple.points[1]);
    EXPECT_EQ(Vector2f(300, 200), listener.triple.points[2]);

    // Right, round a loop and down through the first leg.
    std::vector<Vector2f> crossing = Straight({0, 0}, {100, 0}, 11);
    for (const Vector2f& p : Straight({100, 60}, {60, 60}, 2)) crossing.push_back(p);
    for (const Vector2f& p : Straight({60, 50}, {60, -60}, 12)) crossing.push_back(p);
    rig.Drag(crossing);
    EXPECT_EQ("a:crossing", log.back());
    EXPECT_EQ(Vector2f(60, 0), listener.triple.points[2]);
    EXPECT_EQ(Vector2f(60, -60), listener.triple.points[1]);

    // Nobody takes the crossing as a crossing: the stroke carries the point.
    RecordingListener strokesOnly("s", &log, {"stroke"});
    Rig other;
    other.engine.AddGestureListener(&strokesOnly);
    other.Drag(crossing);
    EXPECT_EQ("s:stroke", log.back());
    EXPECT_EQ(Vector2f(60, 0), strokesOnly.featurePoint);
    EXPECT_EQ(crossing, strokesOnly.strokePoints);
}

TEST(GestureEngine, ListenerStartingANewStrokeDuringTheOfferIsSafe)
{
    struct Restarter : vynui::IGestureEventListener {
        CInputEventStream* stream = nullptr;
        int strokes = 0;
        bool OnStroke(const GestureStroke& s) override
        {
            ++strokes;
            const size_t before = s.points.size();
            stream->LeftDown(1, 1);  // the engine is asked again mid-offer
            return s.points.size() == before;
        }
    };
    Rig rig;
    Restarter restarter;
    restarter.stream = &rig.stream;
    rig.engine.AddGestureListener(&restarter);
    rig.Drag({{0, 0}, {30, 40}, {0, 80}, {40, 90}, {90, 20}, {120, 120}, {20, 140}});
    EXPECT_EQ(1, restarter.strokes);
    ASSERT_NE(nullptr, rig.engine.GetCurrentStroke());
    EXPECT_EQ(1, rig.engine.GetCurrentStroke()->PointCount());
}
