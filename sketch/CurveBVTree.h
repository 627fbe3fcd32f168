#pragma once
// Distance from a 2D point to a polyline, and the nearest curve point,
// through a tree of oriented boxes over the polyline's edges.

#include <cfloat>
#include <vector>

#include "wml/Box2.h"
#include "wml/Vector2.h"

namespace vynsketch {

class BVTreeNode;
class BVTreeLeaf;
class PolyLine;

/**
 * \brief Bounding-volume tree of oriented boxes over a PolyLine's edges.
 *
 * Built by splitting along the longer box axis at the box centre, until a
 * side holds at most the leaf size (5) edges. A side that a split cannot
 * separate (every edge midpoint on the same side, e.g. coincident edges)
 * becomes a leaf whatever its size, so building always ends.
 *
 * The polyline is not owned; it must outlive the tree and stay unchanged
 * while the tree is used. Edges naming missing vertices are left out.
 */
class CurveBVTree {
public:
    /// Edges per leaf a split aims for.
    static constexpr unsigned int DEFAULT_LEAF_SIZE = 5;

    CurveBVTree() = default;
    ~CurveBVTree();
    CurveBVTree(const CurveBVTree&) = delete;
    CurveBVTree& operator=(const CurveBVTree&) = delete;

    /// Builds the tree for the polyline, releasing any previous tree first.
    /// False, tree left empty, for a null polyline or one without a usable
    /// edge.
    bool Create(PolyLine* polyline);
    /// Deletes every node; the tree becomes empty.
    void Destroy();
    bool IsEmpty() const { return m_root == nullptr; }

    /**
     * \brief Smallest squared distance from p to the curve, at most
     * \p maxDistSqr. \p nearest (if given) receives the nearest point of the
     * best edge; when nothing is closer than maxDistSqr that is edge 0's
     * point nearest to p. FLT_MAX, nearest untouched, for an empty tree.
     */
    float DistanceSqr(const Wml::Vector2<float>& p, Wml::Vector2<float>* nearest = nullptr,
                      float maxDistSqr = FLT_MAX);

    /// Draws the boxes down to maxDepth (fixed-function GL).
    void DrawGL(unsigned int maxDepth, bool leavesOnly);

    BVTreeNode* GetRoot() { return m_root; }
    PolyLine* GetPolyLine() { return m_polyline; }
    unsigned int GetLeafSize() const { return m_leafSize; }

protected:
    /// Squared distance from p to one edge's segment.
    float PolyLineDistanceSqr(unsigned int edge, const Wml::Vector2<float>& p);
    /// Smallest squared distance over a leaf's edges; the first of equal edges wins.
    float PolyLineDistanceSqr(BVTreeLeaf* leaf, const Wml::Vector2<float>& p, unsigned int& edgeOut);
    /// Squared distance from p to the node's box; FLT_MAX without a box.
    float PolyLineDistanceSqr(BVTreeNode* parent, const Wml::Vector2<float>& p);
    /// The point of one edge nearest to p.
    Wml::Vector2<float> PolyLineMinDistPoint(unsigned int edge, const Wml::Vector2<float>& p);

private:
    /// Deeper sides become leaves: bounds the recursion and the query stack.
    static constexpr unsigned int MAX_DEPTH = 100;

    // Splits the given (active) edges inside box into two children, either
    // of which may be null.
    void Split(const Wml::Box2<float>& box, const std::vector<unsigned int>& edges, unsigned int depth,
               BVTreeNode*& left, BVTreeNode*& right);
    // The node for one side of a split; separable is false when the other
    // side got no edge (splitting again would repeat the same split).
    BVTreeNode* MakeSide(const std::vector<unsigned int>& edges, bool separable, unsigned int depth);
    // Oriented box of the vertices of the given edges.
    Wml::Box2<float> BoxOfEdges(const std::vector<unsigned int>& edges);
    // Child distance: 0 for a leaf, else the squared distance to its box.
    float ChildDistanceSqr(BVTreeNode* node, const Wml::Vector2<float>& p);

    PolyLine* m_polyline = nullptr;
    BVTreeNode* m_root = nullptr;
    unsigned int m_leafSize = DEFAULT_LEAF_SIZE;

    // Build scratch: the stamp of the split that last collected each vertex.
    std::vector<unsigned int> m_vertexStamp;
    unsigned int m_stamp = 0;
};

}  // namespace vynsketch
