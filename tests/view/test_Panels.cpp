// The two docked panels' models, driven through a real view core: the
// parameter rows of the selected object and the tree of the model.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "blobtree/nodes/PointNode.h"
#include "blobtree_ui/BlobTreeNodeSceneObject.h"
#include "blobtree_ui/BlobTreeSceneObject.h"
#include "blobtree_ui/RootNodeSceneObject.h"
#include "scene/IParameter.h"
#include "scene/ParameterList.h"
#include "scene/SceneManager.h"
#include "scene/SceneObjectManager.h"
#include "tests/support/ScriptedUserInterface.h"
#include "view/BlobTreeEditorModel.h"
#include "view/ParametersPanelModel.h"
#include "view/ViewCore.h"
#include "wml/DebugOutput.h"

using vynui::CBlobTreeEditorModel;
using vynui::CParametersPanelModel;
using vynui::CViewCore;
using vynui_bt::BlobTreeNodeSceneObject;

namespace {

struct PanelRig {
    CViewCore view{CViewCore::Managers::Own};
    kftest::ScriptedUserInterface ui;
    CParametersPanelModel parameters;
    CBlobTreeEditorModel tree;
    int rebuilds = 0;

    PanelRig()
    {
        view.SetUserInterface(&ui);
        view.Resize(800, 600);
        parameters.SetUserInterface(&ui);
        parameters.SetSceneManager(Scene());
        tree.SetRebuiltHook([this] { ++rebuilds; });
        tree.SetSceneManager(Scene());
        view.AddPanelListener(&parameters);
        view.AddPanelListener(&tree);
    }

    vynui::CSceneManager* Scene() const { return view.GetSceneManager(); }
    BlobTreeNodeSceneObject* AddPoint(bool select) { return Scene()->AddNode(1, nullptr, select); }

    std::size_t RowOf(const std::string& name) const
    {
        const auto& rows = parameters.GetRows();
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i].name == name) return i;
        ADD_FAILURE() << "no row " << name;
        return rows.size();
    }
    std::string ValueOf(const std::string& name) const { return parameters.GetRows()[RowOf(name)].value; }
};

float RadiusOf(BlobTreeNodeSceneObject* point)
{
    return static_cast<vynbt::PointNode*>(point->GetNode())->GetSize();
}

std::vector<std::string> Labels(const std::vector<CBlobTreeEditorModel::Item>& items)
{
    std::vector<std::string> labels;
    for (const auto& item : items) labels.push_back(item.label);
    return labels;
}

}  // namespace

TEST(ParametersPanel, ListsTheOneSelectedObjectsParametersInOrderAndEmptiesOtherwise)
{
    PanelRig rig;
    EXPECT_TRUE(rig.parameters.GetRows().empty());
    BlobTreeNodeSceneObject* a = rig.AddPoint(true);
    ASSERT_EQ(a, rig.parameters.GetObject());
    const auto& list = a->GetParameterList()->GetParameters();
    ASSERT_EQ(list.size(), rig.parameters.GetRows().size());
    for (std::size_t i = 0; i < list.size(); ++i) {
        const auto& row = rig.parameters.GetRows()[i];
        EXPECT_EQ(list[i], row.parameter);
        EXPECT_EQ(list[i]->GetName(), row.name);
        std::string text;
        list[i]->GetValueAsText(text);
        EXPECT_EQ(text, row.value);
    }
    EXPECT_EQ(a->GetName(), rig.ValueOf("Name"));
    EXPECT_EQ("Radius", rig.parameters.GetRows().back().name);

    // Two selected, then none: nothing to list.
    BlobTreeNodeSceneObject* b = rig.AddPoint(false);
    rig.Scene()->SetSelection({a, b});
    EXPECT_TRUE(rig.parameters.GetRows().empty());
    EXPECT_EQ(nullptr, rig.parameters.GetObject());
    rig.Scene()->SetSelection({b});
    EXPECT_EQ(b, rig.parameters.GetObject());
    rig.Scene()->SetSelection({});
    EXPECT_TRUE(rig.parameters.GetRows().empty());
}

