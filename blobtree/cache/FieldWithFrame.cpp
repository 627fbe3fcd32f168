#include "blobtree/cache/FieldWithFrame.h"

namespace vynbt {

Wml::Vector3<float> FieldWithFrame::ToWorld(const Wml::Vector3<float>& q) const
{
    return m_frame.ToWorldVector(q) + m_frame.Origin();
}

void FieldWithFrame::SetFrame(const Wml::Frame3<float>& frame)
{
    m_frame = frame;
    m_origin = frame.Origin();
    const Wml::Vector3<float> axes[3] = {Wml::Vector3<float>::UNIT_X, Wml::Vector3<float>::UNIT_Y,
                                         Wml::Vector3<float>::UNIT_Z};
    m_unturned = true;
    for (int a = 0; a < 3; ++a) {
        m_toLocal[a] = frame.ToLocalVector(axes[a]);
        m_unturned = m_unturned && m_toLocal[a] == axes[a];
    }
}

float FieldWithFrame::Value(float x, float y, float z)
{
    if (!m_source) return 0.0f;
    const Wml::Vector3<float> p = ToWorld(Wml::Vector3<float>(x, y, z));
    return m_source->Value(p.X(), p.Y(), p.Z());
}

void FieldWithFrame::Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value)
{
    if (!m_source) {
        gx = gy = gz = 0.0f;
        if (value) *value = 0.0f;
        return;
    }
    const Wml::Vector3<float> p = ToWorld(Wml::Vector3<float>(x, y, z));
    float wx = 0.0f, wy = 0.0f, wz = 0.0f;
    m_source->Gradient(p.X(), p.Y(), p.Z(), wx, wy, wz, value);
    const Wml::Vector3<float> g = m_frame.ToLocalVector(Wml::Vector3<float>(wx, wy, wz));
    gx = g.X();
    gy = g.Y();
    gz = g.Z();
}

void FieldWithFrame::Color(float x, float y, float z, float& r, float& g, float& b)
{
    if (!m_source) {
        vynimplicit::ScalarField::Color(x, y, z, r, g, b);
        return;
    }
    const Wml::Vector3<float> p = ToWorld(Wml::Vector3<float>(x, y, z));
    m_source->Color(p.X(), p.Y(), p.Z(), r, g, b);
}

void FieldWithFrame::FieldBounds(Wml::AxisAlignedBox3<float>& box)
{
    Wml::AxisAlignedBox3<float> world;
    if (m_source) m_source->FieldBounds(world);
    box.MakeEmpty();
    if (world.IsEmpty()) return;
    for (int corner = 0; corner < 8; ++corner) {
        const Wml::Vector3<float> p(corner & 1 ? world.Max(0) : world.Min(0),
                                    corner & 2 ? world.Max(1) : world.Min(1),
                                    corner & 4 ? world.Max(2) : world.Min(2));
        box.Merge(ToLocal(p));
    }
}

}  // namespace vynbt
