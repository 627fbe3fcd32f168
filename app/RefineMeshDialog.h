#pragma once
// The "Refine Mesh" form (modal): six flow step counts and "Subdivide Once",
// all cleared each time it opens; OK refines every surface.

#include <QDialog>

#include "surface/MeshRefinementDialogModel.h"

class QCheckBox;
class QLineEdit;

namespace vynui {
class CViewCore;
}

class CRefineMeshDialog : public QDialog {
public:
    CRefineMeshDialog(vynui::CViewCore& core, QWidget* parent);
    /// The six edits in the order RZN, ZN, RN, R, Z, N.
    QLineEdit* StepsEdit(int i) const { return m_steps[i]; }
    QCheckBox* SubdivideBox() const { return m_subdivide; }
    /// OK: a refused count is shown and the dialog stays open.
    void accept() override;

private:
    vynui::CViewCore& m_core;
    vynui::MeshRefinementDialogModel m_model;
    QLineEdit* m_steps[6];
    QCheckBox* m_subdivide;
};
