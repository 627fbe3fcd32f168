#include <QSurfaceFormat>

#include <cstdio>

#include "app/GLView.h"
#include "app/MolderyApp.h"

int main(int argc, char** argv)
{
    // Every GL context of the program shares this format.
    QSurfaceFormat::setDefaultFormat(CGLView::RequestedFormat());
    CMolderyApp app(argc, argv);
    CMolderyApp::Options options;
    QString error;
    if (!CMolderyApp::ParseCommandLine(app.arguments(), options, error)) {
        std::fprintf(stderr, "Kilnform: %s\n", qPrintable(error));
        return 2;
    }
    if (options.showHelp) {
        std::fputs(qPrintable(options.helpText), stdout);
        return 0;
    }
    return app.Run(options);
}
