#include <QSurfaceFormat>

#include <cstdio>
#include <iostream>

#include "app/GLView.h"
#include "app/MolderyApp.h"
#include "persist/BatchExport.h"

int main(int argc, char** argv)
{
    // A batch export needs no display: it runs before anything of the
    // window toolkit exists.
    if (vynui::BatchExport::IsBatchCommand(argc, argv))
        return vynui::BatchExport::Main(argc, argv, std::cout, std::cerr);
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
