// The base scene objects of a model: frames and moves, parameters, records of
// both formats, attaching, group moves, caching and teardown.

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "blobtree/CompositionNode.h"
#include "blobtree/nodes/CacheNode.h"
#include "blobtree_ui/CompositionParameter_CachingEnabled.h"
#include "blobtree_ui/PartGroupSO.h"
#include "scene/IParameter.h"
#include "test_BaseFixtures.h"
#include "wml/DeprecatedSerializer.h"
#include "wml/Serializer.h"

using namespace kilnform_test;
using vynui_bt::BlobTreeNodeSceneObject;
using vynui_bt::CompositionNodeSceneObject;
using Vec = Wml::Vector3<float>;

namespace {

std::vector<std::string> ParameterNames(vynui::SceneObject* object)
{
    std::vector<std::string> names;
    for (vynui::IParameter* parameter : object->GetParameterList()->GetParameters())
        names.push_back(parameter->GetName());
    return names;
}

template <class Record>
std::vector<unsigned int> ReadIds(const Record& record, const std::string& key)
{
    std::vector<unsigned int> ids;
    unsigned int count = 0;
    if (!record.GetValue(key, ids, count)) return {};
    ids.resize(count);
    record.GetValue(key, ids, count);
    return ids;
}

vynui::IParameter* FindParameter(vynui::SceneObject* object, const std::string& name)
{
    return object->GetParameterList()->Find(name);
}

struct CountingRootListener : vynbt::RootNodeListener {
    int calls = 0;
    void OnChildModified(vynbt::BlobTreeNode*, const Wml::AxisAlignedBox3<float>&) override { ++calls; }
};

struct NullEventListener : vynui::SceneObjectListener {
    int nullEvents = 0;
    void OnSceneObjectChanged(vynui::SceneObject*, const vynui::SceneObjectEvent* event) override
    {
        if (!event) ++nullEvents;
    }
};

}  // namespace

// ============================================================ frames and moves

TEST(BlobTreeNodeSceneObject, FrameMovesAndToolsGoThroughTheNode)
{
    TestModel model;
    BlobTreeNodeSceneObject* point = model.NewPoint(Vec(1, 2, 3));
    model.factory->AttachSceneObject(model.Root(), point, -1);
    CountingRootListener rootListener;
    model.Root()->GetRootNode()->AddListener(&rootListener);

    EXPECT_TRUE(kftest::Near(point->GetFrame().Origin(), Vec(1, 2, 3), 1e-4f));
    point->Translate(Vec(5, 0, 0), false);
    EXPECT_TRUE(kftest::Near(point->GetFrame().Origin(), Vec(5, 0, 0), 1e-4f));
    point->Translate(Vec(0, 1, 0), true);
    EXPECT_TRUE(kftest::Near(point->GetFrame().Origin(), Vec(5, 1, 0), 1e-4f));
    EXPECT_EQ(rootListener.calls, 2) << "each move is reported up the tree";

    const Wml::Matrix3<float> turn = RotationZ(0.5f);
    point->Rotate(turn, false);
    EXPECT_TRUE(kftest::Near(point->GetFrame().GetRotation(), turn, 1e-4f));
    // Turning the axes (rows of turn) by turn itself brings them back onto
    // the world axes.
    point->Rotate(turn, true);
    EXPECT_TRUE(kftest::Near(point->GetFrame().GetRotation(), Wml::Matrix3<float>::IDENTITY, 1e-4f));
    EXPECT_TRUE(kftest::Near(point->GetFrame().Origin(), Vec(5, 1, 0), 1e-4f));

    EXPECT_TRUE(point->SupportsTool("Translation3D"));
    EXPECT_TRUE(point->SupportsTool("Rotation3D"));
    EXPECT_TRUE(point->SupportsTool("DynamicTool3D"));
    EXPECT_FALSE(point->SupportsTool("Scale3D"));

    model.Root()->GetRootNode()->RemoveListener(&rootListener);
}

// ================================================== parameters, names, kinds

