#include "implicit/sweeps/QuadraticBezierSweep.h"

#include <cmath>

namespace vynimplicit {

QuadraticBezierSweep::QuadraticBezierSweep()
{
    for (unsigned i = 0; i < 3; ++i) m_controlPoints[i] = Wml::Vector3<float>(0.0f, 0.0f, float(i) / 2.0f);
    Rebuild();
}

QuadraticBezierSweep::QuadraticBezierSweep(const Wml::Vector3<float> (&controlPoints)[3])
    : QuadraticBezierSweep()
{
    for (unsigned i = 0; i < 3; ++i) {
        const Wml::Vector3<float>& p = controlPoints[i];
        if (std::isfinite(p.X()) && std::isfinite(p.Y()) && std::isfinite(p.Z())) m_controlPoints[i] = p;
    }
    Rebuild();
}

void QuadraticBezierSweep::ComputeCoefficients(const Wml::Vector3<float>* p, Wml::Vector3<float> c[4]) const
{
    // Bernstein -> power basis.
    c[0] = p[0];
    c[1] = (p[1] - p[0]) * 2.0f;
    c[2] = p[0] - p[1] * 2.0f + p[2];
    c[3] = Wml::Vector3<float>::ZERO;
}

}  // namespace vynimplicit
