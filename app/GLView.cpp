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
            image = fbo.toImage();
            fbo.release();
        }
    }
    const qreal ratio = devicePixelRatioF();
    Resize(int(this->width() * ratio), int(this->height() * ratio));
    doneCurrent();
    return image;
}
