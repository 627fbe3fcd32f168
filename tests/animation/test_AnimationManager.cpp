// Keyframe tracks over a view's scene: synchronisation, evaluation of
// parameters and orientations, the key commands and the value dialogs.

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "animation/AnimationManager.h"
#include "tests/animation/AnimationTestSupport.h"
#include "tests/scene/test_SceneManagerSupport.h"
#include "wml/Matrix3.h"

namespace {

using animtest::KeyedObject;
using vynui::CAnimationManager;
using Matrix3f = Wml::Matrix3<float>;
using Vector3f = Wml::Vector3<float>;

const float PI = 3.14159265358979f;

Matrix3f Turn(const Vector3f& axis, float degrees)
{
    Vector3f unit = axis;
    unit.Normalize();
    return Matrix3f(unit, degrees * PI / 180.0f);
}

// The frame's axes are the columns of expected (its local -> world turn).
void ExpectOrientation(const Wml::Frame3<float>& frame, const Matrix3f& expected, const char* what)
{
    for (int axis = 0; axis < 3; ++axis)
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(frame.GetAxis(axis)[i], expected(i, axis), 1e-4f) << what << " axis " << axis;
}

void ExpectOrigin(const Wml::Frame3<float>& frame, const Vector3f& expected)
{
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(frame.Origin()[i], expected[i], 1e-5f);
}

class AnimationManagerTest : public ::testing::Test {
protected:
    AnimationManagerTest() : animation(rig.scene.get()) { animation.SetUserInterface(&ui); }

    ~AnimationManagerTest() override
    {
        for (auto& object : objects) rig.Objects().RemoveObject(object.get());
    }

    KeyedObject* Add()
    {
        objects.push_back(std::make_unique<KeyedObject>());
        rig.Objects().AddObject(objects.back().get(), false);
        return objects.back().get();
    }

    void Remove(KeyedObject* object)
    {
        rig.Objects().RemoveObject(object);
        for (auto it = objects.begin(); it != objects.end(); ++it)
            if (it->get() == object) {
                objects.erase(it);
                return;
            }
    }

    /// Keys the object's height at each (frame, value) in turn.
    void KeyHeights(KeyedObject* object, const std::vector<std::pair<unsigned, float>>& keys)
    {
        for (const auto& key : keys) {
            animation.SetCurrentFrame(key.first);
            object->height->SetFloatValue(key.second);
            animation.SetKeyframe();
        }
    }

