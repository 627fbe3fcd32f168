#include "interact/LocalAxesTool3D.h"

#include <limits>

#include "scene/ITool3DTarget.h"

namespace vynui {

namespace {
// Gizmo axis colours: x red, y green, z blue.
const Wml::ColorRGBA kAxisColors[3] = {Wml::ColorRGBA(1.0f, 0.3f, 0.3f, 1.0f),
                                       Wml::ColorRGBA(0.3f, 1.0f, 0.3f, 1.0f),
                                       Wml::ColorRGBA(0.3f, 0.3f, 1.0f, 1.0f)};
}  // namespace

LocalAxesTool3D::LocalAxesTool3D(const std::string& name) : ITool3D(name) {}

LocalAxesTool3D::~LocalAxesTool3D()
{
    for (Constraint*& handle : m_handles) {
        delete handle;
        handle = nullptr;
    }
}

void LocalAxesTool3D::SetHandles(Constraint* x, Constraint* y, Constraint* z)
{
    Constraint* handles[3] = {x, y, z};
    for (int i = 0; i < 3; ++i) {
        delete m_handles[i];
        m_handles[i] = handles[i];
        if (m_handles[i]) m_handles[i]->SetColor(kAxisColors[i]);
    }
    UpdateFrame();
}

void LocalAxesTool3D::UpdateFrame()
{
    ITool3D::UpdateFrame();
    for (int i = 0; i < 3; ++i)
        if (m_handles[i]) m_handles[i]->Aim(m_frame.Origin(), m_frame.GetAxis(i));
}

void LocalAxesTool3D::Draw(const ToolViewData& view)
{
    SetViewData(view);
    if (!GetTarget()) return;
    for (Constraint* handle : m_handles)
        if (handle) handle->Draw(view);
}

bool LocalAxesTool3D::Pick(const Wml::Ray3<float>& ray, float& distance)
{
    m_picked = -1;
    m_dragging = false;
    if (!GetTarget()) return false;
    float best = std::numeric_limits<float>::max();
    for (int i = 0; i < 3; ++i) {
        ConstraintHit hit;
        if (!m_handles[i] || !m_handles[i]->HitTest(ray, m_view, hit) || hit.missDistance > 0.0f) continue;
        if (hit.distance < best) {
            best = hit.distance;
            m_picked = i;
        }
    }
    for (int i = 0; i < 3; ++i)
        if (m_handles[i]) m_handles[i]->SetHighlighted(i == m_picked);
    if (m_picked < 0) return false;
    distance = best;
    return true;
}

void LocalAxesTool3D::Drag(const Wml::Ray3<float>& ray, int mode)
{
    if (m_picked < 0 || !GetTarget() || IsHandleMoveMode(mode)) return;
    Constraint* handle = m_handles[m_picked];
    if (IsDragBegin(mode)) {
        m_dragging = handle->BeginDrag(ray, m_view);
        return;
    }
    if (!m_dragging) return;
    if (ApplyStep(handle, ray)) UpdateFrame();
}

}  // namespace vynui
