#include "implicit/primitives/Placement.h"

#include <algorithm>
#include <cmath>

namespace vynimplicit {

Placement::Placement()
{
    SetFrame(Wml::Frame3<float>());
}

bool Placement::SetFrame(const Wml::Frame3<float>& frame)
{
    if (!frame.IsValid()) return false;
    // Columns of A are the local images of the world unit vectors; columns of
    // M the world images of the local ones. Going through the frame's own
    // maps keeps its row/column convention in one place.
    float toLocal[3][3], toWorld[3][3];
    for (int c = 0; c < 3; ++c) {
        Wml::Vector3<float> e = Wml::Vector3<float>::ZERO;
        e[c] = 1.0f;
        const Wml::Vector3<float> l = frame.ToLocalVectorScaled(e);
        const Wml::Vector3<float> w = frame.ToWorldVectorScaled(e);
        for (int r = 0; r < 3; ++r) {
            toLocal[r][c] = l[r];
            toWorld[r][c] = w[r];
        }
    }
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            if (!std::isfinite(toLocal[r][c]) || !std::isfinite(toWorld[r][c])) return false;

    m_frame = frame;
    for (int r = 0; r < 3; ++r) {
        m_origin[r] = frame.Origin()[r];
        for (int c = 0; c < 3; ++c) m_toLocal[r][c] = toLocal[r][c];
        // The image of the unit ball is an ellipsoid; its extent along world
        // axis r is the length of row r of M.
        m_halfExtent[r] = std::sqrt(toWorld[r][0] * toWorld[r][0] + toWorld[r][1] * toWorld[r][1] +
                                    toWorld[r][2] * toWorld[r][2]);
    }
    return true;
}

Wml::Vector3<float> Placement::ToWorld(const Wml::Vector3<float>& q) const
{
    return m_frame.ToWorldPoint(q);
}

void Placement::MergeBall(Wml::AxisAlignedBox3<float>& box, const Wml::Vector3<float>& centre,
                          float radius) const
{
    if (!(radius >= 0.0f)) return;
    const Wml::Vector3<float> c = ToWorld(centre);
    for (int i = 0; i < 3; ++i) {
        const float h = radius * m_halfExtent[i];
        box.Min(i) = std::min(box.Min(i), c[i] - h);
        box.Max(i) = std::max(box.Max(i), c[i] + h);
    }
}

}  // namespace vynimplicit
