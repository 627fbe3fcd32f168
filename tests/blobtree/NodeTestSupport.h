#pragma once
// Shared pieces of the node tests: a listener that records every report, box
// comparisons, a formula template for the sweeps, and a guard that restores
// the global caching switch.

#include <cmath>
#include <string>
#include <vector>

#include "blobtree/BlobTreeNode.h"
#include "blobtree/RootNodeListener.h"
#include "blobtree/cache/FieldCacheManager.h"
#include "implicit/Falloff.h"
#include "implicit/ScalarField2D.h"
#include "wml/AxisAlignedBox3.h"

namespace nodetest {

using Box = Wml::AxisAlignedBox3<float>;
using Vec3 = Wml::Vector3<float>;
using Frame = Wml::Frame3<float>;

struct Report {
    vynbt::BlobTreeNode* node;
    Box region;
};

/// Keeps every report it is given, in order.
class RecordingListener : public vynbt::RootNodeListener {
public:
    void OnChildModified(vynbt::BlobTreeNode* node, const Box& region) override
    {
        reports.push_back({node, region});
    }
    std::vector<Report> reports;
};

inline bool SameBox(const Box& a, const Box& b, float eps = 1e-5f)
{
    if (a.IsEmpty() || b.IsEmpty()) return a.IsEmpty() && b.IsEmpty();
    for (int i = 0; i < 3; ++i)
        if (std::fabs(a.Min(i) - b.Min(i)) > eps || std::fabs(a.Max(i) - b.Max(i)) > eps) return false;
    return true;
}

/// True when inner lies in outer grown by eps (an empty inner always does).
inline bool ContainsBox(const Box& outer, const Box& inner, float eps = 1e-5f)
{
    if (inner.IsEmpty()) return true;
    if (outer.IsEmpty()) return false;
    for (int i = 0; i < 3; ++i)
        if (inner.Min(i) < outer.Min(i) - eps || inner.Max(i) > outer.Max(i) + eps) return false;
    return true;
}

inline Box Union(Box a, const Box& b)
{
    a.Merge(b);
    return a;
}

inline Box BoundsOf(vynimplicit::ScalarField& field)
{
    Box box;
    field.FieldBounds(box);
    return box;
}

/// A disc of radius r as a formula (0.5 on the circle).
class FormulaDisc : public vynimplicit::ScalarField2D {
public:
    explicit FormulaDisc(float r, float cx = 0.0f, float cy = 0.0f) : m_r(r), m_cx(cx), m_cy(cy)
    {
        const float e = r / vynimplicit::FALLOFF_SURFACE_RADIUS;
        SetBounds(Wml::AxisAlignedBox2<float>(cx - e, cx + e, cy - e, cy + e));
    }
    float Value(float x, float y) override
    {
        return vynimplicit::Falloff(std::hypot(x - m_cx, y - m_cy) * vynimplicit::FALLOFF_SURFACE_RADIUS /
                                    m_r);
    }
    std::string GetTypeName() const override { return "FormulaDisc"; }

private:
    float m_r, m_cx, m_cy;
};

/// Restores the manager's global caching switch when it goes out of scope.
class CachingSwitchGuard {
public:
    CachingSwitchGuard() : m_enabled(vynbt::FieldCacheManager::Get()->IsCachingEnabled()) {}
    ~CachingSwitchGuard() { vynbt::FieldCacheManager::Get()->EnableCaching(m_enabled); }

private:
    bool m_enabled;
};

/// The field evaluated with every cache bypassed.
inline float ExactValue(vynimplicit::ScalarField& field, const Vec3& p)
{
    CachingSwitchGuard guard;
    vynbt::FieldCacheManager::Get()->EnableCaching(false);
    return field.Value(p);
}

}  // namespace nodetest
