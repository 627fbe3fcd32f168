#include "app/MolderyApp.h"

#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImageWriter>
#include <QPainter>
#include <QPixmap>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/BlobTreeEditorDock.h"
#include "app/ChildFrame.h"
#include "app/MainFrame.h"
#include "app/ParametersDock.h"
#include "app/Standard3DView.h"
#include "scene/UserInterface.h"
#include "view/Autosave.h"
#include "view/RecentFileList.h"
#include "view/ReplayScript.h"
#include "view/ViewCore.h"

CMolderyApp::CMolderyApp(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName("Kilnform");
    setOrganizationName("Kilnform");
    setApplicationDisplayName("Kilnform B5");
}

CMolderyApp::~CMolderyApp()
{
    StopAutosave();
    delete m_mainFrame;
}

namespace {

// Where the list lives in the settings: one key per entry, File1 the newest.
const char* const kRecentGroup = "Recent File List";

QString RecentKey(std::size_t index)
{
    return QString("File%1").arg(index + 1);
}

}  // namespace

std::vector<std::string> CMolderyApp::LoadRecentFiles()
{
    QSettings settings("Kilnform", "Kilnform");
    settings.beginGroup(kRecentGroup);
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < vynui::RecentFileList::kSize; ++i)
        paths.push_back(settings.value(RecentKey(i)).toString().toStdString());
    settings.endGroup();
    vynui::RecentFileList list;
    list.Assign(paths);
    return list.Entries();
}

void CMolderyApp::SaveRecentFiles(const std::vector<std::string>& paths)
{
    QSettings settings("Kilnform", "Kilnform");
    settings.beginGroup(kRecentGroup);
    for (std::size_t i = 0; i < vynui::RecentFileList::kSize; ++i) {
        if (i < paths.size())
            settings.setValue(RecentKey(i), QString::fromStdString(paths[i]));
        else
            settings.remove(RecentKey(i));
    }
    settings.endGroup();
}

bool CMolderyApp::ParseCommandLine(const QStringList& arguments, Options& options, QString& error)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Kilnform B5: sketch-based 3D modelling\n\n"
        "Without a window: Kilnform --export-mesh OUT [--cell-size S] [--algorithm NAME] SCENE\n"
        "(Kilnform --export-mesh --help tells more).");
    QCommandLineOption help({"h", "help"}, "Show this help.");
    parser.addOption(help);
    QCommandLineOption screenshot("screenshot", "Render one frame, write it as PNG to FILE and exit.",
                                  "FILE");
    QCommandLineOption size("size", "Size of the screenshot in pixels, e.g. 640x480.", "WIDTHxHEIGHT");
    QCommandLineOption replay(
        "replay", "Run the user actions of script FILE, then exit (non-zero on an error).", "FILE");
    parser.addOption(screenshot);
    parser.addOption(size);
    parser.addOption(replay);
    if (!parser.parse(arguments)) {
        error = parser.errorText();
        return false;
    }
    options = Options();
    if (parser.isSet(help)) {
        options.showHelp = true;
        options.helpText = parser.helpText();
        return true;
    }
    if (parser.isSet(screenshot)) {
        options.screenshotPath = parser.value(screenshot);
        if (options.screenshotPath.isEmpty()) {
            error = "--screenshot needs a file name";
            return false;
        }
    }
    if (parser.isSet(replay)) {
        options.replayPath = parser.value(replay);
        if (options.replayPath.isEmpty()) {
            error = "--replay needs a file name";
            return false;
        }
    }
    if (parser.isSet(size)) {
        const QStringList parts = parser.value(size).split('x');
        bool okW = false, okH = false;
        const int w = parts.size() == 2 ? parts[0].toInt(&okW) : 0;
        const int h = parts.size() == 2 ? parts[1].toInt(&okH) : 0;
        // Keep within what a GL framebuffer reliably offers.
        if (!okW || !okH || w < 1 || h < 1 || w > 8192 || h > 8192) {
            error = "--size must be WIDTHxHEIGHT with each between 1 and 8192";
            return false;
        }
        options.screenshotSize = QSize(w, h);
    }
    return true;
}

QString CMolderyApp::RecoveryFolder()
{
    const QString chosen = qEnvironmentVariable("KILNFORM_RECOVERY_DIR");
    if (!chosen.isEmpty()) return chosen;
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/recovery";
}

