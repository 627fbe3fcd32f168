#include "scene/RGBAImage.h"

#include <png.h>

#include <cstring>
#include <exception>
#include <filesystem>
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

bool DecodeOther(const std::string& path, RGBAImage& out, std::string* error)
{
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
