// kilnform_icongen OUTPUT_FOLDER [--sheet FILE]
//
// Draws every icon the program reads into OUTPUT_FOLDER as 64 x 64 RGBA PNG
// files, and writes "index.txt" there: the file names, one a line. With
// --sheet it also writes one picture of all icons at two sizes over a
// view-coloured background, for judging them by eye.

#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QSaveFile>
#include <QString>

#include <cstdio>

#include "Icons.h"

namespace {

bool WriteIndex(const QDir& folder)
{
    QSaveFile file(folder.filePath("index.txt"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) return false;
    for (std::size_t i = 0; i < icongen::IconCount(); ++i) {
        file.write(icongen::IconTable()[i].fileName);
        file.write("\n");
    }
    return file.commit();
}

bool WritePng(const QImage& image, const QString& path)
{
    // Written beside and renamed, so a reader never sees half a file.
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && image.save(&file, "PNG") && file.commit();
}

bool WriteSheet(const QString& path)
{
    const int columns = 7, cellW = 190, cellH = 150;
    const int count = static_cast<int>(icongen::IconCount());
    const int rows = (count + columns - 1) / columns;
    QImage sheet(columns * cellW, rows * cellH, QImage::Format_ARGB32);
    sheet.fill(QColor(0x6b, 0x74, 0x80));
    QPainter p(&sheet);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    for (int i = 0; i < count; ++i) {
        const QImage icon = icongen::RenderIcon(icongen::IconTable()[i]);
        const int x = (i % columns) * cellW + 8, y = (i / columns) * cellH + 8;
        p.drawImage(QRect(x, y, 128, 128), icon);
        p.drawImage(QRect(x + 140, y + 48, 32, 32), icon);
    }
    p.end();
    return WritePng(sheet, path);
}

}  // namespace

int main(int argc, char** argv)
{
    // The icons are drawn without any window: never ask for a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();

    QString outFolder, sheetPath;
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == "--sheet" && i + 1 < args.size()) {
            sheetPath = args[++i];
        } else if (!args[i].startsWith("--") && outFolder.isEmpty()) {
            outFolder = args[i];
        } else {
            std::fprintf(stderr, "kilnform_icongen: unexpected argument \"%s\"\n", qPrintable(args[i]));
            outFolder.clear();
            break;
        }
    }
    if (outFolder.isEmpty()) {
        std::fprintf(stderr, "usage: kilnform_icongen OUTPUT_FOLDER [--sheet FILE]\n");
        return 2;
    }

    QDir folder(outFolder);
    if (!folder.mkpath(".")) {
        std::fprintf(stderr, "kilnform_icongen: cannot create folder \"%s\"\n", qPrintable(outFolder));
        return 1;
    }
    for (std::size_t i = 0; i < icongen::IconCount(); ++i) {
        const icongen::IconEntry& icon = icongen::IconTable()[i];
        const QString path = folder.filePath(QString::fromLatin1(icon.fileName));
        if (!WritePng(icongen::RenderIcon(icon), path)) {
            std::fprintf(stderr, "kilnform_icongen: cannot write \"%s\"\n", qPrintable(path));
            return 1;
        }
    }
    if (!WriteIndex(folder)) {
        std::fprintf(stderr, "kilnform_icongen: cannot write the index in \"%s\"\n", qPrintable(outFolder));
        return 1;
    }
    if (!sheetPath.isEmpty() && !WriteSheet(sheetPath)) {
        std::fprintf(stderr, "kilnform_icongen: cannot write \"%s\"\n", qPrintable(sheetPath));
        return 1;
    }
    return 0;
}
