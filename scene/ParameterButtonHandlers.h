#pragma once
// What the parameter buttons do when dragged, and the adapter that lets a
// state button show and set an integer parameter. Every edit goes through the
// parameter's own setter, so values the parameter refuses stay refused.

#include "interact/HUDEventHandler.h"
#include "interact/HUDStateButton.h"

namespace vynui {

class CSurfaceManager;
class IParameter;

/// A button handler bound to at most one parameter (not owned).
class DraggableParamButtonHandler : public HUDButtonEventHandler {
public:
    virtual void BindInteger(IParameter* parameter);
    virtual void BindFloat(IParameter* parameter);
    virtual void Unbind() { m_parameter = nullptr; }
    IParameter* GetParameter() const { return m_parameter; }

protected:
    IParameter* m_parameter = nullptr;
};

/// Each drag step moves a float parameter by (dx + dy) x step. The step is
/// 0.1 far from the parameter's minimum and eases down towards 0.05 within
/// the ease distance of it, for fine control where a value is most
/// sensitive. Binding an integer parameter leaves the handler unbound.
class DraggableFloatParamButtonHandler : public DraggableParamButtonHandler {
public:
    void BindInteger(IParameter* parameter) override;
    void OnDrag(const Wml::Vector2<float>& delta) override;

    /// The step for a value at distance |value - minimum| from the minimum.
    float StepAt(float value, float minimum) const;
    /// The parameter's minimum (0 for a kind without a range).
    static float MinimumOf(IParameter* parameter);

    float GetBaseStep() const { return m_baseStep; }
    float GetExtraStep() const { return m_extraStep; }
    float GetEaseDistance() const { return m_easeDistance; }

private:
    float m_baseStep = 0.05f;
    float m_extraStep = 0.05f;
    float m_easeDistance = 1.0f;
};

/// Each drag step moves an integer parameter by one, up when the drag goes
/// right or up, down when it goes left or down. A step without motion does
/// nothing. Binding a float parameter leaves the handler unbound.
class DraggableIntegerParamButtonHandler : public DraggableParamButtonHandler {
public:
    void BindFloat(IParameter* parameter) override;
    void OnDrag(const Wml::Vector2<float>& delta) override;
};

/// The global mesh-resolution button: dragging right or up makes the mesh
/// finer, left or down coarser, by a factor that grows with the step.
class PolygonizerResolutionButtonHandler : public HUDButtonEventHandler {
public:
    /// The surface manager is not owned (null: drags do nothing).
    explicit PolygonizerResolutionButtonHandler(CSurfaceManager* surfaces = nullptr) : m_surfaces(surfaces) {}
    void SetSurfaceManager(CSurfaceManager* surfaces) { m_surfaces = surfaces; }
    CSurfaceManager* GetSurfaceManager() const { return m_surfaces; }

    void OnDrag(const Wml::Vector2<float>& delta) override;

private:
    CSurfaceManager* m_surfaces;
};

/// Shows an integer (or named-integer) parameter on a state button and sets
/// the key picked there. Unbound it reports -1 and ignores picks.
class ParameterStateTarget : public HUDStateButton::IHUDStateTarget {
public:
    void Bind(IParameter* parameter) { m_parameter = parameter; }
    void Unbind() { m_parameter = nullptr; }
    IParameter* GetParameter() const { return m_parameter; }

    int GetCurrentStateKey() override;
    void SetStateKey(int key) override;

private:
    IParameter* m_parameter = nullptr;
};

}  // namespace vynui
