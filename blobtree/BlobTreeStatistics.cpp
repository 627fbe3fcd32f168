#include "blobtree/BlobTreeStatistics.h"

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <vector>

#include "blobtree/BlobTreeNode.h"
#include "blobtree/CompositionNode.h"
#include "blobtree/cache/FieldCache.h"
#include "blobtree/cache/FieldCacheManager.h"
#include "implicit/grid/AdaptiveUniformGrid3D.h"
#include "implicit/mesh/TriangleMesh.h"

namespace vynbt {

namespace {

bool OpenReport(std::ofstream& out, const char* file)
{
    if (file) out.open(file, std::ios::out | std::ios::trunc);
    if (file && out.is_open()) return true;
    const char* name = file ? file : "";
    std::cerr << "Cannot open file " << name << std::endl;
    std::cout << "Cannot open file " << name << std::endl;
    return false;
}

double Fraction(std::uint64_t part, std::uint64_t whole)
{
    return whole ? double(part) / double(whole) : 0.0;
}

/// Every composition node below root (root included), depth first from a stack.
template <class Fn>
void ForEachCompositionNode(BlobTreeNode* root, Fn&& fn)
{
    if (!root) return;
    std::vector<BlobTreeNode*> stack{root};
    while (!stack.empty()) {
        BlobTreeNode* node = stack.back();
        stack.pop_back();
        if (!node || !node->IsCompositionNode()) continue;
        CompositionNode* group = static_cast<CompositionNode*>(node);
        fn(group);
        for (unsigned int i = 0; i < group->GetNumChildren(); ++i) stack.push_back(group->GetChild(i));
    }
}

void WriteBlockAndCellLines(std::ostream& out, std::uint64_t totalBlocks, std::uint64_t allocatedBlocks,
                            std::uint64_t totalCells, std::uint64_t allocatedCells)
{
    out << "  Total Blocks: " << totalBlocks << "  Allocated: " << allocatedBlocks
        << "  Percent: " << Fraction(allocatedBlocks, totalBlocks) << "\n";
    out << "  Total Cells: " << totalCells << "  Allocated: " << allocatedCells
        << "  Percent: " << Fraction(allocatedCells, totalCells) << "\n";
}

void WriteEvaluationLine(std::ostream& out, std::uint64_t a, std::uint64_t b, std::uint64_t c)
{
    out << a << "," << b << "," << c << ",," << Fraction(c, a) << "," << Fraction(c, b) << "\n";
}

}  // namespace

void BlobTreeStatistics::ComputeFieldValueErrorAtMeshVertices(vynmesh::TriangleMesh* mesh, BlobTreeNode* node,
                                                              const char* file)
{
    std::ofstream out;
    if (!OpenReport(out, file)) return;
    if (!mesh || !node) return;

    const unsigned int count = mesh->GetNumVertices();
    std::vector<Wml::Vector3<float>> vertices(count);
    for (unsigned int i = 0; i < count; ++i) mesh->GetVertex(i, vertices[i]);

    FieldCacheManager* manager = FieldCacheManager::Get();
    const bool wasCaching = manager->IsCachingEnabled();
    std::vector<float> exact(count), trilinear(count), triquadratic(count);

    manager->EnableCaching(false);
    for (unsigned int i = 0; i < count; ++i) exact[i] = node->Value(vertices[i]);
    manager->EnableCaching(true);

    const FieldCache::SampleMode mode = manager->GetDefaultValueMode();
    // Each vertex is asked until its cells are filled: a cache answers a
    // cold cell directly, which would hide the interpolation error measured here.
    const int asks = vynimplicit::AdaptiveUniformGrid3D::ASKS_TO_FILL;
    manager->SetDefaultValueMode(FieldCache::TriLinear, true);
    for (unsigned int i = 0; i < count; ++i)
        for (int ask = 0; ask < asks; ++ask) trilinear[i] = node->Value(vertices[i]);
    manager->SetDefaultValueMode(FieldCache::TriQuadratic, true);
    for (unsigned int i = 0; i < count; ++i)
        for (int ask = 0; ask < asks; ++ask) triquadratic[i] = node->Value(vertices[i]);
    manager->SetDefaultValueMode(mode, true);
    // A diagnostic must not flip the user's caching switch.
    manager->EnableCaching(wasCaching);

    for (unsigned int i = 0; i < count; ++i)
        out << exact[i] << ", " << trilinear[i] << ", " << triquadratic[i] << ", "
            << std::fabs(exact[i] - trilinear[i]) << ", " << std::fabs(exact[i] - triquadratic[i]) << "\n";
}

void BlobTreeStatistics::ComputeCellAllocationStats(BlobTreeNode* root, const char* file)
{
    std::ofstream out;
    if (!OpenReport(out, file)) return;

    std::uint64_t sumBlocks = 0, sumAllocatedBlocks = 0, sumCells = 0, sumAllocatedCells = 0;
    ForEachCompositionNode(root, [&](CompositionNode* node) {
        FieldCache* cache = node->GetCache();
        vynimplicit::AdaptiveUniformGrid3D* grid = cache ? cache->GetGrid() : nullptr;
        if (!grid) return;
        Wml::AxisAlignedBox3<float> bounds;
        node->FieldBounds(bounds);
        std::uint64_t blocks = 0, allocatedBlocks = 0, cells = 0, allocatedCells = 0;
        grid->CalculateCellAllocationStats(bounds, blocks, allocatedBlocks, cells, allocatedCells);
        if (allocatedBlocks == 0) return;
        out << "Cache " << static_cast<const void*>(cache) << "\n";
        WriteBlockAndCellLines(out, blocks, allocatedBlocks, cells, allocatedCells);
        sumBlocks += blocks;
        sumAllocatedBlocks += allocatedBlocks;
        sumCells += cells;
        sumAllocatedCells += allocatedCells;
    });
    out << "\n\n\n\n\n";
    out << "Cache Summary\n";
    WriteBlockAndCellLines(out, sumBlocks, sumAllocatedBlocks, sumCells, sumAllocatedCells);
    out << "  Total Memory Usage: " << 4 * sumAllocatedCells << " bytes\n";
}

void BlobTreeStatistics::ComputeCellEvaluationStats(BlobTreeNode* root, const char* file)
{
    std::ofstream out;
    if (!OpenReport(out, file)) return;

    std::uint64_t sumA = 0, sumB = 0, sumC = 0;
    ForEachCompositionNode(root, [&](CompositionNode* node) {
        FieldCache* cache = node->GetCache();
        vynimplicit::AdaptiveUniformGrid3D* grid = cache ? cache->GetGrid() : nullptr;
        if (!grid) return;
        Wml::AxisAlignedBox3<float> bounds;
        node->FieldBounds(bounds);
        std::uint64_t a = 0, b = 0, c = 0;
        grid->CalculateCellEvaluationStats(bounds, a, b, c);
        if (b == 0) return;
        WriteEvaluationLine(out, a, b, c);
        sumA += a;
        sumB += b;
        sumC += c;
    });
    out << "\n\n\n\n\n";
    WriteEvaluationLine(out, sumA, sumB, sumC);
}

}  // namespace vynbt
