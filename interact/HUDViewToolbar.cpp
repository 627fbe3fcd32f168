#include "interact/HUDViewToolbar.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "interact/HUDFileIcon.h"
#include "interact/HUDSliderIcon.h"
#include "interact/ResourceRoot.h"
#include "interact/ViewController.h"
#include "wml/ExtendedWmlCamera.h"
#include "wml/Matrix3.h"

namespace vynui {

namespace {

// sign(v) * |v|^e with sign(0) = +1.
float SignedPower(float v, float e)
{
    return (v >= 0.0f ? 1.0f : -1.0f) * std::pow(std::fabs(v), e);
}

bool Finite(const Wml::Vector2<float>& v)
{
    return std::isfinite(v.X()) && std::isfinite(v.Y());
}

}  // namespace

// ---- zoom -------------------------------------------------------------

ZoomSliderButton::ZoomSliderButton() : HUDAutoSliderButton("ZoomButton", GetIconPath("zoom.png"), true)
{
    GetCurve().SetSaturation(GetCurve().GetDeadZone() + 0.125f);
}

void ZoomSliderButton::OnValueChanged(float gain)
{
    // Inside the dead zone there is nothing to do; skip the view notice.
    if (m_controller && gain != 0.0f && std::isfinite(gain)) m_controller->Dolly(0.0f, 0.125f * gain);
}

// ---- pan --------------------------------------------------------------

PanButton::PanButton() : HUDButton("PanButton", new HUDFileIcon(GetIconPath("pan.png")), true, false)
{
    AddEventHandler(this);
}

Wml::Vector2<float> PanButton::PanAmounts(const Wml::Vector2<float>& d)
{
    Wml::Vector2<float> v = d * 2.0f;
    float lateral = SignedPower(v.X(), 1.1f);
    float vertical = -SignedPower(v.Y(), v.Y() > 0.0f ? 1.0f : 1.1f);
    return Wml::Vector2<float>(lateral, vertical);
}

void PanButton::OnDrag(const Wml::Vector2<float>& delta)
{
    if (!m_controller || !Finite(delta)) return;
    Wml::Vector2<float> pan = PanAmounts(delta);
    m_controller->Pan(pan.X(), pan.Y());
}

// ---- snap-tumble ------------------------------------------------------

const Wml::ColorRGBA SnapRotateIcon::SNAP_OFF_COLOR(0.6f, 0.6f, 1.0f, 1.0f);
const Wml::ColorRGBA SnapRotateIcon::SNAP_ON_COLOR(1.0f, 0.4f, 0.4f, 1.0f);

Wml::Vector3<float> SnapRotateIcon::GetEyeCorner(int i) const
{
    Wml::Vector3<float> corner((i & 1) ? 1.0f : -1.0f, (i & 2) ? 1.0f : -1.0f, (i & 4) ? 1.0f : -1.0f);
    if (!m_camera) return corner;
    // Frame rows are left, up, direction; eye x is right and eye z looks back.
    Wml::Vector3<float> c = m_camera->GetFrameMatrix() * corner;
    return Wml::Vector3<float>(-c.X(), c.Y(), -c.Z());
}

void SnapRotateIcon::DrawContents(const Wml::AxisAlignedBox2<float>& /*box*/)
{
    // Each face: four corner indices, counter-clockwise seen from outside.
    static const int FACES[6][4] = {{1, 3, 7, 5}, {0, 4, 6, 2}, {2, 6, 7, 3},
                                    {0, 1, 5, 4}, {4, 5, 7, 6}, {0, 2, 3, 1}};
    Wml::Vector3<float> eye[8];
    for (int i = 0; i < 8; ++i) eye[i] = GetEyeCorner(i);

    glPushAttrib(GL_ENABLE_BIT | GL_LIGHTING_BIT | GL_POLYGON_BIT | GL_LINE_BIT | GL_CURRENT_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(35.0, 1.0, 0.1, 10.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    const GLfloat ambient[] = {0.1f, 0.1f, 0.1f, 1.0f};
    const GLfloat diffuse[] = {0.6f, 0.6f, 0.6f, 1.0f};
    const GLfloat specular[] = {0.2f, 0.2f, 0.2f, 1.0f};
    const GLfloat position[] = {0.0f, 1.0f, 1.0f, 1.0f};
    const GLfloat globalAmbient[] = {0.3f, 0.3f, 0.3f, 1.0f};
    const GLfloat white[] = {1.0f, 1.0f, 1.0f, 1.0f};
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, specular);
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, globalAmbient);
    glMaterialfv(GL_FRONT, GL_SPECULAR, white);
    glMaterialf(GL_FRONT, GL_SHININESS, 40.0f);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_NORMALIZE);
    glDisable(GL_DEPTH_TEST);
    // The cube is convex: culling the back faces is all the hiding it needs.
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);

    glTranslatef(0.0f, 0.0f, -5.9f);
    glColor4f(m_color.R(), m_color.G(), m_color.B(), m_color.A());
    glBegin(GL_QUADS);
    for (const auto& face : FACES) {
        Wml::Vector3<float> n = (eye[face[1]] - eye[face[0]]).Cross(eye[face[2]] - eye[face[0]]);
        glNormal3f(n.X(), n.Y(), n.Z());
        for (int k : face) glVertex3f(eye[k].X(), eye[k].Y(), eye[k].Z());
    }
    glEnd();

    glDisable(GL_LIGHTING);
    glLineWidth(1.0f);
    glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
    for (const auto& face : FACES) {
        glBegin(GL_LINE_LOOP);
        for (int k : face) glVertex3f(eye[k].X(), eye[k].Y(), eye[k].Z());
        glEnd();
    }
    glPopAttrib();
}

SnapRotateButton::SnapRotateButton() : HUDButton("SnapTumbleButton", new SnapRotateIcon(), true, true)
{
    AddEventHandler(this);
}

void SnapRotateButton::SetViewController(ViewController* controller)
{
    m_controller = controller;
    if (SnapRotateIcon* icon = GetRotateIcon())
        icon->SetCamera(controller ? controller->GetCamera() : nullptr);
}

void SnapRotateButton::SetSnapping(bool snap)
{
    m_snap = snap;
    if (SnapRotateIcon* icon = GetRotateIcon())
        icon->SetColor(snap ? SnapRotateIcon::SNAP_ON_COLOR : SnapRotateIcon::SNAP_OFF_COLOR);
}

void SnapRotateButton::OnActivate()
{
    SetSnapping(!m_snap);
}

Wml::Vector2<float> SnapRotateButton::TumbleAmounts(const Wml::Vector2<float>& d)
{
    Wml::Vector2<float> v = d * 6.0f;
    return Wml::Vector2<float>(SignedPower(v.X(), 1.5f), SignedPower(v.Y(), 1.5f));
}

void SnapRotateButton::OnDrag(const Wml::Vector2<float>& delta)
{
    if (!m_controller || !Finite(delta)) return;
    Wml::Vector2<float> turn = TumbleAmounts(delta);
    m_controller->Tumble(turn.X(), turn.Y(), m_snap);
}

// ---- toolbar listener -------------------------------------------------

void HUDViewToolbarListener::OnToolbarMoved()
{
    if (m_controller) m_controller->NotifyViewChanged();
}

void HUDViewToolbarListener::OnToolbarClosed()
{
    if (m_controller) m_controller->NotifyViewChanged();
}

}  // namespace vynui