TEST(ParametersPanel, AnEditShowsWhatTheParameterReadsBackNeverTheTypedText)
{
    PanelRig rig;
    BlobTreeNodeSceneObject* point = rig.AddPoint(true);
    const std::string oldName = point->GetName();
    BlobTreeNodeSceneObject* other = rig.AddPoint(false);
    rig.Scene()->SetSelection({point});
    int valueUpdates = 0;
    rig.parameters.SetValuesChangedHook([&] { ++valueUpdates; });

    ASSERT_TRUE(rig.parameters.EditValue(rig.RowOf("Radius"), "0.75"));
    EXPECT_FLOAT_EQ(0.75f, RadiusOf(point));
    EXPECT_NE(std::string::npos, rig.ValueOf("Radius").find("0.75")) << rig.ValueOf("Radius");
    EXPECT_GE(valueUpdates, 1);
    // The broadcast marked the values for the next frame.
    EXPECT_TRUE(rig.parameters.IsStale());

    const std::string shown = rig.ValueOf("Radius");
    struct Refused {
        const char* row;
        const char* text;
    };
    for (const Refused& c : {Refused{"Radius", "-3"}, Refused{"Radius", "banana"}, Refused{"Radius", "nan"},
                             Refused{"Radius", "1e30"}, Refused{"Name", other->GetName().c_str()}}) {
        SCOPED_TRACE(std::string(c.row) + " <- " + c.text);
        const std::string before = rig.ValueOf(c.row);
        rig.parameters.EditValue(rig.RowOf(c.row), c.text);
        EXPECT_EQ(before, rig.ValueOf(c.row));
        EXPECT_NE(c.text, rig.ValueOf(c.row));
    }
    EXPECT_FLOAT_EQ(0.75f, RadiusOf(point));
    EXPECT_EQ(oldName, point->GetName());
    EXPECT_EQ(shown, rig.ValueOf("Radius"));
    EXPECT_FALSE(rig.parameters.EditValue(99, "1"));
}

TEST(ParametersPanel, EditsAreRefusedWithAMessageWhileAnotherWindowIsActive)
{
    PanelRig rig;
    BlobTreeNodeSceneObject* point = rig.AddPoint(true);
    const float radius = RadiusOf(point);
    const std::string shown = rig.ValueOf("Radius");
    rig.parameters.SetMainViewActive(false);
    EXPECT_FALSE(rig.parameters.EditValue(rig.RowOf("Radius"), "2.5"));
    EXPECT_EQ(std::vector<std::string>{CParametersPanelModel::kNotMainViewMessage}, rig.ui.Messages());
    EXPECT_FLOAT_EQ(radius, RadiusOf(point));
    EXPECT_EQ(shown, rig.ValueOf("Radius"));
    rig.parameters.SetMainViewActive(true);
    EXPECT_TRUE(rig.parameters.EditValue(rig.RowOf("Radius"), "2.5"));
    EXPECT_FLOAT_EQ(2.5f, RadiusOf(point));
}

TEST(ParametersPanel, ObjectsModifiedMarksStaleAndRefreshRereadsOnce)
{
    PanelRig rig;
    BlobTreeNodeSceneObject* point = rig.AddPoint(true);
    const std::string before = rig.ValueOf("Radius");
    EXPECT_FALSE(rig.parameters.IsStale());
    point->GetParameterList()->Find("Radius")->SetFloatValue(3.0f);
    point->Translate(Wml::Vector3<float>(1.0f, 2.0f, 3.0f), false);
    // The scene heard of the move; the rows wait for the next frame.
    ASSERT_TRUE(rig.parameters.IsStale());
    EXPECT_EQ(before, rig.ValueOf("Radius"));
    int valueUpdates = 0;
    rig.parameters.SetValuesChangedHook([&] { ++valueUpdates; });
    rig.parameters.Refresh();
    EXPECT_FALSE(rig.parameters.IsStale());
    EXPECT_EQ(1, valueUpdates);
    EXPECT_NE(before, rig.ValueOf("Radius"));
    EXPECT_NE(std::string::npos, rig.ValueOf("Radius").find('3'));
    EXPECT_NE(std::string::npos, rig.ValueOf("Position").find('2'));
    rig.parameters.Refresh();
    EXPECT_EQ(1, valueUpdates);
}

