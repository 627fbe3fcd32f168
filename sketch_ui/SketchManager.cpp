#include "sketch_ui/SketchManager.h"

#include <GL/gl.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>

#include "blobtree/RootNode.h"
#include "blobtree_ui/BlobTreeNodeSceneObject.h"
#include "blobtree_ui/BlobTreeSceneObject.h"
#include "blobtree_ui/RootNodeSceneObject.h"
#include "blobtree_ui/leaves/CappedLinearSweepSceneObject.h"
#include "implicit/fields2d/DiscreteFieldGenerator2D.h"
#include "interact/HUDButton.h"
#include "interact/HUDFileIcon.h"
#include "interact/HUDToolbar.h"
#include "interact/ResourceRoot.h"
#include "scene/SceneManager.h"
#include "scene/SceneObjectManager.h"
#include "sketch/Stroke.h"
#include "surface/SurfaceManager.h"
#include "wml/DebugOutput.h"
#include "wml/ExtendedWmlCamera.h"
#include "wml/Intersection.h"
#include "wml/Plane3.h"

namespace vynui {

using vynui_bt::BlobTreeNodeSceneObject;

namespace {

const char* const kOperationTexts[CSketchManager::NumOperations] = {"Linear Sweep",
                                                                    "Blobby Thing",
                                                                    "Bezier Sweep",
                                                                    "Revolution",
                                                                    "Blend Sweep To Surface",
                                                                    "Blend Revolution To Surface",
                                                                    "Cut From Surface",
                                                                    "Points Line",
                                                                    "Surface Points Line",
                                                                    "",
                                                                    "",
                                                                    ""};

struct ButtonInfo {
    const char* name;
    const char* icon;
};

const ButtonInfo kButtons[CSketchManager::NumButtons] = {
    {"ClearSketchButton", "cancel.png"},
    {"BlobbySweepButton", "blobbySweep.png"},
    {"LinearSweepButton", "linearSweep.png"},
    {"BlendBlobbySweepButton", "blendBlobbySweep.png"},
    {"CutSurfaceButton", "cutSurface.png"},
    {"RevolutionButton", "revolution.png"},
    {"SurfacePointsLineButton", "surfacePointsLine.png"},
    {"ResizeSweepButton", "sweepResize.png"},
    {"JoinUnionButton", "joinUnion.png"},
    {"JoinBlendButton", "joinBlend.png"},
};

// Operation run by each button (the clear button runs none).
const int kButtonOperation[CSketchManager::NumButtons] = {-1, 1, 0, 4, 6, 3, 8, 9, 10, 11};

// Toolbar order of the suggestions: operation code and its button.
const int kSuggestionOrder[][2] = {
    {4, CSketchManager::BlendBlobbySweepButton},  {6, CSketchManager::CutSurfaceButton},
    {8, CSketchManager::SurfacePointsLineButton}, {1, CSketchManager::BlobbySweepButton},
    {0, CSketchManager::LinearSweepButton},       {3, CSketchManager::RevolutionButton},
    {9, CSketchManager::ResizeSweepButton},       {10, CSketchManager::JoinUnionButton},
    {11, CSketchManager::JoinBlendButton},
};

bool Finite(const Wml::Vector3<float>& v)
{
    return std::isfinite(v.X()) && std::isfinite(v.Y()) && std::isfinite(v.Z());
}

bool PlaneHit(const Wml::Ray3<float>& ray, const Wml::Vector3<float>& origin,
              const Wml::Vector3<float>& normal, Wml::Vector3<float>& hit)
{
    const float denom = ray.Direction().Dot(normal);
    if (std::fabs(denom) < 1e-12f) return false;
    const float t = (origin - ray.Origin()).Dot(normal) / denom;
    hit = ray.Origin() + ray.Direction() * t;
    return Finite(hit);
}

}  // namespace

// ---- options dialog ------------------------------------------------------

CSketchOptionsDialog::CSketchOptionsDialog(SketchOptionsDialogListener* listener) : m_listener(listener)
{
    // The operations that stand on their own without a button context.
    for (int code : {1, 0, 3, 2, 4, 5, 6, 8}) m_items.push_back(kOperationTexts[code]);
}

SceneObject* CSketchOptionsDialog::OnItemDoubleClicked(const std::string& text)
{
    if (text.empty() || !m_listener) return nullptr;
    for (int code = 0; code < CSketchManager::NumOperations; ++code)
        if (text == kOperationTexts[code]) return m_listener->RunOperation(code);
    return nullptr;
}

void CSketchOptionsDialog::SetParameterSlider(float minimum, float maximum, float value,
                                              const std::string& label)
{
    m_label = label;
    m_sliderEnabled = label != NO_OPTION;
    float position = 0.0f;
    const float range = maximum - minimum;
    if (std::isfinite(range) && range != 0.0f && std::isfinite(value))
        position = (value - minimum) / range * float(SLIDER_RANGE);
    if (!std::isfinite(position)) position = 0.0f;
    m_position = int(std::max(0.0f, std::min(float(SLIDER_RANGE), position)));
}

// ---- button handlers -----------------------------------------------------

class CSketchManager::ButtonHandler : public HUDButtonEventHandler {
public:
    ButtonHandler(CSketchManager* manager, int index) : m_manager(manager), m_index(index) {}
    void OnActivate() override
    {
        if (m_index == ClearSketchButton)
            m_manager->ClearSketch();
        else
            m_manager->RunOperation(kButtonOperation[m_index]);
    }
    int GetIndex() const { return m_index; }

private:
    CSketchManager* m_manager;
    int m_index;
};

// ---- manager -------------------------------------------------------------

std::string CSketchManager::OperationText(int code)
{
    if (code < 0 || code >= NumOperations) return std::string();
    return kOperationTexts[code];
}

CSketchManager::CSketchManager(CSceneManager* scene, CSurfaceManager* surfaces,
                               Wml::ExtendedWmlCamera* camera)
    : m_scene(scene), m_surfaces(surfaces), m_camera(camera), m_factory(new vynsketch::StrokeFactory())
{
    m_dialog.reset(new CSketchOptionsDialog(this));
    m_toolbar.reset(new HUDToolbar("SuggestionListToolbar", HUDToolbar::HORIZONTAL, false));
    const float size = HUDButton::ICON_SIZE;
    for (int i = 0; i < NumButtons; ++i) {
        m_buttons.emplace_back(
            new HUDButton(kButtons[i].name, new HUDFileIcon(GetIconPath(kButtons[i].icon))));
        m_buttons.back()->SetBox(Wml::AxisAlignedBox2<float>(0.0f, size, 0.0f, size));
        m_handlers.emplace_back(new ButtonHandler(this, i));
        m_buttons.back()->AddEventHandler(m_handlers.back().get());
    }
    m_toolbar->Relayout();
    m_toolbar->SetPosition(-0.2f, -1.0f, false);
    m_components.push_back(this);
    if (m_camera) {
        int x = 0, y = 0, w = 0, h = 0;
        m_camera->GetViewport(x, y, w, h);
        if (w > 0 && h > 0) {
            const unsigned area[4] = {unsigned(std::max(0, x)), unsigned(std::max(0, y)), unsigned(w),
                                      unsigned(h)};
            m_factory->SetDrawingAreaSize(area);
        }
    }
    if (m_scene) {
        m_scene->AddChangeListener(this);
        m_scene->SetSketchQuery([this] { return m_factory->GetNumStrokes() > 0; });
    }
    UpdateSuggestions();
}

CSketchManager::~CSketchManager()
{
    DropUndoneStrokes();
    if (m_scene) {
        m_scene->RemoveChangeListener(this);
        m_scene->SetSketchQuery(nullptr);
    }
    m_toolbar->RemoveAll();
}

HUDButton* CSketchManager::GetButton(int index) const
{
    if (index < 0 || index >= NumButtons) return nullptr;
    return m_buttons[std::size_t(index)].get();
}

void CSketchManager::SetSuggest(bool on)
{
    m_suggest = on;
    UpdateSuggestions();
}

bool CSketchManager::OnCommand(const std::string& menuText)
{
    if (menuText == "Clear Strokes") {
        ClearSketch();
        return true;
    }
    if (menuText == "Pop Stroke") {
        PopStroke();
        return true;
    }
    if (menuText == "Suggest Implicits") {
        SetSuggest(!m_suggest);
        return true;
    }
    return false;
}

bool CSketchManager::OnUpdateCommand(const std::string& menuText, CommandState& state)
{
    if (menuText == "Clear Strokes" || menuText == "Pop Stroke") {
        state.enabled = true;
        return true;
    }
    if (menuText == "Suggest Implicits") {
        state.enabled = true;
        state.checked = m_suggest;
        return true;
    }
    return false;
}

// ---- intake --------------------------------------------------------------

bool CSketchManager::OnStroke(const GestureStroke& stroke)
{
    if (stroke.points.size() < 3) return false;
    for (const Wml::Vector2<float>& p : stroke.points)
        if (!std::isfinite(p.X()) || !std::isfinite(p.Y())) return false;
    m_lastStroke = stroke.points;
    Intake(stroke.points);
    return true;
}

void CSketchManager::Intake(const std::vector<Wml::Vector2<float>>& points)
{
    DropUndoneStrokes();
    m_factory->BeginNewStroke();
    m_factory->AddStrokeVertex(points.front());
    m_inSketchStroke = true;
    for (std::size_t i = 1; i + 1 < points.size() && m_inSketchStroke; ++i)
        m_factory->AddStrokeVertex(points[i]);
    m_factory->AddStrokeVertex(points.back());
    const vynsketch::StrokeFactory::StrokeType type = m_factory->EndStroke();
    if (type == vynsketch::StrokeFactory::SharpScribbleStroke && m_factory->GetNumStrokes() > 1)
        m_factory->EraseStrokes(true);
    else if (type == vynsketch::StrokeFactory::MultipleLoopsStroke && m_factory->GetNumStrokes() > 1)
        m_factory->SmoothStrokes(true);
    Project();
    PlaneOrSuggestions();
    m_inSketchStroke = false;
    if (type != vynsketch::StrokeFactory::RejectedStroke) {
        m_lastCreated = nullptr;
        m_dialog->SetParameterSlider(0.0f, 1.0f, 0.5f, CSketchOptionsDialog::NO_OPTION);
    }
    NotifyObservers();
}

void CSketchManager::ReplayLastStroke()
{
    if (m_lastStroke.size() < 3) return;
    const std::vector<Wml::Vector2<float>> points = m_lastStroke;
    Intake(points);
}

bool CSketchManager::OnLine(const GestureSegment& segment)
{
    Wml::Vector2<float> d = segment.end - segment.start;
    const float length = d.Length();
    if (!(length > 0.0f) || !std::isfinite(length)) return false;
    d /= length;
    if (d.Dot(Wml::Vector2<float>(-1.0f, 0.0f)) > 0.9f && m_factory->GetNumStrokes() > 0 &&
        segment.duration < 0.25f && !m_factory->IsSketchyStrokes()) {
        DebugOutput("Time delta: %f\n", double(segment.duration));
        PopStroke();
        return true;
    }
    return false;
}

bool CSketchManager::OnScribble(const Wml::Box2<float>& box)
{
    if (m_factory->GetNumStrokes() == 0) return false;
    DropUndoneStrokes();
    m_factory->EraseStrokes(box);
    Project();
    PlaneOrSuggestions();
    NotifyObservers();
    return true;
}

bool CSketchManager::OnCircle(const Wml::Box2<float>& box)
{
    if (m_factory->GetNumStrokes() == 0) return false;
    DropUndoneStrokes();
    m_factory->SmoothStrokes(box);
    Project();
    PlaneOrSuggestions();
    NotifyObservers();
    return true;
}

void CSketchManager::PopStroke()
{
    DropUndoneStrokes();
    m_factory->RemoveLastStroke();
    Project();
    PlaneOrSuggestions();
    NotifyObservers();
}

bool CSketchManager::UndoStroke()
{
    vynsketch::StrokeFactory::TimedStroke timed = m_factory->DetachLastStroke();
    if (!timed.stroke) return false;
    m_undoneStrokes.push_back(timed);
    Project();
    PlaneOrSuggestions();
    NotifyObservers();
    return true;
}

bool CSketchManager::RedoStroke()
{
    if (m_undoneStrokes.empty()) return false;
    m_factory->ReattachStroke(m_undoneStrokes.back());
    m_undoneStrokes.pop_back();
    Project();
    PlaneOrSuggestions();
    NotifyObservers();
    return true;
}

void CSketchManager::DropUndoneStrokes()
{
    for (const vynsketch::StrokeFactory::TimedStroke& timed : m_undoneStrokes) delete timed.stroke;
    m_undoneStrokes.clear();
}

void CSketchManager::ClearSketch()
{
    DropUndoneStrokes();
    m_factory->ClearStrokes();
    m_context.Clear();
    UpdateSuggestions();
    NotifyObservers();
}

void CSketchManager::NotifyObservers()
{
    const std::set<SketchObserver*> observers = m_observers;
    for (SketchObserver* observer : observers)
        if (m_observers.count(observer)) observer->OnSketchChanged();
}

void CSketchManager::OnCuttingPlaneSet(const Wml::Frame3<float>&)
{
    m_cuttingPlaneActive = true;
}

void CSketchManager::OnCuttingPlaneCleared()
{
    m_cuttingPlaneActive = false;
}

void CSketchManager::SetDrawingAreaSize(const unsigned int area[4])
{
    m_factory->SetDrawingAreaSize(area);
}

void CSketchManager::SetResizePoints(const Wml::Vector3<float>& a, const Wml::Vector3<float>& b)
{
    m_resizePoints[0] = a;
    m_resizePoints[1] = b;
}

// ---- projection ----------------------------------------------------------

Wml::Ray3<float> CSketchManager::PickRay(const Wml::Vector2<float>& point) const
{
    // Sketch points are window pixels counted from the bottom, as the
    // camera's pick rays take them.
    const float limit = 1.0e8f;
    const int x = int(std::max(-limit, std::min(limit, point.X())));
    const int y = int(std::max(-limit, std::min(limit, point.Y())));
    return m_camera->GetPickRay(x, y);
}

void CSketchManager::CastSample(SketchSample& sample)
{
    sample.object = nullptr;
    if (!m_camera) return;
    const Wml::Ray3<float> ray = PickRay(sample.screenPoint);
    if (!Finite(ray.Origin()) || !Finite(ray.Direction())) return;

    SurfaceTreeNode* top =
        m_surfaces && m_surfaces->GetNumChains() > 0 ? m_surfaces->GetChainTop(0) : nullptr;
    if (top && top->GetChild()) {
        Wml::Vector3<float> hit, normal;
        unsigned triangle = 0;
        // A segment long enough to cross the whole scene.
        const Wml::Vector3<float> far = ray.Origin() + ray.Direction() * 1.0e4f;
        if (top->IntersectRay(ray.Origin(), far, hit, normal, triangle)) {
            sample.surfacePoint = hit;
            sample.surfaceNormal = normal;
            sample.object = top;
        }
        m_context.onDetailSurface = true;
        return;
    }
    if (!m_scene) return;

    std::vector<SceneObject*> candidates;
    for (SceneObject* object : m_scene->GetObjectManager()->GetSelection())
        if (dynamic_cast<BlobTreeNodeSceneObject*>(object)) candidates.push_back(object);
    vynui_bt::RootNodeSceneObject* rootObject = m_scene->GetRootSceneObject();
    if (candidates.empty() && rootObject) candidates = rootObject->GetChildren();
    vynbt::RootNode* root = rootObject ? rootObject->GetRootNode() : nullptr;
    if (!root) return;

    Wml::AxisAlignedBox3<float> bounds;
    root->FieldBounds(bounds);
    // With a cutting plane on, what lies in front of it is not there: a ray
    // meets the cut face or the shape behind the plane.
    Wml::Frame3<float> plane;
    const bool cut = m_cuttingPlaneActive && root->GetCuttingPlane(plane);
    const Wml::Vector3<float> planeNormal = cut ? plane.Z() : Wml::Vector3<float>::ZERO;
    float nearest = FLT_MAX;
    for (SceneObject* candidate : candidates) {
        auto* object = dynamic_cast<BlobTreeNodeSceneObject*>(candidate);
        if (!object || !object->GetNode()) continue;
        vynbt::BlobTreeNode* node = object->GetNode();
        Wml::Vector3<float> hit;
        if (!node->FindIntersection(ray.Origin(), ray.Direction(), hit, &bounds, 0.0f, 0.5f, 10)) continue;
        bool onCutFace = false;
        if (cut && planeNormal.Dot(hit - plane.Origin()) > 0.0f) {
            const float towards = ray.Direction().Dot(planeNormal);
            if (!(towards < 0.0f)) continue;  // the ray stays on the removed side
            const float t = (plane.Origin() - ray.Origin()).Dot(planeNormal) / towards;
            const Wml::Vector3<float> entry = ray.Origin() + ray.Direction() * t;
            if (!Finite(entry)) continue;
            if (node->Value(entry.X(), entry.Y(), entry.Z()) >= 0.5f) {
                hit = entry;
                onCutFace = true;
            } else if (!node->FindIntersection(entry, ray.Direction(), hit, &bounds, 0.0f, 0.5f, 10)) {
                continue;
            }
        }
        const float along = (hit - ray.Origin()).Dot(ray.Direction());
        if (!(along < nearest)) continue;
        nearest = along;
        Wml::Vector3<float> normal = planeNormal;
        if (!onCutFace) {
            float gx = 0, gy = 0, gz = 0;
            node->Gradient(hit.X(), hit.Y(), hit.Z(), gx, gy, gz, nullptr);
            normal = Wml::Vector3<float>(-gx, -gy, -gz);
        }
        const float length = normal.Length();
        sample.surfaceNormal =
            length > 0.0f && std::isfinite(length) ? normal / length : Wml::Vector3<float>::ZERO;
        sample.surfacePoint = hit;
        sample.object = object;
    }
}

void CSketchManager::Project()
{
    m_context.Clear();
    for (unsigned s = 0; s < m_factory->GetNumStrokes(); ++s) {
        vynsketch::Stroke* stroke = m_factory->GetStroke(s);
        SketchContext::Range range;
        range.first = unsigned(m_context.strokeSamples.size());
        if (stroke) {
            for (unsigned i = 0; i < stroke->GetNumVertices(); ++i) {
                SketchSample sample;
                sample.strokeIndex = int(s);
                sample.screenPoint = stroke->GetVertex(i);
                CastSample(sample);
                m_context.strokeSamples.push_back(sample);
            }
        }
        range.count = unsigned(m_context.strokeSamples.size()) - range.first;
        m_context.strokeRanges.push_back(range);
    }
    if (m_factory->GetNumStrokes() > 0) m_context.polyline = m_factory->GetCurrentPolyLine(0.0001);
    for (const Wml::Vector2<float>& p : m_context.polyline.GetVertices()) {
        SketchSample sample;
        sample.strokeIndex = -1;
        sample.screenPoint = p;
        CastSample(sample);
        m_context.polylineSamples.push_back(sample);
    }
}

void* CSketchManager::GetFirstHitObject() const
{
    for (const SketchSample& sample : m_context.strokeSamples)
        if (sample.object) return sample.object;
    return nullptr;
}

void* CSketchManager::GetLastHitObject() const
{
    for (auto it = m_context.strokeSamples.rbegin(); it != m_context.strokeSamples.rend(); ++it)
        if (it->object) return it->object;
    return nullptr;
}

std::vector<bool> CSketchManager::RunPattern() const
{
    std::vector<bool> pattern;
    for (const SketchSample& sample : m_context.strokeSamples) {
        const bool hit = sample.object != nullptr;
        if (pattern.empty() || pattern.back() != hit) pattern.push_back(hit);
    }
    return pattern;
}

bool CSketchManager::AllHit() const
{
    if (m_context.strokeSamples.empty()) return false;
    for (const SketchSample& sample : m_context.strokeSamples)
        if (!sample.object) return false;
    return true;
}

bool CSketchManager::HasClosedPolyLine() const
{
    const Wml::LinearComplex2<float>& line = m_context.polyline;
    return line.GetNumVertices() > 3 && line.IsClosed() && line.IsSimple();
}

Wml::AxisAlignedBox2<float> CSketchManager::GetStrokeBox(unsigned stroke) const
{
    Wml::AxisAlignedBox2<float> box;
    if (stroke >= m_context.strokeRanges.size()) return box;
    const SketchContext::Range& range = m_context.strokeRanges[stroke];
    for (unsigned i = range.first; i < range.first + range.count; ++i) {
        const Wml::Vector2<float>& p = m_context.strokeSamples[i].screenPoint;
        box = Wml::AxisAlignedBox2<float>(std::min(box.Min(0), p.X()), std::max(box.Max(0), p.X()),
                                          std::min(box.Min(1), p.Y()), std::max(box.Max(1), p.Y()));
    }
    return box;
}

// ---- suggestions ---------------------------------------------------------

void CSketchManager::AddComponent(ISketchInterfaceComponent* component)
{
    if (component && std::find(m_components.begin(), m_components.end(), component) == m_components.end())
        m_components.push_back(component);
}

void CSketchManager::RemoveComponent(ISketchInterfaceComponent* component)
{
    if (component == this) return;
    m_components.erase(std::remove(m_components.begin(), m_components.end(), component), m_components.end());
}

void CSketchManager::AddSuggestions(HUDToolbar* toolbar)
{
    if (!m_suggest || m_context.strokeSamples.empty() || !toolbar) return;
    const bool closed = HasClosedPolyLine();
    const std::vector<bool> pattern = RunPattern();
    const bool allHit = AllHit();
    const std::size_t n = m_context.strokeSamples.size();
    auto begins = [&](bool a, bool b, bool c) {
        return pattern.size() >= 3 && pattern[0] == a && pattern[1] == b && pattern[2] == c;
    };
    std::set<int> codes;
    if (closed && (allHit || (n > 4 && begins(false, true, false)))) codes.insert(CutFromSurface);
    if (closed && (allHit || (n > 4 && begins(true, false, true)))) {
        codes.insert(BlendSweepToSurface);
        codes.insert(BlendRevolutionToSurface);
    }
    void* first = GetFirstHitObject();
    void* last = GetLastHitObject();
    if (first && last && first != last) {
        codes.insert(JoinUnion);
        codes.insert(JoinBlend);
    }
    if (closed) {
        codes.insert(Revolution);
        codes.insert(LinearSweep);
        codes.insert(BlobbySweep);
        codes.insert(BezierSweep);
    }
    if (!m_context.strokeRanges.empty() && m_context.strokeRanges[0].count > 0) {
        bool firstAllHit = true;
        const SketchContext::Range& range = m_context.strokeRanges[0];
        for (unsigned i = range.first; i < range.first + range.count; ++i)
            firstAllHit = firstAllHit && m_context.strokeSamples[i].object;
        if (firstAllHit) codes.insert(SurfacePointsLine);
    }
    for (const auto& entry : kSuggestionOrder)
        if (codes.count(entry[0])) toolbar->AddButton(m_buttons[std::size_t(entry[1])].get());
}

void CSketchManager::UpdateSuggestions()
{
    m_toolbar->RemoveAll();
    if (m_factory->GetNumStrokes() > 0) m_toolbar->AddButton(m_buttons[ClearSketchButton].get());
    ISketchInterfaceComponent* exclusive = nullptr;
    for (ISketchInterfaceComponent* component : m_components)
        if (component->IsExclusive()) {
            exclusive = component;
            break;
        }
    if (exclusive)
        exclusive->AddSuggestions(m_toolbar.get());
    else
        for (ISketchInterfaceComponent* component : std::vector<ISketchInterfaceComponent*>(m_components))
            component->AddSuggestions(m_toolbar.get());
    m_toolbar->Relayout();
    m_toolbar->SetPosition(-0.2f, -1.0f, false);
    NotifyObservers();
}

// ---- cutting plane -------------------------------------------------------

bool CSketchManager::IsCuttingPlaneGesture() const
{
    const std::vector<SketchSample>& samples = m_context.strokeSamples;
    if (samples.size() <= 2) return false;
    const std::vector<bool> pattern = RunPattern();
    if (!(pattern.size() >= 3 && !pattern[0] && pattern[1] && !pattern[2])) return false;
    auto unit = [](Wml::Vector2<float> v) {
        const float l = v.Length();
        return l > 0.0f ? v / l : Wml::Vector2<float>(0.0f, 0.0f);
    };
    std::vector<Wml::Vector2<float>> corners{samples[0].screenPoint};
    Wml::Vector2<float> running = unit(samples[1].screenPoint - samples[0].screenPoint);
    for (std::size_t i = 1; i + 1 < samples.size() && corners.size() < 5; ++i) {
        const Wml::Vector2<float> d = unit(samples[i + 1].screenPoint - samples[i].screenPoint);
        if (d.Dot(running) < 0.9f) {
            corners.push_back(samples[i].screenPoint);
            running = d;
        }
    }
    corners.push_back(samples.back().screenPoint);
    if (corners.size() != 3 && corners.size() != 4) return false;
    const std::size_t k = corners.size() - 1;
    const Wml::Vector2<float> firstLeg = unit(corners[0] - corners[1]);
    const Wml::Vector2<float> lastLeg = unit(corners[k] - corners[k - 1]);
    return std::fabs(firstLeg.Dot(lastLeg)) < 0.3f;
}

bool CSketchManager::PlaneOrSuggestions()
{
    if (IsCuttingPlaneGesture()) {
        CuttingPlaneAction();
        return true;
    }
    UpdateSuggestions();
    return false;
}

void CSketchManager::CuttingPlaneAction()
{
    const std::vector<SketchSample>& samples = m_context.strokeSamples;
    Wml::Vector3<float> origin = Wml::Vector3<float>::ZERO;
    int hits = 0;
    const SketchSample* firstHit = nullptr;
    const SketchSample* lastHit = nullptr;
    for (const SketchSample& sample : samples) {
        if (!sample.object) continue;
        origin += sample.surfacePoint;
        ++hits;
        if (!firstHit) firstHit = &sample;
        lastHit = &sample;
    }
    if (hits == 0 || !m_camera) return;
    origin /= float(hits);
    const Wml::Vector3<float> d0 = PickRay(firstHit->screenPoint).Direction();
    const Wml::Vector3<float> d1 = PickRay(lastHit->screenPoint).Direction();
    Wml::Vector3<float> n = d0.Cross(d1);
    const float length = n.Length();
    if (length > 0.0f && std::isfinite(length) && Finite(origin)) {
        n /= length;
        const Wml::Vector3<float> d = PickRay(samples.back().screenPoint).Direction();
        if ((d - d1).Dot(n) > 0.0f) n = -n;
        if (m_scene) m_scene->SetCuttingPlane(Wml::Frame3<float>::FromOriginAndNormal(origin, n));
    }
    m_context.Clear();
    UpdateSuggestions();
    NotifyObservers();
}

// ---- operations ----------------------------------------------------------

bool CSketchManager::Compute3DFrame(const Wml::AxisAlignedBox2<float>& box, Wml::Frame3<float>& frame,
                                    float& halfWidth, float& halfHeight, bool attach, void* requiredHit)
{
    if (!m_camera || !(box.Max(0) >= box.Min(0)) || !(box.Max(1) >= box.Min(1))) return false;
    Wml::Vector3<float> z = -m_camera->GetDirection();
    z.Normalize();
    Wml::Vector3<float> x = m_camera->GetUp().Cross(z);
    x.Normalize();
    Wml::Vector3<float> y = z.Cross(x);
    y.Normalize();

    const float cx = 0.5f * (box.Min(0) + box.Max(0));
    const float cy = 0.5f * (box.Min(1) + box.Max(1));
    const Wml::Ray3<float> centre = PickRay(Wml::Vector2<float>(cx, cy));
    Wml::Vector3<float> origin;
    bool placed = false;
    if (attach && !m_context.strokeSamples.empty()) {
        const float base = centre.Origin().Dot(centre.Direction());
        float depth = 0.0f;
        for (const SketchSample& sample : m_context.strokeSamples) {
            if (!sample.object || (requiredHit && sample.object != requiredHit)) continue;
            depth = std::max(depth, sample.surfacePoint.Dot(centre.Direction()) - base);
        }
        origin = centre.Origin() + centre.Direction() * depth;
        placed = true;
    }
    if (!placed && !PlaneHit(centre, Wml::Vector3<float>::ZERO, z, origin)) return false;

    frame.SetFrame(origin, x, y, z);
    frame.ReNormalize();

    Wml::Vector3<float> right, top;
    if (!PlaneHit(PickRay(Wml::Vector2<float>(box.Max(0), cy)), origin, z, right) ||
        !PlaneHit(PickRay(Wml::Vector2<float>(cx, box.Max(1))), origin, z, top))
        return false;
    halfWidth = (right - origin).Length();
    halfHeight = (top - origin).Length();
    DebugOutput("Compute3DFrame results are %f %f\n", double(halfWidth), double(halfHeight));
    return std::isfinite(halfWidth) && std::isfinite(halfHeight) && halfWidth > 0.0f && halfHeight > 0.0f;
}

BlobTreeNodeSceneObject* CSketchManager::HitNode(void* object) const
{
    // Hits on a detail surface are surface nodes, not shapes of the tree.
    if (!object || m_context.onDetailSurface || !m_scene) return nullptr;
    for (const SketchSample& sample : m_context.strokeSamples)
        if (sample.object == object) {
            auto* scene = static_cast<BlobTreeNodeSceneObject*>(sample.object);
            return m_scene->GetObjectManager()->IsRegistered(scene) ? scene : nullptr;
        }
    return nullptr;
}

bool CSketchManager::AnyBlobTreeObject() const
{
    vynui_bt::RootNodeSceneObject* root = m_scene ? m_scene->GetRootSceneObject() : nullptr;
    return root && !root->GetChildren().empty();
}

SceneObject* CSketchManager::RunOperation(int code)
{
    if (!m_scene || code < 0 || code >= NumOperations) return nullptr;
    SceneObject* result = nullptr;
    switch (code) {
        case PointsLine:
            break;
        case SurfacePointsLine:
            result = RunSurfacePoints();
            break;
        case ResizeSweep:
            result = RunResize();
            break;
        case JoinUnion:
        case JoinBlend:
            result = RunJoin(code == JoinBlend);
            break;
        default:
            result = RunTemplateOperation(code);
            break;
    }
    if (code == PointsLine || result) {
        m_lastCreated = result;
        m_lastOperation = code;
    }
    return result;
}

SceneObject* CSketchManager::RunTemplateOperation(int code)
{
    BlobTreeNodeSceneObject* target = nullptr;
    if (code == BlendSweepToSurface || code == BlendRevolutionToSurface || code == CutFromSurface) {
        target = HitNode(GetFirstHitObject());
        if (!target) return nullptr;
    }
    if (m_factory->GetNumStrokes() == 0) return nullptr;
    const Wml::LinearComplex2<float> outline = m_factory->GetCurrentPolyLine(0.0001);
    vynimplicit::DiscreteFieldGenerator2D generator(outline);
    if (generator.GetNumLoops() == 0) return nullptr;

    const bool heightField = code == LinearSweep || code == BlobbySweep;
    Wml::AxisAlignedBox2<float> box = outline.ComputeBounds();
    std::shared_ptr<vynimplicit::DynDiscreteScalarField2D> field;
    if (heightField) {
        field.reset(generator.MakeField(128, box, 0.35f));
        if (field)
            DebugOutput("fieldgen.PolyBounds box is %f,%f - %f,%f\n, ", double(box.Min(0)),
                        double(box.Min(1)), double(box.Max(0)), double(box.Max(1)));
    } else {
        field.reset(generator.MakeDynFieldVariational(128, true, 0.01f, nullptr));
    }
    if (!field) return nullptr;

    const bool attach = code == BlendSweepToSurface || code == CutFromSurface ||
                        (heightField && AnyBlobTreeObject() && GetFirstHitObject());
    Wml::Frame3<float> frame;
    float hw = 0.0f, hh = 0.0f;
    if (!Compute3DFrame(box, frame, hw, hh, attach, nullptr)) return nullptr;
    const float larger = std::max(hw, hh);
    const float area = hw * hh;

    if (heightField) {
        const float sx = box.Max(0) - box.Min(0), sy = box.Max(1) - box.Min(1);
        DebugOutput("Scalefactors: %f %f\n", double(sx), double(sy));
        field->SetBoundsCropScalingFactors(sx, sy);
        DebugOutput(" Sweep Area: %f   (width: %f  height: %f)\n", double(area), double(hw), double(hh));
        const bool blobby = code == BlobbySweep;
        // The caps of a blobby shape bulge by the second parameter on each
        // side; past the outline's narrower half extent a long outline would
        // come out thicker than it is wide.
        const float s = blobby ? std::min(std::sqrt(area), std::min(hw, hh)) : std::sqrt(area);
        const float depth = blobby ? 0.001f : 0.7f * s;
        const float second = blobby ? s : 0.3f * s;
        // A flat-faced sweep shows its near face to the viewer: shrink the
        // template by the perspective of that face so it covers the outline
        // as drawn rather than looming larger.
        float shrink = 1.0f;
        if (!blobby && m_camera && m_camera->IsPerspective()) {
            const float distance = (frame.Origin() - m_camera->GetLocation()).Dot(m_camera->GetDirection());
            const float nearFace = distance - 0.5f * depth;
            if (distance > 0.0f && nearFace > 0.0f && std::isfinite(distance)) shrink = nearFace / distance;
        }
        const float e = 1.7f * larger * shrink;
        if (!field->SetFieldBounds(Wml::AxisAlignedBox2<float>(-e, e, -e, e))) return nullptr;
        ClearSketch();
        return m_scene->AddLinearSweep(field, frame, blobby, depth, second);
    }

    const float e = 3.0f * larger;
    if (!field->SetFieldBounds(Wml::AxisAlignedBox2<float>(-e, e, -e, e))) return nullptr;
    field->ClampBoundsToZeroContour();
    switch (code) {
        case BezierSweep: {
            DebugOutput(" Sweep Area: %f   (width: %f  height: %f)\n", double(area), double(hw), double(hh));
            field->SetFieldBounds(Wml::AxisAlignedBox2<float>(-0.3f, 0.3f, -0.3f, 0.3f));
            return m_scene->AddCurveSweep(field, true, 0.25f);
        }
        case Revolution:
            ClearSketch();
            return m_scene->AddRevolution(field, frame);
        case BlendSweepToSurface:
            DebugOutput(" Sweep Area: %f   (width: %f  height: %f)\n", double(area), double(hw), double(hh));
            ClearSketch();
            return m_scene->BlendWithSweep(target, field, frame, true, 0.01f, std::sqrt(area));
        case BlendRevolutionToSurface:
            // The blended-revolution builder takes the scene's model; a hit
            // shape is refused there and nothing is made.
            return m_scene->AddBlendedRevolution(
                dynamic_cast<vynui_bt::BlobTreeSceneObject*>(static_cast<SceneObject*>(target)), field,
                frame);
        case CutFromSurface:
            ClearSketch();
            return m_scene->CutWithSweep(target, field, frame);
        default:
            return nullptr;
    }
}

SceneObject* CSketchManager::RunSurfacePoints()
{
    std::vector<Wml::Vector3<float>> points;
    for (const SketchSample& sample : m_context.polylineSamples)
        if (sample.object) points.push_back(sample.surfacePoint);
    if (points.empty()) return nullptr;
    ClearSketch();
    return m_scene->AddPolyLine(points, 0.15f);
}

SceneObject* CSketchManager::RunJoin(bool blend)
{
    BlobTreeNodeSceneObject* first = HitNode(GetFirstHitObject());
    BlobTreeNodeSceneObject* last = HitNode(GetLastHitObject());
    if (!first || !last || first == last) return nullptr;
    // Only shapes that can leave their parents can be joined; check before
    // the sketch is dropped so a refused join keeps it.
    if (!dynamic_cast<BlobTreeNodeSceneObject*>(first->GetParent()) ||
        !dynamic_cast<BlobTreeNodeSceneObject*>(last->GetParent()))
        return nullptr;
    ClearSketch();
    return m_scene->Blend(first, last, blend);
}

SceneObject* CSketchManager::RunResize()
{
    // The selected flat sweep takes the length between the two resize
    // points; without them, between the first and last points where the
    // stroke ran over that sweep.
    vynui_bt::CappedLinearSweepSceneObject* sweep = nullptr;
    for (SceneObject* object : m_scene->GetObjectManager()->GetSelection())
        if ((sweep = dynamic_cast<vynui_bt::CappedLinearSweepSceneObject*>(object))) break;
    if (!sweep) return nullptr;
    Wml::Vector3<float> a = m_resizePoints[0], b = m_resizePoints[1];
    if (!((b - a).Length() > 0.0f)) {
        const SketchSample* first = nullptr;
        const SketchSample* last = nullptr;
        for (const SketchSample& sample : m_context.strokeSamples)
            if (sample.object == static_cast<BlobTreeNodeSceneObject*>(sweep)) {
                if (!first) first = &sample;
                last = &sample;
            }
        if (!first) return nullptr;
        a = first->surfacePoint;
        b = last->surfacePoint;
    }
    const float length = (b - a).Length();
    if (!(length > 0.0f) || !std::isfinite(length)) return nullptr;
    ClearSketch();
    m_scene->AdjustSweepLengths(length);
    return sweep;
}

// ---- overlay -------------------------------------------------------------

void CSketchManager::Draw()
{
    if (!m_drawnOnce) {
        m_drawnOnce = true;
        UpdateSuggestions();
    }
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    if (m_factory->GetNumStrokes() > 0) {
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        glOrtho(0.0, 1.0, 0.0, 1.0, -1.0, 1.0);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glColor4f(1.0f, 0.45f, 0.45f, 0.25f);
        glBegin(GL_QUADS);
        glVertex2f(0.0f, 0.0f);
        glVertex2f(1.0f, 0.0f);
        glVertex2f(1.0f, 1.0f);
        glVertex2f(0.0f, 1.0f);
        glEnd();
        glPopMatrix();
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);

        glPushAttrib(GL_ALL_ATTRIB_BITS);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glLineWidth(8.0f);
        glColor4f(0.0f, 0.0f, 1.0f, 0.3f);
        m_factory->DrawStrokes();
        glPopAttrib();
    }
    if (HasClosedPolyLine()) {
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        glEnable(GL_LINE_STIPPLE);
        glLineStipple(1, 0xF0F0);
        glLineWidth(3.0f);
        glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
        m_factory->DrawCurrentPolyLine();
        glPopAttrib();
    }
    glPopAttrib();
}

CSketchManager* GetSketchManager(Wml::ExtendedWmlCamera* camera)
{
    static CSketchManager* manager = nullptr;
    if (!manager) manager = new CSketchManager(GetSceneManager(), GetSurfaceManager(), camera);
    return manager;
}

}  // namespace vynui
