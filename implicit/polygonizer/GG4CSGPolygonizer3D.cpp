#include "implicit/polygonizer/GG4CSGPolygonizer3D.h"

namespace vynimplicit {

void AppendLatticeTriangles(const PolygonizerLattice& lattice, const std::vector<LatticeTriangle>& triangles,
                            FlatKeyMap<unsigned>& ids, vynmesh::TriangleMesh& mesh)
{
    for (const LatticeTriangle& t : triangles) {
        unsigned v[3];
        bool ok = true;
        for (int c = 0; c < 3 && ok; ++c) {
            if (const unsigned* id = ids.find(t.v[c])) {
                v[c] = *id;
                continue;
            }
            const LatticeVertex* lv = lattice.FindVertex(t.v[c]);
            if (!lv) {
                ok = false;
                break;
            }
            v[c] = mesh.AppendVertex(lv->position, &lv->normal);
            ids.emplace(t.v[c], v[c]);
        }
        if (ok) mesh.AppendTriangle(v[0], v[1], v[2]);
    }
}

void GG4CSGPolygonizer3D::SetCellSize(const Wml::AxisAlignedBox3<float>& box, float size)
{
    m_box = box;
    m_haveBox = !box.IsEmpty();
    m_size = size;
    m_countMode = false;
}

void GG4CSGPolygonizer3D::SetGridCells(unsigned n)
{
    m_cells = n;
    m_countMode = true;
}

bool GG4CSGPolygonizer3D::SetUpLattice()
{
    ScalarField* field = m_lattice.GetField();
    Wml::AxisAlignedBox3<float> box = m_box;
    if (m_countMode || !m_haveBox) field->FieldBounds(box);
    return m_countMode ? m_lattice.SetCellCount(box, m_cells) : m_lattice.SetCellSize(box, m_size);
}

bool GG4CSGPolygonizer3D::Polygonize()
{
    if (!m_mesh) return false;
    m_mesh->Clear();
    ScalarField* field = m_lattice.GetField();
    if (!field || !SetUpLattice()) return false;
    m_lattice.ResetEvaluationCount();
    std::vector<Wml::Vector3<float>> seeds;
    field->GetSeedPoints(seeds);
    std::vector<uint64_t> cells;
    m_lattice.FindSurfaceCells(seeds, cells);
    const std::vector<uint8_t>& configs = m_lattice.GetFoundConfigs();
    std::vector<LatticeTriangle> triangles;
    triangles.reserve(cells.size() * 2);
    for (size_t c = 0; c < cells.size(); ++c) {
        int i, j, k;
        m_lattice.CellFromKey(cells[c], i, j, k);
        m_lattice.PolygonizeCell(i, j, k, configs[c], triangles);
    }
    if (m_lattice.GetExtended()) m_lattice.FlipTowardsFeatures(triangles);
    FlatKeyMap<unsigned> ids;
    // A closed surface has about half as many vertices as triangles.
    ids.reserve(triangles.size() / 2 + 16);
    m_mesh->Reserve(unsigned(triangles.size() / 2 + 16), unsigned(triangles.size()));
    AppendLatticeTriangles(m_lattice, triangles, ids, *m_mesh);
    // The caches are only needed within one run.
    m_lattice.ClearCaches();
    return true;
}

}  // namespace vynimplicit
