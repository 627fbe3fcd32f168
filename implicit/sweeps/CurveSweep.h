#pragma once
// A 2D profile swept along a space curve, the profile kept upright by a
// rotation-minimising frame. Concrete curves (cubic and quadratic Bezier)
// derive from it.

#include <array>
#include <vector>

#include "implicit/ScalarField.h"
#include "implicit/ScalarField2D.h"
#include "implicit/sweeps/SweepEndcap.h"
#include "implicit/sweeps/SweepFrame.h"
#include "implicit/sweeps/TemplateSampler.h"

namespace vynimplicit {

/**
 * \brief Sweep of a profile template along a polynomial curve C(t), t in [0, 1].
 *
 * The control points are in the frame's local coordinates. A point q is
 * referred to its closest curve point C(t*): with the profile frame
 * (T, N, B) there, the template is read at u = (q - C).N / radius,
 * v = (q - C).B / radius. The profile frame is rotation-minimising (no twist
 * about the tangent): at the start N is the local x axis made perpendicular
 * to the start tangent (the local y axis when x is nearly along it), turned
 * about the tangent by the start rotation; B = T x N. Along the curve the
 * frame is carried by minimal rotations between NUM_SEGMENTS + 1 tabulated
 * tangents and interpolated in between the same way, so it is continuous.
 * A straight curve along +z therefore reads the template exactly as a
 * DiscreteLinearSweep does.
 *
 * The body spans the curve's arc length; the ends are closed by SweepEndcap
 * with the axial distance e = distance beyond an end plane (through the end
 * point, normal to the end tangent) or, inside, minus the arc length to the
 * nearer end. Cap style, falloff length and blend angle mean what they mean
 * for the linear sweep.
 *
 * Evaluation modes: 0 finds the exact closest point (search over the
 * tabulated points, pruned by bounding spheres, then safeguarded Newton
 * iterations); 1 takes the closest point on the tabulated polyline segments
 * next to the nearest tabulated point instead, which skips the iterations
 * and the arc-length quadrature but leaves faint creases where the polyline
 * bends.
 *
 * The template is not owned; without one the value is 0 and the bounds are
 * empty.
 */
class CurveSweep : public ScalarField {
public:
    enum EvaluationMode { ExactClosestPoint = 0, PolylineApproximation = 1 };
    static constexpr unsigned NUM_SEGMENTS = 64;
    static constexpr unsigned MAX_CONTROL_POINTS = 4;
    static constexpr float MIN_RADIUS = 1e-4f;
    static constexpr float MAX_RADIUS = 1e6f;

    virtual unsigned GetNumControlPoints() const = 0;
    /// Control point i in local coordinates; the zero vector out of range.
    Wml::Vector3<float> GetControlPoint(unsigned i) const;
    /// Moves control point i (local coordinates). False (unchanged) for an
    /// index out of range or a non-finite point.
    bool SetControlPoint(unsigned i, const Wml::Vector3<float>& p);
    /// World position of the curve at t (clamped to [0, 1]; NaN counts as 0).
    Wml::Vector3<float> GetPosition(float t) const;
    /// Arc length of the curve in local units.
    float GetLength() const { return m_arc[NUM_SEGMENTS]; }

    ScalarField2D* GetSweepTemplate() const { return m_template.Get(); }
    void SetSweepTemplate(ScalarField2D* profile) { m_template.Set(profile); }

    const Wml::Frame3<float>& GetFrame() const { return m_frame.Get(); }
    /// Refuses (false, unchanged) a frame that is not valid.
    bool SetFrame(const Wml::Frame3<float>& frame) { return m_frame.Set(frame); }

    float GetRadius() const { return m_radius; }
    /// Profile scale, clamped to [MIN_RADIUS, MAX_RADIUS]; NaN is ignored.
    void SetRadius(float radius);

    /// Roll of the profile about the start tangent, degrees in [0, 360).
    float GetStartRotation() const { return m_startRotation; }
    /// Any finite angle, wrapped into [0, 360); NaN and infinities ignored.
    void SetStartRotation(float degrees);

