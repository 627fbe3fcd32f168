#pragma once
// Parameters of PointSceneObject.

#include "blobtree_ui/leaves/LeafParameter.h"

namespace vynui_bt {

class PointSceneObject;

/// "Radius", 0.001 ... 10000: the node's support radius (PointNode size).
class PointParameter_Size : public LeafFloatParameter<PointSceneObject> {
public:
    explicit PointParameter_Size(PointSceneObject* object);
    void ApplyValue(float value) override;
    float ReadValue() override;
};

}  // namespace vynui_bt
