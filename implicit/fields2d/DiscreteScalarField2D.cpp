#include "implicit/fields2d/DiscreteScalarField2D.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "wml/Serializer.h"

namespace vynimplicit {

namespace {

// Catmull-Rom weights of the four samples around a cell and their derivatives.
inline void CubicWeights(float t, float w[4])
{
    const float t2 = t * t, t3 = t2 * t;
    w[0] = 0.5f * (-t3 + 2.0f * t2 - t);
    w[1] = 0.5f * (3.0f * t3 - 5.0f * t2 + 2.0f);
    w[2] = 0.5f * (-3.0f * t3 + 4.0f * t2 + t);
    w[3] = 0.5f * (t3 - t2);
}

inline void CubicDerivativeWeights(float t, float d[4])
{
    const float t2 = t * t;
    d[0] = 0.5f * (-3.0f * t2 + 4.0f * t - 1.0f);
    d[1] = 0.5f * (9.0f * t2 - 10.0f * t);
    d[2] = 0.5f * (-9.0f * t2 + 8.0f * t + 1.0f);
    d[3] = 0.5f * (3.0f * t2 - 2.0f * t);
}

// Interpolants may overshoot slightly; the field convention wants [0, 1].
inline float ClampUnit(float v, float& gx, float& gy)
{
    if (v > 0.0f && v < 1.0f) return v;
    gx = gy = 0.0f;
    return v >= 1.0f ? 1.0f : 0.0f;  // NaN lands on 0
}

}  // namespace

DiscreteScalarField2D::DiscreteScalarField2D(unsigned width, unsigned height,
                                             const Wml::AxisAlignedBox2<float>& bounds)
{
    Resize(width, height);
    SetBounds(bounds);
}

bool DiscreteScalarField2D::Resize(unsigned width, unsigned height)
{
    if (width < 2 || height < 2 || width > MAX_SIZE || height > MAX_SIZE) return false;
    m_width = width;
    m_height = height;
    m_data.assign(size_t(width) * height, 0.0f);
    UpdateMapping();
    return true;
}

bool DiscreteScalarField2D::SetValue(unsigned i, unsigned j, float v)
{
    if (i >= m_width || j >= m_height || std::isnan(v)) return false;
    m_data[size_t(j) * m_width + i] = v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
    return true;
}

Wml::Vector2<float> DiscreteScalarField2D::GetSamplePosition(unsigned i, unsigned j) const
{
    if (!m_ready) return m_bounds.IsEmpty() ? Wml::Vector2<float>() : m_bounds.MinCorner();
    return Wml::Vector2<float>(m_bounds.Min(0) + float(i) / m_scaleX, m_bounds.Min(1) + float(j) / m_scaleY);
}

void DiscreteScalarField2D::SetBounds(const Wml::AxisAlignedBox2<float>& box)
{
    for (int a = 0; a < 2; ++a) {
        if (!std::isfinite(box.Min(a)) || !std::isfinite(box.Max(a))) return;
        if (!(box.Max(a) - box.Min(a) > 0.0f)) return;
    }
    m_bounds = box;
    UpdateMapping();
}

void DiscreteScalarField2D::FieldBounds(Wml::AxisAlignedBox2<float>& box)
{
    if (m_ready)
        box = m_bounds;
    else
        box = Wml::AxisAlignedBox2<float>();
}

void DiscreteScalarField2D::UpdateMapping()
{
    m_ready = m_width >= 2 && m_height >= 2 && !m_bounds.IsEmpty();
    if (!m_ready) return;
    m_scaleX = float(m_width - 1) / (m_bounds.Max(0) - m_bounds.Min(0));
    m_scaleY = float(m_height - 1) / (m_bounds.Max(1) - m_bounds.Min(1));
    m_ready = std::isfinite(m_scaleX) && std::isfinite(m_scaleY) && m_scaleX > 0.0f && m_scaleY > 0.0f;
}

bool DiscreteScalarField2D::Locate(float x, float y, int& i, int& j, float& fx, float& fy) const
{
    // Written so that NaN fails the test.
    if (!(m_ready && x >= m_bounds.Min(0) && x <= m_bounds.Max(0) && y >= m_bounds.Min(1) &&
          y <= m_bounds.Max(1)))
        return false;
    const float gx = (x - m_bounds.Min(0)) * m_scaleX, gy = (y - m_bounds.Min(1)) * m_scaleY;
    i = int(gx);
    j = int(gy);
    if (i > int(m_width) - 2) i = int(m_width) - 2;
    if (j > int(m_height) - 2) j = int(m_height) - 2;
    fx = gx - float(i);
    fy = gy - float(j);
    return true;
}

void DiscreteScalarField2D::Gather(int i, int j, float block[16]) const
{
    const int w = int(m_width), h = int(m_height);
    const float* d = m_data.data();
    if (i >= 1 && i + 2 < w && j >= 1 && j + 2 < h) {
        for (int r = 0; r < 4; ++r) {
            const float* row = d + size_t(j - 1 + r) * w + (i - 1);
            block[4 * r + 0] = row[0];
            block[4 * r + 1] = row[1];
            block[4 * r + 2] = row[2];
            block[4 * r + 3] = row[3];
        }
        return;
    }
    // Edge cells: fetch what exists, then extrapolate linearly, first along
    // x inside each row and then along y, which keeps linear data exact.
    float rows[4][4];
    for (int r = 0; r < 4; ++r) {
        const int jj = j - 1 + r;
        if (jj < 0 || jj >= h) continue;
        const float* row = d + size_t(jj) * w;
        for (int c = 0; c < 4; ++c) {
            const int ii = i - 1 + c;
            if (ii < 0)
                rows[r][c] = 2.0f * row[0] - row[1];
            else if (ii >= w)
                rows[r][c] = 2.0f * row[w - 1] - row[w - 2];
            else
                rows[r][c] = row[ii];
        }
    }
    // Only the first or the last row can be missing (h >= 2, one cell).
    if (j - 1 < 0)
        for (int c = 0; c < 4; ++c) rows[0][c] = 2.0f * rows[1][c] - rows[2][c];
    if (j + 2 >= h)
        for (int c = 0; c < 4; ++c) rows[3][c] = 2.0f * rows[2][c] - rows[1][c];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) block[4 * r + c] = rows[r][c];
}

