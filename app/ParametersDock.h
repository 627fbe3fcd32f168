#pragma once
// The "Parameters" docked panel: a grid of the selected object's parameters
// (Name, Value). A click on a value cell edits it in place; the edit goes to
// the panel model, and the cell then shows what the parameter reads back.

#include <QDockWidget>
#include <functional>

#include "view/ParametersPanelModel.h"

class QTableWidget;
class QTableWidgetItem;

class CParametersDock : public QDockWidget {
    Q_OBJECT
public:
    explicit CParametersDock(QWidget* parent = nullptr);

    vynui::CParametersPanelModel& GetModel() { return m_model; }
    /// Asked before an edit is applied: is the 3D view the active window?
    void SetMainViewQuery(std::function<bool()> query) { m_mainViewQuery = std::move(query); }
    /// After a drawn frame: re-reads the values when objects were modified.
    void RefreshValues() { m_model.Refresh(); }
    /// The value cell of the row named name, as shown; false without such a row.
    bool ShownValue(const QString& name, QString& value) const;
    /// Puts text into the value cell of the row named name, as the in-place
    /// editor commits it; the edit is applied once events run. False without
    /// such a row.
    bool TypeValue(const QString& name, const QString& text);
    QTableWidget* GetTable() const { return m_table; }

private:
    void Refill();
    void ShowValues();
    void OnItemChanged(QTableWidgetItem* item);
    void ApplyEdit(int row, quintptr parameter, const QString& text);

    vynui::CParametersPanelModel m_model;
    QTableWidget* m_table;  // owned by Qt's parent chain
    std::function<bool()> m_mainViewQuery;
    bool m_filling = false;
};
