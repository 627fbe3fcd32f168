#pragma once
// The sketch's implicit curve: a regularised thin-plate fit through value
// points, evaluated as a 2D scalar field.

#include <string>

#include "implicit/ScalarField2D.h"

namespace Wml {
class IntelThinPlateSpline2d;
}

namespace vynsketch {

class PointSet;

/**
 * \brief A 2D field given by a thin-plate spline fitted to a PointSet.
 *
 * Unlike the templates of the implicit library this field is not confined to
 * [0, 1]: it takes whatever values the fit produces (the stroke factory fits
 * -1 / 0 / 1, the outline builders values around 0.45). Without a fit every
 * value is 2^-126 (the smallest normal float) and every gradient zero.
 *
 * Copies hold their own copy of the spline, so a copy and its source can be
 * refitted or destroyed independently.
 */
class SketchField : public vynimplicit::ScalarField2D {
public:
    /// The value answered while no fit is held.
    static constexpr float NO_FIT_VALUE = 1.17549435e-38f;

    SketchField() = default;
    SketchField(const SketchField& other);
    SketchField& operator=(const SketchField& other);
    ~SketchField() override;

    /**
     * \brief Fits the field through the points, in set order.
     * With uniformSmoothing every point gets \p smoothing; otherwise each its
     * own smoothing value. Smoothing values are regularisation weights for
     * coordinates measured in units of \p smoothingUnit: the same values
     * smooth a drawing scaled by k alike when the unit is scaled by k too
     * (the fit uses value * unit^2 in the points' own coordinates). Any
     * previous fit is released first. False (no fit held) when the fit
     * fails: too few or collinear points, non-finite input, a unit that is
     * not positive and finite, or an ill-conditioned system.
     */
    bool GenerateSketchField(PointSet& points, bool uniformSmoothing, double smoothing,
                             double smoothingUnit = 1.0);

    /// True while a fit is held.
    bool HasFit() const { return m_spline != nullptr; }
    /// Drops the fit.
    void Clear();

    float Value(float x, float y) override;
    void Gradient(float x, float y, float& gx, float& gy) override;
    /// Leaves the box unchanged: the fit extends over the whole plane.
    void FieldBounds(Wml::AxisAlignedBox2<float>& box) override;
    std::string GetTypeName() const override { return "SketchField"; }

    /// Values at (x0 + k dx, y), k < count, into out[k]; nothing without a fit.
    void SampleRow(double x0, double y, double* out, unsigned count, float dx) const;

    /// The fitted spline, or null.
    const Wml::IntelThinPlateSpline2d* GetSpline() const { return m_spline; }

private:
    Wml::IntelThinPlateSpline2d* m_spline = nullptr;
};

}  // namespace vynsketch
