#pragma once
// A 2D template spun about the y axis of a frame: vases, bowls, tori.

#include <vector>

#include "implicit/ScalarField.h"
#include "implicit/ScalarField2D.h"
#include "implicit/sweeps/SweepFrame.h"
#include "implicit/sweeps/TemplateSampler.h"

namespace vynimplicit {

/**
 * \brief Surface of revolution of a 2D template.
 *
 * The template's u axis is the distance from the frame's y axis and its v
 * axis the height along it: a local point (x, y, z) reads the template at
 * u = +-sqrt(x^2 + z^2) / radius, v = y / radius (radius scales the whole
 * profile). The evaluation mode decides what happens to the two halves of
 * the template either side of u = 0:
 *  - 0 Union: both halves are revolved and united, max(T(u, v), T(-u, v)),
 *    so an outline drawn across the axis turns as a whole (a disc centred on
 *    the axis becomes a ball). Where the two halves disagree the union has a
 *    crease, as the geometry does.
 *  - 1 RightHalf: only the u >= 0 half, T(u, v).
 *  - 2 LeftHalf: only the u <= 0 half, T(-u, v).
 *  - 3 Average: (T(u, v) + T(-u, v)) / 2, even in u and therefore smooth
 *    on the axis for any template; it equals the union where the halves
 *    agree and approximates it elsewhere.
 * The template is not owned; without one the value is 0 and the bounds are
 * empty.
 */
class DiscreteRevolution : public ScalarField {
public:
    enum EvaluationMode { Union = 0, RightHalf = 1, LeftHalf = 2, Average = 3 };
    static constexpr float MIN_RADIUS = 1e-4f;
    static constexpr float MAX_RADIUS = 1e6f;

    /// No template, world frame, radius 1, Union mode.
    DiscreteRevolution() = default;
    /// Revolution of profile (not owned) placed by frame (an invalid frame
    /// leaves the world frame).
    DiscreteRevolution(ScalarField2D* profile, const Wml::Frame3<float>& frame);

    ScalarField2D* GetSweepTemplate() const { return m_template.Get(); }
    void SetSweepTemplate(ScalarField2D* profile) { m_template.Set(profile); }

    const Wml::Frame3<float>& GetFrame() const { return m_frame.Get(); }
    /// Refuses (false, unchanged) a frame that is not valid.
    bool SetFrame(const Wml::Frame3<float>& frame) { return m_frame.Set(frame); }

    float GetRadius() const { return m_radius; }
    /// Clamped to [MIN_RADIUS, MAX_RADIUS]; NaN is ignored.
    void SetRadius(float radius);

    int GetEvaluationMode() const { return m_mode; }
    /// 0 to 3 (see the class comment); other values are refused (false).
    bool SetEvaluationMode(int mode);

    using ScalarField::Gradient;
    using ScalarField::Value;
    float Value(float x, float y, float z) override;
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) override;
    void FieldBounds(Wml::AxisAlignedBox3<float>& box) override;
    /// One point per connected region of the revolved profile, in the local
    /// xy plane (x >= 0).
    void GetSeedPoints(std::vector<Wml::Vector3<float>>& points) override;

private:
    // Largest |u| at which the mode can see a non-zero template value;
    // negative when nothing can be.
    float ProfileReach(const Wml::AxisAlignedBox2<float>& t) const;
    // The mode's profile value at distance u >= 0 and height v.
    float Profile(float u, float v) const;
    float Profile(float u, float v, float& gu, float& gv) const;

    TemplateSampler m_template;
    SweepFrame m_frame;
    float m_radius = 1.0f;
    int m_mode = Union;
};

}  // namespace vynimplicit
