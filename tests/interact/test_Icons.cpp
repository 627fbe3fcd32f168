// The icons the build draws, and where the program looks for them: the
// resource root, "srcroot.txt" and the installed share folder.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "interact/ResourceRoot.h"
#include "scene/RGBAImage.h"
#include "tests/support/FifoTestSupport.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;
using vynui::RGBAImage;

namespace {

// Every icon file the program reads: the view toolbar and close buttons, the
// sketch suggestions, the parameter buttons, the handle tool, and the
// point renderer's texture.
const char* const kProgramIcons[] = {
    "closeX.png",
    "zoom.png",
    "pan.png",
    "cancel.png",
    "linearSweep.png",
    "blobbySweep.png",
    "revolution.png",
    "blendBlobbySweep.png",
    "cutSurface.png",
    "surfacePointsLine.png",
    "sweepResize.png",
    "joinUnion.png",
    "joinBlend.png",
    "SweepLength.png",
    "FalloffWidth.png",
    "EndCapBlobby.png",
    "EndCapRounded.png",
    "EndCapSharp.png",
    "blendPower.png",
    "sphereRadius.png",
    "bumpHeight.png",
    "bumpHardness.png",
    "taper.png",
    "smoothDiffSharpness.png",
    "meshResolution.png",
    "manipHistory.png",
    "screenManip.png",
    "stipple.png",
};

const int kIconSide = 64;

std::string IconFolder()
{
    return vynui::DefaultResourceRoot() + "icons/";
}

// The names listed in the index the generator writes beside the icons.
std::vector<std::string> IndexedIcons()
{
    std::istringstream index(kftest::ReadFile(IconFolder() + "index.txt"));
    std::vector<std::string> names;
    for (std::string line; std::getline(index, line);) {
        if (!line.empty()) names.push_back(line);
    }
    return names;
}

struct Pixel {
    int r, g, b, a;
};

Pixel At(const RGBAImage& image, int x, int y)
{
    const unsigned char* p = &image.pixels[(static_cast<size_t>(y) * image.width + x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

}  // namespace

// ---------------------------------------------------------------------------
// The drawn icons

TEST(Icons, TheIndexNamesEveryIconTheProgramReadsOnce)
{
    ASSERT_FALSE(vynui::DefaultResourceRoot().empty())
        << "no resource folder next to the build or installation";
    const std::vector<std::string> names = IndexedIcons();
    ASSERT_FALSE(names.empty()) << "cannot read " << IconFolder() << "index.txt";
    const std::set<std::string> unique(names.begin(), names.end());
    EXPECT_EQ(unique.size(), names.size()) << "a name is listed twice";
    for (const char* name : kProgramIcons) EXPECT_TRUE(unique.count(name)) << name << " is not drawn";
    for (const std::string& name : names) {
        EXPECT_EQ(name.size() > 4 ? name.substr(name.size() - 4) : "", ".png") << name;
        EXPECT_TRUE(fs::is_regular_file(IconFolder() + name)) << name << " is listed but missing";
    }
}

TEST(Icons, EveryButtonIconIsAnOpaqueGlyphOnATransparentSquare)
{
    const std::vector<std::string> names = IndexedIcons();
    ASSERT_FALSE(names.empty());
    for (const std::string& name : names) {
        if (name == "stipple.png") continue;
        SCOPED_TRACE(name);
        RGBAImage image;
        std::string error;
        ASSERT_TRUE(image.Load(IconFolder() + name, &error)) << error;
        ASSERT_EQ(image.width, kIconSide);
        ASSERT_EQ(image.height, kIconSide);

        // Round corners: the view shows through outside the plate.
        for (auto [x, y] :
             {std::pair{0, 0}, {kIconSide - 1, 0}, {0, kIconSide - 1}, {kIconSide - 1, kIconSide - 1}}) {
            EXPECT_EQ(At(image, x, y).a, 0) << "corner " << x << "," << y;
        }
        int opaque = 0, dark = 0;
        std::set<int> colours;
        for (int y = 0; y < kIconSide; ++y) {
            for (int x = 0; x < kIconSide; ++x) {
                const Pixel p = At(image, x, y);
                if (p.a < 200) continue;
                ++opaque;
                colours.insert((p.r >> 3) << 10 | (p.g >> 3) << 5 | (p.b >> 3));
                if (p.r + p.g + p.b < 3 * 100) ++dark;
            }
        }
        // A plate filling most of the square, a dark glyph that reads, and
        // shading rather than one flat colour.
        EXPECT_GT(opaque, kIconSide * kIconSide * 7 / 10);
        EXPECT_GT(dark, 60);
        EXPECT_GT(colours.size(), 20u);
    }
}

TEST(Icons, NoTwoIconsAreTheSamePicture)
{
    const std::vector<std::string> names = IndexedIcons();
    std::vector<RGBAImage> images(names.size());
    for (size_t i = 0; i < names.size(); ++i)
        ASSERT_TRUE(images[i].Load(IconFolder() + names[i])) << names[i];
    for (size_t i = 0; i < names.size(); ++i) {
        for (size_t j = i + 1; j < names.size(); ++j) {
            if (images[i].width != images[j].width || images[i].height != images[j].height) continue;
            // Pixels that differ clearly, not by antialiasing noise.
            int differing = 0;
            for (size_t k = 0; k < images[i].pixels.size(); k += 4) {
                int d = 0;
                for (int c = 0; c < 4; ++c) d += std::abs(images[i].pixels[k + c] - images[j].pixels[k + c]);
                if (d > 60) ++differing;
            }
            EXPECT_GT(differing, 150) << names[i] << " and " << names[j] << " look alike";
        }
    }
}

TEST(Icons, TheStippleIsASoftDarkDotWithAnEmptyBorder)
{
    RGBAImage dot;
    std::string error;
    ASSERT_TRUE(dot.Load(IconFolder() + "stipple.png", &error)) << error;
    ASSERT_EQ(dot.width, kIconSide);
    ASSERT_EQ(dot.height, kIconSide);
    // The texture repeats: its border must stay empty so dots do not touch.
    for (int i = 0; i < kIconSide; ++i) {
        EXPECT_EQ(At(dot, i, 0).a, 0);
        EXPECT_EQ(At(dot, 0, i).a, 0);
        EXPECT_EQ(At(dot, i, kIconSide - 1).a, 0);
        EXPECT_EQ(At(dot, kIconSide - 1, i).a, 0);
    }
    const int c = kIconSide / 2;
    EXPECT_EQ(At(dot, c, c).a, 255);
    // Alpha falls off outwards along each axis and the colour is the
    // renderer's black wherever the dot shows.
    int softSteps = 0;
    for (int i = 0; i + 1 < c; ++i) {
        EXPECT_GE(At(dot, c + i, c).a, At(dot, c + i + 1, c).a);
        EXPECT_GE(At(dot, c, c - i).a, At(dot, c, c - i - 1).a);
        const int a = At(dot, c + i, c).a;
        if (a > 0 && a < 255) ++softSteps;
    }
    EXPECT_GE(softSteps, 6) << "the edge is hard";
    for (int y = 0; y < kIconSide; ++y) {
        for (int x = 0; x < kIconSide; ++x) {
            const Pixel p = At(dot, x, y);
            if (p.a > 0) {
                EXPECT_LT(p.r + p.g + p.b, 3 * 20) << x << "," << y;
            }
        }
    }
}

// The generator on its own: the same pictures wherever it runs, and a
// failure it cannot hide.

namespace {

// Runs the generator with args; answers its exit code and, in *log, what it
// wrote to its error stream.
int RunGenerator(const std::string& args, const kftest::TempFolder& scratch, std::string* log)
{
    const std::string logPath = scratch.File("generator.log");
    const std::string command = std::string("'") + KILNFORM_ICONGEN + "' " + args + " 2>'" + logPath + "'";
    const int status = std::system(command.c_str());
    if (log) *log = kftest::ReadFile(logPath);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(IconGenerator, DrawsTheSamePicturesAgainElsewhere)
{
    kftest::TempFolder scratch("icongen");
    const std::string out = scratch.File("fresh icons");
    std::string log;
    ASSERT_EQ(RunGenerator("'" + out + "'", scratch, &log), 0) << log;
    EXPECT_EQ(kftest::ReadFile(out + "/index.txt"), kftest::ReadFile(IconFolder() + "index.txt"));
    for (const std::string& name : IndexedIcons()) {
        RGBAImage fresh, built;
        ASSERT_TRUE(fresh.Load(out + "/" + name)) << name;
        ASSERT_TRUE(built.Load(IconFolder() + name)) << name;
        EXPECT_EQ(fresh.width, built.width) << name;
        EXPECT_TRUE(fresh.pixels == built.pixels) << name << " differs between runs";
    }
}

TEST(IconGenerator, ReportsWhatItCannotDo)
{
    kftest::TempFolder scratch("icongen");
    std::string log;
    // A folder cannot be made inside a regular file.
    const std::string blocked = scratch.Write("plain.txt", "not a folder") + "/icons";
    EXPECT_EQ(RunGenerator("'" + blocked + "'", scratch, &log), 1);
    EXPECT_NE(log.find("cannot create folder"), std::string::npos) << log;

    // An icon name taken by a folder cannot be written over.
    const std::string out = scratch.File("out");
    fs::create_directories(fs::path(out) / "zoom.png");
    EXPECT_EQ(RunGenerator("'" + out + "'", scratch, &log), 1);
    EXPECT_NE(log.find("zoom.png"), std::string::npos) << log;
    EXPECT_FALSE(fs::exists(fs::path(out) / "index.txt")) << "an index for a partial set";

    EXPECT_EQ(RunGenerator("", scratch, &log), 2);
    EXPECT_NE(log.find("usage"), std::string::npos) << log;
    EXPECT_EQ(RunGenerator("'" + out + "' --bogus", scratch, &log), 2);
}

// ---------------------------------------------------------------------------
// The resource root

TEST(ResourceRoot, TextOfTheRootFile)
{
    const struct {
        std::string text, root;
    } cases[] = {
        {"", ""},
        {" \t\r\n\n", ""},
        {"/data/kilnform", "/data/kilnform/"},
        {"/data/kilnform/", "/data/kilnform/"},
        {"  /data/kilnform \r\n", "/data/kilnform/"},
        {"\n\n\t/with space/res\t\n/second/line\n", "/with space/res/"},
        {"resources", "resources/"},
        {"\xEF\xBB\xBF/after/mark", "/after/mark/"},
        {"/", "/"},
        {std::string("/bad\0path", 9), ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(vynui::ResourceRootFromText(c.text), c.root) << "text \"" << c.text << "\"";
    }
}

TEST(ResourceRoot, RootFileIsReadOnlyWhenItNamesAFolder)
{
    kftest::TempFolder folder("srcroot");
    const std::string fallback = vynui::DefaultResourceRoot();
    const struct {
        const char* name;
        std::string content;
        std::string root;
    } files[] = {
        {"plain.txt", "/opt/kf", "/opt/kf/"},
        {"slash.txt", "/opt/kf/\n", "/opt/kf/"},
        {"spaces.txt", "   /opt/kf  \n\n", "/opt/kf/"},
        {"empty.txt", "", fallback},
        {"blank.txt", "\n  \n", fallback},
        {"huge.txt", std::string(100 * 1024, 'x'), fallback},
    };
    for (const auto& f : files) {
        EXPECT_EQ(vynui::FindResourceRoot(folder.Write(f.name, f.content)), f.root) << f.name;
    }
    EXPECT_EQ(vynui::FindResourceRoot(folder.File("missing.txt")), fallback);
    fs::create_directory(folder.Path() / "folder.txt");
    EXPECT_EQ(vynui::FindResourceRoot(folder.File("folder.txt")), fallback);

    // A pipe in its place would block a plain read for ever.
    FeedingFifo pipe(folder.File("pipe.txt"), "/from/pipe\n");
    ASSERT_TRUE(pipe.Made());
    EXPECT_EQ(vynui::FindResourceRoot(pipe.Path()), fallback);
    EXPECT_FALSE(pipe.WasOpened());
}

TEST(ResourceRoot, InstalledShareFolderBesideTheProgram)
{
    kftest::TempFolder prefix("install");
    fs::create_directories(prefix.Path() / "bin");
    const std::string exe = (prefix.Path() / "bin" / "Kilnform").string();
    EXPECT_EQ(vynui::InstalledResourceRoot(exe), "");
    fs::create_directories(prefix.Path() / "share" / "kilnform" / "icons");
    EXPECT_EQ(vynui::InstalledResourceRoot(exe), (prefix.Path() / "share" / "kilnform").string() + "/");
    EXPECT_EQ(vynui::InstalledResourceRoot(""), "");
}

TEST(ResourceRoot, TheBuildTreeHoldsTheDefaultRoot)
{
    // Neither test program nor build is installed: the build's folder.
    const std::string root = vynui::DefaultResourceRoot();
    ASSERT_FALSE(root.empty());
    EXPECT_EQ(root.back(), '/');
    EXPECT_TRUE(fs::is_directory(root + "icons"));
}

TEST(ResourceRoot, PathsFollowTheRootSetByHand)
{
    const struct {
        std::string set, icon, animations;
    } cases[] = {
        {"/srv/kf", "/srv/kf/icons/zoom.png", "/srv/kf/animations/"},
        {"/srv/kf/", "/srv/kf/icons/zoom.png", "/srv/kf/animations/"},
        {"rel", "rel/icons/zoom.png", "rel/animations/"},
        {"", "icons/zoom.png", "animations/"},
    };
    for (const auto& c : cases) {
        vynui::SetResourceRoot(c.set);
        EXPECT_EQ(vynui::GetIconPath("zoom.png"), c.icon);
        EXPECT_EQ(vynui::GetAnimationFolder(), c.animations);
    }
}

// The cached lookup in a fresh process: the root file of the working folder
// is read on first use and never again.
TEST(ResourceRootDeathTest, RootFileIsReadOnceFromTheWorkingFolder)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    kftest::TempFolder folder("workdir");
    folder.Write("srcroot.txt", " /first/root \n");
    const std::string workdir = folder.Path().string();
    EXPECT_EXIT(
        {
            if (::chdir(workdir.c_str()) != 0) std::exit(10);
            if (vynui::GetResourceRoot() != "/first/root/") std::exit(11);
            std::ofstream("srcroot.txt") << "/second/root\n";
            if (vynui::GetIconPath("pan.png") != "/first/root/icons/pan.png") std::exit(12);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");

    // Without the file, the first lookup lands on the icons the build drew.
    kftest::TempFolder empty("workdir");
    const std::string emptyDir = empty.Path().string();
    EXPECT_EXIT(
        {
            if (::chdir(emptyDir.c_str()) != 0) std::exit(10);
            if (vynui::GetResourceRoot() != vynui::DefaultResourceRoot()) std::exit(11);
            if (!fs::is_regular_file(vynui::GetIconPath("zoom.png"))) std::exit(12);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}
