#include "implicit/sweeps/SweepFrame.h"

namespace vynimplicit {

SweepFrame::SweepFrame()
{
    Update();
}

bool SweepFrame::Set(const Wml::Frame3<float>& frame)
{
    if (!frame.IsValid()) return false;
    m_frame = frame;
    Update();
    return true;
}

void SweepFrame::Update()
{
    for (int i = 0; i < 3; ++i) m_origin[i] = m_frame.Origin()[i];
    // Column j of A is the local image of the world unit vector e_j.
    for (int j = 0; j < 3; ++j) {
        Wml::Vector3<float> e = Wml::Vector3<float>::ZERO;
        e[j] = 1.0f;
        const Wml::Vector3<float> c = m_frame.ToLocalVectorScaled(e);
        for (int i = 0; i < 3; ++i) m_a[3 * i + j] = c[i];
    }
}

Wml::AxisAlignedBox3<float> SweepFrame::LocalBoxToWorld(const Wml::AxisAlignedBox3<float>& local) const
{
    Wml::AxisAlignedBox3<float> world;
    if (local.IsEmpty()) return world;
    for (int k = 0; k < 8; ++k) {
        const Wml::Vector3<float> corner((k & 1) ? local.Max(0) : local.Min(0),
                                         (k & 2) ? local.Max(1) : local.Min(1),
                                         (k & 4) ? local.Max(2) : local.Min(2));
        world.Merge(m_frame.ToWorldPoint(corner));
    }
    return world;
}

}  // namespace vynimplicit
