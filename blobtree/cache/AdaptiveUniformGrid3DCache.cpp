#include "blobtree/cache/AdaptiveUniformGrid3DCache.h"

#include <cmath>

#include "blobtree/cache/FieldCacheManager.h"
#include "implicit/grid/AdaptiveUniformGrid3D.h"
#include "wml/DebugOutput.h"

namespace vynbt {

namespace {

bool IsFinite(const Wml::Vector3<float>& v)
{
    return std::isfinite(v.X()) && std::isfinite(v.Y()) && std::isfinite(v.Z());
}

bool IsFinite(const Wml::Frame3<float>& frame)
{
    if (!IsFinite(frame.Origin()) || !IsFinite(frame.Scale())) return false;
    for (int i = 0; i < 3; ++i)
        if (!IsFinite(frame.GetAxis(i))) return false;
    return true;
}

}  // namespace

AdaptiveUniformGrid3DCache::AdaptiveUniformGrid3DCache(vynimplicit::ScalarField* source)
    : FieldCache(source), m_adapter(source)
{
    Wml::AxisAlignedBox3<float> box;
    if (source) source->FieldBounds(box);
    const Wml::Vector3<float> centre = box.IsEmpty() ? Wml::Vector3<float>::ZERO : box.Center();
    m_grid = std::make_unique<vynimplicit::AdaptiveUniformGrid3D>(1.0f, centre);
    // The grid's origin becomes the frame's; the grid itself then works in the
    // frame's local coordinates.
    m_frame = Wml::Frame3<float>(m_grid->GetOrigin());
    m_adapter.SetFrame(m_frame);
    m_grid->SetOrigin(Wml::Vector3<float>::ZERO);

    FieldCacheManager* manager = FieldCacheManager::Get();
    m_valueMode = manager->GetDefaultValueMode();
    m_gradientMode = manager->GetDefaultGradientMode();
}

AdaptiveUniformGrid3DCache::~AdaptiveUniformGrid3DCache() = default;

// A cold cell of the grid is answered by the source itself until it has been
// asked about as often as filling it would cost evaluations: a coarse lattice
// asks each cell once or a few times, and filling a stencil of samples for
// one answer would cost several evaluations instead of one.
float AdaptiveUniformGrid3DCache::Value(float x, float y, float z)
{
    const Wml::Vector3<float> q = m_adapter.ToLocal(Wml::Vector3<float>(x, y, z));
    // Warm cells first: no cold-cell bookkeeping, nothing computed.
    float value;
    if (m_valueMode != TriQuadratic && m_grid->TryWarmTriLinear(q, value)) return value;
    return ColdValue(x, y, z, q);
}

float AdaptiveUniformGrid3DCache::ColdValue(float x, float y, float z, const Wml::Vector3<float>& q)
{
    float value = 0.0f;
    const bool stored = m_valueMode == TriQuadratic ? m_grid->TrySampleTriQuadratic(q, &m_adapter, value)
                                                    : m_grid->TrySampleTriLinear(q, &m_adapter, value);
    if (stored) return value;
    return m_source ? m_source->Value(x, y, z) : 0.0f;
}

void AdaptiveUniformGrid3DCache::Gradient(float x, float y, float z, float& gx, float& gy, float& gz,
                                          float* value)
{
    const Wml::Vector3<float> q = m_adapter.ToLocal(Wml::Vector3<float>(x, y, z));
    Wml::Vector3<float> g;
    // The smooth mode interpolates node gradients: as accurate as the
    // quadratic B-spline's gradient for a third of the reads. Warm cells are
    // answered first, without the cold-cell bookkeeping.
    bool stored;
    if (m_gradientMode == TriQuadratic) {
        stored = m_grid->TryWarmNodal(q, g, value) || m_grid->TrySampleGradientNodal(q, &m_adapter, g, value);
    } else {
        float v = 0.0f;
        stored = m_grid->TryWarmTriLinear(q, v, &g);
        if (stored && value) *value = v;
        stored = stored || m_grid->TrySampleGradientTriLinear(q, &m_adapter, g, value);
    }
    if (!stored) {
        if (m_source) {
            m_source->Gradient(x, y, z, gx, gy, gz, value);
            return;
        }
        g = Wml::Vector3<float>::ZERO;
        if (value) *value = 0.0f;
    }
    if (m_adapter.IsUnturned()) {
        gx = g.X();
        gy = g.Y();
        gz = g.Z();
        return;
    }
    const Wml::Vector3<float> world = m_frame.ToWorldVector(g);
    gx = world.X();
    gy = world.Y();
    gz = world.Z();
}

void AdaptiveUniformGrid3DCache::SetOrigin(const Wml::Vector3<float>&)
{
    DebugOutput("Attempt to set orgin!\n");
}

void AdaptiveUniformGrid3DCache::SetFrame(const Wml::Frame3<float>& frame)
{
    if (!IsFinite(frame)) return;
    m_frame = frame;
    m_adapter.SetFrame(frame);
}

void AdaptiveUniformGrid3DCache::InvalidateAll()
{
    m_grid->Invalidate(false);
}

void AdaptiveUniformGrid3DCache::InvalidateRegion(const Wml::AxisAlignedBox3<float>& box)
{
    if (box.IsEmpty()) return;
    // The box of the eight mapped corners: exactly the box moved by -o while
    // the frame is unturned, and still covering the region once it is turned.
    Wml::AxisAlignedBox3<float> local;
    for (int corner = 0; corner < 8; ++corner) {
        const Wml::Vector3<float> p(corner & 1 ? box.Max(0) : box.Min(0),
                                    corner & 2 ? box.Max(1) : box.Min(1),
                                    corner & 4 ? box.Max(2) : box.Min(2));
        local.Merge(m_adapter.ToLocal(p));
    }
    m_grid->Invalidate(local);
}

void AdaptiveUniformGrid3DCache::SetBounds(const Wml::AxisAlignedBox3<float>* box)
{
    Wml::AxisAlignedBox3<float> sourceBounds;
    if (!box) {
        if (m_source) m_source->FieldBounds(sourceBounds);
        box = &sourceBounds;
    }
    m_grid->SetVoxelSize(*box, FieldCacheManager::Get()->GetDefaultCacheResolution(), false);
    PlaceWindow(*box);
}

void AdaptiveUniformGrid3DCache::PlaceWindow(const Wml::AxisAlignedBox3<float>& box)
{
    // The box is the world's; the grid works in the frame's coordinates.
    if (box.IsEmpty()) return;
    Wml::AxisAlignedBox3<float> local;
    for (int corner = 0; corner < 8; ++corner)
        local.Merge(m_adapter.ToLocal(Wml::Vector3<float>(corner & 1 ? box.Max(0) : box.Min(0),
                                                          corner & 2 ? box.Max(1) : box.Min(1),
                                                          corner & 4 ? box.Max(2) : box.Min(2))));
    m_grid->PlaceWindow(local);
}

void AdaptiveUniformGrid3DCache::SetResolution(unsigned int resolution)
{
    m_grid->Invalidate(true);
    Wml::AxisAlignedBox3<float> bounds;
    if (m_source) m_source->FieldBounds(bounds);
    m_grid->SetVoxelSize(bounds, resolution, true);
    PlaceWindow(bounds);
}

}  // namespace vynbt
