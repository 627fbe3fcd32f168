#pragma once
// Turns how far the pointer is from an origin into a gain in [-1, 1]: nothing
// inside the dead zone, full gain from the saturation distance on, and a
// smooth ease between.

#include "wml/Vector2.h"

namespace vynui {

class HUDResponseCurve {
public:
    enum Mode {
        VERTICAL = 0,    // pointer y - origin y
        HORIZONTAL = 1,  // pointer x - origin x
        DISTANCE = 2,    // |pointer - origin|, never negative
    };

    explicit HUDResponseCurve(int mode = VERTICAL, float deadZone = 0.06f, float saturation = 0.25f);

    /// The gain for a pointer position; 0 for a position that is not finite.
    float Gain(const Wml::Vector2<float>& pointer) const;
    /// The signed displacement the gain is read from.
    float Displacement(const Wml::Vector2<float>& pointer) const;

    int GetMode() const { return m_mode; }
    void SetMode(int mode) { m_mode = mode; }
    const Wml::Vector2<float>& GetOrigin() const { return m_origin; }
    void SetOrigin(const Wml::Vector2<float>& origin) { m_origin = origin; }
    float GetDeadZone() const { return m_deadZone; }
    float GetSaturation() const { return m_saturation; }
    /// Refused (false, unchanged) unless finite, dead zone >= 0 and
    /// saturation > dead zone.
    bool SetDeadZone(float deadZone);
    bool SetSaturation(float saturation);

private:
    int m_mode;
    Wml::Vector2<float> m_origin{0.0f, 0.0f};
    float m_deadZone;
    float m_saturation;
};

}  // namespace vynui
