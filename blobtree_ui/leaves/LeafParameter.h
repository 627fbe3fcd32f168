#pragma once
// Shared pieces of the leaf objects' parameters: typed bases that hold the
// scene object and a fixed range, and the ways a write reaches the tree.
//
// Every read and write holds the model's lock for its whole duration. The
// write helpers differ only in how the tree learns of the change:
//  - WriteThroughNode: the node's own setter reports the change itself;
//  - WriteBracketed: the outside object is changed directly between the
//    node's ChildModifiedHack brackets, which report old + new bounds;
//  - WritePlain: the outside object is changed and the tree is not told.
// All three then tell the object's listeners (null event), unless asked not to.

#include <cmath>
#include <string>

#include "blobtree/BlobTreeNode.h"
#include "blobtree/CompositionNode.h"
#include "blobtree_ui/BlobTreeNodeSceneObject.h"
#include "scene/GenericFloatParameter.h"
#include "scene/GenericIntegerParameter.h"
#include "scene/GenericNamedIntParameter.h"

namespace vynui_bt {

/// Takes node out of its parent node (which reports the node's bounds while
/// its fields are still in place). Owners of fields the node reads call this
/// before they delete them.
inline void DetachFromParentNode(vynbt::BlobTreeNode* node)
{
    vynbt::BlobTreeNode* parent = node ? node->GetParent() : nullptr;
    if (parent && parent->IsCompositionNode())
        static_cast<vynbt::CompositionNode*>(parent)->RemoveChild(node);
}

enum class LeafNotify { Listeners, Nobody };

template <class Change>
void WriteThroughNode(BlobTreeNodeSceneObject* object, Change change,
                      LeafNotify notify = LeafNotify::Listeners)
{
    ModelLock lock = object->LockModel();
    change();
    if (notify == LeafNotify::Listeners) object->Notify(nullptr);
}

template <class Change>
void WriteBracketed(BlobTreeNodeSceneObject* object, Change change)
{
    ModelLock lock = object->LockModel();
    vynbt::BlobTreeNode* node = object->GetNode();
    Wml::AxisAlignedBox3<float> before;
    node->ChildModifiedHack_BeforeChange(before);
    change();
    node->ChildModifiedHack_AfterChange(before);
    object->Notify(nullptr);
}

template <class Change>
void WritePlain(BlobTreeNodeSceneObject* object, Change change)
{
    ModelLock lock = object->LockModel();
    change();
    object->Notify(nullptr);
}

/// Runs read under the model's lock and answers its result.
template <class Read>
auto ReadLocked(const BlobTreeNodeSceneObject* object, Read read) -> decltype(read())
{
    ModelLock lock = object->LockModel();
    return read();
}

/// A float parameter of a leaf object with the range min ... max.
template <class Object>
class LeafFloatParameter : public vynui::GenericFloatParameter {
public:
    LeafFloatParameter(Object* object, const std::string& name, float min, float max)
        : GenericFloatParameter(name), m_object(object), m_min(min), m_max(max)
    {
    }
    void GetRange(float& min, float& max) override
    {
        min = m_min;
        max = m_max;
    }
    /// The range test, also refusing NaN (which compares false anyway).
    bool IsValid(float value) override { return std::isfinite(value) && value >= m_min && value <= m_max; }
    Object* GetObject() const { return m_object; }

protected:
    /// Call at the end of the concrete constructor: the cache starts at the
    /// node's current value.
    void InitCache() { m_value = this->ReadValue(); }
    Object* m_object;

private:
    float m_min, m_max;
};

/// An integer parameter of a leaf object with the range min ... max.
template <class Object>
class LeafIntParameter : public vynui::GenericIntegerParameter {
public:
    LeafIntParameter(Object* object, const std::string& name, int min, int max)
        : GenericIntegerParameter(name), m_object(object), m_min(min), m_max(max)
    {
    }
    void GetRange(int& min, int& max) override
    {
        min = m_min;
        max = m_max;
    }
    Object* GetObject() const { return m_object; }

protected:
    void InitCache() { m_value = this->ReadValue(); }
    Object* m_object;

private:
    int m_min, m_max;
};

/// A named integer parameter of a leaf object; the concrete class names its
/// values with AddValueName.
template <class Object>
class LeafNamedIntParameter : public vynui::GenericNamedIntParameter {
public:
    LeafNamedIntParameter(Object* object, const std::string& name)
        : GenericNamedIntParameter(name), m_object(object)
    {
    }
    Object* GetObject() const { return m_object; }

protected:
    void InitCache() { m_value = this->ReadValue(); }
    Object* m_object;
};

}  // namespace vynui_bt
