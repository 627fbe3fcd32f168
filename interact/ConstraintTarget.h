#pragma once
// Adapts one scene object to the handles that move it. It listens to the
// object, so that every handle registered with it follows the object's
// moves, whoever makes them.
//
// The object is not owned and must outlive the adapter. Handles register
// themselves at construction and deregister at destruction; an adapter
// destroyed first detaches the handles still registered.

#include <vector>

#include "scene/SceneObject.h"
#include "wml/Frame3.h"
#include "wml/Matrix3.h"
#include "wml/Vector3.h"

namespace vynui {

class Constraint;

class ConstraintTarget : public SceneObjectListener {
public:
    explicit ConstraintTarget(SceneObject* object);
    ~ConstraintTarget() override;
    ConstraintTarget(const ConstraintTarget&) = delete;
    ConstraintTarget& operator=(const ConstraintTarget&) = delete;

    /// When object is this adapter's own, every registered handle follows.
    virtual void OnObjectChanged(SceneObject* object);
    /// Moves the object by delta.
    virtual void Translate(const Wml::Vector3<float>& delta);
    /// Turns the object by the world rotation m (relative).
    virtual void Rotate(const Wml::Matrix3<float>& m);
    /// Forwarded as given; the tools pass (relative = true, uniform = false).
    virtual void Scale(float sx, float sy, float sz, bool relative, bool uniform);
    /// The object's frame.
    virtual Wml::Frame3<float> GetFrame();
    virtual bool IsFor(const SceneObject* object) const { return object && object == m_object; }

    SceneObject* GetObject() const { return m_object; }

    void AddConstraint(Constraint* constraint);
    void RemoveConstraint(Constraint* constraint);
    const std::vector<Constraint*>& GetConstraints() const { return m_constraints; }

    // SceneObjectListener
    void OnSceneObjectChanged(SceneObject* object, const SceneObjectEvent* event) override;

private:
    SceneObject* m_object;
    std::vector<Constraint*> m_constraints;
};

}  // namespace vynui
