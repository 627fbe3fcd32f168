#pragma once
// Ray-traces the 0.5 level of a field with a camera: one pick ray per
// viewport pixel, the first crossing found by the field's FindIntersection
// (no box, automatic step, iso value 0.5, 10 refinement steps), lit by one
// light fixed to the eye. A hit is (0, 0.2, 0) plus max(0, n . -L) times
// (0, 0.8, 0), n the negated, normalized gradient; a miss is black.
//
// The work runs in slices (Step) so that a window can trace from a timer and
// stay responsive; Cancel stops it. The field is evaluated on the calling
// thread only. Every further 1 % of pixels writes "Raytrace: Done %f
// percent\n" to the debug output.

#include <chrono>
#include <vector>

#include "wml/ExtendedWmlCamera.h"
#include "wml/Vector3.h"

namespace vynimplicit {
class ScalarField;
}

namespace vynui {

class RayTracer {
public:
    /// The light's direction in eye coordinates (x right, y up, z towards
    /// the viewer), before normalizing: from the upper left, into the view.
    static const Wml::Vector3<float> EYE_LIGHT;

    /// The light direction in world coordinates for camera: EYE_LIGHT,
    /// normalized, carried out of the eye frame by the inverse of the
    /// camera's frame matrix.
    static Wml::Vector3<float> WorldLight(const Wml::ExtendedWmlCamera& camera);
    /// The colour of a hit with outward unit normal n under world light L.
    static Wml::Vector3<float> Shade(const Wml::Vector3<float>& n, const Wml::Vector3<float>& L);

    /// Starts a new image over the camera's viewport (copied); field is not
    /// owned and must outlive the tracing. False (nothing started, the last
    /// image kept) without a field or with an empty viewport.
    bool Start(vynimplicit::ScalarField* field, const Wml::ExtendedWmlCamera& camera);
    /// Traces pixels until budget has passed (at least one pixel). True
    /// while pixels remain.
    bool Step(std::chrono::milliseconds budget);
    /// Traces every remaining pixel.
    void Finish();
    /// Stops; the pixels traced so far stay, the rest stay black.
    void Cancel();

    bool IsRunning() const { return m_field != nullptr && m_done < Total(); }
    /// True when the last started image was traced to the end.
    bool IsComplete() const { return m_complete; }
    /// Fraction of the pixels traced, 0 .. 1.
    double GetProgress() const;

    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    /// RGB bytes, width x height, rows bottom first (pixel (x, y) with y
    /// counted from the bottom, as pick rays are).
    const std::vector<unsigned char>& GetRGB() const { return m_rgb; }
    /// The colour of pixel (x, y) as floats (black out of range).
    Wml::Vector3<float> GetColour(int x, int y) const;

private:
    long long Total() const { return (long long)m_width * m_height; }
    void TracePixel(long long index);

    vynimplicit::ScalarField* m_field = nullptr;
    Wml::ExtendedWmlCamera m_camera{1.0f, 1.0f};
    Wml::Vector3<float> m_light;
    int m_width = 0;
    int m_height = 0;
    long long m_done = 0;
    int m_reportedPercent = 0;
    bool m_complete = false;
    std::vector<float> m_colour;
    std::vector<unsigned char> m_rgb;
};

}  // namespace vynui
