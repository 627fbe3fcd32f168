#include "interact/ViewController.h"

#include <GL/gl.h>

#include <cmath>
#include <vector>

#include "wml/ExtendedWmlCamera.h"
#include "wml/Frame3.h"
#include "wml/Serializer.h"
#include "wml/WmlMath.h"

namespace vynui {

namespace {

const char* const WORLD_SCALE_KEY = "WorldScaleFactor";

struct CanonicalView {
    const char* name;
    Wml::Vector3<float> offset;  // location = target + distance * offset
    Wml::Vector3<float> left;
    Wml::Vector3<float> up;
};

const std::vector<CanonicalView>& CanonicalViews()
{
    using V = Wml::Vector3<float>;
    static const std::vector<CanonicalView> views = {
        {"Left", V(-1, 0, 0), V(0, 0, -1), V(0, 1, 0)}, {"Right", V(1, 0, 0), V(0, 0, 1), V(0, 1, 0)},
        {"Top", V(0, 1, 0), V(-1, 0, 0), V(0, 0, -1)},  {"Bottom", V(0, -1, 0), V(1, 0, 0), V(0, 0, 1)},
        {"Front", V(0, 0, 1), V(-1, 0, 0), V(0, 1, 0)}, {"Back", V(0, 0, -1), V(1, 0, 0), V(0, 1, 0)},
    };
    return views;
}

bool ValidScale(float factor)
{
    return std::isfinite(factor) && factor > 0.0f;
}

}  // namespace

ViewController::ViewController(Wml::ExtendedWmlCamera* camera) : m_camera(camera) {}

void ViewController::AddViewListener(IViewListener* listener)
{
    if (listener) m_listeners.insert(listener);
}

void ViewController::RemoveViewListener(IViewListener* listener)
{
    m_listeners.erase(listener);
}

void ViewController::NotifyViewChanged()
{
    // A listener may remove itself while being told.
    std::set<IViewListener*> listeners = m_listeners;
    for (IViewListener* listener : listeners)
        if (m_listeners.count(listener)) listener->OnViewChanged(*this);
}

void ViewController::Update()
{
    // Without a current context there is nothing to load the matrices into;
    // the next drawing pass loads them anyway.
    if (m_camera && glGetString(GL_VERSION)) m_camera->Update();
    NotifyViewChanged();
}

void ViewController::Dolly(float a, float b)
{
    if (m_camera && std::isfinite(a + b)) m_camera->DollyZoom(a + b);
    NotifyViewChanged();
}

void ViewController::Pan(float a, float b)
{
    if (m_camera && std::isfinite(a) && std::isfinite(b)) {
        m_camera->PanLateral(a);
        m_camera->PanVertical(b);
    }
    NotifyViewChanged();
}

void ViewController::Tumble(float a, float b, bool snap)
{
    if (m_camera && std::isfinite(a) && std::isfinite(b)) m_camera->UpdateTurntable(-a, -b, snap);
    NotifyViewChanged();
}

bool ViewController::IsCanonicalView(const std::string& name)
{
    if (name == "ThreeQuarter") return true;
    for (const CanonicalView& view : CanonicalViews())
        if (name == view.name) return true;
    return false;
}

bool ViewController::SetCanonicalView(const std::string& name)
{
    if (!m_camera || !IsCanonicalView(name)) return false;
    const Wml::Vector3<float> target = m_camera->GetTarget();
    const float distance = m_camera->GetTargetDistance();

    Wml::Vector3<float> offset, left, up;
    if (name == "ThreeQuarter") {
        Wml::Frame3<float> frame;
        frame.Rotate(Wml::Matrix3<float>(Wml::Vector3<float>::UNIT_X, 0.25f * Wml::Math<float>::PI), true);
        frame.Rotate(Wml::Matrix3<float>(Wml::Vector3<float>::UNIT_Y, 0.25f * Wml::Math<float>::PI), true);
        offset = -frame.Z();
        left = frame.X();
        up = frame.Y();
    } else {
        for (const CanonicalView& view : CanonicalViews())
            if (name == view.name) {
                offset = view.offset;
                left = view.left;
                up = view.up;
            }
    }
    m_camera->SetFrameLookAt(target + distance * offset, left, up, target);
    NotifyViewChanged();
    return true;
}

void ViewController::TogglePerspective()
{
    if (m_camera) m_camera->SetPerspective(!m_camera->IsPerspective());
    NotifyViewChanged();
}

bool ViewController::SetWorldScaleFactor(float factor)
{
    if (!ValidScale(factor)) return false;
    m_worldScaleFactor = factor;
    NotifyViewChanged();
    return true;
}

void ViewController::CameraModeTumble(int dx, int dy)
{
    Tumble(0.02f * float(dx), 0.02f * float(dy), false);
}

void ViewController::CameraModePan(int dx, int dyDown)
{
    Pan(0.01f * float(dx), 0.01f * float(dyDown));
}

void ViewController::CameraModeDolly(int dx, int dy)
{
    Dolly(0.07f * float(dx), 0.02f * float(dy));
}

void ViewController::Store(Wml::SerializerRecord& record) const
{
    if (m_camera) m_camera->Store(record);
    record.SetValue(WORLD_SCALE_KEY, m_worldScaleFactor);
}

bool ViewController::Restore(const Wml::SerializerRecord& record)
{
    if (!m_camera) return false;
    // Files written before the scale factor existed keep the current one.
    float factor = m_worldScaleFactor;
    if (record.HasKey(WORLD_SCALE_KEY) &&
        (!record.GetValue(WORLD_SCALE_KEY, factor, 1.0f) || !ValidScale(factor)))
        return false;
    if (!m_camera->Restore(record)) return false;
    m_worldScaleFactor = factor;
    Update();
    return true;
}

}  // namespace vynui
