#pragma once
// Diagnostic reports on a tree's caches, written to text files.

namespace vynmesh {
class TriangleMesh;
}

namespace vynbt {

class BlobTreeNode;

class BlobTreeStatistics {
public:
    /// One line per vertex: exact, trilinear and triquadratic cached values and
    /// the two errors. Leaves the manager's caching switch and default value
    /// mode as they were.
    static void ComputeFieldValueErrorAtMeshVertices(vynmesh::TriangleMesh* mesh, BlobTreeNode* node,
                                                     const char* file);
    /// Blocks and cells allocated by every composition node's grid, and totals.
    static void ComputeCellAllocationStats(BlobTreeNode* root, const char* file);
    /// Cells inside, allocated and evaluated by every composition node's grid.
    static void ComputeCellEvaluationStats(BlobTreeNode* root, const char* file);
};

}  // namespace vynbt