void CMolderyApp::StartAutosave(vynui::CViewCore& view)
{
    double seconds = vynui::kDefaultAutosaveSeconds;
    std::string error;
    if (!vynui::ParseAutosaveSeconds(std::getenv("KILNFORM_AUTOSAVE_SECONDS"), seconds, error))
        std::fprintf(stderr, "Kilnform: %s\n", error.c_str());
    m_clock.start();
    const vynui::RecoveryFolder folder(RecoveryFolder().toStdString());
    m_autosave = std::make_unique<vynui::CAutosave>(view, folder, seconds, 0.0);
    // Often enough that a snapshot is never much later than due.
    m_autosaveTimer.setInterval(std::clamp(int(seconds * 250.0), 50, 1000));
    connect(&m_autosaveTimer, &QTimer::timeout, this, &CMolderyApp::AutosaveTick);
    m_autosaveTimer.start();
}

void CMolderyApp::AutosaveTick()
{
    if (!m_autosave) return;
    m_autosave->Tick(double(m_clock.elapsed()) / 1000.0);
    const std::string error = m_autosave->TakeError();
    if (error.empty()) return;
    std::fprintf(stderr, "Kilnform: autosave failed: %s\n", error.c_str());
    if (m_mainFrame)
        m_mainFrame->statusBar()->showMessage(QString::fromStdString("Autosave failed: " + error));
}

void CMolderyApp::StopAutosave()
{
    m_autosaveTimer.stop();
    m_autosave.reset();
}

void CMolderyApp::OfferRecovery(vynui::CViewCore& view, vynui::UserInterface& ui)
{
    const vynui::RecoveryFolder folder(RecoveryFolder().toStdString());
    vynui::OfferRecovery(view, ui, folder, m_autosave.get(), double(m_clock.elapsed()) / 1000.0);
}

int CMolderyApp::Run(const Options& options)
{
    m_mainFrame = new CMainFrame;
    CChildFrame* child = m_mainFrame->CreateNewChild();
    m_mainFrame->show();
    if (!options.replayPath.isEmpty()) {
        StartAutosave(child->GetView()->GetCore());
        int code = 1;
        QTimer::singleShot(0, this, [&]() {
            code = Replay(options);
            // Leaves the loop without closing the window: the script is done,
            // nobody is there to answer the unsaved-changes question.
            exit(code);
        });
        exec();
        StopAutosave();
        return code;
    }
    if (options.screenshotPath.isEmpty()) {
        vynui::CViewCore& core = child->GetView()->GetCore();
        StartAutosave(core);
        QTimer::singleShot(0, this, [this, &core]() {
            if (core.GetUserInterface()) OfferRecovery(core, *core.GetUserInterface());
        });
        const int code = exec();
        StopAutosave();
        return code;
    }

    int code = 1;
    // Wait until the window is up and its GL context exists.
    QTimer::singleShot(0, this, [&]() {
        code = WriteScreenshot(options) ? 0 : 1;
        exit(code);
    });
    exec();
    return code;
}

bool CMolderyApp::WriteScreenshot(const Options& options)
{
    CChildFrame* child = m_mainFrame->ActiveChild();
    CStandard3DView* view = child ? child->GetView() : nullptr;
    if (!view) {
        std::fprintf(stderr, "Kilnform: no view to render\n");
        return false;
    }
    QSize size = options.screenshotSize;
    if (!size.isValid()) size = view->size() * view->devicePixelRatioF();
    const QImage image = view->RenderToImage(size.width(), size.height());
    if (image.isNull()) {
        std::fprintf(stderr, "Kilnform: could not render the view (no OpenGL context?)\n");
        return false;
    }
    QImageWriter writer(options.screenshotPath, "png");
    if (!writer.write(image)) {
        std::fprintf(stderr, "Kilnform: cannot write %s: %s\n", qPrintable(options.screenshotPath),
                     qPrintable(writer.errorString()));
        return false;
    }
    return true;
}

