#include "interact/SurfaceAnchor.h"

#include <cmath>

#include "implicit/ScalarField.h"
#include "wml/FrameRecords.h"
#include "wml/Serializer.h"

namespace vynui {

namespace {

const char* const FRAME_KEY = "AnchorFrame";
const float SURFACE_ISO_VALUE = 0.5f;
const unsigned int HIT_REFINEMENTS = 10;
// Loose enough for frames that went through float text and a few turns,
// tight enough to refuse sheared or scaled axes.
const float ORTHONORMAL_TOLERANCE = 1e-3f;

bool IsFinite(const Wml::Vector3<float>& v)
{
    return std::isfinite(v.X()) && std::isfinite(v.Y()) && std::isfinite(v.Z());
}

bool AxesOrthonormal(const Wml::Frame3<float>& frame)
{
    const Wml::Vector3<float> x = frame.X(), y = frame.Y(), z = frame.Z();
    const float checks[] = {x.Length() - 1.0f, y.Length() - 1.0f, z.Length() - 1.0f,
                            x.Dot(y),          y.Dot(z),          z.Dot(x)};
    for (float c : checks)
        if (!(std::fabs(c) <= ORTHONORMAL_TOLERANCE)) return false;
    // Right-handed: a mirrored frame would flip the normal's side.
    return x.Cross(y).Dot(z) > 0.0f;
}

}  // namespace

SurfaceAnchor::SurfaceAnchor() = default;

SurfaceAnchor::SurfaceAnchor(const Wml::Frame3<float>& frame)
{
    SetFrame(frame);
}

bool SurfaceAnchor::FrameAtSurfacePoint(const Wml::Vector3<float>& point, const Wml::Vector3<float>& normal,
                                        Wml::Frame3<float>& frame)
{
    if (!IsFinite(point) || !IsFinite(normal)) return false;
    Wml::Vector3<float> n = normal;
    if (!(n.Normalize() > 0.0f)) return false;
    Wml::Frame3<float> result(point);
    if (!result.AlignZAxis(n)) return false;
    frame = result;
    return true;
}

bool SurfaceAnchor::FrameAtFieldHit(vynimplicit::ScalarField& field, const Wml::Ray3<float>& ray,
                                    Wml::Frame3<float>& frame)
{
    Wml::Vector3<float> hit;
    if (!field.FindIntersection(ray.Origin(), ray.Direction(), hit, nullptr, 0.0f, SURFACE_ISO_VALUE,
                                HIT_REFINEMENTS))
        return false;
    float gx = 0.0f, gy = 0.0f, gz = 0.0f;
    field.Gradient(hit.X(), hit.Y(), hit.Z(), gx, gy, gz, nullptr);
    return FrameAtSurfacePoint(hit, -Wml::Vector3<float>(gx, gy, gz), frame);
}

bool SurfaceAnchor::SetFrame(const Wml::Frame3<float>& frame)
{
    if (!frame.IsValid() || !AxesOrthonormal(frame)) return false;
    m_frame = frame;
    m_frame.ReNormalize();
    return true;
}

bool SurfaceAnchor::Translate(const Wml::Vector3<float>& delta)
{
    if (!IsFinite(delta)) return false;
    Wml::Frame3<float> moved = m_frame;
    moved.Origin() += delta;
    if (!IsFinite(moved.Origin())) return false;
    m_frame = moved;
    return true;
}

bool SurfaceAnchor::Rotate(const Wml::Matrix3<float>& m, bool relative)
{
    Wml::Frame3<float> turned = m_frame;
    turned.Rotate(m, relative);
    return SetFrame(turned);
}

bool SurfaceAnchor::Store(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    if (!NamedType::Store(serializer, record)) return false;
    Wml::StoreFrame(*record, FRAME_KEY, m_frame);
    return true;
}

bool SurfaceAnchor::Restore(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    if (!record) return false;
    Wml::Frame3<float> frame;
    if (!Wml::RestoreFrame(*record, FRAME_KEY, frame) || !frame.IsValid() || !AxesOrthonormal(frame))
        return false;
    m_frame = frame;
    m_frame.ReNormalize();
    return NamedType::Restore(serializer, record);
}

}  // namespace vynui
