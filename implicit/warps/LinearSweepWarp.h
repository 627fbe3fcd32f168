#pragma once
// Bends space along a 2D path: a straight sweep becomes the path's profile.

#include <vector>

#include "implicit/warps/SpaceWarp.h"
#include "wml/Frame3.h"
#include "wml/Vector2.h"

namespace vynimplicit {

/// Offsets space sideways by a profile path, inside a warp ball.
///
/// Axis convention: the path lies in the local xy plane of the frame
/// (default: the world axes). A path point (a, b) says that at local x = a
/// space is moved by b along the local y axis (local units, so the frame's
/// scale applies). Between path points the offset follows a Catmull-Rom
/// cubic (slopes from the neighbouring points, one-sided at the ends), past
/// the ends it continues along the end slopes, so it is C^1 everywhere.
///
///     value(p) = child(p - w(p) o(x(p)) Y),  w(p) = (1 - |p - c|^2 / R^2)^2 inside the ball,
///
/// with x(p) the local x of p, o the offset and Y the frame's scaled y axis.
/// A straight sweep along x thus takes the path's shape inside the ball and
/// fades back to straight at its rim; nothing moves outside the ball. An
/// empty path or one whose offsets are all 0 is exactly the child.
class LinearSweepWarp : public SpaceWarp {
public:
    static constexpr float MIN_RADIUS = 1e-4f, MAX_RADIUS = 1e4f;
    static constexpr unsigned int MAX_PATH_POINTS = 1000;

    /// Empty path, identity frame, ball of radius 1 at the origin.
    LinearSweepWarp();

    const std::vector<Wml::Vector2f>& GetPath() const { return m_path; }
    /// Sets the path (a, b) pairs. The points are sorted by a, and a point
    /// closer than 1e-6 in a to the previous one is dropped. Refused (false,
    /// path unchanged) when a coordinate is not finite or there are more than
    /// MAX_PATH_POINTS points.
    bool SetPath(const std::vector<Wml::Vector2f>& path);

    const Wml::Frame3f& GetFrame() const { return m_frame; }
    /// The frame holding the path; refused (false) when it is not valid.
    bool SetFrame(const Wml::Frame3f& frame);

    const Wml::Vector3f& GetWarpBallCenter() const { return m_center; }
    /// False (unchanged) for non-finite input.
    bool SetWarpBallCenter(const Wml::Vector3f& center);
    float GetWarpBallRadius() const { return m_radius; }
    /// Clamped to [MIN_RADIUS, MAX_RADIUS]; false (unchanged) for NaN or infinity.
    bool SetWarpBallRadius(float radius);

    /// The path's offset at local x = a, and its slope d offset / d a.
    float PathOffset(float a, float* slope = nullptr) const;
    /// True when the offset is 0 everywhere.
    bool IsIdentity() const { return !m_active; }

    // Keep the Vector3 helpers of ScalarField visible next to the overrides.
    using SpaceWarp::Gradient;
    using SpaceWarp::Value;
    float Value(float x, float y, float z) final;
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) final;
    /// The child's bounds, stretched inside the ball along the offset axis by
    /// the extreme offsets the path takes across the ball.
    void FieldBounds(Wml::AxisAlignedBox3f& box) override;
    void WarpPoint(const Wml::Vector3f& p, Wml::Vector3f& q, Wml::Matrix3f* jacobian) override;

private:
    void Update();

    std::vector<Wml::Vector2f> m_path;
    std::vector<float> m_slopes;  // Catmull-Rom slope at each path point
    Wml::Frame3f m_frame;
    Wml::Vector3f m_center;
    float m_radius = 1.0f;

    bool m_active = false;
    Wml::Vector3f m_axis;       // gradient of the local x: the frame map's first row
    Wml::Vector3f m_direction;  // world vector of one local unit along y
    Wml::Vector3f m_origin;
};

}  // namespace vynimplicit
