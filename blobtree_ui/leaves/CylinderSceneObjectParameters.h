#pragma once
// Parameters of CylinderSceneObject. Both are plain writes: the cylinder is
// changed directly and only the object's listeners learn of it.

#include "blobtree_ui/leaves/LeafParameter.h"

namespace vynui_bt {

class CylinderSceneObject;

/// "Length", 0.001 ... 10000.
class CylinderParameter_Length : public LeafFloatParameter<CylinderSceneObject> {
public:
    explicit CylinderParameter_Length(CylinderSceneObject* object);
    void ApplyValue(float value) override;
    float ReadValue() override;
};

/// "Radius", 0.001 ... 10000.
class CylinderParameter_Radius : public LeafFloatParameter<CylinderSceneObject> {
public:
    explicit CylinderParameter_Radius(CylinderSceneObject* object);
    void ApplyValue(float value) override;
    float ReadValue() override;
};

}  // namespace vynui_bt
