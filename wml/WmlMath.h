#pragma once
// Scalar constants and small helpers shared by the geometry types.

#include <cfloat>
#include <cmath>

namespace Wml {

template <class Real>
class Math {
public:
    static constexpr Real PI = Real(3.14159265358979323846);
    static constexpr Real TWO_PI = Real(2) * PI;
    static constexpr Real HALF_PI = Real(0.5) * PI;
    static constexpr Real DEG_TO_RAD = PI / Real(180);
    static constexpr Real RAD_TO_DEG = Real(180) / PI;
    static constexpr Real MAX_REAL = Real(FLT_MAX);
    static constexpr Real EPSILON = Real(1e-06);
    static constexpr Real ZERO_TOLERANCE = Real(1e-06);

    static Real Sqrt(Real v) { return std::sqrt(v); }
    static Real InvSqrt(Real v) { return Real(1) / std::sqrt(v); }
    static Real FAbs(Real v) { return std::fabs(v); }
    static Real Sign(Real v) { return v > Real(0) ? Real(1) : (v < Real(0) ? Real(-1) : Real(0)); }
    static Real Clamp(Real v, Real lo, Real hi) { return v < lo ? lo : (v > hi ? hi : v); }
    /// acos clamped to [-1, 1] so rounding never yields NaN.
    static Real ACos(Real v)
    {
        if (v <= Real(-1)) return PI;
        if (v >= Real(1)) return Real(0);
        return std::acos(v);
    }
    static Real ASin(Real v)
    {
        if (v <= Real(-1)) return -HALF_PI;
        if (v >= Real(1)) return HALF_PI;
        return std::asin(v);
    }
    static Real ATan2(Real y, Real x) { return std::atan2(y, x); }
};

typedef Math<float> Mathf;
typedef Math<double> Mathd;

}  // namespace Wml
