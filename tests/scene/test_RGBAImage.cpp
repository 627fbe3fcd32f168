// Image files read through the general decoder: sizes declared in the header
// are checked before the decoder allocates the image.

#include <gtest/gtest.h>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>

#include <cstdint>
#include <string>
#include <vector>

#include "scene/RGBAImage.h"
#include "tests/support/TempFolder.h"

using vynui::RGBAImage;

namespace {

std::string BE32(std::uint32_t v)
{
    return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

std::string LE32(std::int32_t s)
{
    const std::uint32_t v = std::uint32_t(s);
    return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
}

// A PNG signature and IHDR of the given size, then a few stray bytes.
std::string PngHeader(std::uint32_t w, std::uint32_t h)
{
    return std::string("\x89PNG\r\n\x1a\n", 8) + BE32(13) + "IHDR" + BE32(w) + BE32(h) +
           std::string("\x08\x00\x00\x00\x00", 5) + BE32(0) + std::string(64, '\0');
}

std::string BmpHeader(std::int32_t w, std::int32_t h)
{
    return "BM" + LE32(0) + LE32(0) + LE32(54) + LE32(40) + LE32(w) + LE32(h) +
           std::string("\x01\x00\x18\x00", 4) + LE32(1) + std::string(40, '\0');
}

// Start of image, an application segment, then a baseline frame header.
std::string JpegHeader(unsigned w, unsigned h)
{
    return std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 20) +
           std::string("\xFF\xC0\x00\x0B\x08", 5) + char(h >> 8) + char(h) + char(w >> 8) + char(w) +
           std::string("\x01\x01\x11\x00", 4) + std::string(32, '\0');
}

}  // namespace

TEST(RGBAImageTest, OversizedHeadersAreRefusedBeforeDecodingAndKeepTheImage)
{
    kftest::TempFolder folder("rgbaimage");
    const std::pair<const char*, std::string> files[] = {
        {"square.img", PngHeader(30000, 30000)},
        {"tall.jpg", PngHeader(10, RGBAImage::MAX_SIDE + 1)},
        {"wide.bmp", BmpHeader(RGBAImage::MAX_SIDE + 1, 10)},
        {"topdown.bmp", BmpHeader(20000, -20000)},
        {"many.bmp", BmpHeader(RGBAImage::MAX_SIDE, RGBAImage::MAX_SIDE)},
        {"frame.jpg", JpegHeader(30000, 30000)},
        {"wide.jpeg", JpegHeader(RGBAImage::MAX_SIDE + 1, 8)},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.first);
        RGBAImage image;
        image.width = 1;
        image.height = 1;
        image.pixels = {1, 2, 3, 4};
        std::string error;
        EXPECT_FALSE(image.Load(folder.Write(file.first, file.second), &error));
        EXPECT_EQ(error, "image too large");
        EXPECT_EQ(image.width, 1);
        EXPECT_EQ(image.pixels, (std::vector<unsigned char>{1, 2, 3, 4}));
    }
}

TEST(RGBAImageTest, ImagesWithinTheLimitsStillLoadThroughTheDecoder)
{
    kftest::TempFolder folder("rgbaimage");
    cv::Mat bgr(3, 5, CV_8UC3, cv::Scalar(10, 20, 30));
    for (const char* name : {"small.bmp", "small.jpg", "small.tif"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(cv::imwrite(folder.File(name), bgr));
        RGBAImage image;
        std::string error;
        ASSERT_TRUE(image.Load(folder.File(name), &error)) << error;
        EXPECT_EQ(image.width, 5);
        EXPECT_EQ(image.height, 3);
        ASSERT_EQ(image.pixels.size(), 60u);
        EXPECT_NEAR(image.pixels[0], 30, 3);  // red first
        EXPECT_NEAR(image.pixels[2], 10, 3);
        EXPECT_EQ(image.pixels[3], 255);
    }
    // A PNG under another name goes through the decoder and is checked alike.
    ASSERT_TRUE(cv::imwrite(folder.File("png.png"), bgr));
    const std::string bytes = kftest::ReadFile(folder.File("png.png"));
    RGBAImage image;
    ASSERT_TRUE(image.Load(folder.Write("png.img", bytes)));
    EXPECT_EQ(image.width, 5);
}
