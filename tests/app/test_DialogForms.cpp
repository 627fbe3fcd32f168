// Each dialog form and secondary window opens from the view's window
// request, shows what its model loaded, and its OK or Apply reaches the
// managers. Every form is also grabbed as a PNG into KILNFORM_FORM_SHOTS
// (when set) to be looked at.

#include <gtest/gtest.h>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTableWidget>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <string>

#include "app/CachingControlDialog.h"
#include "app/DialogForms.h"
#include "app/FieldImageWindow.h"
#include "app/HelpWindow.h"
#include "app/LightingControlDialog.h"
#include "app/PointSetConfigurationDialog.h"
#include "app/PolygonizerControlDialog.h"
#include "app/RayTraceWindow.h"
#include "app/RefineMeshDialog.h"
#include "app/SketchOptionsDialog.h"
#include "app/WorldDimensionsDialog.h"
#include "blobtree/cache/FieldCacheManager.h"
#include "persist/MeshExport.h"
#include "persist/WorldDimensionsDialogModel.h"
#include "scene/SceneManager.h"
#include "scene/SceneObjectManager.h"
#include "sketch_ui/SketchManager.h"
#include "surface/PolygonizerControlDialogModel.h"
#include "surface/RenderingManager.h"
#include "surface/SurfaceManager.h"
#include "tests/support/ScriptedUserInterface.h"
#include "view/HelpContent.h"
#include "view/ViewCore.h"

using vynui::CViewCore;

namespace {

void Shoot(QWidget* widget, const std::string& name)
{
    const char* folder = std::getenv("KILNFORM_FORM_SHOTS");
    if (!folder || !*folder) return;
    widget->adjustSize();
    widget->grab().save(QString::fromStdString(std::string(folder) + "/" + name + ".png"));
}

// The program's shape: a main window with an MDI area, a view core whose
// window requests go to ShowWindowRequest.
struct FormRig {
    QMainWindow main;
    QMdiArea* mdi = new QMdiArea(&main);
    CViewCore core{CViewCore::Managers::Own};
    kftest::ScriptedUserInterface ui;
    std::vector<std::string> unknown;

    FormRig()
    {
        main.setCentralWidget(mdi);
        main.resize(900, 700);
        main.show();
        core.SetUserInterface(&ui);
        core.SetWindowRequest([this](const std::string& name) {
            if (!ShowWindowRequest(name, core, &main)) unknown.push_back(name);
        });
        core.Resize(64, 48);
    }

    /// Runs check on the modal dialog that the request opens, then lets the
    /// request return.
    template <class Form>
    void WithModal(const std::string& request, std::function<void(Form&)> check)
    {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* form = dynamic_cast<Form*>(QApplication::activeModalWidget());
            ASSERT_NE(nullptr, form) << request;
            seen = true;
            check(*form);
            // A refusal keeps it open: close it for the test to go on.
            if (form->isVisible()) form->reject();
        });
        EXPECT_TRUE(ShowWindowRequest(request, core, &main));
        EXPECT_TRUE(seen) << request;
    }

    std::size_t Refusals() const { return ui.EventsOf("message").size(); }
};

void Click(QDialog& form, QDialogButtonBox::StandardButton which)
{
    form.findChild<QDialogButtonBox*>()->button(which)->click();
}

TEST(DialogForms, UnknownNamesAreLeftToTheCaller)
{
    FormRig rig;
    EXPECT_FALSE(ShowWindowRequest("About", rig.core, &rig.main));
    EXPECT_FALSE(ShowWindowRequest("", rig.core, &rig.main));
}

