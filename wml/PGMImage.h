#ifndef WML_PGMIMAGE_H
#define WML_PGMIMAGE_H

#include <cstddef>
#include <iosfwd>
#include <vector>

namespace Wml {

/**
 * \brief 8-bit greyscale image read from and written to PGM files.
 *
 * Both the ASCII ("P2") and the binary ("P5") flavours are supported, with a
 * maximum grey value of exactly 255. Pixels are stored row-major, rows from
 * the top, one unsigned char per pixel.
 *
 * Reading is strict: anything that is not a well-formed 255-level image is
 * refused. A failed read always leaves the image empty (0 x 0) and records
 * the reason, see GetReadError().
 */
class PGMImage {
public:
    /// Largest accepted width or height; bigger headers are refused.
    static constexpr unsigned MaxDimension = 16384;

    /// Why the last Read() failed.
    enum class ReadError {
        None,           ///< Last read succeeded (or nothing was read yet).
        CannotOpen,     ///< File or stream could not be opened/read.
        BadMagic,       ///< Not "P2" or "P5".
        BadHeader,      ///< Width/height/max grey missing or not a number.
        BadSize,        ///< Zero, negative or oversized width/height.
        BadMaxValue,    ///< Maximum grey value is not 255.
        TruncatedData,  ///< Fewer pixels than width x height.
        BadPixelValue   ///< ASCII pixel above 255 or not a number.
    };

    /// Empty 0 x 0 image.
    PGMImage();

    /**
     * \brief Image of the given size filled with \p fill.
     * A zero size, or one above MaxDimension, gives an empty image.
     */
    PGMImage(unsigned width, unsigned height, unsigned char fill = 0);

    /// Reallocates to \p width x \p height filled with \p fill; false (and
    /// empty) when a dimension is zero or above MaxDimension.
    bool Resize(unsigned width, unsigned height, unsigned char fill = 0);

    /// Releases the pixels; the image becomes 0 x 0.
    void Clear();

    /// Reads a P2 or P5 file. On failure returns false and the image is empty;
    /// anything but a regular file (a folder, a FIFO) is refused unopened.
    bool Read(const char* path);

    /// Reads a P2 or P5 image from the current position of \p in.
    bool Read(std::istream& in);

    /// Reads a P2 or P5 image from \p size bytes at \p data (never past them).
    bool ReadFromMemory(const void* data, std::size_t size);

    /// Reason for the last failed read, ReadError::None after a success.
    ReadError GetReadError() const { return m_readError; }

    /// Human-readable text for a ReadError value.
    static const char* DescribeError(ReadError error);

    /**
     * \brief Writes the image as P5 (\p binary) or P2.
     * Fails for an empty image or when the file cannot be written completely.
     */
    bool Write(const char* path, bool binary = true) const;

    /// Writes the image as P5 (\p binary) or P2 to \p out.
    bool Write(std::ostream& out, bool binary = true) const;

    unsigned GetWidth() const { return m_width; }
    unsigned GetHeight() const { return m_height; }
    bool IsEmpty() const { return m_pixels.empty(); }

    /// Unchecked pixel access (asserts in debug builds).
    unsigned char& operator()(unsigned col, unsigned row);
    unsigned char operator()(unsigned col, unsigned row) const;

    /// Checked read: 0 outside the image.
    unsigned char Get(unsigned col, unsigned row) const;

    /// Checked write: returns false (and does nothing) outside the image.
    bool Set(unsigned col, unsigned row, unsigned char value);

    /// Row-major pixels, GetWidth() * GetHeight() bytes; null when empty.
    unsigned char* GetData() { return m_pixels.empty() ? nullptr : m_pixels.data(); }
    const unsigned char* GetData() const { return m_pixels.empty() ? nullptr : m_pixels.data(); }

private:
    bool Fail(ReadError error);

    unsigned m_width;
    unsigned m_height;
    std::vector<unsigned char> m_pixels;
    ReadError m_readError;
};

}  // namespace Wml

#endif
