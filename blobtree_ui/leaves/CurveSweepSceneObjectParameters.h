#pragma once
// Parameters of CurveSweepSceneObject; every write is bracketed by the node's
// ChildModifiedHack pair.

#include "blobtree_ui/leaves/LeafParameter.h"

namespace vynui_bt {

class CurveSweepSceneObject;

/// "Radius", 0.001 ... 10000.
class CurveSweepParameter_Radius : public LeafFloatParameter<CurveSweepSceneObject> {
public:
    explicit CurveSweepParameter_Radius(CurveSweepSceneObject* object);
    void ApplyValue(float value) override;
    float ReadValue() override;
};

/// "Start Rotation", 0 ... 360 degrees.
class CurveSweepParameter_StartRotation : public LeafFloatParameter<CurveSweepSceneObject> {
public:
    explicit CurveSweepParameter_StartRotation(CurveSweepSceneObject* object);
    void ApplyValue(float value) override;
    float ReadValue() override;
};

/// "Falloff Length", 0.001 ... 10000.
class CurveSweepParameter_FalloffLength : public LeafFloatParameter<CurveSweepSceneObject> {
public:
    explicit CurveSweepParameter_FalloffLength(CurveSweepSceneObject* object);
    void ApplyValue(float value) override;
    float ReadValue() override;
};

/// "Cap Style" (int), 0 ... 2.
class CurveSweepParameter_CapStyle : public LeafIntParameter<CurveSweepSceneObject> {
public:
    explicit CurveSweepParameter_CapStyle(CurveSweepSceneObject* object);
    void ApplyValue(int value) override;
    int ReadValue() override;
};

/// "Endcap Smoothness", 0.001 ... 44.9, then ComputeEndcapParams.
class CurveSweepParameter_EndcapBlendAngle : public LeafFloatParameter<CurveSweepSceneObject> {
public:
    explicit CurveSweepParameter_EndcapBlendAngle(CurveSweepSceneObject* object);
    void ApplyValue(float value) override;
    float ReadValue() override;
};

/// "Evaluation Mode" (int), 0 ... 1.
class CurveSweepParameter_EvaluationMode : public LeafIntParameter<CurveSweepSceneObject> {
public:
    explicit CurveSweepParameter_EvaluationMode(CurveSweepSceneObject* object);
    void ApplyValue(int value) override;
    int ReadValue() override;
};

}  // namespace vynui_bt
