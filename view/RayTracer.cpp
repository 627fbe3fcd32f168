#include "view/RayTracer.h"

#include <algorithm>
#include <cmath>

#include "implicit/ScalarField.h"
#include "wml/DebugOutput.h"
#include "wml/Matrix3.h"
#include "wml/Ray3.h"

namespace vynui {

const Wml::Vector3<float> RayTracer::EYE_LIGHT(1.0f, -1.0f, -1.0f);

Wml::Vector3<float> RayTracer::WorldLight(const Wml::ExtendedWmlCamera& camera)
{
    Wml::Vector3<float> eye = EYE_LIGHT;
    eye.Normalize();
    // The frame matrix's rows are left, up and direction: eye x (right) is
    // minus left, eye z (towards the viewer) minus direction.
    const Wml::Vector3<float> inFrame(-eye.X(), eye.Y(), -eye.Z());
    Wml::Vector3<float> world = camera.GetFrameMatrix().Inverse() * inFrame;
    world.Normalize();
    return world;
}

Wml::Vector3<float> RayTracer::Shade(const Wml::Vector3<float>& n, const Wml::Vector3<float>& L)
{
    const float diffuse = std::max(0.0f, n.Dot(-L));
    return Wml::Vector3<float>(0.0f, 0.2f + 0.8f * diffuse, 0.0f);
}

bool RayTracer::Start(vynimplicit::ScalarField* field, const Wml::ExtendedWmlCamera& camera)
{
    const int width = camera.GetViewportWidth(), height = camera.GetViewportHeight();
    if (!field || width <= 0 || height <= 0) return false;
    m_field = field;
    m_camera = camera;
    m_light = WorldLight(camera);
    m_width = width;
    m_height = height;
    m_done = 0;
    m_reportedPercent = 0;
    m_complete = false;
    m_colour.assign(std::size_t(Total()) * 3, 0.0f);
    m_rgb.assign(std::size_t(Total()) * 3, 0);
    return true;
}

void RayTracer::TracePixel(long long index)
{
    const int x = int(index % m_width), y = int(index / m_width);
    const Wml::Ray3<float> ray = m_camera.GetPickRay(x, y, m_width, m_height);
    Wml::Vector3<float> hit;
    if (!m_field->FindIntersection(ray.Origin(), ray.Direction(), hit, nullptr, 0.0f, 0.5f, 10)) return;
    float gx = 0.0f, gy = 0.0f, gz = 0.0f;
    m_field->Gradient(hit.X(), hit.Y(), hit.Z(), gx, gy, gz, nullptr);
    Wml::Vector3<float> n(-gx, -gy, -gz);
    // A flat spot has no normal: face the viewer.
    if (!(n.Length() > 0.0f) || !std::isfinite(n.Length())) n = -ray.Direction();
    n.Normalize();
    const Wml::Vector3<float> colour = Shade(n, m_light);
    for (int c = 0; c < 3; ++c) {
        const float value = std::min(1.0f, std::max(0.0f, colour[c]));
        m_colour[std::size_t(index) * 3 + c] = value;
        m_rgb[std::size_t(index) * 3 + c] = static_cast<unsigned char>(std::lround(255.0f * value));
    }
}

bool RayTracer::Step(std::chrono::milliseconds budget)
{
    if (!IsRunning()) return false;
    const auto end = std::chrono::steady_clock::now() + budget;
    const long long total = Total();
    do {
        TracePixel(m_done);
        ++m_done;
        // Integer arithmetic: every whole percent once, 100 at the end.
        while (m_reportedPercent < 100 && m_done * 100 >= (long long)(m_reportedPercent + 1) * total) {
            ++m_reportedPercent;
            DebugOutput("Raytrace: Done %f percent\n", 100.0 * double(m_done) / double(total));
        }
    } while (m_done < total && std::chrono::steady_clock::now() < end);
    if (m_done < total) return true;
    m_complete = true;
    m_field = nullptr;
    return false;
}

void RayTracer::Finish()
{
    while (Step(std::chrono::milliseconds(1000))) {
    }
}

void RayTracer::Cancel()
{
    m_field = nullptr;
}

double RayTracer::GetProgress() const
{
    return Total() > 0 ? double(m_done) / double(Total()) : 0.0;
}

Wml::Vector3<float> RayTracer::GetColour(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return Wml::Vector3<float>(0.0f, 0.0f, 0.0f);
    const std::size_t k = (std::size_t(y) * m_width + x) * 3;
    return Wml::Vector3<float>(m_colour[k], m_colour[k + 1], m_colour[k + 2]);
}

}  // namespace vynui
