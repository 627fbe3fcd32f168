#pragma once
// A scene manager wired as a view wires it (tool manager with a camera,
// scripted prompts, its own constraint manager), a listener that records the
// notifications, and checks of the tree's shape.

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "blobtree/CompositionNode.h"
#include "blobtree_ui/BlobTreeNodeSceneObject.h"
#include "blobtree_ui/RootNodeSceneObject.h"
#include "interact/ConstraintManager.h"
#include "interact/Tool3DManager.h"
#include "scene/IChangeListener.h"
#include "scene/SceneManager.h"
#include "scene/SceneObjectManager.h"
#include "tests/support/ScriptedUserInterface.h"
#include "wml/ExtendedWmlCamera.h"

namespace scenemgr_test {

using vynui_bt::BlobTreeNodeSceneObject;

class RecordingChangeListener : public vynui::IChangeListener {
public:
    std::vector<std::string> events;

    void OnSceneChanged() override { events.push_back("scene"); }
    void OnSelectionChanged(const vynui::OrderedObjectSet&) override { events.push_back("selection"); }
    void OnSelectionPicked(const vynui::OrderedObjectSet&) override { events.push_back("picked"); }
    void OnObjectsModified(const vynui::OrderedObjectSet&) override { events.push_back("modified"); }
    void OnTreeChanged() override { events.push_back("tree"); }
    void OnRedrawRequested() override { events.push_back("redraw"); }
    void OnCuttingPlaneSet(const Wml::Frame3<float>&) override { events.push_back("plane set"); }
    void OnCuttingPlaneCleared() override { events.push_back("plane cleared"); }
};

/// The standard ending of a structural edit.
inline std::vector<std::string> StandardEnding()
{
    return {"scene", "tree", "selection"};
}

struct SceneRig {
    static constexpr int W = 400;
    static constexpr int H = 300;

    // The camera sits at (0, 0, 5) looking down -Z.
    Wml::ExtendedWmlCamera camera{float(W), float(H)};
    vynui::Tool3DManager tools;
    vynui::ConstraintManager constraints;
    kftest::ScriptedUserInterface ui;
    RecordingChangeListener recorder;
    std::unique_ptr<vynui::CSceneManager> scene;

    SceneRig()
    {
        camera.SetViewport(W, H);
        tools.AddStandardTools();
        tools.SetCamera(&camera);
        scene = std::make_unique<vynui::CSceneManager>();
        scene->SetConstraintManager(&constraints);
        scene->SetToolManager(&tools, nullptr);
        scene->SetUserInterface(&ui);
        scene->AddChangeListener(&recorder);
    }

    vynui::SceneObjectManager& Objects() { return *scene->GetObjectManager(); }
    vynui_bt::RootNodeSceneObject* Root() { return scene->GetRootSceneObject(); }
    std::vector<vynui::SceneObject*> Selection() { return Objects().GetSelection().Items(); }

    /// A point primitive under the root (unselected) at p.
    BlobTreeNodeSceneObject* PointAt(const Wml::Vector3<float>& p)
    {
        BlobTreeNodeSceneObject* point = scene->AddNode(1, Root(), false);
        point->Translate(p, false);
        return point;
    }

    /// The tap point (window pixels, y from the bottom as gestures count)
    /// over the pixel that shows p.
    Wml::Vector2<float> TapAt(const Wml::Vector3<float>& p)
    {
        float x = 0, y = 0, depth = 0;
        camera.Project(p, x, y, depth);
        return Wml::Vector2<float>(x, std::floor(y) + 0.5f);
    }
};

/// The tree under object as type codes: "0(1,50(1))".
inline std::string Shape(vynui::SceneObject* object)
{
    auto* node = dynamic_cast<BlobTreeNodeSceneObject*>(object);
    if (!node) return "?";
    std::ostringstream out;
    out << node->GetTypeCode();
    if (!node->GetChildren().empty()) {
        out << "(";
        for (std::size_t i = 0; i < node->GetChildren().size(); ++i)
            out << (i ? "," : "") << Shape(node->GetChildren()[i]);
        out << ")";
    }
    return out.str();
}

/// Scene objects and nodes agree everywhere under the root: the same
/// children in the same order, parents on both sides, everything registered.
inline void ExpectConsistent(SceneRig& rig)
{
    std::function<void(BlobTreeNodeSceneObject*)> walk = [&](BlobTreeNodeSceneObject* object) {
        EXPECT_TRUE(rig.Objects().IsRegistered(object)) << object->GetName();
        const auto& children = object->GetChildren();
        if (!object->GetNode()->IsCompositionNode()) {
            EXPECT_TRUE(children.empty() ||
                        dynamic_cast<BlobTreeNodeSceneObject*>(children.front()) == nullptr);
            return;
        }
        auto* group = static_cast<vynbt::CompositionNode*>(object->GetNode());
        std::vector<BlobTreeNodeSceneObject*> nodes;
        for (vynui::SceneObject* child : children)
            if (auto* n = dynamic_cast<BlobTreeNodeSceneObject*>(child)) nodes.push_back(n);
        ASSERT_EQ(group->GetNumChildren(), nodes.size()) << object->GetName();
        for (std::size_t i = 0; i < nodes.size(); ++i) {
            EXPECT_EQ(nodes[i]->GetNode(), group->GetChild(unsigned(i)));
            EXPECT_EQ(nodes[i]->GetParent(), object);
            EXPECT_EQ(nodes[i]->GetNode()->GetParent(), group);
            walk(nodes[i]);
        }
    };
    walk(rig.Root());
    for (vynui::SceneObject* selected : rig.Objects().GetSelection())
        EXPECT_TRUE(rig.Objects().IsRegistered(selected));
}

}  // namespace scenemgr_test
