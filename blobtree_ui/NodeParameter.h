#pragma once
// One parameter of a tree node's scene object, described rather than written
// out: how it reads the node, how it writes it, the way a write reaches the
// tree, and the range. Every class of the per-type parameter headers is a
// thin subclass that only fills in these four.
//
// Every read and write holds the model's lock for its whole duration, so the
// listeners learn of a change before any other thread can see the node.
// A write reaches the tree in one of these ways:
//  - Setter: the node's own setter reports the change itself;
//  - SetterQuiet: as Setter, but the object's listeners are not told;
//  - Bracketed: the outside object is changed directly between the node's
//    ChildModifiedHack brackets, which report the old and new bounds;
//  - Plain: the outside object is changed and the tree is not told.
// Then the object's listeners hear a null event (except SetterQuiet), unless
// the write answered false (a node setter that refused the value).
//
// Refused before the node sees them: floats that are not finite, integers
// outside the range, named integers without a name. The range itself is the
// typed setters' test (a direct ApplyValue of a finite float goes through, so
// a write can map any number onto something the node takes).

#include <cmath>
#include <functional>
#include <initializer_list>
#include <string>
#include <type_traits>
#include <utility>

#include "blobtree/BlobTreeNode.h"
#include "blobtree_ui/BlobTreeNodeSceneObject.h"
#include "scene/GenericFloatParameter.h"
#include "scene/GenericIntegerParameter.h"
#include "scene/GenericNamedIntParameter.h"

namespace vynui_bt {

enum class NodeWrite { Setter, SetterQuiet, Bracketed, Plain };

/// Kind is GenericFloatParameter, GenericIntegerParameter or
/// GenericNamedIntParameter; Object is the scene object the functions get.
template <class Object, class Kind>
class NodeParameter : public Kind {
public:
    using Value = decltype(std::declval<Kind&>().ReadValue());
    using Read = Value (*)(Object*);

    /// Float and integer kinds, valid from min to max. write may answer
    /// void, or bool (false: the node refused, nobody is told).
    template <class Write>
    NodeParameter(Object* object, const std::string& name, Value min, Value max, NodeWrite how, Read read,
                  Write write, bool excluded = false)
        : Kind(name, min, max, excluded), m_object(object), m_how(how), m_read(read), m_write(Checked(write))
    {
        this->m_value = NodeParameter::ReadValue();
    }

    /// Named integers: the names of the values 0, 1, 2, ... in order.
    template <class Write>
    NodeParameter(Object* object, const std::string& name, std::initializer_list<const char*> names,
                  NodeWrite how, Read read, Write write)
        : Kind(name), m_object(object), m_how(how), m_read(read), m_write(Checked(write))
    {
        int value = 0;
        for (const char* valueName : names) this->AddValueName(value++, valueName);
        this->m_value = NodeParameter::ReadValue();
    }

    void ApplyValue(Value value) override
    {
        if (!m_object || !Acceptable(value)) return;
        ModelLock lock = m_object->LockModel();
        vynbt::BlobTreeNode* node = m_object->GetNode();
        const bool bracketed = m_how == NodeWrite::Bracketed && node;
        Wml::AxisAlignedBox3<float> before;
        if (bracketed) node->ChildModifiedHack_BeforeChange(before);
        const bool written = m_write(m_object, value);
        if (bracketed) node->ChildModifiedHack_AfterChange(before);
        if (written && m_how != NodeWrite::SetterQuiet) m_object->Notify(nullptr);
    }

    Value ReadValue() override
    {
        if (!m_object) return Value();
        ModelLock lock = m_object->LockModel();
        return m_read(m_object);
    }

    Object* GetObject() const { return m_object; }

private:
    template <class Write>
    static std::function<bool(Object*, Value)> Checked(Write write)
    {
        if constexpr (std::is_void_v<std::invoke_result_t<Write&, Object*, Value>>)
            return [write](Object* object, Value value) {
                write(object, value);
                return true;
            };
        else
            return write;
    }

    bool Acceptable(Value value)
    {
        if constexpr (std::is_floating_point_v<Value>)
            return std::isfinite(value);
        else
            return this->IsValid(value);
    }

    Object* m_object;
    NodeWrite m_how;
    Read m_read;
    std::function<bool(Object*, Value)> m_write;
};

template <class Object>
using NodeFloatParameter = NodeParameter<Object, vynui::GenericFloatParameter>;
template <class Object>
using NodeIntParameter = NodeParameter<Object, vynui::GenericIntegerParameter>;
template <class Object>
using NodeNamedIntParameter = NodeParameter<Object, vynui::GenericNamedIntParameter>;

}  // namespace vynui_bt
