#include "app/CachingControlDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/FormSupport.h"
#include "blobtree/cache/FieldCacheManager.h"

using kilnform_forms::Q;
using kilnform_forms::S;

namespace {

QGroupBox* SamplingGroup(const char* title, QButtonGroup* group, QWidget* parent)
{
    auto* box = new QGroupBox(title, parent);
    auto* row = new QHBoxLayout(box);
    const char* names[2] = {"Trilinear", "Triquadratic"};
    for (int i = 0; i < 2; ++i) {
        auto* radio = new QRadioButton(names[i], box);
        group->addButton(radio, i);
        row->addWidget(radio);
    }
    return box;
}

}  // namespace

CCachingControlDialog::CCachingControlDialog(vynui::CViewCore& core, QWidget* parent)
    : QDialog(parent),
      m_core(core),
      m_enable(new QCheckBox("Enable Caching", this)),
      m_value(new QButtonGroup(this)),
      m_gradient(new QButtonGroup(this)),
      m_resolution(new QLineEdit(this))
{
    setWindowTitle("Caching Control Panel");
    m_model.Load(*vynbt::FieldCacheManager::Get());
    m_enable->setChecked(m_model.cachingEnabled);
    auto* form = new QFormLayout;
    form->addRow("Cache Resolution:", m_resolution);
    m_resolution->setText(Q(m_model.resolutionText));
    m_resolution->setToolTip("4 to 1024");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_enable);
    layout->addWidget(SamplingGroup("Value Sampling", m_value, this));
    layout->addWidget(SamplingGroup("Gradient Sampling", m_gradient, this));
    layout->addLayout(form);
    layout->addWidget(buttons);
    if (QAbstractButton* radio = m_value->button(m_model.valueSampling)) radio->setChecked(true);
    if (QAbstractButton* radio = m_gradient->button(m_model.gradientSampling)) radio->setChecked(true);
}

void CCachingControlDialog::accept()
{
    m_model.cachingEnabled = m_enable->isChecked();
    m_model.valueSampling = m_value->checkedId();
    m_model.gradientSampling = m_gradient->checkedId();
    m_model.resolutionText = S(m_resolution->text());
    std::string message;
    if (!m_model.Apply(*vynbt::FieldCacheManager::Get(), &message)) {
        kilnform_forms::ShowRefusal(m_core, this, message);
        return;
    }
    // The surfaces read the field through the caches: show it as it now is.
    m_core.GetRenderingManager().NotifyListeners();
    QDialog::accept();
}
