#pragma once
// A soft tube around a Bezier curve.

#include <vector>

#include "implicit/ScalarField.h"
#include "implicit/operators/BlendFunctions.h"
#include "wml/Frame3.h"

namespace vynimplicit {

/// Tube primitive around a Bezier curve of any degree (control points - 1).
/// The control points live in the frame's local coordinates, so moving,
/// turning or scaling the frame moves the whole curve; distances are measured
/// in local units and the frame's scale then stretches the tube.
///
/// The field is the falloff of the distance d to the curve, w(d / R_s) with
/// the support radius R_s = radius / FALLOFF_SURFACE_RADIUS, so the surface
/// lies at exactly `radius` from the curve. Two evaluation modes:
///  - 0, exact: d is the distance to the closest curve point, found on a
///    chord polygon of the curve (subdivision into 8 * degree pieces, at
///    least 16) and refined by Newton's method on (c(t) - q) . c'(t) = 0. The
///    gradient is continuous except on the tube's medial axis, which lies
///    inside the support only where the curve bends tighter than R_s.
///  - 1, approximated: the curve is cut into 2^level straight segments whose
///    capsule fields are folded in curve order with the smooth Barthe union
///    (blend::BartheUnion). The union's slope is tan(45deg - blend angle)
///    times sin(turn / 2) at the joint with the previous segment, which
///    rounds the crease a bend leaves on its inner side; segments in line
///    join by plain max, so a finer approximation does not pile up blend
///    bumps and converges to the exact mode.
/// The value is 0 outside FieldBounds: the box of the control polygon (which
/// holds the curve) grown by R_s and mapped to world coordinates.
class BezierCurve : public ScalarField {
public:
    static constexpr float MIN_RADIUS = 1e-4f;
    static constexpr float MAX_RADIUS = 1e4f;
    static constexpr float MIN_BLEND_ANGLE = 1e-4f;
    static constexpr float MAX_BLEND_ANGLE = 44.9f;
    static constexpr int MIN_APPROXIMATION_LEVEL = 1;
    static constexpr int MAX_APPROXIMATION_LEVEL = 10;
    /// Curves of higher degree are refused: float evaluation degrades and the
    /// evaluation keeps its control points on the stack.
    static constexpr unsigned int MAX_CONTROL_POINTS = 32;

    /// A cubic from (0, 0, 0) to (1, 0, 0) through (0.3, 0.4, 0) and
    /// (0.7, -0.4, 0), radius 0.1, blend angle 30 degrees, exact mode,
    /// approximation level 5, identity frame.
    BezierCurve();

    // ---- placement ----------------------------------------------------------

    const Wml::Frame3<float>& GetFrame() const { return m_frame; }
    /// Refuses (false, nothing changes) frames that are not valid: non-finite
    /// numbers, a zero scale or degenerate axes.
    bool SetFrame(const Wml::Frame3<float>& frame);

    // ---- control points (local coordinates) ----------------------------------

    unsigned int GetNumControlPoints() const { return static_cast<unsigned int>(m_controlPoints.size()); }
    /// Control point i in local coordinates; the zero vector when i is out of
    /// range.
    Wml::Vector3<float> GetControlPoint(unsigned int i) const;
    /// Moves control point i (local coordinates). False, nothing changed, when
    /// i is out of range or p is not finite.
    bool SetControlPoint(unsigned int i, const Wml::Vector3<float>& p);
    /// Replaces every control point (local coordinates). Refused (false) with
    /// fewer than 2 or more than MAX_CONTROL_POINTS points or a non-finite one.
    bool SetControlPoints(const std::vector<Wml::Vector3<float>>& points);
    const std::vector<Wml::Vector3<float>>& GetControlPoints() const { return m_controlPoints; }
    /// Control point i in world coordinates (zero vector when out of range).
    Wml::Vector3<float> GetWorldControlPoint(unsigned int i) const;
    /// Moves control point i to the world point p (as SetControlPoint).
    bool SetWorldControlPoint(unsigned int i, const Wml::Vector3<float>& p);

    /// The curve point at parameter t in WORLD coordinates (what the drawing
    /// code wants); t is clamped to [0, 1], NaN taken as 0.
    Wml::Vector3<float> GetPosition(float t) const;
    /// The same point in local coordinates.
    Wml::Vector3<float> GetLocalPosition(float t) const;

    // ---- shape parameters ------------------------------------------------------

    /// The surface radius: the distance from the curve to the 0.5 level.
    float GetRadius() const { return m_radius; }
    /// Clamped into [MIN_RADIUS, MAX_RADIUS]; NaN refused (false).
    bool SetRadius(float radius);