TEST(ParametersPanel, RowsOfADeletedObjectAreDroppedNotRead)
{
    PanelRig rig;
    BlobTreeNodeSceneObject* point = rig.AddPoint(true);
    rig.Scene()->NotifyObjectsModified();
    ASSERT_TRUE(rig.parameters.IsStale());
    // Deleted without a selection notice; the tree notice drops the rows.
    rig.Scene()->RemoveNode(point, false);
    rig.Scene()->NotifyTreeChanged();
    EXPECT_TRUE(rig.parameters.GetRows().empty());
    rig.parameters.Refresh();
    EXPECT_FALSE(rig.parameters.EditValue(0, "1"));

    // The usual way: "Remove" of the selected object.
    rig.AddPoint(true);
    ASSERT_FALSE(rig.parameters.GetRows().empty());
    ASSERT_TRUE(rig.Scene()->OnCommand("Remove"));
    EXPECT_TRUE(rig.parameters.GetRows().empty());
    rig.parameters.SetSceneManager(nullptr);
    EXPECT_TRUE(rig.parameters.GetRows().empty());
}

TEST(BlobTreeEditor, ShowsTheModelDepthFirstWithChildrenInOrder)
{
    PanelRig rig;
    const auto* root = rig.tree.GetRoot();
    ASSERT_NE(nullptr, root);
    EXPECT_EQ(rig.Scene()->GetRootSceneObject(), root->object);
    EXPECT_TRUE(root->children.empty());
    EXPECT_FALSE(root->expanded);

    BlobTreeNodeSceneObject* a = rig.AddPoint(false);
    BlobTreeNodeSceneObject* b = rig.AddPoint(false);
    BlobTreeNodeSceneObject* c = rig.AddPoint(false);
    BlobTreeNodeSceneObject* blend = rig.Scene()->Blend(b, a, true);
    ASSERT_NE(nullptr, blend);
    root = rig.tree.GetRoot();
    ASSERT_EQ(2u, root->children.size());
    EXPECT_EQ(c, root->children[0].object);
    const auto& blendItem = root->children[1];
    EXPECT_EQ(blend, blendItem.object);
    EXPECT_EQ(blend->GetName(), blendItem.label);
    EXPECT_EQ((std::vector<std::string>{b->GetName(), a->GetName()}), Labels(blendItem.children));
    EXPECT_EQ(b, blendItem.children[0].object);
    EXPECT_TRUE(root->expanded);
    EXPECT_TRUE(blendItem.expanded);
    EXPECT_FALSE(blendItem.children[0].expanded);
    EXPECT_TRUE(rig.tree.Contains(a));
    EXPECT_FALSE(rig.tree.Contains(rig.Scene()->GetModel()));

    const int before = rig.rebuilds;
    rig.tree.SetSceneManager(nullptr);
    EXPECT_EQ(nullptr, rig.tree.GetRoot());
    EXPECT_FALSE(rig.tree.Contains(a));
    EXPECT_EQ(before + 1, rig.rebuilds);
}

TEST(BlobTreeEditor, ChoosingAnItemSelectsItsObjectAlone)
{
    PanelRig rig;
    BlobTreeNodeSceneObject* a = rig.AddPoint(true);
    BlobTreeNodeSceneObject* b = rig.AddPoint(false);
    rig.Scene()->SetSelection({a, b});
    ASSERT_TRUE(rig.tree.Select(b));
    const auto& selection = rig.Scene()->GetObjectManager()->GetSelection().Items();
    EXPECT_EQ(std::vector<vynui::SceneObject*>{b}, selection);
    EXPECT_EQ(b, rig.parameters.GetObject());
    // Something that is no item changes nothing.
    EXPECT_FALSE(rig.tree.Select(rig.Scene()->GetModel()));
    EXPECT_FALSE(rig.tree.Select(nullptr));
    EXPECT_EQ(std::vector<vynui::SceneObject*>{b}, selection);
}