TEST(DialogForms, PolygonizerControlShowsAndAppliesTheSettings)
{
    FormRig rig;
    vynui::CSurfaceManager& surfaces = *rig.core.GetSurfaceManager();
    surfaces.GetSettings().edgeBisections = 7;
    ASSERT_TRUE(rig.core.RouteCommand("Polygonizer Control"));
    auto* form = dynamic_cast<CPolygonizerControlDialog*>(FindModelessForm(rig.core, "Polygonizer Control"));
    ASSERT_NE(nullptr, form);
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->isModal());
    EXPECT_EQ("7", form->BisectionsEdit()->text());
    EXPECT_EQ(QString::fromStdString(surfaces.GetPolygonizerDialog().isoValueText),
              form->IsoValueEdit()->text());
    EXPECT_EQ(surfaces.GetSettings().gridResolutionControl, form->CellsEdit()->isEnabled());
    Shoot(form, "polygonizer_control");

    form->GridControlBox()->setChecked(true);
    EXPECT_TRUE(form->CellsEdit()->isEnabled());
    form->CellsEdit()->setText("37");
    Click(*form, QDialogButtonBox::Apply);
    EXPECT_EQ(37u, surfaces.GetSettings().gridCells);
    EXPECT_TRUE(surfaces.GetSettings().gridResolutionControl);

    // Out of range: the model's message, nothing applied.
    form->CellsEdit()->setText("1001");
    Click(*form, QDialogButtonBox::Apply);
    ASSERT_EQ(1u, rig.Refusals());
    EXPECT_EQ("Please enter an integer between 1 and 1000.", rig.ui.EventsOf("message")[0].text);
    EXPECT_EQ(37u, surfaces.GetSettings().gridCells);

    // A second request shows the same form again.
    rig.core.RouteCommand("Polygonizer Control");
    EXPECT_EQ(form, FindModelessForm(rig.core, "Polygonizer Control"));
    EXPECT_EQ("37", form->CellsEdit()->text());
}

TEST(DialogForms, RefineMeshStartsClearedAndRefusesTooManySteps)
{
    FormRig rig;
    rig.WithModal<CRefineMeshDialog>("Refine Mesh", [&](CRefineMeshDialog& form) {
        for (int i = 0; i < 6; ++i) EXPECT_EQ("0", form.StepsEdit(i)->text());
        EXPECT_FALSE(form.SubdivideBox()->isChecked());
        Shoot(&form, "refine_mesh");
        form.StepsEdit(3)->setText("501");
        Click(form, QDialogButtonBox::Ok);
        EXPECT_TRUE(form.isVisible()) << "stays open on a refusal";
        EXPECT_EQ(1u, rig.Refusals());
        form.StepsEdit(3)->setText("2");
        Click(form, QDialogButtonBox::Ok);
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(QDialog::Accepted, form.result());
    });
}

TEST(DialogForms, CachingControlShowsAndAppliesTheManagersDefaults)
{
    FormRig rig;
    vynbt::FieldCacheManager& caches = *vynbt::FieldCacheManager::Get();
    const unsigned int before = caches.GetDefaultCacheResolution();
    const auto valueMode = caches.GetDefaultValueMode();
    rig.WithModal<CCachingControlDialog>("Caching Control", [&](CCachingControlDialog& form) {
        EXPECT_EQ(QString::number(before), form.ResolutionEdit()->text());
        EXPECT_EQ(caches.IsCachingEnabled(), form.EnableBox()->isChecked());
        EXPECT_EQ(int(caches.GetDefaultGradientMode()), form.GradientGroup()->checkedId());
        EXPECT_EQ("Caching Control Panel", form.windowTitle());
        Shoot(&form, "caching_control");
        form.ResolutionEdit()->setText("2000");
        Click(form, QDialogButtonBox::Ok);
        EXPECT_EQ("Please enter an integer between 4 and 1024.", rig.ui.EventsOf("message").at(0).text);
        form.ResolutionEdit()->setText("96");
        form.ValueGroup()->button(1)->click();
        Click(form, QDialogButtonBox::Ok);
        EXPECT_FALSE(form.isVisible());
    });
    EXPECT_EQ(96u, caches.GetDefaultCacheResolution());
    EXPECT_EQ(vynbt::FieldCache::TriQuadratic, caches.GetDefaultValueMode());
    caches.SetDefaultCacheResolution(before, false);
    caches.SetDefaultValueMode(valueMode, false);
}

