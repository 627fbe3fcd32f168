#include "interact/ConstraintManager.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "blobtree/BlobTreeNode.h"
#include "blobtree/CompositionNode.h"
#include "blobtree_ui/BlobTreeNodeSceneObject.h"
#include "interact/AxisRotationConstraint.h"
#include "interact/AxisScaleConstraint.h"
#include "interact/CandidateAxes.h"
#include "interact/ConstraintScreenGeometry.h"
#include "interact/ConstraintTarget.h"
#include "interact/DrawingScale.h"
#include "interact/DynamicTool3D.h"
#include "interact/HUDButton.h"
#include "interact/HUDFileIcon.h"
#include "interact/HUDToolbar.h"
#include "interact/ISurfaceRayIntersector.h"
#include "interact/LinkArrow.h"
#include "interact/PivotSO.h"
#include "interact/PlaneTranslateConstraint.h"
#include "interact/ResourceRoot.h"
#include "interact/SurfaceAnchor.h"
#include "interact/Tool3DManager.h"
#include "interact/UniformScaleConstraint.h"
#include "interact/VectorConstraint.h"
#include "wml/AxisAlignedBox3.h"
#include "wml/DebugOutput.h"
#include "wml/ExtendedWmlCamera.h"
#include "wml/Segment2.h"

