#pragma once
// A model with a recording root listener, for the leaf scene object tests:
// leaves are made through the model's factory and attached under the root.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "blobtree/RootNode.h"
#include "blobtree/RootNodeListener.h"
#include "blobtree_ui/BlobTreeFactory.h"
#include "blobtree_ui/BlobTreeNodeSceneObject.h"
#include "blobtree_ui/BlobTreeSceneObject.h"
#include "blobtree_ui/RootNodeSceneObject.h"
#include "implicit/fields2d/DiscreteScalarField2D.h"
#include "scene/SceneObject.h"

namespace leaftest {

using V3 = Wml::Vector3<float>;
using Box = Wml::AxisAlignedBox3<float>;

class RootRecorder : public vynbt::RootNodeListener {
public:
    struct Call {
        vynbt::BlobTreeNode* node;
        Box region;
    };
    std::vector<Call> calls;
    void OnChildModified(vynbt::BlobTreeNode* node, const Box& region) override
    {
        calls.push_back({node, region});
    }
};

class ObjectRecorder : public vynui::SceneObjectListener {
public:
    int nullEvents = 0;
    int otherEvents = 0;
    void OnSceneObjectChanged(vynui::SceneObject*, const vynui::SceneObjectEvent* event) override
    {
        if (event)
            ++otherEvents;
        else
            ++nullEvents;
    }
};

/// One model; leaves made by Make are attached under its root.
class LeafModel {
public:
    LeafModel()
    {
        model.SetFactory(new vynui_bt::BlobTreeFactory(&model));
        model.GetRootSceneObject()->GetRootNode()->AddListener(&rootCalls);
    }
    ~LeafModel()
    {
        vynui_bt::RootNodeSceneObject* root = model.GetRootSceneObject();
        root->GetRootNode()->RemoveListener(&rootCalls);
        delete root;
    }
    LeafModel(const LeafModel&) = delete;
    LeafModel& operator=(const LeafModel&) = delete;

    template <class T>
    T* Make(int code)
    {
        vynui_bt::BlobTreeNodeSceneObject* object = model.GetFactory()->CreateAndAttach(nullptr, code, -1);
        T* typed = dynamic_cast<T*>(object);
        EXPECT_NE(typed, nullptr) << "code " << code;
        if (typed) typed->AddListener(&objectCalls);
        rootCalls.calls.clear();
        return typed;
    }

    void ResetCounts()
    {
        rootCalls.calls.clear();
        objectCalls.nullEvents = objectCalls.otherEvents = 0;
    }

    vynui_bt::BlobTreeSceneObject model;
    RootRecorder rootCalls;
    ObjectRecorder objectCalls;
};

inline std::vector<std::string> ParameterNames(vynui::SceneObject* object)
{
    std::vector<std::string> names;
    for (vynui::IParameter* p : object->GetParameterList()->GetParameters()) names.push_back(p->GetName());
    return names;
}

/// The node-object base list followed by extra.
inline std::vector<std::string> WithBase(const std::vector<std::string>& extra)
{
    std::vector<std::string> names = {"Position", "Orientation", "Scale", "Name"};
    names.insert(names.end(), extra.begin(), extra.end());
    return names;
}

/// A round blob template: value 1 in the middle falling to 0 at the border.
inline vynimplicit::DiscreteScalarField2D* MakeDisc(float radius = 1.0f, unsigned size = 16)
{
    auto* field = new vynimplicit::DiscreteScalarField2D(
        size, size, Wml::AxisAlignedBox2<float>(-radius, radius, -radius, radius));
    for (unsigned j = 0; j < size; ++j)
        for (unsigned i = 0; i < size; ++i) {
            const float x = 2.0f * i / (size - 1) - 1.0f, y = 2.0f * j / (size - 1) - 1.0f;
            const float r2 = x * x + y * y;
            field->SetValue(i, j, r2 < 1.0f ? (1.0f - r2) : 0.0f);
        }
    return field;
}

}  // namespace leaftest
