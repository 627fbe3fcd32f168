#pragma once
// The "Set World Dimensions" form (modal): the model's extents (read-only),
// the scale factor and the world dimensions; an edit recomputes the others
// through the model, OK stores the factor in the view controller.

#include <QDialog>

class QLineEdit;

namespace vynui {
class CViewCore;
class WorldDimensionsDialogModel;
}  // namespace vynui

class CWorldDimensionsDialog : public QDialog {
public:
    CWorldDimensionsDialog(vynui::CViewCore& core, QWidget* parent);
    QLineEdit* ModelEdit(int axis) const { return m_model[axis]; }
    QLineEdit* FactorEdit() const { return m_factor; }
    QLineEdit* WorldEdit(int axis) const { return m_world[axis]; }
    /// Shows every field as the model has it.
    void ShowModel();
    void accept() override;

private:
    vynui::WorldDimensionsDialogModel& Model() const;
    /// A refused edit is shown; the fields go back to the model's values.
    void Edited(bool accepted);

    vynui::CViewCore& m_core;
    QLineEdit* m_model[3];
    QLineEdit* m_factor;
    QLineEdit* m_world[3];
};
