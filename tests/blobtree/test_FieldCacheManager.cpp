// The cache manager: registry, defaults, and the choice of caching nodes.

#include <gtest/gtest.h>

#include "CoreTestSupport.h"
#include "blobtree/CompositionNode.h"
#include "blobtree/RootNode.h"
#include "blobtree/cache/PassThroughCache.h"
#include "implicit/grid/AdaptiveUniformGrid3D.h"
#include "implicit/operators/MinMaxUnion.h"

using namespace coretest;
using vynbt::CompositionNode;
using vynbt::FieldCache;
using vynbt::FieldCacheManager;
using NodeType = vynbt::BlobTreeNode::NodeType;

namespace {

/// A manager of its own, so its destructor can be exercised.
class LocalManager : public FieldCacheManager {
public:
    LocalManager() = default;
};

}  // namespace

class FieldCacheManagerTest : public ManagerStateTest {};

TEST_F(FieldCacheManagerTest, CreatesRegistersAndFreesCaches)
{
    FieldCacheManager* manager = FieldCacheManager::Get();
    EXPECT_EQ(FieldCacheManager::Get(), manager);
    EXPECT_TRUE(manager->IsCachingEnabled());
    EXPECT_EQ(manager->GetDefaultValueMode(), FieldCache::TriLinear);
    EXPECT_EQ(manager->GetDefaultGradientMode(), FieldCache::TriQuadratic);
    EXPECT_EQ(manager->GetDefaultCacheResolution(), 128u);

    vynimplicit::Point point;
    const unsigned count = manager->GetNumCaches();
    FieldCache* pass = manager->CreateCache(&point, FieldCache::PassThrough);
    FieldCache* grid = manager->CreateCache(&point, FieldCache::AdaptiveUniformGrid);
    ASSERT_NE(pass, nullptr);
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(pass->GetCacheType(), 0);
    EXPECT_EQ(grid->GetCacheType(), 1);
    EXPECT_EQ(grid->GetSource(), &point);
    EXPECT_EQ(manager->GetNumCaches(), count + 2);
    EXPECT_EQ(manager->CreateCache(&point, FieldCache::CacheType(2)), nullptr);
    EXPECT_EQ(manager->CreateCache(&point, FieldCache::CacheType(-1)), nullptr);
    EXPECT_EQ(manager->GetNumCaches(), count + 2);

    // Pointers the manager does not hold are left alone.
    vynbt::PassThroughCache stranger(&point);
    manager->FreeCache(&stranger);
    manager->FreeCache(nullptr);
    EXPECT_EQ(manager->GetNumCaches(), count + 2);

    manager->FreeCache(pass);
    EXPECT_FALSE(manager->IsRegistered(pass));
    EXPECT_TRUE(manager->IsRegistered(grid));
    manager->FreeCache(grid);
    EXPECT_EQ(manager->GetNumCaches(), count);

    // A manager's destructor takes its caches with it (checked by the leak checker).
    {
        LocalManager local;
        local.CreateCache(&point, FieldCache::AdaptiveUniformGrid);
        local.CreateCache(&point, FieldCache::PassThrough);
        EXPECT_EQ(local.GetNumCaches(), 2u);
    }
}

