#include "view/CameraInterpolator.h"

#include <cmath>

#include "wml/ExtendedWmlCamera.h"

namespace vynui {

namespace {

bool Finite(const Wml::Vector3<float>& v)
{
    return std::isfinite(v.X()) && std::isfinite(v.Y()) && std::isfinite(v.Z());
}

}  // namespace

bool CameraInterpolator::Start(Wml::ExtendedWmlCamera* camera, const Wml::Vector3<float>& displacement,
                               const Wml::Vector3<float>& lookAt, int steps)
{
    m_camera = nullptr;
    if (!camera || steps <= 0 || !Finite(displacement) || !Finite(lookAt)) return false;
    m_camera = camera;
    m_start = camera->GetLocation();
    m_displacement = displacement;
    m_lookAt = lookAt;
    m_steps = steps;
    m_step = 0;
    return true;
}

bool CameraInterpolator::Step()
{
    if (!m_camera) return false;
    ++m_step;
    const float t = static_cast<float>(m_step) / static_cast<float>(m_steps);
    const float eased = t * t * (3.0f - 2.0f * t);
    const Wml::Vector3<float> location = m_start + m_displacement * eased;
    Wml::Vector3<float> direction = m_lookAt - location;
    // Keep the camera's up as close as it can stay; a look straight along it
    // keeps the current frame's orientation.
    if (direction.Normalize() > 1e-6f) {
        Wml::Vector3<float> left = m_camera->GetUp().Cross(direction);
        if (left.Normalize() > 1e-6f) {
            const Wml::Vector3<float> up = direction.Cross(left);
            m_camera->SetFrameLookAt(location, left, up, m_lookAt);
        }
    }
    if (m_step >= m_steps) m_camera = nullptr;
    return m_camera != nullptr;
}

}  // namespace vynui
