#include "sketch/CurveBVTree.h"

#include <GL/gl.h>

#include <cmath>

#include "sketch/BVTreeNode.h"
#include "sketch/PolyLine.h"
#include "wml/Containment.h"
#include "wml/Distance.h"
#include "wml/Segment2.h"

namespace vynsketch {

CurveBVTree::~CurveBVTree()
{
    Destroy();
}

void CurveBVTree::Destroy()
{
    if (m_root) {
        m_root->DeleteChildren();
        delete m_root;
        m_root = nullptr;
    }
}

bool CurveBVTree::Create(PolyLine* polyline)
{
    Destroy();
    m_polyline = polyline;
    if (!polyline) return false;

    std::vector<unsigned int> edges;
    edges.reserve(polyline->GetNumEdges());
    for (unsigned int e = 0; e < polyline->GetNumEdges(); ++e)
        if (polyline->HasVertices(polyline->GetEdge(e))) edges.push_back(e);
    if (edges.empty()) return false;

    const std::vector<Wml::Vector2<float>>& vertices = polyline->GetVertices();
    BVTreeParent* root = new BVTreeParent();
    root->SetBox(Wml::ContOrientedBox(static_cast<int>(vertices.size()), vertices.data()));
    m_root = root;

    m_vertexStamp.assign(vertices.size(), 0);
    m_stamp = 0;
    BVTreeNode* left = nullptr;
    BVTreeNode* right = nullptr;
    Split(*root->GetBox(), edges, 0, left, right);
    root->SetLeft(left);
    root->SetRight(right);
    std::vector<unsigned int>().swap(m_vertexStamp);
    return true;
}

void CurveBVTree::Split(const Wml::Box2<float>& box, const std::vector<unsigned int>& edges,
                        unsigned int depth, BVTreeNode*& left, BVTreeNode*& right)
{
    Wml::Vector2<float> axis = box.Extent(0) > box.Extent(1) ? box.Axis(0) : box.Axis(1);
    axis.Normalize();
    const float c = axis.Dot(box.Center());

    std::vector<unsigned int> side1, side2;
    for (unsigned int e : edges) {
        const PolyLine::Edge& edge = m_polyline->GetEdge(e);
        const Wml::Vector2<float> mid =
            (m_polyline->GetVertex(edge.v1) + m_polyline->GetVertex(edge.v2)) * 0.5f;
        if (axis.Dot(mid) - c > 0.0f)
            side1.push_back(e);
        else
            side2.push_back(e);
    }
    left = MakeSide(side1, !side2.empty(), depth + 1);
    right = MakeSide(side2, !side1.empty(), depth + 1);
}

BVTreeNode* CurveBVTree::MakeSide(const std::vector<unsigned int>& edges, bool separable, unsigned int depth)
{
    if (edges.empty()) return nullptr;
    // A side that holds every edge of its parent would be split the same way
    // again, forever; it ends here, as does one past the depth limit.
    if (edges.size() <= m_leafSize || !separable || depth >= MAX_DEPTH) {
        BVTreeLeaf* leaf = new BVTreeLeaf();
        for (unsigned int e : edges) leaf->AddEdge(e);
        return leaf;
    }
    BVTreeParent* parent = new BVTreeParent();
    parent->SetBox(BoxOfEdges(edges));
    BVTreeNode* left = nullptr;
    BVTreeNode* right = nullptr;
    Split(*parent->GetBox(), edges, depth, left, right);
    parent->SetLeft(left);
    parent->SetRight(right);
    return parent;
}

Wml::Box2<float> CurveBVTree::BoxOfEdges(const std::vector<unsigned int>& edges)
{
    ++m_stamp;
    std::vector<Wml::Vector2<float>> points;
    points.reserve(2 * edges.size());
    for (unsigned int e : edges) {
        const PolyLine::Edge& edge = m_polyline->GetEdge(e);
        for (unsigned int v : {edge.v1, edge.v2}) {
            if (m_vertexStamp[v] == m_stamp) continue;
            m_vertexStamp[v] = m_stamp;
            points.push_back(m_polyline->GetVertex(v));
        }
    }
    return Wml::ContOrientedBox(static_cast<int>(points.size()), points.data());
}

float CurveBVTree::PolyLineDistanceSqr(unsigned int edge, const Wml::Vector2<float>& p)
{
    const PolyLine::Edge& e = m_polyline->GetEdge(edge);
    const Wml::Segment2<float> segment =
        Wml::Segment2<float>::FromEndPoints(m_polyline->GetVertex(e.v1), m_polyline->GetVertex(e.v2));
    return Wml::SqrDistance(p, segment);
}

float CurveBVTree::PolyLineDistanceSqr(BVTreeLeaf* leaf, const Wml::Vector2<float>& p, unsigned int& edgeOut)
{
    // Starting above every real distance keeps an edge with a NaN vertex from
    // hiding the others; on equal distances the first edge stays.
    const std::vector<unsigned int>& edges = *leaf->GetEdges();
    float best = HUGE_VALF;
    if (!edges.empty()) edgeOut = edges.front();
    for (unsigned int e : edges) {
        const float d = PolyLineDistanceSqr(e, p);
        if (d < best) {
            best = d;
            edgeOut = e;
        }
    }
    return best;
}

float CurveBVTree::PolyLineDistanceSqr(BVTreeNode* parent, const Wml::Vector2<float>& p)
{
    const Wml::Box2<float>* box = parent ? parent->GetBox() : nullptr;
    return box ? Wml::SqrDistance(p, *box) : FLT_MAX;
}

Wml::Vector2<float> CurveBVTree::PolyLineMinDistPoint(unsigned int edge, const Wml::Vector2<float>& p)
{
    const PolyLine::Edge& e = m_polyline->GetEdge(edge);
    const Wml::Segment2<float> segment =
        Wml::Segment2<float>::FromEndPoints(m_polyline->GetVertex(e.v1), m_polyline->GetVertex(e.v2));
    float t = 0.0f;
    Wml::SqrDistance(p, segment, &t);
    return segment.Origin() + segment.Direction() * t;
}

float CurveBVTree::ChildDistanceSqr(BVTreeNode* node, const Wml::Vector2<float>& p)
{
    return node->IsLeaf() ? 0.0f : PolyLineDistanceSqr(node, p);
}

float CurveBVTree::DistanceSqr(const Wml::Vector2<float>& p, Wml::Vector2<float>* nearest, float maxDistSqr)
{
    if (!m_root) return FLT_MAX;

    // The stack never holds more than one pending sibling per level plus the
    // node being expanded, and the depth is bounded, so it fits in place.
    struct Entry {
        BVTreeNode* node;
        float distance;
    };
    Entry stack[MAX_DEPTH + 4];
    unsigned int size = 0;

    // The nearer of a pair is pushed last so that it is popped first.
    auto pushPair = [&](BVTreeNode* a, float da, BVTreeNode* b, float db, float limit) {
        // a is the one pushed first on a tie.
        const bool aFarther = !(db > da);
        BVTreeNode* first = aFarther ? a : b;
        float dFirst = aFarther ? da : db;
        BVTreeNode* second = aFarther ? b : a;
        float dSecond = aFarther ? db : da;
        if (first && dFirst < limit) stack[size++] = {first, dFirst};
        if (second && dSecond < limit) stack[size++] = {second, dSecond};
    };

    float best = maxDistSqr < FLT_MAX ? maxDistSqr : FLT_MAX;  // NaN limits count as none
    unsigned int bestEdge = 0;

    BVTreeNode* left = m_root->GetLeft();
    BVTreeNode* right = m_root->GetRight();
    const float dLeft = left ? ChildDistanceSqr(left, p) : FLT_MAX;
    const float dRight = right ? ChildDistanceSqr(right, p) : FLT_MAX;
    // The start takes both children whatever their distance; on a tie the
    // right one is popped first, so the left one goes in first.
    if (left && right) {
        if (dRight > dLeft) {
            stack[size++] = {right, dRight};
            stack[size++] = {left, dLeft};
        } else {
            stack[size++] = {left, dLeft};
            stack[size++] = {right, dRight};
        }
    } else if (left) {
        stack[size++] = {left, dLeft};
    } else if (right) {
        stack[size++] = {right, dRight};
    }

    while (size > 0) {
        const Entry entry = stack[--size];
        // Everything below a node lies in its box: once something at least
        // as near was found, the node cannot improve on it.
        if (!(entry.distance < best)) continue;
        BVTreeNode* node = entry.node;
        if (node->IsLeaf()) {
            unsigned int edge = 0;
            const float d = PolyLineDistanceSqr(static_cast<BVTreeLeaf*>(node), p, edge);
            if (d < best) {
                best = d;
                bestEdge = edge;
            }
            continue;
        }
        BVTreeNode* a = node->GetLeft();
        BVTreeNode* b = node->GetRight();
        const float da = a ? ChildDistanceSqr(a, p) : FLT_MAX;
        const float db = b ? ChildDistanceSqr(b, p) : FLT_MAX;
        if (size + 2 > MAX_DEPTH + 4) continue;  // cannot happen with the depth bound
        pushPair(a, da, b, db, best);
    }

    if (nearest && m_polyline && bestEdge < m_polyline->GetNumEdges() &&
        m_polyline->HasVertices(m_polyline->GetEdge(bestEdge)))
        *nearest = PolyLineMinDistPoint(bestEdge, p);
    return best;
}

void CurveBVTree::DrawGL(unsigned int maxDepth, bool leavesOnly)
{
    if (m_root) m_root->DrawGL(0, maxDepth, leavesOnly);
}

}  // namespace vynsketch
