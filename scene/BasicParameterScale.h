#pragma once
// The scale vector of a scene object's frame as a vector parameter ("Scale").

#include "scene/GenericVector3fParameter.h"

namespace vynui {

class SceneObject;

class BasicParameterScale : public GenericVector3fParameter {
public:
    explicit BasicParameterScale(SceneObject* target, const std::string& name = "Scale");

    /// Scale(x, y, z, relative = false, uniform = false) on the target.
    void ApplyValue(const Wml::Vector3<float>& value) override;
    /// The scale vector of the target's frame.
    Wml::Vector3<float> ReadValue() override;

private:
    SceneObject* m_target;
};

}  // namespace vynui
