#pragma once
// The classic global deformations (twist, taper, bend) about the z axis of a
// frame, applied to the evaluation point.

#include "implicit/warps/SpaceWarp.h"
#include "wml/Frame3.h"

namespace vynimplicit {

/// Twists, tapers or bends its first child about the local z axis of a frame
/// (default: the world axes at the origin). Every formula below is in the
/// frame's local coordinates (x, y, z), scale included; the field is
/// value(p) = child(g(p)) with g the back map of the mode:
///
///  - Twist (mode 0): the child turns by theta = rate * z about the z axis
///    (right-handed, counter-clockwise seen from +z for a positive rate);
///    g rotates (x, y) by -theta.
///  - Taper (mode 1): the child's x and y are scaled by s(z), the straight
///    line through (zStart, startScale) and (zEnd, endScale), extended past
///    the range and kept above MIN_TAPER_SCALE by a C^1 rounded floor;
///    g divides x and y by s(z).
///  - Bend (mode 2): the z axis is bent towards +x (towards -x for a negative
///    curvature) into a circular arc of curvature k, the height zCentre
///    staying in place. Only the part between zMin and zMax bends; beyond it
///    the child continues straight along the arc's end tangent. The ends of
///    the range are rounded over a tenth of its length so that the field
///    stays C^1 (the textbook bend has creases there). When the child reaches
///    past the centre of curvature (x >= 1/k) space folds and the field is
///    discontinuous behind that centre; keep 1/k larger than the child's reach.
///
/// A twist rate of 0, a taper whose scales are both 1 and a bend of curvature
/// below 1e-6 are exactly the child. Setters refuse NaN and infinities (they
/// answer false and change nothing); finite values are clamped as documented
/// on each setter.
class BarrWarp : public SpaceWarp {
public:
    enum Mode { TWIST = 0, TAPER = 1, BEND = 2 };

    /// Smallest scale a taper applies, so that g never divides by zero.
    static constexpr float MIN_TAPER_SCALE = 0.05f;
    /// Largest twist rate (radians per unit length) and curvature accepted.
    static constexpr float MAX_RATE = 1000.0f;
    /// Positions along z are clamped to +-MAX_POSITION.
    static constexpr float MAX_POSITION = 1e6f;
    /// Curvatures of smaller magnitude leave the child unbent.
    static constexpr float MIN_CURVATURE = 1e-6f;

    /// A warp in the given mode with identity parameters; an invalid mode
    /// gives a twist.
    explicit BarrWarp(int mode = TWIST);

    int GetMode() const { return m_mode; }
    /// 0 twist, 1 taper, 2 bend; false (mode unchanged) for any other value.
    bool SetMode(int mode);

    const Wml::Frame3f& GetFrame() const { return m_frame; }
    /// The frame whose z axis the deformation follows. Refused (false) when
    /// the frame is not valid (non-finite, zero scale, degenerate axes).
    bool SetFrame(const Wml::Frame3f& frame);

    float GetTwistRate() const { return m_twistRate; }
    /// Radians of turn per unit of local z, clamped to +-MAX_RATE.
    bool SetTwistRate(float radiansPerUnit);

    float GetTaperStart() const { return m_taperZStart; }
    float GetTaperEnd() const { return m_taperZEnd; }
    /// The local heights at which the start and end scales apply (clamped to
    /// +-MAX_POSITION). Refused when they are less than 1e-6 apart.
    bool SetTaperRange(float zStart, float zEnd);
    float GetTaperStartScale() const { return m_taperScaleStart; }
    float GetTaperEndScale() const { return m_taperScaleEnd; }
    /// Scales at the start and end of the taper range, clamped to [0, 100]
    /// (the applied scale never drops below MIN_TAPER_SCALE).
    bool SetTaperScales(float startScale, float endScale);
    /// The scale s(z) the taper applies at local height z and ds/dz.
    float TaperScale(float z, float* derivative = nullptr) const;

    float GetBendCurvature() const { return m_bendCurvature; }
    /// Curvature 1/radius of the bent axis, clamped to +-MAX_RATE; positive
    /// bends towards +x.
    bool SetBendCurvature(float curvature);
    float GetBendCentre() const { return m_bendCentre; }
    /// The local height that stays in place (clamped to +-MAX_POSITION);
    /// normally inside the bend range.
    bool SetBendCentre(float z);
    float GetBendMin() const { return m_bendMin; }
    float GetBendMax() const { return m_bendMax; }
    /// The local z range that bends (clamped to +-MAX_POSITION, swapped when
    /// given in decreasing order). An empty range bends nothing.
    bool SetBendRange(float zMin, float zMax);

    /// True when the current mode and parameters leave the child unchanged.
    bool IsIdentity() const;

    // Keep the Vector3 helpers of ScalarField visible next to the overrides.
    using SpaceWarp::Gradient;
    using SpaceWarp::Value;
    float Value(float x, float y, float z) final;
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) final;
    /// Twist: the child's box swept about the axis (a cylinder's box);
    /// taper: the child's box scaled by the largest and smallest scale over
    /// its height; bend: a bound of the bent box built piece by piece along
    /// the arc. Empty without a child.
    void FieldBounds(Wml::AxisAlignedBox3f& box) override;
    void WarpPoint(const Wml::Vector3f& p, Wml::Vector3f& q, Wml::Matrix3f* jacobian) override;

private:
    // Back map in local coordinates; jacobian (d out / d in) when not null.
    void LocalMap(const Wml::Vector3f& in, Wml::Vector3f& out, float (*jacobian)[3]) const;
    void BendBounds(const Wml::AxisAlignedBox3f& local, Wml::AxisAlignedBox3f& out) const;

    int m_mode = TWIST;
    Wml::Frame3f m_frame;
    LocalFrameMap m_map;
    float m_twistRate = 0.0f;
    float m_taperZStart = 0.0f, m_taperZEnd = 1.0f;
    float m_taperScaleStart = 1.0f, m_taperScaleEnd = 1.0f;
    float m_bendCurvature = 0.0f;
    float m_bendCentre = 0.0f;
    float m_bendMin = -1.0f, m_bendMax = 1.0f;
};

}  // namespace vynimplicit
