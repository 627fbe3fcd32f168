#include "app/WorldDimensionsDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/FormSupport.h"
#include "persist/MeshExport.h"
#include "persist/WorldDimensionsDialogModel.h"

using kilnform_forms::Q;
using kilnform_forms::S;

CWorldDimensionsDialog::CWorldDimensionsDialog(vynui::CViewCore& core, QWidget* parent)
    : QDialog(parent), m_core(core), m_factor(new QLineEdit(this))
{
    setWindowTitle("Set World Dimensions");
    auto* grid = new QGridLayout;
    const char* axes[3] = {"X", "Y", "Z"};
    grid->addWidget(new QLabel("Model Dimensions", this), 0, 1);
    grid->addWidget(new QLabel("World Dimensions", this), 0, 2);
    for (int axis = 0; axis < 3; ++axis) {
        m_model[axis] = new QLineEdit(this);
        m_model[axis]->setReadOnly(true);
        m_world[axis] = new QLineEdit(this);
        grid->addWidget(new QLabel(QString(axes[axis]) + ":", this), axis + 1, 0);
        grid->addWidget(m_model[axis], axis + 1, 1);
        grid->addWidget(m_world[axis], axis + 1, 2);
        connect(m_world[axis], &QLineEdit::editingFinished, this, [this, axis] {
            if (S(m_world[axis]->text()) == Model().GetWorldDimensionText(axis)) return;
            Edited(Model().SetWorldDimensionText(axis, S(m_world[axis]->text())));
        });
    }
    grid->addWidget(new QLabel("Scale Factor:", this), 4, 0);
    grid->addWidget(m_factor, 4, 1);
    connect(m_factor, &QLineEdit::editingFinished, this, [this] {
        if (S(m_factor->text()) == Model().GetScaleFactorText()) return;
        Edited(Model().SetScaleFactorText(S(m_factor->text())));
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
    ShowModel();
}

vynui::WorldDimensionsDialogModel& CWorldDimensionsDialog::Model() const
{
    return m_core.GetMeshExport().GetWorldDimensionsDialog();
}

void CWorldDimensionsDialog::ShowModel()
{
    for (int axis = 0; axis < 3; ++axis) {
        m_model[axis]->setText(Q(Model().GetModelDimensionText(axis)));
        m_world[axis]->setText(Q(Model().GetWorldDimensionText(axis)));
    }
    m_factor->setText(Q(Model().GetScaleFactorText()));
}

void CWorldDimensionsDialog::Edited(bool accepted)
{
    if (!accepted)
        kilnform_forms::ShowRefusal(m_core, this, Model().GetRefusal(),
                                    vynui::WorldDimensionsDialogModel::REFUSAL_TITLE);
    ShowModel();
}

void CWorldDimensionsDialog::accept()
{
    // An edit still in its field counts, as pressing Enter would have.
    if (S(m_factor->text()) != Model().GetScaleFactorText()) {
        if (!Model().SetScaleFactorText(S(m_factor->text()))) return Edited(false);
    }
    for (int axis = 0; axis < 3; ++axis) {
        if (S(m_world[axis]->text()) == Model().GetWorldDimensionText(axis)) continue;
        if (!Model().SetWorldDimensionText(axis, S(m_world[axis]->text()))) return Edited(false);
    }
    if (!Model().Apply(m_core.GetViewController())) {
        kilnform_forms::ShowRefusal(m_core, this, "The scale factor could not be stored.",
                                    vynui::WorldDimensionsDialogModel::REFUSAL_TITLE);
        return;
    }
    QDialog::accept();
}
