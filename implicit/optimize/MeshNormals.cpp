#include "implicit/optimize/MeshNormals.h"

#include <vector>

#include "implicit/optimize/FieldProjection.h"

namespace vynimplicit {

using optimize_detail::FieldNormal;
using optimize_detail::IsFinite;
typedef Wml::Vector3<float> Vec3;

void ReComputeNormals(vynmesh::TriangleMesh& mesh, ScalarField* field)
{
    const unsigned int nv = mesh.GetNumVertices();
    const std::vector<unsigned>& idx = mesh.GetIndices();
    std::vector<Vec3> faceSum;
    for (unsigned int v = 0; v < nv; ++v) {
        const Vec3& p = mesh.GetPosition(v);
        Vec3 n;
        if (field && IsFinite(p) && FieldNormal(*field, p, n)) {
            mesh.SetNormal(v, n);
            continue;
        }
        // Face normals are gathered once, only when some vertex needs them.
        if (faceSum.empty()) {
            faceSum.assign(nv, Vec3::ZERO);
            for (size_t t = 0; t + 2 < idx.size(); t += 3) {
                unsigned a = idx[t], b = idx[t + 1], c = idx[t + 2];
                if (a >= nv || b >= nv || c >= nv) continue;
                // The cross product's length is twice the area: area weighting for free.
                Vec3 cross = (mesh.GetPosition(b) - mesh.GetPosition(a))
                                 .Cross(mesh.GetPosition(c) - mesh.GetPosition(a));
                if (!IsFinite(cross)) continue;
                faceSum[a] += cross;
                faceSum[b] += cross;
                faceSum[c] += cross;
            }
        }
        n = faceSum[v];
        n.Normalize();
        mesh.SetNormal(v, n);
    }
}

}  // namespace vynimplicit
