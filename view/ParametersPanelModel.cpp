#include "view/ParametersPanelModel.h"

#include "scene/IParameter.h"
#include "scene/ParameterList.h"
#include "scene/SceneManager.h"
#include "scene/SceneObject.h"
#include "scene/SceneObjectManager.h"
#include "scene/UserInterface.h"

namespace vynui {

const char* const CParametersPanelModel::kNotMainViewMessage =
    "ack! current view is not main view... ignored option change!";

namespace {

std::string ReadText(IParameter* parameter)
{
    std::string text;
    parameter->GetValueAsText(text);
    return text;
}

}  // namespace

void CParametersPanelModel::SetSceneManager(CSceneManager* scene)
{
    m_scene = scene;
    if (m_scene && m_scene->GetObjectManager())
        Fill(m_scene->GetObjectManager()->GetSelection());
    else
        Empty();
}

void CParametersPanelModel::Fill(const OrderedObjectSet& selection)
{
    m_rows.clear();
    m_object = nullptr;
    m_stale = false;
    if (selection.Size() == 1) {
        m_object = selection.Items().front();
        if (ParameterList* list = m_object->GetParameterList()) {
            for (IParameter* parameter : list->GetParameters()) {
                parameter->Refresh();
                m_rows.push_back(Row{parameter->GetName(), ReadText(parameter), parameter});
            }
        }
    }
    if (m_rowsChanged) m_rowsChanged();
}

void CParametersPanelModel::Empty()
{
    const bool had = m_object || !m_rows.empty();
    m_rows.clear();
    m_object = nullptr;
    m_stale = false;
    if (had && m_rowsChanged) m_rowsChanged();
}

bool CParametersPanelModel::ObjectAlive() const
{
    // Without the scene there is no way to tell; the caller then drops the rows.
    return m_object && m_scene && m_scene->GetObjectManager() &&
           m_scene->GetObjectManager()->GetObjects().Contains(m_object);
}

void CParametersPanelModel::DropIfGone()
{
    if (m_object && !ObjectAlive()) Empty();
}

void CParametersPanelModel::Refresh()
{
    if (!m_stale) return;
    m_stale = false;
    // The parameters belong to the object: never read them once it is gone.
    if (!ObjectAlive()) {
        Empty();
        return;
    }
    for (Row& row : m_rows) {
        row.parameter->Refresh();
        row.value = ReadText(row.parameter);
    }
    if (m_valuesChanged && !m_rows.empty()) m_valuesChanged();
}

bool CParametersPanelModel::EditValue(std::size_t row, const std::string& text)
{
    if (row >= m_rows.size() || !ObjectAlive()) return false;
    if (!m_mainViewActive) {
        // The message says the change is ignored, so it is not applied.
        if (m_ui) m_ui->ShowMessage(kNotMainViewMessage, "Parameters");
        return false;
    }
    IParameter* parameter = m_rows[row].parameter;
    parameter->SetValueFromText(text);
    m_scene->NotifyObjectsModified();
    // The broadcast may have emptied or refilled the rows.
    if (row >= m_rows.size() || m_rows[row].parameter != parameter) return true;
    m_rows[row].value = ReadText(m_rows[row].parameter);
    if (m_valuesChanged) m_valuesChanged();
    return true;
}

void CParametersPanelModel::OnSelectionChanged(const OrderedObjectSet& selection)
{
    Fill(selection);
}

void CParametersPanelModel::OnSelectionPicked(const OrderedObjectSet& selection)
{
    Fill(selection);
}

void CParametersPanelModel::OnObjectsModified(const OrderedObjectSet& /*selection*/)
{
    if (m_object) m_stale = true;
}

void CParametersPanelModel::OnTreeChanged()
{
    DropIfGone();
}

void CParametersPanelModel::OnSceneChanged()
{
    DropIfGone();
}

}  // namespace vynui
