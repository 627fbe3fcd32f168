#include "app/RefineMeshDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/FormSupport.h"

using kilnform_forms::Q;
using kilnform_forms::S;

CRefineMeshDialog::CRefineMeshDialog(vynui::CViewCore& core, QWidget* parent)
    : QDialog(parent), m_core(core), m_subdivide(new QCheckBox("Subdivide Once", this))
{
    setWindowTitle("Refine Mesh");
    m_model.Reset();
    const char* labels[6] = {"RZN Steps:", "ZN Steps:", "RN Steps:", "R Steps:", "Z Steps:", "N Steps:"};
    const std::string* texts[6] = {&m_model.rznText, &m_model.znText, &m_model.rnText,
                                   &m_model.rText,   &m_model.zText,  &m_model.nText};
    auto* form = new QFormLayout;
    for (int i = 0; i < 6; ++i) {
        m_steps[i] = new QLineEdit(Q(*texts[i]), this);
        m_steps[i]->setToolTip("0 to 500");
        form->addRow(labels[i], m_steps[i]);
    }
    m_subdivide->setChecked(m_model.subdivideOnce);
    form->addRow(m_subdivide);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void CRefineMeshDialog::accept()
{
    std::string* texts[6] = {&m_model.rznText, &m_model.znText, &m_model.rnText,
                             &m_model.rText,   &m_model.zText,  &m_model.nText};
    for (int i = 0; i < 6; ++i) *texts[i] = S(m_steps[i]->text());
    m_model.subdivideOnce = m_subdivide->isChecked();
    std::string message;
    if (!m_model.OnOK(*m_core.GetSurfaceManager(), &message)) {
        kilnform_forms::ShowRefusal(m_core, this, message);
        return;
    }
    QDialog::accept();
}
