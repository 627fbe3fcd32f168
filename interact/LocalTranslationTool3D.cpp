#include "interact/LocalTranslationTool3D.h"

#include "interact/VectorConstraint.h"
#include "scene/ITool3DTarget.h"

namespace vynui {

LocalTranslationTool3D::LocalTranslationTool3D() : LocalAxesTool3D(NAME)
{
    const Wml::Vector3<float> o = Wml::Vector3<float>::ZERO;
    SetHandles(new VectorConstraint(nullptr, o, Wml::Vector3<float>::UNIT_X, FRAME_MODE_OBJECT),
               new VectorConstraint(nullptr, o, Wml::Vector3<float>::UNIT_Y, FRAME_MODE_OBJECT),
               new VectorConstraint(nullptr, o, Wml::Vector3<float>::UNIT_Z, FRAME_MODE_OBJECT));
}

bool LocalTranslationTool3D::ApplyStep(Constraint* handle, const Wml::Ray3<float>& ray)
{
    Wml::Vector3<float> delta;
    if (!handle->DragVector(ray, delta)) return false;
    GetTarget()->Translate(delta, true);
    return true;
}

}  // namespace vynui
