#include "surface/ShadingOverlay.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace vynui {

ShadingOverlay::ShadingOverlay() : m_painted(size_t(SIZE) * SIZE * 4, 0), m_stroke(size_t(SIZE) * SIZE * 4, 0)
{
}

void ShadingOverlay::Resize(int width, int height)
{
    // A zero or negative size would divide by zero when scaling.
    m_width = std::max(1, width);
    m_height = std::max(1, height);
}

void ShadingOverlay::ToLayer(int x, int y, float& lx, float& ly) const
{
    lx = static_cast<float>(x) * SIZE / m_width;
    ly = static_cast<float>(y) * SIZE / m_height;
}

void ShadingOverlay::PaintSegment(float x0, float y0, float x1, float y1)
{
    const float r = BRUSH_RADIUS;
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1)) return;
    const int xmin = std::max(0, static_cast<int>(std::floor(std::min(x0, x1) - r)));
    const int xmax = std::min(SIZE - 1, static_cast<int>(std::ceil(std::max(x0, x1) + r)));
    const int ymin = std::max(0, static_cast<int>(std::floor(std::min(y0, y1) - r)));
    const int ymax = std::min(SIZE - 1, static_cast<int>(std::ceil(std::max(y0, y1) + r)));
    const float dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
    for (int y = ymin; y <= ymax; ++y)
        for (int x = xmin; x <= xmax; ++x) {
            // Distance from the pixel centre to the segment.
            const float px = x + 0.5f - x0, py = y + 0.5f - y0;
            const float t = len2 > 0 ? std::min(1.0f, std::max(0.0f, (px * dx + py * dy) / len2)) : 0.0f;
            const float ex = px - t * dx, ey = py - t * dy;
            if (ex * ex + ey * ey <= r * r) {
                unsigned char* p = &m_stroke[(size_t(y) * SIZE + x) * 4];
                p[0] = p[1] = p[2] = 0;
                p[3] = STROKE_ALPHA;
            }
        }
    m_dirty = true;
}

int ShadingOverlay::OnInputEvent(const InputEvent& event)
{
    if (event.IsLeftPress()) {
        m_stroking = true;
        ToLayer(event.x, event.y, m_lastX, m_lastY);
        return INPUT_CAPTURE;
    }
    if (!m_stroking) return INPUT_NOT_HANDLED;
    if (event.IsLeftDrag()) {
        float x, y;
        ToLayer(event.x, event.y, x, y);
        PaintSegment(m_lastX, m_lastY, x, y);  // the line and the dot at its end
        m_lastX = x;
        m_lastY = y;
        return INPUT_CONSUMED;
    }
    if (event.IsLeftRelease()) {
        for (size_t i = 0; i < m_stroke.size(); i += 4) {
            const unsigned a = m_stroke[i + 3];
            if (!a) continue;
            const unsigned b = m_painted[i + 3];
            // Black over black: only coverage combines.
            m_painted[i] = m_painted[i + 1] = m_painted[i + 2] = 0;
            m_painted[i + 3] = static_cast<unsigned char>(a + (b * (255 - a) + 127) / 255);
        }
        std::fill(m_stroke.begin(), m_stroke.end(), 0);
        m_stroking = false;
        m_dirty = true;
        return INPUT_RELEASE_CAPTURE;
    }
    return INPUT_NOT_HANDLED;
}

void ShadingOverlay::Draw()
{
    if (!m_textures[0]) {
        glGenTextures(2, m_textures);
        m_dirty = true;
    }
    const std::vector<unsigned char>* layers[2] = {&m_painted, &m_stroke};
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_TEXTURE_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    for (int i = 0; i < 2; ++i) {
        glBindTexture(GL_TEXTURE_2D, m_textures[i]);
        if (m_dirty) {
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
            glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, SIZE, SIZE, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                         layers[i]->data());
        }
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0);
        glVertex2f(-1, -1);
        glTexCoord2f(1, 0);
        glVertex2f(1, -1);
        glTexCoord2f(1, 1);
        glVertex2f(1, 1);
        glTexCoord2f(0, 1);
        glVertex2f(-1, 1);
        glEnd();
    }
    m_dirty = false;
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}

void ShadingOverlay::ReleaseGL()
{
    if (m_textures[0]) glDeleteTextures(2, m_textures);
    m_textures[0] = m_textures[1] = 0;
    m_dirty = true;
}

}  // namespace vynui
