// Billboards: image loading (PNG through libpng, JPEG through OpenCV) with
// the aspect scale, refusal of missing and damaged files, picking, the frame
// hooks, and records that keep the image path relative to the scene file.

#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <string>
#include <vector>

#include "scene/BillboardSO.h"
#include "test_SceneFixtures.h"
#include "tests/support/FifoTestSupport.h"
#include "wml/Serializer.h"
#include "wml/WmlMath.h"

namespace fs = std::filesystem;
using namespace vynui;
using kilnform_test::Near;
using kilnform_test::RecordingListener;
using V3 = Wml::Vector3<float>;

namespace {

struct TempDir {
    fs::path path;
    TempDir()
    {
        std::string pattern = (fs::temp_directory_path() / "kilnform_billboard_XXXXXX").string();
        if (mkdtemp(pattern.data())) path = pattern;
    }
    ~TempDir()
    {
        std::error_code ec;
        if (!path.empty()) fs::remove_all(path, ec);
    }
    const fs::path& Path() const { return path; }
};

struct ScopedCurrentDir {
    fs::path saved = fs::current_path();
    explicit ScopedCurrentDir(const fs::path& dir) { fs::current_path(dir); }
    ~ScopedCurrentDir() { fs::current_path(saved); }
};

// RGBA pixel (x, y) of the test pattern.
void Pattern(int x, int y, unsigned char* px)
{
    px[0] = static_cast<unsigned char>(x * 5);
    px[1] = static_cast<unsigned char>(y * 7);
    px[2] = static_cast<unsigned char>((x + y) % 256);
    px[3] = static_cast<unsigned char>(255 - x);
}

bool WritePNG(const fs::path& path, int w, int h)
{
    std::vector<unsigned char> pixels(static_cast<size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) Pattern(x, y, &pixels[(static_cast<size_t>(y) * w + x) * 4]);
    png_image image;
    std::memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(w);
    image.height = static_cast<png_uint_32>(h);
    image.format = PNG_FORMAT_RGBA;
    return png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), 0, nullptr) != 0;
}

bool WriteJPEG(const fs::path& path, int w, int h)
{
    cv::Mat bgr(h, w, CV_8UC3, cv::Scalar(40, 120, 200));
    return cv::imwrite(path.string(), bgr);
}

void WriteBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string BigEndian(uint32_t v)
{
    return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                       static_cast<char>(v)};
}

std::string Chunk(const std::string& type, const std::string& data)
{
    const std::string body = type + data;
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()));
    return BigEndian(static_cast<uint32_t>(data.size())) + body + BigEndian(static_cast<uint32_t>(crc));
}

// A well-formed PNG start claiming a width x height image, with a token of
// pixel data.
std::string HugePNGHeader(uint32_t width, uint32_t height)
{
    return std::string("\x89PNG\r\n\x1a\n", 8) +
           Chunk("IHDR", BigEndian(width) + BigEndian(height) + std::string("\x08\x06\x00\x00\x00", 5)) +
           Chunk("IDAT", std::string("\x78\x9c\x03\x00", 4)) + Chunk("IEND", "");
}

}  // namespace

