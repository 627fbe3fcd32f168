#include "wml/IntelThinPlateSpline2d.h"

#include <Eigen/Cholesky>
#include <Eigen/Dense>
#include <Eigen/QR>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace Wml {

namespace {

// Points closer than this (internal units, where the point set spans
// [-1, 1]) are the same point.
constexpr double DuplicateTolerance = 1e-9;

// Thinner point clouds than this (ratio of the principal variances) are
// treated as lying on a line: the affine part is then undetermined.
constexpr double CollinearVarianceRatio = 1e-18;

// Reduced systems with a worse reciprocal condition number are refused:
// their weights would be dominated by rounding.
constexpr double MinReciprocalCondition = 1e-15;

// The fitted equations must hold to this fraction of the largest value.
constexpr double ResidualTolerance = 1e-6;

// P^T w = 0 must hold to this fraction of sum |w_i|.
constexpr double MomentTolerance = 1e-8;

constexpr double Pi = 3.14159265358979323846;
constexpr double Ln2 = 0.69314718055994530942;

std::uint64_t ToBits(double value)
{
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

double FromBits(std::uint64_t bits)
{
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// 0.5 * log(d2) for the evaluation loops. Written with plain integer and
// floating-point operations (no libm call, no branches) so the compiler can
// vectorise the grid sampler; accurate to a few ulp. Adding DBL_MIN keeps
// the argument normal and positive without a compare (which would block
// vectorisation) and changes nothing above ~1e-290, so the result is always
// finite and d2 * HalfLog(d2) is 0 at d2 = 0, which is phi(0). NaN
// propagates through the factor d2 in the callers.
inline double HalfLog(double d2)
{
    const double x = d2 + DBL_MIN;
    const std::uint64_t bits = ToBits(x);
    // Write x = 2^k * m with m in [sqrt(1/2), sqrt(2)). Offsetting by the
    // bits of sqrt(1/2) makes the exponent field of 'shifted' equal k + 1024
    // without needing an arithmetic shift.
    constexpr std::uint64_t SqrtHalfBits = 0x3FE6A09E667F3BCDull;
    constexpr std::uint64_t Bias1024 = std::uint64_t(1024) << 52;
    const std::uint64_t shifted = bits + (Bias1024 - SqrtHalfBits);
    const std::uint64_t biasedExponent = shifted >> 52;  // k + 1024, in [1, 2047]
    const double m = FromBits(bits - (biasedExponent << 52) + Bias1024);
    // Exact int -> double without a conversion instruction: 2^52 + j.
    constexpr std::uint64_t TwoPow52Bits = 0x4330000000000000ull;
    const double k = FromBits(TwoPow52Bits | biasedExponent) - (4503599627370496.0 + 1024.0);

    // log(m) = 2 atanh(s), s = (m - 1) / (m + 1), |s| <= 0.1716; the odd
    // series up to s^19 leaves a relative error below 3e-17.
    const double f = m - 1.0;
    const double s = f / (2.0 + f);
    const double z = s * s;
    double series = 1.0 / 19.0;
    series = series * z + 1.0 / 17.0;
    series = series * z + 1.0 / 15.0;
    series = series * z + 1.0 / 13.0;
    series = series * z + 1.0 / 11.0;
    series = series * z + 1.0 / 9.0;
    series = series * z + 1.0 / 7.0;
    series = series * z + 1.0 / 5.0;
    series = series * z + 1.0 / 3.0;
    series = series * z + 1.0;
    return 0.5 * Ln2 * k + s * series;
}

// sum[k] += sum_i w_i phi(|(u[k], v) - c_i|) for k < length: the grid
// sampler's inner work. The inner loop is branch-free and call-free so it
// vectorises, with the per-centre dv^2 and weight hoisted out of it.
inline void AddCentresToRowGeneric(const double* u, double* sum, unsigned length, double v,
                                   const double* centreU, const double* centreV, const double* weight,
                                   std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        const double dv = v - centreV[i];
        const double dv2 = dv * dv;
        const double ci = centreU[i];
        const double wi = weight[i];
        for (unsigned k = 0; k < length; ++k) {
            const double du = u[k] - ci;
            const double d2 = du * du + dv2;
            sum[k] += wi * d2 * HalfLog(d2);
        }
    }
}

#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
#define WML_TPS_HAVE_AVX2_PATH 1
// The same loop compiled for AVX2 + FMA: four lanes instead of two. Chosen at
// run time, so the library still runs on any x86-64.
__attribute__((target("avx2,fma"))) void AddCentresToRowAvx2(const double* u, double* sum, unsigned length,
                                                             double v, const double* centreU,
                                                             const double* centreV, const double* weight,
                                                             std::size_t count)
{
    AddCentresToRowGeneric(u, sum, length, v, centreU, centreV, weight, count);
}
#endif

void AddCentresToRow(const double* u, double* sum, unsigned length, double v, const double* centreU,
                     const double* centreV, const double* weight, std::size_t count)
{
#ifdef WML_TPS_HAVE_AVX2_PATH
    static const bool hasAvx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    if (hasAvx2) {
        AddCentresToRowAvx2(u, sum, length, v, centreU, centreV, weight, count);
        return;
    }
#endif
    AddCentresToRowGeneric(u, sum, length, v, centreU, centreV, weight, count);
}

// Exact reference kernel for assembling the system; the fit then checks
// the fast evaluation against it through the residual.
double PhiFromSquaredReference(double d2)
{
    return d2 > 0.0 ? 0.5 * d2 * std::log(d2) : 0.0;
}

struct InputPoint {
    double u;
    double v;
    double value;
    double smoothing;
};

// Merges points within DuplicateTolerance of each other; see the header
// for how values and smoothing combine.
std::vector<InputPoint> MergeDuplicates(std::vector<InputPoint> points)
{
    std::sort(points.begin(), points.end(), [](const InputPoint& a, const InputPoint& b) {
        return a.u < b.u || (a.u == b.u && a.v < b.v);
    });

    std::vector<InputPoint> merged;
    merged.reserve(points.size());
    std::vector<char> used(points.size(), 0);
    std::vector<std::size_t> group;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (used[i]) continue;
        group.clear();
        group.push_back(i);
        for (std::size_t j = i + 1; j < points.size() && points[j].u - points[i].u <= DuplicateTolerance;
             ++j) {
            if (!used[j] && std::fabs(points[j].v - points[i].v) <= DuplicateTolerance) {
                used[j] = 1;
                group.push_back(j);
            }
        }
        if (group.size() == 1) {
            merged.push_back(points[i]);
            continue;
        }

        // Weight each duplicate by 1/lambda, scaled by the smallest lambda
        // so nothing overflows; a zero lambda takes all the weight.
        double minSmoothing = points[i].smoothing;
        for (std::size_t index : group) minSmoothing = std::min(minSmoothing, points[index].smoothing);
        double weightSum = 0.0, valueSum = 0.0, uSum = 0.0, vSum = 0.0;
        for (std::size_t index : group) {
            const InputPoint& p = points[index];
            const double weight =
                minSmoothing > 0.0 ? minSmoothing / p.smoothing : (p.smoothing == 0.0 ? 1.0 : 0.0);
            weightSum += weight;
            valueSum += weight * p.value;
            uSum += p.u;
            vSum += p.v;
        }
        const double groupSize = static_cast<double>(group.size());
        merged.push_back(
            {uSum / groupSize, vSum / groupSize, valueSum / weightSum, minSmoothing / weightSum});
    }
    return merged;
}

bool IsCollinear(const std::vector<InputPoint>& points)
{
    double meanU = 0.0, meanV = 0.0;
    for (const InputPoint& p : points) {
        meanU += p.u;
        meanV += p.v;
    }
    const double n = static_cast<double>(points.size());
    meanU /= n;
    meanV /= n;
    double suu = 0.0, suv = 0.0, svv = 0.0;
    for (const InputPoint& p : points) {
        const double du = p.u - meanU, dv = p.v - meanV;
        suu += du * du;
        suv += du * dv;
        svv += dv * dv;
    }
    // Eigenvalues of the 2x2 scatter matrix.
    const double half = 0.5 * (suu + svv);
    const double root = std::sqrt(0.25 * (suu - svv) * (suu - svv) + suv * suv);
    const double largest = half + root;
    const double smallest = std::max(0.0, (suu * svv - suv * suv) / largest);
    return !(largest > 0.0) || smallest <= CollinearVarianceRatio * largest;
}

// Maps caller coordinates to internal ones: u = (x - centreX) * invScale.
struct Normalisation {
    double centreX;
    double centreY;
    double invScale;
};

// Checks the input (finite, non-negative smoothing) and centres its bounding
// box on the origin, scaled into [-1, 1]^2 so the kernel entries stay O(1)
// whatever the caller's units. False when the input is unusable.
bool FindNormalisation(unsigned count, const double* x, const double* y, const double* value,
                       const double* smoothing, double uniformSmoothing, Normalisation& frame)
{
    double minX = x[0], maxX = x[0], minY = y[0], maxY = y[0];
    for (unsigned i = 0; i < count; ++i) {
        const double lambda = smoothing ? smoothing[i] : uniformSmoothing;
        if (!std::isfinite(x[i]) || !std::isfinite(y[i]) || !std::isfinite(value[i]) ||
            !std::isfinite(lambda) || lambda < 0.0)
            return false;
        minX = std::min(minX, x[i]);
        maxX = std::max(maxX, x[i]);
        minY = std::min(minY, y[i]);
        maxY = std::max(maxY, y[i]);
    }
    const double scale = std::max(0.5 * maxX - 0.5 * minX, 0.5 * maxY - 0.5 * minY);
    if (!(scale > 0.0) || !std::isfinite(scale) || !std::isfinite(1.0 / scale)) return false;
    frame.centreX = 0.5 * minX + 0.5 * maxX;
    frame.centreY = 0.5 * minY + 0.5 * maxY;
    frame.invScale = 1.0 / scale;
    return true;
}

// With x = c + s u, phi(s r) = s^2 phi(r) + s^2 log(s) r^2; the r^2 part is
// affine under P^T w = 0, so the caller-unit fit is the internal fit with
// lambda / s^2 (and weights scaled by s^2).
double SmoothingScale(const Normalisation& frame)
{
    return frame.invScale * frame.invScale;
}

// The input in internal coordinates, smoothing rescaled to match.
std::vector<InputPoint> NormalisedPoints(unsigned count, const double* x, const double* y,
                                         const double* value, const double* smoothing,
                                         double uniformSmoothing, const Normalisation& frame)
{
    const double smoothingScale = SmoothingScale(frame);
    std::vector<InputPoint> input(count);
    for (unsigned i = 0; i < count; ++i) {
        const double lambda = smoothing ? smoothing[i] : uniformSmoothing;
        input[i] = {(x[i] - frame.centreX) * frame.invScale, (y[i] - frame.centreY) * frame.invScale,
                    value[i], lambda * smoothingScale};
    }
    return input;
}

// Solves the saddle-point system [M P; P^T 0][w; a] = [v; 0] with
// M = K + diag(lambda). With P = Q [R; 0], w = Q [0; g] satisfies P^T w = 0
// and the lower block Q2^T M Q2 g = Q2^T v is positive definite for
// distinct, non-collinear points, so a Cholesky factorisation (half the
// work of LU) solves it and reports loss of definiteness itself. False when
// the system is not definite or too ill-conditioned, or the solution is
// not finite.
bool SolveSystem(const std::vector<InputPoint>& points, Eigen::VectorXd& weights, Eigen::Vector3d& affine)
{
    const Eigen::Index n = static_cast<Eigen::Index>(points.size());
    Eigen::MatrixXd system(n, n);
    Eigen::MatrixXd affineBasis(n, 3);
    Eigen::VectorXd rhs(n);
    for (Eigen::Index i = 0; i < n; ++i) {
        const InputPoint& pi = points[static_cast<std::size_t>(i)];
        for (Eigen::Index j = 0; j < i; ++j) {
            const InputPoint& pj = points[static_cast<std::size_t>(j)];
            const double du = pi.u - pj.u, dv = pi.v - pj.v;
            const double k = PhiFromSquaredReference(du * du + dv * dv);
            system(i, j) = k;
            system(j, i) = k;
        }
        system(i, i) = pi.smoothing;
        affineBasis(i, 0) = 1.0;
        affineBasis(i, 1) = pi.u;
        affineBasis(i, 2) = pi.v;
        rhs(i) = pi.value;
    }

    const Eigen::HouseholderQR<Eigen::MatrixXd> qr(affineBasis);
    const auto q = qr.householderQ();
    system.applyOnTheLeft(q.transpose());
    system.applyOnTheRight(q);
    rhs.applyOnTheLeft(q.transpose());

    const Eigen::Index reduced = n - 3;
    Eigen::VectorXd rotatedWeights = Eigen::VectorXd::Zero(n);
    if (reduced > 0) {
        const Eigen::LLT<Eigen::MatrixXd> cholesky(system.bottomRightCorner(reduced, reduced));
        if (cholesky.info() != Eigen::Success || !(cholesky.rcond() >= MinReciprocalCondition)) return false;
        rotatedWeights.tail(reduced) = cholesky.solve(rhs.tail(reduced));
    }
    const Eigen::Vector3d affineRhs =
        rhs.head<3>() - system.topRightCorner(3, reduced) * rotatedWeights.tail(reduced);
    const Eigen::Matrix3d r = qr.matrixQR().topLeftCorner<3, 3>().triangularView<Eigen::Upper>();
    affine = r.triangularView<Eigen::Upper>().solve(affineRhs);
    weights = q * rotatedWeights;
    return weights.allFinite() && affine.allFinite();
}

// Checks the solution with the fast evaluation kernel: each equation is
// f(p_i) + lambda_i w_i = v_i. This guards the solve and the kernel at once,
// and refuses near-singular fits (points almost on top of each other with
// conflicting values) whose weights are mostly rounding. w^T K w (internal
// units) falls out of the same sums; false when the check fails.
bool CheckSolution(const std::vector<InputPoint>& points, const Eigen::VectorXd& weights,
                   const Eigen::Vector3d& affine, double& energy)
{
    const std::size_t n = points.size();
    double maxValue = 0.0, weightNorm = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        maxValue = std::max(maxValue, std::fabs(points[i].value));
        weightNorm += std::fabs(weights(static_cast<Eigen::Index>(i)));
    }
    double maxResidual = 0.0, momentSum[3] = {0.0, 0.0, 0.0};
    energy = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const InputPoint& p = points[i];
        const double wi = weights(static_cast<Eigen::Index>(i));
        double kernel = 0.0;
        for (std::size_t j = 0; j < n; ++j) {
            const double du = p.u - points[j].u, dv = p.v - points[j].v;
            const double d2 = du * du + dv * dv;
            kernel += weights(static_cast<Eigen::Index>(j)) * d2 * HalfLog(d2);
        }
        const double fitted = kernel + affine(0) + affine(1) * p.u + affine(2) * p.v;
        maxResidual = std::max(maxResidual, std::fabs(fitted + p.smoothing * wi - p.value));
        energy += wi * kernel;
        momentSum[0] += wi;
        momentSum[1] += wi * p.u;
        momentSum[2] += wi * p.v;
    }
    const double maxMoment =
        std::max({std::fabs(momentSum[0]), std::fabs(momentSum[1]), std::fabs(momentSum[2])});
    return maxResidual <= ResidualTolerance * maxValue && maxMoment <= MomentTolerance * (weightNorm + 1.0);
}

}  // namespace

