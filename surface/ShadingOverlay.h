#pragma once
// Hand-painted shading over the 3D view: the user drags with the left button
// to lay translucent black strokes. Each stroke gathers in its own layer so
// overlapping parts of one stroke do not darken, and joins the painted layer
// on release.

#include <cstddef>
#include <vector>

#include "interact/InputEvent.h"

namespace vynui {

class ShadingOverlay : public IInputEventListener {
public:
    static const int SIZE = 512;
    static constexpr float BRUSH_RADIUS = 25.0f;   // a line of width 50 and dots of radius 25
    static const unsigned char STROKE_ALPHA = 77;  // black at 0.3

    ShadingOverlay();

    /// Window size in pixels; events are scaled from it to the layers.
    void Resize(int width, int height);
    int OnInputEvent(const InputEvent& event) override;

    /// RGBA, SIZE x SIZE, row 0 at the bottom as window pixels count.
    const std::vector<unsigned char>& GetPaintedLayer() const { return m_painted; }
    const std::vector<unsigned char>& GetStrokeLayer() const { return m_stroke; }
    unsigned char PaintedAlpha(int x, int y) const { return m_painted[(std::size_t(y) * SIZE + x) * 4 + 3]; }
    unsigned char StrokeAlpha(int x, int y) const { return m_stroke[(std::size_t(y) * SIZE + x) * 4 + 3]; }
    bool IsStroking() const { return m_stroking; }

    /// Draws both layers over the whole viewport; needs a current context.
    void Draw();
    /// Frees the textures of the context going away (current).
    void ReleaseGL();

private:
    void ToLayer(int x, int y, float& lx, float& ly) const;
    void PaintSegment(float x0, float y0, float x1, float y1);

    int m_width = SIZE, m_height = SIZE;
    std::vector<unsigned char> m_painted, m_stroke;
    bool m_stroking = false;
    float m_lastX = 0, m_lastY = 0;
    unsigned int m_textures[2] = {0, 0};
    bool m_dirty = true;
};

}  // namespace vynui
