#include "app/MolderyApp.h"

#include <QCommandLineParser>
#include <QImageWriter>
#include <QTimer>

#include <cstdio>

#include "app/ChildFrame.h"
#include "app/MainFrame.h"
#include "app/Standard3DView.h"

CMolderyApp::CMolderyApp(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName("Kilnform");
    setOrganizationName("Kilnform");
    setApplicationDisplayName("Kilnform B5");
}

CMolderyApp::~CMolderyApp()
{
    delete m_mainFrame;
}

bool CMolderyApp::ParseCommandLine(const QStringList& arguments, Options& options, QString& error)
{
    QCommandLineParser parser;
    parser.setApplicationDescription("Kilnform B5: sketch-based 3D modelling");
    QCommandLineOption help({"h", "help"}, "Show this help.");
    parser.addOption(help);
    QCommandLineOption screenshot("screenshot", "Render one frame, write it as PNG to FILE and exit.",
                                  "FILE");
    QCommandLineOption size("size", "Size of the screenshot in pixels, e.g. 640x480.", "WIDTHxHEIGHT");
    parser.addOption(screenshot);
    parser.addOption(size);
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

int CMolderyApp::Run(const Options& options)
{
    m_mainFrame = new CMainFrame;
    m_mainFrame->CreateNewChild();
    m_mainFrame->show();
    if (options.screenshotPath.isEmpty()) return exec();

    int code = 1;
    // Wait until the window is up and its GL context exists.
    QTimer::singleShot(0, this, [&]() {
        code = WriteScreenshot(options) ? 0 : 1;
        quit();
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
