#pragma once
// Parameters of InterpolatingLinearSweepSceneObject; every write is bracketed
// by the node's ChildModifiedHack pair.

#include "blobtree_ui/leaves/LeafParameter.h"

namespace vynui_bt {

class InterpolatingLinearSweepSceneObject;

/// "Length", 0.001 ... 10000: twice the half-length; written with SetLength.
class InterpolatingLinearSweepParameter_Length
    : public LeafFloatParameter<InterpolatingLinearSweepSceneObject> {
public:
    explicit InterpolatingLinearSweepParameter_Length(InterpolatingLinearSweepSceneObject* object);
    void ApplyValue(float value) override;
    float ReadValue() override;
};

/// "Radius", 0.001 ... 10000.
class InterpolatingLinearSweepParameter_Radius
    : public LeafFloatParameter<InterpolatingLinearSweepSceneObject> {
public:
    explicit InterpolatingLinearSweepParameter_Radius(InterpolatingLinearSweepSceneObject* object);
    void ApplyValue(float value) override;
    float ReadValue() override;
};

/// "Falloff Length", 0.001 ... 10000.
class InterpolatingLinearSweepParameter_FalloffLength
    : public LeafFloatParameter<InterpolatingLinearSweepSceneObject> {
public:
    explicit InterpolatingLinearSweepParameter_FalloffLength(InterpolatingLinearSweepSceneObject* object);
    void ApplyValue(float value) override;
    float ReadValue() override;
};

/// "Cap Style" (int), 0 ... 2.
class InterpolatingLinearSweepParameter_CapStyle
    : public LeafIntParameter<InterpolatingLinearSweepSceneObject> {
public:
    explicit InterpolatingLinearSweepParameter_CapStyle(InterpolatingLinearSweepSceneObject* object);
    void ApplyValue(int value) override;
    int ReadValue() override;
};

/// "Endcap Smoothness", 0.001 ... 44.9, then ComputeEndcapParams.
class InterpolatingLinearSweepParameter_EndcapBlendAngle
    : public LeafFloatParameter<InterpolatingLinearSweepSceneObject> {
public:
    explicit InterpolatingLinearSweepParameter_EndcapBlendAngle(InterpolatingLinearSweepSceneObject* object);
    void ApplyValue(float value) override;
    float ReadValue() override;
};

/// "Blend Mode" (int), 0 ... 2.
class InterpolatingLinearSweepParameter_BlendMode
    : public LeafIntParameter<InterpolatingLinearSweepSceneObject> {
public:
    explicit InterpolatingLinearSweepParameter_BlendMode(InterpolatingLinearSweepSceneObject* object);
    void ApplyValue(int value) override;
    int ReadValue() override;
};

}  // namespace vynui_bt
