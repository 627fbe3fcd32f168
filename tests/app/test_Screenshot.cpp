#include <gtest/gtest.h>

#include <QImage>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

int RunKilnform(const std::string& arguments)
{
    const std::string command = std::string("\"") + KILNFORM_EXE + "\" " + arguments + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

fs::path TempPng(const char* name)
{
    static const kftest::TempFolder folder("app_tests");
    fs::path p = folder.Path() / name;
    fs::remove(p);
    return p;
}

struct PixelCounts {
    int white = 0, red = 0, green = 0, blue = 0;
};

PixelCounts Count(const QImage& image)
{
    PixelCounts c;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            const int r = qRed(p), g = qGreen(p), b = qBlue(p);
            if (r > 240 && g > 240 && b > 240)
                ++c.white;
            else if (r > 180 && g < 80 && b < 80)
                ++c.red;
            else if (g > 180 && r < 80 && b < 80)
                ++c.green;
            else if (b > 180 && r < 80 && g < 80)
                ++c.blue;
        }
    }
    return c;
}

}  // namespace

TEST(Screenshot, ShowsAnEmptyWhiteViewWithItsToolbars)
{
    for (const auto& size : {std::pair<int, int>(320, 240), std::pair<int, int>(501, 377)}) {
        const fs::path png = TempPng("empty.png");
        const std::string args = "--screenshot \"" + png.string() + "\" --size " +
                                 std::to_string(size.first) + "x" + std::to_string(size.second);
        ASSERT_EQ(RunKilnform(args), 0);
        QImage image(QString::fromStdString(png.string()));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.width(), size.first);
        EXPECT_EQ(image.height(), size.second);
        // What the view shows: blending leaves the framebuffer's alpha
        // below one around the HUD icons, which a picture must not keep.
        EXPECT_FALSE(image.hasAlphaChannel());
        const int total = image.width() * image.height();
        EXPECT_GT(Count(image).white, total * 8 / 10);
        // The view and parameter toolbars' icons along the top edge.
        EXPECT_LT(Count(image.copy(0, 0, image.width(), 40)).white, image.width() * 40 * 97 / 100);
        // Nothing drawn in the middle of an empty scene.
        const QImage middle =
            image.copy(image.width() / 3, image.height() / 3, image.width() / 3, image.height() / 3);
        EXPECT_EQ(Count(middle).white, middle.width() * middle.height());
    }
}

TEST(Screenshot, RefusesBadOptionsAndUnwritablePaths)
{
    const fs::path png = TempPng("never.png");
    EXPECT_EQ(RunKilnform("--screenshot \"" + png.string() + "\" --size 0x10"), 2);
    EXPECT_EQ(RunKilnform("--screenshot \"" + png.string() + "\" --size banana"), 2);
    EXPECT_EQ(RunKilnform("--no-such-option"), 2);
    EXPECT_FALSE(fs::exists(png));
    EXPECT_EQ(RunKilnform("--screenshot /nonexistent-dir/x/y.png --size 64x64"), 1);
    EXPECT_EQ(RunKilnform("--help"), 0);
}

TEST(Replay, TheDemoSketchesAShapeAndExportsIt)
{
    static const kftest::TempFolder folder("app_replay");
    const fs::path script = fs::path(KILNFORM_SOURCE_DIR) / "examples" / "demo.kfs";
    const fs::path png = folder.Path() / "demo.png";
    const std::string command = "cd \"" + folder.Path().string() + "\" && \"" + std::string(KILNFORM_EXE) +
                                "\" --replay \"" + script.string() +
                                "\" --screenshot demo.png >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(0, WEXITSTATUS(status));
    EXPECT_GT(fs::file_size(folder.Path() / "demo.obj"), 1000u);
    QImage image(QString::fromStdString(png.string()));
    ASSERT_EQ(QSize(800, 600), image.size());
    // A lit grey shape fills much of the middle of the view.
    const QImage middle = image.copy(300, 200, 200, 200);
    int shaded = 0;
    for (int y = 0; y < middle.height(); ++y)
        for (int x = 0; x < middle.width(); ++x) {
            const QRgb p = middle.pixel(x, y);
            if (qRed(p) < 235 && std::abs(qRed(p) - qBlue(p)) < 40) ++shaded;
        }
    EXPECT_GT(shaded, 200 * 200 / 4);
}

TEST(Replay, AScriptErrorNamesItsLineAndFails)
{
    static const kftest::TempFolder folder("app_replay_error");
    const fs::path script = folder.Path() / "bad.kfs";
    {
        std::ofstream out(script);
        out << "# fine\nsize 320 240\ncommand Show Mesh\nfly to the moon\n";
    }
    const fs::path log = folder.Path() / "log.txt";
    const std::string command = "\"" + std::string(KILNFORM_EXE) + "\" --replay \"" + script.string() +
                                "\" >\"" + log.string() + "\" 2>&1";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(1, WEXITSTATUS(status));
    std::ifstream in(log);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(std::string::npos, text.find("line 4: unknown action \"fly\"")) << text;
    EXPECT_EQ(2, RunKilnform("--replay /nonexistent/script.kfs"));
}
