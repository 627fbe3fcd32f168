#pragma once
// Small closed meshes built in code for the mesh tests and benchmarks.

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>
#include <vector>

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
    for (int i = 0; i < 8; ++i)
        m.AppendVertex(Vector3f(float(i & 1), float((i >> 1) & 1), float((i >> 2) & 1)));
    const unsigned quads[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                                  {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    for (auto& q : quads) {
        m.AppendTriangle(q[0], q[1], q[2]);
        m.AppendTriangle(q[0], q[2], q[3]);
    }
}

/// Clears m and fills it with the solid given by unit-length points and
/// triangles, subdivided `levels` times with every new point pushed onto the
/// unit sphere, scaled by radius; outward winding, exact normals.
inline void MakeSubdividedSphere(vynmesh::TriangleMesh& m, std::vector<Vector3f> pts,
                                 std::vector<unsigned> tris, int levels, float radius)
{
    m.Clear();
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

/// Octahedron subdivided `levels` times and pushed onto the sphere of the
/// given radius; 8 * 4^levels triangles.
inline void MakeSphere(vynmesh::TriangleMesh& m, int levels, float radius = 1.0f)
{
    MakeSubdividedSphere(m,
                         {Vector3f(1, 0, 0), Vector3f(-1, 0, 0), Vector3f(0, 1, 0), Vector3f(0, -1, 0),
                          Vector3f(0, 0, 1), Vector3f(0, 0, -1)},
                         {0, 2, 4, 2, 1, 4, 1, 3, 4, 3, 0, 4, 2, 0, 5, 1, 2, 5, 3, 1, 5, 0, 3, 5}, levels,
                         radius);
}

/// Icosahedron subdivided `levels` times onto the sphere of the given radius;
/// 20 * 4^levels nearly equal triangles.
inline void MakeIcosphere(vynmesh::TriangleMesh& m, int levels, float radius = 1.0f)
{
    const float t = (1.0f + std::sqrt(5.0f)) / 2.0f;
    std::vector<Vector3f> p = {{-1, t, 0},  {1, t, 0},  {-1, -t, 0}, {1, -t, 0}, {0, -1, t},  {0, 1, t},
                               {0, -1, -t}, {0, 1, -t}, {t, 0, -1},  {t, 0, 1},  {-t, 0, -1}, {-t, 0, 1}};
    for (Vector3f& v : p) v.Normalize();
    MakeSubdividedSphere(m, p, {0, 11, 5,  0, 5,  1, 0, 1, 7, 0, 7,  10, 0, 10, 11, 1, 5, 9, 5, 11,
                                4, 11, 10, 2, 10, 7, 6, 7, 1, 8, 3,  9,  4, 3,  4,  2, 3, 2, 6, 3,
                                6, 8,  3,  8, 9,  4, 9, 5, 2, 4, 11, 6,  2, 10, 8,  6, 7, 9, 8, 1},
                         levels, radius);
}

}  // namespace meshtest
