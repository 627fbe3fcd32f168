#pragma once

namespace vynui {

class ITool3D;

/// Told after every drag step that a tool applied to its targets.
class IToolActionEventListener {
public:
    virtual ~IToolActionEventListener() = default;
    virtual void OnToolAction(ITool3D* tool) = 0;
};

}  // namespace vynui
