#pragma once
// Edits the parameters of the selected shape on the HUD. Two toolbars:
// "SelectionParameterToolbar" (a column at the left, rebuilt at every
// selection change with one button per parameter of the selected object that
// the editor knows by name) and "GlobalParameterToolbar" (a row at the top
// with the mesh-resolution and manipulation-history buttons).
//
// The buttons are made once and shared between objects; only their binding
// to a parameter changes. Every edit goes through the parameter's own setter,
// which takes the model's lock and reports the change, so refused values stay
// refused and the surface follows.
//
// Ownership: the editor owns its toolbars, buttons and handlers. The history
// button belongs to the constraint manager. The scene manager, surface
// manager and constraint manager are not owned; a scene manager the editor
// is attached to must outlive the attachment (DetachFromScene, or destroy the
// editor first).

#include <map>
#include <memory>
#include <string>

#include "interact/HUDToolbar.h"
#include "scene/IChangeListener.h"
#include "scene/ParameterButtonHandlers.h"
#include "scene/ParameterSliderTarget.h"

namespace vynui {

class CSceneManager;
class CSurfaceManager;
class ConstraintManager;
class FloatParameterSliderButton;
class HUDButton;
class HUDStateButton;
class SceneObject;

class ParameterEditor : public IChangeListener {
public:
    /// How a parameter name maps onto a button. Pointers are the editor's.
    struct Binding {
        HUDButton* button = nullptr;
        DraggableParamButtonHandler* handler = nullptr;
        ParameterSliderTarget* slider = nullptr;
        float minimum = 0.0f;
        float maximum = 0.0f;
        ParameterStateTarget* state = nullptr;
    };

    /// Any may be null and be given later.
    explicit ParameterEditor(CSceneManager* scene = nullptr, CSurfaceManager* surfaces = nullptr,
                             ConstraintManager* constraints = nullptr);
    ~ParameterEditor() override;
    ParameterEditor(const ParameterEditor&) = delete;
    ParameterEditor& operator=(const ParameterEditor&) = delete;

    /// Listens to scene's changes and receives the sweeps its builders make
    /// (its extra-object sink); the previous scene is let go and the
    /// selection toolbar emptied. Null detaches: a view detaches the editor
    /// before its scene manager is deleted.
    void AttachToScene(CSceneManager* scene);
    void DetachFromScene() { AttachToScene(nullptr); }
    CSceneManager* GetScene() const { return m_scene; }
    /// The surface manager the global mesh-resolution button steps.
    void SetSurfaceManager(CSurfaceManager* surfaces);
    /// The constraint manager whose history button joins the global toolbar.
    void SetConstraintManager(ConstraintManager* constraints);

    HUDToolbar& GetSelectionToolbar() { return m_selectionToolbar; }
    HUDToolbar& GetGlobalToolbar() { return m_globalToolbar; }

    /// The next rebuild with one object selected also shows object's
    /// parameters (a new sweep beside the selection).
    void SetExtraObject(SceneObject* object) { m_extra = object; }
    SceneObject* GetExtraObject() const { return m_extra; }

    /// Empties the selection toolbar (every button let go of its
    /// parameter); with exactly one object selected shows its parameters,
    /// then those of the extra object, which is then cleared. With no or
    /// several objects selected the extra object stays set.
    void Rebuild(const OrderedObjectSet& selection);
    /// Adds a button for every parameter of object that has a binding, bound
    /// to that parameter; a button shared by several names is shown once,
    /// bound to the last of them.
    void ShowParametersOf(SceneObject* object);

    /// The binding of a parameter name, or null.
    const Binding* FindBinding(const std::string& parameterName) const;
    const std::map<std::string, Binding>& GetBindings() const { return m_bindings; }

    // The buttons, for the view and for tests.
    FloatParameterSliderButton* GetSliderButton(const std::string& name) const;
    HUDStateButton* GetCapStyleButton() const { return m_capStyle.get(); }
    HUDButton* GetSharpnessButton() const { return m_sharpness.get(); }
    HUDButton* GetMeshResolutionParameterButton() const { return m_meshResParameter.get(); }
    HUDButton* GetMeshResolutionButton() const { return m_meshRes.get(); }
    DraggableFloatParamButtonHandler& GetSharpnessHandler() { return m_sharpnessHandler; }
    DraggableIntegerParamButtonHandler& GetMeshResolutionParameterHandler()
    {
        return m_meshResParameterHandler;
    }
    PolygonizerResolutionButtonHandler& GetMeshResolutionHandler() { return m_meshResHandler; }

    // ---- IChangeListener
    void OnSelectionChanged(const OrderedObjectSet& selection) override;
    void OnSelectionPicked(const OrderedObjectSet& selection) override;

private:
    void BuildButtons();
    void BuildBindings();
    void BindSlider(const std::string& parameter, const std::string& button, float minimum, float maximum);
    void BuildGlobalToolbar();
    void UnbindAll();
    /// The extra object when it is still in the attached scene.
    SceneObject* LiveExtraObject() const;

    CSceneManager* m_scene = nullptr;
    ConstraintManager* m_constraints = nullptr;
    SceneObject* m_extra = nullptr;

    std::map<std::string, std::unique_ptr<FloatParameterSliderButton>> m_sliders;
    ParameterStateTarget m_capStyleTarget;
    std::unique_ptr<HUDStateButton> m_capStyle;
    DraggableFloatParamButtonHandler m_sharpnessHandler;
    std::unique_ptr<HUDButton> m_sharpness;
    DraggableIntegerParamButtonHandler m_meshResParameterHandler;
    std::unique_ptr<HUDButton> m_meshResParameter;
    PolygonizerResolutionButtonHandler m_meshResHandler;
    std::unique_ptr<HUDButton> m_meshRes;

    std::map<std::string, Binding> m_bindings;

    HUDToolbar m_selectionToolbar;
    HUDToolbar m_globalToolbar;
};

/// The process-wide editor, made on first use with the process-wide surface
/// and constraint managers. The view attaches it to its scene manager and
/// adds its toolbars to the HUD.
ParameterEditor& GetParameterEditor();

}  // namespace vynui
