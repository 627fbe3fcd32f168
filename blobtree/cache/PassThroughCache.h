#pragma once
// A cache that stores nothing: every query goes to the source.

#include "blobtree/cache/FieldCache.h"

namespace vynbt {

class PassThroughCache : public FieldCache {
public:
    explicit PassThroughCache(vynimplicit::ScalarField* source) : FieldCache(source) {}

    float Value(float x, float y, float z) override;
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) override;
    int GetCacheType() const override { return PassThrough; }
    void SetOrigin(const Wml::Vector3<float>&) override {}
    Wml::Vector3<float> GetOrigin() const override { return Wml::Vector3<float>::ZERO; }
    void SetFrame(const Wml::Frame3<float>&) override {}
    Wml::Frame3<float> GetFrame() const override { return Wml::Frame3<float>(); }
    void InvalidateAll() override {}
    void InvalidateRegion(const Wml::AxisAlignedBox3<float>&) override {}
    void SetBounds(const Wml::AxisAlignedBox3<float>*) override {}
    void SetResolution(unsigned int) override {}
    vynimplicit::AdaptiveUniformGrid3D* GetGrid() override { return nullptr; }
};

}  // namespace vynbt
