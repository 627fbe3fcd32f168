#pragma once
// Float parameter of an operator's scene object that writes through a node
// setter: every read and write holds the model's lock, and an accepted write
// tells the object's listeners (null event) before the lock is released.

#include <string>

#include "scene/GenericFloatParameter.h"

namespace vynui_bt {

class BlobTreeNodeSceneObject;

class OperatorFloatParameter : public vynui::GenericFloatParameter {
public:
    OperatorFloatParameter(const std::string& name, BlobTreeNodeSceneObject* object, float minimum,
                           float maximum, bool excluded = false);

    void GetRange(float& min, float& max) override;
    /// Under the lock: WriteNode(value), then Notify(null) when the node took
    /// it. A value that is not finite is refused before the node sees it.
    void ApplyValue(float value) override;
    /// ReadNode() under the lock.
    float ReadValue() override;

    BlobTreeNodeSceneObject* GetObject() const { return m_object; }

protected:
    /// Called with the model's lock held.
    virtual float ReadNode() = 0;
    /// Called with the model's lock held; false when the node refused the value.
    virtual bool WriteNode(float value) = 0;

private:
    BlobTreeNodeSceneObject* m_object;
    float m_minimum;
    float m_maximum;
};

}  // namespace vynui_bt
