#pragma once
// The rotation of a scene object's frame as three XYZ Euler angles in
// degrees ("Orientation").
//
// Files older than 3.0.1 stored the transposed rotation; Restore converts
// their angles (see GetFileVersion).

#include "scene/GenericVector3fParameter.h"

namespace vynui {

class SceneObject;

class BasicParameterOrientation : public GenericVector3fParameter {
public:
    explicit BasicParameterOrientation(SceneObject* target, const std::string& name = "Orientation");

    /// Rotate(FromEulerAnglesXYZ(angles in radians), relative = false).
    void ApplyValue(const Wml::Vector3<float>& degrees) override;
    /// ToEulerAnglesXYZ of the frame's rotation, in degrees.
    Wml::Vector3<float> ReadValue() override;
    /// Reads the angles (a missing key changes nothing); when the file being
    /// read is older than 3.0.1 they are replaced by the angles of the
    /// transposed rotation; then applied as by the vector kind.
    bool Restore(Wml::SerializerRecord* record) override;

    /// The angles of the transposed rotation, all in degrees.
    static Wml::Vector3<float> TransposedAngles(const Wml::Vector3<float>& degrees);

private:
    SceneObject* m_target;
};

}  // namespace vynui
