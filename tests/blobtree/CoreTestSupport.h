#pragma once
// Small pieces shared by the core tree tests: a leaf over a soft ball, a field
// that counts its evaluations, a recording listener, and a fixture that puts
// the process-wide cache manager back the way it found it.

#include <gtest/gtest.h>

#include <vector>

#include "NodeTestSupport.h"
#include "blobtree/BlobTreeNode.h"
#include "blobtree/RootNodeListener.h"
#include "blobtree/cache/FieldCacheManager.h"
#include "implicit/primitives/Point.h"

namespace coretest {

using Box = Wml::AxisAlignedBox3<float>;
using V3 = Wml::Vector3<float>;
using Frame = Wml::Frame3<float>;

/// Forwards to another field and counts the calls of Value and Gradient.
class CountingField : public vynimplicit::ScalarField {
public:
    explicit CountingField(vynimplicit::ScalarField* inner) : m_inner(inner) {}
    using vynimplicit::ScalarField::Gradient;
    using vynimplicit::ScalarField::Value;
    float Value(float x, float y, float z) override
    {
        ++values;
        return m_inner->Value(x, y, z);
    }
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) override
    {
        ++gradients;
        m_inner->Gradient(x, y, z, gx, gy, gz, value);
    }
    void FieldBounds(Box& box) override { m_inner->FieldBounds(box); }
    void GetSeedPoints(std::vector<V3>& points) override { m_inner->GetSeedPoints(points); }
    void Color(float x, float y, float z, float& r, float& g, float& b) override
    {
        m_inner->Color(x, y, z, r, g, b);
    }
    int values = 0;
    int gradients = 0;

private:
    vynimplicit::ScalarField* m_inner;
};

/// A leaf over a soft ball, following the leaf setter protocol: bounds
/// before, change, then the union of old and new bounds to the parent.
class BallNode : public vynbt::BlobTreeNode {
public:
    explicit BallNode(const V3& centre, float size = 1.0f)
        : BlobTreeNode(NodeType::Point, nullptr), point(centre, size), counter(&point)
    {
        SetScalarField(&counter);
    }
    BallNode(const BallNode&) = delete;
    BallNode& operator=(const BallNode&) = delete;

    void GetFrame(Frame& frame) override { frame = point.GetFrame(); }
    void SetFrame(const Frame& frame) override
    {
        Box before;
        point.FieldBounds(before);
        point.SetFrame(frame);
        ReportChange(before);
    }
    void SetSize(float size)
    {
        Box before;
        point.FieldBounds(before);
        point.SetSize(size);
        ReportChange(before);
    }

    vynimplicit::Point point;
    CountingField counter;
};

using nodetest::RecordingListener;
using nodetest::Report;

/// Restores the manager's switch and defaults after each test.
class ManagerStateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto* m = vynbt::FieldCacheManager::Get();
        m_caching = m->IsCachingEnabled();
        m_valueMode = m->GetDefaultValueMode();
        m_gradientMode = m->GetDefaultGradientMode();
        m_resolution = m->GetDefaultCacheResolution();
    }
    void TearDown() override
    {
        auto* m = vynbt::FieldCacheManager::Get();
        m->EnableCaching(m_caching);
        m->SetDefaultValueMode(m_valueMode, false);
        m->SetDefaultGradientMode(m_gradientMode, false);
        m->SetDefaultCacheResolution(m_resolution, false);
    }

private:
    bool m_caching = true;
    vynbt::FieldCache::SampleMode m_valueMode = vynbt::FieldCache::TriLinear;
    vynbt::FieldCache::SampleMode m_gradientMode = vynbt::FieldCache::TriQuadratic;
    unsigned int m_resolution = 128;
};

inline bool BoxContains(const Box& outer, const Box& inner)
{
    for (int a = 0; a < 3; ++a)
        if (inner.Min(a) < outer.Min(a) || inner.Max(a) > outer.Max(a)) return false;
    return true;
}

}  // namespace coretest
