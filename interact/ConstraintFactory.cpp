#include "interact/ConstraintFactory.h"

#include <cmath>

#include "interact/AxisRotationConstraint.h"
#include "interact/AxisScaleConstraint.h"
#include "interact/PlaneTranslateConstraint.h"
#include "interact/UniformScaleConstraint.h"
#include "interact/VectorConstraint.h"

namespace vynui {

namespace {
bool Finite(const Wml::Vector3<float>& v)
{
    return std::isfinite(v.X()) && std::isfinite(v.Y()) && std::isfinite(v.Z());
}
}  // namespace

Constraint* CreateConstraint(const ConstraintDescription& d, ConstraintTarget* target)
{
    Wml::Frame3<float> frame;
    if (d.hasFrame) {
        if (!d.frame.IsValid()) return nullptr;
        frame = d.frame;
    } else {
        Wml::Vector3<float> axis = d.axis;
        if (!Finite(d.origin) || !Finite(axis) || axis.Normalize() <= 0.0f) return nullptr;
        frame = Wml::Frame3<float>::FromOriginAndNormal(d.origin, axis);
    }
    Constraint* c = nullptr;
    switch (d.kind) {
        case VECTOR_CONSTRAINT:
            c = new VectorConstraint(target, frame, d.frameMode);
            break;
        case AXIS_ROTATION_CONSTRAINT:
            c = new AxisRotationConstraint(target, frame, d.frameMode, d.radius);
            break;
        case AXIS_SCALE_CONSTRAINT:
            c = new AxisScaleConstraint(target, frame, d.frameMode);
            break;
        case PLANE_TRANSLATE_CONSTRAINT:
            c = new PlaneTranslateConstraint(target, frame, d.frameMode);
            break;
        case UNIFORM_SCALE_CONSTRAINT:
            c = new UniformScaleConstraint(target, frame, d.frameMode);
            break;
        default:
            return nullptr;
    }
    c->SetColor(d.color);
    return c;
}

}  // namespace vynui