float DiscreteScalarField2D::Evaluate(float x, float y) const
{
    int i, j;
    float fx, fy;
    if (!Locate(x, y, i, j, fx, fy)) return 0.0f;
    float v;
    if (m_interpolation == Interpolation::Bilinear) {
        const float* p = m_data.data() + size_t(j) * m_width + i;
        const float a = p[0] + fx * (p[1] - p[0]);
        const float b = p[m_width] + fx * (p[m_width + 1] - p[m_width]);
        v = a + fy * (b - a);
    } else {
        float block[16], wx[4], wy[4];
        Gather(i, j, block);
        CubicWeights(fx, wx);
        CubicWeights(fy, wy);
        v = 0.0f;
        for (int r = 0; r < 4; ++r)
            v += wy[r] * (wx[0] * block[4 * r] + wx[1] * block[4 * r + 1] + wx[2] * block[4 * r + 2] +
                          wx[3] * block[4 * r + 3]);
    }
    float gx = 0.0f, gy = 0.0f;
    return ClampUnit(v, gx, gy);
}

float DiscreteScalarField2D::EvaluateWithGradient(float x, float y, float& gx, float& gy) const
{
    gx = gy = 0.0f;
    int i, j;
    float fx, fy;
    if (!Locate(x, y, i, j, fx, fy)) return 0.0f;
    float v;
    if (m_interpolation == Interpolation::Bilinear) {
        const float* p = m_data.data() + size_t(j) * m_width + i;
        const float s00 = p[0], s10 = p[1], s01 = p[m_width], s11 = p[m_width + 1];
        const float a = s00 + fx * (s10 - s00), b = s01 + fx * (s11 - s01);
        v = a + fy * (b - a);
        gx = ((1.0f - fy) * (s10 - s00) + fy * (s11 - s01)) * m_scaleX;
        gy = (b - a) * m_scaleY;
    } else {
        float block[16], wx[4], wy[4], dx[4], dy[4];
        Gather(i, j, block);
        CubicWeights(fx, wx);
        CubicWeights(fy, wy);
        CubicDerivativeWeights(fx, dx);
        CubicDerivativeWeights(fy, dy);
        v = 0.0f;
        float sx = 0.0f, sy = 0.0f;
        for (int r = 0; r < 4; ++r) {
            const float* b = block + 4 * r;
            const float rowValue = wx[0] * b[0] + wx[1] * b[1] + wx[2] * b[2] + wx[3] * b[3];
            const float rowSlope = dx[0] * b[0] + dx[1] * b[1] + dx[2] * b[2] + dx[3] * b[3];
            v += wy[r] * rowValue;
            sx += wy[r] * rowSlope;
            sy += dy[r] * rowValue;
        }
        gx = sx * m_scaleX;
        gy = sy * m_scaleY;
    }
    return ClampUnit(v, gx, gy);
}