TEST(BlobTreeEditor, DropsMoveUnderOperatorsOnlyAndAlwaysEndTheDrag)
{
    PanelRig rig;
    BlobTreeNodeSceneObject* a = rig.AddPoint(false);
    BlobTreeNodeSceneObject* b = rig.AddPoint(false);
    BlobTreeNodeSceneObject* c = rig.AddPoint(false);
    BlobTreeNodeSceneObject* blend = rig.Scene()->Blend(a, b, true);
    std::vector<std::string> trace;
    Wml::ScopedDebugOutputSink sink([&](const char* line) { trace.push_back(line); });

    // Refused: a leaf, the object itself, its own operator into its child, no target.
    const int before = rig.rebuilds;
    EXPECT_FALSE(rig.tree.Drop(c, a));
    EXPECT_FALSE(rig.tree.Drop(blend, blend));
    EXPECT_FALSE(rig.tree.Drop(blend, a));
    EXPECT_FALSE(rig.tree.Drop(c, nullptr));
    EXPECT_EQ(before, rig.rebuilds);
    EXPECT_EQ(rig.Scene()->GetRootSceneObject(), c->GetParent());
    ASSERT_EQ(2u, rig.tree.GetRoot()->children.size());
    EXPECT_EQ(4u, trace.size());
    for (const std::string& line : trace) EXPECT_EQ("Drag Ended!\n", line);

    ASSERT_TRUE(rig.tree.Drop(c, blend));
    EXPECT_EQ(blend, c->GetParent());
    const auto* root = rig.tree.GetRoot();
    ASSERT_EQ(1u, root->children.size());
    EXPECT_EQ((std::vector<std::string>{a->GetName(), b->GetName(), c->GetName()}),
              Labels(root->children[0].children));
}

TEST(BlobTreeEditor, ContextMenuGreysOperatorCommandsOnALeafAndRoutesTheRest)
{
    PanelRig rig;
    BlobTreeNodeSceneObject* a = rig.AddPoint(false);
    BlobTreeNodeSceneObject* b = rig.AddPoint(false);
    BlobTreeNodeSceneObject* blend = rig.Scene()->Blend(a, b, true);
    const auto& menu = CBlobTreeEditorModel::ContextMenu();
    ASSERT_EQ(3u, menu.size());
    ASSERT_TRUE(rig.tree.OpenContextMenu(a));
    EXPECT_EQ(std::vector<vynui::SceneObject*>{a}, rig.Scene()->GetObjectManager()->GetSelection().Items());
    for (const std::string& command : menu[2].commands) {
        EXPECT_FALSE(rig.tree.ContextMenuEnabled(a, command)) << command;
        EXPECT_TRUE(rig.tree.ContextMenuEnabled(blend, command)) << command;
    }
    EXPECT_TRUE(rig.tree.ContextMenuEnabled(a, "Remove"));
    EXPECT_TRUE(rig.tree.ContextMenuEnabled(a, "Insert Hollow Op"));
    EXPECT_FALSE(rig.tree.ContextMenuEnabled(a, "Fly Away"));

    // A greyed command does nothing.
    EXPECT_FALSE(rig.tree.RunContextCommand(a, "Twist"));
    EXPECT_EQ(blend, a->GetParent());
    EXPECT_EQ(2u, blend->GetChildren().size());

    // On the blend the operator goes under it.
    ASSERT_TRUE(rig.tree.OpenContextMenu(blend));
    ASSERT_TRUE(rig.tree.RunContextCommand(blend, "Twist"));
    ASSERT_EQ(3u, blend->GetChildren().size());
    EXPECT_EQ("Twist",
              std::string(static_cast<BlobTreeNodeSceneObject*>(blend->GetChildren()[2])->GetTypeName()));
    EXPECT_EQ(3u, rig.tree.GetRoot()->children[0].children.size());

    // "Remove" on the leaf deletes it; the tree follows.
    ASSERT_TRUE(rig.tree.OpenContextMenu(a));
    ASSERT_TRUE(rig.tree.RunContextCommand(a, "Remove"));
    EXPECT_FALSE(rig.tree.Contains(a));
    EXPECT_FALSE(rig.tree.Select(a));
}

TEST(BlobTreeEditor, ARenameThroughTheParametersRelabelsTheItem)
{
    PanelRig rig;
    BlobTreeNodeSceneObject* a = rig.AddPoint(true);
    int relabels = 0;
    rig.tree.SetLabelsChangedHook([&] { ++relabels; });
    ASSERT_TRUE(rig.parameters.EditValue(rig.RowOf("Name"), "Thumb"));
    EXPECT_EQ("Thumb", a->GetName());
    EXPECT_EQ("Thumb", rig.tree.GetRoot()->children[0].label);
    EXPECT_EQ(1, relabels);
}
