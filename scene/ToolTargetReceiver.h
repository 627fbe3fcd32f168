#pragma once
// What SceneObjectManager::UpdateToolTargets hands the selection to: the 3D
// tool manager implements it.

#include <vector>

namespace vynui {

class SceneObject;

class ToolTargetReceiver {
public:
    virtual ~ToolTargetReceiver() = default;
    /// The ordered list replaces the current targets.
    virtual void SetTargets(const std::vector<SceneObject*>& targets) = 0;
    /// Called after SetTargets so the active tool follows its new targets.
    virtual void Refresh() = 0;
};

}  // namespace vynui
