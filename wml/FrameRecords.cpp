#include "wml/FrameRecords.h"

#include <cfloat>
#include <cmath>
#include <vector>

#include "wml/ExtendedWmlCamera.h"
#include "wml/Serializer.h"

namespace Wml {

namespace {

bool IsFinite(const Vector3<float>& v)
{
    return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

double Dot(const Vector3<float>& a, const Vector3<float>& b)
{
    return double(a[0]) * b[0] + double(a[1]) * b[1] + double(a[2]) * b[2];
}

double Length(const Vector3<double>& v)
{
    return std::sqrt(v.Dot(v));
}

// The tolerance of a float camera frame written by the camera itself; far
// looser than rounding, far tighter than any real mistake.
const double AXIS_TOLERANCE = 1e-4;

}  // namespace

void StoreFrame(SerializerRecord& record, const std::string& key, const Frame3<float>& frame)
{
    record.SetValue(key, frame);
}

bool RestoreFrame(const SerializerRecord& record, const std::string& key, Frame3<float>& frame)
{
    Frame3<float> read;
    if (!record.GetValue(key, read, read) || !read.IsValid()) return false;
    frame = read;
    return true;
}

// ---- camera --------------------------------------------------------------------

void ExtendedWmlCamera::Store(SerializerRecord& record, const std::string& prefix) const
{
    record.SetValue(prefix + "CameraLocation", m_location);
    record.SetValue(prefix + "CameraLeft", m_left);
    record.SetValue(prefix + "CameraUp", m_up);
    record.SetValue(prefix + "CameraDirection", m_direction);
    record.SetValue(prefix + "CameraTarget", m_target);
    record.SetValue(prefix + "CameraFrustum", std::vector<float>(m_frustum, m_frustum + 6));
    record.SetValue(prefix + "CameraPerspective", m_perspective ? 1u : 0u);
    record.SetValue(prefix + "CameraViewportX", m_viewport[0]);
    record.SetValue(prefix + "CameraViewportY", m_viewport[1]);
    record.SetValue(prefix + "CameraViewportWidth", m_viewport[2]);
    record.SetValue(prefix + "CameraViewportHeight", m_viewport[3]);
    record.SetValue(prefix + "CameraMinimumTargetDistance", m_minTargetDistance);
}

bool ExtendedWmlCamera::Restore(const SerializerRecord& record, const std::string& prefix)
{
    Vector3<float> location, left, up, direction, target;
    const Vector3<float> zero(0.0f, 0.0f, 0.0f);
    if (!record.GetValue(prefix + "CameraLocation", location, zero) ||
        !record.GetValue(prefix + "CameraLeft", left, zero) ||
        !record.GetValue(prefix + "CameraUp", up, zero) ||
        !record.GetValue(prefix + "CameraDirection", direction, zero) ||
        !record.GetValue(prefix + "CameraTarget", target, zero))
        return false;
    if (!IsFinite(location) || !IsFinite(left) || !IsFinite(up) || !IsFinite(direction) || !IsFinite(target))
        return false;

    // The axes must be what the camera keeps: orthonormal, left x up = direction.
    const Vector3<float>* axes[3] = {&left, &up, &direction};
    for (int i = 0; i < 3; ++i) {
        if (std::fabs(Dot(*axes[i], *axes[i]) - 1.0) > AXIS_TOLERANCE) return false;
        if (std::fabs(Dot(*axes[i], *axes[(i + 1) % 3])) > AXIS_TOLERANCE) return false;
    }
    if (Dot(left.Cross(up), direction) < 1.0 - AXIS_TOLERANCE) return false;

    unsigned int perspective = 0;
    if (!record.GetValue(prefix + "CameraPerspective", perspective, 0u) || perspective > 1) return false;

    std::vector<float> frustum;
    unsigned int count = 0;
    if (!record.GetValue(prefix + "CameraFrustum", frustum, count) || count != 6) return false;
    frustum.resize(6);
    record.GetValue(prefix + "CameraFrustum", frustum, count);
    for (float f : frustum)
        if (!std::isfinite(f)) return false;
    if (!(frustum[0] != frustum[1] && frustum[2] != frustum[3] && frustum[4] > 0.0f &&
          frustum[4] < frustum[5]))
        return false;

    int viewport[4];
    const char* viewportKeys[4] = {"CameraViewportX", "CameraViewportY", "CameraViewportWidth",
                                   "CameraViewportHeight"};
    for (int i = 0; i < 4; ++i)
        if (!record.GetValue(prefix + viewportKeys[i], viewport[i], 0)) return false;
    if (viewport[2] < 0 || viewport[3] < 0) return false;

    float minDistance = m_minTargetDistance;
    if (record.HasKey(prefix + "CameraMinimumTargetDistance") &&
        (!record.GetValue(prefix + "CameraMinimumTargetDistance", minDistance, minDistance) ||
         !std::isfinite(minDistance) || !(minDistance > 0.0f)))
        return false;

    // The target lies on the view axis in front of the camera. Rounding of
    // coordinates far from the origin blurs the check in proportion to them.
    Vector3<double> toTarget = Vector3<double>(target) - Vector3<double>(location);
    double distance = Length(toTarget);
    double slack = 8.0 * FLT_EPSILON * (Length(Vector3<double>(location)) + Length(Vector3<double>(target)));
    Vector3<double> dir(direction);
    double along = toTarget.Dot(dir);
    if (!std::isfinite(distance) || !(along > 0.0)) return false;
    if (Length(toTarget - dir * along) > 1e-3 * distance + slack) return false;
    if (distance < double(minDistance) * (1.0 - 1e-3) - slack) return false;

    m_location = location;
    m_left = left;
    m_up = up;
    m_direction = direction;
    m_target = target;
    for (int i = 0; i < 6; ++i) m_frustum[i] = frustum[i];
    m_perspective = perspective == 1;
    for (int i = 0; i < 4; ++i) m_viewport[i] = viewport[i];
    m_minTargetDistance = minDistance;
    m_snapValid = false;
    return true;
}

}  // namespace Wml
