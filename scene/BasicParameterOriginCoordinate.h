#pragma once
// One coordinate of a scene object's origin as a float parameter ("X", "Y",
// "Z"), range -100000 ... 100000.

#include "scene/GenericFloatParameter.h"

namespace vynui {

class SceneObject;

class BasicParameterOriginCoordinate : public GenericFloatParameter {
public:
    /// axis 0 = X, 1 = Y, 2 = Z; any other axis reads 0 and writes nothing.
    BasicParameterOriginCoordinate(const std::string& name, SceneObject* target, int axis,
                                   bool excluded = false);

    /// Moves the origin (Translate(origin, false)) with that one coordinate
    /// replaced.
    void ApplyValue(float value) override;
    float ReadValue() override;

    int GetAxis() const { return m_axis; }

private:
    SceneObject* m_target;
    int m_axis;
};

}  // namespace vynui
