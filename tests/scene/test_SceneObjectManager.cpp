// The object registry and the selection: flags kept in step with the sets,
// picking among objects, tree removal, tool targets.

#include <gtest/gtest.h>

#include "scene/SceneObject.h"
#include "scene/SceneObjectManager.h"
#include "scene/ToolTargetReceiver.h"

using namespace vynui;
using V3 = Wml::Vector3<float>;
using List = std::vector<SceneObject*>;

namespace {

// Hit by every ray at a fixed t (negative: never); records drawing.
struct Target : SceneObject {
    float hitT = -1.0f;
    SceneObject* answer = nullptr;  // what a hit reports; this object when null
    std::vector<bool>* rendered = nullptr;
    SceneObject* Pick(const Wml::Ray3<float>&, float& t) override
    {
        if (hitT < 0.0f) return nullptr;
        t = hitT;
        return answer ? answer : this;
    }
    void Render(bool selected) override
    {
        if (rendered) rendered->push_back(selected);
    }
};

struct RecordingManager : SceneObjectManager {
    List removed;
    void RemoveObject(SceneObject* o) override
    {
        removed.push_back(o);
        SceneObjectManager::RemoveObject(o);
    }
};

struct Receiver : ToolTargetReceiver {
    List targets;
    int refreshes = 0;
    void SetTargets(const List& t) override { targets = t; }
    void Refresh() override { ++refreshes; }
};

const Wml::Ray3<float> kRay(V3(0, 0, -10), V3(0, 0, 1));

void ExpectInStep(const SceneObjectManager& m)
{
    for (SceneObject* o : m.GetObjects())
        EXPECT_EQ(o->IsUnselected(), !m.GetSelection().Contains(o)) << o->GetName();
}

}  // namespace

TEST(SceneObjectManager, SelectionFlagsFollowTheSets)
{
    SceneObjectManager m;
    Target a, b, c, stranger;
    m.AddObject(&a, true);
    m.AddObject(&b, false);
    m.AddObject(&c, false);
    EXPECT_EQ(m.GetObjects().Items(), (List{&a, &b, &c}));
    EXPECT_EQ(m.GetSelection().Items(), List{&a});
    EXPECT_FALSE(m.Select(&stranger));
    EXPECT_FALSE(m.Deselect(&stranger));
    EXPECT_TRUE(stranger.IsUnselected());

    EXPECT_TRUE(m.Select(&c));
    EXPECT_TRUE(m.Select(&c));
    EXPECT_TRUE(m.Deselect(&a));
    EXPECT_EQ(m.GetSelection().Items(), List{&c});
    m.SelectAll();
    EXPECT_EQ(m.GetSelection().Items(), (List{&c, &a, &b}));
    ExpectInStep(m);

    m.AddObject(&a, false);  // again, unselected: leaves the selection
    EXPECT_EQ(m.GetObjects().Size(), 3u);
    EXPECT_FALSE(m.GetSelection().Contains(&a));
    ExpectInStep(m);
    m.RemoveObject(&b);
    EXPECT_TRUE(b.IsUnselected());
    EXPECT_FALSE(m.Select(&b));
    m.ClearSelection();
    EXPECT_TRUE(m.GetSelection().Empty());
    ExpectInStep(m);
}

TEST(SceneObjectManager, FindHitTakesTheNearestWhateverTheOrder)
{
    for (bool nearFirst : {true, false}) {
        SceneObjectManager m;
        Target nearObject, farObject, miss;
        nearObject.hitT = 2.0f;
        farObject.hitT = 5.0f;
        m.AddObject(&miss, false);
        m.AddObject(nearFirst ? &nearObject : &farObject, false);
        m.AddObject(nearFirst ? &farObject : &nearObject, false);
        float t = -1.0f;
        EXPECT_EQ(m.FindHit(kRay, t), &nearObject);
        EXPECT_EQ(t, 2.0f);
    }
    SceneObjectManager m;
    Target first, second;
    first.hitT = second.hitT = 1.0f;
    m.AddObject(&first, false);
    m.AddObject(&second, false);
    float t = 0.0f;
    EXPECT_EQ(m.FindHit(kRay, t), &first);  // ties: the first registered
    EXPECT_FALSE(SceneObjectManager().HitTest(kRay));
}

