#pragma once
// The placement shared by the sweep fields: a Wml::Frame3 plus its world ->
// local map flattened into plain numbers, so that the hot evaluation path is
// nine multiply-adds instead of a chain of vector temporaries.

#include "wml/AxisAlignedBox3.h"
#include "wml/Frame3.h"
#include "wml/Vector3.h"

namespace vynimplicit {

/**
 * \brief A frame together with its cached affine world -> local map.
 *
 * Local point q = A (p - o), where A includes the frame's rotation and the
 * inverse of its per-axis scale (exact for sheared frames as well). The world
 * gradient of a field given in local coordinates is A^T times the local
 * gradient.
 */
class SweepFrame {
public:
    /// World axes at the origin, unit scale.
    SweepFrame();

    const Wml::Frame3<float>& Get() const { return m_frame; }
    /// Replaces the frame. A frame that is not valid (non-finite numbers, a
    /// zero scale, degenerate axes) is refused: false, nothing changes.
    bool Set(const Wml::Frame3<float>& frame);

    /// World point -> local point.
    void ToLocal(float x, float y, float z, float q[3]) const
    {
        const float dx = x - m_origin[0], dy = y - m_origin[1], dz = z - m_origin[2];
        q[0] = m_a[0] * dx + m_a[1] * dy + m_a[2] * dz;
        q[1] = m_a[3] * dx + m_a[4] * dy + m_a[5] * dz;
        q[2] = m_a[6] * dx + m_a[7] * dy + m_a[8] * dz;
    }
    /// Local gradient -> world gradient (A^T g).
    void GradientToWorld(const float g[3], float& gx, float& gy, float& gz) const
    {
        gx = m_a[0] * g[0] + m_a[3] * g[1] + m_a[6] * g[2];
        gy = m_a[1] * g[0] + m_a[4] * g[1] + m_a[7] * g[2];
        gz = m_a[2] * g[0] + m_a[5] * g[1] + m_a[8] * g[2];
    }
    /// Local point -> world point (scale included).
    Wml::Vector3<float> ToWorldPoint(const Wml::Vector3<float>& local) const
    {
        return m_frame.ToWorldPoint(local);
    }
    /// World box of a local box: the box of its eight transformed corners.
    /// An empty box stays empty.
    Wml::AxisAlignedBox3<float> LocalBoxToWorld(const Wml::AxisAlignedBox3<float>& local) const;

private:
    void Update();

    Wml::Frame3<float> m_frame;
    float m_origin[3];
    float m_a[9];  // row-major world -> local linear part
};

}  // namespace vynimplicit