TEST(BillboardImage, PngAndJpegLoadWithTheLongerSideOne)
{
    TempDir dir;
    ASSERT_FALSE(dir.Path().empty());
    const fs::path wide = dir.Path() / "wide.png", tall = dir.Path() / "tall.jpg";
    ASSERT_TRUE(WritePNG(wide, 40, 20));
    ASSERT_TRUE(WriteJPEG(tall, 20, 40));

    BillboardSO b;
    RecordingListener listener;
    b.AddListener(&listener);
    ASSERT_TRUE(b.LoadImage(wide.string()));
    EXPECT_EQ(b.GetImageFilePath(), wide.string());
    EXPECT_TRUE(Near(b.GetFrame().Scale(), V3(1, 0.5f, 1)));
    EXPECT_EQ(listener.Kinds(), std::vector<int>{-1});
    ASSERT_EQ(b.GetImage().pixels.size(), 40u * 20u * 4u);
    unsigned char expected[4];
    Pattern(13, 17, expected);  // rows from the top, RGBA, alpha kept
    EXPECT_EQ(0, std::memcmp(&b.GetImage().pixels[(17 * 40 + 13) * 4], expected, 4));

    ASSERT_TRUE(b.LoadImage(tall.string()));
    EXPECT_TRUE(Near(b.GetFrame().Scale(), V3(0.5f, 1, 1)));
    ASSERT_EQ(b.GetImage().width, 20);
    ASSERT_EQ(b.GetImage().height, 40);
    const unsigned char* px = &b.GetImage().pixels[(10 * 20 + 10) * 4];
    EXPECT_NEAR(px[0], 200, 4);  // written as BGR (40, 120, 200)
    EXPECT_NEAR(px[1], 120, 4);
    EXPECT_NEAR(px[2], 40, 4);
    EXPECT_EQ(px[3], 255);
}

TEST(BillboardImage, MissingOrDamagedFilesChangeNothing)
{
    TempDir dir;
    const fs::path good = dir.Path() / "good.png";
    ASSERT_TRUE(WritePNG(good, 30, 10));
    const std::string valid = ReadBytes(good);

    WriteBytes(dir.Path() / "garbage.png", "this is not an image at all");
    WriteBytes(dir.Path() / "truncated.png", valid.substr(0, valid.size() / 2));
    WriteBytes(dir.Path() / "header_only.png", valid.substr(0, 40));
    WriteBytes(dir.Path() / "empty.png", "");
    WriteBytes(dir.Path() / "garbage.jpg", std::string("\xFF\xD8\xFF\xE0 broken", 11));
    WriteBytes(dir.Path() / "huge.png", HugePNGHeader(100000, 100000));
    // Names containing ".png" are read as PNG whatever they hold.
    ASSERT_TRUE(WriteJPEG(dir.Path() / "real.jpg", 8, 8));
    WriteBytes(dir.Path() / "jpeg_named.png", ReadBytes(dir.Path() / "real.jpg"));
    fs::create_directory(dir.Path() / "folder.png");
    // Pipes would block either decoder until written to: they are fed a good
    // image, so a reader that opens them is caught loading it.
    FeedingFifo pipePNG((dir.Path() / "pipe.png").string(), valid);
    FeedingFifo pipeJPEG((dir.Path() / "pipe.jpg").string(), ReadBytes(dir.Path() / "real.jpg"));
    ASSERT_TRUE(pipePNG.Made() && pipeJPEG.Made());

    BillboardSO b;
    ASSERT_TRUE(b.LoadImage(good.string()));
    b.Scale(2.0f, 3.0f, 1.0f, false, false);
    const V3 scale = b.GetFrame().Scale();
    RecordingListener listener;
    b.AddListener(&listener);

    for (const char* name :
         {"missing.png", "garbage.png", "truncated.png", "header_only.png", "empty.png", "garbage.jpg",
          "huge.png", "jpeg_named.png", "folder.png", "pipe.png", "pipe.jpg"}) {
        EXPECT_FALSE(b.LoadImage((dir.Path() / name).string())) << name;
        EXPECT_EQ(b.GetImageFilePath(), good.string()) << name;
        EXPECT_EQ(b.GetFrame().Scale(), scale) << name;
        EXPECT_EQ(b.GetImage().width, 30) << name;
    }
    EXPECT_FALSE(pipePNG.WasOpened());
    EXPECT_FALSE(pipeJPEG.WasOpened());
    EXPECT_FALSE(b.LoadImage(""));
    EXPECT_TRUE(listener.entries.empty());
}