TEST(BlobTreeNodeSceneObject, ParameterListsNamesAndKinds)
{
    TestModel model;
    BlobTreeNodeSceneObject* point = model.NewPoint(Vec(0, 0, 0));
    CompositionNodeSceneObject* blend = model.NewBlend();
    auto* group = new vynui_bt::PartGroupSO(new vynbt::CacheNode(new vynimplicit::MinMaxUnion()));
    group->SetTree(model.tree);
    group->InitializeParameters();

    EXPECT_EQ(ParameterNames(point), (std::vector<std::string>{"Position", "Orientation", "Scale", "Name"}));
    EXPECT_EQ(ParameterNames(blend),
              (std::vector<std::string>{"Position", "Orientation", "Scale", "Name", "Caching"}));
    EXPECT_EQ(ParameterNames(model.Root()),
              (std::vector<std::string>{"Position", "Orientation", "Scale", "Name", "Caching"}));
    EXPECT_EQ(ParameterNames(group), (std::vector<std::string>{"Position", "Orientation", "Scale", "Name",
                                                               "Caching", "X", "Y", "Z"}));
    EXPECT_TRUE(FindParameter(group, "X")->IsExcluded());
    EXPECT_TRUE(FindParameter(group, "Z")->IsExcluded());
    EXPECT_FALSE(FindParameter(group, "Caching")->IsExcluded());

    EXPECT_STREQ(point->GetTypeName(), "BlobTreeNodeSO");
    EXPECT_STREQ(blend->GetTypeName(), "CompositionNodeSO");
    EXPECT_STREQ(model.tree->GetTypeName(), "BlobTreeSO");
    EXPECT_STREQ(model.Root()->GetTypeName(), "RootNode");
    EXPECT_STREQ(group->GetTypeName(), "Group");
    EXPECT_EQ(model.Root()->GetTypeCode(), 0);
    EXPECT_EQ(group->GetTypeCode(), 52);
    EXPECT_EQ(point->GetName().rfind("TestPoint", 0), 0u);
    EXPECT_EQ(model.Root()->GetName().rfind("RootNode", 0), 0u);
    EXPECT_EQ(group->GetName().rfind("Group", 0), 0u);
    EXPECT_EQ(model.Root()->GetTree(), model.tree);
    ASSERT_EQ(model.tree->GetChildren().size(), 1u);
    EXPECT_EQ(model.tree->GetChildren()[0], model.Root());

    // The group's X parameter moves the group's children.
    model.factory->AttachSceneObject(group, point, -1);
    FindParameter(group, "X")->SetFloatValue(4.0f);
    EXPECT_TRUE(kftest::Near(point->GetFrame().Origin(), Vec(4, 0, 0), 1e-4f));

    delete group;
    delete blend;
}

TEST(CompositionParameter_CachingEnabled, ReadsAndWritesTheNodeFlag)
{
    TestModel model;
    CompositionNodeSceneObject* blend = model.NewBlend();
    vynui::IParameter* caching = FindParameter(blend, "Caching");
    ASSERT_NE(caching, nullptr);
    EXPECT_EQ(caching->GetType(), 0);
    EXPECT_EQ(caching->GetIntValue(), 1);
    EXPECT_EQ(FindParameter(model.Root(), "Caching")->GetIntValue(), 0) << "the root never caches";

    NullEventListener listener;
    blend->AddListener(&listener);
    caching->SetIntValue(0);
    EXPECT_FALSE(blend->GetCompositionNode()->IsCachingEnabled());
    EXPECT_EQ(caching->GetIntValue(), 0);
    EXPECT_EQ(listener.nullEvents, 1);
    caching->SetIntValue(5);  // outside 0 ... 1: ignored
    EXPECT_FALSE(blend->GetCompositionNode()->IsCachingEnabled());
    EXPECT_EQ(listener.nullEvents, 1);
    caching->SetValueFromText("1");
    EXPECT_TRUE(blend->GetCompositionNode()->IsCachingEnabled());
    EXPECT_EQ(listener.nullEvents, 2);
    blend->RemoveListener(&listener);
    delete blend;
}

// ==================================================================== records

