#include "wml/LinearComplex2.h"

#include <GL/gl.h>

#include <cmath>

namespace Wml {

namespace {

template <class Real>
bool IsFinite(const Vector2<Real>& v)
{
    return std::isfinite(v[0]) && std::isfinite(v[1]);
}

inline void EmitVertex(const Vector2<float>& v)
{
    glVertex2f(v.X(), v.Y());
}
inline void EmitVertex(const Vector2<double>& v)
{
    glVertex2d(v.X(), v.Y());
}

}  // namespace

template <class Real>
unsigned LinearComplex2<Real>::AddVertex(const Vector2<Real>& p)
{
    if (!IsFinite(p) || m_vertices.size() >= INVALID_INDEX) return INVALID_INDEX;
    m_vertices.push_back(p);
    return static_cast<unsigned>(m_vertices.size() - 1);
}

template <class Real>
unsigned LinearComplex2<Real>::AddEdge(unsigned a, unsigned b)
{
    if (a >= m_vertices.size() || b >= m_vertices.size() || a == b) return INVALID_INDEX;
    if (m_edges.size() >= INVALID_INDEX) return INVALID_INDEX;
    m_edges.emplace_back(a, b);
    return static_cast<unsigned>(m_edges.size() - 1);
}

template <class Real>
unsigned LinearComplex2<Real>::FindEdge(unsigned a, unsigned b) const
{
    const Edge probe(a, b);
    for (size_t i = 0; i < m_edges.size(); ++i)
        if (m_edges[i].SameEnds(probe)) return static_cast<unsigned>(i);
    return INVALID_INDEX;
}

template <class Real>
bool LinearComplex2<Real>::SetVertex(unsigned i, const Vector2<Real>& p)
{
    if (i >= m_vertices.size() || !IsFinite(p)) return false;
    m_vertices[i] = p;
    return true;
}

template <class Real>
const Vector2<Real>& LinearComplex2<Real>::GetVertex(unsigned i) const
{
    if (i >= m_vertices.size()) return Vector2<Real>::ZERO;
    return m_vertices[i];
}

template <class Real>
const typename LinearComplex2<Real>::Edge& LinearComplex2<Real>::GetEdge(unsigned i) const
{
    static const Edge invalid;
    if (i >= m_edges.size()) return invalid;
    return m_edges[i];
}

template <class Real>
void LinearComplex2<Real>::Clear()
{
    m_vertices.clear();
    m_edges.clear();
}

template <class Real>
unsigned LinearComplex2<Real>::GetDegree(unsigned v) const
{
    if (v >= m_vertices.size()) return 0;
    unsigned degree = 0;
    for (const Edge& e : m_edges) degree += (e.v[0] == v) + (e.v[1] == v);
    return degree;
}

template <class Real>
bool LinearComplex2<Real>::IsClosed() const
{
    std::vector<unsigned> degree(m_vertices.size(), 0);
    for (const Edge& e : m_edges) {
        ++degree[e.v[0]];
        ++degree[e.v[1]];
    }
    for (unsigned d : degree)
        if (d < 2) return false;
    return true;
}

template <class Real>
bool LinearComplex2<Real>::IsSimple() const
{
    std::vector<unsigned> degree(m_vertices.size(), 0);
    for (const Edge& e : m_edges) {
        if (++degree[e.v[0]] > 2) return false;
        if (++degree[e.v[1]] > 2) return false;
    }
    return true;
}

template <class Real>
void LinearComplex2<Real>::GetNeighbours(unsigned v, std::vector<unsigned>& neighbours) const
{
    neighbours.clear();
    if (v >= m_vertices.size()) return;
    for (const Edge& e : m_edges)
        if (e.Touches(v)) neighbours.push_back(e.Other(v));
}

template <class Real>
void LinearComplex2<Real>::GetIncidentEdges(unsigned v, std::vector<unsigned>& edges) const
{
    edges.clear();
    if (v >= m_vertices.size()) return;
    for (size_t i = 0; i < m_edges.size(); ++i)
        if (m_edges[i].Touches(v)) edges.push_back(static_cast<unsigned>(i));
}

template <class Real>
void LinearComplex2<Real>::BuildAdjacency(std::vector<unsigned>& offsets,
                                          std::vector<unsigned>& incident) const
{
    const size_t nv = m_vertices.size();
    offsets.assign(nv + 1, 0);
    for (const Edge& e : m_edges) {
        ++offsets[e.v[0] + 1];
        ++offsets[e.v[1] + 1];
    }
    for (size_t i = 0; i < nv; ++i) offsets[i + 1] += offsets[i];
    incident.assign(offsets[nv], 0);
    std::vector<unsigned> fill(offsets.begin(), offsets.end() - 1);
    for (size_t i = 0; i < m_edges.size(); ++i) {
        incident[fill[m_edges[i].v[0]]++] = static_cast<unsigned>(i);
        incident[fill[m_edges[i].v[1]]++] = static_cast<unsigned>(i);
    }
}

template <class Real>
unsigned LinearComplex2<Real>::GetLoops(std::vector<Polygon2<Real>>& loops) const
{
    const size_t nv = m_vertices.size();
    std::vector<unsigned> offsets, incident;
    BuildAdjacency(offsets, incident);
    auto degree = [&](unsigned v) { return offsets[v + 1] - offsets[v]; };

    std::vector<char> visited(nv, 0);
    std::vector<unsigned> stack;
    unsigned found = 0;
    for (unsigned start = 0; start < nv; ++start) {
        if (visited[start]) continue;

        // Flood the component first: only a component whose every vertex has
        // degree two is a single closed loop.
        bool isLoop = true;
        size_t size = 0;
        stack.assign(1, start);
        visited[start] = 1;
        while (!stack.empty()) {
            unsigned v = stack.back();
            stack.pop_back();
            ++size;
            if (degree(v) != 2) isLoop = false;
            for (unsigned k = offsets[v]; k < offsets[v + 1]; ++k) {
                unsigned w = m_edges[incident[k]].Other(v);
                if (!visited[w]) {
                    visited[w] = 1;
                    stack.push_back(w);
                }
            }
        }
        if (!isLoop || size < 3) continue;

        // Lower indices are all visited, so start is the component's lowest
        // vertex. Leave along an edge stored as (start, next) if possible.
        unsigned edge = incident[offsets[start]];
        if (m_edges[edge].v[0] != start && m_edges[incident[offsets[start] + 1]].v[0] == start)
            edge = incident[offsets[start] + 1];

        Polygon2<Real> polygon;
        polygon.AddVertex(m_vertices[start]);
        unsigned v = m_edges[edge].Other(start);
        for (size_t steps = 1; v != start && steps < size; ++steps) {
            polygon.AddVertex(m_vertices[v]);
            unsigned e0 = incident[offsets[v]];
            edge = (e0 == edge) ? incident[offsets[v] + 1] : e0;
            v = m_edges[edge].Other(v);
        }
        loops.push_back(std::move(polygon));
        ++found;
    }
    return found;
}

template <class Real>
AxisAlignedBox2<Real> LinearComplex2<Real>::ComputeBounds() const
{
    AxisAlignedBox2<Real> box;
    for (const Vector2<Real>& v : m_vertices) box.Merge(v);
    return box;
}

template <class Real>
bool LinearComplex2<Real>::Translate(const Vector2<Real>& d)
{
    if (!IsFinite(d)) return false;
    std::vector<Vector2<Real>> moved(m_vertices);
    for (Vector2<Real>& v : moved) {
        v += d;
        if (!IsFinite(v)) return false;
    }
    m_vertices.swap(moved);
    return true;
}

template <class Real>
bool LinearComplex2<Real>::Scale(Real sx, Real sy)
{
    if (!std::isfinite(sx) || !std::isfinite(sy)) return false;
    std::vector<Vector2<Real>> scaled(m_vertices);
    for (Vector2<Real>& v : scaled) {
        v = Vector2<Real>(v.X() * sx, v.Y() * sy);
        if (!IsFinite(v)) return false;
    }
    m_vertices.swap(scaled);
    return true;
}

template <class Real>
void LinearComplex2<Real>::DrawGL() const
{
    if (m_edges.empty()) return;
    glBegin(GL_LINES);
    for (const Edge& e : m_edges) {
        EmitVertex(m_vertices[e.v[0]]);
        EmitVertex(m_vertices[e.v[1]]);
    }
    glEnd();
}

template class LinearComplex2<float>;
template class LinearComplex2<double>;

}  // namespace Wml
