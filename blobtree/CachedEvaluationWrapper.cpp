#include "blobtree/CachedEvaluationWrapper.h"

#include "blobtree/CompositionNode.h"

namespace vynbt {

float CachedEvaluationWrapper::Value(float x, float y, float z)
{
    return m_node->CacheValue(x, y, z);
}

void CachedEvaluationWrapper::Gradient(float x, float y, float z, float& gx, float& gy, float& gz,
                                       float* value)
{
    m_node->CacheGradient(x, y, z, gx, gy, gz, value);
}

void CachedEvaluationWrapper::Color(float x, float y, float z, float& r, float& g, float& b)
{
    m_node->Color(x, y, z, r, g, b);
}

void CachedEvaluationWrapper::FieldBounds(Wml::AxisAlignedBox3<float>& box)
{
    m_node->FieldBounds(box);
}

void CachedEvaluationWrapper::SurfaceBounds(float isoValue, Wml::AxisAlignedBox3<float>& box)
{
    m_node->SurfaceBounds(isoValue, box);
}

void CachedEvaluationWrapper::GetSeedPoints(std::vector<Wml::Vector3<float>>& points)
{
    m_node->GetSeedPoints(points);
}

}  // namespace vynbt
