#pragma once
// The "Parameters" panel without the window toolkit: the rows (name, value
// text, parameter) of the one selected object, refilled when the selection
// changes, re-read after a drawn frame when objects were modified, and edited
// by text. The list never keeps what was typed: after an edit the row shows
// what the parameter itself reads back, so a refused value shows the old one.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "scene/IChangeListener.h"

namespace vynui {

class CSceneManager;
class IParameter;
class SceneObject;
class UserInterface;

class CParametersPanelModel : public IChangeListener {
public:
    struct Row {
        std::string name;
        std::string value;
        IParameter* parameter = nullptr;  ///< owned by the object
    };

    /// Shown when an edit arrives while another window than the 3D view is active.
    static const char* const kNotMainViewMessage;

    /// Not owned; the scene whose objects are listed (it broadcasts the
    /// edits). Null empties the rows.
    void SetSceneManager(CSceneManager* scene);
    CSceneManager* GetSceneManager() const { return m_scene; }
    /// Not owned; where the refusal message goes.
    void SetUserInterface(UserInterface* ui) { m_ui = ui; }
    /// Whether the active window is the 3D view; edits are refused otherwise.
    void SetMainViewActive(bool active) { m_mainViewActive = active; }

    /// Called after the rows were refilled or emptied.
    void SetRowsChangedHook(std::function<void()> hook) { m_rowsChanged = std::move(hook); }
    /// Called after values of existing rows were re-read.
    void SetValuesChangedHook(std::function<void()> hook) { m_valuesChanged = std::move(hook); }

    const std::vector<Row>& GetRows() const { return m_rows; }
    /// The object the rows belong to, or null.
    SceneObject* GetObject() const { return m_object; }
    bool IsStale() const { return m_stale; }

    /// After a drawn frame: when objects were modified, every row's value is
    /// read again and the mark is cleared.
    void Refresh();
    /// Gives row's parameter the text; the row then shows what the parameter
    /// reads back. False when the row does not exist or the edit was refused
    /// because the 3D view is not the active window.
    bool EditValue(std::size_t row, const std::string& text);

    // IChangeListener
    void OnSelectionChanged(const OrderedObjectSet& selection) override;
    void OnSelectionPicked(const OrderedObjectSet& selection) override;
    void OnObjectsModified(const OrderedObjectSet& selection) override;
    void OnTreeChanged() override;
    void OnSceneChanged() override;

private:
    void Fill(const OrderedObjectSet& selection);
    void Empty();
    /// True while the listed object is still registered with the scene.
    bool ObjectAlive() const;
    void DropIfGone();

    CSceneManager* m_scene = nullptr;
    UserInterface* m_ui = nullptr;
    bool m_mainViewActive = true;
    SceneObject* m_object = nullptr;
    std::vector<Row> m_rows;
    bool m_stale = false;
    std::function<void()> m_rowsChanged;
    std::function<void()> m_valuesChanged;
};

}  // namespace vynui
