#include "implicit/ScalarField2D.h"

#include <algorithm>

namespace vynimplicit {

void ScalarField2D::Gradient(float x, float y, float& gx, float& gy)
{
    // Step relative to the field's extent, so templates of any size difference well.
    float h = 1e-3f;
    if (!m_bounds.IsEmpty()) h = 1e-4f * std::max(m_bounds.Extent(0), m_bounds.Extent(1));
    if (!(h > 0.0f)) h = 1e-3f;
    gx = (Value(x + h, y) - Value(x - h, y)) / (2.0f * h);
    gy = (Value(x, y + h) - Value(x, y - h)) / (2.0f * h);
}

void ScalarField2D::FieldBounds(Wml::AxisAlignedBox2<float>& box) { box = m_bounds; }

void ScalarField2D::SetBounds(const Wml::AxisAlignedBox2<float>& box) { m_bounds = box; }

}  // namespace vynimplicit
