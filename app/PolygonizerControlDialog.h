#pragma once
// The "Polygonizer Control" form (modeless): shows the surface manager's
// polygonizer settings and applies them through the dialog's model.

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QLineEdit;

namespace vynui {
class CViewCore;
}

class CPolygonizerControlDialog : public QDialog {
public:
    CPolygonizerControlDialog(vynui::CViewCore& core, QWidget* parent);
    /// Shows what the model holds (the manager loaded it).
    void LoadFromModel();
    /// Moves the controls into the model and applies; a refusal is shown.
    bool ApplyToModel();

    QLineEdit* IsoValueEdit() const { return m_iso; }
    QLineEdit* CellsEdit() const { return m_cells; }
    QLineEdit* BisectionsEdit() const { return m_bisections; }
    QCheckBox* GridControlBox() const { return m_gridControl; }

private:
    vynui::CViewCore& m_core;
    QLineEdit* m_iso;
    QLineEdit* m_cells;
    QLineEdit* m_bisections;
    QCheckBox* m_gridControl;
    QCheckBox* m_quickRefine;
    QButtonGroup* m_algorithm;
};
