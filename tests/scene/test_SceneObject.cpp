// Scene objects: identity and names, tree links, frame operations with their
// events, listeners, picking over handles, generic points.

#include <gtest/gtest.h>

#include "scene/GenericPointSceneObject.h"
#include "scene/NameRegistry.h"
#include "test_SceneFixtures.h"

using namespace vynui;
using kilnform_test::FramedObject;
using kilnform_test::Near;
using kilnform_test::RecordingListener;
using V3 = Wml::Vector3<float>;
using M3 = Wml::Matrix3<float>;

namespace {

struct PointTarget : GenericPointSceneObjectTarget {
    V3 position;
    int moves = 0;
    V3 GetPosition() override { return position; }
    void SetPosition(const V3& p, bool relative) override { position = relative ? position + p : p, ++moves; }
};

}  // namespace

// ---------------------------------------------------------------- identity

TEST(SceneObjectIdentity, IdsIncreaseAndNamesAreNeverReused)
{
    SceneObject a, b;
    EXPECT_EQ(b.GetObjectID(), a.GetObjectID() + 1);
    EXPECT_EQ(a.GetName().rfind("SceneObject", 0), 0u);
    EXPECT_NE(a.GetName(), b.GetName());

    // Own name and another object's name are refused silently.
    RecordingListener listener;
    a.AddListener(&listener);
    const std::string oldName = a.GetName();
    EXPECT_FALSE(a.SetName(oldName));
    EXPECT_FALSE(a.SetName(b.GetName()));
    EXPECT_FALSE(a.SetName(""));
    EXPECT_EQ(a.GetName(), oldName);
    EXPECT_TRUE(listener.entries.empty());
    EXPECT_TRUE(a.SetName("IdentityTest_Renamed"));
    EXPECT_EQ(listener.Kinds(), std::vector<int>{-1});

    // Neither a rename nor destruction frees a name.
    EXPECT_FALSE(b.SetName(oldName));
    std::string deadName;
    {
        SceneObject gone;
        deadName = gone.GetName();
    }
    EXPECT_TRUE(IsNameClaimed(deadName));
    SceneObject c;
    EXPECT_NE(c.GetName(), deadName);
}

TEST(SceneObjectIdentity, NameRegistryHandsOutTheSmallestFreeNumber)
{
    const std::string base = "RegistryProbe";
    EXPECT_EQ(MakeUniqueName(base), base + "1");
    EXPECT_EQ(MakeUniqueName(base), base + "1");  // asking does not claim
    EXPECT_TRUE(ClaimName(base + "1"));
    EXPECT_FALSE(ClaimName(base + "1"));
    EXPECT_TRUE(ClaimName(base + "3"));
    EXPECT_EQ(MakeUniqueName(base), base + "2");
    EXPECT_TRUE(ClaimName(base + "2"));
    EXPECT_EQ(MakeUniqueName(base), base + "4");
}

// ---------------------------------------------------------------- children and handles

TEST(SceneObjectTree, ChildAndHandleListsKeepTheirOrder)
{
    SceneObject parent, a, b, c, d, e;
    parent.InsertChild(&a, -1);
    parent.InsertChild(&b, 1);  // index == count
    parent.InsertChild(&c, 7);  // count + 5
    parent.InsertChild(&d, 0);
    parent.InsertChild(&e, 2);
    parent.InsertChild(nullptr, 0);
    parent.InsertChild(&parent, 0);
    EXPECT_EQ(parent.GetChildren(), (std::vector<SceneObject*>{&d, &a, &e, &b, &c}));
    EXPECT_EQ(a.GetParent(), &parent);
    parent.RemoveChild(&e);
    EXPECT_EQ(parent.GetChildren(), (std::vector<SceneObject*>{&d, &a, &b, &c}));
    EXPECT_EQ(e.GetParent(), &parent);  // the link back is left alone
    parent.ClearChildren();
    EXPECT_TRUE(parent.GetChildren().empty());

    SceneObject h1, h2, h3;
    for (SceneObject* h : {&h1, &h2, &h3}) parent.AddHandle(h);
    EXPECT_EQ(h2.GetParent(), &parent);
    parent.RemoveHandle(&h2);
    EXPECT_EQ(parent.GetHandles(), (std::vector<SceneObject*>{&h1, &h3}));
}

// ---------------------------------------------------------------- frame operations

