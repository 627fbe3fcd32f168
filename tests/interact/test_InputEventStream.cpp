// The view's input stream: who gets an event, capture and release, the
// auto-repeat replay and the interaction-idle flag.

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "interact/InputEventStream.h"

using vynui::CInputEventStream;
using vynui::InputEvent;

namespace {

// Answers a scripted code per event (the last one repeats) and logs what it saw.
class ScriptedListener : public vynui::IInputEventListener {
public:
    ScriptedListener(std::string name, std::vector<int> answers, std::vector<std::string>* log,
                     bool repeat = false)
        : m_name(std::move(name)), m_answers(std::move(answers)), m_log(log), m_repeat(repeat)
    {
    }
    int OnInputEvent(const InputEvent& event) override
    {
        events.push_back(event);
        m_log->push_back(m_name);
        int answer = m_answers[std::min(m_next, m_answers.size() - 1)];
        ++m_next;
        return answer;
    }
    bool WantsRepeat() override { return m_repeat; }
    std::vector<InputEvent> events;

private:
    std::string m_name;
    std::vector<int> m_answers;
    size_t m_next = 0;
    std::vector<std::string>* m_log;
    bool m_repeat;
};

}  // namespace

TEST(InputEventStream, EventsCarryTheButtonEncodingAndTheCounter)
{
    CInputEventStream stream;
    std::int64_t counter = 1000;
    stream.SetCounterSource([&] { return counter; });
    std::vector<std::string> log;
    ScriptedListener listener("a", {1}, &log);
    stream.AddListener(&listener);
    stream.AddListener(&listener);  // added once

    stream.LeftDown(3, 4);
    counter = 2000;
    stream.LeftDrag(5, 6);
    stream.LeftUp(7, 8);
    stream.RightDown(1, 1);
    stream.RightDrag(2, 2);
    stream.RightUp(3, 3);
    stream.KeyEvent('q');
    ASSERT_EQ(listener.events.size(), 7u);
    EXPECT_TRUE(listener.events[0].IsLeftPress());
    EXPECT_EQ(listener.events[0].x, 3);
    EXPECT_EQ(listener.events[0].y, 4);
    EXPECT_EQ(listener.events[0].time, 1000);
    EXPECT_TRUE(listener.events[1].IsLeftDrag());
    EXPECT_EQ(listener.events[1].time, 2000);
    EXPECT_TRUE(listener.events[2].IsLeftRelease());
    EXPECT_TRUE(listener.events[3].IsRightPress());
    EXPECT_TRUE(listener.events[4].IsRightDrag());
    EXPECT_TRUE(listener.events[5].IsRightRelease());
    EXPECT_EQ(listener.events[6].kind, InputEvent::KEY);
    EXPECT_EQ(listener.events[6].key, 'q');
    EXPECT_FALSE(listener.events[6].leftDown || listener.events[6].middleDown || listener.events[6].middleUp);
    EXPECT_TRUE(stream.GetLastEvent().kind == InputEvent::KEY);
}

TEST(InputEventStream, ListenersAreAskedInOrderUntilOneHandlesTheEvent)
{
    struct Case {
        std::vector<int> answers;  // first answer of listeners a, b, c
        std::string asked;         // who was asked, in order
        const char* capturer;      // after the press
    } cases[] = {
        {{1, 1, 1}, "abc", ""}, {{0, 1, 1}, "a", ""},     {{1, 0, 1}, "ab", ""},
        {{1, 2, 0}, "ab", "b"}, {{7, -1, 2}, "abc", "c"}, {{1, 3, 0}, "ab", ""},
    };
    for (const Case& c : cases) {
        CInputEventStream stream;
        std::vector<std::string> log;
        ScriptedListener a("a", {c.answers[0]}, &log), b("b", {c.answers[1]}, &log),
            cc("c", {c.answers[2]}, &log);
        stream.AddListener(&a);
        stream.AddListener(&b);
        stream.AddListener(&cc);
        stream.LeftDown(0, 0);
        std::string asked;
        for (const std::string& name : log) asked += name;
        EXPECT_EQ(asked, c.asked);
        std::string capturer = stream.GetCapturedListener() == &a    ? "a"
                               : stream.GetCapturedListener() == &b  ? "b"
                               : stream.GetCapturedListener() == &cc ? "c"
                                                                     : "";
        EXPECT_EQ(capturer, c.capturer);
    }
}

