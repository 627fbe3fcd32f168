#include "wml/BSplineCurve2.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace Wml {

// ---------------------------------------------------------------------------
// BSplineBasis

namespace {

bool CountsValid(unsigned numControlPoints, int degree, bool closed, int maxDegree)
{
    if (degree < 1 || degree > maxDegree) return false;
    if (numControlPoints < unsigned(degree) + 1u) return false;
    if (closed && numControlPoints < 3u) return false;
    // Keeps every index computation below comfortably inside unsigned.
    return numControlPoints < (1u << 30);
}

}  // namespace

template <class Real>
void BSplineBasis<Real>::MakeUniformKnots(unsigned numControlPoints, int degree, bool closed,
                                          std::vector<Real>& knots)
{
    knots.clear();
    if (!CountsValid(numControlPoints, degree, closed, MAX_DEGREE)) return;
    const unsigned n = numControlPoints;
    const unsigned d = unsigned(degree);
    if (closed) {
        knots.resize(n + 2 * d + 1);
        for (unsigned i = 0; i < knots.size(); ++i) knots[i] = Real((double(i) - double(d)) / double(n));
    } else {
        knots.resize(n + d + 1);
        for (unsigned i = 0; i < knots.size(); ++i) {
            if (i <= d)
                knots[i] = Real(0);
            else if (i >= n)
                knots[i] = Real(1);
            else
                knots[i] = Real(double(i - d) / double(n - d));
        }
    }
}

template <class Real>
bool BSplineBasis<Real>::ValidateKnots(unsigned numControlPoints, int degree, bool closed,
                                       const std::vector<Real>& knots)
{
    if (!CountsValid(numControlPoints, degree, closed, MAX_DEGREE)) return false;
    const unsigned n = numControlPoints;
    const unsigned d = unsigned(degree);
    const unsigned numBasis = n + (closed ? d : 0u);
    if (knots.size() != size_t(numBasis) + d + 1) return false;

    unsigned run = 1;
    for (size_t i = 0; i < knots.size(); ++i) {
        if (!std::isfinite(knots[i])) return false;
        if (i == 0) continue;
        if (knots[i] < knots[i - 1]) return false;
        run = (knots[i] == knots[i - 1]) ? run + 1 : 1;
        if (run > d + 1) return false;
    }
    if (!(knots[d] < knots[numBasis])) return false;

    if (closed) {
        // The wrapped control points only join smoothly when the knot
        // spacing repeats with the period of the control polygon.
        const double period = double(knots[numBasis]) - double(knots[d]);
        const double tol = 1e-5 * period;
        for (size_t j = 0; j + n + 1 < knots.size(); ++j) {
            double a = double(knots[j + 1]) - double(knots[j]);
            double b = double(knots[j + n + 1]) - double(knots[j + n]);
            if (std::fabs(a - b) > tol) return false;
        }
    }
    return true;
}

template <class Real>
bool BSplineBasis<Real>::Create(unsigned numControlPoints, int degree, bool closed)
{
    std::vector<Real> knots;
    MakeUniformKnots(numControlPoints, degree, closed, knots);
    return Create(numControlPoints, degree, closed, knots);
}

template <class Real>
bool BSplineBasis<Real>::Create(unsigned numControlPoints, int degree, bool closed,
                                const std::vector<Real>& knots)
{
    if (!ValidateKnots(numControlPoints, degree, closed, knots)) {
        *this = BSplineBasis();
        return false;
    }
    m_knots = knots;
    m_numControlPoints = numControlPoints;
    m_degree = degree;
    m_closed = closed;
    m_valid = true;
    return true;
}

template <class Real>
Real BSplineBasis<Real>::NormaliseParameter(Real t) const
{
    if (!std::isfinite(t)) return Real(0);
    if (m_closed) {
        t -= std::floor(t);
        // floor of a tiny negative number leaves 1 after rounding.
        if (!(t < Real(1)) || t < Real(0)) t = Real(0);
        return t;
    }
    return t < Real(0) ? Real(0) : (t > Real(1) ? Real(1) : t);
}

template <class Real>
int BSplineBasis<Real>::FindSpan(Real u) const
{
    const std::vector<Real>& U = m_knots;
    const int d = m_degree;
    const int nb = int(NumBasis());
    if (u >= U[nb]) {
        int s = nb - 1;
        while (s > d && !(U[s] < U[s + 1])) --s;
        return s;
    }
    if (u <= U[d]) {
        int s = d;
        while (s < nb - 1 && !(U[s] < U[s + 1])) ++s;
        return s;
    }
    auto it = std::upper_bound(U.begin() + d + 1, U.begin() + nb + 1, u);
    return int(it - U.begin()) - 1;
}