// ---- records and files -------------------------------------------------------

namespace {

bool ValidBox(const Wml::AxisAlignedBox2<float>& b)
{
    for (int a = 0; a < 2; ++a)
        if (!std::isfinite(b.Min(a)) || !std::isfinite(b.Max(a)) || !(b.Max(a) - b.Min(a) > 0.0f))
            return false;
    return true;
}

bool ValidSize(unsigned long long w, unsigned long long h)
{
    return w >= 2 && h >= 2 && w <= DiscreteScalarField2D::MAX_SIZE && h <= DiscreteScalarField2D::MAX_SIZE;
}

bool ValidSamples(const std::vector<float>& data)
{
    for (float v : data)
        if (!(v >= 0.0f && v <= 1.0f)) return false;  // NaN fails too
    return true;
}

const char MAGIC[] = "mdvalue2d";
const unsigned FILE_VERSION = 1;
const size_t MAX_HEADER_LINE = 256;

// Splits one header line into space-separated tokens; false when the line
// is missing its '\n', too long, or has empty tokens.
bool SplitLine(const std::string& text, size_t& pos, std::vector<std::string>& tokens)
{
    tokens.clear();
    const size_t end = text.find('\n', pos);
    if (end == std::string::npos || end - pos > MAX_HEADER_LINE) return false;
    size_t start = pos;
    for (size_t i = pos; i <= end; ++i)
        if (i == end || text[i] == ' ') {
            if (i == start) return false;
            tokens.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    pos = end + 1;
    return true;
}

bool ParseUnsigned(const std::string& t, unsigned long long& v)
{
    if (t.empty() || t[0] < '0' || t[0] > '9') return false;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    return r.ec == std::errc() && r.ptr == t.data() + t.size();
}

bool ParseFloat(const std::string& t, float& v)
{
    const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    return r.ec == std::errc() && r.ptr == t.data() + t.size() && std::isfinite(v);
}

void AppendFloat(std::string& out, float v)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof(buf), v);
    out.append(buf, r.ptr);
}

}  // namespace

void DiscreteScalarField2D::Assign(unsigned width, unsigned height, std::vector<float>&& data,
                                   const Wml::AxisAlignedBox2<float>& box)
{
    m_width = width;
    m_height = height;
    m_data = std::move(data);
    m_bounds = box;
    UpdateMapping();
}

bool DiscreteScalarField2D::Store(Wml::SerializerRecord* record)
{
    if (!record || !m_ready || !ScalarField2D::Store(record)) return false;
    record->SetValue("Width", m_width);
    record->SetValue("Height", m_height);
    record->SetValue("Interpolation", static_cast<unsigned int>(m_interpolation));
    record->SetValue("Samples", m_data);
    return true;
}

bool DiscreteScalarField2D::Restore(Wml::SerializerRecord* record)
{
    if (!record) return false;
    Wml::Vector2<float> lo, hi;
    unsigned int width = 0, height = 0, mode = 0, count = 0;
    if (!record->GetValue("BoundsMin", lo, lo) || !record->GetValue("BoundsMax", hi, hi) ||
        !record->GetValue("Width", width, 0u) || !record->GetValue("Height", height, 0u) ||
        !record->GetValue("Interpolation", mode, 0u))
        return false;
    const Wml::AxisAlignedBox2<float> box(lo.X(), hi.X(), lo.Y(), hi.Y());
    if (!ValidBox(box) || !ValidSize(width, height) || mode > 1) return false;
    std::vector<float> data;
    // Learn the count first so a lying record cannot make us allocate.
    if (!record->GetValue("Samples", data, count) || count != size_t(width) * height) return false;
    data.resize(count);
    if (!record->GetValue("Samples", data, count) || !ValidSamples(data)) return false;
    Assign(width, height, std::move(data), box);
    m_interpolation = mode == 0 ? Interpolation::Bilinear : Interpolation::CatmullRom;
    return true;
}

