#pragma once
// A point whose position lives elsewhere (a control point of a curve, a slice
// position): the scene object reads and moves it through a target.

#include "scene/SceneObject.h"

namespace vynui {

/// Where a GenericPointSceneObject's position lives.
class GenericPointSceneObjectTarget {
public:
    virtual ~GenericPointSceneObjectTarget() = default;
    virtual Wml::Vector3<float> GetPosition() = 0;
    /// relative: move by position; otherwise move to position.
    virtual void SetPosition(const Wml::Vector3<float>& position, bool relative) = 0;
};

class GenericPointSceneObject : public SceneObject {
public:
    /// The target is not owned and may be null (the point then sits at the
    /// origin, cannot be picked and ignores moves).
    explicit GenericPointSceneObject(GenericPointSceneObjectTarget* target = nullptr);

    /// Squared distance within which a ray picks the point.
    static constexpr float PICK_TOLERANCE_SQUARED = 0.005f;

    void SetTarget(GenericPointSceneObjectTarget* target) { m_target = target; }
    GenericPointSceneObjectTarget* GetTarget() const { return m_target; }

    /// A frame at the target's position.
    Wml::Frame3<float> GetFrame() override;
    /// Forwards to the target's SetPosition; no listener event. Non-finite
    /// input is refused.
    void Translate(const Wml::Vector3<float>& v, bool relative) override;
    /// Only "Translation3D".
    bool SupportsTool(const std::string& toolName) override;
    const char* GetTypeName() override { return "GenericPoint"; }
    /// A hit when the closest point of the ray lies ahead of its origin
    /// (ray parameter > 0) within PICK_TOLERANCE_SQUARED; t is that ray
    /// parameter.
    SceneObject* Pick(const Wml::Ray3<float>& ray, float& t) override;
    /// One GL point at the position.
    void Render(bool selected) override;

private:
    GenericPointSceneObjectTarget* m_target;
};

}  // namespace vynui
