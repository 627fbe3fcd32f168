#pragma once
// Nodes of the curve bounding-volume tree: inner nodes carry an oriented box
// and two children, leaves a short list of polyline edge indices.

#include <vector>

#include "wml/Box2.h"

namespace vynsketch {

/// A node of a CurveBVTree. Leaves are the nodes with an edge list.
class BVTreeNode {
public:
    BVTreeNode() = default;
    BVTreeNode(const BVTreeNode&) = default;
    BVTreeNode& operator=(const BVTreeNode&) = default;
    virtual ~BVTreeNode() = default;

    virtual BVTreeNode* GetLeft() = 0;
    virtual BVTreeNode* GetRight() = 0;
    /// The node's box; null for leaves.
    virtual Wml::Box2<float>* GetBox() = 0;
    /// The leaf's edge indices; null for inner nodes.
    virtual std::vector<unsigned int>* GetEdges() = 0;

    bool IsLeaf() { return GetEdges() != nullptr; }
    /// Deletes the whole subtree below this node (not the node itself) and
    /// clears the child links.
    void DeleteChildren();
    /// Draws the boxes of this subtree down to maxDepth (fixed-function GL);
    /// with leavesOnly only boxes lacking a child.
    void DrawGL(unsigned int depth, unsigned int maxDepth, bool leavesOnly);

protected:
    // Lets DeleteChildren clear links without knowing the node type.
    virtual void ForgetChildren() {}
};

/// Inner node: an oriented box and two children (either may be null), which it owns.
class BVTreeParent : public BVTreeNode {
public:
    BVTreeParent() = default;
    /// Copies the two child pointers and the box (the children are shared,
    /// so only one of the two nodes may delete them).
    BVTreeParent(const BVTreeParent&) = default;
    BVTreeParent& operator=(const BVTreeParent&) = default;

    BVTreeNode* GetLeft() override { return m_left; }
    BVTreeNode* GetRight() override { return m_right; }
    Wml::Box2<float>* GetBox() override { return &m_box; }
    std::vector<unsigned int>* GetEdges() override { return nullptr; }

    void SetLeft(BVTreeNode* node) { m_left = node; }
    void SetRight(BVTreeNode* node) { m_right = node; }
    void SetBox(const Wml::Box2<float>& box) { m_box = box; }

protected:
    void ForgetChildren() override { m_left = m_right = nullptr; }

private:
    BVTreeNode* m_left = nullptr;
    BVTreeNode* m_right = nullptr;
    Wml::Box2<float> m_box;
};

/// Leaf: indices into the polyline's edge list.
class BVTreeLeaf : public BVTreeNode {
public:
    BVTreeNode* GetLeft() override { return nullptr; }
    BVTreeNode* GetRight() override { return nullptr; }
    Wml::Box2<float>* GetBox() override { return nullptr; }
    std::vector<unsigned int>* GetEdges() override { return &m_edges; }

    void AddEdge(unsigned int edge) { m_edges.push_back(edge); }

private:
    std::vector<unsigned int> m_edges;
};

}  // namespace vynsketch
