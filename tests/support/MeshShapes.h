#pragma once
// Small closed meshes built in code for the mesh tests.

#include <map>
#include <utility>

#include "implicit/mesh/TriangleMesh.h"

namespace meshtest {

using Wml::Vector3f;

inline void MakeTetrahedron(vynmesh::TriangleMesh& m)
{
    m.Clear();
    m.AppendVertex(Vector3f(1, 1, 1));
    m.AppendVertex(Vector3f(1, -1, -1));
    m.AppendVertex(Vector3f(-1, 1, -1));
    m.AppendVertex(Vector3f(-1, -1, 1));
    m.AppendTriangle(0, 1, 2);
    m.AppendTriangle(0, 3, 1);
    m.AppendTriangle(0, 2, 3);
    m.AppendTriangle(1, 3, 2);
}

/// Unit cube [0,1]^3, outward winding.
inline void MakeCube(vynmesh::TriangleMesh& m)
{
    m.Clear();
    for (int i = 0; i < 8; ++i) m.AppendVertex(Vector3f(float(i & 1), float((i >> 1) & 1), float((i >> 2) & 1)));
    const unsigned quads[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    for (auto& q : quads) {
        m.AppendTriangle(q[0], q[1], q[2]);
        m.AppendTriangle(q[0], q[2], q[3]);
    }
}

/// Octahedron subdivided `levels` times and pushed onto the sphere of the
/// given radius; 8 * 4^levels triangles, outward winding, exact normals.
inline void MakeSphere(vynmesh::TriangleMesh& m, int levels, float radius = 1.0f)
{
    m.Clear();
    std::vector<Vector3f> pts = {Vector3f(1, 0, 0),  Vector3f(-1, 0, 0), Vector3f(0, 1, 0),
                                 Vector3f(0, -1, 0), Vector3f(0, 0, 1),  Vector3f(0, 0, -1)};
    std::vector<unsigned> tris = {0, 2, 4, 2, 1, 4, 1, 3, 4, 3, 0, 4, 2, 0, 5, 1, 2, 5, 3, 1, 5, 0, 3, 5};
    for (int l = 0; l < levels; ++l) {
        std::map<std::pair<unsigned, unsigned>, unsigned> mid;
        auto midpoint = [&](unsigned a, unsigned b) {
            auto key = std::make_pair(std::min(a, b), std::max(a, b));
            auto it = mid.find(key);
            if (it != mid.end()) return it->second;
            Vector3f p = pts[a] + pts[b];
            p.Normalize();
            pts.push_back(p);
            return mid[key] = unsigned(pts.size() - 1);
        };
        std::vector<unsigned> next;
        for (size_t i = 0; i < tris.size(); i += 3) {
            unsigned a = tris[i], b = tris[i + 1], c = tris[i + 2];
            unsigned ab = midpoint(a, b), bc = midpoint(b, c), ca = midpoint(c, a);
            next.insert(next.end(), {a, ab, ca, ab, b, bc, ca, bc, c, ab, bc, ca});
        }
        tris.swap(next);
    }
    for (const Vector3f& p : pts) m.AppendVertex(p * radius, &p);
    for (size_t i = 0; i < tris.size(); i += 3) m.AppendTriangle(tris[i], tris[i + 1], tris[i + 2]);
}

}  // namespace meshtest
