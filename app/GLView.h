#pragma once
// An OpenGL view: context format, resize and paint plumbing. Subclasses set up
// their GL state in InitGL and draw in RenderScene.

#include <QImage>
#include <QOpenGLWidget>

class CGLView : public QOpenGLWidget {
    Q_OBJECT
public:
    explicit CGLView(QWidget* parent = nullptr);

    /// The context format every GL view asks for: OpenGL 2.1 compatibility
    /// profile, double buffer, depth >= 16, alpha 8. Install it as the default
    /// before the first window is made.
    static QSurfaceFormat RequestedFormat();

    /// Renders one frame at the given size into an offscreen framebuffer of
    /// this view's context and returns it; a null image when the context or
    /// the framebuffer cannot be made.
    QImage RenderToImage(int width, int height);

protected:
    virtual void InitGL();
    virtual void Resize(int width, int height);
    virtual void RenderScene() = 0;

    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;
};
