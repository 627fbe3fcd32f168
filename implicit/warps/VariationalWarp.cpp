#include "implicit/warps/VariationalWarp.h"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>

#include "wml/PGMImage.h"

namespace vynimplicit {

namespace {

// Targets closer than this (in radii) are merged before the fit.
constexpr double MERGE_DISTANCE = 1e-6;
// The ball weight a rim target is fitted with at least; smaller values
// would blow its displacement up.
constexpr double MIN_FIT_WEIGHT = 0.1;
// Depth of the displacement map's backing layer, in units of the map's extent.
constexpr float MAP_BACKING_DEPTH = 0.25f;
// Relative spread below which a direction gets no affine term.
constexpr double FLAT_TOLERANCE = 1e-6;

bool Finite(const Wml::Vector3f& v)
{
    return std::isfinite(v.X()) && std::isfinite(v.Y()) && std::isfinite(v.Z());
}

}  // namespace

VariationalWarp::VariationalWarp() = default;

bool VariationalWarp::SetWarpCenter(const Wml::Vector3f& center)
{
    if (!Finite(center)) return false;
    m_center = center;
    Fit();
    return true;
}

bool VariationalWarp::SetWarpRadius(float radius)
{
    if (!std::isfinite(radius)) return false;
    m_radius = std::min(MAX_RADIUS, std::max(MIN_RADIUS, radius));
    Fit();
    return true;
}

bool VariationalWarp::SetSmoothing(float smoothing)
{
    if (!std::isfinite(smoothing)) return false;
    m_smoothing = std::min(MAX_SMOOTHING, std::max(MIN_SMOOTHING, smoothing));
    Fit();
    return true;
}

void VariationalWarp::SetWarpPointSet(const WarpPointSet& points)
{
    m_points = points;
    Fit();
}

void VariationalWarp::WarpPointSetChanged()
{
    Fit();
}

void VariationalWarp::Fit()
{
    m_active = false;
    m_centres.clear();
    std::fill(&m_affine[0][0], &m_affine[0][0] + 9, 0.0);
    std::fill(m_offset, m_offset + 3, 0.0);
    m_maxDisplacement = 0.0f;
    if (m_points.IsIdentity()) return;

    // Work in coordinates centred on the ball and scaled by its radius.
    const double R = m_radius;
    const Eigen::Vector3d c(m_center.X(), m_center.Y(), m_center.Z());
    std::vector<Eigen::Vector3d> sites, values;
    std::vector<int> counts;
    for (unsigned int i = 0; i < m_points.GetNumPoints(); ++i) {
        const Wml::Vector3f from = m_points.GetFrom(i), to = m_points.GetTo(i);
        const Eigen::Vector3d x = (Eigen::Vector3d(to.X(), to.Y(), to.Z()) - c) / R;
        const double t = x.squaredNorm();
        if (t >= 1.0) continue;  // nothing can move out there
        const double w = std::max(MIN_FIT_WEIGHT, (1.0 - t) * (1.0 - t));
        const Eigen::Vector3d d(double(to.X()) - from.X(), double(to.Y()) - from.Y(),
                                double(to.Z()) - from.Z());
        const Eigen::Vector3d value = d / w;
        size_t j = 0;
        while (j < sites.size() && (sites[j] - x).squaredNorm() > MERGE_DISTANCE * MERGE_DISTANCE) ++j;
        if (j < sites.size()) {
            values[j] += value;
            ++counts[j];
        } else {
            sites.push_back(x);
            values.push_back(value);
            counts.push_back(1);
        }
    }
    bool anyMotion = false;
    for (size_t j = 0; j < sites.size(); ++j) {
        values[j] /= counts[j];
        if (values[j].squaredNorm() > 0.0) anyMotion = true;
    }
    if (!anyMotion) return;
    const int n = int(sites.size());

    // Affine part spanned by the principal directions the sites spread along.
    Eigen::Vector3d mean = Eigen::Vector3d::Zero();
    for (const auto& x : sites) mean += x;
    mean /= n;
    Eigen::Matrix3d scatter = Eigen::Matrix3d::Zero();
    for (const auto& x : sites) scatter += (x - mean) * (x - mean).transpose();
    Eigen::SelfAdjointEigenSolver<Eigen::Matrix3d> eigen(scatter);
    std::vector<Eigen::Vector3d> directions;
    const double largest = std::max(eigen.eigenvalues().maxCoeff(), 0.0);
    for (int k = 2; k >= 0; --k)
        if (largest > 0.0 && eigen.eigenvalues()(k) > FLAT_TOLERANCE * largest)
            directions.push_back(eigen.eigenvectors().col(k));
    const int m = 1 + int(directions.size());

    Eigen::MatrixXd A = Eigen::MatrixXd::Zero(n + m, n + m);
    Eigen::MatrixXd b = Eigen::MatrixXd::Zero(n + m, 3);
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < i; ++j) {
            const double r = (sites[i] - sites[j]).norm();
            A(i, j) = A(j, i) = r * r * r;
        }
        A(i, i) = m_smoothing;
        A(i, n) = A(n, i) = 1.0;
        for (int k = 1; k < m; ++k) A(i, n + k) = A(n + k, i) = directions[k - 1].dot(sites[i] - mean);
        b.row(i) = values[i].transpose();
    }

    Eigen::MatrixXd solution = Eigen::PartialPivLU<Eigen::MatrixXd>(A).solve(b);
    // Backward-error test: a singular system gives huge or non-finite weights.
    bool solved =
        solution.allFinite() && (A * solution - b).norm() <= 1e-8 * (A.norm() * solution.norm() + b.norm());
    if (!solved) {
        // Least-squares affine displacement: no radial part at all.
        Eigen::MatrixXd P(n, m);
        for (int i = 0; i < n; ++i) {
            P(i, 0) = 1.0;
            for (int k = 1; k < m; ++k) P(i, k) = directions[k - 1].dot(sites[i] - mean);
        }
        const Eigen::MatrixXd affine = P.colPivHouseholderQr().solve(b.topRows(n));
        solution = Eigen::MatrixXd::Zero(n + m, 3);
        solution.bottomRows(m) = affine;
        if (!solution.allFinite()) return;
    }

    // Back to world units: |x - x_i|^3 = |p - t_i|^3 / R^3.
    const double invR3 = 1.0 / (R * R * R);
    double bound = 0.0;
    m_centres.reserve(n);
    for (int i = 0; i < n; ++i) {
        const Eigen::Vector3d t = c + R * sites[i];
        const Eigen::Vector3d w = solution.row(i).transpose() * invR3;
        if (w.squaredNorm() == 0.0) continue;
        m_centres.push_back({t.x(), t.y(), t.z(), w.x(), w.y(), w.z()});
        // |p - t_i| is at most R + |t_i - c| over the ball.
        const double reach = R * (1.0 + sites[i].norm());
        bound += w.norm() * reach * reach * reach;
    }
    Eigen::Vector3d offset = solution.row(n).transpose();
    Eigen::Matrix3d linear = Eigen::Matrix3d::Zero();
    for (int k = 1; k < m; ++k) {
        const Eigen::Vector3d coefficient = solution.row(n + k).transpose();
        linear += coefficient * directions[k - 1].transpose() / R;
        offset -= coefficient * directions[k - 1].dot(mean);
    }
    for (int r = 0; r < 3; ++r) {
        m_offset[r] = offset(r);
        for (int col = 0; col < 3; ++col) m_affine[r][col] = linear(r, col);
    }
    bound += offset.norm() + linear.norm() * R;
    // Float evaluation may exceed the exact bound by a hair.
    m_maxDisplacement = float(bound * (1.0 + 1e-4) + 1e-6 * R);
    m_active = std::isfinite(m_maxDisplacement);
    if (!m_active) m_centres.clear();
}