IntelThinPlateSpline2d::IntelThinPlateSpline2d()
{
    Invalidate();
}

IntelThinPlateSpline2d::IntelThinPlateSpline2d(unsigned count, const double* x, const double* y,
                                               const double* value, const double* smoothing)
{
    Fit(count, x, y, value, smoothing, 0.0);
}

IntelThinPlateSpline2d::IntelThinPlateSpline2d(unsigned count, const double* x, const double* y,
                                               const double* value, double smoothing)
{
    Fit(count, x, y, value, nullptr, smoothing);
}

void IntelThinPlateSpline2d::Invalidate()
{
    static_assert(std::is_standard_layout<IntelThinPlateSpline2d>::value,
                  "the validity flag is read through the object address");
    static_assert(offsetof(IntelThinPlateSpline2d, m_bValid) == 0,
                  "the validity flag must be the first member");
    m_bValid = 0;
    m_centreX = 0.0;
    m_centreY = 0.0;
    m_invScale = 1.0;
    m_affine[0] = m_affine[1] = m_affine[2] = 0.0;
    m_bendingEnergy = 0.0;
    m_centreU.clear();
    m_centreV.clear();
    m_weight.clear();
}

void IntelThinPlateSpline2d::Fit(unsigned count, const double* x, const double* y, const double* value,
                                 const double* smoothing, double uniformSmoothing)
{
    Invalidate();
    if (count < 3 || count > MaxPoints || !x || !y || !value) return;

    Normalisation frame;
    if (!FindNormalisation(count, x, y, value, smoothing, uniformSmoothing, frame)) return;
    const std::vector<InputPoint> points =
        MergeDuplicates(NormalisedPoints(count, x, y, value, smoothing, uniformSmoothing, frame));
    if (points.size() < 3 || IsCollinear(points)) return;

    Eigen::VectorXd weights;
    Eigen::Vector3d affine;
    double energy = 0.0;
    if (!SolveSystem(points, weights, affine) || !CheckSolution(points, weights, affine, energy)) return;

    m_centreX = frame.centreX;
    m_centreY = frame.centreY;
    m_invScale = frame.invScale;
    m_affine[0] = affine(0);
    m_affine[1] = affine(1);
    m_affine[2] = affine(2);
    m_centreU.resize(points.size());
    m_centreV.resize(points.size());
    m_weight.resize(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        m_centreU[i] = points[i].u;
        m_centreV[i] = points[i].v;
        m_weight[i] = weights(static_cast<Eigen::Index>(i));
    }
    // The energy of f(x) = g((x - c) / s) is the internal energy / s^2.
    m_bendingEnergy = std::max(0.0, 8.0 * Pi * energy * SmoothingScale(frame));
    m_bValid = 1;
}