TEST(SceneObjectManager, SelectAtAndDeselectAt)
{
    SceneObjectManager m;
    Target selected, hit;
    m.AddObject(&selected, true);
    m.AddObject(&hit, false);
    // Empty space: adding keeps the selection, replacing clears it.
    EXPECT_FALSE(m.SelectAt(kRay, true));
    EXPECT_EQ(m.GetSelection().Items(), List{&selected});
    EXPECT_FALSE(m.SelectAt(kRay, false));
    EXPECT_TRUE(m.GetSelection().Empty());
    ExpectInStep(m);

    hit.hitT = 3.0f;
    m.Select(&selected);
    EXPECT_TRUE(m.SelectAt(kRay, true));
    EXPECT_EQ(m.GetSelection().Items(), (List{&selected, &hit}));
    EXPECT_TRUE(m.SelectAt(kRay, false));
    EXPECT_EQ(m.GetSelection().Items(), List{&hit});
    EXPECT_TRUE(m.DeselectAt(kRay));
    EXPECT_TRUE(m.GetSelection().Empty());

    // A hit that is not registered (a handle answering for its owner) is
    // not selected, and not left flagged as selected either.
    Target handle;
    hit.answer = &handle;
    EXPECT_FALSE(m.SelectAt(kRay, false));
    EXPECT_TRUE(handle.IsUnselected());
}

TEST(SceneObjectManager, SubSelectionAndToolTargets)
{
    SceneObjectManager m;
    Target owner, other, h1, h2;
    m.AddObject(&owner, false);
    m.AddObject(&other, true);
    Receiver receiver;
    m.UpdateToolTargets(&receiver);
    EXPECT_EQ(receiver.targets, List{&other});
    EXPECT_EQ(receiver.refreshes, 1);

    m.SelectSubObject(&owner, &h1, true);
    EXPECT_EQ(m.GetSelection().Items(), List{&owner});
    EXPECT_FALSE(h1.IsUnselected());
    m.SelectSubObject(&owner, &h2, false);
    EXPECT_EQ(m.GetToolTargets(), (List{&h1, &h2}));  // handles win over the selection
    m.SelectSubObject(&owner, &h2, true);
    EXPECT_TRUE(h1.IsUnselected());
    m.UpdateToolTargets(&receiver);
    EXPECT_EQ(receiver.targets, List{&h2});

    m.ClearSelection();
    EXPECT_TRUE(m.GetSubSelection().Empty());
    EXPECT_TRUE(h2.IsUnselected());
    // Removing a sub-selected object drops the pointer and the flag.
    m.SelectSubObject(&owner, &other, true);
    m.RemoveObject(&other);
    EXPECT_TRUE(m.GetSubSelection().Empty());
    EXPECT_TRUE(other.IsUnselected());
}

TEST(SceneObjectManager, RemoveObjectTreeRemovesChildrenFirst)
{
    RecordingManager m;
    Target root, a, b, a1, a2, loose;
    root.InsertChild(&a, -1);
    root.InsertChild(&b, -1);
    a.InsertChild(&a1, -1);
    a.InsertChild(&a2, -1);
    for (Target* o : {&root, &a, &b, &a1, &a2, &loose}) m.AddObject(o, true);
    m.RemoveObjectTree(&root);
    EXPECT_EQ(m.removed, (List{&a1, &a2, &a, &b, &root}));
    EXPECT_EQ(root.GetChildren(), (List{&a, &b}));
    EXPECT_EQ(m.GetObjects().Items(), List{&loose});
    EXPECT_EQ(m.GetSelection().Items(), List{&loose});

    // A cycle ends with each object removed once; a deep chain does not
    // exhaust the stack.
    RecordingManager m2;
    Target x, y;
    x.InsertChild(&y, -1);
    y.InsertChild(&x, -1);
    m2.RemoveObjectTree(&x);
    EXPECT_EQ(m2.removed, (List{&y, &x}));
    RecordingManager m3;
    std::vector<Target> chain(100000);
    for (size_t i = 0; i + 1 < chain.size(); ++i) chain[i].InsertChild(&chain[i + 1], -1);
    for (Target& t : chain) m3.AddObject(&t, false);
    m3.RemoveObjectTree(&chain[0]);
    EXPECT_TRUE(m3.GetObjects().Empty());
}

TEST(SceneObjectManager, RenderAllDrawsInRegistrationOrderWithSelection)
{
    SceneObjectManager m;
    std::vector<bool> rendered;
    Target a, b, c;
    for (Target* t : {&a, &b, &c}) t->rendered = &rendered;
    m.AddObject(&a, false);
    m.AddObject(&b, true);
    m.AddObject(&c, false);
    m.RenderAll();
    EXPECT_EQ(rendered, (std::vector<bool>{false, true, false}));
}
