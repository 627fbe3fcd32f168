#include "blobtree_ui/leaves/CappedLinearSweepSceneObjectParameters.h"

#include "blobtree/nodes/CappedLinearSweepNode.h"
#include "blobtree_ui/leaves/CappedLinearSweepSceneObject.h"

namespace vynui_bt {

namespace {

vynimplicit::DiscreteLinearSweep* Sweep(CappedLinearSweepSceneObject* object)
{
    return object->GetSweepNode()->GetSweep();
}

}  // namespace

LinearSweepParameter_FalloffLength::LinearSweepParameter_FalloffLength(CappedLinearSweepSceneObject* object)
    : LeafFloatParameter(object, "Falloff Length", 0.01f, 10.0f)
{
    InitCache();
}

void LinearSweepParameter_FalloffLength::ApplyValue(float value)
{
    if (!std::isfinite(value)) return;
    WriteBracketed(m_object, [&] { Sweep(m_object)->SetFalloffLength(value); });
}

float LinearSweepParameter_FalloffLength::ReadValue()
{
    return ReadLocked(m_object, [&] { return Sweep(m_object)->GetFalloffLength(); });
}

LinearSweepParameter_Length::LinearSweepParameter_Length(CappedLinearSweepSceneObject* object)
    : LeafFloatParameter(object, "Length", 0.001f, 100.0f)
{
    InitCache();
}

void LinearSweepParameter_Length::ApplyValue(float value)
{
    if (std::isnan(value)) return;
    WriteBracketed(m_object, [&] { Sweep(m_object)->SetHalfLength(value > 0.0f ? value / 2.0f : 0.1f); });
}

float LinearSweepParameter_Length::ReadValue()
{
    return ReadLocked(m_object, [&] { return 2.0f * Sweep(m_object)->GetHalfLength(); });
}

LinearSweepParameter_Radius::LinearSweepParameter_Radius(CappedLinearSweepSceneObject* object)
    : LeafFloatParameter(object, "Radius", 0.001f, 10000.0f)
{
    InitCache();
}

void LinearSweepParameter_Radius::ApplyValue(float value)
{
    if (!std::isfinite(value)) return;
    WriteBracketed(m_object, [&] { Sweep(m_object)->SetRadius(value); });
}

float LinearSweepParameter_Radius::ReadValue()
{
    return ReadLocked(m_object, [&] { return Sweep(m_object)->GetRadius(); });
}

LinearSweepParameter_CapStyle::LinearSweepParameter_CapStyle(CappedLinearSweepSceneObject* object)
    : LeafNamedIntParameter(object, "Cap Style")
{
    AddValueName(0, "FlatRound");
    AddValueName(1, "Blobby");
    AddValueName(2, "FlatSharp");
    InitCache();
}

void LinearSweepParameter_CapStyle::ApplyValue(int value)
{
    if (value < 0 || value > 2) return;
    WriteBracketed(m_object, [&] { Sweep(m_object)->SetCapStyle(value); });
}

int LinearSweepParameter_CapStyle::ReadValue()
{
    return ReadLocked(m_object, [&] { return Sweep(m_object)->GetCapStyle(); });
}

LinearSweepParameter_EndcapBlendAngle::LinearSweepParameter_EndcapBlendAngle(
    CappedLinearSweepSceneObject* object)
    : LeafFloatParameter(object, "Endcap Smoothness", 0.001f, 44.9f)
{
    InitCache();
}

void LinearSweepParameter_EndcapBlendAngle::ApplyValue(float value)
{
    if (!std::isfinite(value)) return;
    WriteBracketed(m_object, [&] {
        vynimplicit::DiscreteLinearSweep* sweep = Sweep(m_object);
        sweep->SetEndcapBlendAngle(value);
        sweep->ComputeEndcapParams();
    });
}

float LinearSweepParameter_EndcapBlendAngle::ReadValue()
{
    return ReadLocked(m_object, [&] { return Sweep(m_object)->GetEndcapBlendAngle(); });
}

}  // namespace vynui_bt