namespace vynui {

namespace {

using Vec2 = Wml::Vector2<float>;
using Vec3 = Wml::Vector3<float>;

// Two handles stand on the same axis when their origins and (unsigned) axes
// agree to within this.
constexpr float SAME_AXIS_TOLERANCE = 0.0001f;
// Rows of history per HUD unit of drag on the history button.
constexpr float HISTORY_ROWS_PER_UNIT = 12.0f;
// The direct edit takes a line starting this close (pixels) to the
// suggested axis's origin on screen and running along it.
constexpr float DIRECT_EDIT_START_PIXELS = 40.0f;
constexpr float DIRECT_EDIT_MIN_COS = 0.9f;
// Bounds of an object whose extent is unknown, for its screen circle.
constexpr float POINT_OBJECT_HALF_SIZE = 0.05f;

bool SameAxis(const Vec3& o0, const Vec3& a0, const Vec3& o1, const Vec3& a1)
{
    Vec3 u = a0, v = a1;
    if (u.Normalize() <= 0.0f || v.Normalize() <= 0.0f) return false;
    return (o0 - o1).SquaredLength() < SAME_AXIS_TOLERANCE &&
           std::fabs(1.0f - std::fabs(u.Dot(v))) < SAME_AXIS_TOLERANCE;
}

// Whether point lies on the line through origin along axis.
bool LiesOnLine(const Vec3& point, const Vec3& origin, const Vec3& axis)
{
    Vec3 a = axis;
    if (a.Normalize() <= 0.0f) return false;
    Vec3 d = point - origin;
    Vec3 off = d - a * d.Dot(a);
    return off.SquaredLength() < SAME_AXIS_TOLERANCE;
}

bool IsFiniteVec(const Vec2& v)
{
    return std::isfinite(v.X()) && std::isfinite(v.Y());
}

bool IsFiniteTriple(const GestureTriple& triple)
{
    return IsFiniteVec(triple.points[0]) && IsFiniteVec(triple.points[1]) && IsFiniteVec(triple.points[2]);
}

vynui_bt::BlobTreeNodeSceneObject* AsBlobTree(SceneObject* object)
{
    auto* bt = dynamic_cast<vynui_bt::BlobTreeNodeSceneObject*>(object);
    return bt && bt->GetNode() ? bt : nullptr;
}

// Where the ray meets the object: its own pick, or for a tree object the
// surface of its node. t is the distance along the (unit) ray.
bool PickObject(SceneObject* object, const Wml::Ray3<float>& ray, float& t)
{
    if (!object) return false;
    float pickT = 0.0f;
    if (object->Pick(ray, pickT)) {
        t = pickT;
        return true;
    }
    if (vynui_bt::BlobTreeNodeSceneObject* bt = AsBlobTree(object)) {
        vynui_bt::ModelLock lock = bt->LockModel();
        Vec3 hit;
        if (bt->GetNode()->FindIntersection(ray.Origin(), ray.Direction(), hit, nullptr, 0.0f, 0.5f, 10)) {
            t = (hit - ray.Origin()).Length();
            return true;
        }
    }
    return false;
}

Wml::AxisAlignedBox3<float> ObjectBounds(SceneObject* object)
{
    Wml::AxisAlignedBox3<float> box;
    if (vynui_bt::BlobTreeNodeSceneObject* bt = AsBlobTree(object)) {
        vynui_bt::ModelLock lock = bt->LockModel();
        bt->GetNode()->FieldBounds(box);
        return box;
    }
    const Vec3 o = object->GetFrame().Origin();
    float h = POINT_OBJECT_HALF_SIZE;
    if (auto* pivot = dynamic_cast<PivotSO*>(object)) h = pivot->GetSize();
    return Wml::AxisAlignedBox3<float>(o.X() - h, o.X() + h, o.Y() - h, o.Y() + h, o.Z() - h, o.Z() + h);
}

}  // namespace

// ---- default-handle button

class ConstraintManager::ScreenManipHandler : public HUDButtonEventHandler {
public:
    explicit ScreenManipHandler(ConstraintManager* manager) : m_manager(manager) {}
    void OnActivate() override { m_manager->BuildDefaultHandles(); }

private:
    ConstraintManager* m_manager;
};

// ---- history button

void ConstraintHistoryButtonHandler::OnPress(const Wml::Vector2<float>& point)
{
    m_active = true;
    m_count = m_manager->GetTool() ? m_manager->GetTool()->GetHistorySize() : 0;
    m_index = 0;
    m_manager->RestoreHistory(0);
    m_press = point;
    m_current = point;
}

void ConstraintHistoryButtonHandler::OnDrag(const Wml::Vector2<float>& delta)
{
    if (!m_active || !IsFiniteVec(delta)) return;
    m_current += delta;
    const float rows = -(m_current.Y() - m_press.Y()) * HISTORY_ROWS_PER_UNIT;
    // Clamp before converting: a wild pointer must not overflow the index.
    const float limit = float(std::numeric_limits<int>::max() / 2);
    const int index = int(std::trunc(std::max(-limit, std::min(limit, rows))));
    if (index < 0) {
        m_manager->ClearUnpinnedAndToolTargets();
        m_index = 0;
        return;
    }
    if (m_count == 0) {
        m_index = 0;
        return;
    }
    m_index = std::min(index, int(m_count) - 1);
    m_manager->RestoreHistory(std::size_t(m_index));
}

void ConstraintHistoryButtonHandler::OnRelease(const Wml::Vector2<float>& /*point*/)
{
    m_active = false;
}

bool ConstraintHistoryButtonHandler::IsShown(HUDSliderWidget* /*widget*/)
{
    return m_active;
}

float ConstraintHistoryButtonHandler::GetFraction(HUDSliderWidget* /*widget*/)
{
    return m_count > 1 ? float(m_index) / float(m_count - 1) : 0.0f;
}

// ---- manager

ConstraintManager::ConstraintManager(IConstraintSceneHost* host, Tool3DManager* tools)
    : m_host(host), m_historyHandler(this)
{
    SetToolManager(tools);
    m_screenManipHandler.reset(new ScreenManipHandler(this));
    m_screenManipButton = new HUDButton("ScreenManipButton", new HUDFileIcon(GetIconPath("screenManip.png")));
    m_screenManipButton->AddEventHandler(m_screenManipHandler.get());
    m_historyButton = new HUDButton("ConstraintHistory", new HUDFileIcon(GetIconPath("manipHistory.png")));
    m_historyButton->AddEventHandler(&m_historyHandler);
    m_historySlider = new HUDSliderWidget(m_historyButton, &m_historyHandler, 2.0f * HUDButton::ICON_SIZE,
                                          0.3f * HUDButton::ICON_SIZE, false);
    m_historyButton->AddWidget(m_historySlider);
}

ConstraintManager::~ConstraintManager()
{
    m_historyButton->RemoveWidget(m_historySlider);
    delete m_historySlider;
    delete m_historyButton;
    delete m_screenManipButton;
    // The adapters detach the handles still using them; the handles stay
    // with the tool, inert.
    for (ConstraintTarget* target : m_targets) delete target;
    for (auto& entry : m_anchors) {
        entry.first->SetAnchor(nullptr);
        delete entry.second;
    }
}

void ConstraintManager::SetToolManager(Tool3DManager* tools)
{
    m_tools = tools;
    m_tool = tools ? dynamic_cast<DynamicTool3D*>(tools->FindTool(DynamicTool3D::NAME)) : nullptr;
    m_captured = nullptr;
}

Wml::ExtendedWmlCamera* ConstraintManager::Camera() const
{
    return m_host ? m_host->GetCamera() : nullptr;
}

bool ConstraintManager::Ready() const
{
    return m_tool && Camera();
}

void ConstraintManager::EnsureView()
{
    if (!m_tools) return;
    if (!m_tools->HasViewData()) m_tools->UpdateViewFromCamera();
    // The tool is given the view only while active; pick in what was shown.
    if (m_tool && !m_tool->GetViewData().IsValid() && m_tools->HasViewData())
        m_tool->SetViewData(m_tools->GetViewData());
}

Wml::Ray3<float> ConstraintManager::RayThrough(const Wml::Vector2<float>& point) const
{
    if (m_tools && m_tools->HasViewData()) return m_tools->GetPickRay(point.X() + 0.5f, point.Y() + 0.5f);
    // Far outside any window; keeps the pixel conversion defined.
    const float limit = 1e6f;
    const float x = std::max(-limit, std::min(limit, point.X()));
    const float y = std::max(-limit, std::min(limit, point.Y()));
    return Camera()->GetPickRay(int(std::floor(x)), int(std::floor(y)));
}

void ConstraintManager::Redraw()
{
    if (m_host) m_host->RequestRedraw();
}

void ConstraintManager::SaveHistory()
{
    if (m_recording && m_tool) m_tool->SaveHandleSet();
}

ConstraintTarget* ConstraintManager::TargetFor(SceneObject* object)
{
    if (!object) return nullptr;
    for (ConstraintTarget* target : m_targets)
        if (target->IsFor(object)) return target;
    m_targets.push_back(new ConstraintTarget(object));
    return m_targets.back();
}

void ConstraintManager::SetCurrentTarget(SceneObject* object)
{
    m_current = TargetFor(object);
}

void ConstraintManager::DropUnusedTargets()
{
    std::vector<ConstraintTarget*> kept;
    for (ConstraintTarget* target : m_targets) {
        if (target == m_current || !target->GetConstraints().empty())
            kept.push_back(target);
        else
            delete target;
    }
    m_targets.swap(kept);
}

SceneObject* ConstraintManager::PickToolTarget(const Wml::Ray3<float>& ray, float* distance) const
{
    if (!m_tool) return nullptr;
    SceneObject* best = nullptr;
    float bestT = std::numeric_limits<float>::max();
    for (SceneObject* object : m_tool->GetToolTargets()) {
        float t = 0.0f;
        if (PickObject(object, ray, t) && t < bestT) {
            bestT = t;
            best = object;
        }
    }
    if (best && distance) *distance = bestT;
    return best;
}

// ---- actions

bool ConstraintManager::BuildDefaultHandles()
{
    if (!m_tool || !m_current) return false;
    SaveHistory();
    m_tool->ClearHandles(true);
    const Vec3 origin = m_manipFrame.Origin();
    const Vec3 normal = m_manipFrame.Z();
    m_tool->AddHandle(new PlaneTranslateConstraint(m_current, origin, normal, FRAME_MODE_MANIPULATION));
    m_tool->AddHandle(new AxisRotationConstraint(m_current, origin, normal, FRAME_MODE_MANIPULATION,
                                                 RotationRadiusForMode(FRAME_MODE_MANIPULATION)));
    m_captured = nullptr;
    DropUnusedTargets();
    Redraw();
    return true;
}

bool ConstraintManager::RestoreHistory(std::size_t n)
{
    if (!m_tool || !m_current) return false;
    if (!m_tool->RestoreHandleSet(n, m_current)) return false;
    m_captured = nullptr;
    DropUnusedTargets();
    Redraw();
    return true;
}

void ConstraintManager::AddSuggestions(HUDToolbar* toolbar)
{
    if (toolbar && m_current && m_screenManipButton) toolbar->AddButton(m_screenManipButton);
}

void ConstraintManager::ClearUnpinnedAndToolTargets()
{
    if (!m_tool) return;
    m_tool->ClearHandles(true);
    m_tool->ClearToolTargets();
    m_captured = nullptr;
    DropUnusedTargets();
    Redraw();
}

void ConstraintManager::ForgetObject(SceneObject* object)
{
    if (!object) return;
    m_links.Forget(object);
    if (m_relinked == object) m_relinked = nullptr;
    if (m_tool) {
        const std::vector<Constraint*> handles = m_tool->GetHandles();
        for (Constraint* handle : handles) {
            if (!handle->GetTarget() || !handle->GetTarget()->IsFor(object)) continue;
            if (handle == m_captured) m_captured = nullptr;
            m_tool->DeleteHandle(handle);
        }
        m_tool->RemoveToolTarget(object);
    }
    std::vector<ConstraintTarget*> kept;
    for (ConstraintTarget* target : m_targets) {
        if (!target->IsFor(object)) {
            kept.push_back(target);
            continue;
        }
        if (target == m_current) m_current = nullptr;
        delete target;
    }
    m_targets.swap(kept);
    if (m_selected == object) m_selected = nullptr;
    if (!m_current && m_selected) SetCurrentTarget(m_selected);
    for (auto it = m_anchors.begin(); it != m_anchors.end();) {
        if (it->first == object) {
            it->first->SetAnchor(nullptr);
            delete it->second;
            it = m_anchors.erase(it);
        } else {
            ++it;
        }
    }
}

// ---- input

int ConstraintManager::OnInputEvent(const InputEvent& event)
{
    if (!Ready() || !event.IsMouse()) return INPUT_NOT_HANDLED;
    if (m_captured) {
        if (!m_tool->HasHandle(m_captured)) {
            m_captured = nullptr;
            return INPUT_NOT_HANDLED;
        }
        if (event.IsLeftDrag()) {
            ReaimCaptured(event);
            return INPUT_CONSUMED;
        }
        if (event.IsLeftRelease()) {
            m_captured = nullptr;
            Redraw();
            return INPUT_RELEASE_CAPTURE;
        }
        return INPUT_NOT_HANDLED;
    }
    if (!event.IsLeftPress()) return INPUT_NOT_HANDLED;
    EnsureView();
    ConstraintPick pick;
    if (!m_tool->PickHandle(RayThrough(Vec2(float(event.x), float(event.y))), pick)) return INPUT_NOT_HANDLED;
    auto* vector = dynamic_cast<VectorConstraint*>(pick.handle);
    if (!vector || pick.part != 1) return INPUT_NOT_HANDLED;
    m_captured = vector;
    RebuildCandidates();
    Redraw();
    return INPUT_CAPTURE;
}

void ConstraintManager::ReaimCaptured(const InputEvent& event)
{
    Wml::ExtendedWmlCamera& camera = *Camera();
    const Vec3 origin = m_captured->GetOrigin();
    const Vec3 axis = m_captured->GetAxis();
    Vec2 from;
    if (!ProjectToScreen(camera, origin, from)) return;
    Vec2 d = Vec2(float(event.x) + 0.5f, float(event.y) + 0.5f) - from;
    if (d.Normalize() <= 0.0f) return;
    const int match = MatchCandidateAxis(m_candidates, d, CANDIDATE_REAIM_VIEW_LIMIT, false, camera);
    if (match < 0) return;
    const ConstraintDescription& c = m_candidates[std::size_t(match)];
    const std::vector<Constraint*> vectors = m_tool->GetHandles(VECTOR_CONSTRAINT);
    for (Constraint* handle : vectors) {
        if (!LiesOnLine(handle->GetOrigin(), origin, axis) ||
            std::fabs(1.0f - std::fabs(handle->GetAxis().Dot(axis))) >= SAME_AXIS_TOLERANCE)
            continue;
        static_cast<VectorConstraint*>(handle)->Reaim(handle->GetOrigin(), c.axis, c.frameMode, c.color);
    }
    Redraw();
}

void ConstraintManager::RebuildCandidates()
{
    Vec3 origin = m_current ? m_current->GetFrame().Origin() : m_manipFrame.Origin();
    m_candidates = BuildCandidateAxes(m_selected, origin);
}

// ---- gestures

bool ConstraintManager::OnTap(const Wml::Vector2<float>& point)
{
    if (!Ready() || !m_host || !IsFiniteVec(point)) return false;
    EnsureView();
    SceneObject* hit = PickToolTarget(RayThrough(point));
    if (!hit) return false;
    m_host->SelectAlone(hit);
    return true;
}

bool ConstraintManager::OnHairpin(const GestureSegment& segment)
{
    if (!Ready() || !IsFiniteVec(segment.start) || !IsFiniteVec(segment.end)) return false;
    EnsureView();
    Vec3 crossing;
    Constraint* handle =
        m_tool->CrossTestHandles(Wml::Segment2<float>::FromEndPoints(segment.start, segment.end), crossing);
    if (!handle) return false;
    if (!m_tool->HasHandle(handle)) {
        DebugOutput("Toggle failed!\n");
        return true;
    }
    if (handle->IsPinned()) {
        handle->SetPinned(false);
        if (handle == m_captured) m_captured = nullptr;
        m_tool->DeleteHandle(handle);
        DropUnusedTargets();
    } else {
        handle->SetPinned(true);
    }
    DebugOutput("Toggled Pin!\n");
    Redraw();
    return true;
}

bool ConstraintManager::OnLine(const GestureSegment& segment)
{
    if (!m_tool || !Camera()) return false;
    if (m_host && m_host->SketchHasStrokes()) return false;
    if (!IsFiniteVec(segment.start) || !IsFiniteVec(segment.end)) return false;
    EnsureView();
    if (DirectEdit(segment)) return true;
    m_suggested.clear();
    if (ApplyCrossedLink(segment.start, segment.end)) return true;
    if (ToggleScaleHandles(segment)) return true;
    if (MakeLink(segment)) return true;
    if (Relink(segment)) return true;
    return AimHandles(segment);
}

bool ConstraintManager::DirectEdit(const GestureSegment& segment)
{
    if (m_suggested.empty() || !m_selected || !m_current) return false;
    const ConstraintDescription s = m_suggested.front();
    Wml::ExtendedWmlCamera& camera = *Camera();
    Vec2 from, to;
    if (!ProjectToScreen(camera, s.origin, from) || !ProjectToScreen(camera, s.origin + 0.1f * s.axis, to))
        return false;
    Vec2 axis = to - from, line = segment.end - segment.start;
    if (axis.Normalize() <= 0.0f || line.Normalize() <= 0.0f) return false;
    if ((segment.start - from).Length() > DIRECT_EDIT_START_PIXELS || axis.Dot(line) < DIRECT_EDIT_MIN_COS)
        return false;
    VectorConstraint* reaimed = nullptr;
    for (Constraint* handle : m_tool->GetHandles(VECTOR_CONSTRAINT)) {
        auto* vector = static_cast<VectorConstraint*>(handle);
        if (vector->GetTarget() == m_current && vector->ShowsAimingRing() &&
            (vector->GetOrigin() - s.origin).SquaredLength() < SAME_AXIS_TOLERANCE) {
            reaimed = vector;
            break;
        }
    }
    if (reaimed) {
        if (!reaimed->Reaim(s.origin, s.axis, FRAME_MODE_MANIPULATION,
                            FrameModeColor(FRAME_MODE_MANIPULATION)))
            return false;
    } else {
        auto* vector = new VectorConstraint(m_current, s.origin, s.axis, FRAME_MODE_MANIPULATION);
        vector->SetMadeByLine(true);
        m_tool->AddHandle(vector);
    }
    m_suggested.clear();
    Redraw();
    return true;
}

bool ConstraintManager::ApplyCrossedLink(const Wml::Vector2<float>& p0, const Wml::Vector2<float>& p1)
{
    const int index = m_links.FindCrossedLink(p0, p1, *Camera());
    if (index < 0) return false;
    SceneObject* linked = m_links.GetLinks()[std::size_t(index)].linked;
    m_links.Apply(linked);
    Redraw();
    return true;
}

bool ConstraintManager::ToggleScaleHandles(const GestureSegment& segment)
{
    if (!m_current) return false;
    const Wml::Segment2<float> line = Wml::Segment2<float>::FromEndPoints(segment.start, segment.end);
    bool crossed = false;
    for (Constraint* handle : m_tool->GetHandles(UNIFORM_SCALE_CONSTRAINT)) {
        Vec3 point;
        if (handle->GetTarget() == m_current && handle->CrossTest(line, m_tool->GetViewData(), point)) {
            crossed = true;
            break;
        }
    }
    if (!crossed) return false;
    // Groups are scaled as a whole; their axes are not toggled.
    if (vynui_bt::BlobTreeNodeSceneObject* bt = AsBlobTree(m_selected))
        if (dynamic_cast<vynbt::CompositionNode*>(bt->GetNode())) return true;

    std::vector<Constraint*> vectors, axisScales;
    for (Constraint* handle : m_tool->GetHandles(VECTOR_CONSTRAINT))
        if (handle->GetTarget() == m_current && handle->GetFrameMode() == FRAME_MODE_OBJECT)
            vectors.push_back(handle);
    for (Constraint* handle : m_tool->GetHandles(AXIS_SCALE_CONSTRAINT))
        if (handle->GetTarget() == m_current && handle->GetFrameMode() == FRAME_MODE_OBJECT)
            axisScales.push_back(handle);
    bool saved = false;
    auto replace = [&](Constraint* old, Constraint* made) {
        made->SetPinned(old->IsPinned());
        made->SetColor(FrameModeColor(old->GetFrameMode()));
        if (old == m_captured) m_captured = nullptr;
        m_tool->DeleteHandle(old);
        m_tool->AddHandle(made);
    };
    for (Constraint* old : vectors) {
        if (m_recording) {
            m_tool->SaveHandleSet();
            saved = true;
        }
        replace(old,
                new AxisScaleConstraint(m_current, old->GetOrigin(), old->GetAxis(), old->GetFrameMode()));
    }
    for (Constraint* old : axisScales) {
        if (m_recording && !saved) {
            m_tool->SaveHandleSet();
            saved = true;
        }
        replace(old, new VectorConstraint(m_current, old->GetOrigin(), old->GetAxis(), old->GetFrameMode()));
    }
    Redraw();
    return true;
}

bool ConstraintManager::MakeLink(const GestureSegment& segment)
{
    if (!m_current || !m_current->GetObject()) return false;
    SceneObject* object = m_current->GetObject();
    float t = 0.0f;
    if (!PickObject(object, RayThrough(segment.start), t)) return false;
    const Wml::Ray3<float> endRay = RayThrough(segment.end);
    SceneObject* leader = nullptr;
    float bestT = std::numeric_limits<float>::max();
    for (SceneObject* candidate : m_tool->GetToolTargets()) {
        float ct = 0.0f;
        if (candidate != object && PickObject(candidate, endRay, ct) && ct < bestT) {
            bestT = ct;
            leader = candidate;
        }
    }
    if (leader) {
        if (m_links.Follows(leader, object)) return false;
        m_links.Clear();
        m_relinked = nullptr;
        if (!m_links.Link(object, leader)) return false;
        Redraw();
        return true;
    }
    ISurfaceRayIntersector* intersector = m_tool->GetSurfaceIntersector();
    Vec3 point, normal;
    Wml::Frame3<float> frame;
    if (!intersector || !intersector->Intersect(endRay, point, normal) ||
        !SurfaceAnchor::FrameAtSurfacePoint(point, normal, frame))
        return false;
    m_links.Clear();
    m_relinked = nullptr;
    if (!m_links.LinkToFrame(object, frame)) return false;
    Redraw();
    return true;
}

void ConstraintManager::LinkToSelection(SceneObject* object)
{
    if (m_relinked && m_relinked != object) m_links.Unlink(m_relinked);
    if (m_selected && m_selected != object) m_links.Link(m_selected, object);
    m_relinked = object;
    SetCurrentTarget(object);
}

bool ConstraintManager::Relink(const GestureSegment& segment)
{
    Wml::ExtendedWmlCamera& camera = *Camera();
    SceneObject* current = m_current ? m_current->GetObject() : nullptr;
    const std::vector<SceneObject*> targets = m_tool->GetToolTargets();
    for (SceneObject* object : targets) {
        if (object == m_selected || object == current) continue;
        Vec2 centre;
        float radius = 0.0f;
        if (!ProjectedBoundsCircle(ObjectBounds(object), camera, centre, radius)) continue;
        if (!SegmentMeetsCircle(segment.start, segment.end, centre, radius)) continue;
        LinkToSelection(object);
        DropUnusedTargets();
        Redraw();
        return true;
    }
    return false;
}

bool ConstraintManager::AimHandles(const GestureSegment& segment)
{
    if (!m_current) return false;
    RebuildCandidates();
    Vec2 d = segment.end - segment.start;
    if (d.Normalize() <= 0.0f) return false;
    const int match = MatchCandidateAxis(m_candidates, d, CANDIDATE_LINE_VIEW_LIMIT, true, *Camera());
    if (match < 0) return false;
    const ConstraintDescription c = m_candidates[std::size_t(match)];
    m_tool->ClearHandles(true);
    m_captured = nullptr;

    auto pinnedThere = [&](int kind) {
        for (Constraint* handle : m_tool->GetHandles(kind))
            if (handle->IsPinned() && handle->GetTarget() == m_current &&
                SameAxis(handle->GetOrigin(), handle->GetAxis(), c.origin, c.axis))
                return true;
        return false;
    };
    if (!pinnedThere(VECTOR_CONSTRAINT)) {
        auto* vector = new VectorConstraint(m_current, c.origin, c.axis, c.frameMode);
        vector->SetColor(c.color);
        vector->SetMadeByLine(true);
        m_tool->AddHandle(vector);
    }
    if (!pinnedThere(AXIS_ROTATION_CONSTRAINT)) {
        auto* ring = new AxisRotationConstraint(m_current, c.origin, c.axis, c.frameMode,
                                                RotationRadiusForMode(c.frameMode));
        ring->SetColor(c.color);
        m_tool->AddHandle(ring);
    }
    SceneObject* object = m_current->GetObject();
    if (object && !object->IsPivot()) {
        bool has = false;
        for (Constraint* handle : m_tool->GetHandles(UNIFORM_SCALE_CONSTRAINT))
            if (handle->GetTarget() == m_current) has = true;
        if (!has) {
            // Faces the eye, so the drag's plane is the screen's.
            Vec3 facing = -m_tool->GetViewData().viewDirection;
            if (facing.Normalize() <= 0.0f) facing = Vec3::UNIT_Z;
            m_tool->AddHandle(new UniformScaleConstraint(m_current, c.origin, facing, FRAME_MODE_WORLD));
        }
    }
    DropUnusedTargets();
    Redraw();
    return true;
}

bool ConstraintManager::OnScribble(const Wml::Box2<float>& box)
{
    if (!Ready() || !m_current || !m_host) return false;
    if (!IsFiniteVec(box.Center()) || !std::isfinite(box.Extent(0)) || !std::isfinite(box.Extent(1)))
        return false;
    auto* pivot = dynamic_cast<PivotSO*>(m_current->GetObject());
    if (!pivot) return false;
    Vec2 at;
    if (!ProjectToScreen(*Camera(), pivot->GetFrame().Origin(), at)) return false;
    const float radius = std::sqrt(box.Extent(0) * box.Extent(0) + box.Extent(1) * box.Extent(1));
    if (!((at - box.Center()).Length() <= radius)) return false;
    ForgetObject(pivot);
    m_addingToScene = true;
    m_host->RemoveFromScene(pivot);
    m_addingToScene = false;
    delete pivot;
    if (!m_current && m_selected) SetCurrentTarget(m_selected);
    DropUnusedTargets();
    Redraw();
    return true;
}

bool ConstraintManager::OnCorner(const GestureTriple& triple)
{
    if (!Ready() || !IsFiniteTriple(triple)) return false;
    EnsureView();
    const Vec2& p0 = triple.points[0];
    const Vec2& p1 = triple.points[1];
    Vec3 crossing;
    Constraint* handle = m_tool->CrossTestHandles(Wml::Segment2<float>::FromEndPoints(p0, p1), crossing);
    if (handle) {
        const int kind = handle->GetKind();
        if (kind == VECTOR_CONSTRAINT) {
            SaveHistory();
            auto* plane = new PlaneTranslateConstraint(handle->GetTarget(), handle->GetOrigin(),
                                                       handle->GetAxis(), handle->GetFrameMode());
            plane->SetColor(FrameModeColor(handle->GetFrameMode()));
            if (!handle->IsPinned()) {
                if (handle == m_captured) m_captured = nullptr;
                m_tool->DeleteHandle(handle);
            }
            m_tool->AddHandle(plane);
        } else if (kind == AXIS_ROTATION_CONSTRAINT) {
            SaveHistory();
            TurnRing(handle, crossing);
        }
        Redraw();
        return true;
    }
    if (ApplyCrossedLink(p0, p1)) return true;
    if (!m_current) return false;
    m_manipFrame = m_current->GetFrame();
    BuildDefaultHandles();
    return true;
}

void ConstraintManager::TurnRing(Constraint* handle, const Wml::Vector3<float>& crossing)
{
    auto* ring = static_cast<AxisRotationConstraint*>(handle);
    const Vec3 origin = ring->GetOrigin();
    const Vec3 axis = ring->GetAxis();
    Vec3 r = ring->NearestRingPoint(crossing, m_tool->GetViewData()) - origin;
    if (r.Normalize() <= 0.0f) return;
    Vec3 turned = r.Cross(axis);
    if (turned.Normalize() <= 0.0f) return;
    const int mode = ring->GetFrameMode();
    auto* made =
        new AxisRotationConstraint(ring->GetTarget(), origin, turned, mode, RotationRadiusForMode(mode));
    made->SetColor(FrameModeColor(mode));

    const std::vector<Constraint*> vectors = m_tool->GetHandles(VECTOR_CONSTRAINT);
    for (Constraint* old : vectors) {
        if (!SameAxis(old->GetOrigin(), old->GetAxis(), origin, axis)) continue;
        auto* vector = new VectorConstraint(old->GetTarget(), old->GetOrigin(), turned, old->GetFrameMode());
        vector->SetColor(old->GetColor());
        vector->SetMadeByLine(static_cast<VectorConstraint*>(old)->IsMadeByLine());
        if (!old->IsPinned()) {
            if (old == m_captured) m_captured = nullptr;
            m_tool->DeleteHandle(old);
        }
        m_tool->AddHandle(vector);
    }
    if (!ring->IsPinned()) m_tool->DeleteHandle(ring);
    m_tool->AddHandle(made);
}

bool ConstraintManager::OnCrossing(const GestureTriple& triple)
{
    if (!m_tool || !Camera() || !IsFiniteTriple(triple)) return false;
    EnsureView();
    const Wml::Ray3<float> firstRay = RayThrough(triple.points[0]);
    const Wml::Ray3<float> crossRay = RayThrough(triple.points[2]);
    ISurfaceRayIntersector* intersector = m_tool->GetSurfaceIntersector();
    Vec3 p0, n0, p1, n1;
    bool hit0 = intersector && intersector->Intersect(firstRay, p0, n0);
    const bool hit1 = intersector && intersector->Intersect(crossRay, p1, n1);
    if (m_current) {
        if (vynui_bt::BlobTreeNodeSceneObject* bt = AsBlobTree(m_current->GetObject())) {
            Wml::Frame3<float> frame;
            vynui_bt::ModelLock lock = bt->LockModel();
            if (SurfaceAnchor::FrameAtFieldHit(*bt->GetNode(), firstRay, frame)) {
                p0 = frame.Origin();
                n0 = frame.Z();
                hit0 = true;
            }
        }
    }
    if (hit0 && hit1) {
        if (!m_host) return false;
        Wml::Frame3<float> frame;
        if (!SurfaceAnchor::FrameAtSurfacePoint(p0, n0, frame)) return false;
        auto* anchor = new SurfaceAnchor(frame);
        auto* pivot = new PivotSO(anchor);
        pivot->InitializeParameters();
        m_anchors.emplace_back(pivot, anchor);
        m_addingToScene = true;
        m_host->AddToScene(pivot);
        m_addingToScene = false;
        m_tool->AddToolTarget(pivot);
        if (m_current && m_current->GetObject()) {
            SceneObject* follower = m_current->GetObject();
            if (m_relinked && m_relinked != pivot) m_links.Unlink(m_relinked);
            m_links.Link(follower, pivot);
            m_relinked = pivot;
            SetCurrentTarget(pivot);
        }
        DropUnusedTargets();
        Redraw();
        return true;
    }
    if (hit0 && m_current) {
        m_suggested.clear();
        m_manipFrame.SetOrigin(p0);
        const Vec3 z = m_manipFrame.Z();
        const float denom = crossRay.Direction().Dot(z);
        if (std::fabs(denom) < 1e-6f) return false;
        const float t = (p0 - crossRay.Origin()).Dot(z) / denom;
        Vec3 axis = crossRay.Origin() + t * crossRay.Direction() - p0;
        if (!std::isfinite(t) || axis.Normalize() <= 0.0f) return false;
        ConstraintDescription suggested;
        suggested.kind = VECTOR_CONSTRAINT;
        suggested.frameMode = FRAME_MODE_MANIPULATION;
        suggested.origin = p0;
        suggested.axis = axis;
        suggested.hasFrame = true;
        suggested.frame = m_manipFrame;
        suggested.color = FrameModeColor(FRAME_MODE_MANIPULATION);
        m_suggested.push_back(suggested);
        Redraw();
        return true;
    }
    return false;
}

// ---- scene notifications

void ConstraintManager::SelectionChanged(const OrderedObjectSet& selection)
{
    // Our own additions and removals are not the user's selection.
    if (m_addingToScene) return;
    SaveHistory();
    if (m_tool) {
        m_tool->ClearHandles(true);
        m_tool->ClearToolTargets();
    }
    m_links.Clear();
    m_relinked = nullptr;
    m_suggested.clear();
    m_captured = nullptr;
    m_selected = nullptr;
    m_current = nullptr;
    // Decals (and anything else the dynamic tool cannot move) are not
    // manipulated by handles.
    if (!selection.Empty() && selection.Items().front()->SupportsTool(DynamicTool3D::NAME)) {
        m_selected = selection.Items().front();
        SetCurrentTarget(m_selected);
        m_manipFrame = m_selected->GetFrame();
        if (m_tool) m_tool->AddToolTarget(m_selected);
    }
    DropUnusedTargets();
}

void ConstraintManager::OnSelectionChanged(const OrderedObjectSet& selection)
{
    SelectionChanged(selection);
}

void ConstraintManager::OnSelectionPicked(const OrderedObjectSet& selection)
{
    SelectionChanged(selection);
}

void ConstraintManager::OnObjectsModified(const OrderedObjectSet& selection)
{
    for (SceneObject* object : selection)
        for (ConstraintTarget* target : m_targets) target->OnObjectChanged(object);
}

// ---- drawing

void ConstraintManager::Draw()
{
    if (!m_tool) return;
    const ToolViewData& view = m_tool->GetViewData();
    const float k = GetHUDScaleFactor() * view.viewScale;
    const float lineWidth = GetGlobalLineWidth();
    glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    for (const ConstraintLink& link : m_links.GetLinks()) {
        ArrowGeometry arrow = ComputeLinkArrow(link, view.cameraPosition, view.viewDirection, k);
        if (arrow.valid) DrawArrow(arrow, Wml::ColorRGBA(1.0f, 1.0f, 1.0f, 1.0f), lineWidth);
    }
    for (const ConstraintDescription& axis : m_suggested) {
        ArrowGeometry arrow =
            ComputeSuggestedAxisArrow(axis.origin, axis.axis, view.cameraPosition, view.viewDirection, k);
        if (arrow.valid) DrawArrow(arrow, Wml::ColorRGBA(1.0f, 0.0f, 0.0f, 1.0f), lineWidth);
    }
    if (m_captured) DrawCandidateAxes(m_candidates, view.viewDirection, 2.0f * lineWidth);
    glPopAttrib();
}

ConstraintManager& GetConstraintManager()
{
    // Lives until the end of the process; never destroyed, so no scene
    // object it listens to can be outlived by a dangling listener.
    static ConstraintManager* manager = new ConstraintManager();
    return *manager;
}

}  // namespace vynui
