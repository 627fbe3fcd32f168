#include "app/GLView.h"

#include <QOpenGLFramebufferObject>
#include <QSurfaceFormat>

#include <GL/gl.h>

CGLView::CGLView(QWidget* parent) : QOpenGLWidget(parent)
{
    setFormat(RequestedFormat());
}

QSurfaceFormat CGLView::RequestedFormat()
{
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setVersion(2, 1);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    format.setRedBufferSize(8);
    format.setGreenBufferSize(8);
    format.setBlueBufferSize(8);
    format.setAlphaBufferSize(8);
    format.setDepthBufferSize(24);
    return format;
}

void CGLView::InitGL()
{
    glEnable(GL_DEPTH_TEST);
}

void CGLView::Resize(int width, int height)
{
    glViewport(0, 0, width > 0 ? width : 1, height > 0 ? height : 1);
}

void CGLView::initializeGL()
{
    InitGL();
}

void CGLView::resizeGL(int width, int height)
{
    // Qt passes device-independent sizes; GL wants pixels.
    const qreal ratio = devicePixelRatioF();
    Resize(int(width * ratio), int(height * ratio));
}

void CGLView::paintGL()
{
    RenderScene();
}

namespace {

/// The colours as drawn, alpha dropped. Blending leaves the framebuffer's
/// alpha below one around the HUD icons; the window shows the colours alone,
/// and a picture read as premultiplied would come out see-through and wrong.
QImage Opaque(QImage image)
{
    switch (image.format()) {
        case QImage::Format_ARGB32:
        case QImage::Format_ARGB32_Premultiplied:
            image.reinterpretAsFormat(QImage::Format_RGB32);
            for (int y = 0; y < image.height(); ++y) {
                auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
                for (int x = 0; x < image.width(); ++x) row[x] |= 0xff000000u;
            }
            return image;
        case QImage::Format_RGBA8888:
        case QImage::Format_RGBA8888_Premultiplied:
            image.reinterpretAsFormat(QImage::Format_RGBX8888);
            for (int y = 0; y < image.height(); ++y) {
                uchar* row = image.scanLine(y);
                for (int x = 0; x < image.width(); ++x) row[4 * x + 3] = 0xff;
            }
            return image;
        default:
            return image.convertToFormat(QImage::Format_RGB32);
    }
}

}  // namespace

QImage CGLView::RenderToImage(int width, int height)
{
    if (width <= 0 || height <= 0 || !context()) return QImage();
    makeCurrent();
    QImage image;
    {
        QOpenGLFramebufferObject fbo(width, height, QOpenGLFramebufferObject::CombinedDepthStencil);
        if (fbo.isValid() && fbo.bind()) {
            Resize(width, height);
            RenderScene();
            glFinish();
            image = Opaque(fbo.toImage());
            fbo.release();
        }
    }
    const qreal ratio = devicePixelRatioF();
    Resize(int(this->width() * ratio), int(this->height() * ratio));
    doneCurrent();
    return image;
}