TEST(BlobTreeNodeSceneObject, CurrentRecordsCarryParametersAndChildren)
{
    TestModel model;
    CompositionNodeSceneObject* blend = model.NewBlend();
    model.factory->AttachSceneObject(model.Root(), blend, -1);
    BlobTreeNodeSceneObject* a = model.NewPoint(Vec(1, 0, 0));
    BlobTreeNodeSceneObject* b = model.NewPoint(Vec(0, 1, 0));
    model.factory->AttachSceneObject(blend, a, -1);
    model.factory->AttachSceneObject(blend, b, 0);

    Wml::Serializer serializer;
    Wml::SerializerRecord* record = serializer.CreateRecord(blend->GetTypeName());
    ASSERT_TRUE(blend->Store(&serializer, record));
    unsigned int id = 0;
    EXPECT_TRUE(record->GetValue("ObjectID", id, 0u));
    EXPECT_EQ(id, blend->GetObjectID());
    EXPECT_TRUE(record->HasKey("Caching"));
    EXPECT_TRUE(record->HasKey("Position"));
    EXPECT_EQ(ReadIds(*record, "Children"), (std::vector<unsigned int>{b->GetObjectID(), a->GetObjectID()}));

    // A restore brings the parameters back; children are re-linked by the
    // scene file, not here.
    Wml::SerializerRecord* pointRecord = serializer.CreateRecord(a->GetTypeName());
    ASSERT_TRUE(a->Store(&serializer, pointRecord));
    a->Translate(Vec(9, 9, 9), false);
    EXPECT_TRUE(a->Restore(&serializer, pointRecord));
    EXPECT_TRUE(kftest::Near(a->GetFrame().Origin(), Vec(1, 0, 0), 1e-4f));
    EXPECT_FALSE(a->Store(&serializer, nullptr));
    EXPECT_FALSE(blend->Store(&serializer, nullptr));
}

TEST(BlobTreeNodeSceneObject, OlderRecordsCarryTypeFrameAndChildRecords)
{
    TestModel model;
    CompositionNodeSceneObject* blend = model.NewBlend();
    model.factory->AttachSceneObject(model.Root(), blend, -1);
    BlobTreeNodeSceneObject* a = model.NewPoint(Vec(1, 2, 3));
    BlobTreeNodeSceneObject* b = model.NewPoint(Vec(-1, 0, 0));
    model.factory->AttachSceneObject(blend, a, -1);
    model.factory->AttachSceneObject(blend, b, -1);
    a->Rotate(RotationZ(0.3f), false);

    WmlDeprecated::Serializer serializer;
    WmlDeprecated::SerializerRecord* record = blend->StoreOld(&serializer);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->GetType(), 1009u);
    int nodeType = -1;
    EXPECT_TRUE(record->GetValue("NodeType", nodeType, -1));
    EXPECT_EQ(nodeType, 9);
    unsigned int numChildren = 0;
    EXPECT_TRUE(record->GetValue("NumChildren", numChildren, 0u));
    EXPECT_EQ(numChildren, 2u);
    const std::vector<unsigned int> ids = ReadIds(*record, "ChildrenIDs");
    ASSERT_EQ(ids.size(), 2u);
    WmlDeprecated::SerializerRecord* first = serializer.FindRecord(ids[0]);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetType(), 1001u);
    EXPECT_EQ(serializer.GetNumRecords(), 3u);

    // A fresh leaf restored from a's record stands where a stands, turned as a is.
    BlobTreeNodeSceneObject* copy = model.NewPoint(Vec(7, 7, 7));
    copy->SetTypeCode(0);
    EXPECT_TRUE(copy->RestoreOld(first));
    EXPECT_EQ(copy->GetTypeCode(), 1);
    EXPECT_TRUE(kftest::Near(copy->GetFrame().Origin(), Vec(1, 2, 3), 1e-4f));
    EXPECT_TRUE(kftest::Near(copy->GetFrame().GetRotation(), a->GetFrame().GetRotation(), 1e-4f));
    EXPECT_TRUE(copy->RestoreOld(nullptr, first)) << "the serializer overload forwards";

    // A code no type has is not taken over.
    WmlDeprecated::SerializerRecord badCode(99, 1001);
    badCode.SetValue("NodeType", -7);
    EXPECT_TRUE(copy->RestoreOld(&badCode));
    EXPECT_EQ(copy->GetTypeCode(), 1);
    badCode.SetValue("NodeType", 4000);
    EXPECT_TRUE(copy->RestoreOld(&badCode));
    EXPECT_EQ(copy->GetTypeCode(), 1);

    // No frame stored: the object goes to the origin.
    WmlDeprecated::SerializerRecord bare(100, 1001);
    EXPECT_TRUE(copy->RestoreOld(&bare));
    EXPECT_TRUE(kftest::Near(copy->GetFrame().Origin(), Vec(0, 0, 0), 1e-4f));

    // A frame that places nothing is refused and the object stays put.
    copy->Translate(Vec(2, 2, 2), false);
    WmlDeprecated::SerializerRecord hostile(101, 1001);
    Wml::Frame3<float> broken(Vec(std::numeric_limits<float>::quiet_NaN(), 0, 0));
    hostile.SetValue("NodeFrame", broken);
    EXPECT_FALSE(copy->RestoreOld(&hostile));
    EXPECT_TRUE(kftest::Near(copy->GetFrame().Origin(), Vec(2, 2, 2), 1e-4f));
    EXPECT_FALSE(copy->RestoreOld(static_cast<WmlDeprecated::SerializerRecord*>(nullptr)));
    EXPECT_EQ(copy->StoreOld(nullptr), nullptr);

    // A group's stored frame is not applied: it is placed by its children.
    const Vec before = blend->GetFrame().Origin();
    EXPECT_TRUE(blend->RestoreOld(&bare));
    EXPECT_TRUE(kftest::Near(blend->GetFrame().Origin(), before, 1e-4f));
    delete copy;
}

