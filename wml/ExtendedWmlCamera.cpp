#include "wml/ExtendedWmlCamera.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace Wml {

namespace {

typedef Vector3<double> Vec3d;

bool IsFinite(const Vector3<float>& v)
{
    return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

bool UnitOf(const Vec3d& v, Vec3d& out)
{
    double len = v.Length();
    if (!std::isfinite(len) || !(len > 1e-12)) return false;
    out = v / len;
    return true;
}

// Unit part of v perpendicular to the unit vector d, unless v is (nearly)
// parallel to d, zero or not finite: then there is no trustworthy direction.
bool PerpendicularUnit(const Vec3d& v, const Vec3d& d, Vec3d& out)
{
    double len = v.Length();
    if (!std::isfinite(len) || !(len > 0.0)) return false;
    Vec3d p = v - d * d.Dot(v);
    double plen = p.Length();
    if (!(plen > 1e-5 * len)) return false;
    out = p / plen;
    return true;
}

int ClampViewportSize(int v)
{
    return v < 0 ? 0 : v;
}

int PixelsFromFloat(float v)
{
    if (!std::isfinite(v) || v <= 0.0f) return 0;
    if (v >= 1e9f) return 1000000000;
    return int(std::lround(v));
}

double WrapAngle(double a)
{
    a = std::fmod(a + Math<double>::PI, Math<double>::TWO_PI);
    if (a < 0.0) a += Math<double>::TWO_PI;
    return a - Math<double>::PI;
}

// out = a * b for column-major 4x4 matrices.
void Multiply4(const double a[16], const double b[16], double out[16])
{
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) {
            double s = 0.0;
            for (int k = 0; k < 4; ++k) s += a[4 * k + r] * b[4 * c + k];
            out[4 * c + r] = s;
        }
}

}  // namespace

ExtendedWmlCamera::ExtendedWmlCamera(float width, float height)
    : m_location(0.0f, 0.0f, 5.0f),
      m_left(-1.0f, 0.0f, 0.0f),
      m_up(0.0f, 1.0f, 0.0f),
      m_direction(0.0f, 0.0f, -1.0f),
      m_target(Vector3<float>::ZERO),
      m_frustum{-1.0f, 1.0f, -1.0f, 1.0f, 1.0f, 2.0f},
      m_perspective(true),
      m_viewport{0, 0, PixelsFromFloat(width), PixelsFromFloat(height)},
      m_minTargetDistance(DEFAULT_MINIMUM_TARGET_DISTANCE),
      m_snapValid(false),
      m_snapAzimuth(0.0),
      m_snapElevation(0.0)
{
    float aspect = 1.0f;
    if (std::isfinite(width) && std::isfinite(height) && width > 0.0f && height > 0.0f)
        aspect = width / height;
    if (!SetFrustum(45.0f, aspect, 0.1f, 100.0f)) SetFrustum(45.0f, 1.0f, 0.1f, 100.0f);
}

// ---- frame ------------------------------------------------------------------

bool ExtendedWmlCamera::BuildFrame(const Vec3d& direction, const Vector3<float>& left,
                                   const Vector3<float>& up)
{
    Vec3d d;
    if (!UnitOf(direction, d)) return false;

    // (left, up, direction) is right-handed: up x direction = left,
    // direction x left = up.
    Vec3d l, u;
    if (IsFinite(up) && PerpendicularUnit(Vec3d(up), d, u)) {
        l = u.Cross(d);
    } else if (IsFinite(left) && PerpendicularUnit(Vec3d(left), d, l)) {
        u = d.Cross(l);
    } else if (PerpendicularUnit(Vec3d(m_up), d, u)) {
        l = u.Cross(d);
    } else if (PerpendicularUnit(Vec3d(m_left), d, l)) {
        u = d.Cross(l);
    } else {
        Vec3d::GenerateOrthonormalBasis(l, u, d);
    }
    l.Normalize();
    u = d.Cross(l);
    u.Normalize();

    m_direction = Vector3<float>(d);
    m_left = Vector3<float>(l);
    m_up = Vector3<float>(u);
    return true;
}

