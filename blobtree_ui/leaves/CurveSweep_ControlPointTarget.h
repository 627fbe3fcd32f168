#pragma once
// Handle of control point i of a curve sweep scene object: the control point
// in world coordinates, moved between the node's change brackets under the
// model's lock.

#include "scene/GenericPointSceneObject.h"

namespace vynui_bt {

class CurveSweepSceneObject;

class CurveSweep_ControlPointTarget : public vynui::GenericPointSceneObject,
                                      public vynui::GenericPointSceneObjectTarget {
public:
    CurveSweep_ControlPointTarget(CurveSweepSceneObject* owner, unsigned int index);

    unsigned int GetIndex() const { return m_index; }

    Wml::Vector3<float> GetPosition() override;
    void SetPosition(const Wml::Vector3<float>& position, bool relative) override;

private:
    CurveSweepSceneObject* m_owner;
    unsigned int m_index;
};

}  // namespace vynui_bt
