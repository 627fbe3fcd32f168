#include "blobtree/cache/FieldCache.h"

namespace vynbt {

FieldCache::FieldCache(vynimplicit::ScalarField* source) : m_source(source) {}

FieldCache::~FieldCache() = default;

}  // namespace vynbt
