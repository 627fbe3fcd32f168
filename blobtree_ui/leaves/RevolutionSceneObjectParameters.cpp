#include "blobtree_ui/leaves/RevolutionSceneObjectParameters.h"

#include "blobtree/nodes/RevolutionNode.h"
#include "blobtree_ui/leaves/RevolutionSceneObject.h"

namespace vynui_bt {

RevolutionParameter_EvalMode::RevolutionParameter_EvalMode(RevolutionSceneObject* object)
    : LeafIntParameter(object, "Evaluation Mode", 0, 3)
{
    InitCache();
}

void RevolutionParameter_EvalMode::ApplyValue(int value)
{
    if (value < 0 || value > 3) return;
    WritePlain(m_object, [&] { m_object->GetRevolutionNode()->GetRevolution()->SetEvaluationMode(value); });
}

int RevolutionParameter_EvalMode::ReadValue()
{
    return ReadLocked(m_object,
                      [&] { return m_object->GetRevolutionNode()->GetRevolution()->GetEvaluationMode(); });
}

RevolutionParameter_Radius::RevolutionParameter_Radius(RevolutionSceneObject* object)
    : LeafFloatParameter(object, "Radius", 0.001f, 10000.0f)
{
    InitCache();
}

void RevolutionParameter_Radius::ApplyValue(float value)
{
    if (!std::isfinite(value)) return;
    WriteBracketed(m_object, [&] { m_object->GetRevolutionNode()->GetRevolution()->SetRadius(value); });
}

float RevolutionParameter_Radius::ReadValue()
{
    return ReadLocked(m_object, [&] { return m_object->GetRevolutionNode()->GetRevolution()->GetRadius(); });
}

}  // namespace vynui_bt
