#include "animation/FrameImage.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <system_error>

#include "scene/RGBAImage.h"

namespace vynui {

namespace {

bool Fail(std::string* error, const std::string& reason)
{
    if (error) *error = reason;
    return false;
}

}  // namespace

std::size_t FrameImage::Stride() const
{
    if (rowStride) return rowStride;
    if (width <= 0 || channels <= 0) return 0;
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(channels);
}

bool FrameImage::IsValid(std::string* reason) const
{
    if (channels != 3 && channels != 4) return Fail(reason, "the frame has neither 3 nor 4 channels");
    if (width <= 0 || height <= 0) return Fail(reason, "the frame is empty");
    if (width > RGBAImage::MAX_SIDE || height > RGBAImage::MAX_SIDE ||
        static_cast<long long>(width) * height > RGBAImage::MAX_PIXELS)
        return Fail(reason, "the frame is too large");
    const std::size_t row = static_cast<std::size_t>(width) * static_cast<std::size_t>(channels);
    const std::size_t stride = Stride();
    if (stride < row) return Fail(reason, "the frame's rows are shorter than its width");
    // libpng takes the stride as a signed count of components.
    if (stride > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        return Fail(reason, "the frame's rows are too long");
    if (!data) return Fail(reason, "the frame has no pixels");
    // The last row need not carry its padding.
    const std::size_t needed = stride * static_cast<std::size_t>(height - 1) + row;
    if (size < needed) return Fail(reason, "the frame holds fewer pixels than its size says");
    return true;
}

bool FrameImage::WritePng(const std::string& path, std::string* error) const
{
    std::string reason;
    if (!IsValid(&reason)) return Fail(error, reason);

    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return Fail(error, std::strerror(errno));

    png_image image;
    std::memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    // A negative stride tells libpng the bottom row comes first in memory,
    // so the file gets the top row first.
    const png_int_32 stride = -static_cast<png_int_32>(Stride());
    bool written = png_image_write_to_stdio(&image, file, 0, data, stride, nullptr) != 0;
    if (!written) reason = image.message;
    png_image_free(&image);
    if (std::fflush(file) != 0 && written) {
        written = false;
        reason = std::strerror(errno);
    }
    if (std::fclose(file) != 0 && written) {
        written = false;
        reason = std::strerror(errno);
    }
    if (!written) {
        // Only a plain file is ours to remove, never a device or a link.
        std::error_code ignored;
        if (std::filesystem::is_regular_file(std::filesystem::symlink_status(path, ignored)))
            std::filesystem::remove(path, ignored);
        return Fail(error, reason.empty() ? "the file could not be written" : reason);
    }
    return true;
}

}  // namespace vynui