TEST(DialogForms, WorldDimensionsRecomputesAndStoresTheFactor)
{
    FormRig rig;
    // What "Set World Dimensions" loads from a 2 x 4 x 1 mesh.
    ASSERT_TRUE(rig.core.GetMeshExport().GetWorldDimensionsDialog().Load(
        Wml::AxisAlignedBox3<float>(0, 2, 0, 4, 0, 1), rig.core.GetViewController()));
    rig.WithModal<CWorldDimensionsDialog>("Set World Dimensions", [&](CWorldDimensionsDialog& form) {
        EXPECT_EQ("2.000000", form.ModelEdit(0)->text());
        EXPECT_TRUE(form.ModelEdit(1)->isReadOnly());
        EXPECT_EQ("1.000000", form.FactorEdit()->text());
        Shoot(&form, "world_dimensions");
        // A world height of 8 for a model 4 high: factor 2, width 4.
        form.WorldEdit(1)->setText("8");
        emit form.WorldEdit(1)->editingFinished();
        EXPECT_EQ("2.000000", form.FactorEdit()->text());
        EXPECT_EQ("4.000000", form.WorldEdit(0)->text());
        form.FactorEdit()->setText("-3");
        emit form.FactorEdit()->editingFinished();
        EXPECT_EQ(1u, rig.Refusals());
        EXPECT_EQ("2.000000", form.FactorEdit()->text()) << "a refused edit shows the old value";
        Click(form, QDialogButtonBox::Ok);
    });
    EXPECT_FLOAT_EQ(2.0f, rig.core.GetViewController().GetWorldScaleFactor());
}

TEST(DialogForms, LightingControlIsModelessAndApplies)
{
    FormRig rig;
    vynui::RenderingSettings& settings = rig.core.GetRenderingManager().GetSettings();
    settings.lightingMode = 2;
    ASSERT_TRUE(rig.core.RouteCommand("Lighting Control"));
    auto* form = dynamic_cast<CLightingControlDialog*>(FindModelessForm(rig.core, "Lighting Control"));
    ASSERT_NE(nullptr, form);
    EXPECT_FALSE(form->isModal());
    EXPECT_EQ(1, form->LightingGroup()->checkedId()) << "Diffuse + Specular";
    EXPECT_EQ(1, form->ColouringGroup()->checkedId()) << "Selection Color";
    EXPECT_EQ("0.200", form->AmbientLabel()->text());
    Shoot(form, "lighting_control");
    form->ShadingGroup()->button(1)->click();
    form->AxesBox()->setChecked(true);
    // Ambient light through the value prompt, applied with the rest.
    rig.ui.AnswerValue(0.5f);
    for (QPushButton* button : form->findChildren<QPushButton*>())
        if (button->text() == "Set Ambient Light") button->click();
    EXPECT_EQ("0.500", form->AmbientLabel()->text());
    Click(*form, QDialogButtonBox::Apply);
    EXPECT_TRUE(settings.flatShading);
    EXPECT_TRUE(settings.showAxes);
    EXPECT_FLOAT_EQ(0.5f, settings.ambientLight);
    EXPECT_EQ(2, settings.lightingMode);
}

TEST(DialogForms, PointSetConfigurationShowsAndApplies)
{
    FormRig rig;
    ASSERT_TRUE(rig.core.RouteCommand("Point Set Control"));
    auto* form = dynamic_cast<CPointSetConfigurationDialog*>(FindModelessForm(rig.core, "Point Set Control"));
    ASSERT_NE(nullptr, form);
    EXPECT_EQ("0.001", form->ValueEdit(CPointSetConfigurationDialog::DISC_DENSITY)->text());
    EXPECT_EQ("4", form->ValueEdit(CPointSetConfigurationDialog::STIPPLE_DENSITY)->text());
    EXPECT_TRUE(form->CheckBox(CPointSetConfigurationDialog::MESH_Z_FILL)->isChecked());
    Shoot(form, "point_set_configuration");
    form->ValueEdit(CPointSetConfigurationDialog::STIPPLE_DENSITY)->setText("7");
    form->CheckBox(CPointSetConfigurationDialog::ALL)->setChecked(true);
    Click(*form, QDialogButtonBox::Apply);
    EXPECT_EQ(7, rig.core.GetRenderingManager().GetPointSet().GetStippleDensity());
    EXPECT_TRUE(rig.core.GetRenderingManager().GetSettings().allPoints);
    for (const char* bad : {"0", "many"}) {
        form->ValueEdit(CPointSetConfigurationDialog::STIPPLE_DENSITY)->setText(bad);
        Click(*form, QDialogButtonBox::Apply);
        EXPECT_EQ(7, rig.core.GetRenderingManager().GetPointSet().GetStippleDensity()) << bad;
    }
    EXPECT_EQ(2u, rig.Refusals());
}

