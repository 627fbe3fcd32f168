#pragma once
// Axis-aligned 3D box given by minimum and maximum per axis. The default box
// is empty: every minimum is +MAX_REAL and every maximum -MAX_REAL, so that
// merging a point into it gives the box of that point.

#include <algorithm>

#include "wml/Vector3.h"

namespace Wml {

template <class Real>
class AxisAlignedBox3 {
public:
    AxisAlignedBox3() { MakeEmpty(); }
    AxisAlignedBox3(Real xMin, Real xMax, Real yMin, Real yMax, Real zMin, Real zMax)
        : m_min{xMin, yMin, zMin}, m_max{xMax, yMax, zMax}
    {
    }
    AxisAlignedBox3(const Vector3<Real>& minCorner, const Vector3<Real>& maxCorner)
        : m_min{minCorner[0], minCorner[1], minCorner[2]}, m_max{maxCorner[0], maxCorner[1], maxCorner[2]}
    {
    }

    Real& Min(int axis) { return m_min[axis]; }
    Real Min(int axis) const { return m_min[axis]; }
    Real& Max(int axis) { return m_max[axis]; }
    Real Max(int axis) const { return m_max[axis]; }
    Real* GetMin() { return m_min; }
    const Real* GetMin() const { return m_min; }
    Real* GetMax() { return m_max; }
    const Real* GetMax() const { return m_max; }
    Vector3<Real> MinCorner() const { return Vector3<Real>(m_min[0], m_min[1], m_min[2]); }
    Vector3<Real> MaxCorner() const { return Vector3<Real>(m_max[0], m_max[1], m_max[2]); }

    void MakeEmpty()
    {
        for (int i = 0; i < 3; ++i) {
            m_min[i] = Math<Real>::MAX_REAL;
            m_max[i] = -Math<Real>::MAX_REAL;
        }
    }
    /// True when some minimum exceeds its maximum (nothing is inside).
    bool IsEmpty() const { return m_min[0] > m_max[0] || m_min[1] > m_max[1] || m_min[2] > m_max[2]; }

    Vector3<Real> Center() const
    {
        return Vector3<Real>(Real(0.5) * (m_min[0] + m_max[0]), Real(0.5) * (m_min[1] + m_max[1]),
                             Real(0.5) * (m_min[2] + m_max[2]));
    }
    /// Size along one axis (0 for an empty box).
    Real Extent(int axis) const { return IsEmpty() ? Real(0) : m_max[axis] - m_min[axis]; }
    Real Volume() const { return Extent(0) * Extent(1) * Extent(2); }

    void Merge(const Vector3<Real>& p)
    {
        for (int i = 0; i < 3; ++i) {
            m_min[i] = std::min(m_min[i], p[i]);
            m_max[i] = std::max(m_max[i], p[i]);
        }
    }
    void Merge(const AxisAlignedBox3& b)
    {
        for (int i = 0; i < 3; ++i) {
            m_min[i] = std::min(m_min[i], b.m_min[i]);
            m_max[i] = std::max(m_max[i], b.m_max[i]);
        }
    }
    /// Grows every side by d (shrinks when negative). An empty box stays empty.
    void Dilate(Real d)
    {
        if (IsEmpty()) return;
        for (int i = 0; i < 3; ++i) {
            m_min[i] -= d;
            m_max[i] += d;
        }
    }
    bool Contains(const Vector3<Real>& p) const
    {
        return p[0] >= m_min[0] && p[0] <= m_max[0] && p[1] >= m_min[1] && p[1] <= m_max[1] &&
               p[2] >= m_min[2] && p[2] <= m_max[2];
    }
    /// True when the closed boxes share a point.
    bool Intersects(const AxisAlignedBox3& b) const
    {
        for (int i = 0; i < 3; ++i)
            if (m_max[i] < b.m_min[i] || b.m_max[i] < m_min[i]) return false;
        return true;
    }
    /// The common part, empty when the boxes do not meet.
    AxisAlignedBox3 Intersection(const AxisAlignedBox3& b) const
    {
        AxisAlignedBox3 r;
        for (int i = 0; i < 3; ++i) {
            r.m_min[i] = std::max(m_min[i], b.m_min[i]);
            r.m_max[i] = std::min(m_max[i], b.m_max[i]);
        }
        if (r.IsEmpty()) r.MakeEmpty();
        return r;
    }
    bool operator==(const AxisAlignedBox3& b) const
    {
        for (int i = 0; i < 3; ++i)
            if (m_min[i] != b.m_min[i] || m_max[i] != b.m_max[i]) return false;
        return true;
    }
    bool operator!=(const AxisAlignedBox3& b) const { return !(*this == b); }

private:
    Real m_min[3];
    Real m_max[3];
};

/// True when p lies in the closed box.
template <class Real>
inline bool Contained(const AxisAlignedBox3<Real>& box, const Vector3<Real>& p)
{
    return box.Contains(p);
}

typedef AxisAlignedBox3<float> AxisAlignedBox3f;
typedef AxisAlignedBox3<double> AxisAlignedBox3d;

}  // namespace Wml
