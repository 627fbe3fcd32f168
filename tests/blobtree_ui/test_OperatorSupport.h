#pragma once
// Shared pieces of the operator scene-object tests: a model built through the
// factory, listeners that record every report together with whether the
// model's lock was held while it arrived, and raw point leaves to give an
// operator something to work on.

#include <gtest/gtest.h>

#include <boost/thread/thread.hpp>
#include <memory>
#include <string>
#include <vector>

#include "blobtree/RootNode.h"
#include "blobtree/RootNodeListener.h"
#include "blobtree/nodes/PointNode.h"
#include "blobtree_ui/BlobTreeFactory.h"
#include "blobtree_ui/BlobTreeNodeSceneObject.h"
#include "blobtree_ui/BlobTreeSceneObject.h"
#include "blobtree_ui/CompositionNodeSceneObject.h"
#include "blobtree_ui/RootNodeSceneObject.h"
#include "implicit/primitives/Point.h"
#include "scene/IParameter.h"
#include "scene/SceneObject.h"

namespace optest {

using V3 = Wml::Vector3<float>;

/// True when another thread cannot take the mutex right now, i.e. it is held
/// (by the calling thread, in these tests).
inline bool HeldElsewhere(boost::recursive_mutex& mutex)
{
    bool took = false;
    boost::thread probe([&] {
        took = mutex.try_lock();
        if (took) mutex.unlock();
    });
    probe.join();
    return !took;
}

class RecordingRootListener : public vynbt::RootNodeListener {
public:
    explicit RecordingRootListener(boost::recursive_mutex* lock) : m_lock(lock) {}
    void OnChildModified(vynbt::BlobTreeNode* node, const Wml::AxisAlignedBox3<float>&) override
    {
        nodes.push_back(node);
        locked.push_back(HeldElsewhere(*m_lock));
    }
    void Clear()
    {
        nodes.clear();
        locked.clear();
    }
    std::vector<vynbt::BlobTreeNode*> nodes;
    std::vector<bool> locked;

private:
    boost::recursive_mutex* m_lock;
};

class RecordingObjectListener : public vynui::SceneObjectListener {
public:
    explicit RecordingObjectListener(boost::recursive_mutex* lock) : m_lock(lock) {}
    void OnSceneObjectChanged(vynui::SceneObject* object, const vynui::SceneObjectEvent* event) override
    {
        objects.push_back(object);
        nullEvents.push_back(event == nullptr);
        locked.push_back(HeldElsewhere(*m_lock));
    }
    void Clear()
    {
        objects.clear();
        nullEvents.clear();
        locked.clear();
    }
    std::vector<vynui::SceneObject*> objects;
    std::vector<bool> nullEvents;
    std::vector<bool> locked;

private:
    boost::recursive_mutex* m_lock;
};

/// A point leaf without a scene object, to be placed under an operator node.
struct RawPoint {
    explicit RawPoint(const V3& centre) : point(centre, 1.0f), node(&point) {}
    vynimplicit::Point point;
    vynbt::PointNode node;
};

/// One model made through the factory; the recorders listen to its root and
/// to every object made with Make.
class ModelFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        factory = new vynui_bt::BlobTreeFactory(&model);
        model.SetFactory(factory);
        Root()->AddListener(&rootRecorder);
    }
    void TearDown() override
    {
        Root()->RemoveListener(&rootRecorder);
        // Raw leaves are not owned by any scene object: take them out first.
        for (auto& raw : rawPoints)
            if (auto* parent = dynamic_cast<vynbt::CompositionNode*>(raw->node.GetParent()))
                parent->RemoveChild(&raw->node);
        delete model.GetRootSceneObject();
    }

    vynbt::RootNode* Root() { return model.GetRootSceneObject()->GetRootNode(); }

    template <class T>
    T* Make(int code)
    {
        vynui_bt::BlobTreeNodeSceneObject* made = factory->CreateAndAttach(nullptr, code, -1);
        T* object = dynamic_cast<T*>(made);
        EXPECT_NE(object, nullptr) << "code " << code;
        if (object) object->AddListener(&objectRecorder);
        return object;
    }

    /// A point leaf at centre under the operator's node.
    vynbt::PointNode* AddPoint(vynui_bt::CompositionNodeSceneObject* op, const V3& centre)
    {
        rawPoints.push_back(std::make_unique<RawPoint>(centre));
        op->GetCompositionNode()->AddChild(&rawPoints.back()->node, -1);
        return &rawPoints.back()->node;
    }

    void ClearRecorders()
    {
        rootRecorder.Clear();
        objectRecorder.Clear();
    }

    vynui_bt::BlobTreeSceneObject model;
    vynui_bt::BlobTreeFactory* factory = nullptr;
    RecordingRootListener rootRecorder{&model.GetLock()};
    RecordingObjectListener objectRecorder{&model.GetLock()};
    std::vector<std::unique_ptr<RawPoint>> rawPoints;
};

/// The parameter called name in the object's list, or null.
inline vynui::IParameter* FindParameter(vynui::SceneObject* object, const std::string& name)
{
    for (vynui::IParameter* p : object->GetParameterList()->GetParameters())
        if (p->GetName() == name) return p;
    return nullptr;
}

inline std::vector<std::string> ParameterNames(vynui::SceneObject* object)
{
    std::vector<std::string> names;
    for (vynui::IParameter* p : object->GetParameterList()->GetParameters()) names.push_back(p->GetName());
    return names;
}

}  // namespace optest