    float GetFalloffLength() const { return m_endcap.GetFalloffLength(); }
    void SetFalloffLength(float length) { m_endcap.SetFalloffLength(length); }
    int GetCapStyle() const { return static_cast<int>(m_endcap.GetStyle()); }
    /// 0 FlatRound, 1 Blobby, 2 FlatSharp; other values are refused (false).
    bool SetCapStyle(int style) { return m_endcap.SetStyle(style); }
    float GetEndcapBlendAngle() const { return m_endcap.GetBlendAngle(); }
    /// Degrees, clamped to [0.001, 44.9]; NaN ignored; recomputes the blend.
    void SetEndcapBlendAngle(float degrees) { m_endcap.SetBlendAngle(degrees); }
    void ComputeEndcapParams() { m_endcap.ComputeParams(); }

    int GetEvaluationMode() const { return m_mode; }
    /// 0 or 1; other values are refused (false).
    bool SetEvaluationMode(int mode);

    using ScalarField::Gradient;
    using ScalarField::Value;
    float Value(float x, float y, float z) override;
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) override;
    void FieldBounds(Wml::AxisAlignedBox3<float>& box) override;
    /// The template's outline placed across the middle of the curve.
    void GetSeedPoints(std::vector<Wml::Vector3<float>>& points) override;

protected:
    /// Radius 1, no template, FlatRound caps; derived classes set their
    /// control points and call Rebuild().
    CurveSweep() = default;

    /// Power-basis coefficients c0..c3 of C(t) = c0 + c1 t + c2 t^2 + c3 t^3
    /// from the GetNumControlPoints() control points.
    virtual void ComputeCoefficients(const Wml::Vector3<float>* controlPoints,
                                     Wml::Vector3<float> coefficients[4]) const = 0;
    /// Recomputes the coefficients, the tables and the bounds.
    void Rebuild();

    Wml::Vector3<float> m_controlPoints[MAX_CONTROL_POINTS];

private:
    struct Closest;
    bool Evaluate(const float q[3], bool wantGradient, float& value, float g[3]) const;
    // Distances from q to the group spheres; false when every group is
    // farther than reach. first is the group whose centre is nearest.
    bool GroupDistances(const float q[3], float reach, float distance[], unsigned& first) const;
    // Index of the tabulated point nearest to q; false when q is out of reach.
    bool NearestSample(const float q[3], float reach, unsigned& best) const;
    bool FindExact(const float q[3], float reach, Closest& c) const;
    bool FindOnPolyline(const float q[3], float reach, Closest& c) const;
    void Curve(float t, float p[3], float d1[3], float d2[3]) const;
    float Speed(float t) const;
    void Tangent(unsigned index, float t, const float d1[3], float out[3]) const;
    void BuildTables();

    TemplateSampler m_template;
    SweepFrame m_frame;
    SweepEndcap m_endcap;
    float m_radius = 1.0f;
    float m_startRotation = 0.0f;
    int m_mode = ExactClosestPoint;

    float m_coef[4][3] = {};
    float m_extent = 0.0f;  // size of the control polygon
    // Tabulated at t_i = i / NUM_SEGMENTS.
    using Table3 = std::array<std::array<float, 3>, NUM_SEGMENTS + 1>;
    Table3 m_pos{}, m_tan{}, m_nrm{};
    std::array<float, NUM_SEGMENTS + 1> m_arc{};      // arc length of the curve up to t_i
    std::array<float, NUM_SEGMENTS + 1> m_polyArc{};  // length of the polyline up to t_i
    // Bounding spheres (centre, radius) of runs of GROUP_SIZE segments, so
    // the closest-point searches skip the far parts of the curve.
    static constexpr unsigned GROUP_SIZE = 8;
    static constexpr unsigned NUM_GROUPS = NUM_SEGMENTS / GROUP_SIZE;
    std::array<std::array<float, 4>, NUM_GROUPS> m_groups{};
    Wml::AxisAlignedBox3<float> m_curveBox;  // box of the control points
};

}  // namespace vynimplicit