TEST(InputEventStream, ACapturerGetsTheWholeDragUntilItReleases)
{
    CInputEventStream stream;
    std::vector<std::string> log;
    ScriptedListener first("first", {1, 0}, &log);  // would consume everything after the press
    ScriptedListener capturer("cap", {2, 0, 0, 3}, &log);
    stream.AddListener(&first);
    stream.AddListener(&capturer);

    stream.LeftDown(10, 10);
    stream.LeftDrag(11, 10);
    stream.LeftDrag(12, 10);
    stream.LeftUp(12, 10);
    EXPECT_EQ(log, (std::vector<std::string>{"first", "cap", "cap", "cap", "cap"}));
    EXPECT_EQ(stream.GetCapturedListener(), nullptr);

    // Free again: the first listener is asked first.
    stream.LeftDown(0, 0);
    EXPECT_EQ(log.back(), "first");
}

TEST(InputEventStream, RepeatReplaysTheLastEventInsteadOfDrags)
{
    CInputEventStream stream;
    std::vector<std::string> log;
    ScriptedListener slider("slider", {2, 0, 0, 0, 0, 0, 3}, &log, true);
    stream.AddListener(&slider);
    EXPECT_FALSE(stream.OnTimeEvent());  // nothing captured

    stream.LeftDown(5, 5);
    EXPECT_TRUE(stream.IsRepeating());
    stream.LeftDrag(9, 30);  // not delivered, but remembered
    EXPECT_EQ(slider.events.size(), 1u);
    EXPECT_TRUE(stream.OnTimeEvent());
    EXPECT_TRUE(stream.OnTimeEvent());
    ASSERT_EQ(slider.events.size(), 3u);
    EXPECT_TRUE(slider.events[1].IsLeftDrag());
    EXPECT_EQ(slider.events[2].y, 30);  // the replay follows the pointer

    stream.LeftUp(9, 30);  // a release still gets through
    EXPECT_TRUE(slider.events.back().IsLeftRelease());
    slider.events.clear();
    // Its fourth answer (0) kept the capture; release it with the next one.
    stream.LeftUp(9, 30);
    stream.LeftUp(9, 30);
    stream.LeftUp(9, 30);
    EXPECT_EQ(stream.GetCapturedListener(), nullptr);
    EXPECT_FALSE(stream.OnTimeEvent());
}

TEST(InputEventStream, NoReplayForACapturerThatDoesNotRepeat)
{
    CInputEventStream stream;
    std::vector<std::string> log;
    ScriptedListener plain("plain", {2, 0}, &log, false);
    stream.AddListener(&plain);
    stream.LeftDown(0, 0);
    stream.LeftDrag(3, 3);
    EXPECT_EQ(plain.events.size(), 2u);
    EXPECT_FALSE(stream.OnTimeEvent());
    EXPECT_EQ(plain.events.size(), 2u);
}

TEST(InputEventStream, IdleOnlyWhileNeitherButtonIsHeld)
{
    CInputEventStream stream;
    EXPECT_TRUE(stream.IsIdle());
    stream.LeftDown(0, 0);
    EXPECT_FALSE(stream.IsIdle());
    stream.RightDown(0, 0);
    stream.LeftUp(0, 0);
    EXPECT_FALSE(stream.IsIdle());  // right still held
    stream.RightUp(0, 0);
    EXPECT_TRUE(stream.IsIdle());
    stream.RightDown(0, 0);
    stream.LeftDrag(1, 1);  // drags do not change what is held
    EXPECT_FALSE(stream.IsIdle());
    stream.RightUp(0, 0);

    // Another thread reads the flag while the buttons go up and down.
    bool sawBusy = false;
    std::thread reader([&] {
        for (int i = 0; i < 20000; ++i) sawBusy |= !stream.IsIdle();
    });
    for (int i = 0; i < 2000; ++i) {
        stream.LeftDown(i, i);
        stream.LeftUp(i, i);
    }
    reader.join();
    EXPECT_TRUE(stream.IsIdle());
    (void)sawBusy;
}

TEST(InputEventStream, OneStreamPerViewAndTheCurrentViewsByDefault)
{
    int viewA = 0, viewB = 0;
    CInputEventStream* a = CInputEventStream::GetStream(&viewA);
    EXPECT_EQ(CInputEventStream::GetStream(&viewA), a);
    EXPECT_NE(CInputEventStream::GetStream(&viewB), a);
    CInputEventStream::SetCurrentView(&viewB);
    EXPECT_EQ(CInputEventStream::GetStream(), CInputEventStream::GetStream(&viewB));
    CInputEventStream::SetCurrentView(&viewA);
    EXPECT_EQ(CInputEventStream::GetStream(), a);
    CInputEventStream::ReleaseStream(&viewA);
    CInputEventStream::ReleaseStream(&viewB);
    CInputEventStream::SetCurrentView(nullptr);
}
