#pragma once
// The placement every primitive keeps: a frame plus the two linear maps the
// evaluation needs, cached so that a field evaluation costs one affine map in
// and one transposed map out.

#include "wml/AxisAlignedBox3.h"
#include "wml/Frame3.h"
#include "wml/Vector3.h"

namespace vynimplicit {

/// A frame with its world -> local map A (scale included, so q = A (p - o))
/// and its local -> world map M (p = M q + o) cached as plain arrays.
class Placement {
public:
    /// The identity frame.
    Placement();

    /// Replaces the frame. A frame that is not usable for evaluation (any
    /// non-finite number, a zero scale, degenerate axes: Frame3::IsValid()
    /// false) is refused; the current frame stays and false is returned.
    bool SetFrame(const Wml::Frame3<float>& frame);
    const Wml::Frame3<float>& GetFrame() const { return m_frame; }

    /// World point -> local point.
    void ToLocal(float x, float y, float z, float q[3]) const
    {
        const float dx = x - m_origin[0], dy = y - m_origin[1], dz = z - m_origin[2];
        q[0] = m_toLocal[0][0] * dx + m_toLocal[0][1] * dy + m_toLocal[0][2] * dz;
        q[1] = m_toLocal[1][0] * dx + m_toLocal[1][1] * dy + m_toLocal[1][2] * dz;
        q[2] = m_toLocal[2][0] * dx + m_toLocal[2][1] * dy + m_toLocal[2][2] * dz;
    }
    /// Gradient with respect to local coordinates -> world gradient (A^T g),
    /// exact for any affine frame, sheared or not.
    void GradientToWorld(const float g[3], float& gx, float& gy, float& gz) const
    {
        gx = m_toLocal[0][0] * g[0] + m_toLocal[1][0] * g[1] + m_toLocal[2][0] * g[2];
        gy = m_toLocal[0][1] * g[0] + m_toLocal[1][1] * g[1] + m_toLocal[2][1] * g[2];
        gz = m_toLocal[0][2] * g[0] + m_toLocal[1][2] * g[1] + m_toLocal[2][2] * g[2];
    }
    /// Local point -> world point.
    Wml::Vector3<float> ToWorld(const Wml::Vector3<float>& q) const;

    /// Grows box by the world image of the local ball (centre, radius), an
    /// ellipsoid whose box is computed exactly. A negative radius adds nothing.
    void MergeBall(Wml::AxisAlignedBox3<float>& box, const Wml::Vector3<float>& centre, float radius) const;

private:
    Wml::Frame3<float> m_frame;
    float m_origin[3];
    float m_toLocal[3][3];
    float m_halfExtent[3];  // world box half extent of the local unit ball
};

}  // namespace vynimplicit
