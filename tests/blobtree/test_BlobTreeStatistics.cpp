// The cache reports: their lines and numbers, and unwritable files.

#include <gtest/gtest.h>

#include <algorithm>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "CoreTestSupport.h"
#include "blobtree/BlobTreeStatistics.h"
#include "blobtree/CompositionNode.h"
#include "blobtree/RootNode.h"
#include "implicit/grid/AdaptiveUniformGrid3D.h"
#include "implicit/mesh/TriangleMesh.h"
#include "implicit/operators/MinMaxUnion.h"
#include "implicit/operators/SumBlend.h"

using namespace coretest;
using vynbt::BlobTreeStatistics;
using vynbt::FieldCache;
using vynbt::FieldCacheManager;
using NodeType = vynbt::BlobTreeNode::NodeType;

namespace {

std::vector<std::string> ReadLines(const std::string& path)
{
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string BlockLine(std::uint64_t n, std::uint64_t m)
{
    std::ostringstream s;
    s << "  Total Blocks: " << n << "  Allocated: " << m << "  Percent: " << double(m) / double(n);
    return s.str();
}

std::string CellLine(std::uint64_t n, std::uint64_t m)
{
    std::ostringstream s;
    s << "  Total Cells: " << n << "  Allocated: " << m << "  Percent: " << double(m) / double(n);
    return s.str();
}

/// root -> group (sum of two balls), the group's cache warmed along a line.
struct Scene {
    vynimplicit::MinMaxUnion rootOp;
    vynbt::RootNode root{&rootOp};
    vynimplicit::SumBlend blend;
    vynbt::CompositionNode group{NodeType::SumBlend, &blend};
    BallNode a{V3(0, 0, 0)}, b{V3(0.5f, 0, 0)};
    Scene()
    {
        root.AddChild(&group);
        group.AddChild(&a);
        group.AddChild(&b);
        // Until filled: a cold cell is answered without sampling.
        for (int pass = 0; pass < vynimplicit::AdaptiveUniformGrid3D::ASKS_TO_FILL; ++pass)
            for (float x = -0.5f; x < 1.0f; x += 0.05f) root.Value(x, 0.1f, 0.0f);
    }
    ~Scene()
    {
        group.ClearChildren();
        root.ClearChildren();
    }
};

}  // namespace

class BlobTreeStatisticsTest : public ManagerStateTest {};

TEST_F(BlobTreeStatisticsTest, UnwritableFileIsReportedOnBothStreams)
{
    Scene scene;
    vynmesh::TriangleMesh mesh;
    const std::string bad = "/nonexistent-folder/report.txt";
    const std::string expected = "Cannot open file " + bad + "\n";
    for (int which = 0; which < 3; ++which) {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        if (which == 0)
            BlobTreeStatistics::ComputeFieldValueErrorAtMeshVertices(&mesh, &scene.group, bad.c_str());
        if (which == 1) BlobTreeStatistics::ComputeCellAllocationStats(&scene.root, bad.c_str());
        if (which == 2) BlobTreeStatistics::ComputeCellEvaluationStats(&scene.root, bad.c_str());
        EXPECT_EQ(testing::internal::GetCapturedStdout(), expected) << which;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), expected) << which;
    }
}

