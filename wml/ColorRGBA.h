#pragma once
// Colour of four floats in [0, 1]: red, green, blue, alpha.

namespace Wml {

class ColorRGBA {
public:
    ColorRGBA() : m_c{0.0f, 0.0f, 0.0f, 0.0f} {}
    ColorRGBA(float r, float g, float b, float a) : m_c{r, g, b, a} {}

    float& operator[](int i) { return m_c[i]; }
    float operator[](int i) const { return m_c[i]; }
    operator float*() { return m_c; }
    operator const float*() const { return m_c; }
    float& R() { return m_c[0]; }
    float R() const { return m_c[0]; }
    float& G() { return m_c[1]; }
    float G() const { return m_c[1]; }
    float& B() { return m_c[2]; }
    float B() const { return m_c[2]; }
    float& A() { return m_c[3]; }
    float A() const { return m_c[3]; }

    bool operator==(const ColorRGBA& o) const
    {
        return m_c[0] == o.m_c[0] && m_c[1] == o.m_c[1] && m_c[2] == o.m_c[2] && m_c[3] == o.m_c[3];
    }
    bool operator!=(const ColorRGBA& o) const { return !(*this == o); }
    ColorRGBA operator*(float s) const { return ColorRGBA(s * m_c[0], s * m_c[1], s * m_c[2], s * m_c[3]); }
    ColorRGBA operator+(const ColorRGBA& o) const
    {
        return ColorRGBA(m_c[0] + o.m_c[0], m_c[1] + o.m_c[1], m_c[2] + o.m_c[2], m_c[3] + o.m_c[3]);
    }
    /// Each channel clamped into [0, 1].
    void Clamp()
    {
        for (float& c : m_c) c = c < 0.0f ? 0.0f : (c > 1.0f ? 1.0f : c);
    }

    static const ColorRGBA BLACK;
    static const ColorRGBA WHITE;

private:
    float m_c[4];
};

inline const ColorRGBA ColorRGBA::BLACK(0.0f, 0.0f, 0.0f, 1.0f);
inline const ColorRGBA ColorRGBA::WHITE(1.0f, 1.0f, 1.0f, 1.0f);

}  // namespace Wml
