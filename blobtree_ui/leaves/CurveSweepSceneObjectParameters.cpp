#include "blobtree_ui/leaves/CurveSweepSceneObjectParameters.h"

#include "blobtree/nodes/CurveSweepNode.h"
#include "blobtree_ui/leaves/CurveSweepSceneObject.h"

namespace vynui_bt {

namespace {

vynimplicit::CurveSweep* Sweep(CurveSweepSceneObject* object)
{
    return object->GetSweepNode()->GetSweep();
}

}  // namespace

CurveSweepParameter_Radius::CurveSweepParameter_Radius(CurveSweepSceneObject* object)
    : LeafFloatParameter(object, "Radius", 0.001f, 10000.0f)
{
    InitCache();
}

void CurveSweepParameter_Radius::ApplyValue(float value)
{
    if (!std::isfinite(value)) return;
    WriteBracketed(m_object, [&] { Sweep(m_object)->SetRadius(value); });
}

float CurveSweepParameter_Radius::ReadValue()
{
    return ReadLocked(m_object, [&] { return Sweep(m_object)->GetRadius(); });
}

CurveSweepParameter_StartRotation::CurveSweepParameter_StartRotation(CurveSweepSceneObject* object)
    : LeafFloatParameter(object, "Start Rotation", 0.0f, 360.0f)
{
    InitCache();
}

void CurveSweepParameter_StartRotation::ApplyValue(float value)
{
    if (!std::isfinite(value)) return;
    WriteBracketed(m_object, [&] { Sweep(m_object)->SetStartRotation(value); });
}

float CurveSweepParameter_StartRotation::ReadValue()
{
    return ReadLocked(m_object, [&] { return Sweep(m_object)->GetStartRotation(); });
}

CurveSweepParameter_FalloffLength::CurveSweepParameter_FalloffLength(CurveSweepSceneObject* object)
    : LeafFloatParameter(object, "Falloff Length", 0.001f, 10000.0f)
{
    InitCache();
}

void CurveSweepParameter_FalloffLength::ApplyValue(float value)
{
    if (!std::isfinite(value)) return;
    WriteBracketed(m_object, [&] { Sweep(m_object)->SetFalloffLength(value); });
}

float CurveSweepParameter_FalloffLength::ReadValue()
{
    return ReadLocked(m_object, [&] { return Sweep(m_object)->GetFalloffLength(); });
}

CurveSweepParameter_CapStyle::CurveSweepParameter_CapStyle(CurveSweepSceneObject* object)
    : LeafIntParameter(object, "Cap Style", 0, 2)
{
    InitCache();
}

void CurveSweepParameter_CapStyle::ApplyValue(int value)
{
    if (value < 0 || value > 2) return;
    WriteBracketed(m_object, [&] { Sweep(m_object)->SetCapStyle(value); });
}

int CurveSweepParameter_CapStyle::ReadValue()
{
    return ReadLocked(m_object, [&] { return Sweep(m_object)->GetCapStyle(); });
}

CurveSweepParameter_EndcapBlendAngle::CurveSweepParameter_EndcapBlendAngle(CurveSweepSceneObject* object)
    : LeafFloatParameter(object, "Endcap Smoothness", 0.001f, 44.9f)
{
    InitCache();
}

void CurveSweepParameter_EndcapBlendAngle::ApplyValue(float value)
{
    if (!std::isfinite(value)) return;
    WriteBracketed(m_object, [&] {
        vynimplicit::CurveSweep* sweep = Sweep(m_object);
        sweep->SetEndcapBlendAngle(value);
        sweep->ComputeEndcapParams();
    });
}

float CurveSweepParameter_EndcapBlendAngle::ReadValue()
{
    return ReadLocked(m_object, [&] { return Sweep(m_object)->GetEndcapBlendAngle(); });
}

CurveSweepParameter_EvaluationMode::CurveSweepParameter_EvaluationMode(CurveSweepSceneObject* object)
    : LeafIntParameter(object, "Evaluation Mode", 0, 1)
{
    InitCache();
}

void CurveSweepParameter_EvaluationMode::ApplyValue(int value)
{
    if (value < 0 || value > 1) return;
    WriteBracketed(m_object, [&] { Sweep(m_object)->SetEvaluationMode(value); });
}

int CurveSweepParameter_EvaluationMode::ReadValue()
{
    return ReadLocked(m_object, [&] { return Sweep(m_object)->GetEvaluationMode(); });
}

}  // namespace vynui_bt