void ExtendedWmlCamera::PlaceOnAxis(double distance)
{
    Vec3d t(m_target);
    m_location = Vector3<float>(t - Vec3d(m_direction) * distance);
}

bool ExtendedWmlCamera::SetFrame(const Vector3<float>& location, const Vector3<float>& left,
                                 const Vector3<float>& up, const Vector3<float>& direction)
{
    if (!IsFinite(location) || !IsFinite(direction)) return false;
    double distance = GetTargetDistance();
    if (!BuildFrame(Vec3d(direction), left, up)) return false;
    m_location = location;
    m_target = Vector3<float>(Vec3d(location) + Vec3d(m_direction) * distance);
    m_snapValid = false;
    return true;
}

bool ExtendedWmlCamera::SetFrameLookAt(const Vector3<float>& location, const Vector3<float>& left,
                                       const Vector3<float>& up, const Vector3<float>& target)
{
    if (!IsFinite(location) || !IsFinite(target)) return false;
    Vec3d toTarget = Vec3d(target) - Vec3d(location);
    double distance = toTarget.Length();
    Vec3d direction = distance > 1e-12 ? toTarget : Vec3d(m_direction);
    if (!BuildFrame(direction, left, up)) return false;
    m_target = target;
    if (distance < double(m_minTargetDistance))
        PlaceOnAxis(m_minTargetDistance);
    else
        m_location = location;
    m_snapValid = false;
    return true;
}

bool ExtendedWmlCamera::SetTarget(const Vector3<float>& target)
{
    return SetFrameLookAt(m_location, m_left, m_up, target);
}

float ExtendedWmlCamera::GetTargetDistance() const
{
    return float((Vec3d(m_target) - Vec3d(m_location)).Length());
}

bool ExtendedWmlCamera::SetTargetDistance(float distance)
{
    if (!std::isfinite(distance)) return false;
    PlaceOnAxis(std::max(distance, m_minTargetDistance));
    return true;
}

void ExtendedWmlCamera::SetMinimumTargetDistance(float distance)
{
    if (!std::isfinite(distance) || !(distance > 0.0f)) return;
    m_minTargetDistance = distance;
    if (GetTargetDistance() < distance) PlaceOnAxis(distance);
}

Matrix3<float> ExtendedWmlCamera::GetFrameMatrix() const
{
    return Matrix3<float>(m_left, m_up, m_direction, false);
}

// ---- projection -------------------------------------------------------------

bool ExtendedWmlCamera::SetFrustum(float left, float right, float bottom, float top, float nearDistance,
                                   float farDistance)
{
    const float v[6] = {left, right, bottom, top, nearDistance, farDistance};
    for (float f : v)
        if (!std::isfinite(f)) return false;
    if (left == right || bottom == top || !(nearDistance > 0.0f) || !(farDistance > nearDistance))
        return false;
    std::copy(v, v + 6, m_frustum);
    return true;
}

bool ExtendedWmlCamera::SetFrustum(float fovYDegrees, float aspect, float nearDistance, float farDistance)
{
    if (!std::isfinite(fovYDegrees) || !(fovYDegrees > 0.0f) || !(fovYDegrees < 180.0f)) return false;
    if (!std::isfinite(aspect) || !(aspect > 0.0f)) return false;
    double top = double(nearDistance) * std::tan(0.5 * double(fovYDegrees) * Math<double>::DEG_TO_RAD);
    double right = top * double(aspect);
    return SetFrustum(float(-right), float(right), float(-top), float(top), nearDistance, farDistance);
}

void ExtendedWmlCamera::GetFrustum(float& left, float& right, float& bottom, float& top, float& nearDistance,
                                   float& farDistance) const
{
    left = m_frustum[0];
    right = m_frustum[1];
    bottom = m_frustum[2];
    top = m_frustum[3];
    nearDistance = m_frustum[4];
    farDistance = m_frustum[5];
}

float ExtendedWmlCamera::GetFieldOfViewY() const
{
    double n = m_frustum[4];
    return float((std::atan2(double(m_frustum[3]), n) - std::atan2(double(m_frustum[2]), n)) *
                 Math<double>::RAD_TO_DEG);
}

