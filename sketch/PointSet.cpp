#include "sketch/PointSet.h"

#include <cmath>

namespace vynsketch {

PointSet::PointSet(float surfaceValue, float insideValue, float outsideValue, float normalProjectionLength)
    : m_surfaceValue(surfaceValue),
      m_insideValue(insideValue),
      m_outsideValue(outsideValue),
      m_normalProjectionLength(normalProjectionLength)
{
}

bool PointSet::AddPoint(const Point& point)
{
    // A NaN position would break the set's ordering; no fit could use it anyway.
    if (!std::isfinite(point.position.X()) || !std::isfinite(point.position.Y())) return false;
    return m_points.insert(point).second;
}

}  // namespace vynsketch
