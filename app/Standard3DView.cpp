#include "app/Standard3DView.h"

#include <GL/gl.h>

CStandard3DView::CStandard3DView(QWidget* parent) : CGLView(parent), m_camera(1.0f, 1.0f)
{
    setMinimumSize(64, 64);
    // Start from a three-quarter view so that all three axes are seen at a slant.
    const Wml::Vector3f location(2.2f, 1.8f, 3.0f), target(0.0f, 0.3f, 0.0f);
    Wml::Vector3f direction = target - location;
    direction.Normalize();
    const Wml::Vector3f left = Wml::Vector3f::UNIT_Y.UnitCross(direction);
    m_camera.SetFrameLookAt(location, left, direction.UnitCross(left), target);
}

void CStandard3DView::InitGL()
{
    CGLView::InitGL();
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
}

void CStandard3DView::Resize(int width, int height)
{
    width = width > 0 ? width : 1;
    height = height > 0 ? height : 1;
    CGLView::Resize(width, height);
    m_camera.SetViewport(width, height);
    m_camera.SetFrustum(m_camera.GetFieldOfViewY(), float(width) / float(height), m_camera.GetNear(),
                        m_camera.GetFar());
}

void CStandard3DView::RenderScene()
{
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    m_camera.Update();
    DrawAxes();
}

void CStandard3DView::DrawAxes() const
{
    glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glLineWidth(3.0f);
    glBegin(GL_LINES);
    glColor3f(1.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(1.0f, 0.0f, 0.0f);
    glColor3f(0.0f, 1.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, 1.0f, 0.0f);
    glColor3f(0.0f, 0.0f, 1.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, 1.0f);
    glEnd();
    glPopAttrib();
}