float ExtendedWmlCamera::GetAspectRatio() const
{
    return (m_frustum[1] - m_frustum[0]) / (m_frustum[3] - m_frustum[2]);
}

void ExtendedWmlCamera::GetOrthographicExtents(float& left, float& right, float& bottom, float& top) const
{
    double k = double(GetTargetDistance()) / double(m_frustum[4]);
    left = float(m_frustum[0] * k);
    right = float(m_frustum[1] * k);
    bottom = float(m_frustum[2] * k);
    top = float(m_frustum[3] * k);
}

// ---- viewport ---------------------------------------------------------------

void ExtendedWmlCamera::SetViewport(int x, int y, int width, int height)
{
    m_viewport[0] = x;
    m_viewport[1] = y;
    m_viewport[2] = ClampViewportSize(width);
    m_viewport[3] = ClampViewportSize(height);
}

void ExtendedWmlCamera::GetViewport(int& x, int& y, int& width, int& height) const
{
    x = m_viewport[0];
    y = m_viewport[1];
    width = m_viewport[2];
    height = m_viewport[3];
}

// ---- matrices ---------------------------------------------------------------

void ExtendedWmlCamera::ProjectionMatrix(double m[16]) const
{
    double l = m_frustum[0], r = m_frustum[1], b = m_frustum[2], t = m_frustum[3];
    double n = m_frustum[4], f = m_frustum[5];
    std::fill(m, m + 16, 0.0);
    if (m_perspective) {
        m[0] = 2.0 * n / (r - l);
        m[5] = 2.0 * n / (t - b);
        m[8] = (r + l) / (r - l);
        m[9] = (t + b) / (t - b);
        m[10] = -(f + n) / (f - n);
        m[11] = -1.0;
        m[14] = -2.0 * f * n / (f - n);
    } else {
        double k = double(GetTargetDistance()) / n;
        l *= k;
        r *= k;
        b *= k;
        t *= k;
        m[0] = 2.0 / (r - l);
        m[5] = 2.0 / (t - b);
        m[10] = -2.0 / (f - n);
        m[12] = -(r + l) / (r - l);
        m[13] = -(t + b) / (t - b);
        m[14] = -(f + n) / (f - n);
        m[15] = 1.0;
    }
}

void ExtendedWmlCamera::ViewMatrix(double m[16]) const
{
    // Rows of the rotation: right (-left), up, back (-direction).
    const Vec3d rows[3] = {-Vec3d(m_left), Vec3d(m_up), -Vec3d(m_direction)};
    Vec3d eye(m_location);
    for (int r = 0; r < 3; ++r) {
        m[r] = rows[r][0];
        m[4 + r] = rows[r][1];
        m[8 + r] = rows[r][2];
        m[12 + r] = -rows[r].Dot(eye);
    }
    m[3] = m[7] = m[11] = 0.0;
    m[15] = 1.0;
}

void ExtendedWmlCamera::GetProjectionMatrix(float m[16]) const
{
    double d[16];
    ProjectionMatrix(d);
    for (int i = 0; i < 16; ++i) m[i] = float(d[i]);
}

void ExtendedWmlCamera::GetViewMatrix(float m[16]) const
{
    double d[16];
    ViewMatrix(d);
    for (int i = 0; i < 16; ++i) m[i] = float(d[i]);
}

void ExtendedWmlCamera::Update() const
{
    double projection[16], view[16];
    ProjectionMatrix(projection);
    ViewMatrix(view);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixd(projection);
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixd(view);
}

// ---- picking and projection -------------------------------------------------

void ExtendedWmlCamera::NearPlanePoint(double fx, double fy, double& px, double& py) const
{
    px = double(m_frustum[0]) + (double(m_frustum[1]) - double(m_frustum[0])) * fx;
    py = double(m_frustum[2]) + (double(m_frustum[3]) - double(m_frustum[2])) * fy;
}