TEST(SceneObjectFrame, OperationsMoveAndReportDeltas)
{
    FramedObject o;
    RecordingListener listener;
    o.AddListener(&listener);
    o.AddListener(&listener);  // told once

    o.Translate(V3(1, 2, 3), true);
    o.Translate(V3(5, 5, 5), false);
    ASSERT_EQ(listener.Kinds(), (std::vector<int>{0, 0}));
    EXPECT_TRUE(Near(listener.entries[1].vector, V3(4, 3, 2)));  // new minus old origin

    const M3 rz(V3::UNIT_Z, Wml::Math<float>::HALF_PI);
    o.Rotate(rz, true);
    EXPECT_EQ(listener.entries.back().kind, 1);
    EXPECT_TRUE(listener.entries.back().relative);
    EXPECT_EQ(listener.entries.back().matrix, rz);

    o.Scale(2, 3, 4, false, false);
    o.Scale(1, 6, 2, false, false);  // factors = new / old
    EXPECT_TRUE(Near(listener.entries.back().vector, V3(0.5f, 2, 0.5f)));
    o.Scale(2, 2, 2, true, true);
    EXPECT_TRUE(Near(listener.entries.back().vector, V3(2, 2, 2)));

    // From a zero scale no factor exists: a null event instead of infinity.
    o.Scale(0, 1, 1, false, false);
    o.Scale(3, 1, 1, false, false);
    EXPECT_EQ(listener.entries.back().kind, -1);
    EXPECT_TRUE(Near(o.frame.Scale(), V3(3, 1, 1)));

    // Non-finite input is refused and nobody is told.
    const size_t before = listener.entries.size();
    o.Translate(V3(std::nanf(""), 0, 0), true);
    o.Scale(1, INFINITY, 1, true, false);
    M3 bad = M3::IDENTITY;
    bad(0, 0) = std::nanf("");
    o.Rotate(bad, false);
    EXPECT_EQ(listener.entries.size(), before);
    EXPECT_TRUE(Near(o.frame.Origin(), V3(5, 5, 5)));

    // RotateAbout: translate, rotate, translate; the origin turns about c.
    listener.entries.clear();
    o.frame.Origin() = V3(2, 0, 0);
    o.RotateAbout(rz, V3(1, 0, 0));
    EXPECT_TRUE(Near(o.frame.Origin(), V3(1, 1, 0)));
    EXPECT_EQ(listener.Kinds(), (std::vector<int>{0, 1, 0}));
}

TEST(SceneObjectFrame, ListenersMayLeaveWhileBeingTold)
{
    struct Leaver : SceneObjectListener {
        SceneObjectListener* other = nullptr;
        int calls = 0;
        void OnSceneObjectChanged(SceneObject* o, const SceneObjectEvent*) override
        {
            ++calls;
            o->RemoveListener(this);
            o->RemoveListener(other);
        }
    };
    SceneObject o;
    Leaver a, b;
    a.other = &b;
    b.other = &a;
    o.AddListener(&a);
    o.AddListener(&b);
    o.Notify(nullptr);
    EXPECT_EQ(a.calls + b.calls, 1);  // the first removed the second
    EXPECT_TRUE(o.GetListeners().empty());
}

// ---------------------------------------------------------------- picking

TEST(SceneObjectPick, HandlesArePickedOnlyWhileTheOwnerIsSelected)
{
    PointTarget nearTarget, farTarget;
    nearTarget.position = V3(0, 0, 2);
    farTarget.position = V3(0, 0, 5);
    GenericPointSceneObject nearPoint(&nearTarget), farPoint(&farTarget);
    SceneObject owner;
    owner.AddHandle(&farPoint);
    owner.AddHandle(&nearPoint);
    const Wml::Ray3<float> ray(V3(0, 0, 0), V3(0, 0, 1));
    float t = -1.0f;
    EXPECT_EQ(owner.Pick(ray, t), nullptr);  // unselected at construction
    owner.SetUnselected(false);
    EXPECT_EQ(owner.Pick(ray, t), &farPoint);  // the first in order, not the nearest
    EXPECT_FLOAT_EQ(t, 5.0f);
}

TEST(GenericPointSceneObject, PicksAheadWithinToleranceAndMovesItsTarget)
{
    PointTarget target;
    target.position = V3(1, 0, 3);
    GenericPointSceneObject point(&target);
    EXPECT_TRUE(point.SupportsTool("Translation3D"));
    EXPECT_FALSE(point.SupportsTool("Rotation3D"));
    EXPECT_TRUE(Near(point.GetFrame().Origin(), target.position));

    float t = -1.0f;
    // Squared distance 0.0049 hits, 0.0064 misses; behind the origin misses.
    EXPECT_EQ(point.Pick(Wml::Ray3<float>(V3(1.07f, 0, 0), V3(0, 0, 1)), t), &point);
    EXPECT_NEAR(t, 3.0f, 1e-5f);
    EXPECT_EQ(point.Pick(Wml::Ray3<float>(V3(1.08f, 0, 0), V3(0, 0, 1)), t), nullptr);
    EXPECT_EQ(point.Pick(Wml::Ray3<float>(V3(1, 0, 5), V3(0, 0, 1)), t), nullptr);

    RecordingListener listener;
    point.AddListener(&listener);
    point.Translate(V3(1, 1, 1), true);
    point.Translate(V3(0, 0, 1), false);
    point.Translate(V3(std::nanf(""), 0, 0), false);
    EXPECT_EQ(target.moves, 2);
    EXPECT_TRUE(Near(target.position, V3(0, 0, 1)));
    EXPECT_TRUE(listener.entries.empty());  // no events for points

    GenericPointSceneObject orphan;
    EXPECT_EQ(orphan.Pick(Wml::Ray3<float>(V3(0, 0, -1), V3(0, 0, 1)), t), nullptr);
}
