#pragma once
// Parameters of CappedLinearSweepSceneObject. Every write is bracketed by the
// node's ChildModifiedHack pair.

#include "blobtree_ui/leaves/LeafParameter.h"

namespace vynui_bt {

class CappedLinearSweepSceneObject;

/// "Falloff Length", 0.01 ... 10.
class LinearSweepParameter_FalloffLength : public LeafFloatParameter<CappedLinearSweepSceneObject> {
public:
    explicit LinearSweepParameter_FalloffLength(CappedLinearSweepSceneObject* object);
    void ApplyValue(float value) override;
    float ReadValue() override;
};

/// "Length", 0.001 ... 100: twice the half-length. Writing v > 0 sets the
/// half-length to v / 2, anything else to 0.1.
class LinearSweepParameter_Length : public LeafFloatParameter<CappedLinearSweepSceneObject> {
public:
    explicit LinearSweepParameter_Length(CappedLinearSweepSceneObject* object);
    void ApplyValue(float value) override;
    float ReadValue() override;
};

/// "Radius", 0.001 ... 10000.
class LinearSweepParameter_Radius : public LeafFloatParameter<CappedLinearSweepSceneObject> {
public:
    explicit LinearSweepParameter_Radius(CappedLinearSweepSceneObject* object);
    void ApplyValue(float value) override;
    float ReadValue() override;
};

/// "Cap Style": 0 "FlatRound", 1 "Blobby", 2 "FlatSharp".
class LinearSweepParameter_CapStyle : public LeafNamedIntParameter<CappedLinearSweepSceneObject> {
public:
    explicit LinearSweepParameter_CapStyle(CappedLinearSweepSceneObject* object);
    void ApplyValue(int value) override;
    int ReadValue() override;
};

/// "Endcap Smoothness", 0.001 ... 44.9: the end-cap blend angle, then the
/// end-cap constants are recomputed.
class LinearSweepParameter_EndcapBlendAngle : public LeafFloatParameter<CappedLinearSweepSceneObject> {
public:
    explicit LinearSweepParameter_EndcapBlendAngle(CappedLinearSweepSceneObject* object);
    void ApplyValue(float value) override;
    float ReadValue() override;
};

}  // namespace vynui_bt