Ray3<float> ExtendedWmlCamera::GetPickRay(int x, int y, int width, int height) const
{
    double fx = width > 0 ? (double(x) + 0.5) / double(width) : 0.5;
    double fy = height > 0 ? (double(y) + 0.5) / double(height) : 0.5;
    double px, py;
    NearPlanePoint(fx, fy, px, py);

    Vec3d right = -Vec3d(m_left), up(m_up), dir(m_direction), eye(m_location);
    double n = m_frustum[4];
    if (m_perspective) {
        Vec3d d = dir * n + right * px + up * py;
        d.Normalize();
        return Ray3<float>(m_location, Vector3<float>(d));
    }
    double k = double(GetTargetDistance()) / n;
    Vec3d origin = eye + dir * n + right * (px * k) + up * (py * k);
    return Ray3<float>(Vector3<float>(origin), m_direction);
}

Ray3<float> ExtendedWmlCamera::GetPickRay(int x, int y) const
{
    return GetPickRay(x - m_viewport[0], y - m_viewport[1], m_viewport[2], m_viewport[3]);
}

bool ExtendedWmlCamera::Project(const Vector3<float>& world, float& x, float& y, float& depth) const
{
    double projection[16], view[16], pv[16];
    ProjectionMatrix(projection);
    ViewMatrix(view);
    Multiply4(projection, view, pv);
    const double p[4] = {world[0], world[1], world[2], 1.0};
    double clip[4];
    for (int r = 0; r < 4; ++r)
        clip[r] = pv[r] * p[0] + pv[4 + r] * p[1] + pv[8 + r] * p[2] + pv[12 + r] * p[3];

    double vx = m_viewport[0], vy = m_viewport[1], vw = m_viewport[2], vh = m_viewport[3];
    double w = clip[3];
    if (!std::isfinite(w) || !(std::fabs(w) > 1e-300)) {
        // On the eye plane: no image; report the centre rather than infinity.
        x = float(vx + 0.5 * vw);
        y = float(vy + 0.5 * vh);
        depth = 0.0f;
        return false;
    }
    x = float(vx + vw * (clip[0] / w + 1.0) * 0.5);
    y = float(vy + vh * (clip[1] / w + 1.0) * 0.5);
    depth = float((clip[2] / w + 1.0) * 0.5);
    return w > 0.0;
}

Vector3<float> ExtendedWmlCamera::Unproject(float x, float y, float depth) const
{
    double vw = m_viewport[2], vh = m_viewport[3];
    double fx = vw > 0.0 ? (double(x) - m_viewport[0]) / vw : 0.5;
    double fy = vh > 0.0 ? (double(y) - m_viewport[1]) / vh : 0.5;
    double px, py;
    NearPlanePoint(fx, fy, px, py);

    double n = m_frustum[4], f = m_frustum[5];
    double zn = 2.0 * double(depth) - 1.0;
    double ex, ey, forward;  // eye-space right, up and distance along direction
    if (m_perspective) {
        // Invert zn = (A ze + B) / -ze for the eye z (negative in front).
        double a = -(f + n) / (f - n), b = -2.0 * f * n / (f - n);
        double den = zn + a;
        if (!(den < -1e-12)) den = -1e-12;  // beyond infinity: as far as representable
        forward = b / den;                  // = -ze
        ex = px * forward / n;
        ey = py * forward / n;
    } else {
        double k = double(GetTargetDistance()) / n;
        ex = px * k;
        ey = py * k;
        forward = n + double(depth) * (f - n);
    }
    Vec3d p = Vec3d(m_location) - Vec3d(m_left) * ex + Vec3d(m_up) * ey + Vec3d(m_direction) * forward;
    return Vector3<float>(p);
}

// ---- navigation -------------------------------------------------------------

void ExtendedWmlCamera::DollyZoom(float amount)
{
    if (!std::isfinite(amount)) return;
    double distance = double(GetTargetDistance()) * std::exp(-double(amount) / double(REFERENCE_DISTANCE));
    if (!std::isfinite(distance)) return;  // an absurd zoom-out: stay put rather than jump to infinity
    PlaceOnAxis(std::max(distance, double(m_minTargetDistance)));
}

