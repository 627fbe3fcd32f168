#pragma once
// Parameters of InterpolatingLinearSweepSceneObject; every write is bracketed
// by the node's ChildModifiedHack pair.

#include "blobtree/nodes/InterpolatingLinearSweepNode.h"
#include "blobtree_ui/NodeParameter.h"
#include "blobtree_ui/leaves/InterpolatingLinearSweepSceneObject.h"

namespace vynui_bt {

inline vynimplicit::InterpolatingLinearSweep* SweepOf(InterpolatingLinearSweepSceneObject* object)
{
    return object->GetSweepNode()->GetSweep();
}

/// "Length", 0.001 ... 10000: twice the half-length; written with SetLength.
class InterpolatingLinearSweepParameter_Length
    : public NodeFloatParameter<InterpolatingLinearSweepSceneObject> {
public:
    explicit InterpolatingLinearSweepParameter_Length(InterpolatingLinearSweepSceneObject* object)
        : NodeParameter(
              object, "Length", 0.001f, 10000.0f, NodeWrite::Bracketed,
              [](InterpolatingLinearSweepSceneObject* o) { return 2.0f * SweepOf(o)->GetHalfLength(); },
              [](InterpolatingLinearSweepSceneObject* o, float v) { SweepOf(o)->SetLength(v); })
    {
    }
};

/// "Radius", 0.001 ... 10000.
class InterpolatingLinearSweepParameter_Radius
    : public NodeFloatParameter<InterpolatingLinearSweepSceneObject> {
public:
    explicit InterpolatingLinearSweepParameter_Radius(InterpolatingLinearSweepSceneObject* object)
        : NodeParameter(
              object, "Radius", 0.001f, 10000.0f, NodeWrite::Bracketed,
              [](InterpolatingLinearSweepSceneObject* o) { return SweepOf(o)->GetRadius(); },
              [](InterpolatingLinearSweepSceneObject* o, float v) { SweepOf(o)->SetRadius(v); })
    {
    }
};

/// "Falloff Length", 0.001 ... 10000.
class InterpolatingLinearSweepParameter_FalloffLength
    : public NodeFloatParameter<InterpolatingLinearSweepSceneObject> {
public:
    explicit InterpolatingLinearSweepParameter_FalloffLength(InterpolatingLinearSweepSceneObject* object)
        : NodeParameter(
              object, "Falloff Length", 0.001f, 10000.0f, NodeWrite::Bracketed,
              [](InterpolatingLinearSweepSceneObject* o) { return SweepOf(o)->GetFalloffLength(); },
              [](InterpolatingLinearSweepSceneObject* o, float v) { SweepOf(o)->SetFalloffLength(v); })
    {
    }
};

/// "Cap Style" (int), 0 ... 2.
class InterpolatingLinearSweepParameter_CapStyle
    : public NodeIntParameter<InterpolatingLinearSweepSceneObject> {
public:
    explicit InterpolatingLinearSweepParameter_CapStyle(InterpolatingLinearSweepSceneObject* object)
        : NodeParameter(
              object, "Cap Style", 0, 2, NodeWrite::Bracketed,
              [](InterpolatingLinearSweepSceneObject* o) { return SweepOf(o)->GetCapStyle(); },
              [](InterpolatingLinearSweepSceneObject* o, int v) { SweepOf(o)->SetCapStyle(v); })
    {
    }
};

/// "Endcap Smoothness", 0.001 ... 44.9, then ComputeEndcapParams.
class InterpolatingLinearSweepParameter_EndcapBlendAngle
    : public NodeFloatParameter<InterpolatingLinearSweepSceneObject> {
public:
    explicit InterpolatingLinearSweepParameter_EndcapBlendAngle(InterpolatingLinearSweepSceneObject* object)
        : NodeParameter(
              object, "Endcap Smoothness", 0.001f, 44.9f, NodeWrite::Bracketed,
              [](InterpolatingLinearSweepSceneObject* o) { return SweepOf(o)->GetEndcapBlendAngle(); },
              [](InterpolatingLinearSweepSceneObject* o, float v) {
                  SweepOf(o)->SetEndcapBlendAngle(v);
                  SweepOf(o)->ComputeEndcapParams();
              })
    {
    }
};

/// "Blend Mode" (int), 0 ... 2.
class InterpolatingLinearSweepParameter_BlendMode
    : public NodeIntParameter<InterpolatingLinearSweepSceneObject> {
public:
    explicit InterpolatingLinearSweepParameter_BlendMode(InterpolatingLinearSweepSceneObject* object)
        : NodeParameter(
              object, "Blend Mode", 0, 2, NodeWrite::Bracketed,
              [](InterpolatingLinearSweepSceneObject* o) {
                  return static_cast<int>(SweepOf(o)->GetBlendMode());
              },
              [](InterpolatingLinearSweepSceneObject* o, int v) { SweepOf(o)->SetBlendMode(v); })
    {
    }
};

}  // namespace vynui_bt
