// The main window in this process: menus and tool bars built from the
// tables and wired to the view, the About box, the value dialog and the
// recent-file list. Needs a display.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QSettings>
#include <QSurfaceFormat>
#include <QTimer>
#include <QToolBar>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "animation/AnimationManager.h"
#include "app/ChildFrame.h"
#include "app/DialogForms.h"
#include "app/GLView.h"
#include "app/MainFrame.h"
#include "app/MolderyApp.h"
#include "app/SetFloatValueDialog.h"
#include "app/Standard3DView.h"
#include "blobtree_ui/RootNodeSceneObject.h"
#include "persist/SaveLoadManager.h"
#include "scene/SceneManager.h"
#include "tests/support/TempFolder.h"
#include "view/MenuTable.h"
#include "view/ViewCore.h"

namespace {

const kftest::TempFolder& Folder()
{
    static const kftest::TempFolder folder("main_window");
    return folder;
}

/// One application for the whole process; its settings go to a temporary
/// folder, never to the person's own.
void EnsureApplication()
{
    if (QApplication::instance()) return;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(Folder().File("settings")));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       QString::fromStdString(Folder().File("settings")));
    QSurfaceFormat::setDefaultFormat(CGLView::RequestedFormat());
    static int argc = 1;
    static char name[] = "app_tests";
    static char* argv[] = {name, nullptr};
    new CMolderyApp(argc, argv);
}

void Spin(int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) QApplication::processEvents(QEventLoop::AllEvents, 10);
}

/// Answers the next modal message box with its default button and keeps
/// what it said.
struct BoxAnswerer {
    QString title, text;
    bool seen = false;

    void Arm()
    {
        auto* timer = new QTimer;
        QObject::connect(timer, &QTimer::timeout, [this, timer] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            seen = true;
            title = box->windowTitle();
            text = box->text();
            timer->stop();
            timer->deleteLater();
            box->accept();
        });
        timer->start(20);
    }
};

struct Window {
    CMainFrame frame;
    vynui::CViewCore* core = nullptr;

    Window()
    {
        frame.CreateNewChild();
        frame.show();
        Spin(300);
        core = frame.ActiveCore();
    }

    QAction* Action(const char* command) const { return frame.CommandAction(command); }
};

std::vector<std::string> MenuTitles(const QMenuBar* bar)
{
    std::vector<std::string> titles;
    for (QAction* action : bar->actions()) titles.push_back(action->text().toStdString());
    return titles;
}

std::vector<std::string> SubmenuTitles(const QMenu* menu)
{
    std::vector<std::string> titles;
    for (QAction* action : menu->actions())
        if (action->menu()) titles.push_back(action->menu()->title().toStdString());
    return titles;
}

}  // namespace

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override { EnsureApplication(); }
};

