#pragma once
// Parameters of RevolutionSceneObject.

#include "blobtree_ui/leaves/LeafParameter.h"

namespace vynui_bt {

class RevolutionSceneObject;

/// "Evaluation Mode" (int), 0 ... 3. A plain write: the tree is not told,
/// only the object's listeners.
class RevolutionParameter_EvalMode : public LeafIntParameter<RevolutionSceneObject> {
public:
    explicit RevolutionParameter_EvalMode(RevolutionSceneObject* object);
    void ApplyValue(int value) override;
    int ReadValue() override;
};

/// "Radius", 0.001 ... 10000, bracketed DiscreteRevolution::SetRadius.
class RevolutionParameter_Radius : public LeafFloatParameter<RevolutionSceneObject> {
public:
    explicit RevolutionParameter_Radius(RevolutionSceneObject* object);
    void ApplyValue(float value) override;
    float ReadValue() override;
};

}  // namespace vynui_bt