TEST_F(BlobTreeStatisticsTest, AllocationAndEvaluationReports)
{
    Scene scene;
    Box bounds;
    scene.group.FieldBounds(bounds);
    vynimplicit::AdaptiveUniformGrid3D* grid = scene.group.GetCache()->GetGrid();
    std::uint64_t n = 0, m = 0, c = 0, a = 0;
    grid->CalculateCellAllocationStats(bounds, n, m, c, a);
    ASSERT_GT(m, 0u);

    const std::string memory = ::testing::TempDir() + "btcore_cache_memory.txt";
    BlobTreeStatistics::ComputeCellAllocationStats(&scene.root, memory.c_str());
    std::vector<std::string> lines = ReadLines(memory);
    // The root never samples, so only the group appears.
    ASSERT_EQ(lines.size(), 3u + 5u + 4u);
    std::ostringstream header;
    header << "Cache " << static_cast<const void*>(scene.group.GetCache());
    EXPECT_EQ(lines[0], header.str());
    EXPECT_EQ(lines[1], BlockLine(n, m));
    EXPECT_EQ(lines[2], CellLine(c, a));
    for (int i = 3; i < 8; ++i) EXPECT_EQ(lines[i], "");
    EXPECT_EQ(lines[8], "Cache Summary");
    EXPECT_EQ(lines[9], BlockLine(n, m));
    EXPECT_EQ(lines[10], CellLine(c, a));
    EXPECT_EQ(lines[11], "  Total Memory Usage: " + std::to_string(4 * a) + " bytes");

    std::uint64_t all = 0, allocated = 0, evaluated = 0;
    grid->CalculateCellEvaluationStats(bounds, all, allocated, evaluated);
    ASSERT_GT(evaluated, 0u);
    std::ostringstream line;
    line << all << "," << allocated << "," << evaluated << ",," << double(evaluated) / double(all) << ","
         << double(evaluated) / double(allocated);
    const std::string evals = ::testing::TempDir() + "btcore_cache_evals.txt";
    BlobTreeStatistics::ComputeCellEvaluationStats(&scene.root, evals.c_str());
    lines = ReadLines(evals);
    ASSERT_EQ(lines.size(), 1u + 5u + 1u);
    EXPECT_EQ(lines[0], line.str());
    EXPECT_EQ(lines[6], line.str());

    // A cold tree writes only the summary; a null root too.
    scene.group.GetCache()->InvalidateAll();
    scene.group.GetCache()->SetResolution(64);
    BlobTreeStatistics::ComputeCellAllocationStats(&scene.root, memory.c_str());
    lines = ReadLines(memory);
    ASSERT_EQ(lines.size(), 5u + 4u);
    EXPECT_EQ(lines[5], "Cache Summary");
    EXPECT_EQ(lines[8], "  Total Memory Usage: 0 bytes");
    BlobTreeStatistics::ComputeCellEvaluationStats(nullptr, evals.c_str());
    lines = ReadLines(evals);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[5], "0,0,0,,0,0");
}

TEST_F(BlobTreeStatisticsTest, FieldValueErrorsAtMeshVertices)
{
    Scene scene;
    vynmesh::TriangleMesh mesh;
    for (int i = 0; i < 12; ++i) mesh.AppendVertex(V3(-0.4f + 0.1f * float(i), 0.07f * float(i % 4), 0.03f));
    FieldCacheManager* manager = FieldCacheManager::Get();
    manager->EnableCaching(false);  // the user's switch, to be kept
    manager->SetDefaultValueMode(FieldCache::TriQuadratic, true);

    const std::string file = ::testing::TempDir() + "btcore_field_value_error.txt";
    BlobTreeStatistics::ComputeFieldValueErrorAtMeshVertices(&mesh, &scene.group, file.c_str());
    EXPECT_FALSE(manager->IsCachingEnabled());
    EXPECT_EQ(manager->GetDefaultValueMode(), FieldCache::TriQuadratic);
    EXPECT_EQ(scene.group.GetCache()->GetValueSampleMode(), FieldCache::TriQuadratic);

    const std::vector<std::string> lines = ReadLines(file);
    ASSERT_EQ(lines.size(), 12u);
    float largestTrilinear = 0.0f, largestTriquadratic = 0.0f;
    for (int i = 0; i < 12; ++i) {
        std::vector<float> numbers;
        std::istringstream in(lines[i]);
        for (std::string item; std::getline(in, item, ',');) numbers.push_back(std::stof(item));
        ASSERT_EQ(numbers.size(), 5u) << lines[i];
        EXPECT_NE(lines[i].find(", "), std::string::npos);
        Wml::Vector3<float> p;
        mesh.GetVertex(i, p);
        EXPECT_NEAR(numbers[0], scene.blend.Value(p), 1e-5f);
        EXPECT_NEAR(numbers[1], numbers[0], 0.02f);
        EXPECT_NEAR(numbers[2], numbers[0], 0.02f);
        EXPECT_NEAR(numbers[3], std::fabs(numbers[0] - numbers[1]), 1e-5f);
        EXPECT_NEAR(numbers[4], std::fabs(numbers[0] - numbers[2]), 1e-5f);
        largestTrilinear = std::max(largestTrilinear, numbers[3]);
        largestTriquadratic = std::max(largestTriquadratic, numbers[4]);
    }
    // The cached columns are interpolated, not the exact values again.
    EXPECT_GT(largestTrilinear, 0.0f);
    EXPECT_GT(largestTriquadratic, 0.0f);

    // Null inputs give an empty report.
    BlobTreeStatistics::ComputeFieldValueErrorAtMeshVertices(nullptr, &scene.group, file.c_str());
    EXPECT_TRUE(ReadLines(file).empty());
}
