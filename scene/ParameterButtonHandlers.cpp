#include "scene/ParameterButtonHandlers.h"

#include <cmath>
#include <limits>

#include "scene/GenericFloatParameter.h"
#include "scene/IParameter.h"
#include "surface/SurfaceManager.h"

namespace vynui {

namespace {

bool Finite(const Wml::Vector2<float>& v)
{
    return std::isfinite(v.X()) && std::isfinite(v.Y());
}

}  // namespace

void DraggableParamButtonHandler::BindInteger(IParameter* parameter)
{
    m_parameter = parameter;
}

void DraggableParamButtonHandler::BindFloat(IParameter* parameter)
{
    m_parameter = parameter;
}

// ---- float

void DraggableFloatParamButtonHandler::BindInteger(IParameter* /*parameter*/)
{
    Unbind();
}

float DraggableFloatParamButtonHandler::MinimumOf(IParameter* parameter)
{
    auto* ranged = dynamic_cast<GenericFloatParameter*>(parameter);
    return ranged ? ranged->GetMinimum() : 0.0f;
}

float DraggableFloatParamButtonHandler::StepAt(float value, float minimum) const
{
    const float distance = std::fabs(value - minimum);
    if (!(distance < m_easeDistance)) return m_baseStep + m_extraStep;
    const float d = distance / m_easeDistance;
    const float k = 1.0f - d * d;
    float step = m_baseStep;
    if (k > 0.0f) step += m_extraStep * (1.0f - k * k * k);
    return step;
}

void DraggableFloatParamButtonHandler::OnDrag(const Wml::Vector2<float>& delta)
{
    if (!m_parameter || !Finite(delta)) return;
    const float value = m_parameter->GetFloatValue();
    const float step = StepAt(value, MinimumOf(m_parameter));
    const float next = value + delta.X() * step + delta.Y() * step;
    if (next == value || !std::isfinite(next)) return;
    m_parameter->SetFloatValue(next);
}

// ---- integer

void DraggableIntegerParamButtonHandler::BindFloat(IParameter* /*parameter*/)
{
    Unbind();
}

void DraggableIntegerParamButtonHandler::OnDrag(const Wml::Vector2<float>& delta)
{
    if (!m_parameter || !Finite(delta)) return;
    const float amount = 0.2f * delta.X() + 0.2f * delta.Y();
    if (amount == 0.0f) return;
    const int value = m_parameter->GetIntValue();
    if (amount > 0.0f) {
        if (value < std::numeric_limits<int>::max()) m_parameter->SetIntValue(value + 1);
    } else if (value > std::numeric_limits<int>::min()) {
        m_parameter->SetIntValue(value - 1);
    }
}

// ---- mesh resolution

void PolygonizerResolutionButtonHandler::OnDrag(const Wml::Vector2<float>& delta)
{
    if (!m_surfaces || !Finite(delta)) return;
    const float amount = 0.2f * delta.X() + 0.2f * delta.Y();
    if (amount == 0.0f) return;
    if (amount > 0.0f) {
        // A factor at or below 0 would jump straight to the finest cells.
        const float factor = 1.0f - std::fabs(amount);
        if (factor > 0.0f) m_surfaces->ScaleCellSizeDown(factor, true);
    } else {
        m_surfaces->ScaleCellSizeUp(1.0f + std::fabs(amount), true);
    }
}

// ---- state

int ParameterStateTarget::GetCurrentStateKey()
{
    return m_parameter ? m_parameter->GetIntValue() : -1;
}

void ParameterStateTarget::SetStateKey(int key)
{
    if (m_parameter) m_parameter->SetIntValue(key);
}

}  // namespace vynui
