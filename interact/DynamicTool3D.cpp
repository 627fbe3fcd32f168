#include "interact/DynamicTool3D.h"

#include <algorithm>
#include <limits>

#include "interact/ConstraintFactory.h"
#include "interact/ConstraintTarget.h"

namespace vynui {

namespace {
const std::vector<Constraint*> kNoHandles;

// Order in which saved sets list the kinds.
const int kSaveOrder[5] = {VECTOR_CONSTRAINT, PLANE_TRANSLATE_CONSTRAINT, AXIS_ROTATION_CONSTRAINT,
                           UNIFORM_SCALE_CONSTRAINT, AXIS_SCALE_CONSTRAINT};

template <class T>
bool Erase(std::vector<T*>& v, const T* item)
{
    auto it = std::find(v.begin(), v.end(), item);
    if (it == v.end()) return false;
    v.erase(it);
    return true;
}
}  // namespace

DynamicTool3D::DynamicTool3D() : ITool3D(NAME) {}

DynamicTool3D::~DynamicTool3D()
{
    ClearHandles(false);
}

std::vector<Constraint*>* DynamicTool3D::KindSet(int kind)
{
    if (kind < VECTOR_CONSTRAINT || kind > UNIFORM_SCALE_CONSTRAINT) return nullptr;
    return &m_byKind[kind - 1];
}

const std::vector<Constraint*>& DynamicTool3D::GetHandles(int kind) const
{
    if (kind < VECTOR_CONSTRAINT || kind > UNIFORM_SCALE_CONSTRAINT) return kNoHandles;
    return m_byKind[kind - 1];
}

bool DynamicTool3D::AddHandle(Constraint* handle)
{
    if (!handle || HasHandle(handle)) return false;
    m_handles.push_back(handle);
    if (std::vector<Constraint*>* set = KindSet(handle->GetKind())) set->push_back(handle);
    return true;
}

bool DynamicTool3D::RemoveHandle(Constraint* handle)
{
    if (!handle || !Erase(m_handles, handle)) return false;
    if (std::vector<Constraint*>* set = KindSet(handle->GetKind())) Erase(*set, handle);
    if (m_picked == handle) {
        m_picked = nullptr;
        m_dragging = false;
    }
    handle->SetHighlighted(false);
    return true;
}

bool DynamicTool3D::DeleteHandle(Constraint* handle)
{
    if (!RemoveHandle(handle)) return false;
    delete handle;
    return true;
}

bool DynamicTool3D::HasHandle(const Constraint* handle) const
{
    return handle && std::find(m_handles.begin(), m_handles.end(), handle) != m_handles.end();
}

void DynamicTool3D::ClearHandles(bool keepPinned)
{
    std::vector<Constraint*> handles = m_handles;
    for (Constraint* handle : handles)
        if (!keepPinned || !handle->IsPinned()) DeleteHandle(handle);
}

bool DynamicTool3D::PickHandle(const Wml::Ray3<float>& ray, ConstraintPick& pick) const
{
    bool found = false;
    float best = std::numeric_limits<float>::max();
    for (Constraint* handle : m_handles) {
        ConstraintHit hit;
        if (!handle->HitTest(ray, m_view, hit)) continue;
        if (!(hit.missDistance < PICK_ACCEPTANCE)) continue;
        if (hit.distance < best) {
            best = hit.distance;
            pick.handle = handle;
            pick.part = hit.part;
            pick.distance = hit.distance;
            pick.point = hit.point;
            found = true;
        }
    }
    return found;
}

Constraint* DynamicTool3D::CrossTestHandles(const Wml::Segment2<float>& segment,
                                            Wml::Vector3<float>& point) const
{
    Constraint* best = nullptr;
    float bestEye = std::numeric_limits<float>::max();
    for (Constraint* handle : m_handles) {
        Wml::Vector3<float> crossing;
        if (!handle->CrossTest(segment, m_view, crossing)) continue;
        float eye = (crossing - m_view.cameraPosition).Length();
        if (eye < bestEye) {
            bestEye = eye;
            best = handle;
            point = crossing;
        }
    }
    return best;
}

void DynamicTool3D::AddToolTarget(SceneObject* object)
{
    if (!object || std::find(m_toolTargets.begin(), m_toolTargets.end(), object) != m_toolTargets.end())
        return;
    m_toolTargets.push_back(object);
    NotifyListeners();
}

void DynamicTool3D::RemoveToolTarget(SceneObject* object)
{
    if (Erase(m_toolTargets, object)) NotifyListeners();
}

void DynamicTool3D::ClearToolTargets()
{
    if (m_toolTargets.empty()) return;
    m_toolTargets.clear();
    NotifyListeners();
}

std::vector<ConstraintDescription> DynamicTool3D::DescribeHandles() const
{
    std::vector<ConstraintDescription> set;
    set.reserve(m_handles.size());
    for (int kind : kSaveOrder)
        for (Constraint* handle : GetHandles(kind)) set.push_back(handle->Describe());
    return set;
}

bool DynamicTool3D::SaveHandleSet()
{
    if (m_handles.empty()) return false;
    m_history.push_back(DescribeHandles());
    return true;
}

bool DynamicTool3D::RestoreHandleSet(std::size_t n, ConstraintTarget* target)
{
    if (!target || n >= m_history.size()) return false;
    // A copy: the history may grow while the handles are rebuilt.
    const std::vector<ConstraintDescription> set = m_history[m_history.size() - 1 - n];
    ClearHandles(true);
    const Wml::Vector3<float> origin = target->GetFrame().Origin();
    for (ConstraintDescription d : set) {
        d.origin = origin;
        d.frame.SetOrigin(origin);
        if (Constraint* handle = CreateConstraint(d, target)) AddHandle(handle);
    }
    return true;
}

void DynamicTool3D::SetPicked(Constraint* handle)
{
    if (m_picked) m_picked->SetHighlighted(false);
    m_picked = handle;
    if (m_picked) m_picked->SetHighlighted(true);
}

void DynamicTool3D::Draw(const ToolViewData& view)
{
    SetViewData(view);
    for (Constraint* handle : m_handles) handle->Draw(view);
}

bool DynamicTool3D::Pick(const Wml::Ray3<float>& ray, float& distance)
{
    ConstraintPick pick;
    m_dragging = false;
    if (!PickHandle(ray, pick)) {
        SetPicked(nullptr);
        return false;
    }
    SetPicked(pick.handle);
    distance = pick.distance;
    return true;
}

void DynamicTool3D::Drag(const Wml::Ray3<float>& ray, int mode)
{
    if (!m_picked) return;
    if (IsDragBegin(mode)) {
        m_dragging = m_picked->BeginDrag(ray, m_view);
        return;
    }
    if (!m_dragging) return;
    if (IsHandleMoveMode(mode)) {
        m_picked->DragHandle(ray);
        return;
    }
    ConstraintTarget* target = m_picked->GetTarget();
    switch (m_picked->GetKind()) {
        case VECTOR_CONSTRAINT:
        case PLANE_TRANSLATE_CONSTRAINT: {
            Wml::Vector3<float> delta;
            if (m_picked->DragVector(ray, delta) && target) target->Translate(delta);
            break;
        }
        case AXIS_ROTATION_CONSTRAINT: {
            Wml::Matrix3<float> m;
            if (m_picked->DragRotation(ray, m) && target) target->Rotate(m);
            break;
        }
        case UNIFORM_SCALE_CONSTRAINT: {
            Wml::Vector3<float> f;
            if (m_picked->DragScale(ray, f) && target) target->Scale(f.X(), f.Y(), f.Z(), true, false);
            break;
        }
        case AXIS_SCALE_CONSTRAINT: {
            Wml::Vector3<float> f;
            if (m_picked->DragAxisScale(ray, f) && target) target->Scale(f.X(), f.Y(), f.Z(), true, false);
            break;
        }
        default:
            break;
    }
    UpdateFrame();
}

}  // namespace vynui