double IntelThinPlateSpline2d::Value(double x, double y) const
{
    if (!m_bValid) return 0.0;
    const double u = (x - m_centreX) * m_invScale;
    const double v = (y - m_centreY) * m_invScale;
    double sum = m_affine[0] + m_affine[1] * u + m_affine[2] * v;
    const std::size_t n = m_weight.size();
    for (std::size_t i = 0; i < n; ++i) {
        const double du = u - m_centreU[i], dv = v - m_centreV[i];
        const double d2 = du * du + dv * dv;
        sum += m_weight[i] * d2 * HalfLog(d2);
    }
    return sum;
}

void IntelThinPlateSpline2d::Gradient(double x, double y, double& gx, double& gy) const
{
    gx = 0.0;
    gy = 0.0;
    if (!m_bValid) return;
    const double u = (x - m_centreX) * m_invScale;
    const double v = (y - m_centreY) * m_invScale;
    // d/du of r^2 log r is du (2 log r + 1) = du (log r^2 + 1); it vanishes
    // at r = 0, which the clamped logarithm gives since du = 0 there.
    double gu = m_affine[1], gv = m_affine[2];
    const std::size_t n = m_weight.size();
    for (std::size_t i = 0; i < n; ++i) {
        const double du = u - m_centreU[i], dv = v - m_centreV[i];
        const double factor = m_weight[i] * (2.0 * HalfLog(du * du + dv * dv) + 1.0);
        gu += factor * du;
        gv += factor * dv;
    }
    gx = gu * m_invScale;
    gy = gv * m_invScale;
}

void IntelThinPlateSpline2d::SampleRow(double x0, double y, double* out, unsigned count, double dx) const
{
    if (!out || count == 0) return;
    if (!m_bValid) {
        std::fill(out, out + count, 0.0);
        return;
    }

    // Columns go in blocks that stay in L1 while every centre is added in.
    constexpr unsigned Block = 256;
    double u[Block];
    double sum[Block];
    const double v = (y - m_centreY) * m_invScale;
    const std::size_t n = m_weight.size();
    const double* centreU = m_centreU.data();
    const double* centreV = m_centreV.data();
    const double* weight = m_weight.data();

    for (unsigned start = 0; start < count; start += Block) {
        const unsigned length = std::min(Block, count - start);
        for (unsigned k = 0; k < length; ++k) {
            // Same arithmetic as Value() so both see the same coordinate.
            const double x = x0 + static_cast<double>(start + k) * dx;
            u[k] = (x - m_centreX) * m_invScale;
            sum[k] = m_affine[0] + m_affine[1] * u[k] + m_affine[2] * v;
        }
        AddCentresToRow(u, sum, length, v, centreU, centreV, weight, n);
        std::copy(sum, sum + length, out + start);
    }
}

}  // namespace Wml
