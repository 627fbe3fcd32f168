#include "app/FieldImageWindow.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QProgressDialog>
#include <QScrollArea>
#include <QVBoxLayout>

#include "app/FormSupport.h"
#include "blobtree_ui/ThreadSafeScalarField.h"
#include "scene/SceneManager.h"

using kilnform_forms::Q;

CFieldImageWindow::CFieldImageWindow(vynui::CViewCore& core, QWidget* parent)
    : QWidget(parent),
      m_core(core),
      m_menus(new QMenuBar(this)),
      m_scroll(new QScrollArea(this)),
      m_image(new QLabel(this))
{
    setWindowTitle("Field Image");
    m_image->setAlignment(Qt::AlignCenter);
    m_scroll->setWidget(m_image);
    m_scroll->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setMenuBar(m_menus);
    layout->addWidget(m_scroll);
    BuildMenus();
    resize(300, 320);
}

void CFieldImageWindow::closeEvent(QCloseEvent* event)
{
    if (m_closed) m_closed();
    QWidget::closeEvent(event);
}

QAction* CFieldImageWindow::FindAction(const QString& text) const
{
    for (QAction* action : findChildren<QAction*>())
        if (action->text() == text) return action;
    return nullptr;
}

void CFieldImageWindow::BuildMenus()
{
    QMenu* file = m_menus->addMenu("File");
    connect(file->addAction("Save Image"), &QAction::triggered, this, [this] { SaveImage(); });
    connect(file->addAction("Save Value Field"), &QAction::triggered, this, [this] { SaveValueField(); });

    QMenu* view = m_menus->addMenu("View");
    struct Toggle {
        const char* text;
        bool on;
        std::function<void(bool)> set;
    };
    vynui::FieldImageModel& m = m_model;
    const Toggle toggles[] = {
        {"Stretch To Fit", m.GetStretchToFit(), [&m](bool on) { m.SetStretchToFit(on); }},
        {"Show IsoSurface", m.GetShowIsoSurface(), [&m](bool on) { m.SetShowIsoSurface(on); }},
        {"Apply Sin Filter", m.GetSinFilter(), [&m](bool on) { m.SetSinFilter(on); }},
        {"Normalize Values", m.GetNormalizeValues(), [&m](bool on) { m.SetNormalizeValues(on); }},
    };
    for (const Toggle& toggle : toggles) {
        QAction* action = view->addAction(toggle.text);
        action->setCheckable(true);
        action->setChecked(toggle.on);
        auto set = toggle.set;
        connect(action, &QAction::toggled, this, [this, set](bool on) {
            set(on);
            ShowImage();
        });
    }

    // Exclusive choices that re-sample.
    auto choices = [this, view](const char* title, const std::vector<QString>& names, int current,
                                std::function<bool(int)> set) {
        QMenu* menu = view->addMenu(title);
        auto* group = new QActionGroup(menu);
        for (int i = 0; i < int(names.size()); ++i) {
            QAction* action = menu->addAction(names[i]);
            action->setCheckable(true);
            action->setChecked(i == current);
            group->addAction(action);
            connect(action, &QAction::triggered, this, [this, set, i] {
                if (set(i)) Refresh();
            });
        }
    };
    choices("Image Type", {"Value", "Gradient", "Normalization Error"}, m.GetImageType(),
            [&m](int i) { return m.SetImageType(i); });
    std::vector<QString> sizes;
    int current = 0;
    const std::vector<unsigned int>& resolutions = vynui::FieldImageModel::ResolutionChoices();
    for (int i = 0; i < int(resolutions.size()); ++i) {
        sizes.push_back(QString::number(resolutions[i]));
        if (resolutions[i] == m.GetResolution()) current = i;
    }
    choices("Resolution", sizes, current,
            [&m, resolutions](int i) { return m.SetResolution(resolutions[i]); });
    choices("Cutting Plane", {"X/Y Plane", "X/Z Plane", "Y/Z Plane"}, m.GetPlane(),
            [&m](int i) { return m.SetPlane(i); });
}

void CFieldImageWindow::Refresh()
{
    vynui_bt::ThreadSafeScalarField* field = m_core.GetSceneManager()->GetField();
    if (!field) return;
    // Large pictures take seconds: show how far it got and let the person stop.
    QProgressDialog progress("Sampling the field...", "Cancel", 0, 1000, this);
    progress.setWindowTitle("Field Image");
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(400);
    const bool done = m_model.Sample(*field, [&progress](float share) {
        progress.setValue(int(share * 1000.0f));
        return !progress.wasCanceled();
    });
    if (done) ShowImage();
}

void CFieldImageWindow::ShowImage()
{
    if (!m_model.HasSamples()) return;
    const int n = int(m_model.GetSampledResolution());
    // The model's rows run bottom first.
    const QImage image =
        QImage(m_model.GetRGB().data(), n, n, 3 * n, QImage::Format_RGB888).mirrored(false, true);
    m_image->setPixmap(QPixmap::fromImage(image));
    const bool stretch = m_model.GetStretchToFit();
    m_image->setScaledContents(stretch);
    m_scroll->setWidgetResizable(stretch);
    if (!stretch) m_image->adjustSize();
}

void CFieldImageWindow::SaveImage()
{
    SaveWith("Save Image", "png", "fieldimage.png", "PNG Files (*.png);;All Files (*)",
             [this](const std::string& path, std::string* error) { return m_model.SaveImage(path, error); });
}

void CFieldImageWindow::SaveValueField()
{
    SaveWith(
        "Save Value Field", "txt", "fieldvalues.txt", "Text Files (*.txt);;All Files (*)",
        [this](const std::string& path, std::string* error) { return m_model.SaveValueField(path, error); });
}

void CFieldImageWindow::SaveWith(const char* title, const char* extension, const char* fileName,
                                 const char* filter,
                                 const std::function<bool(const std::string&, std::string*)>& save)
{
    vynui::UserInterface* ui = m_core.GetUserInterface();
    vynui::FileDialogRequest request;
    request.title = title;
    request.defaultExtension = extension;
    request.fileName = fileName;
    request.filter = filter;
    std::string path;
    if (!ui || !ui->ChooseFileToSave(request, path)) return;
    std::string error;
    if (!save(path, &error)) kilnform_forms::ShowRefusal(m_core, this, error, "Error");
}
