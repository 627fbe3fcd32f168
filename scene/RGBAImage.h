#pragma once
// An 8-bit RGBA image in memory, rows from the top, decoded from a file:
// PNG through libpng for names containing ".png", every other format through
// OpenCV's image codecs.

#include <string>
#include <vector>

namespace vynui {

struct RGBAImage {
    /// Images beyond these sizes are refused before any pixel is decoded
    /// (PNG) or right after decoding (other formats).
    static const int MAX_SIDE = 16384;
    static const long long MAX_PIXELS = 64LL * 1024 * 1024;

    int width = 0;
    int height = 0;
    /// width * height * 4 bytes, R G B A per pixel, first row at the top.
    std::vector<unsigned char> pixels;

    bool Empty() const { return width <= 0 || height <= 0; }

    /// Decodes path. False, with the image unchanged and a reason in *error
    /// when given, for anything but a regular file (a folder, a FIFO), a file
    /// that cannot be read, is not a supported image, is damaged or is too
    /// large.
    bool Load(const std::string& path, std::string* error = nullptr);
};

}  // namespace vynui
