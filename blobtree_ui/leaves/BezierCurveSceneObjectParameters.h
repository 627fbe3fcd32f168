#pragma once
// Parameters of BezierCurveSceneObject; every write is bracketed by the node's
// ChildModifiedHack pair.

#include "blobtree/nodes/BezierCurveNode.h"
#include "blobtree_ui/NodeParameter.h"
#include "blobtree_ui/leaves/BezierCurveSceneObject.h"

namespace vynui_bt {

inline vynimplicit::BezierCurve* CurveOf(BezierCurveSceneObject* object)
{
    return object->GetCurveNode()->GetCurve();
}

/// "Radius", 0.0001 ... 10000: BezierCurveNode::SetRadius (which reports
/// nothing itself).
class BezierCurveParameter_Radius : public NodeFloatParameter<BezierCurveSceneObject> {
public:
    explicit BezierCurveParameter_Radius(BezierCurveSceneObject* object)
        : NodeParameter(
              object, "Radius", 0.0001f, 10000.0f, NodeWrite::Bracketed,
              [](BezierCurveSceneObject* o) { return o->GetCurveNode()->GetRadius(); },
              [](BezierCurveSceneObject* o, float v) { o->GetCurveNode()->SetRadius(v); })
    {
    }
};

/// "Barthe Blend Angle", 0.0001 ... 44.9, then ComputeBartheUnionParams.
class BezierCurveParameter_BlendAngle : public NodeFloatParameter<BezierCurveSceneObject> {
public:
    explicit BezierCurveParameter_BlendAngle(BezierCurveSceneObject* object)
        : NodeParameter(
              object, "Barthe Blend Angle", 0.0001f, 44.9f, NodeWrite::Bracketed,
              [](BezierCurveSceneObject* o) { return CurveOf(o)->GetBlendAngle(); },
              [](BezierCurveSceneObject* o, float v) {
                  CurveOf(o)->SetBlendAngle(v);
                  CurveOf(o)->ComputeBartheUnionParams();
              })
    {
    }
};

/// "Evaluation Mode" (int), 0 ... 1.
class BezierCurveParameter_EvalMode : public NodeIntParameter<BezierCurveSceneObject> {
public:
    explicit BezierCurveParameter_EvalMode(BezierCurveSceneObject* object)
        : NodeParameter(
              object, "Evaluation Mode", 0, 1, NodeWrite::Bracketed,
              [](BezierCurveSceneObject* o) { return CurveOf(o)->GetEvaluationMode(); },
              [](BezierCurveSceneObject* o, int v) { CurveOf(o)->SetEvaluationMode(v); })
    {
    }
};

/// "Approximation Level" (int), 1 ... 10.
class BezierCurveParameter_ApproximationLevel : public NodeIntParameter<BezierCurveSceneObject> {
public:
    explicit BezierCurveParameter_ApproximationLevel(BezierCurveSceneObject* object)
        : NodeParameter(
              object, "Approximation Level", 1, 10, NodeWrite::Bracketed,
              [](BezierCurveSceneObject* o) { return CurveOf(o)->GetApproximationLevel(); },
              [](BezierCurveSceneObject* o, int v) { CurveOf(o)->SetApproximationLevel(v); })
    {
    }
};

}  // namespace vynui_bt
