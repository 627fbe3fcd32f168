#include "implicit/sweeps/DiscreteScalarField2D.h"

#include <cmath>

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

}  // namespace vynimplicit
