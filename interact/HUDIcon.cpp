#include "interact/HUDIcon.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace vynui {

void DrawTexturedQuad(unsigned int texture, const Wml::AxisAlignedBox2<float>& box, float alpha)
{
    if (texture) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    }
    glColor4f(1.0f, 1.0f, 1.0f, alpha);
    // Image rows run from the top, so v = 0 is the top edge.
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(box.Min(0), box.Min(1));
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(box.Max(0), box.Min(1));
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(box.Max(0), box.Max(1));
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(box.Min(0), box.Max(1));
    glEnd();
    if (texture) {
        glBindTexture(GL_TEXTURE_2D, 0);
        glDisable(GL_TEXTURE_2D);
    }
}

void HUDExternalImageIcon::Draw(const Wml::AxisAlignedBox2<float>& box)
{
    DrawTexturedQuad(m_texture, box);
}

namespace {

// x, y of a point after model-view, projection and viewport; false when it
// falls behind the eye.
bool ProjectPoint(double px, double py, const double mv[16], const double pr[16], const int vp[4], double& wx,
                  double& wy)
{
    double eye[4];
    for (int r = 0; r < 4; ++r) eye[r] = mv[r] * px + mv[4 + r] * py + mv[12 + r];
    double clip[4];
    for (int r = 0; r < 4; ++r)
        clip[r] = pr[r] * eye[0] + pr[4 + r] * eye[1] + pr[8 + r] * eye[2] + pr[12 + r] * eye[3];
    if (!(clip[3] > 0.0)) return false;
    wx = vp[0] + (clip[0] / clip[3] + 1.0) * 0.5 * vp[2];
    wy = vp[1] + (clip[1] / clip[3] + 1.0) * 0.5 * vp[3];
    return std::isfinite(wx) && std::isfinite(wy);
}

}  // namespace

WindowRect ProjectBoxToWindow(const Wml::AxisAlignedBox2<float>& box, const double modelView[16],
                              const double projection[16], const int viewport[4])
{
    WindowRect rect;
    if (box.IsEmpty()) return rect;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    if (!ProjectPoint(box.Min(0), box.Min(1), modelView, projection, viewport, x0, y0) ||
        !ProjectPoint(box.Max(0), box.Max(1), modelView, projection, viewport, x1, y1))
        return rect;
    double left = std::max<double>(std::floor(std::min(x0, x1) + 1e-3), viewport[0]);
    double bottom = std::max<double>(std::floor(std::min(y0, y1) + 1e-3), viewport[1]);
    double right = std::min<double>(std::ceil(std::max(x0, x1) - 1e-3), double(viewport[0]) + viewport[2]);
    double top = std::min<double>(std::ceil(std::max(y0, y1) - 1e-3), double(viewport[1]) + viewport[3]);
    if (right <= left || top <= bottom) return rect;
    rect.x = int(left);
    rect.y = int(bottom);
    rect.width = int(right - left);
    rect.height = int(top - bottom);
    return rect;
}

void HUDProceduralIcon::Draw(const Wml::AxisAlignedBox2<float>& box)
{
    double modelView[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    WindowRect rect = ProjectBoxToWindow(box, modelView, projection, viewport);
    if (rect.width <= 0 || rect.height <= 0) return;

    GLboolean scissorWas = glIsEnabled(GL_SCISSOR_TEST);
    GLint scissor[4];
    glGetIntegerv(GL_SCISSOR_BOX, scissor);

    glViewport(rect.x, rect.y, rect.width, rect.height);
    glScissor(rect.x, rect.y, rect.width, rect.height);
    glEnable(GL_SCISSOR_TEST);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, 1.0, 0.0, 1.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    DrawContents(box);

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    glScissor(scissor[0], scissor[1], scissor[2], scissor[3]);
    if (!scissorWas) glDisable(GL_SCISSOR_TEST);
}

}  // namespace vynui
