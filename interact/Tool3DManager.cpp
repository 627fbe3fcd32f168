#include "interact/Tool3DManager.h"

#include <cmath>

#include "interact/DynamicTool3D.h"
#include "interact/IToolActionEventListener.h"
#include "interact/LocalRotationTool3D.h"
#include "interact/LocalTranslationTool3D.h"
#include "interact/SurfacePatchDeformTool.h"
#include "interact/SurfacePatchTransformTool.h"
#include "interact/SurfaceVectorEditingTool.h"
#include "scene/SceneObject.h"
#include "wml/ExtendedWmlCamera.h"

namespace vynui {

Tool3DManager::Tool3DManager() = default;

Tool3DManager::~Tool3DManager()
{
    for (auto& entry : m_tools) {
        entry.second->RemoveListener(this);
        delete entry.second;
    }
}

void Tool3DManager::SetCamera(Wml::ExtendedWmlCamera* camera)
{
    m_camera = camera;
    m_hasView = false;
}

bool Tool3DManager::AddTool(ITool3D* tool)
{
    if (!tool || m_tools.count(tool->GetName())) return false;
    m_tools[tool->GetName()] = tool;
    tool->AddListener(this);
    tool->SetSurfaceIntersector(m_intersector);
    if (!m_active) Activate(tool);
    return true;
}

void Tool3DManager::AddStandardTools()
{
    ITool3D* tools[] = {new DynamicTool3D(),          new LocalTranslationTool3D(),
                        new LocalRotationTool3D(),    new SurfacePatchTransformTool(),
                        new SurfacePatchDeformTool(), new SurfaceVectorEditingTool()};
    for (ITool3D* tool : tools)
        if (!AddTool(tool)) delete tool;
}

ITool3D* Tool3DManager::FindTool(const std::string& name) const
{
    auto it = m_tools.find(name);
    return it == m_tools.end() ? nullptr : it->second;
}

std::vector<std::string> Tool3DManager::GetToolNames() const
{
    std::vector<std::string> names;
    for (const auto& entry : m_tools) names.push_back(entry.first);
    return names;
}

bool Tool3DManager::SetActiveTool(const std::string& name)
{
    ITool3D* tool = FindTool(name);
    if (!tool) return false;
    Activate(tool);
    return true;
}

void Tool3DManager::Activate(ITool3D* tool)
{
    if (m_active != tool) m_dragging = false;
    m_active = tool;
    Refresh();
    // The new tool measures its own view scale in the view last seen.
    if (m_hasView) PrepareView(m_view);
}

ITool3D* Tool3DManager::NextSupporting(const ITool3D* after) const
{
    if (m_tools.empty()) return nullptr;
    auto start = after ? m_tools.find(after->GetName()) : m_tools.end();
    auto it = start == m_tools.end() ? m_tools.begin() : std::next(start);
    for (std::size_t i = 0; i < m_tools.size(); ++i, ++it) {
        if (it == m_tools.end()) it = m_tools.begin();
        if (it->second->SupportsTargets(m_group.GetTargets())) return it->second;
    }
    return nullptr;
}

void Tool3DManager::Show(bool show)
{
    m_shown = show;
    if (m_tools.empty()) return;
    if (m_active && m_active->SupportsTargets(m_group.GetTargets())) return;
    ITool3D* next = NextSupporting(m_active);
    Activate(next ? next : m_tools.begin()->second);
}

bool Tool3DManager::CycleTool()
{
    ITool3D* next = NextSupporting(m_active);
    if (!next) return false;
    Activate(next);
    return true;
}

void Tool3DManager::AddToolActionListener(IToolActionEventListener* listener)
{
    if (listener) m_actionListeners.insert(listener);
}

void Tool3DManager::RemoveToolActionListener(IToolActionEventListener* listener)
{
    m_actionListeners.erase(listener);
}

void Tool3DManager::SetSurfaceIntersector(ISurfaceRayIntersector* intersector)
{
    m_intersector = intersector;
    for (auto& entry : m_tools) entry.second->SetSurfaceIntersector(intersector);
}

void Tool3DManager::PrepareView(const ToolViewData& view)
{
    float previousScale = m_hasView ? m_view.viewScale : 1.0f;
    m_view = view;
    m_view.viewScale = previousScale;
    if (m_active) {
        float measure = m_active->GetSizeMeasure(m_view);
        float scale = measure > 0.0f ? 1.0f / measure : 0.0f;
        if (std::isfinite(scale) && scale > 0.0f) m_view.viewScale = scale;
        m_active->SetViewData(m_view);
    }
    m_hasView = true;
}

bool Tool3DManager::UpdateViewFromCamera()
{
    if (!m_camera) return false;
    PrepareView(ToolViewData::FromCamera(*m_camera));
    return true;
}

void Tool3DManager::Draw()
{
    if (!m_active || !m_shown) return;
    float x, y, depth = 0.5f;
    if (m_camera && (!m_camera->Project(m_camera->GetTarget(), x, y, depth) || !std::isfinite(depth)))
        depth = 0.5f;
    ToolViewData view = ToolViewData::CaptureFromGL(depth);
    if (view.IsValid())
        PrepareView(view);
    else if (!UpdateViewFromCamera())
        return;
    m_active->Draw(m_view);
}

Wml::Ray3<float> Tool3DManager::RayAt(const InputEvent& event)
{
    if (!m_hasView) UpdateViewFromCamera();
    return m_view.GetPickRay(float(event.x) + 0.5f, float(event.y) + 0.5f);
}

int Tool3DManager::OnInputEvent(const InputEvent& event)
{
    if (!m_camera || !event.IsMouse()) return INPUT_NOT_HANDLED;
    if (m_dragging) {
        if (!m_active) {
            m_dragging = false;
            return INPUT_NOT_HANDLED;
        }
        if (event.IsLeftDrag()) {
            m_active->Drag(RayAt(event), m_moveHandles ? TOOL_MOVE_HANDLE_CONTINUE : TOOL_DRAG_CONTINUE);
            std::set<IToolActionEventListener*> listeners = m_actionListeners;
            for (IToolActionEventListener* listener : listeners)
                if (m_actionListeners.count(listener)) listener->OnToolAction(m_active);
            return INPUT_CONSUMED;
        }
        if (event.IsLeftRelease()) {
            m_dragging = false;
            return INPUT_RELEASE_CAPTURE;
        }
        return INPUT_NOT_HANDLED;
    }
    if (!event.IsLeftPress() || !m_active || !m_shown) return INPUT_NOT_HANDLED;
    Wml::Ray3<float> ray = RayAt(event);
    float distance = 0.0f;
    if (!m_active->Pick(ray, distance)) return INPUT_NOT_HANDLED;
    m_dragStart = ray;
    m_active->Drag(ray, m_moveHandles ? TOOL_MOVE_HANDLE_BEGIN : TOOL_DRAG_BEGIN);
    m_dragging = true;
    return INPUT_CAPTURE;
}

void Tool3DManager::OnToolChanged(ITool3D* tool)
{
    if (tool && tool == m_active) Refresh();
}

void Tool3DManager::SetTargets(const std::vector<SceneObject*>& targets)
{
    m_group.SetTargets(targets);
}

void Tool3DManager::Refresh()
{
    if (!m_active) return;
    const std::vector<SceneObject*>& targets = m_group.GetTargets();
    if (targets.size() == 1)
        m_active->SetTarget(targets.front());
    else
        m_active->SetTarget(&m_group);
}

}  // namespace vynui
