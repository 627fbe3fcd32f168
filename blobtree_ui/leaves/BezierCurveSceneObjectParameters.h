#pragma once
// Parameters of BezierCurveSceneObject; every write is bracketed by the node's
// ChildModifiedHack pair.

#include "blobtree_ui/leaves/LeafParameter.h"

namespace vynui_bt {

class BezierCurveSceneObject;

/// "Radius", 0.0001 ... 10000: BezierCurveNode::SetRadius (which reports
/// nothing itself).
class BezierCurveParameter_Radius : public LeafFloatParameter<BezierCurveSceneObject> {
public:
    explicit BezierCurveParameter_Radius(BezierCurveSceneObject* object);
    void ApplyValue(float value) override;
    float ReadValue() override;
};

/// "Barthe Blend Angle", 0.0001 ... 44.9, then ComputeBartheUnionParams.
class BezierCurveParameter_BlendAngle : public LeafFloatParameter<BezierCurveSceneObject> {
public:
    explicit BezierCurveParameter_BlendAngle(BezierCurveSceneObject* object);
    void ApplyValue(float value) override;
    float ReadValue() override;
};

/// "Evaluation Mode" (int), 0 ... 1.
class BezierCurveParameter_EvalMode : public LeafIntParameter<BezierCurveSceneObject> {
public:
    explicit BezierCurveParameter_EvalMode(BezierCurveSceneObject* object);
    void ApplyValue(int value) override;
    int ReadValue() override;
};

/// "Approximation Level" (int), 1 ... 10.
class BezierCurveParameter_ApproximationLevel : public LeafIntParameter<BezierCurveSceneObject> {
public:
    explicit BezierCurveParameter_ApproximationLevel(BezierCurveSceneObject* object);
    void ApplyValue(int value) override;
    int ReadValue() override;
};

}  // namespace vynui_bt
