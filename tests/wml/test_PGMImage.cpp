#include "wml/PGMImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "tests/support/FifoTestSupport.h"
#include "tests/support/TempFolder.h"

using Wml::PGMImage;
using ReadError = Wml::PGMImage::ReadError;

namespace {

using TempDir = kftest::TempFolder;

PGMImage MakePattern(unsigned width, unsigned height)
{
    PGMImage image(width, height);
    for (unsigned row = 0; row < height; ++row)
        for (unsigned col = 0; col < width; ++col)
            image(col, row) = static_cast<unsigned char>((col * 37 + row * 101 + col * row) % 256);
    image(0, 0) = 0;
    image(width - 1, height - 1) = 255;
    return image;
}

void ExpectSamePixels(const PGMImage& a, const PGMImage& b)
{
    ASSERT_EQ(a.GetWidth(), b.GetWidth());
    ASSERT_EQ(a.GetHeight(), b.GetHeight());
    EXPECT_TRUE(std::equal(a.GetData(), a.GetData() + a.GetWidth() * a.GetHeight(), b.GetData()));
}

// Reads from an exactly sized heap copy so any overread is visible to ASan.
bool ReadExact(PGMImage& image, const std::string& text)
{
    std::vector<char> bytes(text.begin(), text.end());
    static const char empty = 0;
    return image.ReadFromMemory(bytes.empty() ? &empty : bytes.data(), bytes.size());
}

// A stream buffer that cannot seek, like a pipe.
class PipeBuffer : public std::streambuf {
public:
    explicit PipeBuffer(std::string data) : m_data(std::move(data)) {}

protected:
    int_type underflow() override
    {
        if (m_next >= m_data.size()) return traits_type::eof();
        // Hand out one byte at a time to exercise partial reads.
        m_current = m_data[m_next++];
        setg(&m_current, &m_current, &m_current + 1);
        return traits_type::to_int_type(m_current);
    }

private:
    std::string m_data;
    std::size_t m_next = 0;
    char m_current = 0;
};

}  // namespace

TEST(PGMImage, RoundTripsBinaryAndAsciiThroughFiles)
{
    TempDir dir;
    // Wide enough that ASCII rows wrap over several lines.
    const PGMImage original = MakePattern(37, 23);

    for (bool binary : {true, false}) {
        const std::string path = dir.File(binary ? "pattern_p5.pgm" : "pattern_p2.pgm");
        ASSERT_TRUE(original.Write(path.c_str(), binary));

        const std::string text = kftest::ReadFile(path);
        ASSERT_GE(text.size(), 2u);
        EXPECT_EQ(text.substr(0, 2), binary ? "P5" : "P2");
        if (!binary) {
            std::istringstream lines(text);
            for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 70u);
        }

        PGMImage loaded;
        ASSERT_TRUE(loaded.Read(path.c_str())) << PGMImage::DescribeError(loaded.GetReadError());
        EXPECT_EQ(loaded.GetReadError(), ReadError::None);
        ExpectSamePixels(original, loaded);

        // The same bytes through the memory and stream readers.
        PGMImage fromMemory;
        ASSERT_TRUE(ReadExact(fromMemory, text));
        ExpectSamePixels(original, fromMemory);
        PipeBuffer pipe(text);
        std::istream pipeStream(&pipe);
        PGMImage fromPipe;
        ASSERT_TRUE(fromPipe.Read(pipeStream));
        ExpectSamePixels(original, fromPipe);
    }

    // A 1 x 1 image is the smallest legal one.
    PGMImage single(1, 1, 200);
    const std::string path = dir.File("single.pgm");
    ASSERT_TRUE(single.Write(path.c_str()));
    PGMImage loaded;
    ASSERT_TRUE(loaded.Read(path.c_str()));
    EXPECT_EQ(loaded.GetWidth(), 1u);
    EXPECT_EQ(loaded.Get(0, 0), 200);
}

TEST(PGMImage, AcceptsHeaderCommentsAndFreeWhitespace)
{
    PGMImage image;
    ASSERT_TRUE(ReadExact(image,
                          "P2\n# made by hand\n3 2 # trailing comment\n#another\n255\n"
                          "0   1\t2\n\n253 254\r\n255"));
    ASSERT_EQ(image.GetWidth(), 3u);
    ASSERT_EQ(image.GetHeight(), 2u);
    EXPECT_EQ(image(0, 0), 0);
    EXPECT_EQ(image(2, 0), 2);
    EXPECT_EQ(image(0, 1), 253);
    EXPECT_EQ(image(2, 1), 255);

    // In P5 the single byte after 255 ends the header, so the raster may
    // start with bytes that look like whitespace or '#'.
    const std::string binary = std::string("P5 #c\n2#c2\n1\n255\n") + '#' + '\n';
    ASSERT_TRUE(ReadExact(image, binary));
    ASSERT_EQ(image.GetWidth(), 2u);
    ASSERT_EQ(image.GetHeight(), 1u);
    EXPECT_EQ(image(0, 0), '#');
    EXPECT_EQ(image(1, 0), '\n');

    // Bytes after the raster are ignored.
    ASSERT_TRUE(ReadExact(image, "P5\n1 1\n255\nXtrailing"));
    EXPECT_EQ(image(0, 0), 'X');
}

