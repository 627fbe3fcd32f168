#pragma once
// A soft ball: the falloff of the distance to its centre.

#include <vector>

#include "implicit/ScalarField.h"
#include "implicit/primitives/Placement.h"

namespace vynimplicit {

/// A soft ball centred on its frame's origin. The field is w(|q| * size) with
/// q the point in the frame's local coordinates and w the soft falloff, so the
/// support radius is R = 1 / size and the surface lies at 0.454202 / size
/// (0.454202 for size 1). A scaled frame stretches the ball into an ellipsoid.
class Point : public ScalarField {
public:
    /// Smallest and largest size kept; SetSize clamps into this range.
    static constexpr float MIN_SIZE = 1e-6f;
    static constexpr float MAX_SIZE = 1e6f;

    /// A point at centre with the given size (clamped as SetSize does; a
    /// non-finite size gives 1, a non-finite centre the origin).
    explicit Point(const Wml::Vector3<float>& centre = Wml::Vector3<float>::ZERO, float size = 1.0f);

    /// The reciprocal of the support radius.
    float GetSize() const { return m_size; }
    /// Sets the size, clamped to [MIN_SIZE, MAX_SIZE] (zero and negative sizes
    /// give MIN_SIZE). A non-finite size is refused: false, nothing changes.
    bool SetSize(float size);

    /// The centre, i.e. the frame's origin.
    const Wml::Vector3<float>& GetCenter() const { return m_placement.GetFrame().Origin(); }
    /// Moves the frame's origin; a non-finite centre is refused (false).
    bool SetCenter(const Wml::Vector3<float>& centre);

    const Wml::Frame3<float>& GetFrame() const { return m_placement.GetFrame(); }
    /// Replaces the placement; an unusable frame (non-finite numbers, a zero
    /// scale, degenerate axes) is refused: false, nothing changes.
    bool SetFrame(const Wml::Frame3<float>& frame) { return m_placement.SetFrame(frame); }

    using ScalarField::Gradient;
    using ScalarField::Value;
    float Value(float x, float y, float z) override;
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) override;
    /// A fixed warm grey.
    void Color(float x, float y, float z, float& r, float& g, float& b) override;
    /// The world box of the (possibly ellipsoidal) support, exact.
    void FieldBounds(Wml::AxisAlignedBox3<float>& box) override;
    /// The box of the level set at isoValue (FieldBounds for isoValue <= 0).
    void SurfaceBounds(float isoValue, Wml::AxisAlignedBox3<float>& box) override;
    /// One point of the surface, on the frame's local x axis.
    void GetSeedPoints(std::vector<Wml::Vector3<float>>& points) override;

private:
    Placement m_placement;
    float m_size = 1.0f;
};

}  // namespace vynimplicit