void VariationalWarp::EvaluateInterpolant(float px, float py, float pz, float d[3], float (*dd)[3]) const
{
    const double ex = double(px) - m_center.X(), ey = double(py) - m_center.Y(),
                 ez = double(pz) - m_center.Z();
    double D[3];
    for (int r = 0; r < 3; ++r)
        D[r] = m_offset[r] + m_affine[r][0] * ex + m_affine[r][1] * ey + m_affine[r][2] * ez;
    if (dd) {
        double J[3][3];
        for (int r = 0; r < 3; ++r)
            for (int col = 0; col < 3; ++col) J[r][col] = m_affine[r][col];
        for (const Centre& c : m_centres) {
            const double x = px - c.x, y = py - c.y, z = pz - c.z;
            const double r2 = x * x + y * y + z * z;
            const double r = std::sqrt(r2);
            const double r3 = r2 * r, r3d = 3.0 * r;
            D[0] += c.wx * r3;
            D[1] += c.wy * r3;
            D[2] += c.wz * r3;
            // d|p - t|^3 / dp = 3 |p - t| (p - t)
            const double ax = r3d * c.wx, ay = r3d * c.wy, az = r3d * c.wz;
            J[0][0] += ax * x, J[0][1] += ax * y, J[0][2] += ax * z;
            J[1][0] += ay * x, J[1][1] += ay * y, J[1][2] += ay * z;
            J[2][0] += az * x, J[2][1] += az * y, J[2][2] += az * z;
        }
        for (int r = 0; r < 3; ++r)
            for (int col = 0; col < 3; ++col) dd[r][col] = float(J[r][col]);
    } else {
        for (const Centre& c : m_centres) {
            const double x = px - c.x, y = py - c.y, z = pz - c.z;
            const double r2 = x * x + y * y + z * z;
            const double r3 = r2 * std::sqrt(r2);
            D[0] += c.wx * r3;
            D[1] += c.wy * r3;
            D[2] += c.wz * r3;
        }
    }
    for (int r = 0; r < 3; ++r) d[r] = float(D[r]);
}

