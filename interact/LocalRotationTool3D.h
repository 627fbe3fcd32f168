#pragma once
// "Rotation3D": rings about the target's own axes; dragging one turns the
// target about that axis.

#include "interact/LocalAxesTool3D.h"

namespace vynui {

class LocalRotationTool3D : public LocalAxesTool3D {
public:
    static constexpr const char* NAME = "Rotation3D";
    LocalRotationTool3D();

protected:
    bool ApplyStep(Constraint* handle, const Wml::Ray3<float>& ray) override;
};

}  // namespace vynui
