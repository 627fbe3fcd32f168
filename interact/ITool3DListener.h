#pragma once

namespace vynui {

class ITool3D;

/// Told when a tool's own state changed in a way its owner must follow
/// (for example its list of tool targets).
class ITool3DListener {
public:
    virtual ~ITool3DListener() = default;
    virtual void OnToolChanged(ITool3D* tool) = 0;
};

}  // namespace vynui
