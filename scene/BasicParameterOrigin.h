#pragma once
// The origin of a scene object's frame as a vector parameter ("Position").

#include "scene/GenericVector3fParameter.h"

namespace vynui {

class SceneObject;

class BasicParameterOrigin : public GenericVector3fParameter {
public:
    explicit BasicParameterOrigin(SceneObject* target, const std::string& name = "Position");

    /// Translate(value, false) on the target.
    void ApplyValue(const Wml::Vector3<float>& value) override;
    /// The origin of the target's frame.
    Wml::Vector3<float> ReadValue() override;

private:
    SceneObject* m_target;
};

}  // namespace vynui
