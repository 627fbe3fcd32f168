#include "interact/ToolViewData.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "wml/ExtendedWmlCamera.h"

namespace vynui {

namespace {

// c = a * b, column-major 4x4.
void Multiply(const double a[16], const double b[16], double c[16])
{
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row) {
            double s = 0.0;
            for (int k = 0; k < 4; ++k) s += a[k * 4 + row] * b[col * 4 + k];
            c[col * 4 + row] = s;
        }
}

// Gauss-Jordan with partial pivoting; false for a (nearly) singular matrix.
bool Invert(const double m[16], double inv[16])
{
    double a[4][8];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            a[r][c] = m[c * 4 + r];
            a[r][c + 4] = r == c ? 1.0 : 0.0;
        }
    for (int c = 0; c < 4; ++c) {
        int pivot = c;
        for (int r = c + 1; r < 4; ++r)
            if (std::fabs(a[r][c]) > std::fabs(a[pivot][c])) pivot = r;
        if (!(std::fabs(a[pivot][c]) > 1e-300)) return false;
        if (pivot != c)
            for (int k = 0; k < 8; ++k) std::swap(a[c][k], a[pivot][k]);
        double d = 1.0 / a[c][c];
        for (int k = 0; k < 8; ++k) a[c][k] *= d;
        for (int r = 0; r < 4; ++r) {
            if (r == c) continue;
            double f = a[r][c];
            if (f == 0.0) continue;
            for (int k = 0; k < 8; ++k) a[r][k] -= f * a[c][k];
        }
    }
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) inv[c * 4 + r] = a[r][c + 4];
    for (int i = 0; i < 16; ++i)
        if (!std::isfinite(inv[i])) return false;
    return true;
}

void Transform(const double m[16], const double p[4], double out[4])
{
    for (int r = 0; r < 4; ++r) out[r] = m[r] * p[0] + m[4 + r] * p[1] + m[8 + r] * p[2] + m[12 + r] * p[3];
}

bool Finite(const Wml::Vector3<float>& v)
{
    return std::isfinite(v.X()) && std::isfinite(v.Y()) && std::isfinite(v.Z());
}

}  // namespace

ToolViewData ToolViewData::FromCamera(const Wml::ExtendedWmlCamera& camera)
{
    int viewport[4];
    camera.GetViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    float mv[16], pr[16];
    camera.GetViewMatrix(mv);
    camera.GetProjectionMatrix(pr);
    double modelview[16], projection[16];
    for (int i = 0; i < 16; ++i) {
        modelview[i] = mv[i];
        projection[i] = pr[i];
    }
    float x, y, depth = 0.5f;
    if (!camera.Project(camera.GetTarget(), x, y, depth) || !std::isfinite(depth)) depth = 0.5f;
    ToolViewData view = FromMatrices(viewport, modelview, projection, depth);
    // The camera knows its own eye exactly; keep it rather than the
    // round trip through the inverted matrix.
    view.cameraPosition = camera.GetLocation();
    Wml::Vector3<float> direction = camera.GetDirection();
    if (direction.Normalize() > 0.0f) view.viewDirection = direction;
    return view;
}

ToolViewData ToolViewData::FromMatrices(const int viewport[4], const double modelview[16],
                                        const double projection[16], float screenDepth)
{
    ToolViewData view;
    for (int i = 0; i < 4; ++i) view.viewport[i] = viewport[i];
    for (int i = 0; i < 16; ++i) {
        view.modelview[i] = modelview[i];
        view.projection[i] = projection[i];
    }
    double inverse[16];
    if (Invert(modelview, inverse)) {
        const double origin[4] = {0.0, 0.0, 0.0, 1.0}, forward[4] = {0.0, 0.0, -1.0, 0.0};
        double eye[4], dir[4];
        Transform(inverse, origin, eye);
        Transform(inverse, forward, dir);
        if (std::fabs(eye[3]) > 1e-300)
            view.cameraPosition =
                Wml::Vector3<float>(float(eye[0] / eye[3]), float(eye[1] / eye[3]), float(eye[2] / eye[3]));
        Wml::Vector3<float> d(static_cast<float>(dir[0]), static_cast<float>(dir[1]),
                              static_cast<float>(dir[2]));
        if (d.Normalize() > 0.0f && Finite(d)) view.viewDirection = d;
    }
    if (!std::isfinite(screenDepth)) screenDepth = 0.5f;
    float cx = float(viewport[0]) + 0.5f * float(viewport[2]);
    float cy = float(viewport[1]) + 0.5f * float(viewport[3]);
    Wml::Vector3<float> centre, right, up;
    if (view.Unproject(cx, cy, screenDepth, centre) && view.Unproject(cx + 5.0f, cy, screenDepth, right) &&
        view.Unproject(cx, cy + 5.0f, screenDepth, up)) {
        Wml::Vector3<float> sx = right - centre, sy = up - centre;
        if (sx.Normalize() > 0.0f && Finite(sx)) view.screenX = sx;
        if (sy.Normalize() > 0.0f && Finite(sy)) view.screenY = sy;
    }
    return view;
}

