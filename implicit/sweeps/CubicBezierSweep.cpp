#include "implicit/sweeps/CubicBezierSweep.h"

#include <cmath>

namespace vynimplicit {

CubicBezierSweep::CubicBezierSweep()
{
    for (unsigned i = 0; i < 4; ++i) m_controlPoints[i] = Wml::Vector3<float>(0.0f, 0.0f, float(i) / 3.0f);
    Rebuild();
}

CubicBezierSweep::CubicBezierSweep(const Wml::Vector3<float> (&controlPoints)[4]) : CubicBezierSweep()
{
    for (unsigned i = 0; i < 4; ++i) {
        const Wml::Vector3<float>& p = controlPoints[i];
        if (std::isfinite(p.X()) && std::isfinite(p.Y()) && std::isfinite(p.Z())) m_controlPoints[i] = p;
    }
    Rebuild();
}

void CubicBezierSweep::ComputeCoefficients(const Wml::Vector3<float>* p, Wml::Vector3<float> c[4]) const
{
    // Bernstein -> power basis.
    c[0] = p[0];
    c[1] = (p[1] - p[0]) * 3.0f;
    c[2] = (p[0] - p[1] * 2.0f + p[2]) * 3.0f;
    c[3] = p[3] - p[0] + (p[1] - p[2]) * 3.0f;
}

}  // namespace vynimplicit
