#include "blobtree_ui/leaves/BezierCurveSceneObjectParameters.h"

#include "blobtree/nodes/BezierCurveNode.h"
#include "blobtree_ui/leaves/BezierCurveSceneObject.h"

namespace vynui_bt {

namespace {

vynimplicit::BezierCurve* Curve(BezierCurveSceneObject* object)
{
    return object->GetCurveNode()->GetCurve();
}

}  // namespace

BezierCurveParameter_Radius::BezierCurveParameter_Radius(BezierCurveSceneObject* object)
    : LeafFloatParameter(object, "Radius", 0.0001f, 10000.0f)
{
    InitCache();
}

void BezierCurveParameter_Radius::ApplyValue(float value)
{
    if (!std::isfinite(value)) return;
    WriteBracketed(m_object, [&] { m_object->GetCurveNode()->SetRadius(value); });
}

float BezierCurveParameter_Radius::ReadValue()
{
    return ReadLocked(m_object, [&] { return m_object->GetCurveNode()->GetRadius(); });
}

BezierCurveParameter_BlendAngle::BezierCurveParameter_BlendAngle(BezierCurveSceneObject* object)
    : LeafFloatParameter(object, "Barthe Blend Angle", 0.0001f, 44.9f)
{
    InitCache();
}

void BezierCurveParameter_BlendAngle::ApplyValue(float value)
{
    if (!std::isfinite(value)) return;
    WriteBracketed(m_object, [&] {
        vynimplicit::BezierCurve* curve = Curve(m_object);
        curve->SetBlendAngle(value);
        curve->ComputeBartheUnionParams();
    });
}

float BezierCurveParameter_BlendAngle::ReadValue()
{
    return ReadLocked(m_object, [&] { return Curve(m_object)->GetBlendAngle(); });
}

BezierCurveParameter_EvalMode::BezierCurveParameter_EvalMode(BezierCurveSceneObject* object)
    : LeafIntParameter(object, "Evaluation Mode", 0, 1)
{
    InitCache();
}

void BezierCurveParameter_EvalMode::ApplyValue(int value)
{
    if (value < 0 || value > 1) return;
    WriteBracketed(m_object, [&] { Curve(m_object)->SetEvaluationMode(value); });
}

int BezierCurveParameter_EvalMode::ReadValue()
{
    return ReadLocked(m_object, [&] { return Curve(m_object)->GetEvaluationMode(); });
}

BezierCurveParameter_ApproximationLevel::BezierCurveParameter_ApproximationLevel(
    BezierCurveSceneObject* object)
    : LeafIntParameter(object, "Approximation Level", 1, 10)
{
    InitCache();
}

void BezierCurveParameter_ApproximationLevel::ApplyValue(int value)
{
    if (value < 1 || value > 10) return;
    WriteBracketed(m_object, [&] { Curve(m_object)->SetApproximationLevel(value); });
}

int BezierCurveParameter_ApproximationLevel::ReadValue()
{
    return ReadLocked(m_object, [&] { return Curve(m_object)->GetApproximationLevel(); });
}

}  // namespace vynui_bt
