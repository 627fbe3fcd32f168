#include "scene/RGBAImage.h"

#include <png.h>

#include <cstdint>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <system_error>

namespace vynui {

namespace {

bool Fail(std::string* error, const std::string& reason)
{
    if (error) *error = reason;
    return false;
}

bool SizeAllowed(long long w, long long h)
{
    return w > 0 && h > 0 && w <= RGBAImage::MAX_SIDE && h <= RGBAImage::MAX_SIDE &&
           w * h <= RGBAImage::MAX_PIXELS;
}

bool LoadPNG(const std::string& path, RGBAImage& out, std::string* error)
{
    png_image image;
    std::memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return Fail(error, std::string("not a readable PNG file: ") + image.message);
    if (!SizeAllowed(image.width, image.height)) {
        png_image_free(&image);
        return Fail(error, "image too large");
    }
    image.format = PNG_FORMAT_RGBA;
    std::vector<unsigned char> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        std::string reason = std::string("damaged PNG file: ") + image.message;
        png_image_free(&image);
        return Fail(error, reason);
    }
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    out.pixels.swap(pixels);
    return true;
}

// The size an image file declares in its header, for the formats whose
// decoders fill the whole image from a small file (compressed or
// run-length data). The decoder allocates that size before it reads a
// pixel, so a too large image must be refused from its header. False when
// the format is none of these or the header cannot be read.
bool DeclaredSize(const std::string& path, long long& w, long long& h)
{
    std::ifstream in(path, std::ios::binary);
    unsigned char b[32] = {};
    if (!in.read(reinterpret_cast<char*>(b), 26)) return false;
    auto be16 = [](const unsigned char* p) { return (long long)p[0] << 8 | p[1]; };
    auto be32 = [](const unsigned char* p) {
        return (long long)((std::uint32_t)p[0] << 24 | (std::uint32_t)p[1] << 16 | (std::uint32_t)p[2] << 8 |
                           p[3]);
    };
    auto le32 = [](const unsigned char* p) {
        return (std::int32_t)((std::uint32_t)p[3] << 24 | (std::uint32_t)p[2] << 16 |
                              (std::uint32_t)p[1] << 8 | p[0]);
    };
    static const unsigned char pngMagic[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (std::memcmp(b, pngMagic, 8) == 0 && std::memcmp(b + 12, "IHDR", 4) == 0) {
        w = be32(b + 16);
        h = be32(b + 20);
        return true;
    }
    if (b[0] == 'B' && b[1] == 'M') {
        const std::uint32_t headerSize = (std::uint32_t)le32(b + 14);
        if (headerSize == 12) {
            w = b[18] | b[19] << 8;
            h = b[20] | b[21] << 8;
        } else {
            w = le32(b + 18);
            h = le32(b + 22);
            if (h < 0) h = -h;  // rows stored top-down
        }
        return true;
    }
    if (b[0] == 0xFF && b[1] == 0xD8) {
        // Markers up to the frame header; every one but the few without a
        // payload gives its length, so the walk is bounded by the file.
        in.clear();
        in.seekg(2);
        for (;;) {
            int c = in.get();
            if (c != 0xFF) return false;
            while (c == 0xFF) c = in.get();
            if (c == EOF) return false;
            if (c == 0x01 || (c >= 0xD0 && c <= 0xD7)) continue;
            unsigned char seg[7];
            if (!in.read(reinterpret_cast<char*>(seg), 2)) return false;
            const long long length = be16(seg);
            if (length < 2) return false;
            if (c >= 0xC0 && c <= 0xCF && c != 0xC4 && c != 0xC8 && c != 0xCC) {
                if (length < 7 || !in.read(reinterpret_cast<char*>(seg + 2), 5)) return false;
                h = be16(seg + 3);
                w = be16(seg + 5);
                return h > 0;  // a height of 0 is given after the first scan
            }
            if (!in.seekg(length - 2, std::ios::cur)) return false;
        }
    }
    return false;
}

bool DecodeOther(const std::string& path, RGBAImage& out, std::string* error)
{
    long long w = 0, h = 0;
    if (DeclaredSize(path, w, h) && !SizeAllowed(w, h)) return Fail(error, "image too large");
    cv::Mat decoded = cv::imread(path, cv::IMREAD_UNCHANGED);
    if (decoded.empty() || decoded.dims != 2) return Fail(error, "not a readable image file");
    if (!SizeAllowed(decoded.cols, decoded.rows)) return Fail(error, "image too large");

    cv::Mat bytes;
    switch (decoded.depth()) {
        case CV_8U:
            bytes = decoded;
            break;
        case CV_16U:
            decoded.convertTo(bytes, CV_8U, 1.0 / 257.0);
            break;
        case CV_32F:
            decoded.convertTo(bytes, CV_8U, 255.0);
            break;
        default:
            return Fail(error, "unsupported pixel format");
    }
    cv::Mat rgba;
    switch (bytes.channels()) {
        case 1:
            cv::cvtColor(bytes, rgba, cv::COLOR_GRAY2RGBA);
            break;
        case 3:
            cv::cvtColor(bytes, rgba, cv::COLOR_BGR2RGBA);
            break;
        case 4:
            cv::cvtColor(bytes, rgba, cv::COLOR_BGRA2RGBA);
            break;
        default:
            return Fail(error, "unsupported channel count");
    }
    if (!rgba.isContinuous()) rgba = rgba.clone();
    out.width = rgba.cols;
    out.height = rgba.rows;
    out.pixels.assign(rgba.data, rgba.data + static_cast<size_t>(rgba.cols) * rgba.rows * 4);
    return true;
}

bool LoadOther(const std::string& path, RGBAImage& out, std::string* error)
{
    try {
        return DecodeOther(path, out, error);
    } catch (const std::exception& e) {
        return Fail(error, std::string("image decoder failed: ") + e.what());
    }
}

}  // namespace

bool RGBAImage::Load(const std::string& path, std::string* error)
{
    // Either decoder would block on a FIFO until someone writes to it (and
    // may open a file more than once); only regular files are images.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return Fail(error, "not a regular file");
    RGBAImage loaded;
    bool ok = path.find(".png") != std::string::npos ? LoadPNG(path, loaded, error)
                                                     : LoadOther(path, loaded, error);
    if (!ok) return false;
    *this = std::move(loaded);
    return true;
}

}  // namespace vynui
