#pragma once
// The tool targets as one target: the ordered list of objects under
// manipulation. Moves go to the pivot alone when the list holds one (the
// last pivot in the list), otherwise to every target in order.

#include <vector>

#include "scene/ITool3DTarget.h"

namespace vynui {

class SceneObject;

class ToolTargetGroup : public ITool3DTarget {
public:
    /// Replaces the list (null entries are dropped) and designates the last
    /// pivot in it, if any. The objects are not owned.
    void SetTargets(const std::vector<SceneObject*>& targets);
    const std::vector<SceneObject*>& GetTargets() const { return m_targets; }
    /// The designated pivot, or null.
    SceneObject* GetPivot() const { return m_pivot; }

    /// No target: a frame at the origin. One: its frame. Several: the
    /// pivot's frame when there is one, else the world axes at the mean of
    /// the targets' origins.
    Wml::Frame3<float> GetFrame() override;
    /// Relative moves go to each receiver as given; an absolute move puts
    /// the group frame's origin at v, moving every receiver by the same
    /// amount so they keep their places relative to one another.
    void Translate(const Wml::Vector3<float>& v, bool relative) override;
    void Rotate(const Wml::Matrix3<float>& m, bool relative) override;
    void Scale(float sx, float sy, float sz, bool relative, bool uniform) override;
    /// True for a non-empty list whose every target supports the tool.
    bool SupportsTool(const std::string& toolName) override;
    bool IsPivot() override { return false; }
    void RotateAbout(const Wml::Matrix3<float>& m, const Wml::Vector3<float>& centre) override;

private:
    /// The pivot alone, or every target.
    std::vector<SceneObject*> Receivers() const;

    std::vector<SceneObject*> m_targets;
    SceneObject* m_pivot = nullptr;
};

}  // namespace vynui
