#include "app/PointSetConfigurationDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <limits>

#include "app/FormSupport.h"
#include "surface/RenderingManager.h"

namespace {

// Text that is no number reaches the model as NaN, which it refuses.
float ToFloat(const QLineEdit* edit)
{
    bool ok = false;
    const float value = edit->text().trimmed().toFloat(&ok);
    return ok ? value : std::numeric_limits<float>::quiet_NaN();
}

int ToInt(const QLineEdit* edit)
{
    bool ok = false;
    const int value = edit->text().trimmed().toInt(&ok);
    return ok ? value : -1;
}

QString Text(float value)
{
    return QString::number(double(value), 'g', 6);
}

}  // namespace

CPointSetConfigurationDialog::CPointSetConfigurationDialog(vynui::CViewCore& core, QWidget* parent)
    : QDialog(parent), m_core(core)
{
    setWindowTitle("Point Set Configuration");
    const char* boxes[BOX_COUNT] = {"All Points",          "Light-Culled  Points", "Silhouette Contours",
                                    "Suggestive Contours", "Mesh Z Fill",          "Disc Z Fill",
                                    "Freeze Silhouette"};
    const char* values[VALUE_COUNT] = {"Disc Density:",  "Disc Size:",  "Stipple Size:", "Stipple Density:",
                                       "Contour Width:", "Low Thresh:", "High Thresh:"};
    const char* ranges[VALUE_COUNT] = {"1e-6 to 1", "0.0001 to 100", "0.1 to 10", "1 to 100", "0.1 to 10", "",
                                       ""};
    auto* checks = new QVBoxLayout;
    for (int i = 0; i < BOX_COUNT; ++i) {
        m_boxes[i] = new QCheckBox(boxes[i], this);
        checks->addWidget(m_boxes[i]);
    }
    auto* form = new QFormLayout;
    for (int i = 0; i < VALUE_COUNT; ++i) {
        m_values[i] = new QLineEdit(this);
        m_values[i]->setToolTip(ranges[i]);
        form->addRow(values[i], m_values[i]);
    }
    auto* columns = new QHBoxLayout;
    columns->addLayout(checks);
    columns->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Apply | QDialogButtonBox::Close, this);
    connect(buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this,
            [this] { ApplyToModel(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(buttons);
    LoadFromModel();
}

void CPointSetConfigurationDialog::LoadFromModel()
{
    const vynui::PointSetDialogModel& m = m_core.GetRenderingManager().GetPointSetDialog();
    const bool boxes[BOX_COUNT] = {m.allPoints,          m.lightCulledPoints, m.silhouetteContours,
                                   m.suggestiveContours, m.meshZFill,         m.discZFill,
                                   m.freezeSilhouette};
    for (int i = 0; i < BOX_COUNT; ++i) m_boxes[i]->setChecked(boxes[i]);
    m_values[DISC_DENSITY]->setText(Text(m.discDensity));
    m_values[DISC_SIZE]->setText(Text(m.discSize));
    m_values[STIPPLE_SIZE]->setText(Text(m.stippleSize));
    m_values[STIPPLE_DENSITY]->setText(QString::number(m.stippleDensity));
    m_values[CONTOUR_WIDTH]->setText(Text(m.contourWidth));
    m_values[LOW]->setText(Text(m.lowThreshold));
    m_values[HIGH]->setText(Text(m.highThreshold));
}

bool CPointSetConfigurationDialog::ApplyToModel()
{
    vynui::CRenderingManager& rendering = m_core.GetRenderingManager();
    vynui::PointSetDialogModel& m = rendering.GetPointSetDialog();
    vynui::PointSetDialogModel& typed = m;
    bool* boxes[BOX_COUNT] = {&typed.allPoints,          &typed.lightCulledPoints, &typed.silhouetteContours,
                              &typed.suggestiveContours, &typed.meshZFill,         &typed.discZFill,
                              &typed.freezeSilhouette};
    for (int i = 0; i < BOX_COUNT; ++i) *boxes[i] = m_boxes[i]->isChecked();
    typed.discDensity = ToFloat(m_values[DISC_DENSITY]);
    typed.discSize = ToFloat(m_values[DISC_SIZE]);
    typed.stippleSize = ToFloat(m_values[STIPPLE_SIZE]);
    typed.stippleDensity = ToInt(m_values[STIPPLE_DENSITY]);
    typed.contourWidth = ToFloat(m_values[CONTOUR_WIDTH]);
    typed.lowThreshold = ToFloat(m_values[LOW]);
    typed.highThreshold = ToFloat(m_values[HIGH]);
    std::string message;
    if (!rendering.ApplyPointSetDialog(&message)) {
        kilnform_forms::ShowRefusal(m_core, this, message);
        return false;
    }
    return true;
}
