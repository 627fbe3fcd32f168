#pragma once
// A slider's icon: a picture with a value bar rising from the bottom over it.
// Both are stronger while the slider is held.

#include <string>

#include "interact/HUDFileIcon.h"
#include "wml/ColorRGBA.h"

namespace vynui {

class HUDSliderIcon : public HUDProceduralIcon {
public:
    /// The background picture is read from path (a missing file draws white).
    explicit HUDSliderIcon(const std::string& path);

    int GetWidth() const override { return m_background.GetWidth(); }
    int GetHeight() const override { return m_background.GetHeight(); }
    void DrawContents(const Wml::AxisAlignedBox2<float>& box) override;

    bool IsActive() const { return m_active; }
    void SetActive(bool active) { m_active = active; }

    float GetMinimum() const { return m_minimum; }
    float GetMaximum() const { return m_maximum; }
    float GetValue() const { return m_value; }
    /// Refuses (false, unchanged) bounds that are not finite or with
    /// minimum > maximum; the value is clamped into the new range.
    bool SetRange(float minimum, float maximum);
    /// Clamped to [minimum, maximum]; a value that is not a number is ignored.
    void SetValue(float value);

    const Wml::ColorRGBA& GetBarColor() const { return m_barColor; }
    void SetBarColor(const Wml::ColorRGBA& color) { m_barColor = color; }

    /// Height of the bar in the unit square: where the value lies in the
    /// range (0 for an empty range).
    float GetBarFraction() const;
    float GetBackgroundAlpha() const { return m_active ? 0.6f : 1.0f; }
    float GetBarAlpha() const { return m_active ? 0.5f : 0.1f; }

    const HUDFileIcon& GetBackground() const { return m_background; }

private:
    HUDFileIcon m_background;
    bool m_active = false;
    float m_minimum = 0.0f;
    float m_maximum = 1.0f;
    float m_value = 0.3f;
    Wml::ColorRGBA m_barColor{1.0f, 0.0f, 0.0f, 1.0f};
};

}  // namespace vynui
