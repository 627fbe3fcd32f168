#include "app/PolygonizerControlDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/FormSupport.h"
#include "surface/PolygonizerControlDialogModel.h"
#include "surface/SurfaceManager.h"

using kilnform_forms::Q;
using kilnform_forms::S;

CPolygonizerControlDialog::CPolygonizerControlDialog(vynui::CViewCore& core, QWidget* parent)
    : QDialog(parent),
      m_core(core),
      m_iso(new QLineEdit(this)),
      m_cells(new QLineEdit(this)),
      m_bisections(new QLineEdit(this)),
      m_gridControl(new QCheckBox("Control Grid Resolution", this)),
      m_quickRefine(new QCheckBox("Always Quick Refine", this)),
      m_algorithm(new QButtonGroup(this))
{
    setWindowTitle("Polygonizer Control");
    auto* form = new QFormLayout;
    form->addRow("IsoValue:", m_iso);
    form->addRow(m_gridControl);
    form->addRow("MC Cells:", m_cells);
    form->addRow("MC Edge Bisections:", m_bisections);
    form->addRow(m_quickRefine);

    auto* box = new QGroupBox("Algorithm", this);
    auto* radios = new QVBoxLayout(box);
    const char* names[] = {"Marching Cubes", "Extended Marching Cubes", "Marching Triangles",
                           "Bounded Marching Cubes"};
    for (int i = 0; i < 4; ++i) {
        auto* radio = new QRadioButton(names[i], box);
        m_algorithm->addButton(radio, i);
        radios->addWidget(radio);
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Apply | QDialogButtonBox::Close, this);
    connect(buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this,
            [this] { ApplyToModel(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // The cell count is typed only while the grid resolution is controlled.
    connect(m_gridControl, &QCheckBox::toggled, m_cells, &QWidget::setEnabled);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(box);
    layout->addWidget(buttons);
    LoadFromModel();
}

void CPolygonizerControlDialog::LoadFromModel()
{
    const vynui::PolygonizerControlDialogModel& model = m_core.GetSurfaceManager()->GetPolygonizerDialog();
    m_iso->setText(Q(model.isoValueText));
    m_cells->setText(Q(model.gridCellsText));
    m_bisections->setText(Q(model.edgeBisectionsText));
    m_gridControl->setChecked(model.gridResolutionControl);
    m_cells->setEnabled(model.IsGridCellsEnabled());
    m_quickRefine->setChecked(model.alwaysQuickRefine);
    if (QAbstractButton* radio = m_algorithm->button(int(model.algorithm))) radio->setChecked(true);
}

bool CPolygonizerControlDialog::ApplyToModel()
{
    vynui::CSurfaceManager& manager = *m_core.GetSurfaceManager();
    vynui::PolygonizerControlDialogModel& model = manager.GetPolygonizerDialog();
    model.isoValueText = S(m_iso->text());
    model.gridCellsText = S(m_cells->text());
    model.edgeBisectionsText = S(m_bisections->text());
    model.gridResolutionControl = m_gridControl->isChecked();
    model.alwaysQuickRefine = m_quickRefine->isChecked();
    model.algorithm = vynui::PolygonizerAlgorithm(m_algorithm->checkedId());
    std::string message;
    if (!model.Apply(manager, &message)) {
        kilnform_forms::ShowRefusal(m_core, this, message);
        return false;
    }
    return true;
}