void ExtendedWmlCamera::PanLateral(float amount)
{
    if (!std::isfinite(amount)) return;
    Vec3d delta = Vec3d(m_left) * (double(amount) * GetTargetDistance() / REFERENCE_DISTANCE);
    m_location = Vector3<float>(Vec3d(m_location) + delta);
    m_target = Vector3<float>(Vec3d(m_target) + delta);
}

void ExtendedWmlCamera::PanVertical(float amount)
{
    if (!std::isfinite(amount)) return;
    Vec3d delta = Vec3d(m_up) * (double(amount) * GetTargetDistance() / REFERENCE_DISTANCE);
    m_location = Vector3<float>(Vec3d(m_location) + delta);
    m_target = Vector3<float>(Vec3d(m_target) + delta);
}

void ExtendedWmlCamera::UpdateTurntable(float dx, float dy, bool snap)
{
    if (!std::isfinite(dx) || !std::isfinite(dy)) return;
    const double halfPi = Math<double>::HALF_PI, pi = Math<double>::PI;
    double distance = std::max(double(GetTargetDistance()), double(m_minTargetDistance));
    Vec3d l(m_left), u(m_up), d(m_direction);

    if (snap) {
        if (!m_snapValid) {
            // Azimuth and elevation of the camera seen from the target;
            // azimuth 0 is the front view (camera on +Z), growing about +Y.
            Vec3d w = -d;
            if (std::hypot(w[0], w[2]) > 1e-6)
                m_snapAzimuth = std::atan2(w[0], w[2]);
            else
                m_snapAzimuth = std::atan2(l[2], -l[0]);  // at a pole left is horizontal
            m_snapElevation = Math<double>::ASin(w[1]);
            m_snapValid = true;
        }
        m_snapAzimuth = WrapAngle(m_snapAzimuth + double(dx));
        m_snapElevation = std::clamp(m_snapElevation + double(dy), -halfPi, halfPi);
        double step = double(SNAP_STEP_DEGREES) * Math<double>::DEG_TO_RAD;
        double az = std::round(m_snapAzimuth / step) * step;
        double el = std::round(m_snapElevation / step) * step;
        Vec3d w(std::cos(el) * std::sin(az), std::sin(el), std::cos(el) * std::cos(az));
        // Level frame: left is the front view's left turned by the azimuth.
        Vec3d left(-std::cos(az), 0.0, std::sin(az));
        m_direction = Vector3<float>(-w);
        m_left = Vector3<float>(left);
        m_up = Vector3<float>((-w).Cross(left));
        PlaceOnAxis(distance);
        return;
    }
    m_snapValid = false;

    // Turn about world Y.
    Matrix3<double> yaw(Vec3d::UNIT_Y, double(dx));
    l = yaw * l;
    u = yaw * u;
    d = yaw * d;

    // Turn about left, limited so up stays on its side of the horizon. In the
    // (up, direction) plane world Y sits at angle e = atan2(-d.Y, u.Y) (the
    // elevation for a level camera) and the turn adds its angle to e.
    double phi = double(dy);
    double uy = u[1], dyy = d[1];
    if (std::hypot(uy, dyy) > 1e-9) {
        double e = std::atan2(-dyy, uy);
        double rel = e;
        const double slack = 1e-4;  // rounding at the exact pole must not count as upside down
        if (e > halfPi + slack)
            rel = e - pi;
        else if (e < -halfPi - slack)
            rel = e + pi;
        rel = std::clamp(rel, -halfPi, halfPi);
        phi = std::clamp(rel + phi, -halfPi, halfPi) - rel;
    }
    double c = std::cos(phi), s = std::sin(phi);
    Vec3d u2 = u * c + d * s;
    Vec3d d2 = d * c - u * s;

    // Re-orthonormalize against drift, direction first.
    d2.Normalize();
    l = l - d2 * d2.Dot(l);
    l.Normalize();
    u2 = d2.Cross(l);
    m_direction = Vector3<float>(d2);
    m_left = Vector3<float>(l);
    m_up = Vector3<float>(u2);
    PlaceOnAxis(distance);
}

}  // namespace Wml
