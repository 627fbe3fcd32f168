#pragma once
// Parameters of CappedLinearSweepSceneObject. Every write is bracketed by the
// node's ChildModifiedHack pair.

#include "blobtree/nodes/CappedLinearSweepNode.h"
#include "blobtree_ui/NodeParameter.h"
#include "blobtree_ui/leaves/CappedLinearSweepSceneObject.h"

namespace vynui_bt {

inline vynimplicit::DiscreteLinearSweep* SweepOf(CappedLinearSweepSceneObject* object)
{
    return object->GetSweepNode()->GetSweep();
}

/// "Falloff Length", 0.01 ... 10.
class LinearSweepParameter_FalloffLength : public NodeFloatParameter<CappedLinearSweepSceneObject> {
public:
    explicit LinearSweepParameter_FalloffLength(CappedLinearSweepSceneObject* object)
        : NodeParameter(
              object, "Falloff Length", 0.01f, 10.0f, NodeWrite::Bracketed,
              [](CappedLinearSweepSceneObject* o) { return SweepOf(o)->GetFalloffLength(); },
              [](CappedLinearSweepSceneObject* o, float v) { SweepOf(o)->SetFalloffLength(v); })
    {
    }
};

/// "Length", 0.001 ... 100: twice the half-length. Writing v > 0 sets the
/// half-length to v / 2, anything else to 0.1.
class LinearSweepParameter_Length : public NodeFloatParameter<CappedLinearSweepSceneObject> {
public:
    explicit LinearSweepParameter_Length(CappedLinearSweepSceneObject* object)
        : NodeParameter(
              object, "Length", 0.001f, 100.0f, NodeWrite::Bracketed,
              [](CappedLinearSweepSceneObject* o) { return 2.0f * SweepOf(o)->GetHalfLength(); },
              [](CappedLinearSweepSceneObject* o, float v) {
                  SweepOf(o)->SetHalfLength(v > 0.0f ? v / 2.0f : 0.1f);
              })
    {
    }
};

/// "Radius", 0.001 ... 10000.
class LinearSweepParameter_Radius : public NodeFloatParameter<CappedLinearSweepSceneObject> {
public:
    explicit LinearSweepParameter_Radius(CappedLinearSweepSceneObject* object)
        : NodeParameter(
              object, "Radius", 0.001f, 10000.0f, NodeWrite::Bracketed,
              [](CappedLinearSweepSceneObject* o) { return SweepOf(o)->GetRadius(); },
              [](CappedLinearSweepSceneObject* o, float v) { SweepOf(o)->SetRadius(v); })
    {
    }
};

/// "Cap Style": 0 "FlatRound", 1 "Blobby", 2 "FlatSharp".
class LinearSweepParameter_CapStyle : public NodeNamedIntParameter<CappedLinearSweepSceneObject> {
public:
    explicit LinearSweepParameter_CapStyle(CappedLinearSweepSceneObject* object)
        : NodeParameter(
              object, "Cap Style", {"FlatRound", "Blobby", "FlatSharp"}, NodeWrite::Bracketed,
              [](CappedLinearSweepSceneObject* o) { return SweepOf(o)->GetCapStyle(); },
              [](CappedLinearSweepSceneObject* o, int v) { SweepOf(o)->SetCapStyle(v); })
    {
    }
};

/// "Endcap Smoothness", 0.001 ... 44.9: the end-cap blend angle, then the
/// end-cap constants are recomputed.
class LinearSweepParameter_EndcapBlendAngle : public NodeFloatParameter<CappedLinearSweepSceneObject> {
public:
    explicit LinearSweepParameter_EndcapBlendAngle(CappedLinearSweepSceneObject* object)
        : NodeParameter(
              object, "Endcap Smoothness", 0.001f, 44.9f, NodeWrite::Bracketed,
              [](CappedLinearSweepSceneObject* o) { return SweepOf(o)->GetEndcapBlendAngle(); },
              [](CappedLinearSweepSceneObject* o, float v) {
                  SweepOf(o)->SetEndcapBlendAngle(v);
                  SweepOf(o)->ComputeEndcapParams();
              })
    {
    }
};

}  // namespace vynui_bt
