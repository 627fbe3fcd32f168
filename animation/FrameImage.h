#pragma once
// The pixels of one drawn frame as the view reads them back (rows from the
// bottom, as glReadPixels gives them), and writing them as a PNG file.

#include <cstddef>
#include <string>

namespace vynui {

struct FrameImage {
    /// Not owned; at least size bytes.
    const unsigned char* data = nullptr;
    std::size_t size = 0;
    int width = 0;
    int height = 0;
    /// 4: R G B A per pixel; 3: R G B.
    int channels = 4;
    /// Bytes from one row to the next; 0 means width * channels. A read-back
    /// RGB frame with the default pack alignment has rows padded to 4 bytes.
    std::size_t rowStride = 0;

    /// The row stride in use (rowStride, or width * channels when 0).
    std::size_t Stride() const;
    /// True when the description is usable: a known channel count, positive
    /// sizes within the image limits, a stride that holds a row, and enough
    /// bytes for every row. Otherwise reason says what is wrong.
    bool IsValid(std::string* reason = nullptr) const;

    /// Writes the frame to path as an 8-bit PNG, top row first (the rows are
    /// turned over), with an alpha channel when the frame has one. False,
    /// with the reason in *error, when the frame is unusable or the file
    /// cannot be written; a partly written file is removed.
    bool WritePng(const std::string& path, std::string* error = nullptr) const;
};

}  // namespace vynui
