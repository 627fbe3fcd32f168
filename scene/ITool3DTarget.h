#pragma once
// What the 3D tools move: anything with a frame that can be translated,
// rotated and scaled. Scene objects are the usual targets; the tool manager's
// target group is another.

#include <string>

#include "wml/Frame3.h"
#include "wml/Matrix3.h"
#include "wml/Vector3.h"

namespace vynui {

class ITool3DTarget {
public:
    virtual ~ITool3DTarget() = default;

    /// The target's current placement.
    virtual Wml::Frame3<float> GetFrame() = 0;
    /// relative: move by v; otherwise move the origin to v.
    virtual void Translate(const Wml::Vector3<float>& v, bool relative) = 0;
    /// relative: turn by the world rotation m; otherwise set the rotation to m.
    virtual void Rotate(const Wml::Matrix3<float>& m, bool relative) = 0;
    virtual void Scale(float sx, float sy, float sz, bool relative, bool uniform) = 0;
    /// Whether the named tool ("Translation3D", "Rotation3D", "DynamicTool3D")
    /// may act on this target.
    virtual bool SupportsTool(const std::string& toolName) = 0;
    /// Pivots take the moves of a whole target group.
    virtual bool IsPivot() = 0;
    /// Turns the target by m about centre.
    virtual void RotateAbout(const Wml::Matrix3<float>& m, const Wml::Vector3<float>& centre) = 0;
};

}  // namespace vynui