bool DiscreteScalarField2D::LoadFromFile(const char* path)
{
    // Opening a FIFO would block until someone writes to it.
    std::error_code ec;
    if (!path || !std::filesystem::is_regular_file(path, ec)) return false;
    std::ifstream in(path, std::ios::in | std::ios::binary);
    if (!in) return false;
    in.seekg(0, std::ios::end);
    const std::streamoff fileSize = in.tellg();
    if (fileSize < 0) return false;
    in.seekg(0, std::ios::beg);

    // The header is two short lines; read no more than they can take.
    std::string head(std::min<std::streamoff>(fileSize, 2 * (MAX_HEADER_LINE + 1)), '\0');
    if (!in.read(&head[0], std::streamsize(head.size()))) return false;
    size_t pos = 0;
    std::vector<std::string> tok;
    unsigned long long version = 0, width = 0, height = 0;
    if (!SplitLine(head, pos, tok) || tok.size() != 4 || tok[0] != MAGIC || !ParseUnsigned(tok[1], version) ||
        version != FILE_VERSION || !ParseUnsigned(tok[2], width) || !ParseUnsigned(tok[3], height) ||
        !ValidSize(width, height))
        return false;
    float b[4];
    if (!SplitLine(head, pos, tok) || tok.size() != 4) return false;
    for (int k = 0; k < 4; ++k)
        if (!ParseFloat(tok[k], b[k])) return false;
    const Wml::AxisAlignedBox2<float> box(b[0], b[2], b[1], b[3]);
    if (!ValidBox(box)) return false;

    // The size must match exactly before anything is allocated for the samples.
    const unsigned long long count = width * height;
    if (static_cast<unsigned long long>(fileSize) - pos != count * 4) return false;

    std::vector<unsigned char> raw(count * 4);
    in.clear();
    in.seekg(std::streamoff(pos), std::ios::beg);
    if (!in.read(reinterpret_cast<char*>(raw.data()), std::streamsize(raw.size()))) return false;
    std::vector<float> data(count);
    for (size_t k = 0; k < count; ++k) {
        const unsigned char* p = &raw[4 * k];
        const std::uint32_t bits = std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) |
                                   (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
        std::memcpy(&data[k], &bits, 4);
    }
    if (!ValidSamples(data)) return false;
    Assign(unsigned(width), unsigned(height), std::move(data), box);
    return true;
}

bool DiscreteScalarField2D::SaveToFile(const char* path) const
{
    if (!path || !*path || !m_ready) return false;
    std::string text = std::string(MAGIC) + " " + std::to_string(FILE_VERSION) + " " +
                       std::to_string(m_width) + " " + std::to_string(m_height) + "\n";
    const float b[4] = {m_bounds.Min(0), m_bounds.Min(1), m_bounds.Max(0), m_bounds.Max(1)};
    for (int k = 0; k < 4; ++k) {
        AppendFloat(text, b[k]);
        text += k < 3 ? ' ' : '\n';
    }
    const size_t headerSize = text.size();
    text.resize(headerSize + 4 * m_data.size());
    unsigned char* out = reinterpret_cast<unsigned char*>(&text[headerSize]);
    for (size_t k = 0; k < m_data.size(); ++k) {
        std::uint32_t bits;
        std::memcpy(&bits, &m_data[k], 4);
        out[4 * k] = static_cast<unsigned char>(bits);
        out[4 * k + 1] = static_cast<unsigned char>(bits >> 8);
        out[4 * k + 2] = static_cast<unsigned char>(bits >> 16);
        out[4 * k + 3] = static_cast<unsigned char>(bits >> 24);
    }

    const std::string target(path);
    const std::string temp = target + ".tmp";
    {
        std::ofstream file(temp, std::ios::out | std::ios::binary | std::ios::trunc);
        if (!file) return false;
        file.write(text.data(), std::streamsize(text.size()));
        file.close();
        if (file.fail()) {
            std::remove(temp.c_str());
            return false;
        }
    }
    if (std::rename(temp.c_str(), target.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

}  // namespace vynimplicit