ToolViewData ToolViewData::CaptureFromGL(float screenDepth)
{
    GLint viewport[4] = {0, 0, 0, 0};
    GLdouble modelview[16], projection[16];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    int vp[4] = {viewport[0], viewport[1], viewport[2], viewport[3]};
    return FromMatrices(vp, modelview, projection, screenDepth);
}

bool ToolViewData::IsValid() const
{
    if (viewport[2] <= 0 || viewport[3] <= 0) return false;
    double pm[16], inverse[16];
    Multiply(projection, modelview, pm);
    return Invert(pm, inverse);
}

bool ToolViewData::Project(const Wml::Vector3<float>& world, float& x, float& y, float& depth) const
{
    if (viewport[2] <= 0 || viewport[3] <= 0) return false;
    double pm[16];
    Multiply(projection, modelview, pm);
    const double p[4] = {world.X(), world.Y(), world.Z(), 1.0};
    double clip[4];
    Transform(pm, p, clip);
    double w = clip[3];
    if (!std::isfinite(w) || !(w > 1e-300)) return false;
    x = float(viewport[0] + viewport[2] * (clip[0] / w + 1.0) * 0.5);
    y = float(viewport[1] + viewport[3] * (clip[1] / w + 1.0) * 0.5);
    depth = float((clip[2] / w + 1.0) * 0.5);
    return std::isfinite(x) && std::isfinite(y) && std::isfinite(depth);
}

bool ToolViewData::Unproject(float x, float y, float depth, Wml::Vector3<float>& world) const
{
    if (viewport[2] <= 0 || viewport[3] <= 0) return false;
    double pm[16], inverse[16];
    Multiply(projection, modelview, pm);
    if (!Invert(pm, inverse)) return false;
    const double ndc[4] = {2.0 * (double(x) - viewport[0]) / viewport[2] - 1.0,
                           2.0 * (double(y) - viewport[1]) / viewport[3] - 1.0, 2.0 * double(depth) - 1.0,
                           1.0};
    double p[4];
    Transform(inverse, ndc, p);
    if (!(std::fabs(p[3]) > 1e-300)) return false;
    world = Wml::Vector3<float>(float(p[0] / p[3]), float(p[1] / p[3]), float(p[2] / p[3]));
    return Finite(world);
}

Wml::Ray3<float> ToolViewData::GetPickRay(float x, float y) const
{
    Wml::Vector3<float> nearPoint, farPoint;
    if (Unproject(x, y, 0.0f, nearPoint) && Unproject(x, y, 1.0f, farPoint)) {
        Wml::Vector3<float> d = farPoint - nearPoint;
        if (d.Normalize() > 0.0f) return Wml::Ray3<float>(nearPoint, d);
    }
    return Wml::Ray3<float>(cameraPosition, viewDirection);
}

float ToolViewData::WorldLengthOfQuarterView(const Wml::Vector3<float>& point) const
{
    // A short step keeps the measure local under perspective.
    float h = 0.001f * std::max(1.0f, (point - cameraPosition).Length());
    float x0, y0, d0, x1, y1, d1;
    if (!std::isfinite(h) || !Project(point, x0, y0, d0) || !Project(point + screenY * h, x1, y1, d1))
        return 0.0f;
    float pixelsPerUnit = std::sqrt((x1 - x0) * (x1 - x0) + (y1 - y0) * (y1 - y0)) / h;
    if (!(pixelsPerUnit > 1e-12f) || !std::isfinite(pixelsPerUnit)) return 0.0f;
    float length = 0.25f * float(viewport[3]) / pixelsPerUnit;
    return std::isfinite(length) ? length : 0.0f;
}

}  // namespace vynui