TEST(BillboardImage, MissingPathFallsBackToTheBareFileName)
{
    TempDir dir;
    ASSERT_TRUE(WritePNG(dir.Path() / "moved.png", 10, 20));
    ScopedCurrentDir cwd(dir.Path());
    BillboardSO b;
    ASSERT_TRUE(b.LoadImage("/no/such/folder/moved.png"));
    EXPECT_EQ(b.GetImageFilePath(), "moved.png");
    EXPECT_TRUE(Near(b.GetFrame().Scale(), V3(0.5f, 1, 1)));
}

TEST(BillboardGeometry, PickInsideTheRectangleOnly)
{
    BillboardSO b;
    b.DoScale(1.0f, 0.5f, 0.0f, false, false);
    float t = -1.0f;
    EXPECT_EQ(b.Pick(Wml::Ray3<float>(V3(0.9f, 0.4f, 5), V3(0, 0, -1)), t), &b);
    EXPECT_NEAR(t, 25.0f, 1e-4f);  // squared distance from the ray's origin
    EXPECT_EQ(b.Pick(Wml::Ray3<float>(V3(1.1f, 0, 5), V3(0, 0, -1)), t), nullptr);
    EXPECT_EQ(b.Pick(Wml::Ray3<float>(V3(0, 0, 5), V3(0, 0, 1)), t), nullptr);  // looking away
    EXPECT_EQ(b.Pick(Wml::Ray3<float>(V3(0, 0, 5), V3(1, 0, 0)), t), nullptr);  // parallel

    // Turned a quarter about y and moved: the rectangle now spans z.
    b.Rotate(Wml::Matrix3<float>(V3::UNIT_Y, Wml::Math<float>::HALF_PI), true);
    b.Translate(V3(2, 0, 0), true);
    EXPECT_EQ(b.Pick(Wml::Ray3<float>(V3(10, 0.4f, 0.9f), V3(-1, 0, 0)), t), &b);
    EXPECT_NEAR(t, 64.0f, 1e-3f);
    EXPECT_EQ(b.Pick(Wml::Ray3<float>(V3(10, 0, 1.1f), V3(-1, 0, 0)), t), nullptr);
}

TEST(BillboardGeometry, ToolsParametersAndScaleHooks)
{
    BillboardSO b;
    for (const char* tool : {"Translation3D", "Rotation3D", "DynamicTool3D"})
        EXPECT_TRUE(b.SupportsTool(tool));
    EXPECT_FALSE(b.SupportsTool("LocalRotationTool3D"));
    b.InitializeParameters();
    std::vector<std::string> names;
    for (IParameter* p : b.GetParameterList()->GetParameters()) names.push_back(p->GetName());
    EXPECT_EQ(names, (std::vector<std::string>{"Position", "Orientation", "Scale", "Name"}));

    b.DoScale(2.0f, 3.0f, 9.0f, false, false);
    EXPECT_TRUE(Near(b.GetFrame().Scale(), V3(2, 3, 1)));  // z untouched
    b.DoScale(2.0f, 1.0f, 0.0f, true, false);              // relative: factors, x *= 2, y *= 1
    EXPECT_TRUE(Near(b.GetFrame().Scale(), V3(4, 3, 1)));
    b.DoScale(0.5f, 7.0f, 0.0f, true, true);  // uniform: y uses a too
    EXPECT_TRUE(Near(b.GetFrame().Scale(), V3(2, 1.5f, 1)));
    // A flip (factor -1) mirrors without shrinking the picture to nothing,
    // and what the scale event reports is what happened.
    b.Scale(-1.0f, 1.0f, 1.0f, true, false);
    EXPECT_TRUE(Near(b.GetFrame().Scale(), V3(2, 1.5f, 1)));
    b.Scale(1.5f, 2.0f, 1.0f, true, false);
    EXPECT_TRUE(Near(b.GetFrame().Scale(), V3(3, 3, 1)));
    b.DoScale(5.0f, 7.0f, 0.0f, false, true);
    EXPECT_TRUE(Near(b.GetFrame().Scale(), V3(5, 5, 1)));

    // The orientation parameter sets, not adds.
    IParameter* orientation = b.GetParameterList()->Find("Orientation");
    ASSERT_NE(orientation, nullptr);
    orientation->SetValueFromText("0 30 0");
    orientation->SetValueFromText("0 30 0");
    std::string text;
    orientation->GetValueAsText(text);
    EXPECT_EQ(text, "0.0000 30.0000 0.0000");
}

