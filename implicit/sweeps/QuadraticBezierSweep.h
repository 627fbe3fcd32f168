#pragma once
// Curve sweep along a quadratic Bezier curve.

#include "implicit/sweeps/CurveSweep.h"

namespace vynimplicit {

/**
 * \brief CurveSweep whose path is the quadratic Bezier curve of 3 control
 * points (local coordinates of the sweep's frame).
 */
class QuadraticBezierSweep : public CurveSweep {
public:
    /// A straight path from (0, 0, 0) to (0, 0, 1), evenly spaced points.
    QuadraticBezierSweep();
    /// The given control points; a non-finite one keeps its default.
    explicit QuadraticBezierSweep(const Wml::Vector3<float> (&controlPoints)[3]);

    unsigned GetNumControlPoints() const override { return 3; }

protected:
    void ComputeCoefficients(const Wml::Vector3<float>* p, Wml::Vector3<float> c[4]) const override;
};

}  // namespace vynimplicit
