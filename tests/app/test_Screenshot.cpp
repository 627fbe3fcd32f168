#include <gtest/gtest.h>

#include <QImage>

#include <cstdlib>
#include <filesystem>
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

TEST(Screenshot, ShowsWhiteBackgroundAndThreeColouredAxes)
{
    for (const auto& size : {std::pair<int, int>(320, 240), std::pair<int, int>(501, 377)}) {
        const fs::path png = TempPng("axes.png");
        const std::string args = "--screenshot \"" + png.string() + "\" --size " +
                                 std::to_string(size.first) + "x" + std::to_string(size.second);
        ASSERT_EQ(RunKilnform(args), 0);
        QImage image(QString::fromStdString(png.string()));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.width(), size.first);
        EXPECT_EQ(image.height(), size.second);
        const PixelCounts c = Count(image);
        const int total = image.width() * image.height();
        EXPECT_GT(c.white, total * 9 / 10);
        // A unit axis seen from the start view is tens of pixels long and 3 wide.
        EXPECT_GT(c.red, 30);
        EXPECT_GT(c.green, 30);
        EXPECT_GT(c.blue, 30);
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
