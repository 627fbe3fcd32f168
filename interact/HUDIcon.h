#pragma once
// Icons of HUD items: something that draws itself over a box in HUD space.
// HUDExternalImageIcon draws someone else's texture; HUDProceduralIcon draws
// with its own GL code inside the box's window rectangle.

#include "wml/AxisAlignedBox2.h"

namespace vynui {

class HUDIcon {
public:
    virtual ~HUDIcon() = default;
    /// Natural size in pixels (0 when unknown).
    virtual int GetWidth() const = 0;
    virtual int GetHeight() const = 0;
    /// Draws over box, in the current HUD projection. Needs a GL context.
    virtual void Draw(const Wml::AxisAlignedBox2<float>& box) = 0;
};

/// Draws a textured white quad over box; texture 0 draws it untextured.
void DrawTexturedQuad(unsigned int texture, const Wml::AxisAlignedBox2<float>& box, float alpha = 1.0f);

/// A texture owned by someone else (who must keep it alive while the icon
/// draws), drawn over the box in white.
class HUDExternalImageIcon : public HUDIcon {
public:
    HUDExternalImageIcon(unsigned int texture, int width, int height)
        : m_texture(texture), m_width(width), m_height(height)
    {
    }
    int GetWidth() const override { return m_width; }
    int GetHeight() const override { return m_height; }
    void Draw(const Wml::AxisAlignedBox2<float>& box) override;

    unsigned int GetTexture() const { return m_texture; }
    void SetTexture(unsigned int texture) { m_texture = texture; }

private:
    unsigned int m_texture;
    int m_width;
    int m_height;
};

/// The window rectangle (pixels, y from the bottom) that a HUD box covers
/// under the given column-major model-view and projection matrices and GL
/// viewport (x, y, width, height). Rounded outward, clipped to the viewport;
/// zero width or height when the box is outside or degenerate.
struct WindowRect {
    int x = 0, y = 0, width = 0, height = 0;
};
WindowRect ProjectBoxToWindow(const Wml::AxisAlignedBox2<float>& box, const double modelView[16],
                              const double projection[16], const int viewport[4]);

/// Draws its contents in a 0..1 x 0..1 square mapped onto the box's
/// window rectangle (viewport and scissor set to it).
class HUDProceduralIcon : public HUDIcon {
public:
    int GetWidth() const override { return 0; }
    int GetHeight() const override { return 0; }
    void Draw(const Wml::AxisAlignedBox2<float>& box) override;
    /// GL drawing into the unit square; box is the HUD box being drawn.
    virtual void DrawContents(const Wml::AxisAlignedBox2<float>& box) = 0;
};

}  // namespace vynui