template <class Real>
void BSplineBasis<Real>::Evaluate(Real t, int order, Weights& out) const
{
    out.first = 0;
    for (auto& row : out.weights)
        for (Real& w : row) w = Real(0);
    if (!m_valid) return;

    order = order < 0 ? 0 : (order > MAX_ORDER ? MAX_ORDER : order);
    const int p = m_degree;
    const int nb = int(NumBasis());
    const std::vector<Real>& U = m_knots;
    const double lo = U[p], hi = U[nb];
    const double range = hi - lo;

    t = NormaliseParameter(t);
    double u = (t <= Real(0)) ? lo : (t >= Real(1) ? hi : lo + double(t) * range);
    const int span = FindSpan(Real(u));
    out.first = unsigned(span - p);

    // Cox-de Boor triangle with derivatives. ndu holds basis values in the
    // upper triangle and knot differences in the lower one.
    const int K = MAX_DEGREE + 1;
    double ndu[K][K], left[K], right[K];
    ndu[0][0] = 1.0;
    for (int j = 1; j <= p; ++j) {
        left[j] = u - double(U[span + 1 - j]);
        right[j] = double(U[span + j]) - u;
        double saved = 0.0;
        for (int r = 0; r < j; ++r) {
            ndu[j][r] = right[r + 1] + left[j - r];
            double temp = ndu[j][r] != 0.0 ? ndu[r][j - 1] / ndu[j][r] : 0.0;
            ndu[r][j] = saved + right[r + 1] * temp;
            saved = left[j - r] * temp;
        }
        ndu[j][j] = saved;
    }
    for (int j = 0; j <= p; ++j) out.weights[0][j] = Real(ndu[j][p]);

    const int n = order < p ? order : p;
    if (n == 0) return;
    auto div = [](double a, double b) { return b != 0.0 ? a / b : 0.0; };
    double a[2][K];
    for (int r = 0; r <= p; ++r) {
        int s1 = 0, s2 = 1;
        a[0][0] = 1.0;
        for (int k = 1; k <= n; ++k) {
            double dk = 0.0;
            int rk = r - k, pk = p - k;
            if (r >= k) {
                a[s2][0] = div(a[s1][0], ndu[pk + 1][rk]);
                dk = a[s2][0] * ndu[rk][pk];
            }
            int j1 = rk >= -1 ? 1 : -rk;
            int j2 = (r - 1 <= pk) ? k - 1 : p - r;
            for (int j = j1; j <= j2; ++j) {
                a[s2][j] = div(a[s1][j] - a[s1][j - 1], ndu[pk + 1][rk + j]);
                dk += a[s2][j] * ndu[rk + j][pk];
            }
            if (r <= pk) {
                a[s2][k] = div(-a[s1][k - 1], ndu[pk + 1][r]);
                dk += a[s2][k] * ndu[r][pk];
            }
            // Chain rule: u = lo + t * range.
            out.weights[k][r] = Real(dk * std::pow(range, k));
            std::swap(s1, s2);
        }
    }
    double factor = p;
    for (int k = 1; k <= n; ++k) {
        for (int j = 0; j <= p; ++j) out.weights[k][j] = Real(out.weights[k][j] * factor);
        factor *= (p - k);
    }
}

template <class Real>
void BSplineBasis<Real>::GetBreakpoints(std::vector<Real>& ts) const
{
    ts.clear();
    if (!m_valid) return;
    const int p = m_degree;
    const int nb = int(NumBasis());
    const double lo = m_knots[p], range = double(m_knots[nb]) - lo;
    ts.push_back(Real(0));
    for (int i = p + 1; i < nb; ++i)
        if (m_knots[i] > m_knots[i - 1] && m_knots[i] > m_knots[p])
            ts.push_back(Real((double(m_knots[i]) - lo) / range));
    ts.push_back(Real(1));
}

// ---------------------------------------------------------------------------
// BSplineCurve2

template <class Real>
BSplineCurve2<Real>::BSplineCurve2(const std::vector<Vector2<Real>>& controlPoints, int degree, bool closed)
    : m_controlPoints(controlPoints), m_degree(degree), m_closed(closed)
{
    Rebuild();
}

template <class Real>
void BSplineCurve2<Real>::Rebuild()
{
    for (const Vector2<Real>& p : m_controlPoints) {
        if (!std::isfinite(p[0]) || !std::isfinite(p[1])) {
            m_basis = BSplineBasis<Real>();
            return;
        }
    }
    m_basis.Create(GetNumControlPoints(), m_degree, m_closed);
}

template <class Real>
const Vector2<Real>& BSplineCurve2<Real>::GetControlPoint(unsigned i) const
{
    if (i >= m_controlPoints.size()) return Vector2<Real>::ZERO;
    return m_controlPoints[i];
}

template <class Real>
bool BSplineCurve2<Real>::SetControlPoint(unsigned i, const Vector2<Real>& p)
{
    if (i >= m_controlPoints.size() || !std::isfinite(p[0]) || !std::isfinite(p[1])) return false;
    m_controlPoints[i] = p;
    Rebuild();
    return true;
}

template <class Real>
Vector2<Real> BSplineCurve2<Real>::Fallback() const
{
    if (m_controlPoints.empty()) return Vector2<Real>::ZERO;
    const Vector2<Real>& p = m_controlPoints[0];
    if (!std::isfinite(p[0]) || !std::isfinite(p[1])) return Vector2<Real>::ZERO;
    return p;
}

template <class Real>
Vector2<Real> BSplineCurve2<Real>::GetPosition(Real t) const
{
    return Combine(t, 0);
}

template <class Real>
Vector2<Real> BSplineCurve2<Real>::GetFirstDerivative(Real t) const
{
    return Combine(t, 1);
}

template <class Real>
Vector2<Real> BSplineCurve2<Real>::GetSecondDerivative(Real t) const
{
    return Combine(t, 2);
}

template <class Real>
Real BSplineCurve2<Real>::GetLength() const
{
    return GetLength(Real(0), Real(1));
}

template <class Real>
Real BSplineCurve2<Real>::GetLength(Real t0, Real t1) const
{
    return m_basis.Integrate(t0, t1, [this](Real t) { return GetFirstDerivative(t).Length(); });
}

template class BSplineBasis<float>;
template class BSplineBasis<double>;
template class BSplineCurve2<float>;
template class BSplineCurve2<double>;

}  // namespace Wml