int CMolderyApp::Replay(const Options& options)
{
    CChildFrame* child = m_mainFrame->ActiveChild();
    CStandard3DView* view = child ? child->GetView() : nullptr;
    if (!view) {
        std::fprintf(stderr, "Kilnform: no view to replay into\n");
        return 1;
    }
    vynui::ReplayScript script;
    std::string error;
    if (!script.Load(options.replayPath.toStdString(), error)) {
        std::fprintf(stderr, "Kilnform: %s\n", error.c_str());
        return 2;
    }
    if (options.screenshotSize.isValid())
        m_mainFrame->SizeViewTo(options.screenshotSize.width(), options.screenshotSize.height());
    processEvents();

    m_mainFrame->SetScripted(true);
    vynui::ReplayUserInterface ui;
    ui.SetEcho([](const std::string& line) { std::fprintf(stderr, "Kilnform: %s\n", line.c_str()); });
    view->SetUserInterface(&ui);
    vynui::ReplayScript::Window window;
    window.resize = [this](int w, int h) { m_mainFrame->SizeViewTo(w, h); };
    window.wait = [this](double seconds) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < qint64(seconds * 1000.0)) processEvents(QEventLoop::AllEvents, 20);
    };
    window.screenshot = [view](const std::string& path, std::string& why) {
        const qreal ratio = view->devicePixelRatioF();
        const QImage image = view->RenderToImage(int(view->width() * ratio), int(view->height() * ratio));
        if (image.isNull()) {
            why = "could not render the view (no OpenGL context?)";
            return false;
        }
        QImageWriter writer(QString::fromStdString(path), "png");
        if (!writer.write(image)) {
            why = "cannot write " + path + ": " + writer.errorString().toStdString();
            return false;
        }
        return true;
    };
    window.capture = [this, view](const std::string& title, const std::string& path, std::string& why) {
        QWidget* shown = title.empty() ? static_cast<QWidget*>(m_mainFrame) : nullptr;
        for (QWidget* top : topLevelWidgets())
            if (!shown && top->isVisible() && top->windowTitle() == QString::fromStdString(title))
                shown = top;
        if (!shown) {
            why = "no window \"" + title + "\" is open";
            return false;
        }
        processEvents();
        QPixmap picture = shown->grab();
        if (shown == m_mainFrame && !picture.isNull()) {
            // The grab composes the GL view with its stray alpha: the view's
            // own picture goes over it.
            const QImage scene = view->RenderToImage(view->width(), view->height());
            QPainter painter(&picture);
            if (!scene.isNull())
                painter.drawImage(QRect(view->mapTo(m_mainFrame, QPoint(0, 0)), view->size()), scene);
        }
        if (picture.isNull() || !picture.save(QString::fromStdString(path), "png")) {
            why = "cannot write " + path;
            return false;
        }
        return true;
    };
    window.parameter = [this](const std::string& name, std::string& value) {
        QString shown;
        if (!m_mainFrame->GetParametersDock()->ShownValue(QString::fromStdString(name), shown)) return false;
        value = shown.toStdString();
        return true;
    };
    window.editParameter = [this](const std::string& name, const std::string& text, std::string& why) {
        if (!m_mainFrame->GetParametersDock()->TypeValue(QString::fromStdString(name),
                                                         QString::fromStdString(text))) {
            why = "the parameter panel has no row \"" + name + "\"";
            return false;
        }
        // The dock applies the edit from the event loop, after the editor lets go.
        processEvents();
        processEvents();
        return true;
    };
    window.treeItem = [this](const std::string& label) {
        return m_mainFrame->GetBlobTreeEditorDock()->ShowsItem(QString::fromStdString(label));
    };
    // An autosaved scene is offered only to a script that answers first:
    // any other script leaves the files for the next start.
    window.start = [this, view, &ui]() {
        if (ui.HasQueuedAnswers()) OfferRecovery(view->GetCore(), ui);
    };
    const bool ok = script.Run(view->GetCore(), ui, window, error);
    processEvents();
    if (ok && !options.screenshotPath.isEmpty()) {
        std::string why;
        if (!window.screenshot(options.screenshotPath.toStdString(), why)) {
            std::fprintf(stderr, "Kilnform: %s\n", why.c_str());
            view->SetUserInterface(nullptr);
            return 1;
        }
    }
    view->SetUserInterface(nullptr);
    if (!ok) {
        std::fprintf(stderr, "Kilnform: %s: %s\n", qPrintable(options.replayPath), error.c_str());
        return 1;
    }
    return 0;
}
