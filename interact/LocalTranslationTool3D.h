#pragma once
// "Translation3D": arrows along the target's own axes; dragging one moves
// the target along that axis.

#include "interact/LocalAxesTool3D.h"

namespace vynui {

class LocalTranslationTool3D : public LocalAxesTool3D {
public:
    static constexpr const char* NAME = "Translation3D";
    LocalTranslationTool3D();

protected:
    bool ApplyStep(Constraint* handle, const Wml::Ray3<float>& ray) override;
};

}  // namespace vynui
