#include "blobtree/cache/FieldCacheManager.h"

#include <algorithm>

#include "blobtree/CompositionNode.h"
#include "blobtree/RootNode.h"
#include "blobtree/cache/AdaptiveUniformGrid3DCache.h"
#include "blobtree/cache/PassThroughCache.h"

namespace vynbt {

FieldCacheManager* FieldCacheManager::Get()
{
    // Never destroyed: nodes living in static storage may still return their
    // caches while the process shuts down.
    static FieldCacheManager* instance = new FieldCacheManager();
    return instance;
}

std::atomic<bool> FieldCacheManager::s_cachingEnabled{true};

FieldCacheManager::FieldCacheManager() = default;

FieldCacheManager::~FieldCacheManager()
{
    for (FieldCache* cache : m_caches) delete cache;
    m_caches.clear();
}

FieldCache* FieldCacheManager::CreateCache(vynimplicit::ScalarField* source, FieldCache::CacheType type)
{
    FieldCache* cache = nullptr;
    switch (type) {
        case FieldCache::PassThrough:
            cache = new PassThroughCache(source);
            break;
        case FieldCache::AdaptiveUniformGrid:
            cache = new AdaptiveUniformGrid3DCache(source);
            break;
        default:
            return nullptr;
    }
    m_caches.push_back(cache);
    return cache;
}

void FieldCacheManager::FreeCache(FieldCache* cache)
{
    auto it = std::find(m_caches.begin(), m_caches.end(), cache);
    if (it == m_caches.end()) return;
    m_caches.erase(it);
    delete cache;
}

bool FieldCacheManager::IsRegistered(const FieldCache* cache) const
{
    return std::find(m_caches.begin(), m_caches.end(), cache) != m_caches.end();
}

void FieldCacheManager::SetDefaultValueMode(FieldCache::SampleMode mode, bool applyToAll)
{
    m_defaultValueMode = mode;
    if (applyToAll)
        for (FieldCache* cache : m_caches) cache->SetValueSampleMode(mode);
}

void FieldCacheManager::SetDefaultGradientMode(FieldCache::SampleMode mode, bool applyToAll)
{
    m_defaultGradientMode = mode;
    if (applyToAll)
        for (FieldCache* cache : m_caches) cache->SetGradientSampleMode(mode);
}

void FieldCacheManager::SetDefaultCacheResolution(unsigned int resolution, bool applyToAll)
{
    m_defaultResolution = resolution;
    if (applyToAll)
        for (FieldCache* cache : m_caches) cache->SetResolution(resolution);
}

void FieldCacheManager::OptimizeCacheTree(RootNode* root)
{
    OptimizeCacheTree_Sketching(root);
}

void FieldCacheManager::OptimizeCacheTree_Sketching(RootNode* root)
{
    if (!root) return;
    root->EnableCaching(false);
    RecursiveDisableCaching(root, 3, 0);
}

void FieldCacheManager::RecursiveDisableCaching(CompositionNode* node, int maxDepth, int depth)
{
    if (!node) return;
    for (unsigned int i = 0; i < node->GetNumChildren(); ++i) {
        BlobTreeNode* child = node->GetChild(i);
        if (!child || !child->IsCompositionNode()) continue;
        CompositionNode* group = static_cast<CompositionNode*>(child);
        bool cache = false;
        if (depth > 0 && depth < maxDepth) {
            // Decided from the flags the grandchildren hold now, before they are visited.
            for (unsigned int j = 0; j < group->GetNumChildren() && !cache; ++j) {
                BlobTreeNode* grandchild = group->GetChild(j);
                cache = grandchild && grandchild->IsCompositionNode() &&
                        !static_cast<CompositionNode*>(grandchild)->IsCachingEnabled();
            }
        }
        group->EnableCaching(cache);
        RecursiveDisableCaching(group, maxDepth, depth + 1);
    }
}

}  // namespace vynbt