Wml::Vector3f VariationalWarp::Displacement(const Wml::Vector3f& p, Wml::Matrix3f* jacobian) const
{
    if (jacobian) jacobian->MakeZero();
    if (!m_active || !IsFinitePoint(p.X(), p.Y(), p.Z())) return Wml::Vector3f::ZERO;
    const Wml::Vector3f e = p - m_center;
    const float invR2 = 1.0f / (m_radius * m_radius);
    const float t = e.SquaredLength() * invR2;
    if (t >= 1.0f) return Wml::Vector3f::ZERO;
    const float w = BallWeight(t);
    float d[3], dd[3][3];
    EvaluateInterpolant(p.X(), p.Y(), p.Z(), d, jacobian ? dd : nullptr);
    if (jacobian) {
        // d(w D) = w dD + D (dw/dt) (2 e / R^2)^T
        const float dw = BallWeightDerivative(t) * 2.0f * invR2;
        for (int r = 0; r < 3; ++r)
            for (int col = 0; col < 3; ++col) (*jacobian)(r, col) = w * dd[r][col] + d[r] * dw * e[col];
    }
    return Wml::Vector3f(w * d[0], w * d[1], w * d[2]);
}

float VariationalWarp::Value(float x, float y, float z)
{
    ScalarField* child = GetWarpedChild();
    if (!child || !IsFinitePoint(x, y, z)) return 0.0f;
    if (!m_active) return child->Value(x, y, z);
    const float ex = x - m_center.X(), ey = y - m_center.Y(), ez = z - m_center.Z();
    const float t = (ex * ex + ey * ey + ez * ez) / (m_radius * m_radius);
    if (t >= 1.0f) return child->Value(x, y, z);
    const float w = BallWeight(t);
    float d[3];
    EvaluateInterpolant(x, y, z, d, nullptr);
    return child->Value(x - w * d[0], y - w * d[1], z - w * d[2]);
}

void VariationalWarp::Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value)
{
    ScalarField* child = GetWarpedChild();
    if (!child || !IsFinitePoint(x, y, z)) {
        gx = gy = gz = 0.0f;
        if (value) *value = 0.0f;
        return;
    }
    const float ex = x - m_center.X(), ey = y - m_center.Y(), ez = z - m_center.Z();
    const float invR2 = 1.0f / (m_radius * m_radius);
    const float t = (ex * ex + ey * ey + ez * ez) * invR2;
    if (!m_active || t >= 1.0f) {
        child->Gradient(x, y, z, gx, gy, gz, value);
        return;
    }
    const float w = BallWeight(t);
    float d[3], dd[3][3];
    EvaluateInterpolant(x, y, z, d, dd);
    float fx, fy, fz;
    child->Gradient(x - w * d[0], y - w * d[1], z - w * d[2], fx, fy, fz, value);
    // grad = grad f - (dE/dp)^T grad f, with dE/dp = w dD + D grad(w)^T.
    const float dw = BallWeightDerivative(t) * 2.0f * invR2;
    const float dDotF = d[0] * fx + d[1] * fy + d[2] * fz;
    gx = fx - w * (dd[0][0] * fx + dd[1][0] * fy + dd[2][0] * fz) - dw * ex * dDotF;
    gy = fy - w * (dd[0][1] * fx + dd[1][1] * fy + dd[2][1] * fz) - dw * ey * dDotF;
    gz = fz - w * (dd[0][2] * fx + dd[1][2] * fy + dd[2][2] * fz) - dw * ez * dDotF;
}

