#include "wml/PGMImage.h"

#include <algorithm>
#include <cassert>
#include <filesystem>
#include <fstream>
#include <istream>
#include <ostream>
#include <streambuf>
#include <string>
#include <system_error>

namespace Wml {

namespace {

using Traits = std::streambuf::traits_type;

// Read-only view of caller memory, so memory and stream input share one
// parser without copying. Seeking is supported so the binary path can check
// the available size before allocating.
class MemoryBuffer : public std::streambuf {
public:
    MemoryBuffer(const char* data, std::size_t size)
    {
        // The get area is never written through: pbackfail keeps its
        // default (refuse), so the const_cast is only for the API.
        char* begin = const_cast<char*>(data);
        setg(begin, begin, begin + size);
    }

protected:
    pos_type seekoff(off_type offset, std::ios_base::seekdir dir, std::ios_base::openmode which) override
    {
        if (!(which & std::ios_base::in)) return pos_type(off_type(-1));
        const off_type size = egptr() - eback();
        off_type base = 0;
        if (dir == std::ios_base::cur)
            base = gptr() - eback();
        else if (dir == std::ios_base::end)
            base = size;
        if ((offset > 0 && offset > size - base) || (offset < 0 && -offset > base))
            return pos_type(off_type(-1));
        const off_type target = base + offset;
        setg(eback(), eback() + target, egptr());
        return pos_type(target);
    }

