#include "wml/Spline3.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Wml {

namespace {

template <class Real>
bool IsFinite(const Vector3<Real>& v)
{
    return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

// Normalises v in place; false (v untouched) when it has no usable length.
// Unlike Vector3::Normalize there is no absolute threshold, so curves at any
// scale keep their directions.
template <class Real>
bool MakeUnit(Vector3<Real>& v)
{
    Real len = v.Length();
    if (!(len > Real(0)) || !std::isfinite(len)) return false;
    v /= len;
    return true;
}

// Unit vector perpendicular to the unit vector t, from the coordinate axis
// least aligned with it.
template <class Real>
Vector3<Real> PerpendicularTo(const Vector3<Real>& t)
{
    int axis = 0;
    for (int i = 1; i < 3; ++i)
        if (std::fabs(t[i]) < std::fabs(t[axis])) axis = i;
    Vector3<Real> a = Vector3<Real>::ZERO;
    a[axis] = Real(1);
    Vector3<Real> n = a - t * a.Dot(t);
    MakeUnit(n);
    return n;
}

// Carries the normal n of the frame at p0 (unit tangent t0) to the point p1
// with unit tangent t1 by two reflections, which rotates the frame without
// twisting it about the curve.
template <class Real>
Vector3<Real> Transport(const Vector3<Real>& p0, const Vector3<Real>& t0, const Vector3<Real>& n,
                        const Vector3<Real>& p1, const Vector3<Real>& t1)
{
    Vector3<Real> rl = n, tl = t0;
    Vector3<Real> v1 = p1 - p0;
    Real c1 = v1.Dot(v1);
    if (c1 > Real(0) && std::isfinite(c1)) {
        rl = n - v1 * (Real(2) / c1 * v1.Dot(n));
        tl = t0 - v1 * (Real(2) / c1 * v1.Dot(t0));
    }
    Vector3<Real> v2 = t1 - tl;
    Real c2 = v2.Dot(v2);
    Vector3<Real> r = rl;
    if (c2 > Real(0) && std::isfinite(c2)) r = rl - v2 * (Real(2) / c2 * v2.Dot(rl));
    // Remove rounding drift so the frame stays orthonormal.
    r -= t1 * r.Dot(t1);
    if (!MakeUnit(r)) r = PerpendicularTo(t1);
    return r;
}

}  // namespace

template <class Real>
Spline3<Real>::Spline3(const std::vector<Vector3<Real>>& controlPoints, int degree, bool closed)
    : m_controlPoints(controlPoints), m_degree(degree), m_closed(closed)
{
    Rebuild();
}

template <class Real>
void Spline3<Real>::Rebuild()
{
    bool finite = true;
    for (const Vector3<Real>& p : m_controlPoints) finite = finite && IsFinite(p);
    if (finite)
        m_basis.Create(GetNumControlPoints(), m_degree, m_closed);
    else
        m_basis = BSplineBasis<Real>();
    BuildFrames();
}

template <class Real>
bool Spline3<Real>::Set(const std::vector<Vector3<Real>>& controlPoints, int degree, bool closed,
                        const std::vector<Real>& knots)
{
    for (const Vector3<Real>& p : controlPoints)
        if (!IsFinite(p)) return false;
    BSplineBasis<Real> basis;
    unsigned n = static_cast<unsigned>(controlPoints.size());
    if (controlPoints.size() != n) return false;
    bool ok = knots.empty() ? basis.Create(n, degree, closed) : basis.Create(n, degree, closed, knots);
    if (!ok) return false;

    m_controlPoints = controlPoints;
    m_degree = degree;
    m_closed = closed;
    m_basis = basis;
    BuildFrames();
    return true;
}

template <class Real>
bool Spline3<Real>::SetControlPoint(unsigned i, const Vector3<Real>& p)
{
    if (i >= m_controlPoints.size() || !IsFinite(p)) return false;
    m_controlPoints[i] = p;
    // Keep explicit knots of a valid curve; an invalid one may have become
    // valid now that a bad point was replaced.
    if (m_basis.IsValid())
        BuildFrames();
    else
        Rebuild();
    return true;
}

template <class Real>
const Vector3<Real>& Spline3<Real>::GetControlPoint(unsigned i) const
{
    if (i >= m_controlPoints.size()) return Vector3<Real>::ZERO;
    return m_controlPoints[i];
}

template <class Real>
Vector3<Real> Spline3<Real>::Fallback() const
{
    if (m_controlPoints.empty() || !IsFinite(m_controlPoints[0])) return Vector3<Real>::ZERO;
    return m_controlPoints[0];
}

template <class Real>
Vector3<Real> Spline3<Real>::GetPosition(Real t) const
{
    return Combine(t, 0);
}

template <class Real>
Vector3<Real> Spline3<Real>::GetFirstDerivative(Real t) const
{
    return Combine(t, 1);
}

template <class Real>
Vector3<Real> Spline3<Real>::GetSecondDerivative(Real t) const
{
    return Combine(t, 2);
}

template <class Real>
Vector3<Real> Spline3<Real>::GetTangent(Real t) const
{
    if (!m_basis.IsValid() || !(m_extent > Real(0))) return Vector3<Real>::ZERO;
    t = m_basis.NormaliseParameter(t);
    const bool atOpenEnd = !m_closed && t >= Real(1);
    const Real eps = std::numeric_limits<Real>::epsilon();
    // Below this a derivative is rounding noise rather than motion.
    const Real tiny = m_extent * eps * Real(1e4);

    Vector3<Real> d = GetFirstDerivative(t);
    if (d.Length() > tiny && MakeUnit(d)) return d;

    // Where the speed drops to zero the curve leaves along the second
    // derivative (and arrives against it, which matters at the open end).
    d = GetSecondDerivative(t);
    if (atOpenEnd) d = -d;
    if (d.Length() > tiny && MakeUnit(d)) return d;

    // Repeated control points can cancel both; take the chord towards where
    // the curve goes next, widening until it has moved.
    const Vector3<Real> p = GetPosition(t);
    for (Real h = Real(1e-4); h <= Real(0.25); h *= Real(4)) {
        d = atOpenEnd ? p - GetPosition(t - h) : GetPosition(t + h) - p;
        if (d.Length() > m_extent * eps * Real(64) && MakeUnit(d)) return d;
    }
    return Vector3<Real>::ZERO;
}

template <class Real>
Real Spline3<Real>::GetLength() const
{
    return GetLength(Real(0), Real(1));
}

template <class Real>
Real Spline3<Real>::GetLength(Real t0, Real t1) const
{
    return m_basis.Integrate(t0, t1, [this](Real t) { return GetFirstDerivative(t).Length(); });
}

template <class Real>
void Spline3<Real>::BuildFrames()
{
    m_framePositions.clear();
    m_frameTangents.clear();
    m_frameNormals.clear();
    m_frameLengths.clear();
    m_closingTwist = Real(0);
    m_extent = Real(0);
    if (!m_basis.IsValid()) return;

    Vector3<Real> lo = m_controlPoints[0], hi = m_controlPoints[0];
    for (const Vector3<Real>& p : m_controlPoints)
        for (int i = 0; i < 3; ++i) {
            lo[i] = std::min(lo[i], p[i]);
            hi[i] = std::max(hi[i], p[i]);
        }
    m_extent = (hi - lo).Length();

    // A few dozen samples per polynomial piece keep the one-step transport
    // in GetFrame accurate.
    std::vector<Real> breaks;
    m_basis.GetBreakpoints(breaks);
    size_t spans = breaks.size() > 1 ? breaks.size() - 1 : 1;
    const size_t m = std::min<size_t>(std::max<size_t>(32 * spans, 64), 8192);

    std::vector<Vector3<Real>> positions(m + 1), tangents(m + 1);
    bool moves = false;
    for (size_t k = 0; k <= m; ++k) {
        Real t = Real(double(k) / double(m));
        positions[k] = GetPosition(t);
        tangents[k] = GetTangent(t);
        moves = moves || tangents[k] != Vector3<Real>::ZERO;
    }
    if (!moves) return;
    // Samples where the direction is undefined borrow a neighbour's.
    size_t firstGood = 0;
    while (tangents[firstGood] == Vector3<Real>::ZERO) ++firstGood;
    for (size_t k = 0; k < firstGood; ++k) tangents[k] = tangents[firstGood];
    for (size_t k = firstGood + 1; k <= m; ++k)
        if (tangents[k] == Vector3<Real>::ZERO) tangents[k] = tangents[k - 1];

    std::vector<Vector3<Real>> normals(m + 1);
    std::vector<Real> lengths(m + 1, Real(0));
    normals[0] = PerpendicularTo(tangents[0]);
    for (size_t k = 0; k < m; ++k) {
        normals[k + 1] = Transport(positions[k], tangents[k], normals[k], positions[k + 1], tangents[k + 1]);
        lengths[k + 1] = lengths[k] + (positions[k + 1] - positions[k]).Length();
    }

    if (m_closed) {
        // Angle that turns the transported end normal back onto the start
        // normal about the (shared) tangent.
        Vector3<Real> b = tangents[m].Cross(normals[m]);
        m_closingTwist = std::atan2(normals[0].Dot(b), normals[0].Dot(normals[m]));
        if (!std::isfinite(m_closingTwist)) m_closingTwist = Real(0);
    }

    m_framePositions.swap(positions);
    m_frameTangents.swap(tangents);
    m_frameNormals.swap(normals);
    m_frameLengths.swap(lengths);
}

template <class Real>
bool Spline3<Real>::GetFrame(Real t, Vector3<Real>& tangent, Vector3<Real>& normal,
                             Vector3<Real>& binormal) const
{
    if (m_frameNormals.size() < 2) {
        tangent = Vector3<Real>::UNIT_Z;
        normal = Vector3<Real>::UNIT_X;
        binormal = Vector3<Real>::UNIT_Y;
        return false;
    }
    t = m_basis.NormaliseParameter(t);
    const size_t m = m_frameNormals.size() - 1;
    size_t k = static_cast<size_t>(std::floor(double(t) * double(m)));
    if (k >= m) k = m - 1;

    Vector3<Real> p = GetPosition(t);
    Vector3<Real> tan = GetTangent(t);
    if (tan == Vector3<Real>::ZERO) tan = m_frameTangents[k];
    Vector3<Real> n = Transport(m_framePositions[k], m_frameTangents[k], m_frameNormals[k], p, tan);

    if (m_closed && m_closingTwist != Real(0)) {
        Real total = m_frameLengths[m];
        Real along = m_frameLengths[k] + (p - m_framePositions[k]).Length();
        Real fraction = total > Real(0) ? std::min(along / total, Real(1)) : t;
        Real angle = m_closingTwist * fraction;
        Vector3<Real> b = tan.Cross(n);
        n = n * std::cos(angle) + b * std::sin(angle);
        n -= tan * n.Dot(tan);
        if (!MakeUnit(n)) n = PerpendicularTo(tan);
    }

    tangent = tan;
    normal = n;
    binormal = tan.Cross(n);
    MakeUnit(binormal);
    return true;
}

template class Spline3<float>;
template class Spline3<double>;

}  // namespace Wml
