#include "scene/BasicParameterOrientation.h"

#include "scene/FileVersion.h"
#include "scene/SceneObject.h"
#include "wml/Serializer.h"
#include "wml/WmlMath.h"

namespace vynui {

namespace {

const float kDegToRad = Wml::Math<float>::DEG_TO_RAD;
const float kRadToDeg = Wml::Math<float>::RAD_TO_DEG;

Wml::Matrix3<float> FromDegrees(const Wml::Vector3<float>& degrees)
{
    Wml::Matrix3<float> m;
    m.FromEulerAnglesXYZ(degrees.X() * kDegToRad, degrees.Y() * kDegToRad, degrees.Z() * kDegToRad);
    return m;
}

Wml::Vector3<float> ToDegrees(const Wml::Matrix3<float>& m)
{
    float x = 0.0f, y = 0.0f, z = 0.0f;
    m.ToEulerAnglesXYZ(x, y, z);
    return Wml::Vector3<float>(x * kRadToDeg, y * kRadToDeg, z * kRadToDeg);
}

}  // namespace

BasicParameterOrientation::BasicParameterOrientation(SceneObject* target, const std::string& name)
    : GenericVector3fParameter(name), m_target(target)
{
}

void BasicParameterOrientation::ApplyValue(const Wml::Vector3<float>& degrees)
{
    if (!m_target) return;
    boost::recursive_mutex::scoped_lock lock(m_target->GetLock());
    m_target->Rotate(FromDegrees(degrees), false);
}

Wml::Vector3<float> BasicParameterOrientation::ReadValue()
{
    if (!m_target) return Wml::Vector3<float>::ZERO;
    boost::recursive_mutex::scoped_lock lock(m_target->GetLock());
    return ToDegrees(m_target->GetFrame().GetRotation());
}

bool BasicParameterOrientation::Restore(Wml::SerializerRecord* record)
{
    if (!record) return true;
    Wml::Vector3<float> angles;
    if (!record->GetValue(GetName(), angles, Wml::Vector3<float>::ZERO)) return true;
    if (GetFileVersion() < FileVersion(3, 0, 1)) angles = TransposedAngles(angles);
    ApplyAndRefresh(angles);
    return true;
}

Wml::Vector3<float> BasicParameterOrientation::TransposedAngles(const Wml::Vector3<float>& degrees)
{
    return ToDegrees(FromDegrees(degrees).Transpose());
}

}  // namespace vynui