    pos_type seekpos(pos_type pos, std::ios_base::openmode which) override
    {
        return seekoff(off_type(pos), std::ios_base::beg, which);
    }
};

bool IsSpace(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool IsDigit(int c)
{
    return c >= '0' && c <= '9';
}

enum class NumberStatus {
    Ok,
    Missing,    // end of data before any digit
    Malformed,  // not a digit, or digits followed by junk
    Negative,
    TooLarge
};

class PGMParser {
public:
    explicit PGMParser(std::streambuf& buffer) : m_buffer(buffer) {}

    int Peek() { return m_buffer.sgetc(); }
    int Next() { return m_buffer.sbumpc(); }

    // Header whitespace may contain '#' comments running to the end of line.
    void SkipHeaderSeparators()
    {
        for (;;) {
            int c = Peek();
            if (c == '#') {
                do {
                    c = Next();
                } while (c != Traits::eof() && c != '\n' && c != '\r');
                continue;
            }
            if (c == Traits::eof() || !IsSpace(c)) return;
            Next();
        }
    }

    void SkipSpaces()
    {
        int c = Peek();
        while (c != Traits::eof() && IsSpace(c)) {
            Next();
            c = Peek();
        }
    }

    // Reads an unsigned decimal. Values above 'limit' report TooLarge but
    // are still consumed; accumulation saturates so nothing overflows.
    // The digits must be followed by whitespace, end of data, or (if
    // allowComment) a '#'.
    NumberStatus ReadNumber(unsigned long limit, bool allowComment, unsigned long& value)
    {
        value = 0;
        int c = Peek();
        if (c == Traits::eof()) return NumberStatus::Missing;
        if (c == '-') return NumberStatus::Negative;
        if (!IsDigit(c)) return NumberStatus::Malformed;
        bool tooLarge = false;
        while (c != Traits::eof() && IsDigit(c)) {
            if (!tooLarge) {
                value = value * 10 + static_cast<unsigned long>(c - '0');
                if (value > limit) tooLarge = true;
            }
            Next();
            c = Peek();
        }
        if (c != Traits::eof() && !IsSpace(c) && !(allowComment && c == '#')) return NumberStatus::Malformed;
        return tooLarge ? NumberStatus::TooLarge : NumberStatus::Ok;
    }

    // Bytes left from the current position, or -1 when the source cannot
    // seek (pipes); the position is restored.
    long long Remaining()
    {
        const std::streampos here = m_buffer.pubseekoff(0, std::ios_base::cur, std::ios_base::in);
        if (here == std::streampos(-1)) return -1;
        const std::streampos end = m_buffer.pubseekoff(0, std::ios_base::end, std::ios_base::in);
        if (m_buffer.pubseekpos(here, std::ios_base::in) != here || end == std::streampos(-1)) return -1;
        return static_cast<long long>(end - here);
    }

    std::streamsize ReadBlock(unsigned char* out, std::streamsize count)
    {
        return m_buffer.sgetn(reinterpret_cast<char*>(out), count);
    }

private:
    std::streambuf& m_buffer;
};

PGMImage::ReadError SizeError(NumberStatus status)
{
    switch (status) {
        case NumberStatus::Negative:
        case NumberStatus::TooLarge:
            return PGMImage::ReadError::BadSize;
        default:
            return PGMImage::ReadError::BadHeader;
    }
}

// Parses one image; fills width/height/pixels only on success.
PGMImage::ReadError ParsePGM(std::streambuf& buffer, unsigned& width, unsigned& height,
                             std::vector<unsigned char>& pixels)
{
    using Error = PGMImage::ReadError;
    PGMParser parser(buffer);

    if (parser.Next() != 'P') return Error::BadMagic;
    const int kind = parser.Next();
    if (kind != '2' && kind != '5') return Error::BadMagic;
    const int afterMagic = parser.Peek();
    if (afterMagic != Traits::eof() && !IsSpace(afterMagic) && afterMagic != '#') return Error::BadMagic;
    const bool binary = (kind == '5');

    unsigned long dims[2] = {0, 0};
    for (unsigned long& dim : dims) {
        parser.SkipHeaderSeparators();
        const NumberStatus status = parser.ReadNumber(PGMImage::MaxDimension, true, dim);
        if (status != NumberStatus::Ok) return SizeError(status);
        if (dim == 0) return Error::BadSize;
    }

    parser.SkipHeaderSeparators();
    unsigned long maxValue = 0;
    const NumberStatus maxStatus = parser.ReadNumber(65535, false, maxValue);
    if (maxStatus == NumberStatus::Missing || maxStatus == NumberStatus::Malformed) return Error::BadHeader;
    if (maxStatus != NumberStatus::Ok || maxValue != 255) return Error::BadMaxValue;
    // Exactly one whitespace byte separates the header from the raster.
    if (parser.Next() == Traits::eof()) return Error::TruncatedData;

    const std::size_t count = static_cast<std::size_t>(dims[0]) * dims[1];
    std::vector<unsigned char> data;

    const long long available = parser.Remaining();
    if (binary) {
        if (available >= 0 && static_cast<unsigned long long>(available) < count) return Error::TruncatedData;
        // When the size is unknown, grow with what actually arrives so a
        // lying header cannot make us allocate the full image up front.
        const std::size_t chunk = std::size_t(1) << 20;
        if (available >= 0) data.reserve(count);
        std::size_t got = 0;
        while (got < count) {
            const std::size_t want = std::min(count - got, chunk);
            data.resize(got + want);
            const std::streamsize read =
                parser.ReadBlock(data.data() + got, static_cast<std::streamsize>(want));
            if (read <= 0) break;
            got += static_cast<std::size_t>(read);
        }
        if (got < count) return Error::TruncatedData;
        data.resize(count);
    } else {
        // Every ASCII pixel takes at least two bytes but the last.
        if (available >= 0 && static_cast<unsigned long long>(available) < 2 * count - 1)
            return Error::TruncatedData;
        data.reserve(available >= 0 ? count : std::min(count, std::size_t(1) << 20));
        for (std::size_t i = 0; i < count; ++i) {
            parser.SkipSpaces();
            unsigned long value = 0;
            const NumberStatus status = parser.ReadNumber(255, false, value);
            if (status == NumberStatus::Missing) return Error::TruncatedData;
            if (status != NumberStatus::Ok) return Error::BadPixelValue;
            data.push_back(static_cast<unsigned char>(value));
        }
    }

    width = static_cast<unsigned>(dims[0]);
    height = static_cast<unsigned>(dims[1]);
    pixels.swap(data);
    return Error::None;
}

}  // namespace

PGMImage::PGMImage() : m_width(0), m_height(0), m_readError(ReadError::None) {}

PGMImage::PGMImage(unsigned width, unsigned height, unsigned char fill)
    : m_width(0), m_height(0), m_readError(ReadError::None)
{
    Resize(width, height, fill);
}

bool PGMImage::Resize(unsigned width, unsigned height, unsigned char fill)
{
    Clear();
    if (width == 0 || height == 0 || width > MaxDimension || height > MaxDimension) return false;
    m_pixels.assign(static_cast<std::size_t>(width) * height, fill);
    m_width = width;
    m_height = height;
    return true;
}

void PGMImage::Clear()
{
    std::vector<unsigned char>().swap(m_pixels);
    m_width = 0;
    m_height = 0;
}

bool PGMImage::Fail(ReadError error)
{
    Clear();
    m_readError = error;
    return false;
}

bool PGMImage::Read(const char* path)
{
    // Opening a FIFO would block until someone writes to it; only regular
    // files are images.
    std::error_code ec;
    if (!path || !std::filesystem::is_regular_file(path, ec)) return Fail(ReadError::CannotOpen);
    std::ifstream file(path, std::ios::in | std::ios::binary);
    if (!file) return Fail(ReadError::CannotOpen);
    return Read(file);
}

bool PGMImage::Read(std::istream& in)
{
    std::streambuf* buffer = in.rdbuf();
    if (!buffer || !in.good()) return Fail(ReadError::CannotOpen);
    ReadError error = ReadError::CannotOpen;
    try {
        unsigned width = 0, height = 0;
        std::vector<unsigned char> pixels;
        error = ParsePGM(*buffer, width, height, pixels);
        if (error == ReadError::None) {
            m_width = width;
            m_height = height;
            m_pixels.swap(pixels);
            m_readError = ReadError::None;
            return true;
        }
    } catch (...) {
        // A throwing stream buffer or exhausted memory is a failed read,
        // not a crash; 'error' keeps the last known reason.
    }
    try {
        in.setstate(std::ios::failbit);
    } catch (...) {
    }
    return Fail(error);
}

bool PGMImage::ReadFromMemory(const void* data, std::size_t size)
{
    if (!data) return Fail(ReadError::CannotOpen);
    MemoryBuffer buffer(static_cast<const char*>(data), size);
    std::istream in(&buffer);
    return Read(in);
}

const char* PGMImage::DescribeError(ReadError error)
{
    switch (error) {
        case ReadError::None:
            return "no error";
        case ReadError::CannotOpen:
            return "cannot open or read the input";
        case ReadError::BadMagic:
            return "not a P2 or P5 greyscale image";
        case ReadError::BadHeader:
            return "malformed header";
        case ReadError::BadSize:
            return "image size is zero, negative or too large";
        case ReadError::BadMaxValue:
            return "maximum grey value is not 255";
        case ReadError::TruncatedData:
            return "pixel data is truncated";
        case ReadError::BadPixelValue:
            return "pixel value is not a number in 0..255";
    }
    return "unknown error";
}

bool PGMImage::Write(const char* path, bool binary) const
{
    if (!path || IsEmpty()) return false;
    std::ofstream file(path, std::ios::out | std::ios::binary | std::ios::trunc);
    if (!file) return false;
    if (!Write(file, binary)) return false;
    file.close();
    return !file.fail();
}

bool PGMImage::Write(std::ostream& out, bool binary) const
{
    if (IsEmpty() || !out) return false;
    out << (binary ? "P5\n" : "P2\n") << m_width << ' ' << m_height << "\n255\n";
    if (binary) {
        out.write(reinterpret_cast<const char*>(m_pixels.data()),
                  static_cast<std::streamsize>(m_pixels.size()));
        return static_cast<bool>(out.flush());
    }

    // Plain PGM lines should stay under 70 characters.
    std::string line;
    line.reserve(80);
    const unsigned char* pixel = m_pixels.data();
    for (unsigned row = 0; row < m_height && out; ++row) {
        line.clear();
        for (unsigned col = 0; col < m_width; ++col, ++pixel) {
            const std::string value = std::to_string(static_cast<unsigned>(*pixel));
            if (!line.empty() && line.size() + 1 + value.size() > 70) {
                line += '\n';
                out << line;
                line.clear();
            }
            if (!line.empty()) line += ' ';
            line += value;
        }
        line += '\n';
        out << line;
    }
    return static_cast<bool>(out.flush());
}

unsigned char& PGMImage::operator()(unsigned col, unsigned row)
{
    assert(col < m_width && row < m_height);
    return m_pixels[static_cast<std::size_t>(row) * m_width + col];
}

unsigned char PGMImage::operator()(unsigned col, unsigned row) const
{
    assert(col < m_width && row < m_height);
    return m_pixels[static_cast<std::size_t>(row) * m_width + col];
}

unsigned char PGMImage::Get(unsigned col, unsigned row) const
{
    if (col >= m_width || row >= m_height) return 0;
    return m_pixels[static_cast<std::size_t>(row) * m_width + col];
}

bool PGMImage::Set(unsigned col, unsigned row, unsigned char value)
{
    if (col >= m_width || row >= m_height) return false;
    m_pixels[static_cast<std::size_t>(row) * m_width + col] = value;
    return true;
}

}  // namespace Wml
