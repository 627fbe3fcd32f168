#pragma once
// The process-wide registry of field caches: creates and frees them, holds the
// global caching switch and the defaults new caches take, and decides which
// composition nodes of a tree use their caches.

#include <atomic>
#include <vector>

#include "blobtree/cache/FieldCache.h"

namespace vynbt {

class CompositionNode;
class RootNode;

class FieldCacheManager {
public:
    /// The single instance, created on first call and kept for the whole process.
    static FieldCacheManager* Get();

    FieldCacheManager(const FieldCacheManager&) = delete;
    FieldCacheManager& operator=(const FieldCacheManager&) = delete;
    /// Destroys every registered cache.
    ~FieldCacheManager();

    /// A registered cache of the given type over source (not owned); null for
    /// an unknown type.
    FieldCache* CreateCache(vynimplicit::ScalarField* source, FieldCache::CacheType type);
    /// Destroys a registered cache; anything else is ignored.
    void FreeCache(FieldCache* cache);
    unsigned int GetNumCaches() const { return static_cast<unsigned int>(m_caches.size()); }
    bool IsRegistered(const FieldCache* cache) const;

    /// The global switch read by composition nodes on every evaluation
    /// (IsCachingOn reads it without reaching the instance).
    void EnableCaching(bool enable) { s_cachingEnabled.store(enable, std::memory_order_relaxed); }
    bool IsCachingEnabled() const { return IsCachingOn(); }
    static bool IsCachingOn() { return s_cachingEnabled.load(std::memory_order_relaxed); }

    void SetDefaultValueMode(FieldCache::SampleMode mode, bool applyToAll);
    FieldCache::SampleMode GetDefaultValueMode() const { return m_defaultValueMode; }
    void SetDefaultGradientMode(FieldCache::SampleMode mode, bool applyToAll);
    FieldCache::SampleMode GetDefaultGradientMode() const { return m_defaultGradientMode; }
    /// applyToAll resizes (and empties) every registered cache, in creation order.
    void SetDefaultCacheResolution(unsigned int resolution, bool applyToAll);
    unsigned int GetDefaultCacheResolution() const { return m_defaultResolution; }

    /// Caching off at the root, its children and from the fourth level down;
    /// nodes on levels 2 and 3 cache when one of their composition children
    /// does not (as it stood when the node was decided).
    void OptimizeCacheTree(RootNode* root);

protected:
    FieldCacheManager();

    void OptimizeCacheTree_Sketching(RootNode* root);
    void RecursiveDisableCaching(CompositionNode* node, int maxDepth, int depth);

private:
    FieldCache::SampleMode m_defaultValueMode = FieldCache::TriLinear;
    FieldCache::SampleMode m_defaultGradientMode = FieldCache::TriQuadratic;
    unsigned int m_defaultResolution = 128;
    static std::atomic<bool> s_cachingEnabled;
    std::vector<FieldCache*> m_caches;
};

}  // namespace vynbt
