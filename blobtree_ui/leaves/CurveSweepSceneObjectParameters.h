#pragma once
// Parameters of CurveSweepSceneObject; every write is bracketed by the node's
// ChildModifiedHack pair.

#include "blobtree/nodes/CurveSweepNode.h"
#include "blobtree_ui/NodeParameter.h"
#include "blobtree_ui/leaves/CurveSweepSceneObject.h"

namespace vynui_bt {

inline vynimplicit::CurveSweep* SweepOf(CurveSweepSceneObject* object)
{
    return object->GetSweepNode()->GetSweep();
}

/// "Radius", 0.001 ... 10000.
class CurveSweepParameter_Radius : public NodeFloatParameter<CurveSweepSceneObject> {
public:
    explicit CurveSweepParameter_Radius(CurveSweepSceneObject* object)
        : NodeParameter(
              object, "Radius", 0.001f, 10000.0f, NodeWrite::Bracketed,
              [](CurveSweepSceneObject* o) { return SweepOf(o)->GetRadius(); },
              [](CurveSweepSceneObject* o, float v) { SweepOf(o)->SetRadius(v); })
    {
    }
};

/// "Start Rotation", 0 ... 360 degrees.
class CurveSweepParameter_StartRotation : public NodeFloatParameter<CurveSweepSceneObject> {
public:
    explicit CurveSweepParameter_StartRotation(CurveSweepSceneObject* object)
        : NodeParameter(
              object, "Start Rotation", 0.0f, 360.0f, NodeWrite::Bracketed,
              [](CurveSweepSceneObject* o) { return SweepOf(o)->GetStartRotation(); },
              [](CurveSweepSceneObject* o, float v) { SweepOf(o)->SetStartRotation(v); })
    {
    }
};

/// "Falloff Length", 0.001 ... 10000.
class CurveSweepParameter_FalloffLength : public NodeFloatParameter<CurveSweepSceneObject> {
public:
    explicit CurveSweepParameter_FalloffLength(CurveSweepSceneObject* object)
        : NodeParameter(
              object, "Falloff Length", 0.001f, 10000.0f, NodeWrite::Bracketed,
              [](CurveSweepSceneObject* o) { return SweepOf(o)->GetFalloffLength(); },
              [](CurveSweepSceneObject* o, float v) { SweepOf(o)->SetFalloffLength(v); })
    {
    }
};

/// "Cap Style" (int), 0 ... 2.
class CurveSweepParameter_CapStyle : public NodeIntParameter<CurveSweepSceneObject> {
public:
    explicit CurveSweepParameter_CapStyle(CurveSweepSceneObject* object)
        : NodeParameter(
              object, "Cap Style", 0, 2, NodeWrite::Bracketed,
              [](CurveSweepSceneObject* o) { return SweepOf(o)->GetCapStyle(); },
              [](CurveSweepSceneObject* o, int v) { SweepOf(o)->SetCapStyle(v); })
    {
    }
};

/// "Endcap Smoothness", 0.001 ... 44.9, then ComputeEndcapParams.
class CurveSweepParameter_EndcapBlendAngle : public NodeFloatParameter<CurveSweepSceneObject> {
public:
    explicit CurveSweepParameter_EndcapBlendAngle(CurveSweepSceneObject* object)
        : NodeParameter(
              object, "Endcap Smoothness", 0.001f, 44.9f, NodeWrite::Bracketed,
              [](CurveSweepSceneObject* o) { return SweepOf(o)->GetEndcapBlendAngle(); },
              [](CurveSweepSceneObject* o, float v) {
                  SweepOf(o)->SetEndcapBlendAngle(v);
                  SweepOf(o)->ComputeEndcapParams();
              })
    {
    }
};

/// "Evaluation Mode" (int), 0 ... 1.
class CurveSweepParameter_EvaluationMode : public NodeIntParameter<CurveSweepSceneObject> {
public:
    explicit CurveSweepParameter_EvaluationMode(CurveSweepSceneObject* object)
        : NodeParameter(
              object, "Evaluation Mode", 0, 1, NodeWrite::Bracketed,
              [](CurveSweepSceneObject* o) { return SweepOf(o)->GetEvaluationMode(); },
              [](CurveSweepSceneObject* o, int v) { SweepOf(o)->SetEvaluationMode(v); })
    {
    }
};

}  // namespace vynui_bt