TEST_F(MainWindow, MenusComeFromTheTableAndReachTheView)
{
    Window w;
    ASSERT_NE(w.core, nullptr);
    // The maximized document's title follows the program's.
    EXPECT_TRUE(w.frame.windowTitle().startsWith("Kilnform B5")) << w.frame.windowTitle().toStdString();
    EXPECT_EQ(MenuTitles(w.frame.menuBar()), vynui::TopLevelMenus());

    // Check marks as the view starts: HUD and surface on, wireframe off.
    struct Expect {
        const char* command;
        bool enabled, checked;
    } expected[] = {{"Show HUD", true, true},     {"Show Mesh", true, true}, {"Wireframe", true, false},
                    {"Save Frames", true, false}, {"Undo", false, false},    {"Paste", false, false},
                    {"Stop", false, false},       {"Point", true, false}};
    for (const Expect& e : expected) {
        QAction* action = w.Action(e.command);
        ASSERT_NE(action, nullptr) << e.command;
        EXPECT_EQ(action->isEnabled(), e.enabled) << e.command;
        EXPECT_EQ(action->isChecked(), e.checked) << e.command;
    }
    EXPECT_EQ(w.Action("Open...")->shortcut(), QKeySequence("Ctrl+O"));
    EXPECT_EQ(w.Action("Redo")->shortcuts(),
              (QList<QKeySequence>{QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")}));
    EXPECT_EQ(w.Action("Open...")->text(), "&Open...");

    // The menu's action reaches the view's router, and its check mark follows.
    ASSERT_TRUE(w.core->IsHUDVisible());
    w.Action("Show HUD")->trigger();
    EXPECT_FALSE(w.core->IsHUDVisible());
    EXPECT_FALSE(w.Action("Show HUD")->isChecked());
    // A change made elsewhere shows when the menu opens.
    w.core->RouteCommand("Show HUD");
    w.core->RouteCommand("Wireframe");
    emit w.frame.TopMenu("View")->aboutToShow();
    EXPECT_TRUE(w.Action("Show HUD")->isChecked());
    EXPECT_TRUE(w.Action("Wireframe")->isChecked());

    // Tool bars share the menus' actions.
    for (const char* name : {"Main", "Animation", "Texture"})
        ASSERT_NE(w.frame.Toolbar(name), nullptr) << name;
    EXPECT_TRUE(w.frame.Toolbar("Main")->actions().contains(w.Action("Show Mesh")));
    EXPECT_TRUE(w.frame.Toolbar("Animation")->actions().contains(w.Action("Play")));
    EXPECT_FALSE(w.Action("Move Selection Up")->isEnabled());

    // Without the developer marker the test shapes and the demonstrations go.
    QMenu* shapes = w.frame.TopMenu("Shapes");
    ASSERT_NE(shapes, nullptr);
    if (!CMainFrame::HasDeveloperMenus()) {
        for (const std::string& command : vynui::DeveloperCommands())
            EXPECT_EQ(w.frame.CommandAction(command), nullptr) << command;
        EXPECT_EQ(SubmenuTitles(shapes), (std::vector<std::string>{"Blend", "CSG", "Warp", "Operators"}));
        w.frame.PruneDeveloperMenus();  // again: nothing left to remove
        EXPECT_NE(w.Action("Twist"), nullptr);
        EXPECT_NE(w.Action("Make Part"), nullptr);
    }

    // What a person sees: the whole window with its menus and tool bars.
    const QImage shot = w.frame.grab().toImage();
    ASSERT_FALSE(shot.isNull());
    shot.save(QString::fromStdString(Folder().File("main_window.png")));
    if (const char* keep = std::getenv("KILNFORM_KEEP_SCREENSHOT")) shot.save(keep);
}

TEST_F(MainWindow, AboutBoxSaysTheProgramAndVersion)
{
    Window w;
    BoxAnswerer answer;
    answer.Arm();
    w.Action("About Kilnform...")->trigger();
    EXPECT_TRUE(answer.seen);
    EXPECT_EQ(answer.title, "About Kilnform");
    EXPECT_EQ(answer.text, "Kilnform B5");
}

TEST_F(MainWindow, HelpOpensGesturesAndKeysBesideTheView)
{
    Window w;
    QAction* help = w.Action("Gestures and Keys");
    ASSERT_NE(nullptr, help);
    EXPECT_EQ(QKeySequence(Qt::Key_F1), help->shortcut());
    ASSERT_NE(nullptr, w.frame.TopMenu("Help"));
    EXPECT_TRUE(w.frame.TopMenu("Help")->actions().contains(help));
    w.frame.UpdateActions();
    EXPECT_TRUE(help->isEnabled());
    help->trigger();
    QWidget* window = FindModelessForm(*w.core, "Gestures and Keys");
    ASSERT_NE(nullptr, window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isWindow());
    EXPECT_FALSE(window->isModal());
    // The view keeps the commands: the help is no document window.
    EXPECT_EQ(w.core, w.frame.ActiveCore());
}

TEST_F(MainWindow, ValuePromptsUseTheValueDialog)
{
    Window w;
    QString title;
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [&title, timer] {
        auto* dialog = qobject_cast<CSetFloatValueDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        title = dialog->windowTitle();
        timer->stop();
        timer->deleteLater();
        dialog->GetEdit()->setText("240");
        dialog->accept();
    });
    timer->start(20);
    w.Action("Set Length")->trigger();
    EXPECT_EQ(title, "Set Max Frame");
    EXPECT_EQ(w.core->GetAnimationManager().GetLength(), 240u);
}

TEST_F(MainWindow, ValueDialogRefusesOutOfRangeAndStaysOpen)
{
    vynui::ValueRequest request;
    request.label = "Max Frame";
    request.minimum = 1;
    request.maximum = 10000;
    request.current = 100;
    request.integer = true;
    CSetFloatValueDialog dialog(request);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Set Max Frame");
    EXPECT_EQ(dialog.GetEdit()->text(), "100");
    EXPECT_EQ(dialog.GetEdit()->selectedText(), "100");
    EXPECT_EQ(dialog.GetRangeLabel()->text(), "1 to 10000");

    dialog.GetEdit()->setText("20000");
    BoxAnswerer answer;
    answer.Arm();
    dialog.accept();
    EXPECT_TRUE(answer.seen);
    EXPECT_EQ(answer.title, "Invalid Value");
    EXPECT_EQ(answer.text, "Value 20000 is out of range");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.GetValue(), 100.0f);

    dialog.GetEdit()->setText("250");
    dialog.accept();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.GetValue(), 250.0f);
}

