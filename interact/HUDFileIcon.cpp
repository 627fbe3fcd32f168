#include "interact/HUDFileIcon.h"

#include <GL/gl.h>

namespace vynui {

namespace {

bool ContextIsCurrent()
{
    return glGetString(GL_VERSION) != nullptr;
}

}  // namespace

HUDFileIcon::HUDFileIcon(const std::string& path) : m_path(path)
{
    // A missing or damaged file is not worth a message: the icon stays blank.
    RGBAImage image;
    if (image.Load(path)) m_image = std::move(image);
}

HUDFileIcon::~HUDFileIcon()
{
    // Without a current context the texture went with its context already.
    if (m_texture && ContextIsCurrent()) {
        GLuint texture = m_texture;
        glDeleteTextures(1, &texture);
    }
}

unsigned int HUDFileIcon::EnsureTexture()
{
    if (m_texture || m_image.Empty()) return m_texture;
    GLuint texture = 0;
    glGenTextures(1, &texture);
    if (!texture) return 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, m_image.width, m_image.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 m_image.pixels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    m_texture = texture;
    return m_texture;
}

void HUDFileIcon::Draw(const Wml::AxisAlignedBox2<float>& box, float alpha)
{
    DrawTexturedQuad(EnsureTexture(), box, alpha);
}

}  // namespace vynui
