#pragma once
// A model (tree object, factory, root) and leaves over plain points, shared by
// the tests of the tree's base scene objects.

#include <cmath>

#include <gtest/gtest.h>

#include "blobtree/RootNode.h"
#include "blobtree/nodes/PointNode.h"
#include "blobtree/nodes/SumBlendNode.h"
#include "blobtree_ui/BlobTreeFactory.h"
#include "blobtree_ui/BlobTreeSceneObject.h"
#include "blobtree_ui/CompositionNodeSceneObject.h"
#include "blobtree_ui/RootNodeSceneObject.h"
#include "implicit/operators/SumBlend.h"
#include "implicit/primitives/Point.h"
#include "scene/GenericFloatParameter.h"
#include "scene/GenericIntegerParameter.h"
#include "scene/GenericNamedIntParameter.h"
#include "tests/support/Near.h"

namespace kilnform_test {

/// One model as the scene manager builds it. The root goes before the model,
/// as the scene manager tears them down.
struct TestModel {
    vynui_bt::BlobTreeSceneObject* tree;
    vynui_bt::BlobTreeFactory* factory;

    TestModel() : tree(new vynui_bt::BlobTreeSceneObject()), factory(new vynui_bt::BlobTreeFactory(tree))
    {
        tree->SetFactory(factory);
    }
    ~TestModel()
    {
        delete factory->GetRootSceneObject();
        delete tree;
    }
    TestModel(const TestModel&) = delete;
    TestModel& operator=(const TestModel&) = delete;

    vynui_bt::RootNodeSceneObject* Root() const { return factory->GetRootSceneObject(); }

    /// A leaf over a point at p, in this model, not attached.
    vynui_bt::BlobTreeNodeSceneObject* NewPoint(const Wml::Vector3<float>& p) const
    {
        auto* object = new vynui_bt::BlobTreeNodeSceneObject(
            new vynbt::PointNode(new vynimplicit::Point(p, 1.0f)), 1, "TestPoint");
        object->SetTree(tree);
        object->InitializeParameters();
        return object;
    }
    /// An operator object over a sum blend, in this model, not attached.
    vynui_bt::CompositionNodeSceneObject* NewBlend() const
    {
        auto* object = new vynui_bt::CompositionNodeSceneObject(
            new vynbt::SumBlendNode(new vynimplicit::SumBlend()), 9, "TestBlend");
        object->SetTree(tree);
        object->InitializeParameters();
        return object;
    }
};

inline Wml::Matrix3<float> RotationZ(float radians)
{
    Wml::Matrix3<float> m;
    m.FromAxisAngle(Wml::Vector3<float>(0, 0, 1), radians);
    return m;
}

/// A different value inside the parameter's range; false when there is none
/// to try (names, vectors are handled by the caller).
inline bool WriteAnotherValue(vynui::IParameter* parameter)
{
    if (auto* f = dynamic_cast<vynui::GenericFloatParameter*>(parameter)) {
        float lo = 0, hi = 0;
        f->GetRange(lo, hi);
        const float v = f->GetFloatValue();
        float next = v + 0.25f * (std::fabs(v) > 1e-3f ? std::fabs(v) : 1.0f);
        if (next > hi) next = 0.5f * (v + lo);
        if (next < lo) next = lo;
        f->SetFloatValue(next);
        return true;
    }
    if (auto* n = dynamic_cast<vynui::GenericNamedIntParameter*>(parameter)) {
        const int v = n->GetIntValue();
        for (const auto& entry : n->GetValueNames())
            if (entry.first != v) {
                n->SetIntValue(entry.first);
                return true;
            }
        return false;
    }
    if (auto* i = dynamic_cast<vynui::GenericIntegerParameter*>(parameter)) {
        int lo = 0, hi = 0;
        i->GetRange(lo, hi);
        const int v = i->GetIntValue();
        i->SetIntValue(v < hi ? v + 1 : v - 1);
        return true;
    }
    return false;
}

}  // namespace kilnform_test
