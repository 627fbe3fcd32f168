#pragma once
// Several soft tubes around 3D curves, blended into one shape.

#include <vector>

#include "implicit/ScalarField.h"
#include "implicit/primitives/PolyLinePrimitive.h"

namespace vynimplicit {

/// A set of curves, each a polyline in world coordinates with its own surface
/// radius, evaluated as a PolyLinePrimitive (open, no taper). The curves are
/// blended by summing their fields, so crossing or touching curves merge with
/// a fillet; the sum S is saturated smoothly so that the value stays in
/// [0, 1] with a continuous gradient: v = S for S <= 0.75,
/// v = S - (S - 0.75)^2 up to S = 1.25, then 1. Below 0.75 (the surface
/// included) the sum is untouched. The set cannot be moved: its frame is
/// always the identity.
class CurveSet : public ScalarField {
public:
    CurveSet() = default;

    /// Adds a curve through points with the given surface radius (clamped as
    /// PolyLinePrimitive::SetRadius does). Non-finite points are skipped.
    /// Refused (false, nothing added) when no finite point remains or the
    /// radius is NaN.
    bool AddCurve(const std::vector<Wml::Vector3<float>>& points, float radius);
    unsigned int GetNumCurves() const { return static_cast<unsigned int>(m_curves.size()); }
    /// The points of curve i as stored (an empty list when i is out of range).
    const std::vector<Wml::Vector3<float>>& GetCurve(unsigned int i) const;
    /// Surface radius of curve i (0 when i is out of range).
    float GetCurveRadius(unsigned int i) const;
    void ClearCurves();

    /// Always the identity frame.
    const Wml::Frame3<float>& GetFrame() const;
    /// A curve set cannot be moved: always false, nothing changes.
    bool SetFrame(const Wml::Frame3<float>& frame);

    using ScalarField::Gradient;
    using ScalarField::Value;
    float Value(float x, float y, float z) override;
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) override;
    /// A fixed clay colour.
    void Color(float x, float y, float z, float& r, float& g, float& b) override;
    /// Union of the curves' bounds; empty without curves.
    void FieldBounds(Wml::AxisAlignedBox3<float>& box) override;
    /// Union of the curves' bounds at the level isoValue / (number of curves):
    /// a sum of n curves reaches isoValue only where one of them reaches
    /// isoValue / n.
    void SurfaceBounds(float isoValue, Wml::AxisAlignedBox3<float>& box) override;
    /// One seed per curve.
    void GetSeedPoints(std::vector<Wml::Vector3<float>>& points) override;

private:
    std::vector<PolyLinePrimitive> m_curves;
};

}  // namespace vynimplicit
