#pragma once
// Curve sweep along a cubic Bezier curve.

#include "implicit/sweeps/CurveSweep.h"

namespace vynimplicit {

/**
 * \brief CurveSweep whose path is the cubic Bezier curve of 4 control
 * points (local coordinates of the sweep's frame).
 */
class CubicBezierSweep : public CurveSweep {
public:
    /// A straight path from (0, 0, 0) to (0, 0, 1), evenly spaced points.
    CubicBezierSweep();
    /// The given control points; a non-finite one keeps its default.
    explicit CubicBezierSweep(const Wml::Vector3<float> (&controlPoints)[4]);

    unsigned GetNumControlPoints() const override { return 4; }

protected:
    void ComputeCoefficients(const Wml::Vector3<float>* p, Wml::Vector3<float> c[4]) const override;
};

}  // namespace vynimplicit
