#include "blobtree_ui/leaves/InterpolatingLinearSweepSceneObjectParameters.h"

#include "blobtree/nodes/InterpolatingLinearSweepNode.h"
#include "blobtree_ui/leaves/InterpolatingLinearSweepSceneObject.h"

namespace vynui_bt {

namespace {

vynimplicit::InterpolatingLinearSweep* Sweep(InterpolatingLinearSweepSceneObject* object)
{
    return object->GetSweepNode()->GetSweep();
}

}  // namespace

InterpolatingLinearSweepParameter_Length::InterpolatingLinearSweepParameter_Length(
    InterpolatingLinearSweepSceneObject* object)
    : LeafFloatParameter(object, "Length", 0.001f, 10000.0f)
{
    InitCache();
}

void InterpolatingLinearSweepParameter_Length::ApplyValue(float value)
{
    if (!std::isfinite(value)) return;
    WriteBracketed(m_object, [&] { Sweep(m_object)->SetLength(value); });
}

float InterpolatingLinearSweepParameter_Length::ReadValue()
{
    return ReadLocked(m_object, [&] { return 2.0f * Sweep(m_object)->GetHalfLength(); });
}

InterpolatingLinearSweepParameter_Radius::InterpolatingLinearSweepParameter_Radius(
    InterpolatingLinearSweepSceneObject* object)
    : LeafFloatParameter(object, "Radius", 0.001f, 10000.0f)
{
    InitCache();
}

void InterpolatingLinearSweepParameter_Radius::ApplyValue(float value)
{
    if (!std::isfinite(value)) return;
    WriteBracketed(m_object, [&] { Sweep(m_object)->SetRadius(value); });
}

float InterpolatingLinearSweepParameter_Radius::ReadValue()
{
    return ReadLocked(m_object, [&] { return Sweep(m_object)->GetRadius(); });
}

InterpolatingLinearSweepParameter_FalloffLength::InterpolatingLinearSweepParameter_FalloffLength(
    InterpolatingLinearSweepSceneObject* object)
    : LeafFloatParameter(object, "Falloff Length", 0.001f, 10000.0f)
{
    InitCache();
}

void InterpolatingLinearSweepParameter_FalloffLength::ApplyValue(float value)
{
    if (!std::isfinite(value)) return;
    WriteBracketed(m_object, [&] { Sweep(m_object)->SetFalloffLength(value); });
}

float InterpolatingLinearSweepParameter_FalloffLength::ReadValue()
{
    return ReadLocked(m_object, [&] { return Sweep(m_object)->GetFalloffLength(); });
}

InterpolatingLinearSweepParameter_CapStyle::InterpolatingLinearSweepParameter_CapStyle(
    InterpolatingLinearSweepSceneObject* object)
    : LeafIntParameter(object, "Cap Style", 0, 2)
{
    InitCache();
}

void InterpolatingLinearSweepParameter_CapStyle::ApplyValue(int value)
{
    if (value < 0 || value > 2) return;
    WriteBracketed(m_object, [&] { Sweep(m_object)->SetCapStyle(value); });
}

int InterpolatingLinearSweepParameter_CapStyle::ReadValue()
{
    return ReadLocked(m_object, [&] { return Sweep(m_object)->GetCapStyle(); });
}

InterpolatingLinearSweepParameter_EndcapBlendAngle::InterpolatingLinearSweepParameter_EndcapBlendAngle(
    InterpolatingLinearSweepSceneObject* object)
    : LeafFloatParameter(object, "Endcap Smoothness", 0.001f, 44.9f)
{
    InitCache();
}

void InterpolatingLinearSweepParameter_EndcapBlendAngle::ApplyValue(float value)
{
    if (!std::isfinite(value)) return;
    WriteBracketed(m_object, [&] {
        vynimplicit::InterpolatingLinearSweep* sweep = Sweep(m_object);
        sweep->SetEndcapBlendAngle(value);
        sweep->ComputeEndcapParams();
    });
}

float InterpolatingLinearSweepParameter_EndcapBlendAngle::ReadValue()
{
    return ReadLocked(m_object, [&] { return Sweep(m_object)->GetEndcapBlendAngle(); });
}

InterpolatingLinearSweepParameter_BlendMode::InterpolatingLinearSweepParameter_BlendMode(
    InterpolatingLinearSweepSceneObject* object)
    : LeafIntParameter(object, "Blend Mode", 0, 2)
{
    InitCache();
}

void InterpolatingLinearSweepParameter_BlendMode::ApplyValue(int value)
{
    if (value < 0 || value > 2) return;
    WriteBracketed(m_object, [&] { Sweep(m_object)->SetBlendMode(value); });
}

int InterpolatingLinearSweepParameter_BlendMode::ReadValue()
{
    return ReadLocked(m_object, [&] { return static_cast<int>(Sweep(m_object)->GetBlendMode()); });
}

}  // namespace vynui_bt
