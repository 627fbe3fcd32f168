#include "app/SetFloatValueDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>

CSetFloatValueDialog::CSetFloatValueDialog(const vynui::ValueRequest& request, QWidget* parent)
    : QDialog(parent),
      m_model(request),
      m_value(request.current),
      m_edit(new QLineEdit(this)),
      m_range(new QLabel(this))
{
    setWindowTitle(QString::fromStdString(m_model.Title()));
    setObjectName("SetFloatValueDialog");

    auto* label = new QLabel(QString::fromStdString(m_model.LabelText()), this);
    label->setBuddy(m_edit);
    m_range->setText(QString::fromStdString(m_model.RangeText()));
    m_edit->setText(QString::fromStdString(m_model.CurrentText()));
    m_edit->selectAll();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CSetFloatValueDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CSetFloatValueDialog::reject);

    auto* layout = new QGridLayout(this);
    layout->addWidget(label, 0, 0);
    layout->addWidget(m_edit, 0, 1);
    layout->addWidget(m_range, 1, 1);
    layout->addWidget(buttons, 2, 0, 1, 2);
    m_edit->setFocus();
}

void CSetFloatValueDialog::accept()
{
    float value = m_value;
    std::string refusal;
    if (!m_model.Parse(m_edit->text().toStdString(), value, refusal)) {
        QMessageBox::warning(this, vynui::ValueDialogModel::RefusalTitle(), QString::fromStdString(refusal));
        m_edit->selectAll();
        m_edit->setFocus();
        return;
    }
    m_value = value;
    QDialog::accept();
}