TEST(PGMImage, RefusesMalformedInput)
{
    struct Case {
        std::string text;
        ReadError expected;
    };
    const std::string huge = "P5\n16385 1\n255\n" + std::string(16385, 'a');
    const Case cases[] = {
        {"", ReadError::BadMagic},
        {"P", ReadError::BadMagic},
        {"P6\n1 1\n255\n\x01\x02\x03", ReadError::BadMagic},
        {"p5\n1 1\n255\nA", ReadError::BadMagic},
        {"P55\n1 1\n255\nA", ReadError::BadMagic},
        {"P5", ReadError::BadHeader},
        {"P5\nx 1\n255\nA", ReadError::BadHeader},
        {"P5\n1x 1\n255\nA", ReadError::BadHeader},
        {"P5\n+1 1\n255\nA", ReadError::BadHeader},
        {"P5\n1 1\n", ReadError::BadHeader},
        {"P5\n1 1\n255", ReadError::TruncatedData},
        {"P5\n-1 1\n255\nA", ReadError::BadSize},
        {"P5\n0 1\n255\n", ReadError::BadSize},
        {huge, ReadError::BadSize},
        {"P5\n99999999999999999999999999 1\n255\nA", ReadError::BadSize},
        {"P5\n1 1\n254\nA", ReadError::BadMaxValue},
        {"P5\n1 1\n65535\nAA", ReadError::BadMaxValue},
        {"P5\n1 1\n-255\nA", ReadError::BadMaxValue},
        {"P5\n1 1\n255x\nA", ReadError::BadHeader},
        {"P5\n3 2\n255\nABCDE", ReadError::TruncatedData},
        {"P5\n16384 16384\n255\nABCD", ReadError::TruncatedData},
        {"P2\n2 2\n255\n1 2 3", ReadError::TruncatedData},
        {"P2\n2 1\n255\n1 256", ReadError::BadPixelValue},
        {"P2\n2 1\n255\n1 99999999999999999999999", ReadError::BadPixelValue},
        {"P2\n2 1\n255\n1 2x", ReadError::BadPixelValue},
        {"P2\n2 1\n255\n1 -2", ReadError::BadPixelValue},
        {"P2\n2 1\n255\n1 # 2\n3", ReadError::BadPixelValue},
    };

    for (const Case& c : cases) {
        // Start from a loaded image: a failed read must leave it empty.
        PGMImage image = MakePattern(4, 3);
        EXPECT_FALSE(ReadExact(image, c.text)) << c.text;
        EXPECT_EQ(image.GetReadError(), c.expected)
            << c.text << " -> " << PGMImage::DescribeError(image.GetReadError());
        EXPECT_TRUE(image.IsEmpty());
        EXPECT_EQ(image.GetWidth(), 0u);
        EXPECT_EQ(image.GetHeight(), 0u);
        EXPECT_EQ(image.GetData(), nullptr);

        // A stream that cannot report its size takes the other code path.
        PipeBuffer pipe(c.text);
        std::istream stream(&pipe);
        EXPECT_FALSE(image.Read(stream)) << c.text;
        EXPECT_EQ(image.GetReadError(), c.expected) << c.text;
    }

    PGMImage image;
    EXPECT_FALSE(image.Read("/nonexistent-dir/none.pgm"));
    EXPECT_EQ(image.GetReadError(), ReadError::CannotOpen);
    EXPECT_FALSE(image.Read(static_cast<const char*>(nullptr)));
    EXPECT_FALSE(image.ReadFromMemory(nullptr, 10));
}

TEST(PGMImage, EveryTruncationIsRefused)
{
    const PGMImage original = MakePattern(5, 4);
    for (bool binary : {true, false}) {
        std::ostringstream out;
        ASSERT_TRUE(original.Write(out, binary));
        const std::string text = out.str();
        // In ASCII the last pixel's digits can be cut short and still
        // parse, so only cut before them there.
        std::size_t limit = text.size();
        if (!binary) {
            limit = text.find_last_not_of(" \n");
            limit = text.find_last_of(" \n", limit) + 1;
        }
        for (std::size_t length = 0; length < limit; ++length) {
            PGMImage image;
            EXPECT_FALSE(ReadExact(image, text.substr(0, length)))
                << (binary ? "P5" : "P2") << " cut at " << length;
            EXPECT_TRUE(image.IsEmpty());
        }
        PGMImage image;
        EXPECT_TRUE(ReadExact(image, text));
    }
}

TEST(PGMImage, SizeLimitsAndWriteFailures)
{
    EXPECT_TRUE(PGMImage(0, 5).IsEmpty());
    EXPECT_TRUE(PGMImage(PGMImage::MaxDimension + 1, 1).IsEmpty());

    PGMImage image(4, 3, 7);
    EXPECT_TRUE(image.Set(3, 2, 9));
    // Row-major from the top row.
    EXPECT_EQ(image.GetData()[2 * 4 + 3], 9);
    EXPECT_FALSE(image.Set(4, 0, 1));
    EXPECT_EQ(image.Get(0, 3), 0);

    TempDir dir;
    const PGMImage empty;
    EXPECT_FALSE(empty.Write(dir.File("empty.pgm").c_str()));
    EXPECT_FALSE(image.Write((dir.File("missing") + "/sub/x.pgm").c_str()));
    std::ostringstream out;
    EXPECT_FALSE(empty.Write(out));
}

TEST(PGMImage, OnlyRegularFilesAreOpened)
{
    // A pipe would block the read until someone writes to it, and a folder
    // is no image: both are refused before anything is opened.
    TempDir dir;
    PGMImage image(2, 2, 9);
    {
        FeedingFifo fifo(dir.File("pipe.pgm"), "P2 2 1 255 1 2\n");
        ASSERT_TRUE(fifo.Made());
        EXPECT_FALSE(image.Read(fifo.Path().c_str()));
        EXPECT_EQ(image.GetReadError(), ReadError::CannotOpen);
        EXPECT_TRUE(image.IsEmpty());
        EXPECT_FALSE(fifo.WasOpened());
    }
    EXPECT_FALSE(image.Read(dir.File("").c_str()));
    EXPECT_EQ(image.GetReadError(), ReadError::CannotOpen);
}
