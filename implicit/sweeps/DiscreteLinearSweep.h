#pragma once
// A 2D template swept straight along the z axis of a frame and capped at both
// ends: the extrusions and inflations the sketch interface makes from an
// outline.

#include <vector>

#include "implicit/ScalarField.h"
#include "implicit/ScalarField2D.h"
#include "implicit/sweeps/SweepEndcap.h"
#include "implicit/sweeps/SweepFrame.h"
#include "implicit/sweeps/TemplateSampler.h"

namespace vynimplicit {

/**
 * \brief Capped linear sweep of a 2D template.
 *
 * Geometry, in the frame's local coordinates (x, y, z):
 *  - the template's point (u, v) sits at x = radius * cropX * u,
 *    y = radius * cropY * v: radius scales the cross-section uniformly, the
 *    crop scaling factors stretch the template's domain per axis;
 *  - the body spans |z| <= half-length; the profile value is
 *    t = template(u, v) and the axial distance beyond the ends is
 *    e = |z| - half-length;
 *  - SweepEndcap turns (t, e) into the value: FlatRound and FlatSharp make a
 *    prism with flat end faces at z = +-half-length whose rim is rounded by
 *    the endcap blend angle or left sharp; the falloff length is the distance
 *    over which the field falls from 1 to 0 across an end face. Blobby
 *    inflates the outline: the thickness beyond the body grows from 0 on the
 *    outline to the falloff length where the template reaches 1, so an
 *    outline with a tiny half-length becomes a pillow whose half-thickness at
 *    the deepest point is half-length + falloff length.
 *
 * The template is not owned. Without one the value is 0 everywhere, the
 * bounds are empty and there are no seed points.
 */
class DiscreteLinearSweep : public ScalarField {
public:
    static constexpr float MIN_HALF_LENGTH = 1e-4f;
    static constexpr float MIN_RADIUS = 1e-4f;
    static constexpr float MAX_SIZE = 1e6f;

    /// No template, world frame, half-length 0.5, radius 1, crop (1, 1),
    /// FlatRound caps, falloff length 0.25, blend angle 30 degrees.
    DiscreteLinearSweep() = default;
    /// A sweep of sweepTemplate (not owned) placed by frame (an invalid frame
    /// leaves the world frame).
    DiscreteLinearSweep(ScalarField2D* sweepTemplate, const Wml::Frame3<float>& frame,
                        float halfLength = 0.5f);

    ScalarField2D* GetSweepTemplate() const { return m_template.Get(); }
    /// Null removes the template.
    void SetSweepTemplate(ScalarField2D* sweepTemplate) { m_template.Set(sweepTemplate); }

    const Wml::Frame3<float>& GetFrame() const { return m_frame.Get(); }
    /// Refuses (false, unchanged) a frame that is not valid.
    bool SetFrame(const Wml::Frame3<float>& frame) { return m_frame.Set(frame); }

    float GetHalfLength() const { return m_halfLength; }
    /// Clamped to [MIN_HALF_LENGTH, MAX_SIZE]; NaN is ignored.
    void SetHalfLength(float halfLength);

    float GetRadius() const { return m_radius; }
    /// Clamped to [MIN_RADIUS, MAX_SIZE]; NaN is ignored.
    void SetRadius(float radius);

    float GetFalloffLength() const { return m_endcap.GetFalloffLength(); }
    /// See SweepEndcap::SetFalloffLength (clamped, NaN ignored).
    void SetFalloffLength(float length) { m_endcap.SetFalloffLength(length); }

    int GetCapStyle() const { return static_cast<int>(m_endcap.GetStyle()); }
    /// 0 FlatRound, 1 Blobby, 2 FlatSharp; other values are refused (false).
    bool SetCapStyle(int style) { return m_endcap.SetStyle(style); }
    bool SetCapStyle(CapStyle style) { return m_endcap.SetStyle(static_cast<int>(style)); }

    float GetEndcapBlendAngle() const { return m_endcap.GetBlendAngle(); }
    /// Degrees, clamped to [0.001, 44.9]; NaN ignored; recomputes the blend.
    void SetEndcapBlendAngle(float degrees) { m_endcap.SetBlendAngle(degrees); }
    /// Recomputes the end-cap blend constants from the angle.
    void ComputeEndcapParams() { m_endcap.ComputeParams(); }

    /// Stretch of the template's domain along local x and y (see the class
    /// comment). Factors that are not finite or not positive are refused
    /// (false, unchanged); larger than MAX_SIZE are clamped.
    bool SetCropScalingFactors(float sx, float sy);
    void GetCropScalingFactors(float& sx, float& sy) const
    {
        sx = m_cropX;
        sy = m_cropY;
    }

    using ScalarField::Gradient;
    using ScalarField::Value;
    float Value(float x, float y, float z) override;
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) override;
    void FieldBounds(Wml::AxisAlignedBox3<float>& box) override;
    /// One point on the outline, at mid-height, per connected region of the
    /// template.
    void GetSeedPoints(std::vector<Wml::Vector3<float>>& points) override;

private:
    void UpdateScale();

    TemplateSampler m_template;
    SweepFrame m_frame;
    SweepEndcap m_endcap;
    float m_halfLength = 0.5f;
    float m_radius = 1.0f;
    float m_cropX = 1.0f, m_cropY = 1.0f;
    float m_invScaleU = 1.0f, m_invScaleV = 1.0f;  // local x, y -> template u, v
};

}  // namespace vynimplicit