// ================================================================= attaching

TEST(BlobTreeFactory, AttachKeepsBothTreesInStep)
{
    TestModel model;
    BlobTreeNodeSceneObject* leaf = model.NewPoint(Vec(0, 0, 0));
    EXPECT_TRUE(model.factory->AttachSceneObject(model.Root(), leaf, -1));

    // Under a leaf: the object goes to the end of the root instead.
    BlobTreeNodeSceneObject* other = model.NewPoint(Vec(1, 0, 0));
    EXPECT_FALSE(model.factory->AttachSceneObject(leaf, other, 0));
    EXPECT_EQ(other->GetParent(), model.Root());
    EXPECT_EQ(other->GetNode()->GetParent(), model.Root()->GetNode());
    ASSERT_EQ(model.Root()->GetChildren().size(), 2u);
    EXPECT_EQ(model.Root()->GetChildren()[1], other);
    EXPECT_TRUE(leaf->GetChildren().empty());

    // At an index: the same place in both trees.
    CompositionNodeSceneObject* blend = model.NewBlend();
    EXPECT_TRUE(model.factory->AttachSceneObject(model.Root(), blend, 0));
    EXPECT_EQ(model.Root()->GetChildren()[0], blend);
    EXPECT_EQ(model.Root()->GetCompositionNode()->GetChild(0), blend->GetNode());
    BlobTreeNodeSceneObject* x = model.NewPoint(Vec(0, 0, 1));
    BlobTreeNodeSceneObject* y = model.NewPoint(Vec(0, 0, 2));
    EXPECT_TRUE(model.factory->AttachSceneObject(blend, x, -1));
    EXPECT_TRUE(model.factory->AttachSceneObject(blend, y, 0));
    EXPECT_EQ(blend->GetChildren(), (std::vector<vynui::SceneObject*>{y, x}));
    EXPECT_EQ(blend->GetCompositionNode()->GetChild(0), y->GetNode());
    EXPECT_EQ(blend->GetCompositionNode()->GetChild(1), x->GetNode());

    // Moving an attached object elsewhere leaves its old place in both trees.
    EXPECT_TRUE(model.factory->AttachSceneObject(blend, leaf, -1));
    EXPECT_EQ(std::count(model.Root()->GetChildren().begin(), model.Root()->GetChildren().end(), leaf), 0);
    EXPECT_EQ(model.Root()->GetCompositionNode()->GetNumChildren(), 2u);
    EXPECT_EQ(blend->GetCompositionNode()->GetNumChildren(), 3u);

    // A group cannot go under its own child, nor under itself.
    CompositionNodeSceneObject* inner = model.NewBlend();
    EXPECT_TRUE(model.factory->AttachSceneObject(blend, inner, -1));
    EXPECT_FALSE(model.factory->AttachSceneObject(inner, blend, -1));
    EXPECT_FALSE(model.factory->AttachSceneObject(blend, blend, -1));
    EXPECT_EQ(blend->GetParent(), model.Root());
    EXPECT_EQ(model.Root()->GetChildren()[0], blend);
    EXPECT_FALSE(model.factory->AttachSceneObject(blend, nullptr, -1));

    // Null parent, or an unknown code, through CreateAndAttach.
    EXPECT_EQ(model.factory->CreateAndAttach(nullptr, 5, -1), nullptr);
    EXPECT_EQ(model.factory->CreateAndAttach(blend, 1000, -1), nullptr);
}

// ================================================================ group moves