TEST(BillboardRecords, ImagePathIsStoredRelativeToTheSceneFile)
{
    TempDir dir;
    fs::create_directories(dir.Path() / "scenes");
    fs::create_directories(dir.Path() / "images");
    const fs::path image = dir.Path() / "images" / "pic.png";
    const fs::path scene = dir.Path() / "scenes" / "scene.xml";
    ASSERT_TRUE(WritePNG(image, 40, 10));

    BillboardSO b;
    b.InitializeParameters();
    ASSERT_TRUE(b.LoadImage(image.string()));
    b.Translate(V3(1, 2, 3), false);
    b.Scale(3.0f, 2.0f, 1.0f, false, false);

    {
        Wml::Serializer out;
        out.SetFilename(scene.c_str());
        Wml::SerializerRecord* record = out.CreateRecord(b.GetTypeName());
        ASSERT_TRUE(b.Store(&out, record));
        std::string stored;
        ASSERT_TRUE(record->GetValue("ImageFilePath", stored, std::string()));
        EXPECT_EQ(stored, "../images/pic.png");
        ASSERT_TRUE(out.Write(scene.c_str()));
    }

    Wml::Serializer in;
    ASSERT_TRUE(in.Read(scene.c_str()));
    BillboardSO copy;
    copy.InitializeParameters();
    ASSERT_TRUE(copy.Restore(&in, in.GetRecord(0)));
    EXPECT_TRUE(fs::equivalent(copy.GetImageFilePath(), image));
    EXPECT_EQ(copy.GetImage().width, 40);
    EXPECT_TRUE(Near(copy.GetFrame().Origin(), V3(1, 2, 3)));
    EXPECT_TRUE(Near(copy.GetFrame().Scale(), V3(3, 2, 1)));  // not reset by the load

    // A pipe where the image was: the scene load goes on at once, the
    // billboard keeping its path without an image.
    const std::string pngBytes = ReadBytes(image);
    fs::remove(image);
    {
        FeedingFifo pipe(image.string(), pngBytes);
        ASSERT_TRUE(pipe.Made());
        BillboardSO piped;
        piped.InitializeParameters();
        EXPECT_FALSE(piped.Restore(&in, in.GetRecord(0)));
        EXPECT_TRUE(piped.GetImage().Empty());
        EXPECT_EQ(fs::path(piped.GetImageFilePath()).lexically_normal(), image.lexically_normal());
        EXPECT_FALSE(pipe.WasOpened());
    }

    // The image went away: the object keeps the path (a later save still has
    // it) and says the restore was incomplete.
    BillboardSO orphan;
    orphan.InitializeParameters();
    EXPECT_FALSE(orphan.Restore(&in, in.GetRecord(0)));
    EXPECT_TRUE(orphan.GetImage().Empty());
    EXPECT_TRUE(Near(orphan.GetFrame().Origin(), V3(1, 2, 3)));
    Wml::Serializer again;
    again.SetFilename(scene.c_str());
    Wml::SerializerRecord* record = again.CreateRecord("Billboard");
    ASSERT_TRUE(orphan.Store(&again, record));
    std::string stored;
    record->GetValue("ImageFilePath", stored, std::string());
    EXPECT_EQ(stored, "../images/pic.png");

    // With no scene file name the path is written as it is.
    Wml::SerializerRecord bare(9, "Billboard");
    ASSERT_TRUE(b.Store(nullptr, &bare));
    bare.GetValue("ImageFilePath", stored, std::string());
    EXPECT_EQ(stored, image.string());
}
