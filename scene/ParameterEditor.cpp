#include "scene/ParameterEditor.h"

#include "interact/ConstraintManager.h"
#include "interact/HUDButton.h"
#include "interact/HUDFileIcon.h"
#include "interact/HUDStateButton.h"
#include "interact/ResourceRoot.h"
#include "scene/FloatParameterSliderButton.h"
#include "scene/GenericFloatParameter.h"
#include "scene/IParameter.h"
#include "scene/ParameterList.h"
#include "scene/SceneManager.h"
#include "scene/SceneObject.h"
#include "scene/SceneObjectManager.h"
#include "surface/SurfaceManager.h"

namespace vynui {

namespace {

// The slider buttons: name and icon.
const struct {
    const char* name;
    const char* icon;
} SLIDERS[] = {
    {"WidthButton", "SweepLength.png"},     {"BlobFalloffWidthButton", "FalloffWidth.png"},
    {"BlendPowerButton", "blendPower.png"}, {"RadiusButton", "sphereRadius.png"},
    {"OffsetButton", "bumpHeight.png"},     {"FalloffButton", "bumpHardness.png"},
    {"TaperButton", "taper.png"},
};

}  // namespace

ParameterEditor::ParameterEditor(CSceneManager* scene, CSurfaceManager* surfaces,
                                 ConstraintManager* constraints)
    : m_meshResHandler(surfaces),
      m_selectionToolbar("SelectionParameterToolbar", HUDToolbar::VERTICAL, false),
      m_globalToolbar("GlobalParameterToolbar", HUDToolbar::HORIZONTAL, false)
{
    BuildButtons();
    BuildBindings();
    // Placed while they hold only their close buttons: the buttons then hang
    // below and beside those, inside the view.
    m_selectionToolbar.SetPosition(-1.0f, 0.0f, false);
    m_globalToolbar.SetPosition(-1.0f, 0.95f, false);
    m_constraints = constraints;
    BuildGlobalToolbar();
    AttachToScene(scene);
}

ParameterEditor::~ParameterEditor()
{
    DetachFromScene();
}

void ParameterEditor::BuildButtons()
{
    for (const auto& slider : SLIDERS) {
        auto button = std::make_unique<FloatParameterSliderButton>(slider.name, GetIconPath(slider.icon));
        button->GetTarget().SetMapping(ParameterSliderTarget::LINEAR);
        m_sliders[slider.name] = std::move(button);
    }

    m_capStyle = std::make_unique<HUDStateButton>("BlobEndCapStyle", &m_capStyleTarget);
    m_capStyle->AddState(1, GetIconPath("EndCapBlobby.png"));
    m_capStyle->AddState(0, GetIconPath("EndCapRounded.png"));
    m_capStyle->AddState(2, GetIconPath("EndCapSharp.png"));

    m_sharpness = std::make_unique<HUDButton>("SharpnessButton",
                                              new HUDFileIcon(GetIconPath("smoothDiffSharpness.png")));
    m_sharpness->AddEventHandler(&m_sharpnessHandler);

    m_meshResParameter =
        std::make_unique<HUDButton>("MeshResButton", new HUDFileIcon(GetIconPath("meshResolution.png")));
    m_meshResParameter->AddEventHandler(&m_meshResParameterHandler);

    m_meshRes =
        std::make_unique<HUDButton>("MeshResButton", new HUDFileIcon(GetIconPath("meshResolution.png")));
    m_meshRes->AddEventHandler(&m_meshResHandler);
}

void ParameterEditor::BindSlider(const std::string& parameter, const std::string& button, float minimum,
                                 float maximum)
{
    FloatParameterSliderButton* slider = m_sliders.at(button).get();
    Binding binding;
    binding.button = slider;
    binding.slider = &slider->GetTarget();
    binding.minimum = minimum;
    binding.maximum = maximum;
    m_bindings[parameter] = binding;
}

void ParameterEditor::BuildBindings()
{
    BindSlider("Falloff Length", "BlobFalloffWidthButton", 0.01f, 10.0f);
    BindSlider("Width", "WidthButton", 0.01f, 10.0f);
    BindSlider("Length", "WidthButton", 0.01f, 10.0f);
    BindSlider("Thickness", "WidthButton", 1e-07f, 1.0f);
    BindSlider("Offset", "OffsetButton", -1.0f, 1.0f);
    BindSlider("Falloff", "FalloffButton", 0.0f, 1.0f);
    BindSlider("BlendHeight", "FalloffButton", 0.0f, 1.0f);
    BindSlider("Taper", "TaperButton", -1.0f, 10.0f);
    BindSlider("Blend Power", "BlendPowerButton", 1.0f, 20.0f);
    BindSlider("Radius", "RadiusButton", 0.01f, 25.0f);
    BindSlider("Transition Width", "FalloffButton", 0.0f, 5.0f);

    Binding sharpness;
    sharpness.button = m_sharpness.get();
    sharpness.handler = &m_sharpnessHandler;
    m_bindings["Sharpness"] = sharpness;

    Binding capStyle;
    capStyle.button = m_capStyle.get();
    capStyle.state = &m_capStyleTarget;
    m_bindings["Cap Style"] = capStyle;

    Binding meshRes;
    meshRes.button = m_meshResParameter.get();
    meshRes.handler = &m_meshResParameterHandler;
    m_bindings["Mesh Resolution"] = meshRes;
}

void ParameterEditor::BuildGlobalToolbar()
{
    m_globalToolbar.RemoveAll();
    m_globalToolbar.AddButton(m_meshRes.get());
    if (m_constraints) m_globalToolbar.AddButton(m_constraints->GetHistoryButton());
}

void ParameterEditor::AttachToScene(CSceneManager* scene)
{
    if (m_scene == scene) return;
    if (m_scene) {
        m_scene->RemoveChangeListener(this);
        m_scene->SetExtraObjectSink(nullptr);
    }
    // What the toolbar shows belongs to the old scene, which may go away next.
    UnbindAll();
    m_selectionToolbar.RemoveAll();
    m_scene = scene;
    m_extra = nullptr;
    if (m_scene) {
        m_scene->AddChangeListener(this);
        m_scene->SetExtraObjectSink([this](SceneObject* object) { SetExtraObject(object); });
    }
}

void ParameterEditor::SetSurfaceManager(CSurfaceManager* surfaces)
{
    m_meshResHandler.SetSurfaceManager(surfaces);
}

void ParameterEditor::SetConstraintManager(ConstraintManager* constraints)
{
    if (m_constraints == constraints) return;
    m_constraints = constraints;
    BuildGlobalToolbar();
}

const ParameterEditor::Binding* ParameterEditor::FindBinding(const std::string& parameterName) const
{
    auto it = m_bindings.find(parameterName);
    return it == m_bindings.end() ? nullptr : &it->second;
}

FloatParameterSliderButton* ParameterEditor::GetSliderButton(const std::string& name) const
{
    auto it = m_sliders.find(name);
    return it == m_sliders.end() ? nullptr : it->second.get();
}

void ParameterEditor::UnbindAll()
{
    // A button off the toolbar must not keep a parameter of an object that
    // may be deleted next.
    for (auto& entry : m_bindings) {
        Binding& binding = entry.second;
        if (binding.handler) binding.handler->Unbind();
        if (binding.slider) binding.slider->Unbind();
        if (binding.state) binding.state->Unbind();
    }
}

SceneObject* ParameterEditor::LiveExtraObject() const
{
    if (!m_extra) return nullptr;
    if (m_scene && !m_scene->GetObjectManager()->IsRegistered(m_extra)) return nullptr;
    return m_extra;
}

void ParameterEditor::Rebuild(const OrderedObjectSet& selection)
{
    UnbindAll();
    m_selectionToolbar.RemoveAll();
    if (selection.Size() != 1) return;
    ShowParametersOf(selection.Items().front());
    if (SceneObject* extra = LiveExtraObject()) ShowParametersOf(extra);
    m_extra = nullptr;
}

void ParameterEditor::ShowParametersOf(SceneObject* object)
{
    ParameterList* list = object ? object->GetParameterList() : nullptr;
    if (!list) return;
    for (IParameter* parameter : list->GetParameters()) {
        if (!parameter) continue;
        auto it = m_bindings.find(parameter->GetName());
        if (it == m_bindings.end()) continue;
        Binding& binding = it->second;
        switch (parameter->GetType()) {
            case PARAMETER_INTEGER:
                if (binding.handler)
                    binding.handler->BindInteger(parameter);
                else if (binding.state)
                    binding.state->Bind(parameter);  // a cap style kept as a plain integer
                break;
            case PARAMETER_FLOAT:
                if (binding.handler) {
                    binding.handler->BindFloat(parameter);
                } else if (binding.slider) {
                    if (auto* ranged = dynamic_cast<GenericFloatParameter*>(parameter))
                        binding.slider->SetValueRange(ranged->GetMinimum(), ranged->GetMaximum());
                    binding.slider->Bind(parameter, binding.minimum, binding.maximum);
                }
                break;
            case PARAMETER_NAMED_INTEGER:
                if (binding.state) binding.state->Bind(parameter);
                break;
            default:
                if (binding.handler) binding.handler->Unbind();
                if (binding.slider) binding.slider->Unbind();
                if (binding.state) binding.state->Unbind();
                break;
        }
        m_selectionToolbar.AddButton(binding.button);
    }
}

void ParameterEditor::OnSelectionChanged(const OrderedObjectSet& selection)
{
    Rebuild(selection);
}

void ParameterEditor::OnSelectionPicked(const OrderedObjectSet& selection)
{
    Rebuild(selection);
}

ParameterEditor& GetParameterEditor()
{
    static ParameterEditor* editor =
        new ParameterEditor(nullptr, GetSurfaceManager(), &GetConstraintManager());
    return *editor;
}

}  // namespace vynui