namespace {
struct GroupOfThree {
    TestModel model;
    CompositionNodeSceneObject* group;
    std::vector<BlobTreeNodeSceneObject*> points;
    GroupOfThree()
    {
        group = model.NewBlend();
        model.factory->AttachSceneObject(model.Root(), group, -1);
        for (const Vec& p : {Vec(1, 0, 0), Vec(3, 0, 0), Vec(2, 3, 0)}) {
            points.push_back(model.NewPoint(p));
            model.factory->AttachSceneObject(group, points.back(), -1);
        }
    }
    std::vector<Vec> Positions() const
    {
        std::vector<Vec> out;
        for (BlobTreeNodeSceneObject* p : points) out.push_back(p->GetFrame().Origin());
        return out;
    }
};
}  // namespace

TEST(CompositionNodeSceneObject, TranslateMovesEveryChildByTheSameDisplacement)
{
    GroupOfThree g;
    EXPECT_TRUE(kftest::Near(g.group->GetFrame().Origin(), Vec(2, 1, 0), 1e-4f));
    const std::vector<Vec> before = g.Positions();

    g.group->Translate(Vec(10, 10, 10), false);
    EXPECT_TRUE(kftest::Near(g.group->GetFrame().Origin(), Vec(10, 10, 10), 1e-4f));
    std::vector<Vec> after = g.Positions();
    for (size_t i = 0; i < after.size(); ++i)
        EXPECT_TRUE(kftest::Near(after[i], before[i] + Vec(8, 9, 10), 1e-4f));

    g.group->Translate(Vec(-1, 0, 2), true);
    after = g.Positions();
    for (size_t i = 0; i < after.size(); ++i)
        EXPECT_TRUE(kftest::Near(after[i], before[i] + Vec(7, 9, 12), 1e-4f));
    EXPECT_TRUE(kftest::Near(g.group->GetFrame().Origin(), Vec(9, 10, 12), 1e-4f));
}

TEST(CompositionNodeSceneObject, AbsoluteRotationTurnsChildrenAboutTheGroupOrigin)
{
    GroupOfThree g;
    const Vec centre = g.group->GetFrame().Origin();
    const std::vector<Vec> before = g.Positions();

    // From the world axes, the absolute rotation m needs the turn that takes
    // the axes onto the rows of m: m^T as a world rotation.
    const Wml::Matrix3<float> m = RotationZ(0.7f);
    g.group->Rotate(m, false);
    const Wml::Matrix3<float> turn = m.Transpose();
    std::vector<Vec> after = g.Positions();
    for (size_t i = 0; i < after.size(); ++i)
        EXPECT_TRUE(kftest::Near(after[i], centre + turn * (before[i] - centre), 1e-4f));
    EXPECT_TRUE(kftest::Near(g.group->GetFrame().Origin(), centre, 1e-4f));
    EXPECT_TRUE(kftest::Near(g.group->GetFrame().GetRotation(), m, 1e-4f));
    EXPECT_TRUE(
        kftest::Near(g.points[0]->GetFrame().GetRotation(), m, 1e-4f));  // children turn with the group

    // Asking for the same orientation again turns nothing.
    g.group->Rotate(m, false);
    const std::vector<Vec> again = g.Positions();
    for (size_t i = 0; i < again.size(); ++i) EXPECT_TRUE(kftest::Near(again[i], after[i], 1e-4f));

    // A relative turn is applied as given.
    const Wml::Matrix3<float> r = RotationZ(-0.2f);
    g.group->Rotate(r, true);
    const std::vector<Vec> turned = g.Positions();
    for (size_t i = 0; i < turned.size(); ++i)
        EXPECT_TRUE(kftest::Near(turned[i], centre + r * (after[i] - centre), 1e-4f));
}

TEST(CompositionNodeSceneObject, UniformScalingSpreadsChildrenAboutTheCentre)
{
    GroupOfThree g;
    const Vec centre = g.group->GetFrame().Origin();
    const std::vector<Vec> before = g.Positions();
    g.group->Scale(2.0f, 2.0f, 2.0f, true, true);
    const std::vector<Vec> after = g.Positions();
    for (size_t i = 0; i < after.size(); ++i)
        EXPECT_TRUE(kftest::Near(after[i], centre + (before[i] - centre) * 2.0f, 1e-4f));
    EXPECT_TRUE(kftest::Near(g.group->GetFrame().Origin(), centre, 1e-4f));

    // Non-uniform or absolute scaling does not move a group's children.
    g.group->Scale(3.0f, 1.0f, 1.0f, true, false);
    const std::vector<Vec> still = g.Positions();
    for (size_t i = 0; i < still.size(); ++i) EXPECT_TRUE(kftest::Near(still[i], after[i], 1e-4f));
}

