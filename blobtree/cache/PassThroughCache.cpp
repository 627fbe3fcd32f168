#include "blobtree/cache/PassThroughCache.h"

namespace vynbt {

float PassThroughCache::Value(float x, float y, float z)
{
    return m_source ? m_source->Value(x, y, z) : 0.0f;
}

void PassThroughCache::Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value)
{
    if (m_source) {
        m_source->Gradient(x, y, z, gx, gy, gz, value);
        return;
    }
    gx = gy = gz = 0.0f;
    if (value) *value = 0.0f;
}

}  // namespace vynbt
