#pragma once
// The field a composition node's cache samples: the node's operator evaluated
// directly (CacheValue / CacheGradient), so filling a cache never reads the
// cache itself.

#include "implicit/ScalarField.h"

namespace vynbt {

class CompositionNode;

class CachedEvaluationWrapper : public vynimplicit::ScalarField {
public:
    explicit CachedEvaluationWrapper(CompositionNode* node) : m_node(node) {}

    using vynimplicit::ScalarField::Gradient;
    using vynimplicit::ScalarField::Value;
    float Value(float x, float y, float z) override;
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) override;
    void Color(float x, float y, float z, float& r, float& g, float& b) override;
    void FieldBounds(Wml::AxisAlignedBox3<float>& box) override;
    void SurfaceBounds(float isoValue, Wml::AxisAlignedBox3<float>& box) override;
    void GetSeedPoints(std::vector<Wml::Vector3<float>>& points) override;

    CompositionNode* GetNode() const { return m_node; }

private:
    CompositionNode* m_node;
};

}  // namespace vynbt
