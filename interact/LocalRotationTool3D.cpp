#include "interact/LocalRotationTool3D.h"

#include "interact/AxisRotationConstraint.h"
#include "scene/ITool3DTarget.h"

namespace vynui {

LocalRotationTool3D::LocalRotationTool3D() : LocalAxesTool3D(NAME)
{
    const Wml::Vector3<float> o = Wml::Vector3<float>::ZERO;
    const float r = RotationRadiusForMode(FRAME_MODE_OBJECT);
    SetHandles(new AxisRotationConstraint(nullptr, o, Wml::Vector3<float>::UNIT_X, FRAME_MODE_OBJECT, r),
               new AxisRotationConstraint(nullptr, o, Wml::Vector3<float>::UNIT_Y, FRAME_MODE_OBJECT, r),
               new AxisRotationConstraint(nullptr, o, Wml::Vector3<float>::UNIT_Z, FRAME_MODE_OBJECT, r));
}

bool LocalRotationTool3D::ApplyStep(Constraint* handle, const Wml::Ray3<float>& ray)
{
    Wml::Matrix3<float> m;
    if (!handle->DragRotation(ray, m)) return false;
    GetTarget()->Rotate(m, true);
    return true;
}

}  // namespace vynui
