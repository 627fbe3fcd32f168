#pragma once
// A button showing one of several states by its picture. While held it pops
// up a column of all the states to its right; releasing over one of them
// picks it, releasing elsewhere keeps the current state.

#include <memory>
#include <string>

#include "interact/HUDButton.h"
#include "interact/HUDEventHandler.h"

namespace vynui {

class HUDImageSetIcon;
class HUDStateListWidget;

class HUDStateButton : public HUDButton, public HUDButtonEventHandler {
public:
    /// What the button shows and sets.
    class IHUDStateTarget {
    public:
        virtual ~IHUDStateTarget() = default;
        virtual int GetCurrentStateKey() = 0;
        virtual void SetStateKey(int key) = 0;
    };

    /// target is not owned (may be set later).
    HUDStateButton(const std::string& name, IHUDStateTarget* target);
    ~HUDStateButton() override;

    /// Adds a state with its picture read from iconPath.
    void AddState(int key, const std::string& iconPath);
    HUDImageSetIcon* GetImageSet() const;

    void SetTarget(IHUDStateTarget* target) { m_target = target; }
    IHUDStateTarget* GetTarget() const { return m_target; }

    /// Shows the target's current state, then draws as a button.
    void Draw() override;
    /// Selects the target's current state in the icon.
    void SyncWithTarget();

    void OnPress(const Wml::Vector2<float>& point) override;
    void OnDrag(const Wml::Vector2<float>& delta) override;
    void OnRelease(const Wml::Vector2<float>& point) override;

    const Wml::Vector2<float>& GetPointer() const { return m_pointer; }
    HUDStateListWidget* GetListWidget() const { return m_list.get(); }

private:
    IHUDStateTarget* m_target;
    Wml::Vector2<float> m_pointer{0.0f, 0.0f};
    std::unique_ptr<HUDStateListWidget> m_list;
};

}  // namespace vynui