    /// Blend angle of the approximated mode, in degrees.
    float GetBlendAngle() const { return m_blendAngle; }
    /// Clamped into [MIN_BLEND_ANGLE, MAX_BLEND_ANGLE]; NaN refused (false).
    /// The blend follows at once (ComputeBartheUnionParams is called).
    bool SetBlendAngle(float degrees);
    /// Recomputes the union's constants from the blend angle: the wedge slope
    /// tan(45deg - angle). Near 45 degrees the joints stay creased, small
    /// angles round them more (and bulge the tube slightly at each joint).
    void ComputeBartheUnionParams();
    const blend::BartheBlendParams& GetBartheUnionParams() const { return m_blend; }

    /// 0 = exact distance, 1 = segments joined by the Barthe union.
    int GetEvaluationMode() const { return m_evaluationMode; }
    /// Clamped into [0, 1].
    void SetEvaluationMode(int mode);

    /// The approximated mode uses 2^level segments.
    int GetApproximationLevel() const { return m_approximationLevel; }
    /// Clamped into [MIN_APPROXIMATION_LEVEL, MAX_APPROXIMATION_LEVEL].
    void SetApproximationLevel(int level);

    /// Change flag for the owner: every setter that changes the field clears
    /// it; the owner sets it again once it has caught up.
    bool GetStatus() const { return m_status; }
    void SetStatus(bool status) { m_status = status; }

    // ---- field ------------------------------------------------------------------

    using ScalarField::Gradient;
    using ScalarField::Value;
    float Value(float x, float y, float z) override;
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) override;
    void FieldBounds(Wml::AxisAlignedBox3<float>& box) override;
    /// A point on the tube's surface beside the middle of the curve.
    void GetSeedPoints(std::vector<Wml::Vector3<float>>& points) override;

private:
    /// A straight piece with its squared length's reciprocal.
    struct Segment {
        Wml::Vector3<float> origin, direction;
        float inverseLength2 = 0.0f;  // 0 for a degenerate piece
        float bend = 0.0f;            // sin(turn / 2) at the joint with the previous piece
    };
    /// Consecutive segments with their common box grown by R_s.
    struct Block {
        unsigned int begin = 0, end = 0;
        Wml::AxisAlignedBox3<float> box;
    };

    /// c(t), c'(t), c''(t) by de Casteljau (local coordinates).
    void EvaluateCurve(float t, Wml::Vector3<float>& c, Wml::Vector3<float>* d1,
                       Wml::Vector3<float>* d2) const;
    /// Cuts [0, 1] into count equal pieces.
    void BuildSegments(unsigned int count, std::vector<Segment>& segments) const;
    void BuildBlocks(const std::vector<Segment>& segments, std::vector<Block>& blocks) const;
    /// Recomputes everything derived from the control points, radius and level.
    void Rebuild();
    void Changed() { m_status = false; }

    /// Field at local point q; the local gradient when gradient is not null.
    float EvaluateExact(const Wml::Vector3<float>& q, Wml::Vector3<float>* gradient) const;
    float EvaluateSegments(const Wml::Vector3<float>& q, Wml::Vector3<float>* gradient) const;
    float EvaluateLocal(const Wml::Vector3<float>& q, Wml::Vector3<float>* gradient) const;
    /// Newton refinement of the closest parameter within [lo, hi]; returns
    /// the squared distance and writes the closest point.
    float RefineClosest(const Wml::Vector3<float>& q, float t, float lo, float hi,
                        Wml::Vector3<float>& closest) const;

    Wml::Frame3<float> m_frame;
    Wml::Matrix3<float> m_worldToLocal;     // diag(1/s) R^-T: q = A (p - o)
    Wml::Matrix3<float> m_gradientToWorld;  // A^T
    std::vector<Wml::Vector3<float>> m_controlPoints;
    float m_radius = 0.1f;
    float m_supportRadius = 0.0f;
    float m_inverseSupport2 = 0.0f;
    float m_blendAngle = 30.0f;
    blend::BartheBlendParams m_blend;
    int m_evaluationMode = 0;
    int m_approximationLevel = 5;
    bool m_status = false;

    Wml::AxisAlignedBox3<float> m_localBounds;  // control polygon's box grown by R_s
    std::vector<Segment> m_chords;              // exact mode: the subdivision
    float m_chordError = 0.0f;                  // how far the curve strays from its chords
    std::vector<Segment> m_segments;            // approximated mode
    std::vector<Block> m_segmentBlocks;
};

}  // namespace vynimplicit
