#include "app/LightingControlDialog.h"

#include <algorithm>

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/FormSupport.h"
#include "surface/RenderingManager.h"

using kilnform_forms::Q;

namespace {

QGroupBox* RadioGroup(const char* title, std::initializer_list<const char*> names, QButtonGroup* group,
                      QWidget* parent)
{
    auto* box = new QGroupBox(title, parent);
    auto* column = new QVBoxLayout(box);
    int id = 0;
    for (const char* name : names) {
        auto* radio = new QRadioButton(name, box);
        group->addButton(radio, id++);
        column->addWidget(radio);
    }
    return box;
}

void Check(QButtonGroup* group, int id)
{
    if (QAbstractButton* radio = group->button(id)) radio->setChecked(true);
}

QString Swatch(const unsigned char* rgb)
{
    return QString("background-color: rgb(%1, %2, %3); border: 1px solid black;")
        .arg(rgb[0])
        .arg(rgb[1])
        .arg(rgb[2]);
}

}  // namespace

CLightingControlDialog::CLightingControlDialog(vynui::CViewCore& core, QWidget* parent)
    : QDialog(parent),
      m_core(core),
      m_lighting(new QButtonGroup(this)),
      m_shading(new QButtonGroup(this)),
      m_colouring(new QButtonGroup(this)),
      m_axes(new QCheckBox("Show Coordinate Axes", this)),
      m_background(new QLabel(this)),
      m_mesh(new QLabel(this)),
      m_ambient(new QLabel(this))
{
    setWindowTitle("Lighting Control");
    auto* grid = new QGridLayout;
    grid->addWidget(
        RadioGroup("Lighting Mode", {"Diffuse Only", "Diffuse + Specular", "Diffuse Warm To Cool"},
                   m_lighting, this),
        0, 0);
    grid->addWidget(RadioGroup("Mesh Coloring Mode",
                               {"Constant Color", "Selection Color", "Vertex Error", "Approximation Error"},
                               m_colouring, this),
                    0, 1);
    grid->addWidget(RadioGroup("Shading", {"Smooth Shading", "Flat Shading"}, m_shading, this), 1, 0);
    grid->addWidget(m_axes, 1, 1);

    auto* bg = new QPushButton("Set BG Color", this);
    auto* mesh = new QPushButton("Set Mesh Color", this);
    auto* ambient = new QPushButton("Set Ambient Light", this);
    for (QLabel* swatch : {m_background, m_mesh}) swatch->setFixedSize(40, 20);
    grid->addWidget(bg, 2, 0);
    grid->addWidget(m_background, 2, 1);
    grid->addWidget(mesh, 3, 0);
    grid->addWidget(m_mesh, 3, 1);
    grid->addWidget(ambient, 4, 0);
    grid->addWidget(m_ambient, 4, 1);
    vynui::LightingDialogModel& model = m_core.GetRenderingManager().GetLightingDialog();
    connect(bg, &QPushButton::clicked, this, [this, &model] { PickColour(model.background); });
    connect(mesh, &QPushButton::clicked, this, [this, &model] { PickColour(model.meshColour); });
    connect(ambient, &QPushButton::clicked, this, [this] { AskAmbient(); });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Apply | QDialogButtonBox::Close, this);
    connect(buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this,
            [this] { ApplyToModel(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
    LoadFromModel();
}

void CLightingControlDialog::LoadFromModel()
{
    const vynui::LightingDialogModel& model = m_core.GetRenderingManager().GetLightingDialog();
    Check(m_lighting, model.lightingRadio);
    Check(m_shading, model.flatShading ? 1 : 0);
    Check(m_colouring, model.colouringRadio);
    m_axes->setChecked(model.showAxes);
    ShowColours();
}

void CLightingControlDialog::ShowColours()
{
    const vynui::LightingDialogModel& model = m_core.GetRenderingManager().GetLightingDialog();
    m_background->setStyleSheet(Swatch(model.background));
    m_mesh->setStyleSheet(Swatch(model.meshColour));
    m_ambient->setText(QString::number(double(model.ambientLight), 'f', 3));
}

void CLightingControlDialog::PickColour(unsigned char* rgb)
{
    Wml::ColorRGBA colour(rgb[0] / 255.0f, rgb[1] / 255.0f, rgb[2] / 255.0f, 1.0f);
    if (vynui::UserInterface* ui = m_core.GetUserInterface()) {
        if (!ui->ChooseColour(colour)) return;
    } else {
        const QColor chosen = QColorDialog::getColor(QColor(rgb[0], rgb[1], rgb[2]), this);
        if (!chosen.isValid()) return;
        colour = Wml::ColorRGBA(float(chosen.redF()), float(chosen.greenF()), float(chosen.blueF()), 1.0f);
    }
    const float channels[3] = {colour.R(), colour.G(), colour.B()};
    for (int c = 0; c < 3; ++c)
        rgb[c] = static_cast<unsigned char>(std::min(255.0f, std::max(0.0f, channels[c] * 255.0f)));
    ShowColours();
}

void CLightingControlDialog::AskAmbient()
{
    vynui::LightingDialogModel& model = m_core.GetRenderingManager().GetLightingDialog();
    vynui::ValueRequest request;
    request.label = "Ambient Light";
    request.minimum = 0.0f;
    request.maximum = 1.0f;
    request.current = model.ambientLight;
    float value = model.ambientLight;
    if (vynui::UserInterface* ui = m_core.GetUserInterface()) {
        if (!ui->AskValue(request, value)) return;
    } else {
        bool ok = false;
        value = float(
            QInputDialog::getDouble(this, Q(request.Title()), "Ambient Light:", value, 0.0, 1.0, 5, &ok));
        if (!ok) return;
    }
    model.ambientLight = value;
    ShowColours();
}

void CLightingControlDialog::ApplyToModel()
{
    vynui::CRenderingManager& rendering = m_core.GetRenderingManager();
    vynui::LightingDialogModel& model = rendering.GetLightingDialog();
    model.lightingRadio = m_lighting->checkedId();
    model.flatShading = m_shading->checkedId() == 1;
    model.colouringRadio = m_colouring->checkedId();
    model.showAxes = m_axes->isChecked();
    rendering.ApplyLightingDialog();
}
