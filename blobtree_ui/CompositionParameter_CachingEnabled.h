#pragma once
// "Caching": whether an operator node caches its field (0 or 1).

#include "scene/GenericIntegerParameter.h"

namespace vynui_bt {

class CompositionNodeSceneObject;

class CompositionParameter_CachingEnabled : public vynui::GenericIntegerParameter {
public:
    explicit CompositionParameter_CachingEnabled(CompositionNodeSceneObject* object);
    void GetRange(int& min, int& max) override;
    /// Sets the node's flag to value != 0 under the model's lock, then tells
    /// the object's listeners.
    void ApplyValue(int value) override;
    /// The node's flag as 0 or 1, under the model's lock.
    int ReadValue() override;

private:
    CompositionNodeSceneObject* m_object;
};

}  // namespace vynui_bt
