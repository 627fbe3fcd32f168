#pragma once
// A fixed-function GL light as plain data; Apply() hands it to GL.

#include "wml/ColorRGBA.h"
#include "wml/Vector3.h"

namespace Wml {

class OpenGLWmlLight {
public:
    /// Number of lights fixed-function GL guarantees.
    static constexpr int MAX_LIGHTS = 8;

    /// An enabled directional light shining down -Z (position (0, 0, 1, 0)),
    /// no ambient, white diffuse and specular.
    OpenGLWmlLight();

    /// Homogeneous position: w = 1 for a point light at (x, y, z), w = 0 for
    /// a directional light coming from direction (x, y, z). GL transforms it
    /// by the model-view matrix current when Apply() runs.
    void SetPosition(float x, float y, float z, float w);
    void SetPosition(const Vector3<float>& p, float w = 1.0f) { SetPosition(p[0], p[1], p[2], w); }
    const float* GetPosition() const { return m_position; }
    Vector3<float> GetPositionXYZ() const
    {
        return Vector3<float>(m_position[0], m_position[1], m_position[2]);
    }
    float GetPositionW() const { return m_position[3]; }
    bool IsDirectional() const { return m_position[3] == 0.0f; }

    void SetAmbient(const ColorRGBA& c) { m_ambient = c; }
    void SetDiffuse(const ColorRGBA& c) { m_diffuse = c; }
    void SetSpecular(const ColorRGBA& c) { m_specular = c; }
    const ColorRGBA& GetAmbient() const { return m_ambient; }
    const ColorRGBA& GetDiffuse() const { return m_diffuse; }
    const ColorRGBA& GetSpecular() const { return m_specular; }

    void SetEnabled(bool enabled) { m_enabled = enabled; }
    bool IsEnabled() const { return m_enabled; }

    /// Loads position and colours into GL light 0 + index and enables or
    /// disables it. For convenience the GL light name itself (GL_LIGHT0 ...
    /// GL_LIGHT7) is accepted too. Answers false, touching nothing, for any
    /// other value. Needs a current GL context.
    bool Apply(int index) const;

private:
    float m_position[4];
    ColorRGBA m_ambient;
    ColorRGBA m_diffuse;
    ColorRGBA m_specular;
    bool m_enabled;
};

}  // namespace Wml