TEST(DialogForms, SketchOptionsListsTheOperations)
{
    FormRig rig;
    ASSERT_TRUE(ShowWindowRequest("Sketch Options", rig.core, &rig.main));
    auto* form = dynamic_cast<CSketchOptionsDialog*>(FindModelessForm(rig.core, "Sketch Options"));
    ASSERT_NE(nullptr, form);
    const auto& items = rig.core.GetSketchManager()->GetOptionsDialog().GetItems();
    ASSERT_EQ(int(items.size()), form->List()->count());
    EXPECT_EQ(QString::fromStdString(items[0]), form->List()->item(0)->text());
    EXPECT_EQ("No Option", form->ParameterLabel()->text());
    EXPECT_FALSE(form->ParameterSlider()->isEnabled());
    Shoot(form, "sketch_options");
}

TEST(DialogForms, TheHelpCommandOpensGesturesAndKeysOncePerView)
{
    FormRig rig;
    ASSERT_TRUE(rig.core.RouteCommand("Gestures and Keys"));
    auto* window = dynamic_cast<CHelpWindow*>(FindModelessForm(rig.core, "Gestures and Keys"));
    ASSERT_NE(nullptr, window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isModal());
    EXPECT_EQ("Gestures and Keys", window->windowTitle());

    EXPECT_EQ(QStringList({"Tap", "Line", "Hairpin", "Corner", "Scribble", "Circle", "Crossing", "Flick"}),
              window->GestureNames());
    for (const QString& name : window->GestureNames()) {
        auto* picture = window->findChild<QLabel*>("picture " + name);
        ASSERT_NE(nullptr, picture) << name.toStdString();
        EXPECT_FALSE(picture->pixmap().isNull());
    }
    // Every key of the view, in the view's own order and words.
    const auto& keys = vynui::ViewKeyTable();
    QTableWidget* table = window->Keys();
    ASSERT_EQ(int(keys.size()), table->rowCount());
    for (int row = 0; row < table->rowCount(); ++row) {
        EXPECT_EQ(QString::fromStdString(keys[row].label), table->item(row, 0)->text());
        EXPECT_EQ(QString::fromStdString(keys[row].effect), table->item(row, 1)->text());
    }
    QStringList labels;
    for (int row = 0; row < table->rowCount(); ++row) labels << table->item(row, 0)->text();
    for (const char* key : {"+", "t", "z", "Space (held)", "Escape", "Alt (held)"})
        EXPECT_TRUE(labels.contains(key)) << key;

    // Asking again shows the same window.
    ASSERT_TRUE(rig.core.RouteCommand("Gestures and Keys"));
    EXPECT_EQ(window, FindModelessForm(rig.core, "Gestures and Keys"));
    EXPECT_EQ(1, int(rig.main.findChildren<CHelpWindow*>().size()));
    Shoot(window, "gestures_and_keys");
}

TEST(DialogForms, GesturePicturesDrawTheStrokeOverItsBackdrop)
{
    // The stroke is drawn in dark blue ink with a green start dot: a picture
    // with neither would show an empty box.
    for (const vynui::HelpGesture& gesture : vynui::HelpGestures()) {
        const QImage image = CHelpWindow::DrawGesture(gesture, 120);
        int ink = 0, start = 0, backdrop = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.blue() > 140 && c.red() < 60 && c.green() < 80) ++ink;
                if (c.green() > 120 && c.red() < 60 && c.blue() < 90) ++start;
                if (c != Qt::white && !(c.blue() > 140 && c.red() < 60)) ++backdrop;
            }
        EXPECT_GT(ink, 20) << gesture.name;
        if (gesture.stroke.size() > 1) {
            EXPECT_GT(start, 5) << gesture.name;
        }
        EXPECT_GT(backdrop, 200) << gesture.name;
    }
}

