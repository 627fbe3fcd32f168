#pragma once
// Handle of control point i of a Bezier curve scene object. Its position is
// the control point in world coordinates; moving it moves the control point
// between the node's change brackets, under the model's lock.

#include "scene/GenericPointSceneObject.h"

namespace vynui_bt {

class BezierCurveSceneObject;

class BezierCurve_ControlPointTarget : public vynui::GenericPointSceneObject,
                                       public vynui::GenericPointSceneObjectTarget {
public:
    BezierCurve_ControlPointTarget(BezierCurveSceneObject* owner, unsigned int index);

    unsigned int GetIndex() const { return m_index; }

    /// World position of the control point (the origin when the index is out
    /// of range).
    Wml::Vector3<float> GetPosition() override;
    /// Moves the control point to position, or by it when relative.
    void SetPosition(const Wml::Vector3<float>& position, bool relative) override;

private:
    BezierCurveSceneObject* m_owner;
    unsigned int m_index;
};

}  // namespace vynui_bt
