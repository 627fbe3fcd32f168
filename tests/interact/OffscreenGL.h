#pragma once
// A GL 2.1 compatibility context current on an offscreen surface, drawing
// into a 640 x 480 framebuffer over a known background, with read-back. For
// the window tests of the interaction layer (label "gui").

#include <GL/gl.h>

#include <QGuiApplication>
#include <QImage>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QSurfaceFormat>

#include <cstdlib>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace kftest {

const int GL_WIDTH = 640, GL_HEIGHT = 480;
const float GL_BACKGROUND[3] = {0.1f, 0.3f, 0.1f};
const int GL_BACKGROUND_BYTES[3] = {26, 77, 26};

struct Pixel {
    int r, g, b;
    bool Near(float fr, float fg, float fb, int tol = 6) const
    {
        return std::abs(r - int(fr * 255 + 0.5f)) <= tol && std::abs(g - int(fg * 255 + 0.5f)) <= tol &&
               std::abs(b - int(fb * 255 + 0.5f)) <= tol;
    }
    bool NearBytes(int R, int G, int B, int tol = 6) const
    {
        return std::abs(r - R) <= tol && std::abs(g - G) <= tol && std::abs(b - B) <= tol;
    }
    bool IsBackground() const { return Near(GL_BACKGROUND[0], GL_BACKGROUND[1], GL_BACKGROUND[2], 3); }
};

inline std::ostream& operator<<(std::ostream& out, const Pixel& p)
{
    return out << "(" << p.r << ", " << p.g << ", " << p.b << ")";
}

/// One application object for the whole executable, made on first need.
inline void EnsureGuiApplication()
{
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "interact_gui_tests";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

class OffscreenGL {
public:
    bool Make()
    {
        EnsureGuiApplication();
        QSurfaceFormat format;
        format.setVersion(2, 1);
        format.setProfile(QSurfaceFormat::CompatibilityProfile);
        format.setDepthBufferSize(16);
        format.setAlphaBufferSize(8);
        // Made only now: both need the application object.
        m_context.reset(new QOpenGLContext());
        m_surface.reset(new QOffscreenSurface());
        m_context->setFormat(format);
        if (!m_context->create()) return false;
        m_surface->setFormat(m_context->format());
        m_surface->create();
        if (!m_surface->isValid() || !m_context->makeCurrent(m_surface.get())) return false;
        m_fbo.reset(new QOpenGLFramebufferObject(GL_WIDTH, GL_HEIGHT, QOpenGLFramebufferObject::Depth));
        return m_fbo->isValid() && m_fbo->bind();
    }
    ~OffscreenGL()
    {
        if (m_fbo) m_context->makeCurrent(m_surface.get());
        m_fbo.reset();
        if (m_context) m_context->doneCurrent();
    }
    void Clear()
    {
        glViewport(0, 0, GL_WIDTH, GL_HEIGHT);
        glClearColor(GL_BACKGROUND[0], GL_BACKGROUND[1], GL_BACKGROUND[2], 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    /// Rows from the bottom, as window pixels count.
    void Read()
    {
        glFinish();
        m_pixels.assign(size_t(GL_WIDTH) * GL_HEIGHT * 4, 0);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, GL_WIDTH, GL_HEIGHT, GL_RGBA, GL_UNSIGNED_BYTE, m_pixels.data());
    }
    Pixel At(int x, int y) const
    {
        const unsigned char* p = &m_pixels[(size_t(y) * GL_WIDTH + x) * 4];
        return Pixel{p[0], p[1], p[2]};
    }
    void Save(const std::string& path) const
    {
        QImage image(m_pixels.data(), GL_WIDTH, GL_HEIGHT, QImage::Format_RGBA8888);
        image.mirrored().save(QString::fromStdString(path));
    }

private:
    std::unique_ptr<QOpenGLContext> m_context;
    std::unique_ptr<QOffscreenSurface> m_surface;
    std::unique_ptr<QOpenGLFramebufferObject> m_fbo;
    std::vector<unsigned char> m_pixels;
};

}  // namespace kftest