TEST_F(MainWindow, RecentFilesAreListedStoredAndOpened)
{
    Window w;
    const std::string a = Folder().File("a.xml"), b = Folder().File("b & c.xml");
    w.frame.AddRecentFile(a);
    w.frame.AddRecentFile(b);
    EXPECT_EQ(CMolderyApp::LoadRecentFiles(), (std::vector<std::string>{b, a}));

    QStringList shown;
    for (QAction* action : w.frame.TopMenu("File")->actions())
        if (action->isVisible() && action->text().startsWith('&') && action->text().at(1).isDigit())
            shown << action->text();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0].toStdString(), "&1 " + Folder().File("b && c.xml"));

    // Without anyone to open files, the list stays as it is.
    w.frame.SetOpenPathHook(nullptr);
    EXPECT_FALSE(w.frame.OpenPath(a));
    EXPECT_EQ(w.frame.GetRecentFiles().Entries(), (std::vector<std::string>{b, a}));

    std::vector<std::string> asked;
    w.frame.SetOpenPathHook([&](vynui::CViewCore&, const std::string& path) {
        asked.push_back(path);
        return path == a;
    });
    // The second item opens a, which moves up; b cannot be read and leaves.
    for (QAction* action : w.frame.TopMenu("File")->actions())
        if (action->text().startsWith("&2 ")) action->trigger();
    EXPECT_EQ(w.frame.GetRecentFiles().Entries(), (std::vector<std::string>{a, b}));
    EXPECT_FALSE(w.frame.OpenPath(b));
    EXPECT_EQ(asked, (std::vector<std::string>{a, b}));
    EXPECT_EQ(CMolderyApp::LoadRecentFiles(), (std::vector<std::string>{a}));
    CMolderyApp::SaveRecentFiles({});
}

TEST_F(MainWindow, ClosingWithUnsavedChangesAsksToSaveThemFirst)
{
    Window w;
    ASSERT_NE(w.core, nullptr);
    vynui::CSceneManager* scene = w.core->GetSceneManager();
    // The maximized document window adds its own title after this one.
    EXPECT_TRUE(w.frame.windowTitle().startsWith("Kilnform B5[*]")) << w.frame.windowTitle().toStdString();
    EXPECT_FALSE(w.frame.isWindowModified());

    scene->AddNode(1, scene->GetRootSceneObject(), false);
    EXPECT_TRUE(w.frame.isWindowModified());

    // Clicks one button of the next message box and keeps its buttons.
    struct Clicker {
        QMessageBox::StandardButtons offered;
        QString title;
        void Arm(QMessageBox::StandardButton button)
        {
            auto* timer = new QTimer;
            QObject::connect(timer, &QTimer::timeout, [this, timer, button] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (!box) return;
                offered = box->standardButtons();
                title = box->windowTitle();
                timer->stop();
                timer->deleteLater();
                box->button(button)->click();
            });
            timer->start(20);
        }
    } clicker;

    clicker.Arm(QMessageBox::Cancel);
    EXPECT_FALSE(w.frame.close());
    EXPECT_TRUE(w.frame.isVisible());
    EXPECT_EQ(clicker.offered, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    EXPECT_EQ(clicker.title.toStdString(), "Unsaved Changes");
    EXPECT_TRUE(w.core->GetDocument().IsModified());

    clicker.Arm(QMessageBox::Discard);
    EXPECT_TRUE(w.frame.close());
    // The process-wide scene goes on to the next test empty.
    scene->NewScene();
}

TEST_F(MainWindow, ADroppedSceneFileIsOpenedAndOtherFilesAreRefused)
{
    const std::string path = Folder().File("dropped.xml");
    {
        vynui::CSceneManager maker;
        maker.AddNode(1, maker.GetRootSceneObject(), false);
        maker.AddNode(1, maker.GetRootSceneObject(), false);
        vynui::CSaveLoadManager files;
        files.SetSceneManager(&maker);
        ASSERT_TRUE(files.SaveScene(path));
    }
    Window w;
    ASSERT_NE(w.core, nullptr);
    EXPECT_TRUE(w.frame.acceptDrops());
    vynui::CSceneManager* scene = w.core->GetSceneManager();
    const std::size_t before = scene->GetRootSceneObject()->GetChildren().size();

    auto drop = [&](const std::string& file) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(file))});
        const QPointF at(w.frame.width() / 2.0, w.frame.height() / 2.0);
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w.frame, &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent event(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w.frame, &event);
        EXPECT_TRUE(event.isAccepted());
        Spin(200);
    };
    drop(path);
    EXPECT_EQ(scene->GetRootSceneObject()->GetChildren().size(), before + 2);
    ASSERT_FALSE(w.frame.GetRecentFiles().Entries().empty());
    EXPECT_EQ(w.frame.GetRecentFiles().Entries().front(), path);

    // Another kind of file: a message box says so and the scene stays.
    BoxAnswerer box;
    box.Arm();
    drop(Folder().File("notes.txt"));
    for (int i = 0; i < 50 && !box.seen; ++i) Spin(20);
    EXPECT_TRUE(box.seen);
    EXPECT_NE(box.text.toStdString().find("not a type Kilnform opens"), std::string::npos)
        << box.text.toStdString();
    EXPECT_EQ(scene->GetRootSceneObject()->GetChildren().size(), before + 2);
    CMolderyApp::SaveRecentFiles({});
}
