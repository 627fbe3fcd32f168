#pragma once
// Parameters of PolyLineSceneObject.

#include "blobtree_ui/leaves/LeafParameter.h"

namespace vynui_bt {

class PolyLineSceneObject;

/// "Radius", 0.001 ... 10000: PolyLineNode::SetRadius.
class PolyLineParameter_Radius : public LeafFloatParameter<PolyLineSceneObject> {
public:
    explicit PolyLineParameter_Radius(PolyLineSceneObject* object);
    void ApplyValue(float value) override;
    float ReadValue() override;
};

/// "Taper", 0.001 ... 100: PolyLineNode::SetTaper. The node reports the
/// change to the tree; the object's listeners are not told.
class PolyLineParameter_Taper : public LeafFloatParameter<PolyLineSceneObject> {
public:
    explicit PolyLineParameter_Taper(PolyLineSceneObject* object);
    void ApplyValue(float value) override;
    float ReadValue() override;
};

}  // namespace vynui_bt