void VariationalWarp::WarpPoint(const Wml::Vector3f& p, Wml::Vector3f& q, Wml::Matrix3f* jacobian)
{
    Wml::Matrix3f dE;
    q = p - Displacement(p, jacobian ? &dE : nullptr);
    if (jacobian) *jacobian = Wml::Matrix3f() - dE;
}

void VariationalWarp::FieldBounds(Wml::AxisAlignedBox3f& box)
{
    box.MakeEmpty();
    ScalarField* child = GetWarpedChild();
    if (!child) return;
    child->FieldBounds(box);
    if (box.IsEmpty() || !m_active) return;
    // A point p of the ball shows the child at p - E(p), so it lies within
    // |E| of the child's box.
    Wml::AxisAlignedBox3f grown = box;
    grown.Dilate(m_maxDisplacement);
    const Wml::AxisAlignedBox3f ball(m_center.X() - m_radius, m_center.X() + m_radius,
                                     m_center.Y() - m_radius, m_center.Y() + m_radius,
                                     m_center.Z() - m_radius, m_center.Z() + m_radius);
    box.Merge(grown.Intersection(ball));
}

bool VariationalWarp::BuildDisplacementMap(const Wml::PGMImage& image, float boundsFactor,
                                           WarpPointSet& points) const
{
    if (image.IsEmpty() || !std::isfinite(boundsFactor) || !(boundsFactor > 0.0f)) return false;
    boundsFactor = std::min(boundsFactor, 1.0f);
    const unsigned int W = image.GetWidth(), H = image.GetHeight();
    // A grid of at most MAX_MAP_POINTS / 2 pixels with about the image's
    // aspect; a very wide image gets one row of that many, not a row of
    // thousands (the fit is cubic in the number of points).
    const unsigned int pixels = MAX_MAP_POINTS / 2;
    const unsigned int nx =
        std::min({W, pixels, std::max(1u, unsigned(std::floor(std::sqrt(double(pixels) * W / H))))});
    const unsigned int ny = std::min(H, std::max(1u, pixels / nx));
    const float extent = boundsFactor * m_radius;
    const float longest = float(std::max(W, H));
    const float hx = extent * float(W) / longest, hy = extent * float(H) / longest;

    WarpPointSet result;
    for (unsigned int j = 0; j < ny; ++j) {
        const unsigned int row = ny > 1 ? unsigned(std::lround(double(j) * (H - 1) / (ny - 1))) : H / 2;
        for (unsigned int i = 0; i < nx; ++i) {
            const unsigned int col = nx > 1 ? unsigned(std::lround(double(i) * (W - 1) / (nx - 1))) : W / 2;
            // Pixel centres; rows run from the top of the image, i.e. down in y.
            const Wml::Vector3f from(m_center.X() - hx + 2.0f * hx * (float(col) + 0.5f) / float(W),
                                     m_center.Y() + hy - 2.0f * hy * (float(row) + 0.5f) / float(H),
                                     m_center.Z());
            const Wml::Vector3f lift(0.0f, 0.0f, float(image.Get(col, row)) / 255.0f * extent);
            // Points on a sheet alone leave the interpolant free to tilt off
            // the sheet (a ramp would be fitted as a shear that squashes all
            // of space onto the plane); a backing point lifted alike keeps
            // the displacement constant along z, a true height map.
            const Wml::Vector3f backing = from - Wml::Vector3f(0.0f, 0.0f, MAP_BACKING_DEPTH * extent);
            result.AddPoint(from, from + lift);
            result.AddPoint(backing, backing + lift);
        }
    }
    points = result;
    return true;
}

bool VariationalWarp::LoadDisplacementMap(const char* pgmPath, float boundsFactor)
{
    if (!pgmPath) return false;
    Wml::PGMImage image;
    if (!image.Read(pgmPath)) return false;
    WarpPointSet points;
    if (!BuildDisplacementMap(image, boundsFactor, points)) return false;
    SetWarpPointSet(points);
    return true;
}

}  // namespace vynimplicit