TEST_F(FieldCacheManagerTest, DefaultsApplyToNewOrAllCaches)
{
    FieldCacheManager* manager = FieldCacheManager::Get();
    vynimplicit::Point small(V3(0, 0, 0), 1.0f);   // bounds side 2
    vynimplicit::Point large(V3(5, 0, 0), 0.25f);  // bounds side 8
    FieldCache* a = manager->CreateCache(&small, FieldCache::AdaptiveUniformGrid);
    FieldCache* b = manager->CreateCache(&large, FieldCache::AdaptiveUniformGrid);
    a->SetBounds(nullptr);
    b->SetBounds(nullptr);
    EXPECT_FLOAT_EQ(a->GetGrid()->GetVoxelSize(), 2.0f / 128.0f);

    manager->SetDefaultValueMode(FieldCache::TriQuadratic, false);
    manager->SetDefaultGradientMode(FieldCache::TriLinear, false);
    EXPECT_EQ(a->GetValueSampleMode(), FieldCache::TriLinear) << "existing caches keep their modes";
    EXPECT_EQ(a->GetGradientSampleMode(), FieldCache::TriQuadratic);
    FieldCache* c = manager->CreateCache(&small, FieldCache::AdaptiveUniformGrid);
    EXPECT_EQ(c->GetValueSampleMode(), FieldCache::TriQuadratic);
    EXPECT_EQ(c->GetGradientSampleMode(), FieldCache::TriLinear);

    manager->SetDefaultValueMode(FieldCache::TriLinear, true);
    manager->SetDefaultGradientMode(FieldCache::TriLinear, true);
    for (FieldCache* cache : {a, b, c}) {
        EXPECT_EQ(cache->GetValueSampleMode(), FieldCache::TriLinear);
        EXPECT_EQ(cache->GetGradientSampleMode(), FieldCache::TriLinear);
    }

    a->Value(0.2f, 0, 0);
    manager->SetDefaultCacheResolution(16, false);
    EXPECT_EQ(manager->GetDefaultCacheResolution(), 16u);
    EXPECT_FLOAT_EQ(a->GetGrid()->GetVoxelSize(), 2.0f / 128.0f);
    EXPECT_GT(a->GetGrid()->GetAllocatedBlockCount(), 0u);
    manager->SetDefaultCacheResolution(32, true);
    EXPECT_FLOAT_EQ(a->GetGrid()->GetVoxelSize(), 2.0f / 32.0f);
    EXPECT_FLOAT_EQ(b->GetGrid()->GetVoxelSize(), 8.0f / 32.0f);
    EXPECT_EQ(a->GetGrid()->GetAllocatedBlockCount(), 0u);
    EXPECT_NEAR(a->Value(0.2f, 0, 0), small.Value(0.2f, 0, 0), 0.02f);

    for (FieldCache* cache : {a, b, c}) manager->FreeCache(cache);
}

TEST_F(FieldCacheManagerTest, OptimizeCacheTreeCachesOnlyTheSecondAndThirdLevels)
{
    // root -> g1 -> g2 -> g3 -> g4 -> g5, plus g2b (leaves only) beside g2.
    vynimplicit::MinMaxUnion ops[7];
    vynbt::RootNode root(&ops[0]);
    CompositionNode g1(NodeType::MinMaxUnion, &ops[1]), g2(NodeType::MinMaxUnion, &ops[2]),
        g3(NodeType::MinMaxUnion, &ops[3]), g4(NodeType::MinMaxUnion, &ops[4]),
        g5(NodeType::MinMaxUnion, &ops[5]), g2b(NodeType::MinMaxUnion, &ops[6]);
    BallNode leaf1(V3(0, 0, 0)), leaf2(V3(1, 0, 0)), leaf3(V3(2, 0, 0));
    root.AddChild(&g1);
    g1.AddChild(&leaf1);
    g1.AddChild(&g2);
    g1.AddChild(&g2b);
    g2b.AddChild(&leaf2);
    g2.AddChild(&g3);
    g3.AddChild(&g4);
    g4.AddChild(&g5);
    g5.AddChild(&leaf3);
    root.EnableCaching(true);

    FieldCacheManager* manager = FieldCacheManager::Get();
    CompositionNode* nodes[] = {&root, &g1, &g2, &g2b, &g3, &g4, &g5};
    auto flags = [&] {
        std::vector<bool> f;
        for (CompositionNode* n : nodes) f.push_back(n->IsCachingEnabled());
        return f;
    };

    // Every node starts caching, so no node finds a non-caching child: all off.
    manager->OptimizeCacheTree(&root);
    EXPECT_EQ(flags(), std::vector<bool>(7, false));
    // Now levels 2 and 3 see non-caching composition children.
    manager->OptimizeCacheTree(&root);
    EXPECT_EQ(flags(), (std::vector<bool>{false, false, true, false, true, false, false}));
    // Each decision reads the children as they stand before they are visited.
    manager->OptimizeCacheTree(&root);
    EXPECT_EQ(flags(), (std::vector<bool>{false, false, false, false, true, false, false}));

    manager->OptimizeCacheTree(nullptr);
    for (CompositionNode* n : nodes) n->ClearChildren();
}
