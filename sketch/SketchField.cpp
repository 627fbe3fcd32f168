#include "sketch/SketchField.h"

#include <cmath>
#include <vector>

#include "sketch/PointSet.h"
#include "wml/IntelThinPlateSpline2d.h"

namespace vynsketch {

SketchField::SketchField(const SketchField& other)
    : ScalarField2D(other),
      m_spline(other.m_spline ? new Wml::IntelThinPlateSpline2d(*other.m_spline) : nullptr)
{
}

SketchField& SketchField::operator=(const SketchField& other)
{
    if (this == &other) return *this;
    ScalarField2D::operator=(other);
    Wml::IntelThinPlateSpline2d* copy =
        other.m_spline ? new Wml::IntelThinPlateSpline2d(*other.m_spline) : nullptr;
    delete m_spline;
    m_spline = copy;
    return *this;
}

SketchField::~SketchField()
{
    delete m_spline;
}

void SketchField::Clear()
{
    delete m_spline;
    m_spline = nullptr;
}

bool SketchField::GenerateSketchField(PointSet& points, bool uniformSmoothing, double smoothing,
                                      double smoothingUnit)
{
    Clear();
    if (!(smoothingUnit > 0.0) || !std::isfinite(smoothingUnit * smoothingUnit)) return false;
    // The fit reads smoothing in the points' own units, and its effect
    // scales with length squared.
    const double weightScale = smoothingUnit * smoothingUnit;

    const PointSet::PointList& list = points.GetPoints();
    const size_t count = list.size();
    // The spline refuses more points than it can solve for; do not narrow a
    // larger count into something it would accept.
    if (count == 0 || count > Wml::IntelThinPlateSpline2d::MaxPoints) return false;

    std::vector<double> x, y, value, weights;
    x.reserve(count);
    y.reserve(count);
    value.reserve(count);
    if (!uniformSmoothing) weights.reserve(count);
    for (const PointSet::Point& p : list) {
        x.push_back(p.position.X());
        y.push_back(p.position.Y());
        value.push_back(p.value);
        if (!uniformSmoothing) weights.push_back(p.smoothing * weightScale);
    }
    const unsigned n = static_cast<unsigned>(count);
    Wml::IntelThinPlateSpline2d* spline =
        uniformSmoothing
            ? new Wml::IntelThinPlateSpline2d(n, x.data(), y.data(), value.data(), smoothing * weightScale)
            : new Wml::IntelThinPlateSpline2d(n, x.data(), y.data(), value.data(), weights.data());
    if (!spline->IsValid()) {
        delete spline;
        return false;
    }
    m_spline = spline;
    return true;
}

float SketchField::Value(float x, float y)
{
    if (!m_spline) return NO_FIT_VALUE;
    return static_cast<float>(m_spline->Value(x, y));
}

void SketchField::Gradient(float x, float y, float& gx, float& gy)
{
    if (!m_spline) {
        gx = gy = 0.0f;
        return;
    }
    double dx = 0.0, dy = 0.0;
    m_spline->Gradient(x, y, dx, dy);
    gx = static_cast<float>(dx);
    gy = static_cast<float>(dy);
}

void SketchField::FieldBounds(Wml::AxisAlignedBox2<float>& /*box*/) {}

void SketchField::SampleRow(double x0, double y, double* out, unsigned count, float dx) const
{
    if (!m_spline || !out) return;
    m_spline->SampleRow(x0, y, out, count, dx);
}

}  // namespace vynsketch
