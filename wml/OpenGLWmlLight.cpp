#include "wml/OpenGLWmlLight.h"

#include <GL/gl.h>

namespace Wml {

OpenGLWmlLight::OpenGLWmlLight()
    : m_position{0.0f, 0.0f, 1.0f, 0.0f},
      m_ambient(0.0f, 0.0f, 0.0f, 1.0f),
      m_diffuse(1.0f, 1.0f, 1.0f, 1.0f),
      m_specular(1.0f, 1.0f, 1.0f, 1.0f),
      m_enabled(true)
{
}

void OpenGLWmlLight::SetPosition(float x, float y, float z, float w)
{
    m_position[0] = x;
    m_position[1] = y;
    m_position[2] = z;
    m_position[3] = w;
}

bool OpenGLWmlLight::Apply(int index) const
{
    GLenum light;
    if (index >= 0 && index < MAX_LIGHTS)
        light = GLenum(GL_LIGHT0 + index);
    else if (index >= GL_LIGHT0 && index < GL_LIGHT0 + MAX_LIGHTS)
        light = GLenum(index);
    else
        return false;

    if (!m_enabled) {
        glDisable(light);
        return true;
    }
    glLightfv(light, GL_POSITION, m_position);
    glLightfv(light, GL_AMBIENT, m_ambient);
    glLightfv(light, GL_DIFFUSE, m_diffuse);
    glLightfv(light, GL_SPECULAR, m_specular);
    glEnable(light);
    return true;
}

}  // namespace Wml
