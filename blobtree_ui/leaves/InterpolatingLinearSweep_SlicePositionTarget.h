#pragma once
// Handle of slice i of an interpolating sweep. Its position is the first
// vertex of the slice's first outline at the slice's height, in world
// coordinates; dragging it by d moves the slice along the sweep by d . z
// and shifts its offset by (d.x, d.y) (world x and y).

#include "scene/GenericPointSceneObject.h"

namespace vynui_bt {

class InterpolatingLinearSweepSceneObject;

class InterpolatingLinearSweep_SlicePositionTarget : public vynui::GenericPointSceneObject,
                                                     public vynui::GenericPointSceneObjectTarget {
public:
    InterpolatingLinearSweep_SlicePositionTarget(InterpolatingLinearSweepSceneObject* owner,
                                                 unsigned int index);

    unsigned int GetIndex() const { return m_index; }

    Wml::Vector3<float> GetPosition() override;
    /// relative: drag by position; otherwise the drag is position minus the
    /// handle's current position.
    void SetPosition(const Wml::Vector3<float>& position, bool relative) override;
    /// A blue point at the position.
    void Render(bool selected) override;

private:
    InterpolatingLinearSweepSceneObject* m_owner;
    unsigned int m_index;
};

}  // namespace vynui_bt
