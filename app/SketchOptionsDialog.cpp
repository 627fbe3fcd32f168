#include "app/SketchOptionsDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QSlider>
#include <QVBoxLayout>

#include "app/FormSupport.h"
#include "sketch_ui/SketchManager.h"

using kilnform_forms::Q;
using kilnform_forms::S;

CSketchOptionsDialog::CSketchOptionsDialog(vynui::CViewCore& core, QWidget* parent)
    : QDialog(parent),
      m_core(core),
      m_list(new QListWidget(this)),
      m_slider(new QSlider(Qt::Horizontal, this)),
      m_label(new QLabel(this)),
      m_second(new QSlider(Qt::Horizontal, this)),
      m_secondLabel(new QLabel(vynui::CSketchOptionsDialog::NO_OPTION, this))
{
    setWindowTitle("Sketch Options");
    m_slider->setRange(0, vynui::CSketchOptionsDialog::SLIDER_RANGE);
    m_second->setRange(0, vynui::CSketchOptionsDialog::SLIDER_RANGE);
    m_second->setEnabled(false);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        m_core.GetSketchManager()->GetOptionsDialog().OnItemDoubleClicked(S(item->text()));
        LoadFromModel();
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(m_label);
    layout->addWidget(m_slider);
    layout->addWidget(m_secondLabel);
    layout->addWidget(m_second);
    layout->addWidget(buttons);
    LoadFromModel();
}

void CSketchOptionsDialog::LoadFromModel()
{
    const vynui::CSketchOptionsDialog& model = m_core.GetSketchManager()->GetOptionsDialog();
    m_list->clear();
    for (const std::string& item : model.GetItems()) m_list->addItem(Q(item));
    m_label->setText(Q(model.GetSliderLabel()));
    m_slider->setEnabled(model.IsSliderEnabled());
    m_slider->setValue(model.GetSliderPosition());
}