TEST(DialogForms, FieldImageToggles)
{
    FormRig rig;
    ASSERT_TRUE(rig.core.RouteCommand("Point"));
    ASSERT_TRUE(rig.core.RouteCommand("Field Image"));
    CFieldImageWindow* window = FindFieldImageWindow(rig.core);
    ASSERT_NE(nullptr, window);
    EXPECT_TRUE(window->isWindow()) << "beside the main window, not in place of the view";
    EXPECT_TRUE(rig.mdi->subWindowList().isEmpty());
    vynui::CommandState state;
    rig.core.UpdateCommand("Field Image", state);
    EXPECT_TRUE(state.checked);
    EXPECT_EQ(256u, window->Model().GetSampledResolution());
    EXPECT_GT(window->Model().GetMaximum(), 0.5f) << "the point's field";
    ASSERT_NE(nullptr, window->ImageLabel()->pixmap().isNull() ? nullptr : window);
    EXPECT_EQ(256, window->ImageLabel()->pixmap().width());
    for (const char* text :
         {"Save Image", "Save Value Field", "Stretch To Fit", "Show IsoSurface", "Apply Sin Filter",
          "Normalize Values", "Normalization Error", "2048", "Y/Z Plane"})
        EXPECT_NE(nullptr, window->FindAction(text)) << text;
    Shoot(window, "field_image");

    // A resolution re-samples; a display toggle only rebuilds.
    window->FindAction("128")->trigger();
    EXPECT_EQ(128, window->ImageLabel()->pixmap().width());
    const unsigned int builds = window->Model().GetBuildCount();
    window->FindAction("Apply Sin Filter")->trigger();
    EXPECT_FALSE(window->Model().GetSinFilter());
    EXPECT_EQ(builds + 1, window->Model().GetBuildCount());
    // "r" samples the scene again.
    rig.core.Character('r');
    EXPECT_EQ(builds + 2, window->Model().GetBuildCount());
    EXPECT_EQ(128, window->ImageLabel()->pixmap().width());
    // Saving where nothing can be written says so.
    rig.ui.AnswerFile("/nonexistent-folder/field.png");
    window->FindAction("Save Image")->trigger();
    ASSERT_EQ(1u, rig.Refusals());
    EXPECT_EQ("Error Saving File", rig.ui.EventsOf("message")[0].text);

    // The second request closes it.
    ASSERT_TRUE(rig.core.RouteCommand("Field Image"));
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(nullptr, FindFieldImageWindow(rig.core));
    rig.core.UpdateCommand("Field Image", state);
    EXPECT_FALSE(state.checked);
}

TEST(DialogForms, RayTraceRendersTheViewsPicture)
{
    FormRig rig;
    ASSERT_TRUE(rig.core.RouteCommand("Point"));
    ASSERT_TRUE(rig.core.RouteCommand("RayTrace"));
    CRayTraceWindow* window = FindRayTraceWindow(rig.core);
    ASSERT_NE(nullptr, window);
    // "z" asks first; Yes renders into the window.
    rig.ui.AnswerQuestion(vynui::Answer::Yes);
    rig.core.Character('z');
    ASSERT_TRUE(window->Tracer().IsRunning());
    window->FinishNow();
    EXPECT_TRUE(window->Tracer().IsComplete());
    EXPECT_EQ(64, window->ImageLabel()->pixmap().width());
    EXPECT_EQ(48, window->ImageLabel()->pixmap().height());
    const QImage image = window->ImageLabel()->pixmap().toImage();
    EXPECT_EQ(0, qRed(image.pixel(32, 24)));
    EXPECT_GT(qGreen(image.pixel(32, 24)), 51) << "lit green in the middle";
    EXPECT_EQ(0, qGreen(image.pixel(0, 0))) << "black where nothing is hit";
    window->resize(200, 160);
    Shoot(window, "ray_trace");
    EXPECT_TRUE(rig.unknown.empty());

    // When the view goes, a trace under way and the open forms go first.
    rig.ui.AnswerQuestion(vynui::Answer::Yes);
    rig.core.Character('z');
    ASSERT_TRUE(rig.core.RouteCommand("Lighting Control"));
    ASSERT_NE(nullptr, FindModelessForm(rig.core, "Lighting Control"));
    CloseWindowsOf(rig.core);
    EXPECT_EQ(nullptr, FindRayTraceWindow(rig.core));
    EXPECT_EQ(nullptr, FindModelessForm(rig.core, "Lighting Control"));
    QApplication::processEvents();
}

}  // namespace

int main(int argc, char** argv)
{
    // Test discovery runs at build time, without a display.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