TEST(CompositionNodeSceneObject, GroupFieldFollowsItsMovedChildren)
{
    // Whichever way a caching group is moved, its field is the field of its
    // children where they now are.
    for (bool relative : {false, true}) {
        GroupOfThree g;
        CompositionNodeSceneObject* outer = g.model.NewBlend();
        g.model.factory->AttachSceneObject(g.model.Root(), outer, -1);
        g.model.factory->AttachSceneObject(outer, g.group, -1);
        ASSERT_TRUE(g.group->GetCompositionNode()->IsCachingEnabled());
        const Vec probe(1.2f, 0.1f, 0.0f);
        const float before = g.group->GetNode()->Value(probe);
        if (relative)
            g.group->Translate(Vec(5, 0, 0), true);
        else
            g.group->Translate(g.group->GetFrame().Origin() + Vec(5, 0, 0), false);
        EXPECT_NEAR(g.group->GetNode()->Value(probe + Vec(5, 0, 0)), before, 1e-2f)
            << "relative " << relative;
        EXPECT_LT(g.group->GetNode()->Value(probe), 0.05f) << "relative " << relative;
    }
}

// ================================================================== teardown

TEST(BlobTreeNodeSceneObject, DestructionDetachesFromBothTrees)
{
    TestModel model;
    CompositionNodeSceneObject* blend = model.NewBlend();
    model.factory->AttachSceneObject(model.Root(), blend, -1);
    BlobTreeNodeSceneObject* a = model.NewPoint(Vec(0, 0, 0));
    BlobTreeNodeSceneObject* b = model.NewPoint(Vec(2, 0, 0));
    model.factory->AttachSceneObject(blend, a, -1);
    model.factory->AttachSceneObject(blend, b, -1);

    delete a;
    EXPECT_EQ(blend->GetChildren(), (std::vector<vynui::SceneObject*>{b}));
    EXPECT_EQ(blend->GetCompositionNode()->GetNumChildren(), 1u);
    EXPECT_NEAR(model.Root()->GetNode()->Value(Vec(0, 0, 0)), 0.0f, 1e-6f) << "the deleted point is gone";
    EXPECT_GT(model.Root()->GetNode()->Value(Vec(2, 0, 0)), 0.5f);

    // Deleting a group deletes its children with it.
    delete blend;
    EXPECT_TRUE(model.Root()->GetChildren().empty());
    EXPECT_EQ(model.Root()->GetCompositionNode()->GetNumChildren(), 0u);
}

TEST(BlobTreeSceneObject, RootOutlivingItsModelStaysUsable)
{
    auto* tree = new vynui_bt::BlobTreeSceneObject();
    auto* factory = new vynui_bt::BlobTreeFactory(tree);
    tree->SetFactory(factory);
    vynui_bt::RootNodeSceneObject* root = factory->GetRootSceneObject();
    BlobTreeNodeSceneObject* leaf = factory->CreateAndAttach(nullptr, 52, -1);
    ASSERT_NE(leaf, nullptr);
    EXPECT_EQ(leaf->GetTree(), tree);
    delete tree;  // also the factory
    EXPECT_EQ(root->GetTree(), nullptr);
    EXPECT_EQ(leaf->GetTree(), nullptr);
    EXPECT_EQ(root->GetParent(), nullptr);
    leaf->Translate(Vec(1, 1, 1), true);  // locks its own mutex now
    delete root;
}

TEST(BlobTreeSceneObject, SetFactoryReplacesTheOnlyChild)
{
    vynui_bt::BlobTreeSceneObject tree;
    auto* first = new vynui_bt::BlobTreeFactory(&tree);
    tree.SetFactory(first);
    vynui_bt::RootNodeSceneObject* firstRoot = first->GetRootSceneObject();
    EXPECT_EQ(tree.GetRootSceneObject(), firstRoot);
    auto* second = new vynui_bt::BlobTreeFactory(&tree);
    tree.SetFactory(second);  // the first factory is destroyed, its root is not
    ASSERT_EQ(tree.GetChildren().size(), 1u);
    EXPECT_EQ(tree.GetChildren()[0], second->GetRootSceneObject());
    EXPECT_EQ(tree.GetFactory(), second);
    delete firstRoot;
    delete second->GetRootSceneObject();
    EXPECT_EQ(second->GetRootSceneObject(), nullptr) << "the factory forgets a destroyed root";
}