    scenemgr_test::SceneRig rig;
    animtest::RequestRecordingUI ui;
    CAnimationManager animation;
    std::vector<std::unique_ptr<KeyedObject>> objects;
};

// ------------------------------------------------------------ parameters

TEST_F(AnimationManagerTest, ParameterTrackIsLinearBetweenKeysHeldBeyondAndWrittenOnlyOnChange)
{
    KeyedObject* object = Add();
    object->hiddenValue = 7.0f;
    KeyHeights(object, {{0, 0.0f}, {10, 1.0f}, {15, -1.0f}});
    object->hiddenValue = 9.0f;
    ASSERT_EQ(animation.GetParameterKeys(object, object->height)->size(), 3u);

    for (unsigned frame : {0u, 1u, 5u, 9u, 10u, 12u, 14u, 15u, 16u, 20u, 65536u}) {
        const float expected = frame <= 10 ? frame / 10.0f : frame >= 15 ? -1.0f : 1.0f - 0.4f * (frame - 10);
        object->heightValue = 50.0f;  // whatever the user left there
        animation.SetCurrentFrame(frame);
        EXPECT_NEAR(object->heightValue, expected, 1e-6f) << "frame " << frame;
        EXPECT_EQ(animation.GetCurrentFrame(), frame);
    }
    const int writes = object->height->writes;
    animation.SetCurrentFrame(25);  // -1 still
    EXPECT_EQ(object->height->writes, writes);
    // Excluded parameters have no track and are left alone.
    EXPECT_EQ(animation.GetParameterKeys(object, object->hidden), nullptr);
    EXPECT_FLOAT_EQ(object->hiddenValue, 9.0f);
}

TEST_F(AnimationManagerTest, ParameterAddedLaterKeepsItsValueAtEveryFrame)
{
    KeyedObject* object = Add();
    KeyHeights(object, {{0, 0.0f}, {10, 1.0f}});
    animtest::CountingParameter* later = object->AddLater("Later", 7.0f);
    for (unsigned frame = 0; frame <= 20; ++frame) {
        animation.SetCurrentFrame(frame);
        EXPECT_FLOAT_EQ(object->extraValues.back(), 7.0f) << "frame " << frame;
    }
    const auto* keys = animation.GetParameterKeys(object, later);
    ASSERT_NE(keys, nullptr);
    EXPECT_EQ(*keys, (CAnimationManager::ParameterKeys{{0, 7.0f}}));
    EXPECT_EQ(later->writes, 0);
}

// ------------------------------------------------------------ orientations

TEST_F(AnimationManagerTest, OrientationKeysAreSlerpedAndThePositionStaysWhereTheUserPutIt)
{
    struct Case {
        Vector3f axis;
        float degrees;
    };
    const Case cases[] = {{Vector3f(0, 0, 1), 90.0f},
                          {Vector3f(1, 1, 1), 120.0f},
                          {Vector3f(1, 0, 0), 170.0f},
                          {Vector3f(0, 1, 2), -60.0f}};
    const Matrix3f start = Turn(Vector3f(0.3f, -1, 0.2f), 25.0f);
    for (const Case& c : cases) {
        KeyedObject* object = Add();
        object->Rotate(start, true);
        animation.SetCurrentFrame(0);
        animation.SetKeyframe();
        animation.SetCurrentFrame(10);
        object->Rotate(Turn(c.axis, c.degrees), true);
        animation.SetKeyframe();

        object->Translate(Vector3f(3, 4, 5), false);
        for (unsigned frame : {5u, 0u, 10u}) {
            animation.SetCurrentFrame(frame);
            ExpectOrientation(object->frame, Turn(c.axis, c.degrees * frame / 10) * start, "keyed");
            ExpectOrigin(object->frame, Vector3f(3, 4, 5));
        }
        Remove(object);
        animation.ResetAnimation();
    }
}

TEST_F(AnimationManagerTest, ObjectTurnedAfterItsLastKeyIsTurnedBack)
{
    KeyedObject* object = Add();
    animation.SetKeyframe();  // world axes at 0
    animation.SetCurrentFrame(10);
    object->Rotate(Turn(Vector3f(0, 0, 1), 90.0f), true);
    animation.SetKeyframe();

    animation.SetCurrentFrame(15);
    object->Rotate(Turn(Vector3f(1, 0, 0), 30.0f), true);
    object->Translate(Vector3f(-2, 1, 0.5f), false);
    animation.SetCurrentFrame(15);
    ExpectOrientation(object->frame, Turn(Vector3f(0, 0, 1), 90.0f), "back to the last key");
    ExpectOrigin(object->frame, Vector3f(-2, 1, 0.5f));
}

TEST_F(AnimationManagerTest, ObjectAlreadyInPlaceOrWithoutUsableAxesIsNotTurned)
{
    struct Counter : vynui::SceneObjectListener {
        int rotations = 0;
        void OnSceneObjectChanged(vynui::SceneObject*, const vynui::SceneObjectEvent* event) override
        {
            if (event && event->kind == vynui::SCENE_OBJECT_ROTATED) ++rotations;
        }
    };
    const Vector3f zero = Vector3f::ZERO, x(1, 0, 0), y(0, 1, 0), z(0, 0, 1);
    const Matrix3f turned = Turn(Vector3f(1, 2, 3), 30);
    const std::vector<std::vector<Vector3f>> cases = {
        {x, y, z},
        {turned.GetColumn(0), turned.GetColumn(1), turned.GetColumn(2)},
        {zero, zero, zero},
        {x, y, zero}};
    for (const auto& axes : cases) {
        KeyedObject* object = Add();
        object->frame.SetAxes(axes[0], axes[1], axes[2]);
        const Wml::Frame3<float> before = object->frame;
        animation.SetKeyframe();
        Counter counter;
        object->AddListener(&counter);
        for (unsigned frame = 0; frame < 5; ++frame) animation.SetCurrentFrame(frame);
        object->RemoveListener(&counter);
        EXPECT_EQ(counter.rotations, 0);
        EXPECT_TRUE(object->frame == before);
        Remove(object);
    }
}

TEST_F(AnimationManagerTest, TreeNodeOfTheViewsSceneIsAnimatedAndRedrawn)
{
    vynui_bt::BlobTreeNodeSceneObject* point = rig.PointAt(Vector3f(1, 2, 3));
    vynui::IParameter* radius = point->GetParameterList()->Find("Radius");
    ASSERT_NE(radius, nullptr);
    const float r0 = radius->GetFloatValue();
    animation.SetKeyframe();
    animation.SetCurrentFrame(10);
    point->Rotate(Turn(Vector3f(0, 1, 0), 90.0f), true);
    radius->SetFloatValue(r0 * 2);
    animation.SetKeyframe();

    rig.recorder.events.clear();
    animation.SetCurrentFrame(5);
    ExpectOrientation(point->GetFrame(), Turn(Vector3f(0, 1, 0), 45.0f), "point");
    ExpectOrigin(point->GetFrame(), Vector3f(1, 2, 3));
    EXPECT_NEAR(radius->GetFloatValue(), r0 * 1.5f, 1e-5f);
    const auto& events = rig.recorder.events;
    EXPECT_NE(std::find(events.begin(), events.end(), "redraw"), events.end());
}

// ------------------------------------------------------------ synchronisation

TEST_F(AnimationManagerTest, DeletedObjectLosesItsTrackAndANewObjectStartsAfresh)
{
    KeyedObject* doomed = Add();
    Add();
    animation.SetKeyframe();
    animation.SetCurrentFrame(10);
    doomed->Rotate(Turn(Vector3f(0, 0, 1), 90.0f), true);
    doomed->height->SetFloatValue(5.0f);
    animation.SetKeyframe();
    const std::size_t objectTracks = animation.GetObjectTrackCount();
    const std::size_t parameterTracks = animation.GetParameterTrackCount();

    Remove(doomed);
    animation.SynchronizeTracks();
    EXPECT_EQ(animation.GetObjectTrackCount(), objectTracks - 1);
    EXPECT_EQ(animation.GetParameterTrackCount(), parameterTracks - 1);

    // New objects (the allocator is free to hand out the deleted one's
    // memory) get one key at frame 0 and are left as they are.
    for (int i = 0; i < 4; ++i) {
        KeyedObject* fresh = Add();
        fresh->heightValue = 1.5f;
        animation.SetCurrentFrame(5);
        EXPECT_EQ(animation.GetObjectKeys(fresh)->size(), 1u);
        EXPECT_EQ(animation.GetParameterKeys(fresh, fresh->height)->size(), 1u);
        EXPECT_FLOAT_EQ(fresh->heightValue, 1.5f);
        ExpectOrientation(fresh->frame, Matrix3f(), "fresh object");
    }
}

// ------------------------------------------------------------ key commands

TEST_F(AnimationManagerTest, ClearKeyframeNeverErasesFrameZeroAndResetStartsFromThePresent)
{
    KeyedObject* object = Add();
    KeyHeights(object, {{0, 1.0f}, {10, 2.0f}});
    EXPECT_EQ(animation.GetKeyedFrames(), (std::set<unsigned>{0, 10}));

    animation.SetCurrentFrame(0);
    ASSERT_TRUE(animation.OnCommand("Clear Keyframe"));
    EXPECT_EQ(animation.GetParameterKeys(object, object->height)->size(), 2u);
    EXPECT_EQ(animation.GetObjectKeys(object)->size(), 2u);
    EXPECT_EQ(animation.GetKeyedFrames(), (std::set<unsigned>{10}));

    animation.SetCurrentFrame(10);
    ASSERT_TRUE(animation.OnCommand("Clear Keyframe"));
    EXPECT_EQ(animation.GetParameterKeys(object, object->height)->size(), 1u);
    EXPECT_EQ(animation.GetObjectKeys(object)->size(), 1u);
    EXPECT_TRUE(animation.GetKeyedFrames().empty());

    KeyHeights(object, {{10, 2.0f}});
    object->heightValue = 8.0f;
    ASSERT_TRUE(animation.OnCommand("Reset Animation"));
    EXPECT_EQ(*animation.GetParameterKeys(object, object->height),
              (CAnimationManager::ParameterKeys{{0, 8.0f}}));
    EXPECT_EQ(animation.GetMinimumLength(), 1u);
}

// ------------------------------------------------------------ value dialogs

TEST_F(AnimationManagerTest, SetCurrentFrameAsksInRangeAndGrowsTheLength)
{
    KeyedObject* object = Add();
    KeyHeights(object, {{0, 0.0f}, {10, 1.0f}});
    animation.SetCurrentFrame(3);
    ui.AnswerValue(65537.0f);  // refused, the dialog stays open
    ui.AnswerValue(30.0f);
    ASSERT_TRUE(animation.OnCommand("Set Current Frame"));
    ASSERT_EQ(ui.requests.size(), 1u);
    const vynui::ValueRequest& request = ui.requests[0];
    EXPECT_EQ(request.Title(), "Set Current Frame");
    EXPECT_EQ(request.minimum, 0.0f);
    EXPECT_EQ(request.maximum, 65536.0f);
    EXPECT_EQ(request.current, 3.0f);
    EXPECT_TRUE(request.integer);
    EXPECT_EQ(animation.GetCurrentFrame(), 30u);
    EXPECT_EQ(animation.GetLength(), 30u);
    EXPECT_FLOAT_EQ(object->heightValue, 1.0f);

    ui.AnswerValue(4.0f);  // a shorter frame keeps the length
    animation.OnCommand("Set Current Frame");
    EXPECT_EQ(animation.GetLength(), 30u);
    EXPECT_FLOAT_EQ(object->heightValue, 0.4f);
}

TEST_F(AnimationManagerTest, SetLengthStartsAfterTheLargestKeyedFrame)
{
    struct Case {
        std::vector<unsigned> keyed;
        float minimum;
    };
    const Case cases[] = {{{}, 1.0f}, {{0}, 1.0f}, {{0, 12}, 13.0f}, {{40, 7}, 41.0f}, {{65536}, 65536.0f}};
    for (const Case& c : cases) {
        animation.ResetAnimation();
        for (unsigned frame : c.keyed) {
            animation.SetCurrentFrame(frame);
            animation.SetKeyframe();
        }
        ui.requests.clear();
        ui.ClearEvents();
        ui.AnswerValue(c.minimum - 1.0f);
        ui.AnswerValue(c.minimum);
        ASSERT_TRUE(animation.OnCommand("Set Length"));
        ASSERT_EQ(ui.requests.size(), 1u);
        EXPECT_EQ(ui.requests[0].Title(), "Set Max Frame");
        EXPECT_EQ(ui.requests[0].minimum, c.minimum);
        EXPECT_EQ(ui.requests[0].maximum, 65536.0f);
        EXPECT_EQ(ui.EventsOf("refused").size(), 1u) << c.minimum;
        EXPECT_EQ(animation.GetLength(), unsigned(c.minimum));
    }
    // Without a prompt the commands change nothing.
    animation.SetUserInterface(nullptr);
    EXPECT_TRUE(animation.OnCommand("Set Length"));
    EXPECT_EQ(animation.GetLength(), 65536u);
}

}  // namespace
